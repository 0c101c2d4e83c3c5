// The catalogue administration as an administrator uses it, through the main window's side
// menu and the real modal windows: add a program with an icon picked out of a fixture
// executable, find that icon in the main window's list, rename the program, remove it.

#include "AdminFixture.h"
#include "admin/CatalogueMenu.h"
#include "admin/frmAddProgram.h"
#include "admin/frmAddRemove.h"
#include "admin/frmModifyProgram.h"
#include "resources/ResourceTree.h"
#include "resources/frmViewer.h"
#include "widgets/GlyphButton.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

constexpr QRgb kFixtureIcon = 0xFF2060C0; // the 32-pixel icon of icons.exe

// The icon node named `name` under the viewer's "Icon Resource" node.
QTreeWidgetItem* IconNode(frmViewer& viewer, const QString& name) {
    QTreeWidgetItem* root = viewer.TreeView1->FirstNode();
    if (!root || root->childCount() == 0)
        return nullptr;
    QTreeWidgetItem* icons = root->child(0);
    icons->setExpanded(true);
    viewer.TreeView1_Expand(icons);
    for (int i = 0; i < icons->childCount(); ++i)
        if (icons->child(i)->text(0) == name)
            return icons->child(i);
    return nullptr;
}

} // namespace

class tst_catalogue_endtoend : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void addRenameRemoveWithAPickedIcon() {
        const QString exe = QStringLiteral(ORV_ICONS_EXE);
        if (exe.isEmpty() || !QFileInfo::exists(exe))
            QFAIL("icons.exe is built with the mingw-w64 binutils, which are not installed; run "
                  "scripts/bootstrap (package binutils-mingw-w64-x86-64) and configure again");
        AdminFixture f;
        RegisterCatalogueWindows(f.t.ctx, *f.main);
        ModalWatchdog watchdog;

        bool shown = false;
        // Each step checks what it left in the main window's list, with the icon of the fixture.
        WhenShown<frmAddRemove>([&](frmAddRemove& list) {
            shown = true;
            // Add, with the icon picked in the real viewer.
            WhenShown<frmAddProgram>([&](frmAddProgram& editor) {
                editor.txtProgramName->setText(" Fixture Tool ");
                f.prompt().files.enqueue(exe);
                editor.cmdExePath_Click();
                WhenShown<frmViewer>([&](frmViewer& viewer) {
                    QTreeWidgetItem* icon = IconNode(viewer, "2");
                    if (icon)
                        viewer.TreeView1_NodeClick(icon);
                    viewer.cmdOk_Click();
                });
                editor.cmdIcon->click();
                editor.cmdAdd->click();
            });
            list.cmdAdd->click();
            QCOMPARE(Texts(f.main->ListView1), QStringList{"Fixture Tool"});
            QCOMPARE(MainListColour(*f.main, "Fixture Tool"), kFixtureIcon);

            // Rename; the icon stays.
            WhenShown<frmModifyProgram>([&](frmModifyProgram& editor) {
                QVERIFY(!editor.Picture2->pixmap().isNull());
                editor.txtProgramName->setText("Fixture Tool (renamed)");
                editor.cmdAdd->click();
            });
            list.cmdChange->click();
            QCOMPARE(Texts(f.main->ListView1), QStringList{"Fixture Tool (renamed)"});
            QCOMPARE(Texts(list.lstView), QStringList{"Fixture Tool (renamed)"});
            QCOMPARE(MainListColour(*f.main, "Fixture Tool (renamed)"), kFixtureIcon);

            // Remove, confirmed.
            f.prompt().answers.enqueue(PromptAnswer::Yes);
            list.cmdRemove->click();
            QCOMPARE(Texts(f.main->ListView1), QStringList());
            list.close();
        });
        f.main->NavPane1_ItemClick("H13");
        QVERIFY2(watchdog.isActive(), "a window stayed open");
        QVERIFY(shown);
        QCOMPARE(f.store().GetPrograms().RecordCount(), 0L);
        QCOMPARE(
            Messages(f.prompt()),
            (QStringList{"Program Added|Success|Information", "Program Modified|Sucess|Information",
                         "Are you sure?|Confirm|Question",
                         "Program Fixture Tool (renamed) has been removed|Removed|Information"}));
    }
};

QTEST_MAIN(tst_catalogue_endtoend)
#include "tst_catalogue_endtoend.moc"
