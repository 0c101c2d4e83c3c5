// Schema versions, edits that would overwrite another administrator's change, and a server
// that cannot be reached. Runs against SQLite and, as tst_catalogversions_postgres, PostgreSQL.
#include "catalogue/CatalogSchema.h"
#include "catalogue/CatalogStore.h"
#include "platform/OrvError.h"
#include "support/DataRow.h"
#include "support/Errors.h"
#include "support/TestCatalogue.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

class tst_catalogversions : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> mDir;
    TestCatalogue mCatalogue;

    // A catalogue as the first version wrote it, with a program, a group, its rule and a
    // folder entry.
    QString MakeVersion1Catalogue() const {
        QStringList sql = CatalogSchemaStatements(
            mCatalogue.OnPostgres() ? CatalogEngine::Postgres : CatalogEngine::Sqlite, 1);
        sql += {u"INSERT INTO catalog_meta VALUES ('format', '%1')"_s.arg(
                    QLatin1String(kCatalogFormatValue)),
                u"INSERT INTO catalog_meta VALUES ('schema_version', '1')"_s,
                u"INSERT INTO themes (theme_name, is_default) VALUES ('Default', 1)"_s,
                u"INSERT INTO programs (program_name, name_key, description,"
                " exe_path, added_date) VALUES ('Editor', 'EDITOR', 'Writes',"
                " '/bin/ed', '2020-01-02T03:04:05.000Z')"_s,
                u"INSERT INTO principals (object_name, object_kind)"
                " VALUES ('Staff', 2)"_s,
                u"INSERT INTO permissions (object_id, program_id, status)"
                " VALUES (1, 1, 1)"_s,
                u"INSERT INTO folders (folder_name, folder_path)"
                " VALUES ('Docs', '/srv/docs')"_s};
        return mCatalogue.Exec(sql);
    }

    QString SchemaVersion() const {
        return mCatalogue.Value(
            u"SELECT meta_value FROM catalog_meta WHERE meta_key = 'schema_version'"_s);
    }

    std::unique_ptr<CatalogStore> Open() const {
        auto store = std::make_unique<CatalogStore>();
        store->OpenDatabase(mCatalogue.Address());
        return store;
    }

private slots:
    void init() {
        mDir = std::make_unique<QTemporaryDir>();
        QVERIFY(mDir->isValid());
        QString error;
        QVERIFY2(mCatalogue.Prepare(u"orv_catalogversions"_s, mDir->filePath(u"Orvane.mdb"_s),
                                    error, true),
                 qPrintable(error));
    }

    void cleanup() { mDir.reset(); }

    void olderCatalogueIsUpgradedKeepingItsContent() {
        QCOMPARE(MakeVersion1Catalogue(), QString());
        auto store = Open();
        QCOMPARE(SchemaVersion(), QString::number(kCatalogSchemaVersion));
        Recordset programs = store->GetPrograms();
        QCOMPARE(programs.RecordCount(), 1);
        QCOMPARE(programs.Fields("Program_Desc").toString(), u"Writes"_s);
        Recordset rules = store->GetGroupPermissions(u"Staff"_s);
        QCOMPARE(rules.RecordCount(), 1);
        QCOMPARE(rules.Fields("Status").toInt(), 1);
        QCOMPARE(store->GetFolders().RecordCount(), 1);
        // The new column works: an edit goes through and counts as a change.
        QVERIFY(store->ModifyProgram(u"Editor"_s, u"Editor"_s, u"New"_s, u"/bin/ed"_s, {}, {}));
        QCOMPARE(mCatalogue.Value(u"SELECT row_version FROM programs"_s), u"2"_s);
        // Opening it again is no upgrade.
        store = Open();
        QCOMPARE(store->GetProgram(u"Editor"_s).Fields("Program_Desc").toString(), u"New"_s);
    }

    // A source read to be copied is read as it is: an older catalogue stays older, and its
    // content reaches the copy whole.
    void olderCatalogueIsCopiedWithoutUpgrade() {
        QCOMPARE(MakeVersion1Catalogue(), QString());
        CatalogStore source;
        source.OpenReadOnly(mCatalogue.Address());
        CatalogStore target;
        target.OpenDatabase(mDir->filePath(u"copy.mdb"_s));
        source.CopyInto(target);
        QCOMPARE(SchemaVersion(), u"1"_s);
        QCOMPARE(target.GetProgram(u"Editor"_s).Fields("Program_Desc").toString(), u"Writes"_s);
        QCOMPARE(target.GetGroupPermissions(u"Staff"_s).RecordCount(), 1);
        // Read only: a write is refused, and nothing of it is there.
        QVERIFY(ErrorOf([&] { source.AddFolder(u"More"_s, {}); }));
        QCOMPARE(mCatalogue.Value(u"SELECT count(*) FROM folders"_s), u"1"_s);
    }

    // An upgrade that fails half-way leaves the catalogue at its old version, as it was.
    void failedUpgradeChangesNothing() {
        QCOMPARE(MakeVersion1Catalogue(), QString());
        // A column in the way makes the upgrade's ALTER TABLE fail.
        QCOMPARE(mCatalogue.Exec({u"ALTER TABLE programs ADD COLUMN row_version TEXT"_s}),
                 QString());
        const auto error = ErrorOf([this] { Open(); });
        QVERIFY(error);
        QVERIFY2(error->Description().contains(u"must be upgraded"_s),
                 qPrintable(error->Description()));
        QCOMPARE(SchemaVersion(), u"1"_s);
        QCOMPARE(mCatalogue.Value(u"SELECT count(*) FROM programs"_s), u"1"_s);
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
        QStringList change = {u"UPDATE catalog_meta SET meta_value = '%1'"
                              " WHERE meta_key = 'schema_version'"_s.arg(newer)};
        if (!withDefaultTheme)
            change.append(u"UPDATE themes SET is_default = 0"_s);
        QCOMPARE(mCatalogue.Exec(change), QString());
        const auto error = ErrorOf([this] { Open(); });
        QVERIFY(error);
        QCOMPARE(error->Number(), ErrorNumber::DatabaseOpen);
        QVERIFY2(error->Description().contains(u"newer version"_s),
                 qPrintable(error->Description()));
        QCOMPARE(SchemaVersion(), newer);
        QCOMPARE(mCatalogue.Value(u"SELECT sum(is_default) FROM themes"_s),
                 withDefaultTheme ? u"1"_s : u"0"_s);
    }

    // Two administrators open the same program; the second save would undo the first.
    void editOfAProgramChangedMeanwhileIsRefused_data() {
        QTest::addColumn<QString>("firstChange"); // what the first administrator saves
        for (const char* change : {"fields", "icon", "name"})
            QTest::newRow(change) << QString::fromLatin1(change);
    }
    void editOfAProgramChangedMeanwhileIsRefused() {
        QFETCH(QString, firstChange);
        auto first = Open();
        auto second = Open();
        const QString name = u"Editor"_s;
        QVERIFY(first->AddProgram(name, u"Old"_s, u"/bin/ed"_s, {}, {}, {}));
        QCOMPARE(first->GetProgram(name).RecordCount(), 1);
        QCOMPARE(second->GetProgram(name).RecordCount(), 1);
        if (firstChange == "fields") {
            QVERIFY(first->ModifyProgram(name, name, u"First"_s, u"/bin/ed"_s, {}, {}));
            // His own change does not stop him.
            QVERIFY(first->ModifyProgram(name, name, u"First again"_s, u"/bin/ed"_s, {}, {}));
        } else if (firstChange == "icon") {
            QVERIFY(first->SetProgramIcon(name, QString()));
        } else {
            // The second administrator still holds the old reading under the new name's key.
            QVERIFY(first->ModifyProgram(name, u"editor"_s, u"Old"_s, u"/bin/ed"_s, {}, {}));
        }
        const QString expected = first->GetProgram(name).Fields("Program_Desc").toString();
        const auto refused =
            ErrorOf([&] { second->ModifyProgram(name, name, u"Second"_s, u"/bin/ed"_s, {}, {}); });
        QVERIFY(refused);
        QVERIFY2(refused->Description().contains(u"changed by someone else"_s),
                 qPrintable(refused->Description()));
        QCOMPARE(first->GetProgram(name).Fields("Program_Desc").toString(), expected);
        // After a reload the edit goes through.
        QCOMPARE(second->GetPrograms().RecordCount(), 1);
        QVERIFY(second->ModifyProgram(name, name, u"Second"_s, u"/bin/ed"_s, {}, {}));
        QCOMPARE(first->GetProgram(name).Fields("Program_Desc").toString(), u"Second"_s);
    }

    // Parameters of the address other than the known ones are refused.
    void addressesThatCannotBeOpened_data() {
        AddColumns<QString, QString>("address", "says");
        AddRow("unknown parameter", u"postgresql://o@127.0.0.1:1/db?host=10.0.0.1"_s,
               u"not allowed"_s);
        AddRow("value adding a parameter",
               u"postgresql://o@127.0.0.1:1/db?sslmode=disable%20host=x"_s, u"not allowed"_s);
    }
    void addressesThatCannotBeOpened() {
        QFETCH(QString, address);
        QFETCH(QString, says);
        CatalogStore store;
        const auto error = ErrorOf([&] { store.OpenDatabase(address); });
        QVERIFY(error);
        QCOMPARE(error->Number(), ErrorNumber::DatabaseOpen);
        QVERIFY2(error->Description().contains(says), qPrintable(error->Description()));
    }
};

QTEST_GUILESS_MAIN(tst_catalogversions)
#include "tst_catalogversions.moc"
