// The launcher list of a large catalogue: 10,000 programs, 500 folders and 20,000 group and
// user rules over 50 groups, for a user in 10 of the groups. Prints the time of
// BuildLauncherList for that user, the time of reading the same rule rows from the catalogue
// in the same run, and their ratio; then the window's first showing, the cost of exporting
// every picture, and the full list of an administrator.
//
//   bench_launcher_list [--runs N] [--picture-dir DIR] [--growth N] [--catalogue URI]
//
// --catalogue puts the catalogue on an empty PostgreSQL database instead (for example the one
// `scripts/postgres-test-server start DIR` writes to DIR/url), to compare the engines: the read
// and the build then both cross the loopback connection.
// The catalogue goes to a temporary directory, on /dev/shm when there is one, because the
// set-up writes 30,000 rows one statement at a time. The exported pictures go to DIR
// (default: a temporary directory on disk, as they do in use). The list exports a program's
// picture when the item is first drawn, so the build itself writes no picture files.

#include "access/AccessEvaluation.h"
#include "common/BestMs.h"
#include "launcher/LauncherList.h"
#include "launcher/frmMain.h"
#include "support/TestContext.h"
#include "widgets/ImageList.h"
#include "widgets/ListView.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <malloc.h>

namespace {

constexpr int kPrograms = 10000;
constexpr int kFolders = 500;
constexpr int kGroups = 50;
constexpr int kUserGroups = 10;
constexpr int kGroupRules = 19000;
constexpr int kUserRules = 1000;
constexpr int kOwnIcons = 100; // programs with an icon of their own; the rest use the default

QString ProgramName(int i) {
    return QStringLiteral("Program %1").arg(i, 5, 10, QLatin1Char('0'));
}
QString GroupName(int g) {
    return QStringLiteral("Group%1").arg(g, 2, 10, QLatin1Char('0'));
}

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "bench set-up failed: %s\n", what);
        std::exit(1);
    }
}

void Fill(TestContext& t) {
    CatalogStore& catalog = t.ctx.Catalog();
    QRandomGenerator random(20240611);
    QStringList icons;
    for (int i = 0; i < kOwnIcons; ++i) {
        QImage icon(32, 32, QImage::Format_ARGB32);
        icon.fill(QColor::fromHsv(i * 360 / kOwnIcons, 200, 220));
        icons << t.dir.filePath(QStringLiteral("icon%1.png").arg(i));
        Check(icon.save(icons.last()), "icon file");
    }
    for (int i = 0; i < kPrograms; ++i)
        Check(catalog.AddProgram(
                  ProgramName(i), QStringLiteral("Program number %1").arg(i),
                  QStringLiteral("/opt/programs/p%1").arg(i),
                  i % (kPrograms / kOwnIcons) == 0 ? icons.at(i / (kPrograms / kOwnIcons))
                                                   : QString(),
                  QStringLiteral("/opt/programs"), QStringLiteral("--start %1").arg(i)),
              "program");
    for (int f = 0; f < kFolders; ++f)
        Check(catalog.AddFolder(QStringLiteral("Folder %1").arg(f),
                                QStringLiteral("/srv/share/folder%1").arg(f)),
              "folder");
    QStringList members;
    for (int g = 0; g < kGroups; ++g) {
        Check(catalog.AddGroup(GroupName(g)), "group");
        t.directory->AddGroup(GroupName(g), g < kUserGroups ? QStringList{"tester"} : members);
    }
    Check(catalog.AddUser("tester", t.ctx.gUserSid.toString()), "user");
    // A rule replaces an earlier one of the same principal for the same program, so the
    // pairs are drawn without repetition.
    for (int r = 0; r < kGroupRules; ++r) {
        const int group = r % kGroups;
        const int program = (r / kGroups * 26 + group * 7) % kPrograms;
        const int status = random.bounded(10) < 8 ? 1 : 0;
        Check(catalog.AddPermission(GroupName(group), status, ProgramName(program),
                                    CatalogStore::KindGroup),
              "group rule");
    }
    for (int r = 0; r < kUserRules; ++r)
        Check(catalog.AddPermission("tester", random.bounded(10) < 7 ? 1 : 0,
                                    ProgramName((r * 9973) % kPrograms), CatalogStore::KindUser),
              "user rule");
}

// The plain read: every rule row of the user's groups and of the user, field by field.
long ReadRules(AppContext& ctx, const QStringList& groups) {
    long rows = 0;
    long allowed = 0;
    auto walk = [&rows, &allowed](Recordset rs, const QString& program) {
        const long count = rs.RecordCount();
        if (count > 0)
            rs.MoveFirst();
        for (long r = 0; r < count; ++r) {
            const QString name = rs.Fields(program).toString();
            const int status = rs.Fields(QStringLiteral("Status")).toInt();
            rows += name.isEmpty() ? 0 : 1;
            allowed += status == 1 ? 1 : 0;
            rs.MoveNext();
        }
        rs.Close();
    };
    for (const QString& group : groups)
        walk(ctx.Catalog().GetGroupPermissions(group), QStringLiteral("Program_Name"));
    walk(ctx.Catalog().GetUserPermissions(ctx.gUserName.toString(), ctx.gUserSid.toString()),
         QStringLiteral("PrgName"));
    return allowed >= 0 ? rows : 0;
}

// Heap bytes in use, in KiB. Unlike the resident size, it falls again when memory is freed, so
// the growth of one build is seen even after earlier builds left pages behind.
long HeapKiB() {
    const struct mallinfo2 heap = mallinfo2();
    return static_cast<long>((heap.uordblks + heap.hblkhd) / 1024);
}

// Another connection's commit, outside the timing: the store then reads the rules from the
// catalogue again rather than answering from its last read, as a start reads them once.
void ChangedElsewhere(const QString& catalogue) {
    static int serial = 0;
    CatalogStore other;
    other.OpenDatabase(catalogue);
    Check(other.AddGroup(QStringLiteral("Elsewhere %1").arg(++serial)), "change elsewhere");
}

// One size of the growth table, in milliseconds per build and KiB.
struct GrowthPoint {
    double userMs = 0;
    double readMs = 0;
    double adminMs = 0;
    long heapKiB = 0;
};

// The list of a user with as many rules as programs (over the 10 groups he is in, 80 % of
// them Allow), the plain read of those rules, and an administrator's list, for `size`
// programs. The heap is what the built administrator list holds beyond the empty window.
GrowthPoint MeasureGrowth(int runs, int size) {
    TestContext t;
    t.ctx.gUserName = QStringLiteral("tester");
    const int root = RegistryStore::HKEY_LOCAL_MACHINE_;
    t.ctx.registry->CreateKey(root, RegistryStore::kSettingsKey);
    t.ctx.registry->SetValue(root, RegistryStore::kSettingsKey, "5", "CORP");
    t.ctx.registry->SetValue(root, RegistryStore::kSettingsKey, "6", "Admins");
    CatalogStore& catalog = t.ctx.Catalog();
    QStringList groups;
    for (int g = 0; g < kUserGroups; ++g) {
        groups << GroupName(g);
        Check(catalog.AddGroup(groups.last()), "group");
        t.directory->AddGroup(groups.last(), {"tester"});
    }
    for (int i = 0; i < size; ++i) {
        Check(catalog.AddProgram(ProgramName(i), {}, {}, {}, {}, {}), "program");
        Check(catalog.AddPermission(GroupName(i % kUserGroups), i % 5 == 4 ? 0 : 1, ProgramName(i),
                                    CatalogStore::KindGroup),
              "group rule");
    }
    const QStringList seatedGroups = modMain::SeatUser(t.ctx, QStringLiteral("tester"));
    Check(!t.ctx.gIsAdmin && modMain::LoadPermissions(t.ctx, seatedGroups), "permissions");
    frmMain& form = modMain::MainForm(t.ctx);
    const auto changed = [&t] { ChangedElsewhere(t.ctx.paths.DatabaseFile()); };
    GrowthPoint point;
    point.userMs = BestMs(
        runs, [&] { modMain::RefreshLauncherList(t.ctx); }, changed);
    point.readMs = BestMs(
        runs, [&] { ReadRules(t.ctx, groups); }, changed);
    t.ctx.gIsAdmin = true;
    modMain::RefreshLauncherList(t.ctx);
    form.ListView1->Clear();
    form.ImageList3->Clear();
    const long before = HeapKiB();
    modMain::RefreshLauncherList(t.ctx);
    point.heapKiB = HeapKiB() - before;
    point.adminMs = BestMs(runs, [&] { modMain::RefreshLauncherList(t.ctx); });
    delete &form;
    return point;
}

// The lists at sizes from 100 to `largest` programs, per 1,000 programs: flat columns show
// linear growth. "beyond base" leaves out what a build of one program per group costs (reading
// the user's groups and the folders, one query per group), which dominates the smallest sizes;
// "read" is the plain read of the same rules, the floor the user's list stands on.
void Growth(int runs, int largest) {
    const GrowthPoint base = MeasureGrowth(runs, kUserGroups);
    std::printf("\nbase, %d programs: user %.2f ms, rules read %.2f ms, admin %.2f ms\n",
                kUserGroups, base.userMs, base.readMs, base.adminMs);
    std::printf("%9s %13s %13s %13s %10s %13s %13s %14s\n", "programs", "user ms/1k", "beyond base",
                "read ms/1k", "user/read", "admin ms/1k", "beyond base", "memory KiB/1k");
    for (int size = 100; size <= largest; size *= 10) {
        const GrowthPoint p = MeasureGrowth(runs, size);
        const double perK = 1000.0 / size;
        std::printf("%9d %13.2f %13.2f %13.2f %10.2f %13.2f %13.2f %14.1f\n", size, p.userMs * perK,
                    (p.userMs - base.userMs) * 1000.0 / (size - kUserGroups), p.readMs * perK,
                    p.userMs / p.readMs, p.adminMs * perK,
                    (p.adminMs - base.adminMs) * 1000.0 / (size - kUserGroups), p.heapKiB * perK);
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString diskTemp = QDir::tempPath();
    if (qEnvironmentVariableIsEmpty("TMPDIR") && QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        qputenv("TMPDIR", "/dev/shm");
    QCommandLineParser parser;
    parser.addOption({"runs", "timed runs of each measurement (best is shown)", "N", "5"});
    parser.addOption({"picture-dir",
                      "where the exported pictures go (default: under " + QDir::tempPath() +
                          ", on disk as in use)",
                      "DIR"});
    parser.addOption({"growth",
                      "also time the list at 100, 1,000, ... up to N programs and rules, per "
                      "1,000 programs",
                      "N"});
    parser.addOption(
        {"catalogue", "an empty PostgreSQL catalogue to fill and measure instead", "URI"});
    parser.addHelpOption();
    parser.process(app);
    const int runs = std::max(1, parser.value("runs").toInt());

    TestContext t;
    if (parser.isSet("catalogue")) {
        t.ctx.Catalog().OpenDatabase(parser.value("catalogue"));
        t.ctx.Catalog().SetDefaultIcon(t.ctx.paths.DefaultIcon());
        Check(t.ctx.Catalog().GetPrograms().RecordCount() == 0, "the catalogue is not empty");
    }
    QTemporaryDir pictures(diskTemp + QStringLiteral("/bench-pictures-XXXXXX"));
    const QString pictureDir =
        parser.isSet("picture-dir") ? parser.value("picture-dir") : pictures.path();
    QDir().mkpath(pictureDir);
    t.ctx.paths = AppPaths(t.ctx.paths.AppDir(), pictureDir);
    t.ctx.Catalog().SetAppPath(pictureDir);
    const int root = RegistryStore::HKEY_LOCAL_MACHINE_;
    t.ctx.registry->CreateKey(root, RegistryStore::kSettingsKey);
    t.ctx.registry->SetValue(root, RegistryStore::kSettingsKey, "5", "CORP");
    t.ctx.registry->SetValue(root, RegistryStore::kSettingsKey, "6", "Admins");
    t.ctx.gUserName = QStringLiteral("tester");
    t.ctx.gUserSid = t.directory->GetAccountSid("CORP", "tester", false);

    QElapsedTimer setup;
    setup.start();
    Fill(t);
    std::printf("catalogue: %d programs, %d folders, %d rules over %d groups, user in %d groups "
                "(written in %.1f s to %s; pictures in %s)\n",
                kPrograms, kFolders, kGroupRules + kUserRules, kGroups, kUserGroups,
                setup.elapsed() / 1000.0, qPrintable(t.dir.path()), qPrintable(pictureDir));

    const QStringList seatedGroups = modMain::SeatUser(t.ctx, QStringLiteral("tester"));
    Check(!t.ctx.gIsAdmin && modMain::LoadPermissions(t.ctx, seatedGroups), "permissions");
    const QStringList groups = t.directory->GetUserGroups("CORP", "tester", false);
    frmMain& form = modMain::MainForm(t.ctx);
    modMain::BuildLauncherList(t.ctx, false); // warms the caches of the file system and SQLite
    const QString catalogue =
        parser.isSet("catalogue") ? parser.value("catalogue") : t.ctx.paths.DatabaseFile();
    const auto changed = [&catalogue] { ChangedElsewhere(catalogue); };
    const double buildMs = BestMs(
        runs, [&] { modMain::RefreshLauncherList(t.ctx); }, changed);
    const int items = form.ListView1->Count();
    long rows = 0;
    const double readMs = BestMs(
        runs, [&] { rows = ReadRules(t.ctx, groups); }, changed);

    std::printf("user list: %d items (%d programs, %d folders)\n", items,
                form.ImageList3->Count() - 1, items - form.ImageList3->Count() + 1);
    std::printf("BuildLauncherList, user:                %9.1f ms\n", buildMs);
    std::printf("plain read of the same %ld rule rows:  %9.1f ms\n", rows, readMs);
    std::printf("ratio build / read:                     %9.1f\n", buildMs / readMs);

    // Pictures are exported when an item is first drawn: showing the window lays out every
    // item and exports the pictures in sight; forcing every picture shows what exporting all
    // of them at build time would cost.
    form.resize(1000, 700);
    QElapsedTimer paint;
    paint.start();
    form.show();
    while (!form.ListView1->ItemRect(items).isValid())
        QApplication::processEvents();
    form.grab();
    std::printf("main window shown, laid out and drawn:  %9.1f ms\n", paint.nsecsElapsed() / 1e6);
    paint.restart();
    for (int i = 1; i <= form.ImageList3->Count(); ++i)
        form.ImageList3->Item(i).pixmap(QSize(32, 32));
    std::printf("every picture exported and read:        %9.1f ms\n", paint.nsecsElapsed() / 1e6);
    form.hide();

    t.directory->AddGroup("Admins", {"tester"});
    modMain::SeatUser(t.ctx, QStringLiteral("tester"));
    const double adminMs = BestMs(runs, [&] { modMain::RefreshLauncherList(t.ctx); });
    std::printf("BuildLauncherList, administrator (%d items): %9.1f ms\n", form.ListView1->Count(),
                adminMs);
    if (parser.isSet("growth"))
        Growth(runs, parser.value("growth").toInt());
    return 0;
}
