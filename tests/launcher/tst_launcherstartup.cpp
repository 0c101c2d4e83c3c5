#include "admin/frmSetup.h"
#include "app/frmSplash.h"
#include "app/modMain.h"
#include "launcher/frmMain.h"
#include "support/PostgresTest.h"
#include "support/RuleFixture.h"
#include "widgets/ListView.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QSysInfo>
#include <QTest>
#include <QTimer>

using namespace fixture;
using namespace Qt::StringLiterals;

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
    // The start-up ends with the splash gone and the main window shown; the administration
    // windows it registers open from the side menu: Configure/Setup modal over the main
    // window, the "Print Security" reports beside it.
    void mainWindowShownAfterStartup() {
        TestContext t;
        SignIn(t, true);
        AddProgram(t, "Editor");
        t.ctx.gIsAdmin = false; // the start-up decides

        const modMain::StartupOutcome outcome = modMain::Main(t.ctx);
        QVERIFY(outcome.mainWindowShown);
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY(t.prompt->transcript.isEmpty());
        auto* form = qobject_cast<frmMain*>(t.ctx.mainWindow.data());
        QVERIFY(form);
        QVERIFY(form->isVisible());
        QCOMPARE(VisibleWindows<frmSplash>(), 0);
        QCOMPARE(Texts(form->ListView1), QStringList{"Editor"});

        QString seen;
        QTimer::singleShot(0, [&seen] {
            if (auto* setup = qobject_cast<frmSetup*>(QApplication::activeModalWidget())) {
                seen = setup->parentWidget() ? setup->parentWidget()->objectName() : "no owner";
                setup->reject();
            }
        });
        form->NavPane1_ItemClick("H14");
        QCOMPARE(seen, QStringLiteral("frmMain"));
        form->NavPane1_ItemClick("H17");
        form->NavPane1_ItemClick("H18");
        QStringList reports;
        for (const QWidget* window : form->findChildren<QWidget*>())
            if (window->isWindow() && window->objectName().startsWith("rpt"))
                reports.append(window->objectName());
        QCOMPARE(reports, QStringList({"rptPermissionByGroup", "rptPermissionByUser"}));
        form->EndProgram = [] {};
        delete form;
    }

    // A launcher left open sees an administrator's changes made from another program: a new
    // Deny takes the program out of the user's list, a new Allow for his group puts one in,
    // within two seconds, his selection and scroll position kept. Runs against SQLite and, as
    // tst_livelist_postgres, PostgreSQL, where no connection stays open between looks.
    void changesReachARunningLauncher() {
        TestContext t;
        QString url;
        QString error;
        QVERIFY2(FreshPostgresDatabase(u"orv_livelist"_s, url, error), qPrintable(error));
        // The computer's own name: the user's groups come from the (fake) local accounts.
        SignIn(t, false, QSysInfo::machineHostName());
        if (!url.isEmpty()) {
            QVERIFY(t.ctx.registry->SetValue(RegistryStore::HKEY_LOCAL_MACHINE_,
                                             RegistryStore::kSettingsKey, "CatalogUri", url));
            t.ctx.OpenCatalogue();
        }
        t.directory->AddGroup("Staff", {"tester"});
        for (int i = 0; i < 200; ++i)
            AddProgram(t, u"P%1"_s.arg(i, 3, 10, QLatin1Char('0')));
        AddProgram(t, "Extra");
        for (int i = 0; i < 200; ++i)
            AddGroupRule(t, "Staff", u"P%1"_s.arg(i, 3, 10, QLatin1Char('0')), kAllow);

        QVERIFY(modMain::Main(t.ctx).mainWindowShown);
        auto* form = qobject_cast<frmMain*>(t.ctx.mainWindow.data());
        QVERIFY(form);
        form->EndProgram = [] {};
        ListView& list = *form->ListView1;
        list.SetView(ListView::lvwReport);
        form->resize(600, 300);
        QTest::qWait(50);
        list.SelectItem(151); // P150
        QScrollBar* scroll = list.CurrentView()->verticalScrollBar();
        scroll->setValue(scroll->maximum() / 2);
        const int down = scroll->value();
        QVERIFY(down > 0);

        // Another administrator's program, on its own connection.
        CatalogStore admin;
        admin.OpenDatabase(url.isEmpty() ? t.ctx.paths.DatabaseFile() : url);
        QVERIFY(admin.AddUser("tester", t.ctx.gUserSid.toString()));
        QElapsedTimer delay;
        delay.start();
        QVERIFY(admin.AddPermission("tester", kDeny, "P010", CatalogStore::KindUser));
        QTRY_VERIFY_WITH_TIMEOUT(!Texts(&list).contains(u"P010"_s), 2000);
        const qint64 denied = delay.elapsed();
        QCOMPARE(list.Text(list.SelectedItem()), u"P150"_s);
        QCOMPARE(list.CurrentView()->verticalScrollBar()->value(), down);

        delay.restart();
        QVERIFY(admin.AddPermission("Staff", kAllow, "Extra", CatalogStore::KindGroup));
        QTRY_VERIFY_WITH_TIMEOUT(Texts(&list).contains(u"Extra"_s), 2000);
        qInfo("The list followed a Deny after %lld ms and an Allow after %lld ms", denied,
              delay.elapsed());
        delete form;
    }
};

QTEST_MAIN(tst_launcherstartup)
#include "tst_launcherstartup.moc"
