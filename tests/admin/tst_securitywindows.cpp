#include "SecurityFixture.h"
#include "support/Gallery.h"
#include "widgets/GlyphButton.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

namespace {

// Names with the characters that break quoting, escaping and encodings.
const QString kOddGroup = QStringLiteral("Ops \"night\" 100% \\ Zürich");
const QString kOddUser = QStringLiteral("o'brien\\%_Søren");

QStringList Split(const QString& text) {
    return text.isEmpty() ? QStringList() : text.split(u',');
}

} // namespace

class tst_securitywindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Rules given as "G:name:status" / "U:name:status", in the order they are stored.
    void listShowsGroupRulesThenUserRules_data() {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QString>("rows");
        QTest::newRow("no rules") << ""
                                  << "";
        QTest::newRow("groups first") << "U:ann:1,G:Staff:0,G:Admins:1"
                                      << "Staff|Denied|G|2,Admins|Allow|G|2,ann|Allow|U|1";
        QTest::newRow("other status shows nothing") << "G:Staff:7"
                                                    << "Staff||G|2";
        QTest::newRow("odd names shown exactly")
            << "G:" + kOddGroup + ":1,U:" + kOddUser + ":0"
            << kOddGroup + "|Allow|G|2," + kOddUser + "|Denied|U|1";
    }
    void listShowsGroupRulesThenUserRules() {
        QFETCH(QString, rules);
        QFETCH(QString, rows);
        SecurityFixture f;
        for (const QString& rule : Split(rules)) {
            const QStringList part = rule.split(u':');
            const bool group = part[0] == "G";
            if (group)
                f.store().AddGroup(part[1]);
            else
                f.store().AddUser(part[1], "S-1-5-21-" + part[1]);
            QVERIFY(
                f.store().AddPermission(part[1], part[2].toInt(), "Mail",
                                        group ? CatalogStore::KindGroup : CatalogStore::KindUser));
        }
        frmSecurity window(f.t.ctx);
        QCOMPARE(window.windowTitle(), QStringLiteral("Current Permissions."));
        QCOMPARE(window.lstView->ColumnHeaders(), (QStringList{"Name", "Permission"}));
        QCOMPARE(window.cboProgram->count(), 3);
        QCOMPARE(window.ProgramText(), QString()); // nothing picked at load
        QCOMPARE(window.lstView->Count(), 0);
        SecurityFixture::Pick(window, "Mail");
        QCOMPARE(SecurityFixture::Rows(window), Split(rows));
        SecurityFixture::Pick(window, "Editor");
        QCOMPARE(window.lstView->Count(), 0);
    }

    void removeRule_data() {
        QTest::addColumn<QString>("select");  // "" selects nothing
        QTest::addColumn<bool>("goneBefore"); // another administrator removed it meanwhile
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("group rule")
            << kOddGroup << false << "Deleted Permission|Tessaro Orvane|Critical"
            << QStringList{kOddUser + "=1"};
        QTest::newRow("user rule")
            << kOddUser << false << "Deleted Permission|Tessaro Orvane|Critical"
            << QStringList{kOddGroup + "=0"};
        QTest::newRow("already gone")
            << kOddUser << true << "Couldn't Delete Permission|Tessaro Orvane|Critical"
            << QStringList{kOddGroup + "=0"};
        QTest::newRow("nothing selected")
            << "" << false
            << "91, No rule is selected. Pick a program, select one of its rules in the list, "
               "then press Remove.|Tessaro Orvane|Critical"
            << QStringList{kOddGroup + "=0", kOddUser + "=1"};
    }
    void removeRule() {
        QFETCH(QString, select);
        QFETCH(bool, goneBefore);
        QFETCH(QString, message);
        QFETCH(QStringList, left);
        SecurityFixture f;
        f.store().AddGroup(kOddGroup);
        f.store().AddUser(kOddUser, "S-1-5-21-7");
        // The same names as a user and as a group: the kind decides which rule goes.
        f.store().AddUser(kOddGroup, "S-1-5-21-8");
        QVERIFY(f.store().AddPermission(kOddGroup, 0, "Mail", CatalogStore::KindGroup));
        QVERIFY(f.store().AddPermission(kOddUser, 1, "Mail", CatalogStore::KindUser));
        QVERIFY(f.store().AddPermission(kOddGroup, 1, "Ledger", CatalogStore::KindUser));
        frmSecurity window(f.t.ctx);
        if (!select.isEmpty()) {
            SecurityFixture::Pick(window, "Mail");
            QVERIFY(SecurityFixture::Select(window.lstView, select));
        }
        if (goneBefore)
            QVERIFY(f.store().DeletePermission(f.store().GetObjectId(select, 1),
                                               f.store().GetProgramId("Mail")));
        window.cmdRemove_Click();
        QCOMPARE(Messages(f.prompt()), QStringList{message});
        QCOMPARE(f.StoredRules("Mail"), left);
        QCOMPARE(f.StoredRules("Ledger"), QStringList{kOddGroup + "=1"});
        if (!select.isEmpty())
            QCOMPARE(window.lstView->Count(), left.size());
    }

    // A new rule through the picker and the editor, as the administrator gives it.
    void addRuleThroughPickerAndEditor_data() {
        QTest::addColumn<QString>("principal");
        QTest::addColumn<QString>("choice"); // "Allow", "Deny" or "" (none)
        QTest::addColumn<QString>("row");
        QTest::addColumn<bool>("isUser");
        QTest::newRow("group allowed") << "Staff"
                                       << "Allow"
                                       << "Staff|Allow|G|2" << false;
        QTest::newRow("user denied") << "ann"
                                     << "Deny"
                                     << "ann|Denied|U|1" << true;
        QTest::newRow("no choice denies") << "ann"
                                          << ""
                                          << "ann|Denied|U|1" << true;
        QTest::newRow("odd group") << kOddGroup << "Allow" << kOddGroup + "|Allow|G|2" << false;
        QTest::newRow("odd user") << kOddUser << "Allow" << kOddUser + "|Allow|U|1" << true;
    }
    void addRuleThroughPickerAndEditor() {
        QFETCH(QString, principal);
        QFETCH(QString, choice);
        QFETCH(QString, row);
        QFETCH(bool, isUser);
        SecurityFixture f;
        f.t.directory->AddGroup("Staff", {"ann"});
        f.t.directory->AddGroup(kOddGroup, {});
        f.t.directory->users = {"ann", kOddUser};
        frmSecurity window(f.t.ctx);
        SecurityFixture::Pick(window, "Ledger");
        ModalScript script;
        bool addWasDisabled = false, neitherChosen = false;
        script.picker = [&](frmAddSecurity& picker) {
            addWasDisabled = !window.cmdAdd->isEnabled();
            QVERIFY(SecurityFixture::Select(picker.lstPer, principal));
            picker.cmdAdd_Click();
        };
        script.editor = [&](frmChange& editor) {
            neitherChosen = !editor.opAllow->isChecked() && !editor.opDeny->isChecked();
            QCOMPARE(editor.lblItem->text(), principal);
            if (choice == "Allow")
                editor.opAllow->setChecked(true);
            else if (choice == "Deny")
                editor.opDeny->setChecked(true);
            editor.cmdSave_Click();
            QCOMPARE(editor.result(), int(QDialog::Accepted));
        };
        window.showModal = script.Driver();
        window.cmdAdd_Click();
        QCOMPARE(script.shown, (QStringList{"frmAddSecurity", "frmChange"}));
        QVERIFY(addWasDisabled);
        QVERIFY(window.cmdAdd->isEnabled());
        QVERIFY(neitherChosen);
        QCOMPARE(SecurityFixture::Rows(window), QStringList{row});
        QVERIFY(f.prompt().transcript.isEmpty());
        if (isUser) { // stored with the SID the directory gives him
            QVERIFY(f.store().UserExists(principal));
            QCOMPARE(f.store()
                         .GetUserPermissions(principal,
                                             f.t.directory->GetAccountSid("CORP", principal, false))
                         .RecordCount(),
                     1L);
        } else {
            QVERIFY(f.store().GroupExists(principal));
        }
    }

    // The picker's list: groups, then users with their SIDs, from one query each; the
    // filter narrows it by name or SID, letter case ignored.
    void pickerListsAndFilters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("all") << "" << QStringList{"Staff", kOddGroup, "ann", "ANNA", kOddUser};
        QTest::newRow("name, any case") << "anN" << QStringList{"ann", "ANNA"};
        QTest::newRow("non-ASCII, any case") << "zÜRICH" << QStringList{kOddGroup};
        QTest::newRow("backslash and percent") << "\\%" << QStringList{kOddUser};
        QTest::newRow("SID, any case") << FakeSidOf("ANNA").toLower() << QStringList{"ANNA"};
        QTest::newRow("nothing") << "nobody" << QStringList{};
    }
    void pickerListsAndFilters() {
        QFETCH(QString, filter);
        QFETCH(QStringList, shown);
        SecurityFixture f;
        f.t.directory->AddGroup("Staff", {});
        f.t.directory->AddGroup(kOddGroup, {});
        f.t.directory->users = {"ann", "ANNA", kOddUser};
        bool busy = false;
        f.t.directory->whileListing = [&busy] {
            busy = QApplication::overrideCursor() &&
                   QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        };
        frmAddSecurity picker(f.t.ctx, nullptr);
        QVERIFY(picker.Loaded());
        QVERIFY(busy);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(picker.windowTitle(), QStringLiteral("Select User or Group.."));
        QCOMPARE(picker.lstPer->ColumnHeaders(), (QStringList{"User Name", "Sid"}));
        QCOMPARE(f.t.directory->userListCalls, 1);
        QCOMPARE(f.t.directory->sidCalls, 0);
        for (int i = 1; i <= picker.lstPer->Count(); ++i) {
            const bool group = i <= 2;
            QCOMPARE(picker.lstPer->Tag(i), group ? "G" : "U");
            QCOMPARE(picker.lstPer->Icon(i), group ? 2 : 1);
            QVERIFY(!picker.lstPer->ShownPicture(i).isNull());
            QCOMPARE(picker.lstPer->SubItem(i, 1),
                     group ? QString() : FakeSidOf(picker.lstPer->Text(i)));
        }
        QTest::keyClicks(picker.txtFilter, filter);
        QStringList names;
        for (int i = 1; i <= picker.lstPer->Count(); ++i)
            names << picker.lstPer->Text(i);
        QCOMPARE(names, shown);
        QCOMPARE(picker.lstPer->SelectedItem(), shown.isEmpty() ? 0 : 1);
        if (filter.isEmpty())
            SaveToGallery(&picker, "frmAddSecurity-domain");
        else if (shown.isEmpty()) { // Add with nothing to add asks for a choice
            picker.cmdAdd_Click();
            QCOMPARE(Messages(f.prompt()),
                     QStringList{"Please select a user or group to continue|Oops|Exclamation"});
        }
    }

    void pickerReportsAFailingDirectory() {
        SecurityFixture f;
        f.t.directory->listFailure = "The server CORP-DC1 did not answer.";
        frmSecurity window(f.t.ctx);
        SecurityFixture::Pick(window, "Mail");
        ModalScript script;
        window.showModal = script.Driver();
        window.cmdAdd_Click();
        QVERIFY(script.shown.isEmpty()); // nothing to pick from: the picker is not shown
        QVERIFY(window.cmdAdd->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(Messages(f.prompt()),
                 QStringList{"The users and groups of the domain \"CORP\" could not be read:\n"
                             "The server CORP-DC1 did not answer.\n\nCheck the domain under "
                             "Configure/Setup and that its directory can be reached, then press "
                             "Add again.|Error|Critical"});
    }

    // Changing a rule by double click: the editor opens on the rule's permission.
    void doubleClickChangesRule_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("preselected");
        QTest::addColumn<QString>("row");
        QTest::newRow("allow to deny") << 1 << "Allow" << kOddGroup + "|Denied|G|2";
        QTest::newRow("deny to allow") << 0 << "Deny" << kOddGroup + "|Allow|G|2";
    }
    void doubleClickChangesRule() {
        QFETCH(int, stored);
        QFETCH(QString, preselected);
        QFETCH(QString, row);
        SecurityFixture f;
        f.store().AddGroup(kOddGroup);
        QVERIFY(f.store().AddPermission(kOddGroup, stored, "Mail", CatalogStore::KindGroup));
        frmSecurity window(f.t.ctx);
        ModalScript script;
        QString checked;
        script.editor = [&](frmChange& editor) {
            checked = editor.opAllow->isChecked()  ? "Allow"
                      : editor.opDeny->isChecked() ? "Deny"
                                                   : "";
            (stored == 1 ? editor.opDeny : editor.opAllow)->setChecked(true);
            editor.cmdSave_Click();
        };
        window.showModal = script.Driver();
        window.lstView_DblClick(); // nothing selected: nothing happens
        QVERIFY(script.shown.isEmpty());
        SecurityFixture::Pick(window, "Mail");
        window.lstView->SelectItem(1);
        window.lstView_DblClick();
        QCOMPARE(checked, preselected);
        QCOMPARE(SecurityFixture::Rows(window), QStringList{row});
        QCOMPARE(f.StoredRules("Mail"), QStringList{kOddGroup + '=' + QString::number(1 - stored)});
        QVERIFY(f.prompt().transcript.isEmpty());
    }

    // A save that cannot be stored keeps the earlier rule and the open editor.
    void failedSaveKeepsEarlierRule_data() {
        QTest::addColumn<bool>("programGone");
        QTest::addColumn<QString>("cause"); // what the message says after the system's text
        QTest::addColumn<QStringList>("left");
        QTest::newRow("rule refused") << false << "rules are frozen" << QStringList{"ann=1"};
        QTest::newRow("program removed meanwhile") << true << "" << QStringList{};
    }
    void failedSaveKeepsEarlierRule() {
        QFETCH(bool, programGone);
        QFETCH(QString, cause);
        QFETCH(QStringList, left);
        SecurityFixture f;
        f.store().AddUser("ann", "S-1-5-21-1");
        QVERIFY(f.store().AddPermission("ann", 1, "Mail", CatalogStore::KindUser));
        frmSecurity window(f.t.ctx);
        SecurityFixture::Pick(window, "Mail");
        ModalScript script;
        int result = -1;
        script.editor = [&](frmChange& editor) {
            if (programGone)
                QVERIFY(f.store().DeleteProgram("Mail"));
            else
                QVERIFY(f.RefuseNewRules());
            editor.opDeny->setChecked(true);
            editor.cmdSave_Click();
            result = editor.result();
        };
        window.showModal = script.Driver();
        window.lstView->SelectItem(1);
        window.lstView_DblClick();
        QCOMPARE(result, int(QDialog::Rejected)); // still open
        const QStringList messages = Messages(f.prompt());
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].startsWith("Unable to apply new security information!"),
                 qPrintable(messages[0]));
        QVERIFY(messages[0].endsWith("|Error|Critical"));
        if (cause.isEmpty())
            QCOMPARE(messages[0], "Unable to apply new security information!|Error|Critical");
        else
            QVERIFY2(messages[0].contains(cause), qPrintable(messages[0]));
        QCOMPARE(f.StoredRules("Mail"), left);
        QCOMPARE(SecurityFixture::Rows(window), QStringList{"ann|Allow|U|1"});
    }

    // Arrows, Enter and Delete in the rules list; typing, arrows and Enter in the picker.
    void keyboardAlone() {
        SecurityFixture f;
        f.t.directory->AddGroup("Staff", {});
        f.t.directory->users = {"ann", "bob"};
        f.store().AddGroup("Staff");
        QVERIFY(f.store().AddPermission("Staff", 1, "Mail", CatalogStore::KindGroup));
        frmSecurity window(f.t.ctx);
        window.show();
        SecurityFixture::Pick(window, "Mail");
        ModalScript script;
        QString edited, picked;
        script.editor = [&](frmChange& editor) { edited = editor.lblItem->text(); };
        script.picker = [&](frmAddSecurity& picker) {
            QTest::keyClicks(picker.txtFilter, "B");
            QTest::keyClick(picker.lstPer, Qt::Key_Down); // "bob" is the only one left
            QTest::keyClick(picker.lstPer, Qt::Key_Return);
            picked = edited;
        };
        window.showModal = script.Driver();
        QWidget* rules = window.lstView->CurrentView();
        rules->setFocus();
        QTest::keyClick(rules, Qt::Key_Down);
        QCOMPARE(window.lstView->SelectedItem(), 1);
        QTest::keyClick(rules, Qt::Key_Return);
        QCOMPARE(edited, QStringLiteral("Staff"));
        window.cmdAdd_Click();
        QCOMPARE(picked, QStringLiteral("bob"));
        QTest::keyClick(rules, Qt::Key_Delete);
        QCOMPARE(Messages(f.prompt()), QStringList{"Deleted Permission|Tessaro Orvane|Critical"});
        QCOMPARE(window.lstView->Count(), 0);
    }

    // Every control a keyboard or screen-reader user reaches carries a name.
    void everyControlHasAnAccessibleName_data() {
        QTest::addColumn<QString>("window");
        QTest::newRow("frmSecurity") << "frmSecurity";
        QTest::newRow("frmAddSecurity") << "frmAddSecurity";
        QTest::newRow("frmChange") << "frmChange";
    }
    void everyControlHasAnAccessibleName() {
        QFETCH(QString, window);
        SecurityFixture f;
        f.store().AddGroup("Staff");
        QVERIFY(f.store().AddPermission("Staff", 1, "Mail", CatalogStore::KindGroup));
        f.t.directory->AddGroup("Staff", {});
        f.t.directory->users = {"ann"};
        std::unique_ptr<QDialog> dialog;
        if (window == "frmSecurity") {
            auto security = std::make_unique<frmSecurity>(f.t.ctx);
            SecurityFixture::Pick(*security, "Mail");
            SaveToGallery(security.get(), "frmSecurity-rules");
            dialog = std::move(security);
        } else if (window == "frmAddSecurity") {
            dialog = std::make_unique<frmAddSecurity>(f.t.ctx, nullptr);
        } else {
            auto editor = std::make_unique<frmChange>(f.t.ctx, nullptr);
            editor->showModal = [](QDialog&) {};
            editor->CreateMe("Mail", kOddUser, "Allow", "U");
            SaveToGallery(editor.get(), "frmChange-allow");
            dialog = std::move(editor);
        }
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        int checked = 0;
        for (QWidget* w : dialog->findChildren<QWidget*>()) {
            if (!w->isVisible() || w->focusPolicy() == Qt::NoFocus)
                continue;
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
            QVERIFY(face);
            QVERIFY2(
                !face->text(QAccessible::Name).isEmpty(),
                qPrintable(w->metaObject()->className() + QStringLiteral(" ") + w->objectName()));
            ++checked;
        }
        QVERIFY2(checked >= 3, qPrintable(QString::number(checked)));
    }

private:
    static QString FakeSidOf(const QString& user) {
        FakeDirectory directory;
        return directory.GetAccountSid("CORP", user, false);
    }
};

QTEST_MAIN(tst_securitywindows)
#include "tst_securitywindows.moc"
