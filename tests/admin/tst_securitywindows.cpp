#include "SecurityFixture.h"
#include "support/DataRow.h"
#include "support/Gallery.h"
#include "widgets/GlyphButton.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

namespace {

// Names with the characters that break quoting, escaping and encodings.
const QString kOddGroup = QStringLiteral("Ops \"night\" 100% \\ Zürich");
const QString kOddUser = QStringLiteral("o'brien\\%_Søren");
const QString kNotApplied = QStringLiteral("Unable to apply new security information!");

QString FakeSidOf(const QString& user) {
    return FakeDirectory().GetAccountSid("CORP", user, false);
}

} // namespace

class tst_securitywindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listShowsGroupRulesThenUserRules_data() {
        AddColumns<QString, QStringList>("rules", "rows");
        AddRow("groups first", "U:ann:1,G:Staff:0,G:Admins:1",
               QStringList{"Staff|Denied|G|2", "Admins|Allow|G|2", "ann|Allow|U|1"});
        AddRow("other status shows nothing", "G:Staff:7", QStringList{"Staff||G|2"});
        AddRow("odd names shown exactly", "G:" + kOddGroup + ":1,U:" + kOddUser + ":0",
               QStringList{kOddGroup + "|Allow|G|2", kOddUser + "|Denied|U|1"});
    }
    void listShowsGroupRulesThenUserRules() {
        QFETCH(QString, rules);
        QFETCH(QStringList, rows);
        SecurityFixture f;
        f.Seed(rules);
        frmSecurity window(f.t.ctx);
        QCOMPARE(window.ProgramText(), QString()); // nothing picked at load
        SecurityFixture::Pick(window, "Mail");
        QCOMPARE(SecurityFixture::Rows(window), rows);
        if (QTest::currentDataTag() == QLatin1String("groups first"))
            SaveToGallery(&window, "frmSecurity-rules");
        // A group reads "(group)" after its name; a screen reader hears the kind of each.
        for (int i = 1; i <= window.lstView->Count(); ++i) {
            const bool group = window.lstView->Tag(i) == "G";
            QCOMPARE(window.lstView->ShownText(i),
                     window.lstView->Text(i) + (group ? " (group)" : ""));
            const QModelIndex row = window.lstView->CurrentView()->model()->index(i - 1, 0);
            QCOMPARE(row.data(Qt::AccessibleDescriptionRole).toString(), group ? "group" : "user");
        }
        SecurityFixture::Pick(window, "Editor");
        QCOMPARE(window.lstView->Count(), 0);
    }

    void removeRule_data() {
        QTest::addColumn<QString>("select");  // "" picks no program and selects nothing
        QTest::addColumn<bool>("goneBefore"); // another administrator removed it meanwhile
        AddColumns<QString, QStringList>("message", "left");
        const QString deleted = "Deleted Permission|Tessaro Orvane|Critical";
        AddRow("group rule", kOddGroup, false, deleted, QStringList{kOddUser + "=1"});
        AddRow("user rule", kOddUser, false, deleted, QStringList{kOddGroup + "=0"});
        AddRow("already gone", kOddUser, true, "Couldn't Delete Permission|Tessaro Orvane|Critical",
               QStringList{kOddGroup + "=0"});
        AddRow("nothing selected", "", false,
               "91, No rule is selected. Pick a program, select one of its rules in the list, "
               "then press Remove.|Tessaro Orvane|Critical",
               QStringList{kOddGroup + "=0", kOddUser + "=1"});
    }
    void removeRule() {
        QFETCH(QString, select);
        QFETCH(bool, goneBefore);
        QFETCH(QString, message);
        QFETCH(QStringList, left);
        SecurityFixture f;
        // The group's name is a user's name too: the kind decides which rule goes.
        f.Seed("G:" + kOddGroup + ":0,U:" + kOddUser + ":1");
        f.Seed("U:" + kOddGroup + ":1", "Ledger");
        frmSecurity window(f.t.ctx);
        if (!select.isEmpty()) {
            SecurityFixture::Pick(window, "Mail");
            QVERIFY(Select(window.lstView, select));
        }
        if (goneBefore)
            f.store().DeletePermission(f.store().GetObjectId(select, 1),
                                       f.store().GetProgramId("Mail"));
        window.cmdRemove_Click();
        QCOMPARE(Messages(f.prompt()), QStringList{message});
        QCOMPARE(f.StoredRules("Mail"), left);
        QCOMPARE(f.StoredRules("Ledger"), QStringList{kOddGroup + "=1"});
        QCOMPARE(window.lstView->Count(), select.isEmpty() ? 0 : left.size());
    }

    void addRuleThroughPickerAndEditor_data() {
        QTest::addColumn<QString>("principal");
        QTest::addColumn<QString>("choice"); // "Allow", "Deny" or "" (none)
        QTest::addColumn<QString>("row");
        AddRow("group allowed", "Staff", "Allow", "Staff|Allow|G|2");
        AddRow("user denied", "ann", "Deny", "ann|Denied|U|1");
        AddRow("no choice denies", "ann", "", "ann|Denied|U|1");
    }
    void addRuleThroughPickerAndEditor() {
        QFETCH(QString, principal);
        QFETCH(QString, choice);
        QFETCH(QString, row);
        SecurityFixture f;
        f.t.directory->AddGroup("Staff", {"ann"});
        f.t.directory->AddGroup(kOddGroup, {});
        f.t.directory->users = {"ann", kOddUser};
        frmSecurity window(f.t.ctx);
        SecurityFixture::Pick(window, "Ledger");
        ModalScript script;
        bool addWasEnabled = true, noneChosen = false;
        script.picker = [&](frmAddSecurity& picker) {
            addWasEnabled = window.cmdAdd->isEnabled();
            QVERIFY(Select(picker.lstPer, principal));
            picker.cmdAdd_Click();
        };
        script.editor = [&](frmChange& editor) {
            noneChosen = !editor.opAllow->isChecked() && !editor.opDeny->isChecked();
            QCOMPARE(editor.lblItem->text(), principal);
            if (!choice.isEmpty())
                (choice == "Allow" ? editor.opAllow : editor.opDeny)->setChecked(true);
            if (QTest::currentDataTag() == QLatin1String("group allowed"))
                SaveToGallery(&editor, "frmChange-allow");
            editor.cmdSave_Click();
        };
        window.showModal = script.Driver();
        window.cmdAdd_Click();
        QCOMPARE(script.shown, (QStringList{"frmAddSecurity", "frmChange"}));
        QVERIFY(!addWasEnabled);
        QVERIFY(window.cmdAdd->isEnabled());
        QVERIFY(noneChosen);
        QCOMPARE(SecurityFixture::Rows(window), QStringList{row});
        QVERIFY(f.prompt().transcript.isEmpty());
        // A user is stored with the SID the directory gives him.
        if (row.contains("|U|"))
            QCOMPARE(f.store().GetUserPermissions(principal, FakeSidOf(principal)).RecordCount(),
                     1L);
    }

    // Groups, then users with their SIDs, from one query each under the busy cursor; the
    // filter narrows by name or SID, letter case ignored.
    void pickerListsAndFilters_data() {
        AddColumns<QString, QStringList>("filter", "shown");
        AddRow("all", "", QStringList{"Staff", kOddGroup, "ann", "ANNA", kOddUser});
        AddRow("non-ASCII, any case", "zÜRICH", QStringList{kOddGroup});
        AddRow("backslash and percent", "\\%", QStringList{kOddUser});
        AddRow("SID, any case", FakeSidOf("ANNA").toLower(), QStringList{"ANNA"});
        AddRow("nothing", "nobody", QStringList{});
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
        frmAddSecurity picker(f.t.ctx, QString());
        QVERIFY(picker.Loaded());
        QVERIFY(busy);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(f.t.directory->userListCalls, 1);
        QCOMPARE(f.t.directory->sidCalls, 0);
        for (int i = 1; i <= picker.lstPer->Count(); ++i) {
            const bool group = i <= 2;
            QCOMPARE(picker.lstPer->Tag(i) + QString::number(picker.lstPer->Icon(i)),
                     group ? "G2" : "U1");
            QCOMPARE(picker.lstPer->SubItem(i, 1),
                     group ? QString() : FakeSidOf(picker.lstPer->Text(i)));
            const QModelIndex row = picker.lstPer->model()->index(i - 1, 0);
            QCOMPARE(row.data().toString(), picker.lstPer->Text(i) + (group ? " (group)" : ""));
            QCOMPARE(row.data(Qt::AccessibleDescriptionRole).toString(), group ? "group" : "user");
        }
        QTest::keyClicks(picker.txtFilter, filter);
        QCOMPARE(Texts(picker.lstPer), shown);
        QCOMPARE(picker.lstPer->SelectedItem(), shown.isEmpty() ? 0 : 1);
        if (filter.isEmpty())
            SaveToGallery(&picker, "frmAddSecurity-domain");
        picker.showModal = [](QDialog&) {};
        picker.cmdAdd_Click(); // with nothing to add, asks for a choice
        QCOMPARE(Messages(f.prompt()),
                 shown.isEmpty()
                     ? QStringList{"Please select a user or group to continue|Oops|Exclamation"}
                     : QStringList{});
    }

    void pickerReportsAFailingDirectory() {
        SecurityFixture f;
        f.t.directory->listFailure = "The server CORP-DC1 did not answer.";
        frmSecurity window(f.t.ctx);
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

    // Double click opens the editor on the rule's permission; a save that cannot be stored
    // keeps the earlier rule and the open editor.
    void changeRule_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("fault"); // "refused" rules, program "gone" meanwhile
        AddColumns<QString, QStringList, QString>("message", "rules", "row");
        const QString g = kOddGroup;
        AddRow("allow to deny", 1, "", "", QStringList{g + "=0"}, g + "|Denied|G|2");
        AddRow("deny to allow", 0, "", "", QStringList{g + "=1"}, g + "|Allow|G|2");
        AddRow("refused", 1, "refused", kNotApplied + "\n\n*rules are frozen",
               QStringList{g + "=1"}, g + "|Allow|G|2");
        AddRow("program gone", 1, "gone", kNotApplied, QStringList{}, g + "|Allow|G|2");
    }
    void changeRule() {
        QFETCH(int, stored);
        QFETCH(QString, fault);
        QFETCH(QString, message);
        QFETCH(QStringList, rules);
        QFETCH(QString, row);
        SecurityFixture f;
        f.Seed("G:" + kOddGroup + ":" + QString::number(stored));
        frmSecurity window(f.t.ctx);
        ModalScript script;
        bool preselected = false;
        int result = -1;
        script.editor = [&](frmChange& editor) {
            preselected = (stored == 1 ? editor.opAllow : editor.opDeny)->isChecked();
            if (fault == "refused")
                QVERIFY(f.RefuseNewRules());
            else if (fault == "gone")
                QVERIFY(f.store().DeleteProgram("Mail"));
            (stored == 1 ? editor.opDeny : editor.opAllow)->setChecked(true);
            editor.cmdSave_Click();
            result = editor.result();
        };
        window.showModal = script.Driver();
        window.lstView_DblClick(); // nothing selected: nothing happens
        QVERIFY(script.shown.isEmpty());
        SecurityFixture::Pick(window, "Mail");
        window.lstView->SelectItem(1);
        window.lstView_DblClick();
        QVERIFY(preselected);
        QCOMPARE(result, int(message.isEmpty() ? QDialog::Accepted : QDialog::Rejected));
        // "text*cause": the system's text, then the cause of the failure.
        const QStringList messages = Messages(f.prompt());
        const QStringList expected = message.split(u'*');
        QVERIFY2(message.isEmpty()
                     ? messages.isEmpty()
                     : messages.size() == 1 && messages[0].startsWith(expected.first()) &&
                           messages[0].contains(expected.last()) &&
                           messages[0].endsWith("|Error|Critical"),
                 qPrintable(messages.join('\n')));
        if (expected.size() == 1 && !message.isEmpty())
            QCOMPARE(messages[0], message + "|Error|Critical");
        QCOMPARE(f.StoredRules("Mail"), rules);
        QCOMPARE(SecurityFixture::Rows(window), QStringList{row});
    }

    // Arrows, Enter and Delete in the rules list; the edited rule keeps the focus, Add has it
    // when nothing was stored. The picker's own keys go through tst_keyboard.
    void keyboardAlone() {
        SecurityFixture f;
        f.Seed("G:Staff:1,U:bob:1");
        frmSecurity window(f.t.ctx);
        window.show();
        QApplication::setActiveWindow(&window);
        SecurityFixture::Pick(window, "Mail");
        ModalScript script;
        QStringList edited;
        script.editor = [&](frmChange& editor) {
            edited << editor.lblItem->text() + editor.lblItem->accessibleName();
            editor.opDeny->setChecked(true);
            editor.cmdSave_Click();
        };
        window.showModal = script.Driver();
        QWidget* rules = window.lstView->CurrentView();
        rules->setFocus(Qt::TabFocusReason); // entered with Tab: its first rule is selected
        QCOMPARE(window.lstView->SelectedItem(), 1);
        QTest::keyClick(rules, Qt::Key_Return);
        QTest::keyClick(rules, Qt::Key_Down);
        QTest::keyClick(rules, Qt::Key_Return);
        QCOMPARE(edited, (QStringList{"StaffItem: Staff (group)", "bobItem: bob (user)"}));
        QCOMPARE(QApplication::focusWidget(), rules);
        QCOMPARE(window.lstView->ShownText(window.lstView->SelectedItem()), "bob");
        QTest::keyClick(rules, Qt::Key_Delete);
        QCOMPARE(Messages(f.prompt()), QStringList{"Deleted Permission|Tessaro Orvane|Critical"});
        QCOMPARE(SecurityFixture::Rows(window), QStringList{"Staff|Denied|G|2"});
        window.cmdAdd_Click(); // the picker closed without a choice
        QApplication::setActiveWindow(&window);
        QCOMPARE(QApplication::focusWidget(), window.cmdAdd);
    }
};

QTEST_MAIN(tst_securitywindows)
#include "tst_securitywindows.moc"
