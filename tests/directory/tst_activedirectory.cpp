#include "directory/LdapDirectory.h"
#include "platform/OrvError.h"
#include "support/DataRow.h"
#include "support/Errors.h"
#include "support/SambaDcServer.h"
#include "support/SlapdServer.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kOddUser = QString::fromUtf8("j\xc3\xbcrgen");
const QString kOddGroup = QString::fromUtf8("\xc3\x84rger (x)");

QString Dn(const QString& cn) {
    return u"CN="_s + cn + u',' + SambaDcServer::kUsers;
}

QByteArray User(const QString& name) {
    return SlapdServer::Record(Dn(name), {{"objectClass", "user"}, {"sAMAccountName", name}});
}

QByteArray Group(const QString& name, const QStringList& members) {
    QList<std::pair<QString, QString>> v{{"objectClass", "group"}, {"sAMAccountName", name}};
    for (const QString& m : members)
        v.append({"member", Dn(m)});
    return SlapdServer::Record(Dn(name), v);
}

} // namespace

// The Active Directory schema against a real Samba domain controller: accounts by
// sAMAccountName, SIDs from objectSid, transitive groups from tokenGroups with the primary
// group that only primaryGroupID names.
class tst_activedirectory : public QObject {
    Q_OBJECT
    SambaDcServer mServer;

    LdapSettings Settings() const {
        LdapSettings s;
        s.domain = SambaDcServer::kDomain;
        s.uris = {mServer.Uri()};
        s.startTls = false; // the test controller has no certificate a client would trust
        s.bindDn = SambaDcServer::kAdminDn;
        s.passwordFile = mServer.PasswordFile();
        s.timeoutSeconds = 10;
        return s;
    }

private Q_SLOTS:
    void initTestCase() {
        QString error;
        QVERIFY2(mServer.Start(error), qPrintable(error));
        const QByteArray ldif = User("alice") + User("bob") + User(kOddUser) +
                                Group("level1", {"alice"}) + Group("level2", {"level1"}) +
                                Group("level3", {"level2"}) +
                                Group(kOddGroup, {"alice", kOddUser}) + Group("bobs", {"bob"});
        QVERIFY2(mServer.Add(ldif, error), qPrintable(error));
    }

    void listsTheDomain() {
        LdapDirectory directory(Settings());
        QVERIFY(directory.IsActiveDirectory());
        QCOMPARE(directory.GetDomains(true), QStringList{SambaDcServer::kDomain});
        const QStringList users = directory.GetUsers(SambaDcServer::kDomain, false);
        for (const QString& user : {u"alice"_s, u"bob"_s, kOddUser, u"Administrator"_s})
            QVERIFY2(users.contains(user), qPrintable(users.join(", ")));
        QVERIFY(!users.contains("level1")); // groups are not users
        const QStringList groups = directory.GetGroups(SambaDcServer::kDomain, false);
        for (const QString& group : {u"level3"_s, kOddGroup, u"Domain Users"_s})
            QVERIFY2(groups.contains(group), qPrintable(groups.join(", ")));
        QVERIFY(!groups.contains("alice"));
        // The picker's one-query listing agrees with GetUsers and GetAccountSid.
        QStringList names;
        for (const auto& account : directory.GetUsersWithSids(SambaDcServer::kDomain, false)) {
            names << account.name;
            QCOMPARE(account.sid,
                     directory.GetAccountSid(SambaDcServer::kDomain, account.name, false));
        }
        QCOMPARE(names, users);
    }

    void userGroups_data() {
        AddColumns<QString, QStringList, QStringList>("user", "expected", "absent");
        // "Domain Users" is reached through primaryGroupID alone.
        const QStringList alice{"Domain Users", "level1", "level2", "level3", kOddGroup};
        QTest::newRow("nested and primary") << "alice" << alice << QStringList{"bobs"};
        AddRow("other user", "bob", QStringList{"Domain Users", "bobs"},
               QStringList{"level1", kOddGroup});
        AddRow("non-ASCII", kOddUser, QStringList{"Domain Users", kOddGroup},
               QStringList{"level1"});
    }
    void userGroups() {
        QFETCH(QString, user);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, absent);
        LdapDirectory directory(Settings());
        const QStringList groups = directory.GetUserGroups(SambaDcServer::kDomain, user, false);
        for (const QString& group : expected)
            QVERIFY2(groups.contains(group), qPrintable(groups.join(", ")));
        for (const QString& group : absent)
            QVERIFY2(!groups.contains(group), qPrintable(groups.join(", ")));
    }

    void sids() {
        LdapDirectory directory(Settings());
        const QString domainUsers =
            directory.GetAccountSid(SambaDcServer::kDomain, "Domain Users", false);
        QVERIFY2(domainUsers.startsWith("S-1-5-21-") && domainUsers.endsWith("-513"),
                 qPrintable(domainUsers));
        const QString domainSid = domainUsers.chopped(4);
        for (const QString& account : {u"alice"_s, u"ORVANE\\alice"_s, kOddUser, u"level1"_s}) {
            const QString sid = directory.GetAccountSid(SambaDcServer::kDomain, account, false);
            QVERIFY2(sid.startsWith(domainSid + u'-'), qPrintable(account + ": " + sid));
        }
        QCOMPARE(directory.GetAccountSid(SambaDcServer::kDomain, "Administrator", false),
                 domainSid + "-500");
        // One account whatever the letter case or logon form; the directory's spelling is the
        // name the rules know.
        const QString alice = directory.GetAccountSid(SambaDcServer::kDomain, "alice", false);
        for (const QString& form : {u"ALICE"_s, u"Alice@ORVANE.AD"_s, u"orvane\\ALICE"_s}) {
            QCOMPARE(directory.GetAccountSid(SambaDcServer::kDomain, form, false), alice);
            QCOMPARE(directory.GetAccountName(SambaDcServer::kDomain, form, false), u"alice"_s);
        }
        // A name with a blank more is another name, though the server's match ignores it.
        for (const QString& unknown :
             {u"nobody-here"_s, u"*"_s, u"alice)(sAMAccountName=*"_s, u"alice "_s}) {
            const auto error =
                ErrorOf([&] { directory.GetAccountSid(SambaDcServer::kDomain, unknown, false); });
            QVERIFY2(error && error->Number() == ErrorNumber::NoMapping, qPrintable(unknown));
        }
    }
};

QTEST_MAIN(tst_activedirectory)
#include "tst_activedirectory.moc"
