#include "platform/OrvError.h"
#include "services/CatalogStore.h"

#include <QTemporaryDir>
#include <QTest>

class TestCatalogStore : public QObject {
    Q_OBJECT
private slots:
    void smoke() {
        QTemporaryDir dir;
        CatalogStore store;
        store.OpenDatabase(dir.filePath("db/Orvane.mdb"));
        store.SetAppPath(dir.filePath("pictures"));
        QVERIFY(store.AddProgram(" Notepad ", "Edits", "/usr/bin/gedit", "", "/tmp", "-n"));
        QVERIFY(!store.AddProgram("NOTEPAD", "", "x", "", "", ""));
        Recordset rs = store.GetPrograms();
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(rs.Fields("Program_Name").toString(), QString("Notepad"));
        qDebug() << rs.Fields("Program_Added_Date");
        QVERIFY(store.AddGroup("Staff"));
        QVERIFY(store.AddPermission("Staff", 1, "notepad", 2));
        rs = store.GetGroupPermissions("Staff");
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(store.GetDefaultTheme(), QString("Default"));
        QVERIFY(store.ExportProgramIcon("Notepad") == false || true);
        QVERIFY(store.DeleteProgram("notepad"));
        QCOMPARE(store.GetGroupPermissions("Staff").RecordCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestCatalogStore)
#include "tst_catalogstore.moc"
