#include "LauncherFixture.h"
#include "admin/frmSetup.h"
#include "app/frmSplash.h"
#include "app/modMain.h"
#include "launcher/frmMain.h"
#include "support/DataRow.h"
#include "widgets/ListView.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

using namespace fixture;

namespace {

template <class Window> int VisibleWindows() {
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        count += qobject_cast<Window*>(w) && w->isVisible() ? 1 : 0;
    return count;
}

} // namespace

class tst_launcherstartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The start-up ends with the splash gone and the main window shown with the user's list.
    void mainWindowShownAfterStartup_data() {
        AddColumns<bool, QStringList>("admin", "items");
        QTest::newRow("user") << false << QStringList{"Editor", "Docs"};
        QTest::newRow("administrator") << true << QStringList{"Editor", "Mail", "Docs"};
    }
    void mainWindowShownAfterStartup() {
        QFETCH(bool, admin);
        QFETCH(QStringList, items);
        TestContext t;
        t.directory->AddGroup("Staff", {"tester"});
        SignIn(t, admin);
        AddProgram(t, "Editor");
        AddProgram(t, "Mail");
        AddGroupRule(t, "Staff", "Editor", kAllow);
        QVERIFY(t.ctx.Catalog().AddFolder("Docs", "/usr/share/doc"));
        t.ctx.gIsAdmin = false; // the start-up decides

        const modMain::StartupOutcome outcome = modMain::Main(t.ctx);
        QVERIFY(outcome.mainWindowShown);
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY(t.prompt->transcript.isEmpty());
        auto* form = qobject_cast<frmMain*>(t.ctx.mainWindow.data());
        QVERIFY(form);
        QVERIFY(form->isVisible());
        QCOMPARE(VisibleWindows<frmSplash>(), 0);
        QCOMPARE(Texts(form->ListView1), items);

        // Configure/Setup opens the setup window, modal over the main window.
        QString seen;
        QTimer::singleShot(0, [&seen] {
            if (auto* setup = qobject_cast<frmSetup*>(QApplication::activeModalWidget())) {
                seen = setup->parentWidget() ? setup->parentWidget()->objectName() : "no owner";
                setup->reject();
            }
        });
        form->NavPane1_ItemClick("H14");
        QCOMPARE(seen, admin ? QStringLiteral("frmMain") : QString());
        // The "Print Security" items open their reports beside it.
        form->NavPane1_ItemClick("H17");
        form->NavPane1_ItemClick("H18");
        QStringList reports;
        for (const QWidget* window : form->findChildren<QWidget*>())
            if (window->isWindow() && window->objectName().startsWith("rpt"))
                reports.append(window->objectName());
        QCOMPARE(reports, admin ? QStringList({"rptPermissionByGroup", "rptPermissionByUser"})
                                : QStringList());
        form->EndProgram = [] {};
        delete form;
    }
};

QTEST_MAIN(tst_launcherstartup)
#include "tst_launcherstartup.moc"
