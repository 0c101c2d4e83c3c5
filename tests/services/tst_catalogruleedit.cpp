#include "platform/OrvError.h"
#include "services/CatalogStore.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

// "name=status" of every rule of a program, groups first.
QStringList Rules(CatalogStore& store, const QString& program) {
    QStringList rules;
    const std::pair<Recordset, QString> lists[] = {
        {store.GetProgramGroupPermissions(program), QStringLiteral("GroupName")},
        {store.GetProgramUserPermissions(program), QStringLiteral("Username")}};
    for (auto [rs, field] : lists)
        for (long i = 0; i < rs.RecordCount(); ++i, rs.MoveNext())
            rules << rs.Fields(field).toString() + '=' + rs.Fields("Status").toString();
    return rules;
}

// Makes the catalogue file refuse every new rule, through a second connection.
void RefuseNewRules(const QString& file) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "refuse");
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec("CREATE TRIGGER refuse BEFORE INSERT ON permissions "
                                   "BEGIN SELECT RAISE(ABORT, 'rules are frozen'); END"));
    }
    QSqlDatabase::removeDatabase("refuse");
}

} // namespace

class tst_catalogruleedit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The delete and the add of a changed rule are one transaction: whatever stops the add
    // leaves the earlier rule where it was.
    void replaceIsAllOrNothing_data() {
        QTest::addColumn<QString>("principal");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<QString>("outcome"); // "true", "false" or "throws"
        QTest::addColumn<QStringList>("rules");
        const QStringList before{"Staff=1", "ann=0"};
        QTest::newRow("replaced") << "Staff" << 2 << "Mail" << false << "true"
                                  << QStringList{"Staff=0", "ann=0"};
        QTest::newRow("program name in any case")
            << "Staff" << 2 << " mail " << false << "true" << QStringList{"Staff=0", "ann=0"};
        QTest::newRow("unknown principal") << "nobody" << 2 << "Mail" << false << "false" << before;
        QTest::newRow("kind does not match")
            << "Staff" << 1 << "Mail" << false << "false" << before;
        QTest::newRow("unknown program") << "Staff" << 2 << "Gone" << false << "false" << before;
        QTest::newRow("add refused") << "Staff" << 2 << "Mail" << true << "throws" << before;
    }
    void replaceIsAllOrNothing() {
        QFETCH(QString, principal);
        QFETCH(int, kind);
        QFETCH(QString, program);
        QFETCH(bool, refuse);
        QFETCH(QString, outcome);
        QFETCH(QStringList, rules);
        QTemporaryDir dir;
        const QString file = dir.filePath("Orvane.mdb");
        CatalogStore store;
        store.OpenDatabase(file);
        QVERIFY(store.AddProgram("Mail", {}, "/usr/bin/mail", {}, {}, {}));
        QVERIFY(store.AddGroup("Staff"));
        QVERIFY(store.AddUser("ann", "S-1-5-21-1"));
        QVERIFY(store.AddPermission("Staff", 1, "Mail", CatalogStore::KindGroup));
        QVERIFY(store.AddPermission("ann", 0, "Mail", CatalogStore::KindUser));
        if (refuse)
            RefuseNewRules(file);
        // The keys of the rule being changed: Staff's rule for Mail.
        const long principalId = store.GetObjectId("Staff", CatalogStore::KindGroup);
        const long programId = store.GetProgramId("Mail");
        QString result;
        try {
            result = store.ReplacePermission(principalId, programId, principal, 0, program, kind)
                         ? "true"
                         : "false";
        } catch (const OrvError& error) {
            result = "throws";
            QVERIFY2(error.Description().contains("rules are frozen"),
                     qPrintable(error.Description()));
            QVERIFY(error.Description().contains(dir.path()));
        }
        QCOMPARE(result, outcome);
        QCOMPARE(Rules(store, "Mail"), rules);
        // The store goes on writing after a rolled-back replace.
        QVERIFY(
            store.DeletePermission(store.GetObjectId("ann", CatalogStore::KindUser), programId));
    }
};

QTEST_MAIN(tst_catalogruleedit)
#include "tst_catalogruleedit.moc"
