// Several programs change one catalogue at once: every change one of them was told it made is
// there afterwards, and nothing else. Runs against SQLite and, as tst_catalogwriters_postgres,
// PostgreSQL.
#include "catalogue/CatalogStore.h"
#include "support/DataRow.h"
#include "support/Errors.h"
#include "support/TestCatalogue.h"

#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

class tst_catalogwriters : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> mDir;
    // The shared catalogue: a new SQLite file, or the test server's database emptied.
    TestCatalogue mShared;

private slots:
    void init() {
        mDir = std::make_unique<QTemporaryDir>();
        QVERIFY(mDir->isValid());
        QString error;
        QVERIFY2(
            mShared.Prepare(u"orv_catalogwriters"_s, mDir->filePath(u"Orvane.mdb"_s), error, true),
            qPrintable(error));
    }

    // A store answers a principal's rules from what it read last while the catalogue is
    // unchanged; every change, its own or another connection's, is seen by the next read.
    void rulesReadAgainSeeEveryChange() {
        const QString catalogue = mShared.Address();
        CatalogStore reader;
        CatalogStore other;
        reader.OpenDatabase(catalogue);
        other.OpenDatabase(catalogue);
        for (const char* program : {"Editor", "Mail"})
            QVERIFY(other.AddProgram(QString::fromLatin1(program), {}, "/bin/true", {}, {}, {}));
        QVERIFY(other.AddGroup("Staff"));
        QVERIFY(other.AddUser("ann", "S-1-5-21-1"));
        const auto rules = [&] {
            QStringList seen;
            for (Recordset rs = reader.GetGroupPermissions("Staff"); !rs.IsEOF(); rs.MoveNext())
                seen << u"Staff %1 %2"_s.arg(rs.Fields("Program_Name").toString())
                            .arg(rs.Fields("Status").toInt());
            for (Recordset rs = reader.GetUserPermissions("ann", "S-1-5-21-1"); !rs.IsEOF();
                 rs.MoveNext())
                seen << u"ann %1 %2"_s.arg(rs.Fields("PrgName").toString())
                            .arg(rs.Fields("Status").toInt());
            return seen.join(u',');
        };
        const int group = CatalogStore::KindGroup;
        const struct {
            const char* change;
            std::function<bool()> make;
            const char* expected;
        } steps[] = {
            {"nothing yet", [] { return true; }, ""},
            {"another connection adds",
             [&] { return other.AddPermission("Staff", 1, "Editor", group); }, "Staff Editor 1"},
            {"the reader adds",
             [&] { return reader.AddPermission("ann", 0, "Mail", CatalogStore::KindUser); },
             "Staff Editor 1,ann Mail 0"},
            {"another connection replaces",
             [&] { return other.AddPermission("Staff", 0, "Editor", group); },
             "Staff Editor 0,ann Mail 0"},
            {"another connection removes a program", [&] { return other.DeleteProgram("Mail"); },
             "Staff Editor 0"},
        };
        for (const auto& step : steps) {
            QVERIFY2(step.make(), step.change);
            QCOMPARE(rules(), QString::fromLatin1(step.expected));
            QCOMPARE(rules(), QString::fromLatin1(step.expected)); // read again, unchanged
        }
    }

    // An edit remembers the row it read: after another administrator removed the program and
    // added a new one of the same name, saving the old reading is refused, and the new program
    // stays as he made it.
    void removedAndAddedAgainIsAnotherProgram() {
        const QString catalogue = mShared.Address();
        CatalogStore editor;
        CatalogStore other;
        editor.OpenDatabase(catalogue);
        other.OpenDatabase(catalogue);
        QVERIFY(other.AddProgram("Editor", "old", "/bin/ed", {}, {}, {}));
        QCOMPARE(editor.GetProgram("Editor").RecordCount(), 1); // the editor's window opens
        QVERIFY(other.DeleteProgram("Editor"));
        QVERIFY(other.AddProgram("EDITOR", "new", "/bin/vi", {}, {}, {}));
        for (const auto& save : std::initializer_list<std::function<void()>>{
                 [&] { editor.ModifyProgram("Editor", "Editor", "mine", "/bin/ed", {}, {}); },
                 [&] { editor.SetProgramIcon("Editor", {}); }}) {
            const auto refused = ErrorOf(save);
            QVERIFY2(refused && refused->Description().contains(u"changed by someone else"_s),
                     refused ? qPrintable(refused->Description()) : "the stale save went through");
        }
        Recordset now = other.GetProgram("Editor");
        QCOMPARE(now.Fields("Program_Name").toString(), u"EDITOR"_s);
        QCOMPARE(now.Fields("Program_Desc").toString(), u"new"_s);
    }

    void acknowledgedChangesAreAllThere_data() {
        AddColumns<int, int>("writers", "operations");
        QTest::newRow("5 writers") << 5 << 60;
    }
    void acknowledgedChangesAreAllThere() {
        QFETCH(int, writers);
        QFETCH(int, operations);
        const QString catalogue = mShared.Address();
        {
            CatalogStore store;
            store.OpenDatabase(catalogue);
            QVERIFY(store.AddGroup(u"Staff"_s));
            QVERIFY(store.AddProgram(u"Shared"_s, {}, u"/bin/true"_s, {}, {}, {}));
            for (int id = 0; id < writers; ++id)
                QVERIFY(store.AddGroup(u"G%1"_s.arg(id)));
        }

        std::vector<std::unique_ptr<QProcess>> clients;
        for (int id = 0; id < writers; ++id) {
            auto client = std::make_unique<QProcess>();
            client->start(
                QStringLiteral(ORV_CATALOG_CLIENT),
                {u"churn"_s, catalogue, QString::number(id), QString::number(operations)});
            clients.push_back(std::move(client));
        }
        QSet<QString> expectedPrograms;
        QSet<QString> expectedRules;
        int acknowledged = 0;
        for (auto& client : clients) {
            QVERIFY(client->waitForFinished(240000));
            const QString errors = QString::fromLocal8Bit(client->readAllStandardError());
            const QStringList lines =
                QString::fromLocal8Bit(client->readAllStandardOutput()).split(u'\n');
            QVERIFY2(client->exitCode() == 0, qPrintable(lines.join(u'\n') + errors));
            bool done = false;
            for (const QString& line : lines) {
                const QStringList words = line.split(u' ');
                if (words.at(0) == QLatin1String("program"))
                    expectedPrograms.insert(words.mid(1).join(u' '));
                else if (words.at(0) == QLatin1String("rule"))
                    expectedRules.insert(words.mid(1).join(u' '));
                else if (words.at(0) == QLatin1String("done")) {
                    done = true;
                    acknowledged += words.value(1).toInt();
                    // A writer may be turned away when another holds the catalogue for
                    // longer than it waits, but not most of the time.
                    QVERIFY2(words.value(2).toInt() * 10 <= operations, qPrintable(errors));
                }
            }
            QVERIFY2(done, qPrintable(lines.join(u'\n') + errors));
        }
        QVERIFY(acknowledged >= writers * operations * 9 / 10);

        CatalogStore store;
        store.OpenDatabase(catalogue);
        QSet<QString> programs;
        for (Recordset rs = store.GetPrograms(); !rs.IsEOF(); rs.MoveNext()) {
            const QString name = rs.Fields(u"Program_Name"_s).toString();
            if (name != QLatin1String("Shared"))
                programs.insert(name + u' ' + rs.Fields(u"Program_Desc"_s).toString());
        }
        QCOMPARE(programs, expectedPrograms);
        QSet<QString> rules;
        for (Recordset rs = store.GetPermissionsByGroup(); !rs.IsEOF(); rs.MoveNext())
            rules.insert(
                u"%1 %2 %3"_s
                    .arg(rs.Fields(u"ObjectName"_s).toString(), rs.Fields(u"PrgName"_s).toString())
                    .arg(rs.Fields(u"Status"_s).toInt()));
        QCOMPARE(rules, expectedRules);
    }
};

QTEST_GUILESS_MAIN(tst_catalogwriters)
#include "tst_catalogwriters.moc"
