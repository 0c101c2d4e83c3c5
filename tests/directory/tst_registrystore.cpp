#include "platform/FileTrust.h"
#include "platform/OrvError.h"
#include "services/RegistryStore.h"
#include "support/TestAccount.h"

#include <QTemporaryDir>
#include <QTest>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const int kRoot = RegistryStore::HKEY_LOCAL_MACHINE_;
const QString kKey = RegistryStore::kSettingsKey;

mode_t ModeOf(const QString& path) {
    struct stat info {};
    stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

void Write(const QString& file, const QByteArray& text) {
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(text);
}

std::optional<OrvError> ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const OrvError& error) {
        return error;
    }
    return std::nullopt;
}
} // namespace

class tst_registrystore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Written with fixed modes under the loosest umask, and found again by a later start.
    void firstRunCreatesKeyAndKeepsValues() {
        QTemporaryDir dir;
        const QString file = dir.filePath("etc/orvane/settings.ini");
        const mode_t previous = umask(0);
        {
            RegistryStore store(file, EffectiveUid());
            QVERIFY(!store.KeyExists(kRoot, kKey));
            QCOMPARE(store.GetValue(kRoot, kKey, "5").toString(), QString(""));
            QVERIFY(!store.SetValue(kRoot, kKey, "5", "CORP")); // no key, nothing written
            QVERIFY(!QFile::exists(file));
            QVERIFY(store.CreateKey(kRoot, kKey));
            QVERIFY(store.KeyExists(kRoot, kKey));
            QVERIFY(store.SetValue(kRoot, kKey, "5", QString::fromUtf8("CÖRP \"x\"; y=z")));
            QVERIFY(store.SetValue(kRoot, kKey, "6", ""));
        }
        umask(previous);
        QCOMPARE(ModeOf(file), mode_t(0644));
        QCOMPARE(ModeOf(dir.filePath("etc/orvane")), mode_t(0755));
        QCOMPARE(QDir(dir.filePath("etc/orvane"))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"settings.ini"}); // no scratch copy left behind
        RegistryStore again(file, EffectiveUid());
        QVERIFY(again.KeyExists(kRoot, kKey));
        QCOMPARE(again.GetValue(kRoot, kKey, "5").toString(), QString::fromUtf8("CÖRP \"x\"; y=z"));
        QCOMPARE(again.GetValue(kRoot, kKey, "6").toString(), QString(""));
        QCOMPARE(again.GetValue(kRoot, kKey, "7").toString(), QString(""));
    }

    // What a site administrator writes by hand is the key, with or without a section header.
    void handWrittenFilesCount_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("bare values") << QByteArray("5=CORP\n6=Launcher Admins\n");
        QTest::newRow("general section") << QByteArray("[General]\n5=CORP\n6=Launcher Admins\n");
        QTest::newRow("quoted") << QByteArray("5=\"CORP\"\n6=\"Launcher Admins\"\n");
    }
    void handWrittenFilesCount() {
        QFETCH(QByteArray, text);
        QTemporaryDir dir;
        Write(dir.filePath("settings.ini"), text);
        RegistryStore store(dir.filePath("settings.ini"), EffectiveUid());
        QVERIFY(store.KeyExists(kRoot, kKey));
        QCOMPARE(store.GetValue(kRoot, kKey, "5").toString(), QString("CORP"));
        QCOMPARE(store.GetValue(kRoot, kKey, "6").toString(), QString("Launcher Admins"));
        QVERIFY(store.SetValue(kRoot, kKey, "5", "OTHER"));
        QCOMPARE(store.GetValue(kRoot, kKey, "6").toString(), QString("Launcher Admins"));
    }

    // A file someone else could have written never decides anything.
    void untrustedFilesAreRefused_data() {
        QTest::addColumn<int>("fileMode");
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<int>("owner"); // -1: the test's own account
        QTest::addColumn<bool>("trusted");
        QTest::newRow("own, 0644 in 0755") << 0644 << 0755 << -1 << true;
        QTest::newRow("own, 0600 in 0700") << 0600 << 0700 << -1 << true;
        QTest::newRow("writable by all") << 0666 << 0755 << -1 << false;
        QTest::newRow("writable by the group") << 0664 << 0755 << -1 << false;
        QTest::newRow("folder writable by all") << 0644 << 0777 << -1 << false;
        QTest::newRow("folder writable by the group") << 0644 << 0775 << -1 << false;
        QTest::newRow("sticky folder") << 0644 << 01777 << -1 << true;
        if (RunningAsRoot()) // only root can give a file away
            QTest::newRow("another owner") << 0644 << 0755 << 65534 << false;
    }
    void untrustedFilesAreRefused() {
        QFETCH(int, fileMode);
        QFETCH(int, folderMode);
        QFETCH(int, owner);
        QFETCH(bool, trusted);
        QTemporaryDir dir;
        const QString folder = dir.filePath("conf");
        const QString file = folder + "/settings.ini";
        QVERIFY(QDir().mkpath(folder));
        Write(file, "5=CORP\n6=staff\n");
        QCOMPARE(chmod(QFile::encodeName(file).constData(), mode_t(fileMode)), 0);
        QCOMPARE(chmod(QFile::encodeName(folder).constData(), mode_t(folderMode)), 0);
        if (owner >= 0)
            QCOMPARE(chown(QFile::encodeName(file).constData(), uid_t(owner), gid_t(owner)), 0);

        RegistryStore store(file, EffectiveUid());
        const auto error = ErrorOf([&] { store.GetValue(kRoot, kKey, "6"); });
        QCOMPARE(!error.has_value(), trusted);
        if (!trusted) {
            QCOMPARE(error->Number(), ErrorNumber::SettingsUntrusted);
            QVERIFY2(error->Description().contains(file) && error->Description().contains("chmod"),
                     qPrintable(error->Description()));
            QVERIFY(ErrorOf([&] { store.KeyExists(kRoot, kKey); }));
            QVERIFY(ErrorOf([&] { store.SetValue(kRoot, kKey, "6", "x"); }));
        }
    }

    // The machine's file does not follow the environment, and a folder of someone else's is
    // never personal.
    void machineFileIsFixed() {
        QTemporaryDir dir;
        const QString machine = RegistryStore::MachineFile();
        qputenv("XDG_CONFIG_DIRS", dir.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
        qputenv("HOME", dir.path().toLocal8Bit());
        QCOMPARE(RegistryStore::MachineFile(), QString("/etc/tessaro-orvane/settings.ini"));
        QCOMPARE(RegistryStore::MachineFile(), machine);
        QCOMPARE(RegistryStore::ForAppDir("/usr")->File(), machine);
        QCOMPARE(RegistryStore::ForAppDir("/no/such/folder")->File(), machine);
    }

    // A folder the user owns keeps its own settings; the machine's stay out of his reach.
    void personalCatalogueKeepsItsSettings() {
        ORV_AS_TEST_ACCOUNT();
        QTemporaryDir dir;
        const QString machine = "/etc/tessaro-orvane-absent/settings.ini";
        const auto machineStore = RegistryStore::ForAppDir("/", machine);
        QCOMPARE(machineStore->File(), machine);
        QVERIFY(!machineStore->CreateKey(kRoot, kKey)); // a plain user cannot create it
        QVERIFY(!machineStore->KeyExists(kRoot, kKey));
        QVERIFY(!machineStore->SetValue(kRoot, kKey, "6", "staff"));

        const auto personal = RegistryStore::ForAppDir(dir.path(), machine);
        QCOMPARE(personal->File(), dir.filePath("settings.ini"));
        QVERIFY(personal->CreateKey(kRoot, kKey));
        QVERIFY(personal->SetValue(kRoot, kKey, "6", "staff"));
        QCOMPARE(personal->GetValue(kRoot, kKey, "6").toString(), QString("staff"));

        // A settings folder that cannot be written: a clear error, nothing lost.
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        const auto error = ErrorOf([&] { personal->SetValue(kRoot, kKey, "6", "other"); });
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(error);
        QCOMPARE(error->Number(), ErrorNumber::SettingsWrite);
        QVERIFY(error->Description().contains(personal->File()));
        QCOMPARE(personal->GetValue(kRoot, kKey, "6").toString(), QString("staff"));
    }
};

QTEST_MAIN(tst_registrystore)
#include "tst_registrystore.moc"
