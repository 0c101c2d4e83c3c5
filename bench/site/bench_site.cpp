// Many workstations starting at once on one PostgreSQL catalogue: 1,000 programs and 2,000
// rules. For N = 1, 50 and 200 workstations, each a thread with a connection of its own, every
// one does the catalogue work of a start at the same moment (open the catalogue, its theme, the
// user's rules, his list, the icons of a screenful) and lets its connection go, as the
// launcher does. Prints one line per N:
//
//   N=200 starts/s=... p50_ms=... p99_ms=... refused=...
//
// then the statements one start sends and the connections the workstations hold once idle.
// Starts its own throwaway server (scripts/postgres-test-server, run as root), with
// PostgreSQL's default max_connections of 100.
//
//   bench_site [--counts 1,50,200] [--show-statements]

#include "access/AccessEvaluation.h"
#include "access/LauncherItems.h"
#include "catalogue/CatalogStore.h"
#include "platform/FileTrust.h"
#include "platform/OrvError.h"
#include "services/AppContext.h"
#include "support/PostgresTest.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <barrier>
#include <cstdio>
#include <thread>

namespace {

constexpr int kPrograms = 1000;
constexpr int kGroups = 50;
constexpr int kUsers = 200;
constexpr int kGroupsPerUser = 5;
constexpr int kGroupRules = 1500;
constexpr int kUserRules = 500;
constexpr int kScreenful = 40;

QString Program(int i) {
    return QStringLiteral("Program %1").arg(i, 4, 10, QLatin1Char('0'));
}
QString Group(int g) {
    return QStringLiteral("group%1").arg(g, 2, 10, QLatin1Char('0'));
}
QString User(int u) {
    return QStringLiteral("user%1").arg(u, 3, 10, QLatin1Char('0'));
}
QStringList GroupsOf(int u) {
    QStringList groups;
    for (int k = 0; k < kGroupsPerUser; ++k)
        groups << Group((u * 7 + k * 11) % kGroups);
    return groups;
}

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "bench_site: %s failed\n", what);
        std::exit(1);
    }
}

// A site's users and their groups, as a directory would answer.
class SiteDirectory : public DirectoryService {
public:
    QStringList GetDomains(bool) override { return {}; }
    QStringList GetGroups(const QString&, bool) override { return {}; }
    QStringList GetUsers(const QString&, bool) override { return {}; }
    QList<DirectoryAccount> GetUsersWithSids(const QString&, bool) override { return {}; }
    QStringList GetUserGroups(const QString&, const QString& user, bool) override {
        return GroupsOf(user.mid(4).toInt());
    }
    QString GetAccountSid(const QString&, const QString& account, bool) override {
        return QStringLiteral("S-1-5-21-9-") + account.mid(4);
    }
    QString GetAccountName(const QString&, const QString& logon, bool) override { return logon; }
};

// The catalogue, made in SQLite and copied to the server in one transaction.
void Fill(const QString& url, const QString& dir) {
    CatalogStore local;
    local.OpenDatabase(dir + QStringLiteral("/site.mdb"));
    for (int i = 0; i < kPrograms; ++i)
        Check(local.AddProgram(Program(i), QStringLiteral("Program number %1").arg(i),
                               QStringLiteral("/usr/bin/true"), {}, {}, {}),
              "adding a program");
    for (int g = 0; g < kGroups; ++g)
        Check(local.AddGroup(Group(g)), "adding a group");
    for (int r = 0; r < kGroupRules; ++r)
        Check(local.AddPermission(Group(r % kGroups), r % 10 == 0 ? 0 : 1,
                                  Program((r * 37) % kPrograms), CatalogStore::KindGroup),
              "adding a group rule");
    for (int u = 0; u < kUsers; ++u)
        Check(
            local.AddUser(User(u), QStringLiteral("S-1-5-21-9-%1").arg(u, 3, 10, QLatin1Char('0'))),
            "adding a user");
    for (int r = 0; r < kUserRules; ++r)
        Check(local.AddPermission(User(r % kUsers), r % 3 == 0 ? 0 : 1,
                                  Program((r * 53) % kPrograms), CatalogStore::KindUser),
              "adding a user rule");
    for (int f = 0; f < 20; ++f)
        Check(local.AddFolder(QStringLiteral("Share %1").arg(f), QStringLiteral("/srv/%1").arg(f)),
              "adding a folder");
    CatalogStore server;
    server.OpenDatabase(url);
    local.CopyInto(server);
}

// One workstation's start, as the launcher makes it; false when the catalogue refused it.
bool Start(const QString& url, const QString& settingsDir, int user) {
    AppContext ctx;
    ctx.registry = std::make_unique<RegistryStore>(settingsDir + QStringLiteral("/settings.ini"),
                                                   EffectiveUid());
    ctx.directory = std::make_unique<SiteDirectory>();
    ctx.permissions = std::make_unique<PermissionSet>();
    try {
        CatalogStore& catalog = ctx.Catalog();
        catalog.OpenDatabase(url);
        ctx.gThemeName = catalog.GetDefaultTheme();
        catalog.GetTheme(ctx.gThemeName);
        // As the launcher's start: the user seated, his groups asked once.
        const QStringList groups = modMain::SeatUser(ctx, User(user));
        {
            const CatalogStore::ReadScope scope(catalog);
            modMain::LoadPermissions(ctx, groups);
            QStringList names;
            for (const auto& item : modMain::LauncherItems(ctx, groups))
                if (!item.isFolder && names.size() < kScreenful)
                    names << item.name;
            catalog.GetProgramIcons(names);
        }
        catalog.ReleaseConnection();
        return true;
    } catch (const OrvError& error) {
        std::fprintf(stderr, "refused: %s\n", qPrintable(error.Description()));
        return false;
    }
}

struct Round {
    double startsPerSecond = 0;
    double p50 = 0;
    double p99 = 0;
    int refused = 0;
};

Round Run(int count, const QString& url, const QString& settingsDir) {
    std::vector<double> times(static_cast<size_t>(count));
    std::atomic<int> refused = 0;
    std::barrier ready(count + 1);
    std::vector<std::thread> workstations;
    for (int w = 0; w < count; ++w)
        workstations.emplace_back([&, w] {
            ready.arrive_and_wait();
            const auto begin = std::chrono::steady_clock::now();
            if (!Start(url, settingsDir, w % kUsers))
                ++refused;
            times[static_cast<size_t>(w)] =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                    .count();
        });
    const auto begin = std::chrono::steady_clock::now();
    ready.arrive_and_wait();
    for (auto& t : workstations)
        t.join();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    std::sort(times.begin(), times.end());
    const auto at = [&](double q) {
        return times[std::min(times.size() - 1, static_cast<size_t>(q * times.size()))];
    };
    return {count / seconds, at(0.5), at(0.99), refused};
}

int Count(PrivatePostgresServer& server, const QString& sql) {
    QString error;
    int value = -1;
    QSqlDatabase db = PostgresConnection(server.Url(), QStringLiteral("bench-count"));
    {
        QSqlQuery query(db);
        if (db.open() && query.exec(sql) && query.next())
            value = query.value(0).toInt();
        db.close();
    }
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("bench-count"));
    return value;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QList<int> counts{1, 50, 200};
    const QStringList args = app.arguments();
    if (const qsizetype at = args.indexOf(QStringLiteral("--counts"));
        at > 0 && at + 1 < args.size()) {
        counts.clear();
        for (const QString& n : args.at(at + 1).split(u','))
            counts << n.toInt();
    }
    qputenv("ORV_SOURCE_DIR", ORV_SOURCE_DIR);
    PrivatePostgresServer server;
    QString error;
    // The default max_connections; statements logged to count what one start sends.
    Check(server.Start(QStringLiteral("-c max_connections=100 -c log_statement=all"), error),
          "starting the server");
    QTemporaryDir dir;
    Fill(server.Url(), dir.path());
    {
        QFile settings(dir.filePath(QStringLiteral("settings.ini")));
        Check(settings.open(QIODevice::WriteOnly) &&
                  settings.write("5=site\n6=launcher-admins\n") > 0,
              "writing the settings");
    }
    std::printf("catalogue: %d programs, %d rules, %d users in %d groups each\n", kPrograms,
                kGroupRules + kUserRules, kUsers, kGroupsPerUser);

    const auto log = [&] {
        QFile file(server.DataDir() + QStringLiteral("/../server.log"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const qsizetype before = log().size();
    Start(server.Url(), dir.path(), 7);
    QList<QByteArray> sent;
    for (const QByteArray& line : log().mid(before).split('\n'))
        if (line.contains("LOG:  statement:") || line.contains("LOG:  execute"))
            sent << line.mid(line.indexOf("LOG:  ") + 6);
    std::printf("statements of one start: %lld\n", static_cast<long long>(sent.size()));
    if (args.contains(QStringLiteral("--show-statements")))
        for (const QByteArray& line : sent)
            std::printf("  %s\n", line.left(160).constData());
    QString unused;
    server.Run({QStringLiteral("ALTER SYSTEM SET log_statement = 'none'"),
                QStringLiteral("SELECT pg_reload_conf()")},
               unused);

    for (const int n : counts) {
        const Round round = Run(n, server.Url(), dir.path());
        std::printf("N=%d starts/s=%.0f p50_ms=%.1f p99_ms=%.1f refused=%d\n", n,
                    round.startsPerSecond, round.p50, round.p99, round.refused);
        std::fflush(stdout);
    }
    std::printf("connections held once the workstations are idle: %d\n",
                Count(server, QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE "
                                             "datname = 'postgres' AND pid <> pg_backend_pid()")));
    return 0;
}
