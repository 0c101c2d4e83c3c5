// Schema versions, edits that would overwrite another administrator's change, and a server
// that cannot be reached. Runs against SQLite and, as tst_catalogversions_postgres, PostgreSQL.
#include "platform/OrvError.h"
#include "services/CatalogSchema.h"
#include "services/CatalogStore.h"
#include "support/PostgresTest.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>

namespace {

std::optional<OrvError> ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const OrvError& error) {
        return error;
    }
    return std::nullopt;
}

} // namespace

class tst_catalogversions : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> mDir;
    QString mServerUrl; // made once on a PostgreSQL run
    QString mCatalogue;

    bool OnPostgres() const { return !mServerUrl.isEmpty(); }
    CatalogEngine Engine() const {
        return OnPostgres() ? CatalogEngine::Postgres : CatalogEngine::Sqlite;
    }

    QSqlDatabase Raw(const QString& name) const {
        if (OnPostgres())
            return PostgresConnection(mCatalogue, name);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(mCatalogue);
        return db;
    }

    // Runs statements on a connection of the test's own; the first failure's text.
    QString RawExec(const QStringList& statements) const {
        QString failure;
        {
            QSqlDatabase db = Raw(QStringLiteral("raw"));
            if (!db.open())
                failure = db.lastError().text();
            QSqlQuery query(db);
            for (const QString& sql : statements)
                if (failure.isEmpty() && !query.exec(sql))
                    failure = sql + QStringLiteral(": ") + query.lastError().text();
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("raw"));
        return failure;
    }

    // The first column of the first row of a query, as text ("" when there is none).
    QString RawValue(const QString& sql) const {
        QString value;
        {
            QSqlDatabase db = Raw(QStringLiteral("raw"));
            QSqlQuery query(db);
            if (db.open() && query.exec(sql) && query.next())
                value = query.value(0).toString();
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("raw"));
        return value;
    }

    // A catalogue as the first version wrote it, with a program, a group, its rule and a
    // folder entry.
    QString MakeVersion1Catalogue() const {
        QStringList sql = CatalogSchemaStatements(Engine(), 1);
        sql += {QStringLiteral("INSERT INTO catalog_meta VALUES ('format', '%1')")
                    .arg(QLatin1String(kCatalogFormatValue)),
                QStringLiteral("INSERT INTO catalog_meta VALUES ('schema_version', '1')"),
                QStringLiteral("INSERT INTO themes (theme_name, is_default) VALUES ('Default', 1)"),
                QStringLiteral("INSERT INTO programs (program_name, name_key, description,"
                               " exe_path, added_date) VALUES ('Editor', 'EDITOR', 'Writes',"
                               " '/bin/ed', '2020-01-02T03:04:05.000Z')"),
                QStringLiteral("INSERT INTO principals (object_name, object_kind)"
                               " VALUES ('Staff', 2)"),
                QStringLiteral("INSERT INTO permissions (object_id, program_id, status)"
                               " VALUES (1, 1, 1)"),
                QStringLiteral("INSERT INTO folders (folder_name, folder_path)"
                               " VALUES ('Docs', '/srv/docs')")};
        return RawExec(sql);
    }

    std::unique_ptr<CatalogStore> Open() const {
        auto store = std::make_unique<CatalogStore>();
        store->OpenDatabase(mCatalogue);
        return store;
    }

private slots:
    void init() {
        mDir = std::make_unique<QTemporaryDir>();
        QVERIFY(mDir->isValid());
        if (mServerUrl.isEmpty() && OnPostgresRun()) {
            QString error;
            QVERIFY2(
                FreshPostgresDatabase(QStringLiteral("orv_catalogversions"), mServerUrl, error),
                qPrintable(error));
        }
        mCatalogue = mServerUrl;
        if (OnPostgres())
            QCOMPARE(RawExec({QStringLiteral("DROP TABLE IF EXISTS permissions, principals,"
                                             " programs, folders, themes, catalog_meta CASCADE")}),
                     QString());
        else
            mCatalogue = mDir->filePath(QStringLiteral("Orvane.mdb"));
    }

    void cleanup() { mDir.reset(); }

    void olderCatalogueIsUpgradedKeepingItsContent() {
        QCOMPARE(MakeVersion1Catalogue(), QString());
        auto store = Open();
        QCOMPARE(RawValue(QStringLiteral(
                     "SELECT meta_value FROM catalog_meta WHERE meta_key = 'schema_version'")),
                 QString::number(kCatalogSchemaVersion));
        Recordset programs = store->GetPrograms();
        QCOMPARE(programs.RecordCount(), 1);
        QCOMPARE(programs.Fields(QStringLiteral("Program_Desc")).toString(),
                 QStringLiteral("Writes"));
        Recordset rules = store->GetGroupPermissions(QStringLiteral("Staff"));
        QCOMPARE(rules.RecordCount(), 1);
        QCOMPARE(rules.Fields(QStringLiteral("Status")).toInt(), 1);
        QCOMPARE(store->GetFolders().RecordCount(), 1);
        // The new column works: an edit goes through and counts as a change.
        QVERIFY(store->ModifyProgram(QStringLiteral("Editor"), QStringLiteral("Editor"),
                                     QStringLiteral("New"), QStringLiteral("/bin/ed"), {}, {}));
        QCOMPARE(RawValue(QStringLiteral("SELECT row_version FROM programs")), QStringLiteral("2"));
        // Opening it again is no upgrade.
        store = Open();
        QCOMPARE(store->GetProgram(QStringLiteral("Editor"))
                     .Fields(QStringLiteral("Program_Desc"))
                     .toString(),
                 QStringLiteral("New"));
    }

    // An upgrade that fails half-way leaves the catalogue at its old version, as it was.
    void failedUpgradeChangesNothing() {
        QCOMPARE(MakeVersion1Catalogue(), QString());
        // A column in the way makes the upgrade's ALTER TABLE fail.
        QCOMPARE(RawExec({QStringLiteral("ALTER TABLE programs ADD COLUMN row_version TEXT")}),
                 QString());
        const auto error = ErrorOf([this] { Open(); });
        QVERIFY(error);
        QVERIFY2(error->Description().contains(QStringLiteral("must be upgraded")),
                 qPrintable(error->Description()));
        QCOMPARE(RawValue(QStringLiteral(
                     "SELECT meta_value FROM catalog_meta WHERE meta_key = 'schema_version'")),
                 QStringLiteral("1"));
        QCOMPARE(RawValue(QStringLiteral("SELECT count(*) FROM programs")), QStringLiteral("1"));
    }

    void newerCatalogueIsRefusedUnchanged_data() {
        QTest::addColumn<bool>("withDefaultTheme");
        QTest::newRow("intact") << true;
        // Opening would otherwise repair a missing default theme: a newer catalogue is not
        // this version's to repair.
        QTest::newRow("no default theme") << false;
    }
    void newerCatalogueIsRefusedUnchanged() {
        QFETCH(bool, withDefaultTheme);
        Open();
        const QString newer = QString::number(kCatalogSchemaVersion + 1);
        QStringList change = {QStringLiteral("UPDATE catalog_meta SET meta_value = '%1'"
                                             " WHERE meta_key = 'schema_version'")
                                  .arg(newer)};
        if (!withDefaultTheme)
            change.append(QStringLiteral("UPDATE themes SET is_default = 0"));
        QCOMPARE(RawExec(change), QString());
        const auto error = ErrorOf([this] { Open(); });
        QVERIFY(error);
        QCOMPARE(error->Number(), ErrorNumber::DatabaseOpen);
        QVERIFY2(error->Description().contains(QStringLiteral("newer version")),
                 qPrintable(error->Description()));
        QCOMPARE(RawValue(QStringLiteral(
                     "SELECT meta_value FROM catalog_meta WHERE meta_key = 'schema_version'")),
                 newer);
        QCOMPARE(RawValue(QStringLiteral("SELECT sum(is_default) FROM themes")),
                 withDefaultTheme ? QStringLiteral("1") : QStringLiteral("0"));
    }

    // Two administrators open the same program; the second save would undo the first.
    void editOfAProgramChangedMeanwhileIsRefused_data() {
        QTest::addColumn<QString>("firstChange"); // what the first administrator saves
        QTest::newRow("fields") << QStringLiteral("fields");
        QTest::newRow("icon") << QStringLiteral("icon");
        QTest::newRow("name") << QStringLiteral("name");
    }
    void editOfAProgramChangedMeanwhileIsRefused() {
        QFETCH(QString, firstChange);
        auto first = Open();
        auto second = Open();
        const QString name = QStringLiteral("Editor");
        QVERIFY(
            first->AddProgram(name, QStringLiteral("Old"), QStringLiteral("/bin/ed"), {}, {}, {}));
        QCOMPARE(first->GetProgram(name).RecordCount(), 1);
        QCOMPARE(second->GetProgram(name).RecordCount(), 1);
        if (firstChange == QLatin1String("fields")) {
            QVERIFY(first->ModifyProgram(name, name, QStringLiteral("First"),
                                         QStringLiteral("/bin/ed"), {}, {}));
            // His own change does not stop him.
            QVERIFY(first->ModifyProgram(name, name, QStringLiteral("First again"),
                                         QStringLiteral("/bin/ed"), {}, {}));
        } else if (firstChange == QLatin1String("icon")) {
            QVERIFY(first->SetProgramIcon(name, QString()));
        } else {
            // The second administrator still holds the old reading under the new name's key.
            QVERIFY(first->ModifyProgram(name, QStringLiteral("editor"), QStringLiteral("Old"),
                                         QStringLiteral("/bin/ed"), {}, {}));
        }
        const QString expected =
            first->GetProgram(name).Fields(QStringLiteral("Program_Desc")).toString();
        const auto refused = ErrorOf([&] {
            second->ModifyProgram(name, name, QStringLiteral("Second"), QStringLiteral("/bin/ed"),
                                  {}, {});
        });
        QVERIFY(refused);
        QVERIFY2(refused->Description().contains(QStringLiteral("changed by someone else")),
                 qPrintable(refused->Description()));
        QCOMPARE(first->GetProgram(name).Fields(QStringLiteral("Program_Desc")).toString(),
                 expected);
        // After a reload the edit goes through.
        QCOMPARE(second->GetPrograms().RecordCount(), 1);
        QVERIFY(second->ModifyProgram(name, name, QStringLiteral("Second"),
                                      QStringLiteral("/bin/ed"), {}, {}));
        QCOMPARE(first->GetProgram(name).Fields(QStringLiteral("Program_Desc")).toString(),
                 QStringLiteral("Second"));
    }

    void unreachableServerIsNamed() {
        // A loopback port that nothing listens on.
        quint16 port = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            port = probe.serverPort();
        }
        CatalogStore store;
        const auto error = ErrorOf([&] {
            store.OpenDatabase(QStringLiteral("postgresql://orvane@127.0.0.1:%1/orvane").arg(port));
        });
        QVERIFY(error);
        QCOMPARE(error->Number(), ErrorNumber::DatabaseOpen);
        QVERIFY2(error->Description().contains(QStringLiteral("127.0.0.1:%1").arg(port)),
                 qPrintable(error->Description()));
    }

    void addressWithForeignParametersIsRefused_data() {
        QTest::addColumn<QString>("query");
        QTest::newRow("unknown parameter") << QStringLiteral("?host=10.0.0.1");
        QTest::newRow("value adding a parameter") << QStringLiteral("?sslmode=disable%20host=x");
    }
    void addressWithForeignParametersIsRefused() {
        QFETCH(QString, query);
        CatalogStore store;
        const auto error = ErrorOf(
            [&] { store.OpenDatabase(QStringLiteral("postgresql://o@127.0.0.1:1/db") + query); });
        QVERIFY(error);
        QVERIFY2(error->Description().contains(QStringLiteral("not allowed")),
                 qPrintable(error->Description()));
    }
};

QTEST_GUILESS_MAIN(tst_catalogversions)
#include "tst_catalogversions.moc"
