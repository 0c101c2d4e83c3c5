#include "platform/OrvError.h"
#include "services/RegistryStore.h"

#include <QTest>

namespace {
const int kRoot = RegistryStore::HKEY_LOCAL_MACHINE_;
const QString kKey = RegistryStore::kSettingsKey;
// A path no one can write, root included: its parent is a file.
const QString kUnwritable = QStringLiteral("/dev/null/TessaroOrvane.ini");
} // namespace

class tst_registrystore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstRunCreatesKeyAndKeepsValues() {
        QTemporaryDir dir;
        const QString system = dir.filePath("etc/system.ini");
        {
            RegistryStore store(system, dir.filePath("user.ini"));
            QVERIFY(!store.KeyExists(kRoot, kKey));
            QCOMPARE(store.GetValue(kRoot, kKey, "5").toString(), QString(""));
            QVERIFY(!store.SetValue(kRoot, kKey, "5", "CORP")); // no key, nothing written
            QVERIFY(store.CreateKey(kRoot, kKey));
            QVERIFY(store.KeyExists(kRoot, kKey));
            QVERIFY(store.SetValue(kRoot, kKey, "5", QString::fromUtf8("CÖRP \"x\"")));
            QVERIFY(store.SetValue(kRoot, kKey, "6", ""));
        }
        // A later start finds them again.
        RegistryStore again(system, dir.filePath("user.ini"));
        QVERIFY(again.KeyExists(kRoot, kKey));
        QCOMPARE(again.GetValue(kRoot, kKey, "5").toString(), QString::fromUtf8("CÖRP \"x\""));
        QCOMPARE(again.GetValue(kRoot, kKey, "6").toString(), QString(""));
        QCOMPARE(again.GetValue(kRoot, kKey, "7").toString(), QString(""));
        QVERIFY(!QFile::exists(dir.filePath("user.ini")));
    }

    void unprivilegedFirstRunFallsBackToUserFile() {
        QTemporaryDir dir;
        const QString user = dir.filePath("user/TessaroOrvane.ini");
        {
            RegistryStore store(kUnwritable, user);
            QVERIFY(store.CreateKey(kRoot, kKey));
            QVERIFY(store.SetValue(kRoot, kKey, "5", "host"));
            QVERIFY(store.SetValue(kRoot, kKey, "6", "staff"));
        }
        RegistryStore again(kUnwritable, user);
        QVERIFY(again.KeyExists(kRoot, kKey));
        QCOMPARE(again.GetValue(kRoot, kKey, "6").toString(), QString("staff"));
    }

    void systemFileWinsOverUserFile() {
        QTemporaryDir dir;
        const QString system = dir.filePath("system.ini");
        const QString user = dir.filePath("user.ini");
        RegistryStore userOnly(kUnwritable, user);
        userOnly.CreateKey(kRoot, kKey);
        userOnly.SetValue(kRoot, kKey, "6", "users-own-admins");

        RegistryStore machine(system, dir.filePath("other.ini"));
        machine.CreateKey(kRoot, kKey);
        machine.SetValue(kRoot, kKey, "6", "Domain Admins");

        RegistryStore both(system, user);
        QCOMPARE(both.GetValue(kRoot, kKey, "6").toString(), QString("Domain Admins"));
        both.SetValue(kRoot, kKey, "5", "CORP");
        QCOMPARE(RegistryStore(system, QString()).GetValue(kRoot, kKey, "5").toString(),
                 QString("CORP"));
    }

    void nowhereToWriteIsAClearError() {
        RegistryStore store(kUnwritable, QStringLiteral("/dev/null/user.ini"));
        try {
            store.CreateKey(kRoot, kKey);
            QFAIL("no error raised");
        } catch (const OrvError& error) {
            QCOMPARE(error.Number(), ErrorNumber::SettingsWrite);
            QVERIFY(error.Description().contains(kUnwritable));
        }
    }
};

QTEST_MAIN(tst_registrystore)
#include "tst_registrystore.moc"
