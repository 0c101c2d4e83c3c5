// A PostgreSQL catalogue whose server ends the store's connection (a restart, a network
// drop): the next call connects again and answers. A server that stops answering, crashes
// in the middle of a change or refuses the connection: a message that says which, within the
// time limits, and no change saved in part. Runs only against PostgreSQL test servers.
#include "catalogue/CatalogStore.h"
#include "platform/OrvError.h"
#include "support/DataRow.h"
#include "support/Errors.h"
#include "support/PostgresTest.h"
#include "support/TestFiles.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QUrl>
#include <atomic>
#include <list>
#include <optional>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

// Every writer of a catalogue takes this lock (CatalogEngine.cpp); holding it keeps a write
// waiting.
const qint64 kWriteLockKey = 0x4f52564e43415400;

} // namespace

class tst_catalogreconnect : public QObject {
    Q_OBJECT

private:
    QString mCatalogue;
    // Fewer connections than the shared server has, to run out of them; a password user.
    PrivatePostgresServer mServer;
    QString mWorker; // the private server's catalogue as the password user "worker"

    // Ends every other connection to the catalogue's database; how many it ended.
    int DropOtherConnections() const {
        int ended = -1;
        {
            QSqlDatabase db = PostgresConnection(mCatalogue, u"admin"_s);
            QSqlQuery query(db);
            if (db.open() &&
                query.exec(QStringLiteral("SELECT count(pg_terminate_backend(pid))"
                                          " FROM pg_stat_activity"
                                          " WHERE datname = current_database()"
                                          " AND pid <> pg_backend_pid()")) &&
                query.next())
                ended = query.value(0).toInt();
            db.close();
        }
        QSqlDatabase::removeDatabase(u"admin"_s);
        return ended;
    }

private slots:
    void initTestCase() {
        QVERIFY2(OnPostgresRun(), "runs against the PostgreSQL test server only (ctest fixture)");
        QString error;
        QVERIFY2(FreshPostgresDatabase(u"orv_catalogreconnect"_s, mCatalogue, error),
                 qPrintable(error));
        QVERIFY2(mServer.Start(QStringLiteral("-c max_connections=8 "
                                              "-c superuser_reserved_connections=2"),
                               error),
                 qPrintable(error));
        QVERIFY2(mServer.Run({u"CREATE ROLE worker LOGIN PASSWORD 'right'"_s,
                              u"CREATE DATABASE faults OWNER worker"_s},
                             error),
                 qPrintable(error));
        // The password user signs in with it; the superuser stays trusted.
        const QString hba = mServer.DataDir() + u"/pg_hba.conf"_s;
        const QByteArray rules = ReadAll(hba);
        QVERIFY(!rules.isEmpty());
        QVERIFY(WriteFile(hba, "host all worker 127.0.0.1/32 scram-sha-256\n" + rules));
        QVERIFY2(mServer.Run({u"SELECT pg_reload_conf()"_s}, error), qPrintable(error));
        QUrl worker(mServer.Url());
        worker.setUserName(u"worker"_s);
        worker.setPath(u"/faults"_s);
        mWorker = worker.toString();
    }

    // A refused connection says why: each cause its own words and what to do.
    void refusedConnectionsSayWhy_data() {
        AddColumns<QString, QString, QString>("url", "password", "says");
        QUrl unknownDb(mWorker);
        unknownDb.setPath(u"/nosuchdb"_s);
        QUrl closed(mWorker);
        closed.setPort(1);
        AddRow("wrong password", mWorker, "wrong", "refused the password");
        AddRow("no password", mWorker, "", "refused the password");
        AddRow("unknown database", unknownDb.toString(), "right", "has no database \"nosuchdb\"");
        AddRow("nothing listens", closed.toString(), "right", "cannot be reached");
        AddRow("too many clients", mWorker, "right", "had no connection free");
    }
    void refusedConnectionsSayWhy() {
        QFETCH(QString, url);
        QFETCH(QString, password);
        QFETCH(QString, says);
        // The user's own connections fill what the server has for him.
        std::list<CatalogStore> others;
        if (QByteArray(QTest::currentDataTag()) == "too many clients")
            for (int i = 0; i < 6; ++i)
                others.emplace_back().OpenDatabase(url, password);
        CatalogStore store;
        store.SetServerTimeout(2); // how long a full server is asked again
        const auto error = ErrorOf([&] { store.OpenDatabase(url, password); });
        QVERIFY(error);
        QVERIFY2(error->Description().contains(says), qPrintable(error->Description()));
        QVERIFY2(error->Description().contains(QUrl(url).host()), qPrintable(error->Description()));
    }

    // A server with no connection free is asked again, with pauses, until one is: a site whose
    // workstations all start at once gets through.
    void fullServerIsAskedAgain() {
        std::atomic<bool> full = false;
        std::thread holder([&] {
            std::list<CatalogStore> others;
            for (int i = 0; i < 6; ++i)
                others.emplace_back().OpenDatabase(mWorker, u"right"_s);
            full = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(700));
        }); // its connections close as it ends
        while (!full)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        CatalogStore store;
        QElapsedTimer waited;
        waited.start();
        const auto error = ErrorOf([&] { store.OpenDatabase(mWorker, u"right"_s); });
        holder.join();
        QVERIFY2(!error, error ? qPrintable(error->Description()) : "");
        QVERIFY(waited.elapsed() >= 500);
    }

    // A server that stops answering (frozen; on a network, a cable cut) is given up a few
    // seconds after the statement timeout, with a message, reading or writing; nothing is
    // saved, and once it answers again the catalogue is as it was.
    void frozenServerIsGivenUp_data() {
        AddBoolTable("write", {{"a read", false}, {"a write", true}});
    }
    void frozenServerIsGivenUp() {
        QFETCH(bool, write);
        CatalogStore store;
        store.SetServerTimeout(2);
        store.OpenDatabase(mWorker, u"right"_s);
        const int before = store.GetPrograms().RecordCount();
        mServer.Freeze(true);
        QElapsedTimer waited;
        waited.start();
        const auto error = ErrorOf([&] {
            if (write)
                store.AddProgram(u"Frozen"_s, {}, u"/bin/true"_s, {}, {}, {});
            else
                store.GetPrograms();
        });
        const qint64 elapsed = waited.elapsed();
        mServer.Freeze(false);
        QVERIFY(error);
        QVERIFY2(error->Description().contains(u"did not answer within 7 seconds"_s),
                 qPrintable(error->Description()));
        QVERIFY2(elapsed >= 6000 && elapsed < 15000, qPrintable(QString::number(elapsed)));
        QCOMPARE(store.GetPrograms().RecordCount(), before); // answered again, nothing saved
    }

    // The server crashes while a change waits for the catalogue's write lock: the change is
    // reported lost, nothing of it is saved, and once the server is back the next call works.
    void serverCrashDuringAWrite() {
        CatalogStore store;
        store.OpenDatabase(mWorker, u"right"_s);
        QVERIFY(store.AddProgram(u"Kept"_s, {}, u"/bin/true"_s, {}, {}, {}));
        std::optional<OrvError> error;
        {
            QSqlDatabase holder = PostgresConnection(mServer.Url(), u"holder"_s);
            holder.setDatabaseName(u"faults"_s);
            QVERIFY(holder.open());
            QSqlQuery lock(holder);
            QVERIFY(lock.exec(u"BEGIN"_s));
            QVERIFY(lock.exec(u"SELECT pg_advisory_xact_lock(%1)"_s.arg(kWriteLockKey)));
            std::thread crash([this] {
                std::this_thread::sleep_for(std::chrono::milliseconds(800));
                mServer.Crash();
            });
            error = ErrorOf([&] { store.AddProgram(u"Lost"_s, {}, u"/bin/true"_s, {}, {}, {}); });
            crash.join();
            holder.close();
        }
        QSqlDatabase::removeDatabase(u"holder"_s);
        QVERIFY(error);
        QVERIFY2(error->Description().contains(u"connection to the server was lost"_s),
                 qPrintable(error->Description()));
        QVERIFY(mServer.Resume());
        const Recordset programs = store.GetPrograms();
        QStringList names;
        for (const QVariantList& row : programs.Rows())
            names << row.at(0).toString();
        QVERIFY2(names.contains(u"Kept"_s) && !names.contains(u"Lost"_s),
                 qPrintable(names.join(u", ")));
    }

    void droppedConnectionIsReopenedOnce_data() {
        QTest::addColumn<QString>("nextCall");
        QTest::newRow("a read") << u"read"_s;
        QTest::newRow("a single write") << u"write"_s;
        QTest::newRow("a transaction") << u"transaction"_s;
    }
    void droppedConnectionIsReopenedOnce() {
        QFETCH(QString, nextCall);
        CatalogStore store;
        store.OpenDatabase(mCatalogue);
        const int before = store.GetFolders().RecordCount();
        QVERIFY(store.AddProgram(u"Editor "_s + nextCall, {}, u"/bin/ed"_s, {}, {}, {}));
        for (int round = 0; round < 2; ++round) {
            QCOMPARE(DropOtherConnections(), 1);
            const auto error = ErrorOf([&] {
                if (nextCall == QLatin1String("read"))
                    QVERIFY(store.GetPrograms().RecordCount() > 0);
                else if (nextCall == QLatin1String("write"))
                    QVERIFY(store.AddFolder(u"F%1"_s.arg(round), u"/"_s));
                else
                    QVERIFY(!store.AddPermission(u"nobody"_s, 1, u"Editor "_s + nextCall, 2));
            });
            QVERIFY2(!error, error ? qPrintable(error->Description()) : "");
        }
        QCOMPARE(store.GetFolders().RecordCount() - before,
                 nextCall == QLatin1String("write") ? 2 : 0);
    }
};

QTEST_GUILESS_MAIN(tst_catalogreconnect)
#include "tst_catalogreconnect.moc"
