#include "directory/LdapDirectory.h"
#include "directory/LdapText.h"
#include "support/SlapdServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kUsers = 10000;
constexpr int kGroups = 500;
constexpr int kRuns = 5;

QString UserDn(int i) {
    return QStringLiteral("uid=user%1,ou=people,").arg(i, 5, 10, QLatin1Char('0')) +
           SlapdServer::kBase;
}

// 10,000 posix users; 500 groups of names, each with 40 members, the first 20 groups nested
// in a chain; user00000 is in the first group.
QByteArray Directory() {
    QByteArray ldif =
        SlapdServer::Record(QStringLiteral("ou=people,") + SlapdServer::kBase,
                            {{"objectClass", "organizationalUnit"}, {"ou", "people"}});
    ldif += SlapdServer::Record(QStringLiteral("ou=groups,") + SlapdServer::kBase,
                                {{"objectClass", "organizationalUnit"}, {"ou", "groups"}});
    for (int i = 0; i < kUsers; ++i) {
        const QString uid = QStringLiteral("user%1").arg(i, 5, 10, QLatin1Char('0'));
        ldif += SlapdServer::Record(UserDn(i), {{"objectClass", "inetOrgPerson"},
                                                {"objectClass", "posixAccount"},
                                                {"uid", uid},
                                                {"cn", uid},
                                                {"sn", uid},
                                                {"uidNumber", QString::number(10000 + i)},
                                                {"gidNumber", "100"},
                                                {"homeDirectory", "/home/" + uid}});
    }
    for (int g = 0; g < kGroups; ++g) {
        const QString cn = QStringLiteral("group%1").arg(g, 3, 10, QLatin1Char('0'));
        QList<std::pair<QString, QString>> v{{"objectClass", "groupOfNames"}, {"cn", cn}};
        for (int m = 0; m < 40; ++m)
            v.append({"member", UserDn((g * 40 + m) % kUsers)});
        if (g > 0 && g < 20)
            v.append({"member",
                      QStringLiteral("cn=group%1,ou=groups,").arg(g - 1, 3, 10, QLatin1Char('0')) +
                          SlapdServer::kBase});
        ldif +=
            SlapdServer::Record(QStringLiteral("cn=") + cn + ",ou=groups," + SlapdServer::kBase, v);
    }
    return ldif;
}

template <class F> double MedianMs(F f) {
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    SlapdServer server;
    QString error;
    std::printf("loading %d users and %d groups into slapd...\n", kUsers, kGroups);
    if (!server.Start(Directory(), error)) {
        std::fprintf(stderr, "bench_directory: %s\n", qPrintable(error));
        return 1;
    }
    LdapSettings settings;
    settings.domain = SlapdServer::kDomain;
    settings.uris = {server.Uri()};
    settings.startTls = false;
    LdapDirectory directory(settings);
    qsizetype users = 0, groups = 0;
    const double picker = MedianMs([&] {
        users = directory.GetUsersWithSids(settings.domain, false).size();
        groups = directory.GetGroups(settings.domain, false).size();
    });
    qsizetype lines = 0;
    const double ldapsearch = MedianMs([&] {
        lines = 0;
        for (const char* filter :
             {"(objectClass=posixAccount)", "(|(objectClass=posixGroup)(objectClass=groupOfNames)"
                                            "(objectClass=groupOfUniqueNames))"}) {
            QProcess search;
            search.start(QStringLiteral("ldapsearch"),
                         {"-x", "-LLL", "-H", server.Uri(), "-b", SlapdServer::kBase, "-E",
                          "pr=1000/noprompt", filter, "uid", "uidNumber", "sambaSID", "cn"});
            search.waitForFinished(60000);
            lines += search.readAllStandardOutput().count('\n');
        }
    });
    QStringList transitive;
    const double oneUser = MedianMs(
        [&] { transitive = directory.GetUserGroups(settings.domain, "user00000", false); });
    std::printf("picker listing (users with SIDs + groups): %zd users, %zd groups, %.1f ms\n",
                static_cast<size_t>(users), static_cast<size_t>(groups), picker);
    std::printf("ldapsearch -E pr=1000/noprompt of the same entries: %.1f ms (%zd lines)\n",
                ldapsearch, static_cast<size_t>(lines));
    std::printf("ratio: %.2f (goal: 2 or less)\n", picker / ldapsearch);
    std::printf("one user's transitive groups (%zd, 20 levels deep): %.1f ms\n",
                static_cast<size_t>(transitive.size()), oneUser);
    return users == kUsers && groups == kGroups ? 0 : 1;
}
