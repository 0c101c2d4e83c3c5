#include "admin/frmSetup.h"
#include "app/frmSplash.h"
#include "app/modMain.h"
#include "launcher/frmMain.h"
#include "platform/FileTrust.h"
#include "platform/OrvError.h"
#include "support/DataRow.h"
#include "support/Errors.h"
#include "support/Gallery.h"
#include "support/TestAccount.h"
#include "support/TestContext.h"
#include "support/TestFiles.h"
#include "widgets/LowColor.h"
#include "widgets/ProgressBar.h"

#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QSysInfo>
#include <QTest>
#include <grp.h>
#include <unistd.h>

namespace {
const int kRoot = RegistryStore::HKEY_LOCAL_MACHINE_;
const QString kKey = RegistryStore::kSettingsKey;

void Configure(TestContext& t, const QString& domain, const QString& adminGroup) {
    t.ctx.registry->CreateKey(kRoot, kKey);
    t.ctx.registry->SetValue(kRoot, kKey, "5", domain);
    t.ctx.registry->SetValue(kRoot, kKey, "6", adminGroup);
}
} // namespace

class tst_startup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void greyLevel_data() {
        AddColumns<qint32, short>("colour", "grey");
        QTest::newRow("white") << 0xFFFFFF << short(254);
        QTest::newRow("red") << 0x0000FF << short(76);
        QTest::newRow("green") << 0x00FF00 << short(150);
        QTest::newRow("blue") << 0xFF0000 << short(28);
        QTest::newRow("no colour") << -1 << short(0);
        // 128*150/255 + 128*76/255 + 128*28/255 = 127.498...
        QTest::newRow("mid grey") << 0x808080 << short(127);
        // 1*150/255 = 0.588 rounds up; 1*76/255 = 0.298 rounds down
        QTest::newRow("faint green") << 0x000100 << short(1);
        QTest::newRow("faint red") << 0x000001 << short(0);
    }
    void greyLevel() {
        QFETCH(qint32, colour);
        QFETCH(short, grey);
        QCOMPARE(frmSplash::GreyLevel(colour), grey);
    }

    void splashGreysIndicatorsAndMarksStages() {
        TestContext t;
        frmSplash splash(t.ctx);
        splash.show();
        splash.ChangeImages(4);
        QVERIFY(splash.picPrgReg->isVisible());
        QVERIFY(!splash.picPrgGray->isVisible());
        QVERIFY(!splash.picADReg->isVisible());
        QCOMPARE(splash.prgbar->value(), 4);
        splash.ChangeImages(5);
        QVERIFY(splash.picADReg->isVisible());
        QCOMPARE(splash.prgbar->maximum(), 6);
        SaveToGallery(&splash, "frmSplash-stage5");
    }

    // The first run asks for the settings once; a cancelled setup still goes on, with empty
    // settings.
    void firstRunAsksForSettingsOnce_data() {
        AddBoolTable("save", {{"saved", true}, {"cancelled", false}});
    }
    void firstRunAsksForSettingsOnce() {
        QFETCH(bool, save);
        TestContext t;
        t.directory->AddGroup("admins", {"tester"});
        int asked = 0;
        modMain::StartupHooks hooks;
        hooks.showSetup = [&](frmSetup& setup) {
            ++asked;
            if (!save)
                return setup.cmdCancel_Click();
            setup.cboDomains->setEditText("CORP");
            setup.cboGroups->setEditText("admins");
            setup.cmdSave_Click();
        };
        QCOMPARE(modMain::Main(t.ctx, hooks).exitCode, 0);
        QCOMPARE(asked, 1);
        QVERIFY(t.ctx.registry->KeyExists(kRoot, kKey));
        QCOMPARE(t.ctx.registry->GetValue(kRoot, kKey, "5").toString(), save ? "CORP" : "");
        QCOMPARE(t.ctx.registry->GetValue(kRoot, kKey, "6").toString(), save ? "admins" : "");
        QCOMPARE(t.ctx.gIsAdmin, save);
        QCOMPARE(t.ctx.gThemeName, QString("Default"));
        modMain::Main(t.ctx, hooks);
        QCOMPARE(asked, 1);
    }

    void administratorsGroupComparesExactly_data() {
        AddColumns<QString, bool>("stored", "admin");
        QTest::newRow("same") << "Admins" << true;
        QTest::newRow("other case") << "admins" << false;
        QTest::newRow("padded") << "Admins " << false;
        QTest::newRow("prefix") << "Admin" << false;
        QTest::newRow("longer") << "Admins2" << false;
        QTest::newRow("empty") << "" << false;
    }
    void administratorsGroupComparesExactly() {
        QFETCH(QString, stored);
        QFETCH(bool, admin);
        TestContext t;
        t.directory->AddGroup("Admins", {"tester"});
        t.directory->AddGroup("Staff", {"tester"});
        QVERIFY(t.ctx.Catalog().AddProgram("Editor", "", "/bin/ed", "", "", ""));
        QVERIFY(t.ctx.Catalog().AddGroup("Staff"));
        QVERIFY(t.ctx.Catalog().AddPermission("Staff", 1, "Editor", 2));
        Configure(t, "CORP", stored);
        modMain::Main(t.ctx);
        QCOMPARE(t.ctx.gIsAdmin, admin);
        // An administrator's rules are not collected.
        QCOMPARE(t.ctx.permissions->GetGroupRules().size(), admin ? 0 : 1);
    }

    // A user who names his own group as the administrators' group does not become one: a
    // settings file someone else could have written stops the start-up, and a first run
    // without the right to write the settings saves nothing that counts.
    void forgedSettingsNeverMakeAnAdministrator_data() {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<bool>("refused"); // the start-up stops with a message naming the file
        QTest::newRow("first run without rights, Save") << "no rights" << false;
        QTest::newRow("system file writable by all") << "mode 666" << true;
        QTest::newRow("control: a trusted system file") << "trusted" << false;
    }
    void forgedSettingsNeverMakeAnAdministrator() {
        QFETCH(QString, setUp);
        QFETCH(bool, refused);
        TestContext t;
        t.directory->AddGroup("staff", {"tester"});
        const QByteArray forged = "5=CORP\n6=staff\n";
        const QString etc = t.dir.filePath("etc");
        QString machine = etc + "/settings.ini";
        QVERIFY(QDir().mkpath(etc));
        if (setUp == "no rights") {
            machine = "/proc/tessaro-orvane/settings.ini"; // no one can create it
        } else {
            QVERIFY(WriteFile(machine, forged));
            if (setUp == "mode 666")
                QVERIFY(QFile::setPermissions(machine, QFileDevice::Permissions(0x6666)));
        }
        // The store the program itself would pick for an application folder of root's.
        t.ctx.registry = RegistryStore::ForAppDir(t.ctx.paths.AppDir(), machine);
        if (!RunningAsRoot() || setUp == "trusted")
            t.ctx.registry = std::make_unique<RegistryStore>(machine, EffectiveUid());

        int setupShown = 0;
        modMain::StartupHooks hooks;
        hooks.showSetup = [&](frmSetup& setup) {
            ++setupShown;
            // Only a user who cannot write the settings has nothing to lose by saving.
            if (setUp != "no rights")
                return setup.cmdCancel_Click();
            setup.cboDomains->setEditText("CORP");
            setup.cboGroups->setEditText("staff");
            setup.cmdSave_Click();
        };
        const auto error = ErrorOf([&] { modMain::Main(t.ctx, hooks); });

        QCOMPARE(error.has_value(), refused);
        if (refused)
            QVERIFY2(error->Description().contains(machine), qPrintable(error->Description()));
        QCOMPARE(t.ctx.gIsAdmin, setUp == "trusted");
        if (setUp == "no rights")
            QCOMPARE(setupShown, 1);
    }

    void lowColorFollowsTheDisplay_data() {
        AddColumns<long, bool>("bits", "low");
        for (long bits : {8L, 16L, 24L, 32L})
            QTest::addRow("%ld bits", bits) << bits << (bits == 8);
    }
    void lowColorFollowsTheDisplay() {
        QFETCH(long, bits);
        QFETCH(bool, low);
        TestContext t;
        t.ctx.display = std::make_unique<FixedDisplay>(bits);
        QCOMPARE(modMain::CheckLowColor(t.ctx), low);
        Configure(t, "CORP", "");
        modMain::Main(t.ctx);
        QCOMPARE(modMain::IsLowColor(t.ctx), low);
        frmSplash splash(t.ctx);
        QCOMPARE(IsLowColorWindow(&splash), low);
    }

    // The start-up takes the catalogue's default theme.
    void setCurrentTheme() {
        TestContext t;
        QVERIFY(t.ctx.Catalog().CreateTheme("Day", "", "", ""));
        QVERIFY(t.ctx.Catalog().SetDefaultTheme("Day"));
        bool useGiven = false;
        modMain::SetCurrentTheme(t.ctx, "ignored", useGiven);
        QCOMPARE(t.ctx.gThemeName, QString("Day"));
        QVERIFY(t.prompt->transcript.isEmpty());
    }

    void unreadableCatalogueStopsStartUp() {
        TestContext t;
        t.ctx.paths = AppPaths(t.dir.filePath("garbage-app"), t.dir.filePath("pictures"));
        QDir().mkpath(t.dir.filePath("garbage-app/database"));
        QVERIFY(WriteFile(t.ctx.paths.DatabaseFile(), "This is not a catalogue, just text.\n"));
        t.ctx.catalog.reset();
        QVERIFY_THROWS_EXCEPTION(OrvError, modMain::Main(t.ctx));
    }

    // The executable itself, on a plain user's own catalogue, from launch to its main window's
    // first frame: under the sanitizers this covers what only a real start does (the font
    // database filled on a second thread while the catalogue opens).
    void executablePaintsItsMainWindow() {
        ORV_AS_TEST_ACCOUNT();
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString appDir = dir.filePath("app");
        const group* own = getgrgid(getgid());
        QVERIFY(own);
        const QString group = QString::fromLocal8Bit(own->gr_name);
        {
            AppPaths paths(appDir, dir.filePath("cache"));
            QCOMPARE(paths.EnsureFiles(), QString());
            CatalogStore catalog;
            catalog.OpenDatabase(paths.DatabaseFile());
            QVERIFY(catalog.AddGroup(group));
            QVERIFY(catalog.AddProgram("Editor", "", "/usr/bin/true", "", "/tmp", ""));
            QVERIFY(catalog.AddPermission(group, 1, "Editor", CatalogStore::KindGroup));
            RegistryStore settings(appDir + "/settings.ini", EffectiveUid());
            settings.CreateKey(kRoot, kKey);
            settings.SetValue(kRoot, kKey, "5", QSysInfo::machineHostName());
            settings.SetValue(kRoot, kKey, "6", "root");
        }
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CACHE_HOME", dir.filePath("cache"));
        program.setProcessEnvironment(env);
        program.start(ORV_EXECUTABLE, {"--app-dir", appDir, "--exit-after-first-paint"});
        QVERIFY(program.waitForFinished(120000));
        const QByteArray errors = program.readAllStandardError();
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QVERIFY2(program.exitCode() == 0, errors.constData());
        QVERIFY2(program.readAllStandardOutput().contains("painted"), errors.constData());
    }
};

QTEST_MAIN(tst_startup)
#include "tst_startup.moc"
