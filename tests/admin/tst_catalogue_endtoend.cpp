// The catalogue administration as an administrator uses it, through the main window's side
// menu and the real modal windows: add a program with an icon picked out of a fixture
// executable, find that icon in the main window's list, rename the program, remove it.

#include "AdminFixture.h"
#include "admin/CatalogueMenu.h"
#include "admin/frmAddProgram.h"
#include "admin/frmAddRemove.h"
#include "admin/frmAddRemoveFolder.h"
#include "admin/frmFolderDialog.h"
#include "admin/frmModifyProgram.h"
#include "resources/ResourceTree.h"
#include "resources/frmViewer.h"
#include "widgets/GlyphButton.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace {

constexpr QRgb kFixtureIcon = 0xFF2060C0; // the 32-pixel icon of icons.exe

// Runs `action` on the next modal window of type T once it is shown. The action runs inside
// the window's own modal loop, so it may open further modal windows itself.
template <class T> void WhenShown(std::function<void(T&)> action) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(*window);
    });
    timer->start();
}

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
        // A window left open by a failed step is closed, so the test ends instead of hanging.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            while (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        watchdog.start(60000);

        QRgb listedAfterAdd = 0, listedAfterRename = 0;
        QStringList mainAfterAdd, mainAfterRename, mainAfterRemove, listAfterRename;
        bool previewShown = false;

        WhenShown<frmAddRemove>([&](frmAddRemove& list) {
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
            mainAfterAdd = Texts(f.main->ListView1);
            listedAfterAdd = MainListColour(*f.main, "Fixture Tool");

            // Rename; the icon stays.
            WhenShown<frmModifyProgram>([&](frmModifyProgram& editor) {
                previewShown = !editor.Picture2->pixmap().isNull();
                editor.txtProgramName->setText("Fixture Tool (renamed)");
                editor.cmdAdd->click();
            });
            list.cmdChange->click();
            mainAfterRename = Texts(f.main->ListView1);
            listAfterRename = Texts(list.lstView);
            listedAfterRename = MainListColour(*f.main, "Fixture Tool (renamed)");

            // Remove, confirmed.
            f.prompt().answers.enqueue(PromptAnswer::Yes);
            list.cmdRemove->click();
            mainAfterRemove = Texts(f.main->ListView1);
            list.close();
        });
        f.main->NavPane1_ItemClick("H13");
        QVERIFY2(watchdog.isActive(), "a window stayed open");

        QCOMPARE(mainAfterAdd, QStringList{"Fixture Tool"});
        QCOMPARE(listedAfterAdd, kFixtureIcon);
        QVERIFY(previewShown);
        QCOMPARE(mainAfterRename, QStringList{"Fixture Tool (renamed)"});
        QCOMPARE(listAfterRename, QStringList{"Fixture Tool (renamed)"});
        QCOMPARE(listedAfterRename, kFixtureIcon);
        QCOMPARE(mainAfterRemove, QStringList());
        QCOMPARE(f.store().GetPrograms().RecordCount(), 0L);
        QCOMPARE(
            Messages(f.prompt()),
            (QStringList{"Program Added|Success|Information", "Program Modified|Sucess|Information",
                         "Are you sure?|Confirm|Question",
                         "Program Fixture Tool (renamed) has been removed|Removed|Information"}));
    }

    void folderMenuItemOpensTheEntries() {
        AdminFixture f;
        RegisterCatalogueWindows(f.t.ctx, *f.main);
        QVERIFY(f.store().AddFolder("Docs", "/home/docs/"));
        QStringList entries;
        QWidget* owner = nullptr;
        bool pickerShown = false;
        WhenShown<frmAddRemoveFolder>([&](frmAddRemoveFolder& window) {
            entries = Texts(window.ListView1);
            owner = window.parentWidget();
            WhenShown<frmFolderDialog>([&](frmFolderDialog& picker) {
                pickerShown = true;
                picker.cmdCancel->click();
            });
            window.cmdAdd->click();
            window.close();
        });
        f.main->NavPane1_ItemClick("H19");
        QCOMPARE(entries, QStringList{"Docs"});
        QCOMPARE(owner, f.main.get());
        QVERIFY(pickerShown);
        // Closing the picker without adding still rebuilt the main window's list.
        QCOMPARE(Texts(f.main->ListView1), QStringList{"Docs"});
        QCOMPARE(f.store().GetFolders().RecordCount(), 1L);
    }
};

QTEST_MAIN(tst_catalogue_endtoend)
#include "tst_catalogue_endtoend.moc"
