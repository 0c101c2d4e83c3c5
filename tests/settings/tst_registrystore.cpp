#include "platform/FileTrust.h"
#include "platform/OrvError.h"
#include "settings/RegistryStore.h"
#include "support/DataRow.h"
#include "support/Errors.h"
#include "support/TestAccount.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
const int kRoot = RegistryStore::HKEY_LOCAL_MACHINE_;
const QString kKey = RegistryStore::kSettingsKey;
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
        QCOMPARE(ModeOf(file), 0644);
        QCOMPARE(ModeOf(dir.filePath("etc/orvane")), 0755);
        QCOMPARE(QDir(dir.filePath("etc/orvane"))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"settings.ini"}); // no scratch copy left behind
        RegistryStore again(file, EffectiveUid());
        QVERIFY(again.KeyExists(kRoot, kKey));
        QCOMPARE(again.GetValue(kRoot, kKey, "5").toString(), QString::fromUtf8("CÖRP \"x\"; y=z"));
        QCOMPARE(again.GetValue(kRoot, kKey, "6").toString(), QString(""));
        QCOMPARE(again.GetValue(kRoot, kKey, "7").toString(), QString(""));
    }

    // Values come back exactly as they were set, whatever characters they hold, and hand-written
    // values are read as written (a DN needs no quotes). Other lines stay as they were.
    void valuesSurviveAsWritten_data() {
        QTest::addColumn<QString>("value");
        AddRow("commas and equals", u"cn=reader,ou=Services,dc=example,dc=org"_s);
        AddRow("quotes and backslashes", u"say \"hi\" C:\\dir\\"_s);
        AddRow("comment characters", u"a;b # c"_s);
        AddRow("non-ASCII", u"Ärger ☃ 日本"_s);
        AddRow("blanks at both ends", u"  padded  "_s);
        AddRow("control characters", u"line\nnext\ttab\x1b[31m\r"_s);
        AddRow("leading at and quote", u"@Variant(x) \""_s);
    }
    void valuesSurviveAsWritten() {
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString file = dir.filePath("settings.ini");
        QVERIFY(WriteFile(file, "; site settings\n[General]\n5=CORP\n\n[Other]\nkept=1\n"));
        RegistryStore store(file, EffectiveUid());
        QVERIFY(store.SetValue(kRoot, kKey, "LdapBindDn", value));
        QCOMPARE(RegistryStore(file, EffectiveUid()).GetValue(kRoot, kKey, "LdapBindDn").toString(),
                 value);
        QCOMPARE(store.GetValue(kRoot, kKey, "5").toString(), u"CORP"_s);
        QCOMPARE(store.ValueNames(), (QStringList{"5", "LdapBindDn"}));
        QFile text(file);
        QVERIFY(text.open(QIODevice::ReadOnly));
        const QByteArray bytes = text.readAll();
        QVERIFY2(bytes.startsWith("; site settings\n[General]\n5=CORP\nLdapBindDn=") &&
                     bytes.endsWith("\n\n[Other]\nkept=1\n"),
                 bytes.constData());
        // What a site administrator writes by hand, unquoted, reads the same.
        if (!value.isEmpty() && value.trimmed() == value && !value.startsWith(u'"') &&
            !value.contains(u'\n') && !value.contains(u'\r')) {
            QVERIFY(WriteFile(file, "LdapBindDn=" + value.toUtf8() + "\n"));
            QCOMPARE(store.GetValue(kRoot, kKey, "LdapBindDn").toString(), value);
        }
    }

    // Only a regular file of at most 1 MB that no other account could have written decides
    // anything, and never through a link another account could have placed; a FIFO or a huge
    // file is refused at once, not read. A refused file is refused for every use.
    void untrustedFilesAreRefused_data() {
        QTest::addColumn<QString>("setUp"); // a kind of file, or its mode and its folder's
        QTest::addColumn<bool>("machine");  // the machine-wide file's rules (owner root)
        QTest::addColumn<QString>("says");  // empty: trusted, "5" reads CORP
        const QString chmod = u"chmod go-w"_s;
        AddRow("own, 0644 in 0755", u"644 755"_s, false, QString());
        AddRow("writable by all", u"666 755"_s, false, chmod);
        AddRow("writable by the group", u"664 755"_s, false, chmod);
        AddRow("folder writable by the group", u"644 775"_s, false, chmod);
        AddRow("sticky folder: others may still add files", u"644 1777"_s, false, chmod);
        AddRow("a link", u"link"_s, false, u"is a symbolic link"_s);
        AddRow("a FIFO", u"fifo"_s, false, u"is a FIFO, not a regular file"_s);
        AddRow("1 GB", u"huge"_s, false, u"is larger than 1 MB"_s);
        AddRow("a folder", u"folder"_s, false, u"is a folder"_s);
        if (RunningAsRoot()) { // only root can give a file away
            AddRow("machine: another owner", u"owner"_s, true, chmod);
            AddRow("machine: link within root's folders", u"link"_s, true, QString());
            AddRow("machine: link into a folder others write", u"open link"_s, true,
                   u"may be written by other users (mode 0777)"_s);
            AddRow("machine: dangling link", u"dangling"_s, true, u"which does not exist"_s);
        }
    }
    void untrustedFilesAreRefused() {
        QFETCH(QString, setUp);
        QFETCH(bool, machine);
        QFETCH(QString, says);
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ExeOwner | QFile::ReadOther |
                                                      QFile::ExeOther));
        const QString file = dir.filePath("settings.ini");
        const QString target = dir.filePath(setUp == "open link" ? "open/real.ini" : "real.ini");
        QVERIFY(QDir().mkpath(QFileInfo(target).path()));
        if (setUp == "open link")
            QVERIFY(QFile::setPermissions(QFileInfo(target).path(), QFile::Permissions(0x7777)));
        // Written by hand, quoted as a site administrator may.
        QVERIFY(WriteFile(target, "5=\"CORP\"\n"));
        const QByteArray path = QFile::encodeName(file);
        if (setUp.front().isDigit() || setUp == "owner")
            QVERIFY(QFile::rename(target, file));
        if (setUp.front().isDigit()) {
            QCOMPARE(chmod(path.constData(), mode_t(setUp.section(' ', 0, 0).toInt(nullptr, 8))),
                     0);
            const QByteArray folder = QFile::encodeName(dir.path());
            QCOMPARE(chmod(folder.constData(), mode_t(setUp.section(' ', 1).toInt(nullptr, 8))), 0);
        } else if (setUp == "owner") {
            QCOMPARE(chown(path.constData(), 65534, 65534), 0);
        } else if (setUp.endsWith("link")) {
            QVERIFY(QFile::link(target, file));
        } else if (setUp == "dangling") {
            QVERIFY(QFile::link(dir.filePath("gone.ini"), file));
        } else if (setUp == "fifo") {
            QCOMPARE(mkfifo(path.constData(), 0644), 0);
        } else if (setUp == "folder") {
            QVERIFY(QDir().mkdir(file));
        } else if (setUp == "huge") {
            QFile huge(file);
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 30));
        }
        // Root's own file would follow the machine's rules: a personal file of another user's
        // (root's files count as his, as for every personal folder).
        const unsigned personal = RunningAsRoot() ? 65534 : EffectiveUid();
        RegistryStore store(file, machine ? 0 : personal);
        const auto error = ErrorOf([&] { store.GetValue(kRoot, kKey, "5"); });
        if (says.isEmpty()) {
            QVERIFY2(!error, error ? qPrintable(error->Description()) : "");
            QCOMPARE(store.GetValue(kRoot, kKey, "5").toString(), u"CORP"_s);
            return;
        }
        QVERIFY(error);
        QCOMPARE(error->Number(), ErrorNumber::SettingsUntrusted);
        QVERIFY2(error->Description().contains(file) && error->Description().contains(says),
                 qPrintable(error->Description()));
        QVERIFY(ErrorOf([&] { store.KeyExists(kRoot, kKey); }));
        QVERIFY(ErrorOf([&] { store.SetValue(kRoot, kKey, "5", "x"); }));
    }

    // The machine's file does not follow the environment, and a folder of someone else's is
    // never personal.
    void machineFileIsFixed() {
        QTemporaryDir dir;
        const QString machine = RegistryStore::MachineFile();
        qputenv("XDG_CONFIG_DIRS", dir.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
        qputenv("HOME", dir.path().toLocal8Bit());
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
