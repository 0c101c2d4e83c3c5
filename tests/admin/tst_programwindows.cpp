#include "AdminFixture.h"
#include "admin/frmAddProgram.h"
#include "admin/frmAddRemove.h"
#include "admin/frmAddRemoveFolder.h"
#include "admin/frmExpandTextArea.h"
#include "admin/frmModifyProgram.h"
#include "support/Gallery.h"
#include "support/TestFiles.h"
#include "widgets/GlyphButton.h"

#include <QApplication>
#include <QDirIterator>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

namespace {

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlue = 0xFF0000FF;

QList<bool> PathControlsEnabled(const frmAddProgram& editor) {
    return {editor.cmdIcon->isEnabled(), editor.txtDropStartIn->isEnabled(),
            editor.txtDropStartUp->isEnabled(), editor.cmdDropDir->isEnabled(),
            editor.cmdDropStartUp->isEnabled()};
}

QString Field(CatalogStore& store, const QString& program, const QString& field) {
    Recordset rs = store.GetProgram(program);
    return rs.RecordCount() > 0 ? rs.Fields(field).toString() : QStringLiteral("<none>");
}

} // namespace

class tst_programwindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listShowsProgramsAndChangeNeedsOne() {
        AdminFixture f;
        frmAddRemove list(f.t.ctx);
        QCOMPARE(list.windowTitle(), QStringLiteral("Add/Remove Programs."));
        QCOMPARE(list.lstView->ColumnHeaders(), QStringList{"Program Name"});
        QCOMPARE(list.cmdAdd->Caption() + list.cmdChange->Caption() + list.cmdRemove->Caption(),
                 QStringLiteral("Add ProgramChange ProgramRemove"));
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
        QCOMPARE(list.lstView->Icon(2), 1);
        QVERIFY(!list.lstView->ShownPicture(1).isNull());
        SaveToGallery(&list, "frmAddRemove-programs");
    }

    void addStoresTrimmedFieldsAndRefreshes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stored"); // empty: nothing may be stored
        const QString added = "Program Added|Success|Information";
        const QString missing = "Please fill all fields in.|Error|Exclamation";
        QTest::newRow("blanks around") << "  Notepad  "
                                       << " /usr/bin/notepad " << added << "Notepad";
        QTest::newRow("name of blanks") << "   "
                                        << "/bin/true" << missing << "";
        QTest::newRow("path of blanks") << "Editor"
                                        << "   " << missing << "";
        QTest::newRow("quotes and dots") << "It's \"../../evil\".."
                                         << "/bin/true" << added << "It's \"../../evil\"..";
        QTest::newRow("slashes") << "a/b\\c:d"
                                 << "/bin/true" << added << "a/b\\c:d";
        QTest::newRow("non-ASCII") << "Grüße Ärger ✓"
                                   << "/bin/true" << added << "Grüße Ärger ✓";
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
        QCOMPARE(Field(f.store(), stored, "Program_Name"), stored);
        QCOMPARE(Field(f.store(), stored, "Program_Path"), path.trimmed());
        QCOMPARE(Field(f.store(), stored, "Program_Desc"), QStringLiteral("Edits text"));
        QCOMPARE(Field(f.store(), stored, "Program_StartInDir"), QStringLiteral("/home/docs "));
        QCOMPARE(Field(f.store(), stored, "Program_StartUpParms"), QStringLiteral(" -n 1"));
        QCOMPARE(listWhileOpen, QStringList{stored}); // refilled by the editor itself
        QCOMPARE(Texts(f.main->ListView1), QStringList{stored});
        // Every picture written for the name stays inside the directory of program pictures.
        QVERIFY(f.store().ExportProgramIcon(stored));
        QDirIterator pictures(f.t.dir.path(), {"*.bmp"}, QDir::Files, QDirIterator::Subdirectories);
        int count = 0;
        while (pictures.hasNext()) {
            QCOMPARE(pictures.nextFileInfo().absolutePath(),
                     QFileInfo(f.t.ctx.paths.PictureFile(stored)).absolutePath());
            ++count;
        }
        QCOMPARE(count, 1);
    }

    void pathControlsWaitForAPath_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("browsed"); // the file-open dialog's answer
        QTest::addColumn<bool>("leaveBox");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("browse cancelled") << "typed"
                                          << "" << false << "typed" << false;
        QTest::newRow("browse chosen") << "typed"
                                       << "/usr/bin/env" << false << "/usr/bin/env" << true;
        QTest::newRow("typed, focus left") << "/bin/ls"
                                           << "" << true << "/bin/ls" << true;
        QTest::newRow("typed, focus kept") << "/bin/ls"
                                           << "" << false << "/bin/ls" << false;
        QTest::newRow("empty, focus left") << ""
                                           << "" << true << "" << false;
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
        QCOMPARE(f.prompt().transcript.first().title,
                 QStringLiteral("Select Program's Executable File.."));
        // Emptying the box afterwards leaves them as they are.
        editor.txtProgramPath->clear();
        editor.txtProgramPath_Validate();
        QCOMPARE(PathControlsEnabled(editor), QList<bool>(5, enabled));
    }

    void editorsShowTheirCaptions() {
        AdminFixture f;
        QVERIFY(f.store().AddProgram("Notepad", "Edits\ntext", "/usr/bin/notepad", "", "", ""));
        frmAddProgram add(f.t.ctx);
        frmModifyProgram modify(f.t.ctx);
        modify.SetProgram("  Notepad ");
        QCOMPARE(add.windowTitle(), QStringLiteral("Add A New Runnable Program.."));
        QCOMPARE(modify.windowTitle(), QStringLiteral("Modify A Runnable Program.."));
        QCOMPARE(add.Label4->text(), QStringLiteral("Add a new runnable program...."));
        QCOMPARE(modify.Label4->text(), QStringLiteral("Modify a runnable program...."));
        QCOMPARE(add.cmdIcon->Caption() + add.cmdAdd->Caption() + add.cmdCancel->Caption(),
                 QStringLiteral("Icon..AddCancel"));
        QCOMPARE(modify.cmdIcon->Caption() + modify.cmdAdd->Caption(), QStringLiteral("...Save"));
        QCOMPARE(modify.Program(), QStringLiteral("Notepad"));
        QCOMPARE(modify.txtProgramDescription->toPlainText(), QStringLiteral("Edits\ntext"));
        QVERIFY(modify.cmdIcon->isEnabled() && modify.txtDropStartIn->isEnabled());
        QVERIFY(modify.Picture2->pixmap().isNull() == false); // the default icon
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
        // 0 not opened, 1 closed without a choice, 2 selected, 3 selected but the file it left
        // is no picture
        QTest::addColumn<int>("viewer");
        QTest::addColumn<QString>("expected");
        QTest::newRow("add, picked") << false << 2 << "red";
        QTest::newRow("add, viewer closed") << false << 1 << "default";
        QTest::newRow("add, no viewer") << false << 0 << "default";
        QTest::newRow("add, picked no picture") << false << 3 << "default";
        QTest::newRow("modify, picked") << true << 2 << "red";
        QTest::newRow("modify, viewer closed") << true << 1 << "blue";
        QTest::newRow("modify, no viewer") << true << 0 << "blue";
        QTest::newRow("modify, picked no picture") << true << 3 << "blue";
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
            if (viewer > 0) {
                if (auto* add = qobject_cast<frmAddProgram*>(&editor))
                    add->cmdIcon_Click();
                else
                    qobject_cast<frmModifyProgram*>(&editor)->cmdIcon_Click();
            }
            QCOMPARE(editor.IconPicked(), viewer >= 2);
            if (auto* edit = qobject_cast<frmModifyProgram*>(&editor))
                edit->cmdAdd_Click();
            else
                qobject_cast<frmAddProgram*>(&editor)->cmdAdd_Click();
        };
        if (modify)
            list.cmdChange_Click();
        else
            list.cmdAdd_Click();
        const QString program = modify ? "Calc" : "Calc2";
        QCOMPARE(viewerPaths,
                 viewer > 0 ? QStringList{modify ? "/bin/calc" : "/bin/calc2"} : QStringList());
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

    void fixedDialogsKeepTheirSize_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QSize>("designed"); // the client area in pixels (15 twips each)
        QTest::newRow("frmAddRemove") << "frmAddRemove" << QSize(400, 260);
        QTest::newRow("frmAddProgram") << "frmAddProgram" << QSize(356, 359);
        QTest::newRow("frmModifyProgram") << "frmModifyProgram" << QSize(356, 347);
        QTest::newRow("frmAddRemoveFolder") << "frmAddRemoveFolder" << QSize(345, 253);
    }
    void fixedDialogsKeepTheirSize() {
        QFETCH(QString, window);
        QFETCH(QSize, designed);
        AdminFixture f;
        std::unique_ptr<QDialog> dialog;
        if (window == "frmAddRemove")
            dialog = std::make_unique<frmAddRemove>(f.t.ctx);
        else if (window == "frmAddProgram")
            dialog = std::make_unique<frmAddProgram>(f.t.ctx);
        else if (window == "frmModifyProgram")
            dialog = std::make_unique<frmModifyProgram>(f.t.ctx);
        else
            dialog = std::make_unique<frmAddRemoveFolder>(f.t.ctx);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        const QSize size = dialog->size();
        QCOMPARE(dialog->minimumSize(), size);
        QCOMPARE(dialog->maximumSize(), size);
        // The designed size, unless the contents need more; never less than they need.
        QVERIFY(size.width() >= designed.width() && size.height() >= designed.height());
        QVERIFY(size.width() >= dialog->minimumSizeHint().width() &&
                size.height() >= dialog->minimumSizeHint().height());
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!dialog->isSizeGripEnabled());
        dialog->resize(size + QSize(120, 80));
        QCOMPARE(dialog->size(), size);
    }

    void modifySavesUnderTheOpenedName_data() {
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stored"); // empty: the change must be refused
        const QString modified = "Program Modified|Sucess|Information";
        QTest::newRow("unchanged") << "" << modified << "Notepad";
        QTest::newRow("renamed") << "  Notes 'ü/..' " << modified << "Notes 'ü/..'";
        QTest::newRow("letter case") << "NOTEPAD" << modified << "NOTEPAD";
        QTest::newRow("taken") << "calc"
                               << "Unable to modify program|Error|Critical"
                               << "";
        QTest::newRow("blank") << "   "
                               << "Please fill all fields in.|Error|Exclamation"
                               << "";
    }
    void modifySavesUnderTheOpenedName() {
        QFETCH(QString, newName);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        AdminFixture f;
        QVERIFY(f.store().AddProgram("Calc", "", "/bin/calc", "", "", ""));
        QVERIFY(f.store().AddProgram("Notepad", "Edits text", "/usr/bin/notepad", "", "/home/docs ",
                                     " -n 1"));
        QVERIFY(f.store().AddGroup("Staff"));
        QVERIFY(f.store().AddPermission("Staff", CatalogStore::StatusAllow, "Notepad",
                                        CatalogStore::KindGroup));
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
        QCOMPARE(Field(f.store(), now, "Program_Name"), now);
        QCOMPARE(Field(f.store(), now, "Program_Desc"), QStringLiteral("Edits text"));
        QCOMPARE(Field(f.store(), now, "Program_StartInDir"), QStringLiteral("/home/docs "));
        QCOMPARE(Field(f.store(), now, "Program_StartUpParms"), QStringLiteral(" -n 1"));
        QCOMPARE(f.store().GetProgramGroupPermissions(now).RecordCount(), 1L);
        QCOMPARE(f.store().GetPrograms().RecordCount(), 2L);
        QVERIFY(Texts(list.lstView).contains(now));
        QVERIFY(Texts(f.main->ListView1).contains(now));
        QCOMPARE(list.lstView->Text(list.lstView->SelectedItem()), now);
        if (now != "Notepad") {
            QVERIFY(!Texts(list.lstView).contains("Notepad"));
            QVERIFY(!Texts(f.main->ListView1).contains("Notepad"));
        }
        QCOMPARE(f.main->ListView1->Count(), 2);
    }

    void removeAsksAndRemovesEverything_data() {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("goneBefore"); // removed meanwhile at another workstation
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("left");
        const QString confirm = "Are you sure?|Confirm|Question";
        QTest::newRow("declined") << false << false << QStringList{confirm}
                                  << QStringList{"Calc", "Notepad"};
        QTest::newRow("confirmed")
            << true << false
            << QStringList{confirm, "Program Notepad has been removed|Removed|Information"}
            << QStringList{"Calc"};
        QTest::newRow("refused") << true << true
                                 << QStringList{confirm, "Couldn't Delete Notepad !|Oops|Critical"}
                                 << QStringList{"Calc", "Notepad"};
    }
    void removeAsksAndRemovesEverything() {
        QFETCH(bool, yes);
        QFETCH(bool, goneBefore);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, left);
        AdminFixture f;
        QVERIFY(f.store().AddProgram("Calc", "", "/bin/calc", "", "", ""));
        QVERIFY(f.store().AddProgram("Notepad", "", "/bin/notepad", "", "", ""));
        QVERIFY(f.store().AddGroup("Staff"));
        QVERIFY(f.store().AddPermission("Staff", 1, "Notepad", CatalogStore::KindGroup));
        modMain::RefreshLauncherList(f.t.ctx);
        QVERIFY(f.store().ExportProgramIcon("Notepad"));
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
        const bool removed = yes || goneBefore;
        QCOMPARE(f.store().GetProgramGroupPermissions("Notepad").RecordCount(), removed ? 0L : 1L);
        QCOMPARE(QFile::exists(f.t.ctx.paths.PictureFile("Notepad")), !removed);
    }

    void enlargedTextGoesBack_data() {
        QTest::addColumn<bool>("startUp");
        QTest::addColumn<QString>("edit"); // "-" leaves the area as it opened
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("result");
        QTest::newRow("start in, unchanged") << false << "-"
                                             << "/srv/app "
                                             << "/srv/app ";
        QTest::newRow("start in, cleared") << false << ""
                                           << "/srv/app "
                                           << "";
        QTest::newRow("parameters, edited") << true << "--verbose \"a b\""
                                            << "-v"
                                            << "--verbose \"a b\"";
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
        QList<frmExpandTextArea*> windows;
        QStringList captions, typed;
        QList<QPoint> places;
        editor.showModal = [&](QDialog& dialog) {
            auto& area = dynamic_cast<frmExpandTextArea&>(dialog);
            windows.append(&area);
            captions.append(area.windowTitle());
            places.append(area.pos());
            typed.append(area.txtTypingArea->toPlainText());
            if (edit != "-")
                area.txtTypingArea->setPlainText(edit);
            if (windows.size() == 1)
                SaveToGallery(&area, "frmExpandTextArea");
            area.reject();
        };
        (startUp ? editor.cmdDropStartUp_Click() : editor.cmdDropDir_Click());
        QCOMPARE(typed, QStringList{opened});
        QCOMPARE((startUp ? editor.txtDropStartUp : editor.txtDropStartIn)->text(), result);
        QCOMPARE(captions.first(),
                 startUp ? QStringLiteral("Please type in the start up parameters below")
                         : QStringLiteral("Please type in the start in path below"));
        // The other button uses the same window at the same place, bound to its own box.
        edit = "-";
        (startUp ? editor.cmdDropDir_Click() : editor.cmdDropStartUp_Click());
        QCOMPARE(windows.size(), 2);
        QCOMPARE(windows.at(0), windows.at(1));
        QCOMPARE(places.at(0), places.at(1));
        QCOMPARE(places.at(0), editor.cmdDropDir->mapToGlobal(QPoint(0, 0)));
        QCOMPARE(typed.at(1), startUp ? QStringLiteral("/srv/app ") : QStringLiteral("-v"));
    }

    void failingCatalogueKeepsTheEditorOpen() {
        AdminFixture f;
        frmAddProgram editor(f.t.ctx);
        editor.txtProgramName->setText("Notepad");
        editor.txtProgramPath->setText("/bin/notepad");
        {
            // Another connection damages the catalogue under the store.
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "saboteur");
            db.setDatabaseName(f.t.ctx.paths.DatabaseFile());
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec("DROP TABLE programs"));
            db.close();
        }
        QSqlDatabase::removeDatabase("saboteur");
        editor.cmdAdd_Click();
        QCOMPARE(f.prompt().transcript.size(), 1);
        QCOMPARE(f.prompt().transcript.first().title, QStringLiteral("Error"));
        QCOMPARE(f.prompt().transcript.first().icon, PromptIcon::Critical);
        QVERIFY(!f.prompt().transcript.first().text.isEmpty());
        QCOMPARE(editor.result(), 0);
        QCOMPARE(editor.txtProgramName->text(), QStringLiteral("Notepad"));
    }
};

QTEST_MAIN(tst_programwindows)
#include "tst_programwindows.moc"
