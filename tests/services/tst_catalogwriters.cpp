// Several programs change one catalogue at once: every change one of them was told it made is
// there afterwards, and nothing else. Runs against SQLite and, as tst_catalogwriters_postgres,
// PostgreSQL.
#include "services/CatalogStore.h"
#include "support/PostgresTest.h"

#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

class tst_catalogwriters : public QObject {
    Q_OBJECT

private slots:
    void acknowledgedChangesAreAllThere_data() {
        QTest::addColumn<int>("writers");
        QTest::addColumn<int>("operations");
        QTest::newRow("2 writers") << 2 << 80;
        QTest::newRow("5 writers") << 5 << 60;
    }
    void acknowledgedChangesAreAllThere() {
        QFETCH(int, writers);
        QFETCH(int, operations);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QString catalogue;
        QString error;
        QVERIFY2(FreshPostgresDatabase(QStringLiteral("orv_catalogwriters"), catalogue, error),
                 qPrintable(error));
        if (catalogue.isEmpty())
            catalogue = dir.filePath(QStringLiteral("Orvane.mdb"));
        {
            CatalogStore store;
            store.OpenDatabase(catalogue);
            QVERIFY(store.AddGroup(QStringLiteral("Staff")));
            QVERIFY(store.AddProgram(QStringLiteral("Shared"), {}, QStringLiteral("/bin/true"), {},
                                     {}, {}));
            for (int id = 0; id < writers; ++id)
                QVERIFY(store.AddGroup(QStringLiteral("G%1").arg(id)));
        }

        std::vector<std::unique_ptr<QProcess>> clients;
        for (int id = 0; id < writers; ++id) {
            auto client = std::make_unique<QProcess>();
            client->start(QStringLiteral(ORV_CATALOG_CLIENT),
                          {QStringLiteral("churn"), catalogue, QString::number(id),
                           QString::number(operations)});
            clients.push_back(std::move(client));
        }
        QSet<QString> expectedPrograms;
        QSet<QString> expectedRules;
        int acknowledged = 0;
        for (auto& client : clients) {
            QVERIFY(client->waitForFinished(240000));
            const QString errors = QString::fromLocal8Bit(client->readAllStandardError());
            QCOMPARE(client->exitCode(), 0);
            const QStringList lines =
                QString::fromLocal8Bit(client->readAllStandardOutput()).split(u'\n');
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
            const QString name = rs.Fields(QStringLiteral("Program_Name")).toString();
            if (name != QLatin1String("Shared"))
                programs.insert(name + u' ' + rs.Fields(QStringLiteral("Program_Desc")).toString());
        }
        QCOMPARE(programs, expectedPrograms);
        QSet<QString> rules;
        for (Recordset rs = store.GetPermissionsByGroup(); !rs.IsEOF(); rs.MoveNext())
            rules.insert(QStringLiteral("%1 %2 %3")
                             .arg(rs.Fields(QStringLiteral("ObjectName")).toString(),
                                  rs.Fields(QStringLiteral("PrgName")).toString())
                             .arg(rs.Fields(QStringLiteral("Status")).toInt()));
        QCOMPARE(rules, expectedRules);
    }
};

QTEST_GUILESS_MAIN(tst_catalogwriters)
#include "tst_catalogwriters.moc"
