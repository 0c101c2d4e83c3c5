// The security administration as an administrator uses it, through the main window's side
// menu and the real modal windows: a new Allow for a group makes the program appear in the
// launcher list of a member of that group at his next start.

#include "SecurityFixture.h"
#include "admin/SecurityMenu.h"
#include "launcher/AccessEvaluation.h"
#include "widgets/GlyphButton.h"

#include <QApplication>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

// Runs `action` on the next modal window of type T once it is shown, inside its own modal
// loop, so the action may open further modal windows.
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

// The member "mia" starts the launcher: who she is, her rules, her list.
QStringList MembersList(SecurityFixture& f) {
    AppContext& ctx = f.t.ctx;
    f.main.reset();
    ctx.gUserName = QStringLiteral("mia");
    ctx.gUserSid = ctx.directory->GetAccountSid("CORP", "mia", false);
    ctx.gIsAdmin = modMain::IsAdministrator(ctx);
    ctx.permissions = std::make_unique<PermissionSet>();
    modMain::LoadPermissions(ctx);
    f.main = std::make_unique<frmMain>(ctx);
    modMain::BuildLauncherList(ctx, false);
    return Texts(f.main->ListView1);
}

} // namespace

class tst_security_endtoend : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void groupAllowReachesAMembersLauncher() {
        SecurityFixture f;
        f.t.ctx.registry->SetValue(RegistryStore::HKEY_LOCAL_MACHINE_, RegistryStore::kSettingsKey,
                                   "6", QStringLiteral("Admins"));
        f.t.directory->AddGroup("Admins", {"tester"});
        f.t.directory->AddGroup("Night Shift", {"mia"});
        f.t.directory->users = {"tester", "mia"};
        QVERIFY(MembersList(f).isEmpty());

        // The administrator's session.
        f.main.reset();
        f.t.ctx.gUserName = QStringLiteral("tester");
        f.t.ctx.gIsAdmin = modMain::IsAdministrator(f.t.ctx);
        QVERIFY(f.t.ctx.gIsAdmin);
        f.main = std::make_unique<frmMain>(f.t.ctx);
        RegisterSecurityWindows(f.t.ctx, *f.main);
        QTimer watchdog; // a window left open by a failed step is closed
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            while (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        watchdog.start(60000);

        QStringList rules;
        bool pickerFound = false, addDisabled = false;
        WhenShown<frmSecurity>([&](frmSecurity& window) {
            QCOMPARE(window.parentWidget(), f.main.get());
            SecurityFixture::Pick(window, "Ledger");
            WhenShown<frmAddSecurity>([&](frmAddSecurity& picker) {
                addDisabled = !window.cmdAdd->isEnabled();
                pickerFound = SecurityFixture::Select(picker.lstPer, "Night Shift");
                WhenShown<frmChange>([](frmChange& editor) {
                    QTest::mouseClick(editor.opAllow, Qt::LeftButton);
                    QTest::mouseClick(editor.cmdSave, Qt::LeftButton);
                });
                QTest::mouseClick(picker.cmdAdd, Qt::LeftButton);
            });
            QTest::mouseClick(window.cmdAdd, Qt::LeftButton);
            rules = SecurityFixture::Rows(window);
            window.close();
        });
        f.main->NavPane1_ItemClick("H12");
        QVERIFY(pickerFound);
        QVERIFY(addDisabled);
        QCOMPARE(rules, QStringList{"Night Shift|Allow|G|2"});
        QVERIFY(f.prompt().transcript.isEmpty());

        QCOMPARE(MembersList(f), QStringList{"Ledger"});
    }
};

QTEST_MAIN(tst_security_endtoend)
#include "tst_security_endtoend.moc"
