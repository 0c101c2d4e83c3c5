#include "AdminFixture.h"
#include "admin/CatalogueMenu.h"
#include "admin/frmAddProgram.h"
#include "admin/frmAddRemove.h"
#include "admin/frmAddRemoveFolder.h"
#include "admin/frmExpandTextArea.h"
#include "admin/frmFolderDialog.h"
#include "admin/frmModifyProgram.h"
#include "resources/ResourceTree.h"
#include "resources/frmViewer.h"
#include "support/DataRow.h"
#include "support/Gallery.h"
#include "support/TestFiles.h"
#include "widgets/GlyphButton.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeWidget>

namespace {

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlue = 0xFF0000FF;

QList<bool> PathControlsEnabled(const frmAddProgram& editor) {
    return {editor.cmdIcon->isEnabled(), editor.txtDropStartIn->isEnabled(),
            editor.txtDropStartUp->isEnabled(), editor.cmdDropDir->isEnabled(),
            editor.cmdDropStartUp->isEnabled()};
}

// "name|path|description|start in|parameters" as stored for `program`.
QString Stored(CatalogStore& store, const QString& program) {
    Recordset rs = store.GetProgram(program);
    QStringList fields;
    for (const char* field : {"Program_Name", "Program_Path", "Program_Desc", "Program_StartInDir",
                              "Program_StartUpParms"})
        fields << (rs.RecordCount() > 0 ? rs.Fields(field).toString() : "<none>");
    return fields.join('|');
}

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

QStringList Children(const QTreeWidgetItem* node) {
    QStringList names;
    for (int i = 0; i < node->childCount(); ++i)
        names.append(node->child(i)->text(0));
    return names;
}

// Double-clicks its way down from the top node to `path`, as a user opens the tree.
QTreeWidgetItem* OpenPath(frmFolderDialog& picker, const QString& path) {
    QTreeWidgetItem* node = picker.ctlFolderList->topLevelItem(0);
    picker.ctlFolderList->setCurrentItem(node);
    picker.ctlFolderList_DblClick();
    for (const QString& part : path.split('/', Qt::SkipEmptyParts)) {
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < node->childCount() && !next; ++i)
            if (node->child(i)->text(0) == part)
                next = node->child(i);
        if (!next)
            return nullptr;
        node = next;
        picker.ctlFolderList->setCurrentItem(node);
        picker.ctlFolderList_DblClick();
    }
    return node;
}

QStringList Folders(CatalogStore& store) {
    QStringList rows;
    Recordset rs = store.GetFolders();
    for (long i = 0; i < rs.RecordCount(); ++i, rs.MoveNext())
        rows.append(rs.Fields("Folder_Name").toString() + '=' +
                    rs.Fields("Folder_Path").toString());
    return rows;
}

} // namespace

class tst_programwindows : public QObject {
    Q_OBJECT

    // A folder tree inside the test's directory: tree/{b, A, Ünï code, "   "}, tree/b/deep and
    // tree/b/<kLongName>.
    const QString kLongName = QString(200, u'x') + "-end";
    QString MakeTree(AdminFixture& f) {
        const QString tree = QDir(f.t.dir.path()).absoluteFilePath("tree");
        for (const QString& dir : QStringList{"b/deep", "b/" + kLongName, "A", "Ünï code", "   "})
            QDir().mkpath(tree + '/' + dir);
        QFile file(tree + "/file.txt");
        file.open(QIODevice::WriteOnly);
        return tree;
    }

private Q_SLOTS:
    void listShowsProgramsAndChangeNeedsOne() {
        AdminFixture f;
        frmAddRemove list(f.t.ctx);
        int shown = 0;
        list.showModal = [&](QDialog&) { ++shown; };
        list.cmdChange_Click();
        list.cmdRemove_Click(); // an empty list: nothing to remove, nothing asked
        QCOMPARE(shown, 0);
        QCOMPARE(Messages(f.prompt()), QStringList{"You must add a program first!|Error|Critical"});
        SaveToGallery(&list, "frmAddRemove-empty");

        QVERIFY(f.store().AddProgram("zeta", "", "/bin/z", "", "", ""));
        QVERIFY(f.store().AddProgram(" Alpha ", "", "/bin/a", "", "", ""));
        list.loadPrograms();
        list.loadPrograms(); // emptied before it is refilled
        QCOMPARE(Texts(list.lstView), (QStringList{"Alpha", "zeta"}));
        SaveToGallery(&list, "frmAddRemove-programs");
    }

    void addStoresTrimmedFieldsAndRefreshes_data() {
        AddColumns<QString, QString, QString>("name", "path", "message");
        QTest::addColumn<QString>("stored"); // empty: nothing may be stored
        const QString added = "Program Added|Success|Information";
        const QString missing = "Please fill all fields in.|Error|Exclamation";
        AddRow("blanks around", "  Notepad  ", " /usr/bin/notepad ", added, "Notepad");
        AddRow("name of blanks", "   ", "/bin/true", missing, "");
        AddRow("path of blanks", "Editor", "   ", missing, "");
    }
    void addStoresTrimmedFieldsAndRefreshes() {
        QFETCH(QString, name);
        QFETCH(QString, path);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        AdminFixture f;
        frmAddRemove list(f.t.ctx);
        bool accepted = false;
        QStringList listWhileOpen;
        list.showModal = [&](QDialog& dialog) {
            auto& editor = dynamic_cast<frmAddProgram&>(dialog);
            editor.txtProgramName->setText(name);
            editor.txtProgramPath->setText(path);
            editor.txtProgramPath_Validate();
            editor.txtProgramDescription->setPlainText("  Edits text ");
            editor.txtDropStartIn->setText("/home/docs ");
            editor.txtDropStartUp->setText(" -n 1");
            editor.cmdAdd_Click();
            accepted = editor.result() == QDialog::Accepted;
            listWhileOpen = Texts(list.lstView);
            if (!accepted) // the editor keeps what was typed
                QCOMPARE(editor.txtProgramName->text(), name);
        };
        list.cmdAdd_Click();
        QCOMPARE(Messages(f.prompt()), QStringList{message});
        if (stored.isEmpty()) {
            QVERIFY(!accepted);
            QCOMPARE(f.store().GetPrograms().RecordCount(), 0L);
            QCOMPARE(f.main->ListView1->Count(), 0);
            return;
        }
        QVERIFY(accepted);
        QCOMPARE(Stored(f.store(), stored),
                 stored + '|' + path.trimmed() + "|Edits text|/home/docs | -n 1");
        QCOMPARE(listWhileOpen, QStringList{stored}); // refilled by the editor itself
        QCOMPARE(Texts(f.main->ListView1), QStringList{stored});
    }

    void pathControlsWaitForAPath_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("browsed"); // the file-open dialog's answer
        AddColumns<bool, QString, bool>("leaveBox", "path", "enabled");
        AddRow("browse chosen", "typed", "/usr/bin/env", false, "/usr/bin/env", true);
        AddRow("typed, focus left", "/bin/ls", "", true, "/bin/ls", true);
        AddRow("typed, focus kept", "/bin/ls", "", false, "/bin/ls", false);
        AddRow("empty, focus left", "", "", true, "", false);
    }
    void pathControlsWaitForAPath() {
        QFETCH(QString, typed);
        QFETCH(QString, browsed);
        QFETCH(bool, leaveBox);
        QFETCH(QString, path);
        QFETCH(bool, enabled);
        AdminFixture f;
        frmAddProgram editor(f.t.ctx);
        QCOMPARE(PathControlsEnabled(editor), QList<bool>(5, false));
        editor.txtProgramPath->setText(typed);
        f.prompt().files.enqueue(browsed);
        editor.cmdExePath_Click();
        if (leaveBox) {
            QFocusEvent out(QEvent::FocusOut);
            QApplication::sendEvent(editor.txtProgramPath, &out);
        }
        QCOMPARE(editor.txtProgramPath->text(), path);
        QCOMPARE(PathControlsEnabled(editor), QList<bool>(5, enabled));
        // Emptying the box afterwards leaves them as they are.
        editor.txtProgramPath->clear();
        editor.txtProgramPath_Validate();
        QCOMPARE(PathControlsEnabled(editor), QList<bool>(5, enabled));
    }

    void editorsLoadTheProgram() {
        AdminFixture f;
        QVERIFY(f.store().AddProgram("Notepad", "Edits\ntext", "/usr/bin/notepad", "", "", ""));
        frmAddProgram add(f.t.ctx);
        frmModifyProgram modify(f.t.ctx);
        modify.SetProgram("  Notepad ");
        QCOMPARE(modify.Program(), QStringLiteral("Notepad"));
        QCOMPARE(modify.txtProgramDescription->toPlainText(), QStringLiteral("Edits\ntext"));
        QVERIFY(modify.cmdIcon->isEnabled() && modify.txtDropStartIn->isEnabled());
        add.txtProgramName->setText("Terminal");
        add.txtProgramPath->setText("/usr/bin/xterm");
        add.txtProgramPath_Validate();
        SaveToGallery(&add, "frmAddProgram-filled");
        SaveToGallery(&modify, "frmModifyProgram-Notepad");

        frmModifyProgram ghost(f.t.ctx);
        ghost.SetProgram("Ghost");
        QCOMPARE(Messages(f.prompt()),
                 QStringList{"Couldn't Load Program Information|Error|Critical"});
        QCOMPARE(ghost.txtProgramName->text() + ghost.txtProgramPath->text(), QString());
    }

    void iconComesFromThisEditorOnly_data() {
        QTest::addColumn<bool>("modify");
        // 1 closed without a choice, 2 selected, 3 selected but the file it left is no picture
        AddColumns<int, QString>("viewer", "expected");
        const char* cases[] = {"", "viewer closed", "picked", "picked no picture"};
        for (bool modify : {false, true})
            for (int viewer = 1; viewer < 4; ++viewer)
                QTest::addRow("%s, %s", modify ? "modify" : "add", cases[viewer])
                    << modify << viewer
                    << (viewer == 2 ? "red"
                        : modify    ? "blue"
                                    : "default");
    }
    void iconComesFromThisEditorOnly() {
        QFETCH(bool, modify);
        QFETCH(int, viewer);
        QFETCH(QString, expected);
        AdminFixture f;
        const QString blueFile = f.t.dir.filePath("blue.bmp");
        QVERIFY(WritePicture(blueFile, kBlue));
        QVERIFY(f.store().AddProgram("Calc", "", "/bin/calc", blueFile, "", ""));
        QVERIFY(f.store().AddProgram("Plain", "", "/bin/plain", "", "", ""));
        const QRgb defaultColour = StoredIconColour(f.t.ctx, "Plain");
        // An icon picked in an earlier editor is still in the file.
        QVERIFY(WritePicture(f.t.ctx.paths.TempPicture(), kGreen));

        frmAddRemove list(f.t.ctx);
        list.lstView->SelectItem(1); // Calc
        QStringList viewerPaths;
        list.showModal = [&](QDialog& dialog) {
            auto& editor = dynamic_cast<ProgramEditor&>(dialog);
            editor.pickIcon = [&](const QString& programPath) {
                viewerPaths.append(programPath);
                if (viewer == 3)
                    return WriteFile(f.t.ctx.paths.TempPicture(), "not a picture");
                return viewer == 2 && WritePicture(f.t.ctx.paths.TempPicture(), kRed);
            };
            if (!modify) {
                editor.txtProgramName->setText("Calc2");
                editor.txtProgramPath->setText("/bin/calc2");
            }
            auto* add = qobject_cast<frmAddProgram*>(&editor);
            auto* edit = qobject_cast<frmModifyProgram*>(&editor);
            add ? add->cmdIcon_Click() : edit->cmdIcon_Click();
            QCOMPARE(editor.IconPicked(), viewer >= 2);
            add ? add->cmdAdd_Click() : edit->cmdAdd_Click();
        };
        modify ? list.cmdChange_Click() : list.cmdAdd_Click();
        const QString program = modify ? "Calc" : "Calc2";
        QCOMPARE(viewerPaths, QStringList{modify ? "/bin/calc" : "/bin/calc2"});
        const QRgb want = expected == "red" ? kRed : expected == "blue" ? kBlue : defaultColour;
        QCOMPARE(StoredIconColour(f.t.ctx, program), want);
        QCOMPARE(MainListColour(*f.main, program), want);
        QCOMPARE(MainListColour(*f.main, "Calc"), modify ? want : kBlue);
        // Both editors say when the picked icon could not be stored, before their success.
        const QStringList messages = Messages(f.prompt());
        QCOMPARE(messages.size(), viewer == 3 ? 2 : 1);
        if (viewer == 3)
            QCOMPARE(messages.first(),
                     modify ? QStringLiteral("The chosen icon could not be stored; the program "
                                             "keeps its previous icon.|Error|Exclamation")
                            : QStringLiteral("The chosen icon could not be stored; the program "
                                             "shows the default icon. Pick the icon again with "
                                             "Change Program.|Error|Exclamation"));
        QVERIFY(messages.last().startsWith(modify ? "Program Modified|" : "Program Added|"));
    }

    void modifySavesUnderTheOpenedName_data() {
        AddColumns<QString, QString>("newName", "message");
        QTest::addColumn<QString>("stored"); // empty: the change must be refused
        const QString modified = "Program Modified|Sucess|Information";
        AddRow("unchanged", "", modified, "Notepad");
        AddRow("renamed", "  Notes 'ü/..' ", modified, "Notes 'ü/..'");
        AddRow("taken", "calc", "Unable to modify program|Error|Critical", "");
        AddRow("blank", "   ", "Please fill all fields in.|Error|Exclamation", "");
        AddRow("tab in the name", "Note\tpad",
               "A program name cannot hold a control character such as a line break or a tab: "
               "remove it from \"Note pad\".|Error|Exclamation",
               "");
    }
    void modifySavesUnderTheOpenedName() {
        QFETCH(QString, newName);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        AdminFixture f;
        QVERIFY(f.store().AddProgram("Calc", "", "/bin/calc", "", "", ""));
        QVERIFY(f.store().AddProgram("Notepad", "Edits text", "/usr/bin/notepad", "", "/home/docs ",
                                     " -n 1"));
        modMain::RefreshLauncherList(f.t.ctx);
        frmAddRemove list(f.t.ctx);
        list.lstView->SelectItem(2);
        bool accepted = false;
        list.showModal = [&](QDialog& dialog) {
            auto& editor = dynamic_cast<frmModifyProgram&>(dialog);
            QCOMPARE(editor.Program(), QStringLiteral("Notepad"));
            QCOMPARE(editor.txtDropStartIn->text(), QStringLiteral("/home/docs "));
            QCOMPARE(editor.txtDropStartUp->text(), QStringLiteral(" -n 1"));
            if (!newName.isEmpty())
                editor.txtProgramName->setText(newName);
            editor.cmdAdd_Click();
            accepted = editor.result() == QDialog::Accepted;
            if (!accepted)
                QCOMPARE(editor.txtProgramName->text(), newName);
        };
        list.cmdChange_Click();
        QCOMPARE(Messages(f.prompt()), QStringList{message});
        QCOMPARE(accepted, !stored.isEmpty());
        const QString now = stored.isEmpty() ? "Notepad" : stored;
        QCOMPARE(Stored(f.store(), now), now + "|/usr/bin/notepad|Edits text|/home/docs | -n 1");
        QCOMPARE(f.store().GetPrograms().RecordCount(), 2L);
        QCOMPARE(Texts(list.lstView), (QStringList{"Calc", now}));
        QCOMPARE(Texts(f.main->ListView1), (QStringList{"Calc", now}));
        QCOMPARE(list.lstView->Text(list.lstView->SelectedItem()), now);
    }

    void removeAsksAndRemovesEverything_data() {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("goneBefore"); // removed meanwhile at another workstation
        AddColumns<QStringList, QStringList>("messages", "left");
        const QString confirm = "Are you sure?|Confirm|Question";
        const QStringList both{"Calc", "Notepad"};
        AddRow("declined", false, false, QStringList{confirm}, both);
        AddRow("confirmed", true, false,
               QStringList{confirm, "Program Notepad has been removed|Removed|Information"},
               QStringList{"Calc"});
        AddRow("refused", true, true,
               QStringList{confirm, "Couldn't Delete Notepad !|Oops|Critical"}, both);
    }
    void removeAsksAndRemovesEverything() {
        QFETCH(bool, yes);
        QFETCH(bool, goneBefore);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, left);
        AdminFixture f;
        QVERIFY(f.store().AddProgram("Calc", "", "/bin/calc", "", "", ""));
        QVERIFY(f.store().AddProgram("Notepad", "", "/bin/notepad", "", "", ""));
        modMain::RefreshLauncherList(f.t.ctx);
        frmAddRemove list(f.t.ctx);
        list.lstView->SelectItem(2);
        if (goneBefore)
            QVERIFY(f.store().DeleteProgram("Notepad"));
        f.prompt().answers.enqueue(yes ? PromptAnswer::Yes : PromptAnswer::No);
        list.cmdRemove_Click();
        QCOMPARE(Messages(f.prompt()), messages);
        QCOMPARE(Texts(list.lstView), left);
        if (!goneBefore)
            QCOMPARE(Texts(f.main->ListView1), left);
        QCOMPARE(f.store().GetPrograms().RecordCount(), yes || goneBefore ? 1L : 2L);
    }

    void enlargedTextGoesBack_data() {
        QTest::addColumn<bool>("startUp");
        QTest::addColumn<QString>("edit"); // "-" leaves the area as it opened
        AddColumns<QString, QString>("opened", "result");
        AddRow("start in, cleared", false, "", "/srv/app ", "");
        AddRow("parameters, edited", true, "--verbose \"a b\"", "-v", "--verbose \"a b\"");
    }
    void enlargedTextGoesBack() {
        QFETCH(bool, startUp);
        QFETCH(QString, edit);
        QFETCH(QString, opened);
        QFETCH(QString, result);
        AdminFixture f;
        frmAddProgram editor(f.t.ctx);
        editor.show();
        editor.txtDropStartIn->setText("/srv/app ");
        editor.txtDropStartUp->setText("-v");
        QStringList typed;
        editor.showModal = [&](QDialog& dialog) {
            auto& area = dynamic_cast<frmExpandTextArea&>(dialog);
            typed.append(area.txtTypingArea->toPlainText());
            if (edit != "-")
                area.txtTypingArea->setPlainText(edit);
            if (typed.size() == 1)
                SaveToGallery(&area, "frmExpandTextArea");
            area.reject();
        };
        (startUp ? editor.cmdDropStartUp_Click() : editor.cmdDropDir_Click());
        QCOMPARE(typed, QStringList{opened});
        QCOMPARE((startUp ? editor.txtDropStartUp : editor.txtDropStartIn)->text(), result);
        // The other button's area is bound to its own box.
        edit = "-";
        (startUp ? editor.cmdDropDir_Click() : editor.cmdDropStartUp_Click());
        QCOMPARE(typed.at(1), startUp ? QStringLiteral("/srv/app ") : QStringLiteral("-v"));
    }

    void failingCatalogueKeepsTheEditorOpen() {
        AdminFixture f;
        frmAddProgram editor(f.t.ctx);
        editor.txtProgramName->setText("Notepad");
        editor.txtProgramPath->setText("/bin/notepad");
        QVERIFY(Sabotage(f.t.ctx, "DROP TABLE programs"));
        editor.cmdAdd_Click();
        QCOMPARE(f.prompt().transcript.size(), 1);
        QCOMPARE(f.prompt().transcript.first().title, QStringLiteral("Error"));
        QCOMPARE(f.prompt().transcript.first().icon, PromptIcon::Critical);
        QVERIFY(!f.prompt().transcript.first().text.isEmpty());
        QCOMPARE(editor.result(), 0);
        QCOMPARE(editor.txtProgramName->text(), QStringLiteral("Notepad"));
    }

    // Through the main window's side menu and the real modal windows: add a program with an
    // icon picked in the real viewer out of a fixture executable, and find that icon in the
    // main window's list. Renaming and removing are the editors' tests above.
    void addWithAnIconPickedInTheViewer() {
        const QString exe = QStringLiteral(ORV_ICONS_EXE);
        if (exe.isEmpty() || !QFileInfo::exists(exe))
            QFAIL("icons.exe is built with the mingw-w64 binutils, which are not installed; run "
                  "scripts/bootstrap (package binutils-mingw-w64-x86-64) and configure again");
        AdminFixture f;
        RegisterCatalogueWindows(f.t.ctx, *f.main);
        ModalWatchdog watchdog;

        bool shown = false;
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
            list.close();
        });
        f.main->NavPane1_ItemClick("H13");
        QVERIFY2(watchdog.isActive(), "a window stayed open");
        QVERIFY(shown);
        QCOMPARE(Messages(f.prompt()), QStringList{"Program Added|Success|Information"});
    }

    // The folder entries of the side menu and their folder picker.
    void pickerGrowsFromTheRoot() {
        AdminFixture f;
        const QString tree = MakeTree(f);
        frmFolderDialog picker(f.t.ctx);
        QTreeWidget* view = picker.ctlFolderList;
        QTreeWidgetItem* root = view->topLevelItem(0);
        QCOMPARE(root->childCount(), 0); // nothing read before it is opened
        QCOMPARE(frmFolderDialog::NodePath(root), QStringLiteral("/"));
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));

        QTreeWidgetItem* node = OpenPath(picker, tree);
        QVERIFY(node);
        QCOMPARE(Children(node), (QStringList{"   ", "A", "b", "Ünï code"}));
        QCOMPARE(picker.SelectedFolder(), QStringLiteral("tree"));
        QCOMPARE(picker.SelectedPath(), tree + '/');
        QVERIFY(node->isExpanded());
        node->setExpanded(false);
        // Opened again with the mouse, listed once only. The view reports a double click only
        // on the node the button went down on.
        view->scrollToItem(node);
        const QPoint at = view->visualItemRect(node).center();
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(node->isExpanded());
        QCOMPARE(node->childCount(), 4);
        QCOMPARE(picker.SelectedPath(), tree + '/');

        QTreeWidgetItem* b = node->child(2);
        b->setExpanded(true); // opening with the arrow lists the folders too
        QCOMPARE(Children(b), (QStringList{"deep", kLongName}));
        QCOMPARE(frmFolderDialog::NodePath(b->child(0)), tree + "/b/deep/");
        SaveToGallery(&picker, "frmFolderDialog-tree");

        // A folder that can no longer be read adds nothing and says nothing.
        QTreeWidgetItem* a = node->child(1);
        QVERIFY(QDir(tree + "/A").removeRecursively());
        view->setCurrentItem(a);
        picker.ctlFolderList_DblClick();
        QCOMPARE(a->childCount(), 0);
        QVERIFY(f.prompt().transcript.isEmpty());
    }

    void addStoresTheSelectedNode_data() {
        QTest::addColumn<QString>("select"); // below the tree; "-" selects nothing
        AddColumns<bool, QString>("cancel", "message");
        QTest::addColumn<QString>("stored"); // name=path relative to the tree's parent
        AddRow("folder", "Ünï code", false, "Added Folder : Ünï code|Add Folder|Information",
               "Ünï code=tree/Ünï code/");
        AddRow("tree itself", "", false, "Added Folder : tree|Add Folder|Information",
               "tree=tree/");
        AddRow("name of blanks", "   ", false, "Couldn't Add Folder :    |Error|Exclamation", "");
        AddRow("nothing selected", "-", false, "Please select a folder to add|Oops|Exclamation",
               "");
        AddRow("cancelled", "A", true, "", "");
    }
    void addStoresTheSelectedNode() {
        QFETCH(QString, select);
        QFETCH(bool, cancel);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        AdminFixture f;
        const QString tree = MakeTree(f);
        const QString base = QFileInfo(tree).absolutePath() + '/';
        frmAddRemoveFolder entries(f.t.ctx);
        QVERIFY(f.store().AddFolder("Earlier", "/srv/earlier/")); // shown after the next rebuild
        bool accepted = false;
        entries.showModal = [&](QDialog& dialog) {
            auto& picker = dynamic_cast<frmFolderDialog&>(dialog);
            QTreeWidgetItem* node =
                OpenPath(picker, select == "-" || select.isEmpty() ? tree : tree + '/' + select);
            QVERIFY(node);
            if (select == "-")
                picker.ctlFolderList->clearSelection();
            if (cancel) {
                picker.cmdCancel_Click();
                QVERIFY(picker.Cancelled());
                QCOMPARE(picker.SelectedFolder() + picker.SelectedPath(), QString());
            } else {
                picker.cmdOk_Click();
            }
            accepted = picker.result() == QDialog::Accepted;
        };
        entries.cmdAdd_Click();
        QCOMPARE(Messages(f.prompt()), message.isEmpty() ? QStringList() : QStringList{message});
        QStringList expected{"Earlier=/srv/earlier/"};
        if (!stored.isEmpty())
            expected.append(stored.section('=', 0, 0) + '=' + base + stored.section('=', 1));
        QCOMPARE(Folders(f.store()), expected);
        QCOMPARE(accepted, message.startsWith("Added") || message.startsWith("Couldn't"));
        // The picker refilled the entries after an add; the main window is rebuilt after
        // every showing of the picker.
        QCOMPARE(Texts(entries.ListView1).size(), stored.isEmpty() ? 0 : 2);
        QCOMPARE(f.main->ListView1->Count(), expected.size());
        QCOMPARE(f.main->ListView1->Tag(1), QStringLiteral("/srv/earlier/"));
    }

    void entriesListAndDelete_data() {
        AddColumns<bool, QString, QStringList>("goneBefore", "message", "left");
        AddRow("deleted", false, "Folder : Tools. Has been removed|Deleted Folder|Information",
               QStringList{"Docs"});
        AddRow("refused", true, "Cannot Delete Folder : Tools.|Error|Exclamation",
               QStringList{"Tools", "Docs"});
    }
    void entriesListAndDelete() {
        QFETCH(bool, goneBefore);
        QFETCH(QString, message);
        QFETCH(QStringList, left);
        AdminFixture f;
        {
            frmAddRemoveFolder empty(f.t.ctx);
            empty.cmdDelete_Click();
            QVERIFY(f.prompt().transcript.isEmpty());
        }
        QVERIFY(f.store().AddFolder("  Tools ", " /opt/tools/ "));
        QVERIFY(f.store().AddFolder("Docs", "/home/docs/"));
        modMain::RefreshLauncherList(f.t.ctx);
        frmAddRemoveFolder entries(f.t.ctx);
        QCOMPARE(Texts(entries.ListView1), (QStringList{"Tools", "Docs"}));
        QCOMPARE(entries.ListView1->ToolTipText(1), QStringLiteral("/opt/tools/"));
        QCOMPARE(entries.ListView1->Icon(2), 1);
        SaveToGallery(&entries, "frmAddRemoveFolder-entries");
        if (goneBefore)
            QVERIFY(f.store().DeleteFolder("Tools"));
        entries.ListView1->SelectItem(1);
        entries.cmdDelete_Click();
        QCOMPARE(Messages(f.prompt()), QStringList{message});
        QCOMPARE(Texts(entries.ListView1), left);
        if (!goneBefore)
            QCOMPARE(Texts(f.main->ListView1), left);
    }
};

QTEST_MAIN(tst_programwindows)
#include "tst_programwindows.moc"
