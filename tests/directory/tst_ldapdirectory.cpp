#include "app/modMain.h"
#include "directory/DomainDirectory.h"
#include "directory/LdapDirectory.h"
#include "directory/LdapText.h"
#include "directory/LocalDirectory.h"
#include "launcher/frmMain.h"
#include "platform/BrokenPipes.h"
#include "platform/OrvError.h"
#include "support/DataRow.h"
#include "support/Errors.h"
#include "support/RuleFixture.h"
#include "support/SlapdServer.h"
#include "support/TestContext.h"
#include "support/TestFiles.h"
#include "widgets/ListView.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using Values = QList<std::pair<QString, QString>>;
const QString kPeople = u"ou=people,"_s + SlapdServer::kBase;
const QString kGroups = u"ou=groups,"_s + SlapdServer::kBase;
// Filter and DN specials, a backslash and letters beyond ASCII, in one name.
const QString kOddUser = QString::fromUtf8("j\xc3\xbcrgen*(x)\\");
const QString kOddGroup = QString::fromUtf8("g*(x)\\ \xc3\x84rger, \"q\"");
const int kManyGroups = 600;
// Enough groups that listing them needs more than one page of 1000.
const int kSpareGroups = 500;

QByteArray Unit(const QString& dn, const QString& ou) {
    return SlapdServer::Record(dn, {{"objectClass", "organizationalUnit"}, {"ou", ou}});
}

QString UserDn(const QString& uid) {
    return u"uid="_s + LdapText::DnValue(uid) + u',' + kPeople;
}
QString GroupDn(const QString& cn) {
    return u"cn="_s + LdapText::DnValue(cn) + u',' + kGroups;
}

QByteArray User(const QString& uid, int number, int gid, const QString& sambaSid = {},
                const QString& dn = {}) {
    Values v{{"objectClass", "inetOrgPerson"}, {"objectClass", "posixAccount"}};
    if (!sambaSid.isEmpty())
        v << std::pair<QString, QString>{"objectClass", "sambaSamAccount"}
          << std::pair<QString, QString>{"sambaSID", sambaSid};
    v << Values{{"uid", uid},
                {"cn", uid},
                {"sn", uid},
                {"uidNumber", QString::number(number)},
                {"gidNumber", QString::number(gid)},
                {"homeDirectory", "/home/" + uid}};
    return SlapdServer::Record(dn.isEmpty() ? UserDn(uid) : dn, v);
}

QByteArray PosixGroup(const QString& cn, int gid, const QStringList& memberUids,
                      const QString& dn = {}) {
    Values v{{"objectClass", "posixGroup"}, {"cn", cn}, {"gidNumber", QString::number(gid)}};
    for (const QString& uid : memberUids)
        v.append({"memberUid", uid});
    return SlapdServer::Record(dn.isEmpty() ? GroupDn(cn) : dn, v);
}

QByteArray NamesGroup(const QString& cn, const QStringList& memberDns) {
    Values v{{"objectClass", "groupOfNames"}, {"cn", cn}};
    for (const QString& dn : memberDns)
        v.append({"member", dn});
    return SlapdServer::Record(GroupDn(cn), v);
}

// People and groups of an RFC 2307bis directory: primary groups by gidNumber, posixGroup
// members by uid, groupOfNames members by DN and nested three deep.
QByteArray Directory() {
    QByteArray ldif = Unit(kPeople, "people");
    ldif += Unit(kGroups, "groups");
    ldif += User("alice", 2001, 3001);
    ldif += User("bob", 2002, 3002, "S-1-5-21-111-222-333-1104");
    ldif += User(kOddUser, 2003, 3001);
    ldif += User("busy", 2004, 3001);
    ldif += PosixGroup("staff", 3001, {});
    ldif += PosixGroup("devs", 3002, {"alice", "bob"});
    ldif += NamesGroup("level1", {UserDn("alice")});
    ldif += NamesGroup("level2", {GroupDn("level1")});
    ldif += NamesGroup("level3", {GroupDn("level2")});
    ldif += NamesGroup(kOddGroup, {UserDn("alice"), UserDn(kOddUser)});
    for (int i = 0; i < kManyGroups; ++i)
        ldif += NamesGroup(u"many-%1"_s.arg(i, 3, 10, QLatin1Char('0')), {UserDn("busy")});
    for (int i = 0; i < kSpareGroups; ++i)
        ldif += PosixGroup(u"spare-%1"_s.arg(i, 3, 10, QLatin1Char('0')), 5000 + i, {});
    return ldif;
}

// A server that breaks off every connection, from a thread of its own (the test's thread waits
// in the directory call): after half a reply, or with a reset as soon as a TLS client greets.
class FaultyServer {
public:
    explicit FaultyServer(bool reset) {
        mListener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        bind(mListener, reinterpret_cast<sockaddr*>(&address), size);
        listen(mListener, 8);
        getsockname(mListener, reinterpret_cast<sockaddr*>(&address), &size);
        mPort = ntohs(address.sin_port);
        mThread = std::thread([this, reset] {
            for (;;) {
                const int client = accept(mListener, nullptr, nullptr);
                if (client < 0)
                    return;
                char request[512];
                (void)recv(client, request, sizeof request, 0);
                if (reset) {
                    const linger abort{1, 0};
                    setsockopt(client, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
                } else {
                    // The start of a BindResponse that promises more than comes.
                    (void)send(client, "\x30\x0c\x02\x01\x01\x61", 6, MSG_NOSIGNAL);
                }
                close(client);
            }
        });
    }
    ~FaultyServer() {
        shutdown(mListener, SHUT_RDWR);
        close(mListener);
        mThread.join();
    }
    quint16 Port() const { return mPort; }

private:
    int mListener = -1;
    quint16 mPort = 0;
    std::thread mThread;
};

} // namespace

class tst_ldapdirectory : public QObject {
    Q_OBJECT
    SlapdServer mServer;
    SlapdServer mTlsServer;

    LdapSettings Settings() const {
        LdapSettings s;
        s.domain = SlapdServer::kDomain;
        s.uris = {mServer.Uri()};
        s.startTls = false; // loopback test server without a certificate
        s.timeoutSeconds = 5;
        return s;
    }

private Q_SLOTS:
    void initTestCase() {
        IgnoreBrokenPipes(); // as every program does first
        QString error;
        QVERIFY2(mServer.Start(Directory(), error), qPrintable(error));
        // Names that the server's equality match takes for one another (letter case, blanks),
        // in two branches, as the directory allows: each is still its own account.
        const QString other = u"ou=other,"_s + SlapdServer::kBase;
        const QByteArray tlsDirectory =
            Unit(kPeople, "people") + Unit(kGroups, "groups") + Unit(other, "other") +
            User("tls-user", 4000, 4000) + User("carol", 4101, 4000) + User("kim", 4103, 4000) +
            User("dave", 4105, 4000) + User("CAROL", 4102, 4000, {}, u"uid=CAROL,"_s + other) +
            User("kim ", 4104, 4000, {}, u"uid=kim\\20,"_s + other) +
            PosixGroup("Finance", 4201, {"carol", "dave"}) +
            PosixGroup("FINANCE", 4202, {}, u"cn=FINANCE,"_s + other);
        mTlsServer.SetIdleTimeout(2);
        QVERIFY2(mTlsServer.Start(tlsDirectory, error, true), qPrintable(error));
    }

    void textRules_data() {
        AddColumns<QString, QString, QString>("kind", "input", "expected");
        AddRow("filter specials", "filter", "a*(b)\\c", "a\\2a\\28b\\29\\5cc");
        AddRow("filter NUL", "filter", QString("a") + QChar(0) + "b", "a\\00b");
        AddRow("dn specials", "dn", "a,b+c\"d\\e<f>g;h=i", "a\\,b\\+c\\\"d\\\\e\\<f\\>g\\;h\\=i");
        AddRow("dn edges", "dn", " #x ", "\\ #x\\ ");
        AddRow("dn leading hash", "dn", "#x", "\\#x");
        AddRow("base of domain", "base", "corp.example.com", "DC=corp,DC=example,DC=com");
        AddRow("logon with realm", "account", "alice@ORVANE.TEST", "alice");
        AddRow("logon with domain", "account", "ORVANE\\alice", "alice");
        AddRow("trailing backslash is a name", "account", "a\\", "a\\");
        AddRow("trailing at is a name", "account", "a@", "a@");
    }
    void textRules() {
        QFETCH(QString, kind);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QString actual;
        if (kind == "filter")
            actual = QString::fromUtf8(LdapText::FilterValue(input));
        else if (kind == "dn")
            actual = LdapText::DnValue(input);
        else if (kind == "base")
            actual = LdapText::BaseDnOfDomain(input);
        else
            actual = LdapText::AccountName(input);
        QCOMPARE(actual, expected);
    }

    void sidText_data() {
        AddColumns<QByteArray, QString>("binary", "text");
        // S-1-5-21-1004336348-1177238915-682003330-512, as Windows stores it.
        AddRow("domain group",
               QByteArray::fromHex("010500000000000515000000dcf4dc3b833d2b46828ba62800020000"),
               "S-1-5-21-1004336348-1177238915-682003330-512");
        AddRow("truncated", QByteArray::fromHex("0105000000000005150000"), "");
        AddRow("bad revision", QByteArray::fromHex("02010000000000050b000000"), "");
    }
    void sidText() {
        QFETCH(QByteArray, binary);
        QFETCH(QString, text);
        QCOMPARE(LdapText::SidText(binary), text);
    }

    void listsAccounts() {
        LdapDirectory directory(Settings());
        QVERIFY(!directory.IsActiveDirectory());
        const QStringList users = directory.GetUsers(SlapdServer::kDomain, false);
        QCOMPARE(users, (QStringList{"alice", "bob", "busy", kOddUser}));
        const QStringList groups = directory.GetGroups(SlapdServer::kDomain, false);
        QCOMPARE(groups.size(), 6 + kManyGroups + kSpareGroups); // past the server's 1000
        QVERIFY(groups.contains(kOddGroup));
        QVERIFY(groups.contains("level3") && groups.contains("many-599"));
        QCOMPARE(directory.GetDomains(true), QStringList{SlapdServer::kDomain});
        // The picker's one-query listing agrees with GetUsers and GetAccountSid.
        QStringList names;
        for (const auto& account : directory.GetUsersWithSids(SlapdServer::kDomain, false)) {
            names << account.name;
            QCOMPARE(account.sid,
                     directory.GetAccountSid(SlapdServer::kDomain, account.name, false));
        }
        QCOMPARE(names, users);
    }

    void userGroups_data() {
        AddColumns<QString, QStringList>("user", "groups");
        const QStringList alice{"devs", kOddGroup, "level1", "level2", "level3", "staff"};
        AddRow("primary, memberUid, member and nested", "alice", alice);
        AddRow("primary group is a posix group with members", "bob", QStringList{"devs"});
        AddRow("odd names", kOddUser, QStringList{kOddGroup, "staff"});
        QStringList many{"staff"};
        for (int i = 0; i < kManyGroups; ++i)
            many << u"many-%1"_s.arg(i, 3, 10, QLatin1Char('0'));
        AddRow("in 600 groups", "busy", many);
    }
    void userGroups() {
        QFETCH(QString, user);
        QFETCH(QStringList, groups);
        LdapDirectory directory(Settings());
        QStringList actual = directory.GetUserGroups(SlapdServer::kDomain, user, false);
        actual.sort();
        groups.sort();
        QCOMPARE(actual, groups);
    }

    // Accounts by uidNumber, sambaSID or gidNumber; what names no account, a pattern or a
    // filter included, is refused. On the server whose match is blind to letter case and
    // blanks ("twins"), the account spelled exactly so wins; else the only one that differs in
    // letter case alone; several of those are an error that says so, never a guess. The logon
    // name becomes the directory's spelling.
    void accountSids_data() {
        AddColumns<bool, QString, QString>("twins", "account", "sid"); // sid "": refused
        // GetAccountName; empty: not asked (a group); <ambiguous>: refused as for the SID
        QTest::addColumn<QString>("name");
        AddRow("user by uidNumber", false, "alice", "S-1-22-1-2001", "");
        AddRow("user with sambaSID", false, "bob", "S-1-5-21-111-222-333-1104", "");
        AddRow("posix group", false, "devs", "S-1-22-2-3002", "");
        AddRow("unknown", false, "nobody-here", "", "");
        AddRow("wildcard is not a pattern", false, "*", "", "");
        AddRow("filter injection", false, "alice)(uid=*", "", "");
        AddRow("empty", false, "", "", "");
        AddRow("group spelled exactly", true, "Finance", "S-1-22-2-4201", "");
        AddRow("neither spelling", true, "finance", "", "");
        AddRow("user spelled exactly", true, "carol", "S-1-22-1-4101", "carol");
        AddRow("the user's upper-case twin", true, "CAROL", "S-1-22-1-4102", "CAROL");
        AddRow("neither spelling of the user", true, "Carol", "", "<ambiguous>");
        AddRow("without the blank", true, "kim", "S-1-22-1-4103", "kim");
        AddRow("with the blank", true, "kim ", "S-1-22-1-4104", "kim ");
        AddRow("one account, other case", true, "DAVE", "S-1-22-1-4105", "dave");
    }
    void accountSids() {
        QFETCH(bool, twins);
        QFETCH(QString, account);
        QFETCH(QString, sid);
        QFETCH(QString, name);
        LdapSettings s = Settings();
        if (twins)
            s.uris = {mTlsServer.Uri()};
        LdapDirectory directory(s);
        const QString domain = SlapdServer::kDomain;
        if (!sid.isEmpty()) {
            QCOMPARE(directory.GetAccountSid(domain, account, false), sid);
            if (!name.isEmpty())
                QCOMPARE(directory.GetAccountName(domain, account, false), name);
            return;
        }
        if (!twins) {
            QCOMPARE(ErrorNumberOf([&] { directory.GetAccountSid(domain, account, false); }),
                     ErrorNumber::NoMapping);
            QVERIFY(ErrorOf([&] { directory.GetUserGroups(domain, account, false); }));
            return;
        }
        QList<std::function<void()>> calls{
            [&] { directory.GetAccountSid(domain, account, false); }};
        if (name == "<ambiguous>")
            calls.append([&] { directory.GetAccountName(domain, account, false); });
        for (const auto& call : calls) {
            const auto error = ErrorOf(call);
            QVERIFY(error);
            QVERIFY2(error->Description().contains(u"differ from it only in letter case"_s),
                     qPrintable(error->Description()));
        }
    }

    // A refused bind, a closed port, a server that never answers or breaks off and a
    // certificate that does not check out: each a clear message naming the server and the
    // domain, within the timeout (a certificate's also the CA setting).
    void faults_data() {
        AddColumns<QString, QString>("kind", "words");
        AddRow("wrong password", "password", "refused the bind");
        AddRow("no password file", "no file", "cannot be read");
        AddRow("closed port", "closed", "cannot be reached");
        AddRow("silent server", "silent", "did not answer in time");
        AddRow("half a reply, then closed", "half", "cannot be reached");
        AddRow("TLS handshake reset", "reset", "cannot be reached");
        AddRow("StartTLS, unknown CA", "starttls no ca", "The certificate issuer is unknown");
        AddRow("StartTLS, another name", "starttls localhost",
               "The name in the certificate does not match");
    }
    void faults() {
        QFETCH(QString, kind);
        QFETCH(QString, words);
        LdapSettings s = Settings();
        s.timeoutSeconds = 2;
        QTcpServer silent;
        std::optional<FaultyServer> faulty;
        QTemporaryDir dir;
        if (kind.startsWith("starttls")) {
            const QString host = kind.endsWith("localhost") ? u"localhost"_s : u"127.0.0.1"_s;
            s.uris = {mTlsServer.Uri().replace(u"127.0.0.1"_s, host)};
            s.startTls = true;
            s.settingsFile = u"/etc/orvane-test.ini"_s;
            if (kind.endsWith("localhost"))
                s.caFile = mTlsServer.CaFile();
        } else if (kind == "password" || kind == "no file") {
            s.bindDn = SlapdServer::kAdminDn;
            s.passwordFile = dir.filePath("password");
            if (kind == "password")
                QVERIFY(WriteFile(s.passwordFile, "wrong\n"));
        } else if (kind == "closed") {
            s.uris = {u"ldap://127.0.0.1:%1"_s.arg(FreeLoopbackPort())};
        } else if (kind == "half" || kind == "reset") {
            faulty.emplace(kind == "reset");
            s.uris = {(kind == "reset" ? u"ldaps"_s : u"ldap"_s) +
                      u"://127.0.0.1:%1"_s.arg(faulty->Port())};
        } else {
            QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
            s.uris = {u"ldap://127.0.0.1:%1"_s.arg(silent.serverPort())};
        }
        LdapDirectory directory(s);
        QElapsedTimer timer;
        timer.start();
        const auto error = ErrorOf([&] { directory.GetUsers(SlapdServer::kDomain, false); });
        QVERIFY(error);
        QVERIFY2(timer.elapsed() < 8000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY2(error->Description().contains(words) &&
                     error->Description().contains(SlapdServer::kDomain),
                 qPrintable(error->Description()));
        if (kind != "no file")
            QVERIFY2(error->Description().contains(s.uris.first()),
                     qPrintable(error->Description()));
        if (!s.settingsFile.isEmpty())
            QVERIFY2(error->Description().contains(u"LdapCaFile of /etc/orvane-test.ini"_s),
                     qPrintable(error->Description()));
    }

    // The start-up on a directory domain: the domain setting picks the directory, the
    // administrators' group counts through nested groups (and its Deny does not hide from
    // them). However the workstation names the user at logon, his own rules and his groups'
    // apply to him: his own Deny hides Editor, his own Allow shows Mail, his group's Allow
    // shows Web.
    void startUpOnTheDomain_data() {
        AddColumns<QString, bool, QString>("logon", "tlsServer", "adminGroup");
        // "group NAME PROGRAM STATUS" or "user NAME SID PROGRAM STATUS"
        AddColumns<QStringList, bool, QStringList>("rules", "admin", "items");
        AddRow("administrator through a nested group", "alice", false, "level3",
               QStringList{"group staff Secret 0"}, true, QStringList{"Secret"});
        const QStringList dave{"group Finance Editor 1", "group Finance Web 1",
                               "user dave S-1-22-1-4105 Editor 0",
                               "user dave S-1-22-1-4105 Mail 1"};
        for (const char* logon : {"dave", "Dave@orvane.test", "orvane\\DAVE"})
            AddRow(logon, QString::fromLatin1(logon), true, "nobody", dave, false,
                   QStringList{"Web", "Mail"});
    }
    void startUpOnTheDomain() {
        QFETCH(QString, logon);
        QFETCH(bool, tlsServer);
        QFETCH(QString, adminGroup);
        QFETCH(QStringList, rules);
        QFETCH(bool, admin);
        QFETCH(QStringList, items);
        TestContext t;
        t.ctx.account = std::make_unique<FixedAccount>(logon);
        const int root = RegistryStore::HKEY_LOCAL_MACHINE_;
        RegistryStore& settings = *t.ctx.registry;
        QVERIFY(settings.CreateKey(root, RegistryStore::kSettingsKey));
        for (const auto& [name, value] : QList<std::pair<QString, QString>>{
                 {"5", SlapdServer::kDomain},
                 {"6", adminGroup},
                 {"LdapUri", tlsServer ? mTlsServer.Uri() : mServer.Uri()},
                 {"LdapTls", "none"}})
            QVERIFY(settings.SetValue(root, RegistryStore::kSettingsKey, name, value));
        t.ctx.directory = std::make_unique<DomainDirectory>(
            settings, std::make_unique<LocalDirectory>(), u"workstation"_s);
        CatalogStore& catalog = t.ctx.Catalog();
        for (const QString program : {"Editor", "Mail", "Secret", "Web"})
            if (!rules.filter(u' ' + program + u' ').isEmpty())
                QVERIFY(catalog.AddProgram(program, {}, "/usr/bin/true", {}, {}, {}));
        for (const QString& rule : rules) {
            const QStringList part = rule.split(u' ');
            const bool user = part[0] == "user";
            const QString& program = part.at(user ? 3 : 2);
            if (user && !catalog.UserExists(part[1]))
                QVERIFY(catalog.AddUser(part[1], part[2]));
            if (!user && !catalog.GroupExists(part[1]))
                QVERIFY(catalog.AddGroup(part[1]));
            QVERIFY(catalog.AddPermission(part[1], part.last().toInt(), program,
                                          user ? CatalogStore::KindUser : CatalogStore::KindGroup));
        }

        const modMain::StartupOutcome outcome = modMain::Main(t.ctx);
        QVERIFY2(outcome.mainWindowShown, qPrintable(t.prompt->transcript.value(0).text));
        QCOMPARE(t.ctx.gIsAdmin, admin);
        QVERIFY(t.ctx.gUserSid.toString().startsWith("S-1-"));
        if (tlsServer)
            QCOMPARE(t.ctx.gUserName.toString(), u"dave"_s);
        auto* form = qobject_cast<frmMain*>(t.ctx.mainWindow.data());
        QVERIFY(form);
        QStringList shown = Texts(form->ListView1);
        if (!tlsServer)
            shown.sort(); // in the order of the groups the directory gives: its own
        QCOMPARE(shown, items);
        form->EndProgram = [] {};
        delete form;

        // The computer's own name still means its local accounts.
        auto& domains = static_cast<DomainDirectory&>(*t.ctx.directory);
        QVERIFY(domains.IsLocal("WORKSTATION") && !domains.IsLocal(SlapdServer::kDomain));
    }

    // A server that closes an idle connection (here after 2 s, Active Directory after 15
    // minutes): the next question connects again and is answered, over TLS, where closing the
    // dead session would raise SIGPIPE.
    void droppedConnectionIsOpenedAgain_data() {
        QTest::addColumn<QString>("how");
        AddRow("StartTLS", u"starttls"_s);
        AddRow("LDAPS", u"ldaps"_s);
    }
    void droppedConnectionIsOpenedAgain() {
        QFETCH(QString, how);
        LdapSettings s = Settings();
        s.uris = {how == "ldaps" ? mTlsServer.TlsUri() : mTlsServer.Uri()};
        s.startTls = true;
        s.caFile = mTlsServer.CaFile();
        LdapDirectory directory(s);
        for (int round = 0; round < 2; ++round) {
            if (round > 0)
                QTest::qWait(4500); // past the idle timeout and slapd's check of it
            const auto error = ErrorOf([&] {
                QVERIFY(directory.GetUsers(SlapdServer::kDomain, false).contains("tls-user"));
            });
            QVERIFY2(!error, error ? qPrintable(error->Description()) : "");
        }
    }

    // Runs last: the server goes away under a connected directory, which says so (the process
    // lives on, TLS or not).
    void serverStoppedMidRun_data() { AddBoolTable("tls", {{"plain", false}, {"StartTLS", true}}); }
    void serverStoppedMidRun() {
        QFETCH(bool, tls);
        SlapdServer& server = tls ? mTlsServer : mServer;
        LdapSettings s = Settings();
        s.uris = {server.Uri()};
        s.startTls = tls;
        s.caFile = mTlsServer.CaFile();
        LdapDirectory directory(s);
        QVERIFY(!directory.GetUsers(SlapdServer::kDomain, false).isEmpty());
        server.Stop();
        const auto error = ErrorOf([&] { directory.GetUsers(SlapdServer::kDomain, false); });
        QVERIFY(error);
        QVERIFY2(error->Description().contains(server.Uri()) &&
                     error->Description().contains(u"cannot be reached"_s),
                 qPrintable(error->Description()));
    }
};

QTEST_MAIN(tst_ldapdirectory)
#include "tst_ldapdirectory.moc"
