// A PostgreSQL catalogue whose server ends the store's connection (a restart, a network
// drop): the next call connects again and answers. Runs only against the test server.
#include "platform/OrvError.h"
#include "services/CatalogStore.h"
#include "support/PostgresTest.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

class tst_catalogreconnect : public QObject {
    Q_OBJECT

private:
    QString mCatalogue;

    // Ends every other connection to the catalogue's database; how many it ended.
    int DropOtherConnections() const {
        int ended = -1;
        {
            QSqlDatabase db = PostgresConnection(mCatalogue, QStringLiteral("admin"));
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
        QSqlDatabase::removeDatabase(QStringLiteral("admin"));
        return ended;
    }

private slots:
    void initTestCase() {
        QVERIFY2(OnPostgresRun(), "runs against the PostgreSQL test server only (ctest fixture)");
        QString error;
        QVERIFY2(FreshPostgresDatabase(QStringLiteral("orv_catalogreconnect"), mCatalogue, error),
                 qPrintable(error));
    }

    void droppedConnectionIsReopenedOnce_data() {
        QTest::addColumn<QString>("nextCall");
        QTest::newRow("a read") << QStringLiteral("read");
        QTest::newRow("a single write") << QStringLiteral("write");
        QTest::newRow("a transaction") << QStringLiteral("transaction");
    }
    void droppedConnectionIsReopenedOnce() {
        QFETCH(QString, nextCall);
        CatalogStore store;
        store.OpenDatabase(mCatalogue);
        const int before = store.GetFolders().RecordCount();
        QVERIFY(store.AddProgram(QStringLiteral("Editor ") + nextCall, {},
                                 QStringLiteral("/bin/ed"), {}, {}, {}));
        for (int round = 0; round < 2; ++round) {
            QCOMPARE(DropOtherConnections(), 1);
            try {
                if (nextCall == QLatin1String("read"))
                    QVERIFY(store.GetPrograms().RecordCount() > 0);
                else if (nextCall == QLatin1String("write"))
                    QVERIFY(store.AddFolder(QStringLiteral("F%1").arg(round), QStringLiteral("/")));
                else
                    QVERIFY(store.AddPermission(QStringLiteral("nobody"), 1,
                                                QStringLiteral("Editor ") + nextCall, 2) == false);
            } catch (const OrvError& error) {
                QFAIL(qPrintable(error.Description()));
            }
        }
        QCOMPARE(store.GetFolders().RecordCount() - before,
                 nextCall == QLatin1String("write") ? 2 : 0);
    }
};

QTEST_GUILESS_MAIN(tst_catalogreconnect)
#include "tst_catalogreconnect.moc"
