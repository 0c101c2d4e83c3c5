// A catalogue shared with other programs: locks held by another connection or process, two
// stores changing the same rows at once, a catalogue that needs recovery, and the modes of
// what the store creates.
#include "catalogue/CatalogStore.h"
#include "platform/AppPaths.h"
#include "platform/OrvError.h"
#include "support/DataRow.h"
#include "support/Errors.h"
#include "support/TestCatalogue.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <barrier>
#include <chrono>
#include <grp.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

bool AddProgram(CatalogStore& store, const QString& name) {
    return store.AddProgram(name, {}, u"/bin/true"_s, {}, {}, {});
}

// Leaves `file` as a program that stopped in the middle of a change would: its rollback
// journal beside it, with no program holding a lock.
bool MakeHotJournal(const QString& file) {
    const QString journal = file + u"-journal"_s;
    const QString saved = file + u".saved-journal"_s;
    bool copied = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, "crash");
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery query(db);
            // Without syncing, SQLite writes the journal's header complete at once; otherwise
            // it stays blank (not a journal to roll back) until the commit syncs it.
            copied = query.exec(u"PRAGMA synchronous = OFF"_s) && query.exec(u"BEGIN"_s) &&
                     query.exec(u"UPDATE programs SET description = 'changed'"_s) &&
                     QFile::copy(journal, saved);
            query.exec(u"ROLLBACK"_s);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(u"crash"_s);
    return copied && !QFileInfo::exists(journal) && QFile::rename(saved, journal) &&
           QFileInfo(journal).size() > 0;
}

// The lines a run of the client program wrote. Under root it runs as the user nobody, for
// whom root's files keep their modes.
QStringList RunClient(const QStringList& arguments) {
    QProcess client;
    if (geteuid() == 0)
        client.setChildProcessModifier([] {
            // Failing steps leave the child root: the test checks the uid it reports.
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                return;
        });
    client.start(QStringLiteral(ORV_CATALOG_CLIENT), arguments);
    if (!client.waitForFinished(60000))
        return {u"client did not finish: "_s + client.errorString()};
    return QString::fromUtf8(client.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

enum Race {
    SameProgram,
    RenameOntoAddedName,
    RuleForRemovedProgram,
};

} // namespace

class tst_catalogfaults : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> mDir;
    QString mFile;
    // The catalogue the racing stores share: the SQLite file, or the PostgreSQL database
    // of the test server on a PostgreSQL run (a fresh database).
    TestCatalogue mShared;

private slots:
    void init() {
        mDir = std::make_unique<QTemporaryDir>();
        QVERIFY(mDir->isValid());
        mFile = mDir->filePath(u"app/database/Orvane.mdb"_s);
        CatalogStore store;
        store.OpenDatabase(mFile);
        QString error;
        QVERIFY2(mShared.Prepare(u"orv_catalogfaults"_s, mFile, error), qPrintable(error));
    }

    void cleanup() { mDir.reset(); }

    // Another program holds SQLite's lock. For a moment: the store waits for it and succeeds.
    // Longer than the store waits: the store gives up after a few seconds and says the
    // catalogue is in use, then works once it is free.
    void lockHeldByAnotherProgram_data() {
        AddColumns<QString, QString, int>("lock", "step", "heldMs");
        QTest::addColumn<long>("number"); // 0: the step succeeds
        AddRow("open, exclusive lock", "EXCLUSIVE", "open", 60000, ErrorNumber::DatabaseOpen);
        AddRow("write, immediate lock", "IMMEDIATE", "write", 60000, ErrorNumber::DatabaseWrite);
        AddRow("open, brief exclusive lock", "EXCLUSIVE", "open", 800, 0L);
        AddRow("write, brief immediate lock", "IMMEDIATE", "write", 800, 0L);
    }
    void lockHeldByAnotherProgram() {
        QFETCH(QString, lock);
        QFETCH(QString, step);
        QFETCH(int, heldMs);
        QFETCH(long, number);
        CatalogStore store;
        if (step != "open")
            store.OpenDatabase(mFile);
        QProcess holder;
        holder.start(QStringLiteral(ORV_CATALOG_CLIENT),
                     {u"hold"_s, mFile, lock, QString::number(heldMs)});
        QByteArray said;
        while (!said.contains("locked\n") && holder.waitForReadyRead(30000))
            said += holder.readAllStandardOutput();
        QVERIFY2(said.contains("locked\n"), said.constData());
        QElapsedTimer timer;
        timer.start();
        const auto error = ErrorOf([&] {
            if (step == "open")
                store.OpenDatabase(mFile);
            else
                AddProgram(store, u"Busy"_s);
        });
        const qint64 waited = timer.elapsed();
        qInfo("waited %lld ms for a lock held %d ms", waited, heldMs);
        if (number == 0) {
            QVERIFY2(!error, error ? qPrintable(error->Description()) : "");
            QVERIFY(holder.waitForFinished(30000));
            QCOMPARE(holder.exitCode(), 0);
            QVERIFY2(waited >= heldMs / 4, qPrintable(QString::number(waited)));
            if (step == "write")
                QCOMPARE(store.GetProgramPath(u"Busy"_s), u"/bin/true"_s);
            return;
        }
        holder.kill(); // which releases the lock
        QVERIFY(holder.waitForFinished(30000));
        QVERIFY(error);
        QCOMPARE(error->Number(), number);
        QVERIFY2(error->Description().contains(u"in use by another program"_s) &&
                     error->Description().contains(QDir::toNativeSeparators(mFile)) &&
                     !error->Description().contains(u"not a Tessaro Orvane"_s),
                 qPrintable(error->Description()));
        QVERIFY2(waited >= 2000 && waited < 15000, qPrintable(QString::number(waited)));
        if (step == "open")
            store.OpenDatabase(mFile);
        QCOMPARE(store.GetProgramPath(u"Busy"_s), QString());
        QVERIFY(AddProgram(store, u"After"_s));
    }

    // Two stores on one file, in two threads, make the same change at the same moment, round
    // after round: one of them wins, the other is refused, neither throws, and the catalogue
    // ends consistent.
    void twoStoresRacing_data() {
        QTest::addColumn<int>("race");
        AddRow("same program name", int(SameProgram));
        AddRow("rename onto a name just added", int(RenameOntoAddedName));
        AddRow("rule for a program just removed", int(RuleForRemovedProgram));
    }
    void twoStoresRacing() {
        QFETCH(int, race);
        constexpr int kRounds = 40;
        const auto name = [](const char* prefix, int i) {
            return u"%1 %2"_s.arg(QLatin1String(prefix)).arg(i);
        };
        {
            CatalogStore setup;
            setup.OpenDatabase(mShared.Address());
            QVERIFY(setup.AddGroup(u"Staff"_s));
            for (int i = 0; i < kRounds; ++i)
                if (race == RenameOntoAddedName || race == RuleForRemovedProgram)
                    QVERIFY(AddProgram(setup, name("Old", i)));
        }
        // What side 0 or 1 does in round i; true when it changed the catalogue.
        const auto act = [&](CatalogStore& store, int side, int i) {
            switch (race) {
            case SameProgram:
                return AddProgram(store, name(side ? "NEW" : "New", i));
            case RenameOntoAddedName:
                return side ? store.ModifyProgram(name("Old", i), name("new", i), {}, {}, {}, {})
                            : AddProgram(store, name("New", i));
            case RuleForRemovedProgram:
                return side ? store.AddPermission("Staff", 1, name("Old", i), 2)
                            : store.DeleteProgram(name("Old", i));
            }
            return false;
        };
        std::barrier<> rounds(2);
        std::vector<char> won[2] = {std::vector<char>(kRounds), std::vector<char>(kRounds)};
        std::mutex errorsLock;
        QStringList errors;
        const auto runSide = [&](int side) {
            try {
                CatalogStore store;
                store.OpenDatabase(mShared.Address());
                for (int i = 0; i < kRounds; ++i) {
                    rounds.arrive_and_wait();
                    // The first side starts a little later from round to round, so that the
                    // rounds cover the moments between the other side's check and write.
                    if (side == 0)
                        std::this_thread::sleep_for(std::chrono::microseconds((i % 10) * 50));
                    won[side][i] = act(store, side, i);
                }
            } catch (const OrvError& error) {
                const std::lock_guard<std::mutex> guard(errorsLock);
                errors.append(error.Description());
                rounds.arrive_and_drop();
            }
        };
        std::thread first(runSide, 0);
        std::thread second(runSide, 1);
        first.join();
        second.join();
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));

        CatalogStore store;
        store.OpenDatabase(mShared.Address());
        int secondWins = 0;
        for (int i = 0; i < kRounds; ++i) {
            secondWins += won[1][i];
            if (race == RuleForRemovedProgram) {
                QVERIFY(won[0][i]); // the only one removing
                QCOMPARE(store.GetProgramId(name("Old", i)), 0L);
            } else {
                QVERIFY2(won[0][i] != won[1][i], qPrintable(QString::number(i)));
            }
            if (race == RenameOntoAddedName)
                QCOMPARE(store.GetProgramId(name("Old", i)) != 0, bool(won[0][i]));
        }
        qInfo("second store won %d of %d rounds", secondWins, kRounds);
        // No rule points at a program or principal that is gone.
        QCOMPARE(store.GetPermissionsByGroup().RecordCount(), 0);
        QCOMPARE(mShared.Value(u"SELECT count(*) FROM permissions"_s), u"0"_s);
    }

    // A rollback journal left by a program that stopped must be rolled back by a user who may
    // write the catalogue's folder; anyone else is told so, not that the file is foreign.
    // Run as root, the opening program runs as the user nobody.
    void catalogueInAFolderTheUserCannotWrite_data() {
        AddColumns<bool, QString>("hotJournal", "expected");
        AddRow("hot journal", true, "error 3049 ");
        AddRow("no journal", false, "opened 1");
    }
    void catalogueInAFolderTheUserCannotWrite() {
        QFETCH(bool, hotJournal);
        QFETCH(QString, expected);
        {
            CatalogStore store;
            store.OpenDatabase(mFile);
            QVERIFY(AddProgram(store, u"Editor"_s));
        }
        if (hotJournal)
            QVERIFY(MakeHotJournal(mFile));
        const QString folder = QFileInfo(mFile).absolutePath();
        const bool root = geteuid() == 0;
        // Root's files stay unwritable for nobody; the owner's folder is made read-only.
        const QFile::Permissions open = FileMode::kSharedDir;
        const QFile::Permissions readOnly =
            root ? open : QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup;
        QVERIFY(QFile::setPermissions(mDir->path(), open));
        QVERIFY(QFile::setPermissions(mDir->filePath("app"), open));
        QVERIFY(QFile::setPermissions(folder, readOnly));
        const QStringList lines = RunClient({u"open"_s, mFile});
        QVERIFY(QFile::setPermissions(folder, open | QFile::WriteOwner));

        QVERIFY2(lines.size() == 2 && lines.at(0) != QLatin1String("uid 0"),
                 qPrintable(lines.join(u'\n')));
        const QString outcome = lines.at(1);
        qInfo("%s: %s", qPrintable(lines.at(0)), qPrintable(outcome));
        QVERIFY2(outcome.startsWith(expected), qPrintable(outcome));
        if (hotJournal) {
            QVERIFY2(outcome.contains(u"half-changed"_s) &&
                         outcome.contains(QDir::toNativeSeparators(folder)) &&
                         !outcome.contains(u"not a Tessaro Orvane"_s),
                     qPrintable(outcome));
            QVERIFY(QFileInfo::exists(mFile + u"-journal"_s));
        }

        // A user who may write the folder opens it, which rolls the journal back.
        CatalogStore store;
        store.OpenDatabase(mFile);
        QCOMPARE(store.GetProgramPath(u"Editor"_s), u"/bin/true"_s);
        QVERIFY(AddProgram(store, u"Other"_s));
        QVERIFY(!QFileInfo::exists(mFile + u"-journal"_s));
    }

    // What the store creates has its own mode whatever the umask: the catalogue and its
    // folders read by all and written by the owner, exported pictures private.
    void createdFilesHaveExplicitModes_data() {
        QTest::addColumn<int>("mask");
        AddRow("umask 000", 0000);
        AddRow("umask 077", 0077);
    }
    void createdFilesHaveExplicitModes() {
        QFETCH(int, mask);
        const QString file = mDir->filePath(u"fresh/database/Orvane.mdb"_s);
        const QString pictures = mDir->filePath(u"pictures"_s);
        QImage red(8, 8, QImage::Format_RGB32);
        red.fill(Qt::red);
        const QString iconFile = mDir->filePath(u"icon.png"_s);
        QVERIFY(red.save(iconFile));
        const mode_t old = ::umask(static_cast<mode_t>(mask));
        CatalogStore store;
        bool exported = false;
        const auto error = ErrorOf([&] {
            store.OpenDatabase(file);
            store.SetAppPath(pictures);
            store.AddProgram(u"Editor"_s, {}, {}, iconFile, {}, {});
            exported = store.ExportProgramIcon(u"Editor"_s);
        });
        ::umask(old);
        QVERIFY2(!error, error ? qPrintable(error->Description()) : "");
        QVERIFY(exported);
        const AppPaths paths(QString(), pictures);
        const struct {
            QString path;
            int mode;
        } expected[] = {
            {mDir->filePath(u"fresh"_s), 0755},
            {mDir->filePath(u"fresh/database"_s), 0755},
            {file, 0644},
            {pictures, 0700},
            {QFileInfo(paths.PictureFile(u"Editor"_s)).absolutePath(), 0700},
            {paths.PictureFile(u"Editor"_s), 0600},
        };
        for (const auto& item : expected)
            QVERIFY2(ModeOf(item.path) == item.mode,
                     qPrintable(u"%1: %2"_s.arg(item.path).arg(ModeOf(item.path), 0, 8)));
    }
};

QTEST_GUILESS_MAIN(tst_catalogfaults)
#include "tst_catalogfaults.moc"
