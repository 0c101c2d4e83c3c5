// The launcher with the keyboard alone: every window of the side menu opened from the main
// window with key events, a rule added through the picker, a program found with Find and
// started; and the keys each window answers (default buttons, Enter on a button, Tab out of a
// message, Escape and Enter in Properties, the item menu's keys).
#include "AllWindows.h"
#include "access/AccessEvaluation.h"
#include "launcher/LauncherList.h"
#include "support/DataRow.h"
#include "support/ScriptedPrompt.h"
#include "widgets/GlyphButton.h"
#include "widgets/ListView.h"

#include <QAbstractItemView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

// Plays keys to whatever has the focus, one a tick, also inside the event loops of the modal
// windows the keys open; checks run between keys. What went wrong is collected, not thrown:
// the keys run in timers. As a window manager would, it gives the focus back to the window in
// front (the modal one, else `main`) when the window that had it closes.
class KeyScript : public QObject {
public:
    explicit KeyScript(QWidget* main) : mMain(main) {}

    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        mSteps.append([key, modifiers] {
            QWidget* target = QApplication::focusWidget();
            if (!target)
                target = QApplication::activeWindow();
            if (target)
                QTest::keyClick(target, Qt::Key(key), modifiers);
        });
    }
    void Type(const QString& text) {
        mSteps.append([text] {
            if (QWidget* target = QApplication::focusWidget())
                QTest::keyClicks(target, text);
        });
    }
    // `what` must hold once the keys before it are through (and the window system has
    // answered them: it is asked again for up to a second).
    void Check(const QString& what, std::function<bool()> holds, int tries = 60) {
        mSteps.append([this, what, holds, tries] {
            if (holds())
                return;
            if (tries > 0) {
                mSteps.prepend([this, what, holds, tries] { Retry(what, holds, tries - 1); });
                return;
            }
            QWidget* modal = QApplication::activeModalWidget();
            failures << what + " (front: " + (modal ? modal->objectName() : "none") + ", focus: " +
                            (QApplication::focusWidget()
                                 ? QApplication::focusWidget()->metaObject()->className()
                                 : "none") +
                            ")";
        });
    }
    // The modal window in front is `name` (none when empty).
    void Front(const QString& name) {
        Check("in front: " + name, [name] {
            QWidget* modal = QApplication::activeModalWidget();
            return modal ? modal->objectName() == name : name.isEmpty();
        });
    }
    void Start() {
        QTimer::singleShot(15, this, [this] { Tick(); });
    }

    QStringList failures;
    bool done = false;

private:
    void Retry(const QString& what, std::function<bool()> holds, int tries) {
        Check(what, holds, tries);
        mSteps.prepend(mSteps.takeLast());
    }

    // A timer does not fire again while its own handler runs: each key has a timer of its
    // own, set before the key (which may open a modal window and not return for a while).
    void Tick() {
        if (mSteps.isEmpty()) {
            // A window the keys failed to close would keep its loop running forever.
            if (QWidget* modal = QApplication::activeModalWidget()) {
                failures << "left open: " + modal->objectName();
                modal->close();
                Start();
                return;
            }
            done = true;
            return;
        }
        const auto step = mSteps.takeFirst();
        Start();
        QWidget* active = QApplication::activeWindow();
        if (!active || !active->isVisible()) {
            QWidget* front = QApplication::activeModalWidget();
            QApplication::setActiveWindow(front ? front : mMain);
        }
        step();
    }

    QWidget* mMain;
    QList<std::function<void()>> mSteps;
};

} // namespace

class tst_keyboard : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyWindowFromTheMainWindow() {
        TestContext t;
        QVERIFY(FillCatalogue(t));
        QVERIFY(LoadRules(t));
        frmMain form(t.ctx);
        form.EndProgram = [] {};
        QVERIFY(modMain::BuildLauncherList(t.ctx, false));
        RegisterAdministrationWindows(t, form);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));

        KeyScript keys(&form);
        // Administration (Ctrl+4): the permissions window, a rule for the user kim (not his
        // group) through the picker, the new rule in focus.
        keys.Key(Qt::Key_4, Qt::ControlModifier);
        keys.Key(Qt::Key_Return); // Security
        keys.Front("frmSecurity");
        keys.Key(Qt::Key_Down); // the first program, Editor
        keys.Key(Qt::Key_Down); // Ledger
        keys.Key(Qt::Key_Tab);  // the rules
        keys.Key(Qt::Key_Tab);  // Add
        keys.Key(Qt::Key_Return);
        keys.Front("frmAddSecurity");
        keys.Type("kim");
        keys.Key(Qt::Key_Down); // from the group kim to the user kim
        keys.Key(Qt::Key_Return);
        keys.Front("frmChange");
        keys.Key(Qt::Key_Space); // Allow, which has the focus
        keys.Key(Qt::Key_Return);
        keys.Front("frmSecurity");
        keys.Check("the new rule has the focus", [] {
            auto* security = qobject_cast<frmSecurity*>(QApplication::activeModalWidget());
            return security && QApplication::focusWidget() == security->lstView->CurrentView() &&
                   security->lstView->ShownText(security->lstView->SelectedItem()) == "kim";
        });
        keys.Key(Qt::Key_Escape);
        // The other administration windows, one after the other.
        for (const char* window :
             {"frmAddRemove", "frmAddRemoveFolder", "frmSetup", "frmThemeManage"}) {
            keys.Key(Qt::Key_Down);
            keys.Key(Qt::Key_Return);
            keys.Front(window);
            keys.Key(Qt::Key_Escape);
            keys.Front("");
        }
        // Print Security (Ctrl+5): two previews, closed with Escape.
        keys.Key(Qt::Key_5, Qt::ControlModifier);
        for (const char* report : {"rptPermissionByGroup", "rptPermissionByUser"}) {
            keys.Key(Qt::Key_Return);
            keys.Check(QStringLiteral("preview %1 open").arg(report), [report] {
                return QApplication::activeWindow() &&
                       QApplication::activeWindow()->objectName() == report;
            });
            keys.Key(Qt::Key_Escape);
            keys.Check(QStringLiteral("preview %1 closed").arg(report),
                       [report, &form] { return QApplication::activeWindow() == &form; });
            keys.Key(Qt::Key_Down);
        }
        // The support windows (Ctrl+1), after the Brindlecove item.
        keys.Key(Qt::Key_1, Qt::ControlModifier);
        for (int i = 0; i < 2; ++i) {
            keys.Key(Qt::Key_Down);
            keys.Key(Qt::Key_Return);
            keys.Front("frmEmailSupport");
            keys.Key(Qt::Key_Escape);
        }
        // Views (Ctrl+3): Report, the fourth item; the group header's arrows reach Views from
        // Support's header too.
        keys.Key(Qt::Key_3, Qt::ControlModifier);
        for (int i = 0; i < 3; ++i)
            keys.Key(Qt::Key_Down);
        keys.Key(Qt::Key_Return);
        keys.Check("report view",
                   [&form] { return form.ListView1->View() == ListView::lvwReport; });
        // Find a program and start it.
        keys.Key(Qt::Key_F, Qt::ControlModifier);
        keys.Type("LEDG");
        keys.Key(Qt::Key_Return);
        keys.Start();
        QTRY_VERIFY_WITH_TIMEOUT(keys.done, 60000);
        QCOMPARE(keys.failures, QStringList());

        Recordset rules = t.ctx.Catalog().GetProgramUserPermissions("Ledger");
        QCOMPARE(rules.RecordCount(), 1L);
        QCOMPARE(rules.Fields("Username").toString() + '=' + rules.Fields("Status").toString(),
                 QStringLiteral("kim=1"));
        QCOMPARE(t.ctx.Catalog().GetProgramGroupPermissions("Ledger").RecordCount(), 0L);
        QCOMPARE(t.shell->executed.size(), 1);
        QCOMPARE(t.shell->executed.at(0).startIn + ' ' + t.shell->executed.at(0).parameters,
                 QStringLiteral("/srv --quiet"));
        QCOMPARE(Messages(*t.prompt), QStringList());
    }

    // Every dialog marks the button Enter presses from anywhere in it.
    void defaultButtons_data() {
        AddColumns<QString, QString>("window", "button");
        const std::pair<const char*, const char*> rows[] = {{"frmSecurity", "Add"},
                                                            {"frmAddSecurity", "Add"},
                                                            {"frmChange", "Save"},
                                                            {"frmAddRemove", "Change Program"},
                                                            {"frmAddProgram", "Add"},
                                                            {"frmAddRemoveFolder", "&Add"},
                                                            {"frmFolderDialog", "&Add"},
                                                            {"frmSetup", "Save.."},
                                                            {"frmThemeManage", "Apply Theme"},
                                                            {"frmCreateTheme", "Save"},
                                                            {"frmEmailSupport", "Send.."},
                                                            {"frmViewer", "Select"},
                                                            {"frmProperties", "Launch"}};
        for (const auto& [window, button] : rows)
            QTest::newRow(window) << window << button;
    }
    void defaultButtons() {
        QFETCH(QString, window);
        QFETCH(QString, button);
        TestContext t;
        QVERIFY(FillCatalogue(t));
        const std::unique_ptr<QWidget> shown = MakeWindow(t, window);
        QStringList defaults;
        for (const QPushButton* candidate : shown->findChildren<QPushButton*>())
            if (candidate->isDefault())
                defaults << candidate->text();
        QCOMPARE(defaults, QStringList{button});
    }

    // Enter presses the button that has the focus, default or not; Tab leaves the message.
    void enterPressesTheFocusedButton() {
        TestContext t;
        frmEmailSupport window(t.ctx);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.txtMessage->setFocus();
        QTest::keyClicks(window.txtMessage, "line");
        QTest::keyClick(window.txtMessage, Qt::Key_Tab);
        QCOMPARE(window.txtMessage->toPlainText(), QStringLiteral("line"));
        QVERIFY(QApplication::focusWidget() != window.txtMessage);
        window.cmdCancel->setFocus();
        QTest::keyClick(window.cmdCancel, Qt::Key_Return);
        QVERIFY(!window.isVisible()); // Cancel, not the default Send
        QVERIFY(t.prompt->transcript.isEmpty());
    }

    // Properties: Enter starts the program, Escape closes the window.
    void propertiesKeys_data() {
        AddColumns<int, int>("key", "started");
        QTest::newRow("Enter") << int(Qt::Key_Return) << 1;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << 1;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << 0;
    }
    void propertiesKeys() {
        QFETCH(int, key);
        QFETCH(int, started);
        TestContext t;
        QVERIFY(FillCatalogue(t));
        QPointer<frmProperties> window = new frmProperties(t.ctx);
        window->SetProgram("Mail");
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.data(),
                        Qt::Key(key));
        QTRY_VERIFY(!window);
        QCOMPARE(t.shell->executed.size(), started);
    }

    // The menu key and Shift+F10 open the item menu beside the selected item.
    void itemMenuKeys_data() {
        AddColumns<int, int>("key", "modifiers");
        QTest::newRow("menu key") << int(Qt::Key_Menu) << int(Qt::NoModifier);
        QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
    }
    void itemMenuKeys() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        TestContext t;
        QVERIFY(FillCatalogue(t));
        frmMain form(t.ctx);
        form.EndProgram = [] {};
        QVERIFY(modMain::BuildLauncherList(t.ctx, false));
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QAbstractItemView* list = form.ListView1->CurrentView();
        list->setFocus(Qt::TabFocusReason); // entered with Tab: its first item is selected
        QCOMPARE(form.ListView1->SelectedItem(), 1);
        QTest::keyClick(list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_COMPARE(QApplication::activePopupWidget(), form.mnuItem);
        const QRect item = form.ListView1->ItemRect(1);
        QVERIFY(form.mnuItem->geometry().contains(list->viewport()->mapToGlobal(item.center())));
        form.mnuItem->close();
    }
};

QTEST_MAIN(tst_keyboard)
#include "tst_keyboard.moc"
