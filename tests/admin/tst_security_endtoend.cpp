// The security administration as an administrator uses it, through the main window's side
// menu and the real modal windows: a new Allow for a group makes the program appear in the
// launcher list of a member of that group at his next start.

#include "SecurityFixture.h"
#include "admin/SecurityMenu.h"
#include "launcher/AccessEvaluation.h"
#include "widgets/GlyphButton.h"

#include <QRadioButton>
#include <QTest>

namespace {

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
        ModalWatchdog watchdog;

        // No flags needed: unless every window does its part, Ledger gets no rule.
        WhenShown<frmSecurity>([&](frmSecurity& window) {
            QCOMPARE(window.parentWidget(), f.main.get());
            SecurityFixture::Pick(window, "Ledger");
            WhenShown<frmAddSecurity>([&](frmAddSecurity& picker) {
                QVERIFY(!window.cmdAdd->isEnabled());
                QVERIFY(Select(picker.lstPer, "Night Shift"));
                WhenShown<frmChange>([](frmChange& editor) {
                    QTest::mouseClick(editor.opAllow, Qt::LeftButton);
                    QTest::mouseClick(editor.cmdSave, Qt::LeftButton);
                });
                QTest::mouseClick(picker.cmdAdd, Qt::LeftButton);
            });
            QTest::mouseClick(window.cmdAdd, Qt::LeftButton);
            QCOMPARE(SecurityFixture::Rows(window), QStringList{"Night Shift|Allow|G|2"});
            window.close();
        });
        f.main->NavPane1_ItemClick("H12");
        QVERIFY2(watchdog.isActive(), "a window stayed open");
        QVERIFY(f.prompt().transcript.isEmpty());
        QCOMPARE(f.StoredRules("Ledger"), QStringList{"Night Shift=1"});

        QCOMPARE(MembersList(f), QStringList{"Ledger"});
    }
};

QTEST_MAIN(tst_security_endtoend)
#include "tst_security_endtoend.moc"
