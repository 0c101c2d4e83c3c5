#include "admin/frmSetup.h"
#include "support/DataRow.h"
#include "support/Gallery.h"
#include "support/TestAccount.h"
#include "support/TestContext.h"

#include <QComboBox>
#include <QSysInfo>
#include <QTest>

namespace {
const int kRoot = RegistryStore::HKEY_LOCAL_MACHINE_;
const QString kKey = RegistryStore::kSettingsKey;
} // namespace

class tst_setupwindow : public QObject {
    Q_OBJECT

    // `stored`: the settings hold a domain and a group already; else a first run.
    std::unique_ptr<TestContext> Context(bool stored = true) {
        auto t = std::make_unique<TestContext>();
        t->directory->domains = {" CORP ", "LAB"};
        t->directory->AddGroup("Domain Admins", {});
        t->directory->AddGroup(" Staff", {});
        t->ctx.registry->CreateKey(kRoot, kKey);
        if (stored) {
            t->ctx.registry->SetValue(kRoot, kKey, "5", "OLD");
            t->ctx.registry->SetValue(kRoot, kKey, "6", "OLD-ADMINS");
        }
        return t;
    }

private Q_SLOTS:
    void listsDomainsAndRefillsGroups() {
        auto t = Context(false);
        frmSetup setup(t->ctx);
        setup.loadDomains();
        QCOMPARE(setup.windowTitle(), QStringLiteral("Tessaro Orvane Setup...."));
        QStringList domains;
        for (int i = 0; i < setup.cboDomains->count(); ++i)
            domains << setup.cboDomains->itemText(i);
        QCOMPARE(domains, (QStringList{QSysInfo::machineHostName(), "CORP", "LAB"}));
        QCOMPARE(setup.cboDomains->currentText(), QString());
        QCOMPARE(setup.cboGroups->count(), 0);
        SaveToGallery(&setup, "frmSetup-first-run");

        // Choosing a domain refills the groups.
        setup.cboDomains->setCurrentIndex(1);
        setup.cboDomains_Click();
        QCOMPARE(setup.cboGroups->count(), 2);
        QCOMPARE(setup.cboGroups->itemText(1), QString(" Staff")); // untrimmed
        setup.cboDomains->setCurrentIndex(2);
        setup.cboDomains_Click();
        QCOMPARE(setup.cboGroups->count(), 2); // emptied before refilling
        setup.cboGroups->setCurrentIndex(0);
        SaveToGallery(&setup, "frmSetup-domain-chosen");
    }

    // The boxes open on what is set (-2: left so); Save writes the trimmed choices, and asks
    // first when no group is chosen.
    void saveWritesTrimmedChoices_data() {
        AddColumns<int, int, bool>("domain", "group", "cancel");
        QTest::addColumn<int>("noGroupAnswer"); // -1: not asked; 0 No; 1 Yes
        AddColumns<QString, QString>("value5", "value6");
        AddRow("opened on what is set, saved", -2, -2, false, -1, "OLD", "OLD-ADMINS");
        QTest::newRow("both chosen") << 1 << 1 << false << -1 << QStringLiteral("CORP") << "Staff";
        AddRow("no group, confirmed", 2, -1, false, 1, QStringLiteral("LAB"), "");
        AddRow("no group, not confirmed", 2, -1, false, 0, "OLD", "OLD-ADMINS");
        QTest::newRow("cancelled") << 1 << 1 << true << -1 << QStringLiteral("OLD") << "OLD-ADMINS";
    }
    void saveWritesTrimmedChoices() {
        QFETCH(int, domain);
        QFETCH(int, group);
        QFETCH(bool, cancel);
        QFETCH(int, noGroupAnswer);
        QFETCH(QString, value5);
        QFETCH(QString, value6);
        auto t = Context();
        frmSetup setup(t->ctx);
        setup.loadDomains();
        QCOMPARE(setup.cboDomains->currentText(), QStringLiteral("OLD"));
        QCOMPARE(setup.cboGroups->currentText(), QStringLiteral("OLD-ADMINS"));
        if (domain >= 0) {
            setup.cboDomains->setCurrentIndex(domain);
            setup.cboDomains_Click();
        }
        if (group > -2)
            setup.cboGroups->setCurrentIndex(group);
        if (noGroupAnswer >= 0)
            t->prompt->answers.enqueue(noGroupAnswer ? PromptAnswer::Yes : PromptAnswer::No);
        cancel ? setup.cmdCancel_Click() : setup.cmdSave_Click();
        QCOMPARE(t->prompt->transcript.size(), noGroupAnswer >= 0 ? 1 : 0);
        if (noGroupAnswer >= 0) {
            QCOMPARE(t->prompt->transcript.first().icon, PromptIcon::Exclamation);
            QVERIFY(t->prompt->transcript.first().text.contains(t->ctx.registry->File()));
        }
        QCOMPARE(setup.result(),
                 int(cancel || noGroupAnswer == 0 ? QDialog::Rejected : QDialog::Accepted));
        QCOMPARE(t->ctx.registry->GetValue(kRoot, kKey, "5").toString(), value5);
        QCOMPARE(t->ctx.registry->GetValue(kRoot, kKey, "6").toString(), value6);
    }

    void saveWithoutTheKeyWritesNothing() {
        TestContext fresh;
        frmSetup setup(fresh.ctx);
        setup.loadDomains();
        setup.cboDomains->setCurrentIndex(0);
        setup.cmdSave_Click();
        QVERIFY(!fresh.ctx.registry->KeyExists(kRoot, kKey));
        QVERIFY(fresh.prompt->transcript.isEmpty());
    }

    // An administrator of the launcher who may not write the settings is told why and the
    // program goes on; the stored values stay as they were.
    void saveThatCannotWriteExplainsAndGoesOn() {
        ORV_AS_TEST_ACCOUNT();
        auto t = Context();
        const QString folder = QFileInfo(t->ctx.registry->File()).absolutePath();
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        frmSetup setup(t->ctx);
        setup.loadDomains();
        setup.cboDomains->setCurrentIndex(1);
        setup.cboDomains_Click();
        setup.cboGroups->setCurrentIndex(1);
        setup.cmdSave_Click();
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(setup.result(), int(QDialog::Accepted));
        QCOMPARE(t->prompt->transcript.size(), 1);
        const auto& box = t->prompt->transcript.first();
        QCOMPARE(box.icon, PromptIcon::Critical);
        QCOMPARE(box.title, QStringLiteral("Error"));
        QVERIFY2(box.text.contains(t->ctx.registry->File()), qPrintable(box.text));
        QCOMPARE(t->ctx.registry->GetValue(kRoot, kKey, "5").toString(), QString("OLD"));
    }
};

QTEST_MAIN(tst_setupwindow)
#include "tst_setupwindow.moc"
