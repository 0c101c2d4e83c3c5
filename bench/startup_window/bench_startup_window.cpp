// Launch to first painted frame of the real executable, for an administrator and for a user,
// at 1,000, 10,000 and 50,000 programs, against two programs started the same way in the
// same run: a bare QMainWindow, and the floor, a plain read of the programs' names from the
// same catalogue shown in a QListView. Each round starts the bare window, the floor and the
// program for both roles, in an order that turns by one place every round. Prints the medians
// of the rounds and their ratios, and the median (with the quartiles) of each round's own
// ratio of the program to the floor: a machine that slows down for a while slows both sides
// of that ratio alike.
//
//   bench_startup_window [--runs N] [--sizes 1000,10000,50000]
//   bench_startup_window --prepare DIR [--sizes N] [--user]   (a folder to profile one start)
//
// Run as root: every program runs as the user nobody (setpriv), whose own folder in /dev/shm
// holds the catalogue and, as for any personal catalogue, its settings. The administrators'
// group is nobody's group for the administrator and another group for the user, who is
// granted every program through a rule of his group. QT_QPA_PLATFORM is passed on
// (offscreen unless set; under Xvfb set DISPLAY and QT_QPA_PLATFORM=xcb).
#include "catalogue/CatalogStore.h"
#include "platform/AppPaths.h"
#include "settings/RegistryStore.h"
#include "widgets/FirstPaint.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QListView>
#include <QMainWindow>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringListModel>
#include <QSysInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr unsigned kNobody = 65534;

// The child modes: a window that says "painted" on its first frame and ends.
int ShowAndReport(QWidget& window) {
    ExitAfterFirstPaint(window);
    window.resize(780, 500);
    window.show();
    return QApplication::exec();
}

int Bare(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    return ShowAndReport(window);
}

int Floor(int argc, char* argv[], const QString& database) {
    QApplication app(argc, argv);
    QStringList names;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        db.setDatabaseName(database);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open())
            return 3;
        QSqlQuery query(db);
        query.setForwardOnly(true);
        query.exec(QStringLiteral("SELECT program_name FROM programs ORDER BY name_key"));
        while (query.next())
            names.append(query.value(0).toString());
    }
    QMainWindow window;
    auto* list = new QListView(&window);
    list->setModel(new QStringListModel(names, list));
    window.setCentralWidget(list);
    return ShowAndReport(window);
}

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "bench set-up failed: %s\n", what);
        std::exit(1);
    }
}

// An application folder of nobody's with `programs` programs, each granted to nobody's
// group; `admin` makes that group the administrators'.
void MakeAppDir(const QString& dir, int programs, bool admin) {
    AppPaths paths(dir, dir + QStringLiteral("/cache/pictures"));
    Check(paths.EnsureFiles().isEmpty(), "application folder");
    {
        CatalogStore catalog;
        catalog.OpenDatabase(paths.DatabaseFile());
        Check(catalog.AddGroup(QStringLiteral("nogroup")), "group");
        for (int i = 0; i < programs; ++i) {
            const QString name = QStringLiteral("Program %1").arg(i, 6, 10, QLatin1Char('0'));
            Check(catalog.AddProgram(name, name, QStringLiteral("/opt/p%1").arg(i), QString(),
                                     QStringLiteral("/opt"), QString()),
                  "program");
            Check(
                catalog.AddPermission(QStringLiteral("nogroup"), 1, name, CatalogStore::KindGroup),
                "rule");
        }
        Check(catalog.AddFolder(QStringLiteral("Share"), QStringLiteral("/srv/share")), "folder");
    }
    RegistryStore settings(dir + QStringLiteral("/settings.ini"), 0);
    const int hklm = RegistryStore::HKEY_LOCAL_MACHINE_;
    settings.CreateKey(hklm, RegistryStore::kSettingsKey);
    settings.SetValue(hklm, RegistryStore::kSettingsKey, "5", QSysInfo::machineHostName());
    settings.SetValue(hklm, RegistryStore::kSettingsKey, "6",
                      admin ? QStringLiteral("nogroup") : QStringLiteral("root"));
    QProcess::execute(QStringLiteral("chown"),
                      {QStringLiteral("-R"), QStringLiteral("%1:%1").arg(kNobody), dir});
}

// Milliseconds from starting `arguments` as nobody to its "painted".
double LaunchToPaint(const QStringList& arguments, const QString& cache) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CACHE_HOME"), cache);
    env.insert(QStringLiteral("HOME"), cache);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), cache);
    child.setProcessEnvironment(env);
    QStringList all{QStringLiteral("--reuid=%1").arg(kNobody),
                    QStringLiteral("--regid=%1").arg(kNobody), QStringLiteral("--clear-groups")};
    all += arguments;
    QElapsedTimer timer;
    timer.start();
    child.start(QStringLiteral("setpriv"), all);
    QByteArray out;
    while (!out.contains("painted") && child.waitForReadyRead(120000))
        out += child.readAllStandardOutput();
    const double ms = timer.nsecsElapsed() / 1e6;
    child.waitForFinished(120000);
    if (!out.contains("painted")) {
        std::fprintf(stderr, "%s did not paint: %s\n", qPrintable(arguments.join(' ')),
                     child.readAllStandardError().constData());
        std::exit(1);
    }
    return ms;
}

// The value below which a share `q` (0 to 1) of `values` lies, interpolated between ranks.
double Quantile(QList<double> values, double q) {
    std::sort(values.begin(), values.end());
    const double rank = q * static_cast<double>(values.size() - 1);
    const auto below = static_cast<qsizetype>(rank);
    const qsizetype above = std::min(below + 1, values.size() - 1);
    return values.at(below) +
           (rank - static_cast<double>(below)) * (values.at(above) - values.at(below));
}

double Median(const QList<double>& values) {
    return Quantile(values, 0.5);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc >= 2 && qstrcmp(argv[1], "--bare") == 0)
        return Bare(argc, argv);
    if (argc >= 3 && qstrcmp(argv[1], "--floor") == 0)
        return Floor(argc, argv, QString::fromLocal8Bit(argv[2]));

    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({"runs", "paired runs per size and role (the median is shown)", "N", "5"});
    parser.addOption({"sizes", "catalogue sizes", "LIST", "1000,10000,50000"});
    parser.addOption({"prepare",
                      "only make nobody's application folder DIR with the first size's "
                      "programs, for an administrator (or a user with --user), and end; for "
                      "profiling one start",
                      "DIR"});
    parser.addOption({"user", "with --prepare: the folder of a user who is no administrator"});
    parser.addHelpOption();
    parser.process(app);
    Check(geteuid() == 0, "run as root (the programs run as nobody)");
    if (parser.isSet("prepare")) {
        MakeAppDir(parser.value("prepare"), parser.value("sizes").split(u',').first().toInt(),
                   !parser.isSet("user"));
        return 0;
    }
    const int runs = std::max(1, parser.value("runs").toInt());
    const QString self = QCoreApplication::applicationFilePath();
    QTemporaryDir root(QStringLiteral("/dev/shm/bench-startup-XXXXXX"));
    Check(root.isValid() && ::chmod(QFile::encodeName(root.path()).constData(), 0755) == 0,
          "temporary folder");

    std::printf("platform %s; medians of %d rounds, launch to first painted frame; paired: "
                "the median of each round's app/floor (quartiles)\n",
                qgetenv("QT_QPA_PLATFORM").constData(), runs);
    std::printf("%8s %6s %9s %9s %9s %8s %8s %8s %17s\n", "programs", "role", "bare ms", "floor ms",
                "app ms", "app/bare", "flr/bare", "app/flr", "paired app/flr");
    for (const QString& size : parser.value("sizes").split(u',')) {
        const int programs = size.toInt();
        // Both roles' catalogues hold the same programs, and every run starts all four programs
        // one after the other: a machine that slows down for a while slows all of them.
        struct Role {
            bool admin;
            QString dir;
            QList<double> full;
        } roles[] = {{true, root.filePath(size + QStringLiteral("-a")), {}},
                     {false, root.filePath(size + QStringLiteral("-u")), {}}};
        const auto launch = [](const Role& role) {
            return LaunchToPaint(
                {QStringLiteral(ORV_EXECUTABLE), "--app-dir", role.dir, "--exit-after-first-paint"},
                role.dir + QStringLiteral("/cache"));
        };
        for (Role& role : roles) {
            MakeAppDir(role.dir, programs, role.admin);
            launch(role); // the first start exports the pictures
        }
        const QString cache = roles[0].dir + QStringLiteral("/cache");
        const QString database = roles[0].dir + QStringLiteral("/database/Orvane.mdb");
        QList<double> bare, floor;
        const std::function<void()> starts[] = {
            [&] {
                bare << LaunchToPaint({self, "--bare"}, cache);
            },
            [&] {
                floor << LaunchToPaint({self, "--floor", database}, cache);
            },
            [&] { roles[0].full << launch(roles[0]); }, [&] { roles[1].full << launch(roles[1]); }};
        constexpr int kStarts = std::size(starts);
        for (int r = 0; r < runs; ++r)
            for (int i = 0; i < kStarts; ++i)
                starts[(r + i) % kStarts]();
        const double b = Median(bare), f = Median(floor);
        for (const Role& role : roles) {
            const double a = Median(role.full);
            QList<double> paired;
            for (int r = 0; r < runs; ++r)
                paired << role.full.at(r) / floor.at(r);
            std::printf("%8d %6s %9.1f %9.1f %9.1f %8.2f %8.2f %8.2f %5.2f (%.2f-%.2f)\n", programs,
                        role.admin ? "admin" : "user", b, f, a, a / b, f / b, a / f, Median(paired),
                        Quantile(paired, 0.25), Quantile(paired, 0.75));
        }
        std::fflush(stdout);
    }
    return 0;
}
