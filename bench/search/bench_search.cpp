// One keystroke in the main window's Find box over a list of 10,000 programs: from the key
// press to the window's next frame painted (the search, the list's new layout and the paint),
// against the 16 ms of a frame at 60 Hz and against the search alone over the same names and
// descriptions. The search is made ready once per build of the list (descriptions read from
// the catalogue, everything folded for comparing), a moment after the list is shown: the first
// keystroke typed before that pays for it and is shown apart.
//
//   bench_search [--programs N] [--runs N]
//
// QT_QPA_PLATFORM is offscreen unless set (under Xvfb set DISPLAY and QT_QPA_PLATFORM=xcb).
#include "access/AccessEvaluation.h"
#include "launcher/LauncherFilter.h"
#include "launcher/LauncherList.h"
#include "launcher/LauncherSearchBar.h"
#include "launcher/frmMain.h"
#include "support/TestContext.h"
#include "widgets/ListView.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <cstdio>

namespace {

constexpr double kFrameMs = 16.0;

const char* const kWords[] = {"Ledger",  "Report", "Viewer",  "Editor", "Legacy", "Business",
                              "Payroll", "Stock",  "Invoice", "Chart",  "Résumé", "Archive"};

double Quantile(QList<double> values, double q) {
    std::sort(values.begin(), values.end());
    return values.at(static_cast<qsizetype>(q * static_cast<double>(values.size() - 1)));
}

void Fill(TestContext& t, int programs) {
    const int root = RegistryStore::HKEY_LOCAL_MACHINE_;
    t.ctx.registry->CreateKey(root, RegistryStore::kSettingsKey);
    t.ctx.registry->SetValue(root, RegistryStore::kSettingsKey, "5", "CORP");
    t.ctx.registry->SetValue(root, RegistryStore::kSettingsKey, "6", "Admins");
    t.directory->AddGroup("Admins", {"tester"});
    modMain::SeatUser(t.ctx, QStringLiteral("tester"));
    for (int i = 0; i < programs; ++i) {
        const QString name = QStringLiteral("%1 %2 %3")
                                 .arg(kWords[i % 12], kWords[(i / 12) % 12])
                                 .arg(i, 5, 10, QLatin1Char('0'));
        const QString description =
            QStringLiteral("Keeps the %1 of department %2").arg(kWords[(i / 7) % 12]).arg(i % 97);
        t.ctx.Catalog().AddProgram(name, description, "/opt/p", {}, {}, {});
    }
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The catalogue is filled a program at a time: on a memory file system that takes seconds.
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        qputenv("TMPDIR", "/dev/shm");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({"programs", "programs in the list", "N", "10000"});
    parser.addOption({"runs", "times each query is typed and erased", "N", "5"});
    parser.addHelpOption();
    parser.process(app);
    const int programs = parser.value("programs").toInt();
    const int runs = std::max(1, parser.value("runs").toInt());

    TestContext t;
    Fill(t, programs);
    frmMain form(t.ctx);
    form.EndProgram = [] {};
    modMain::BuildLauncherList(t.ctx, false);
    form.resize(780, 500);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    QApplication::processEvents();
    QLineEdit* find = form.searchBar->txtFind;

    // A keystroke: the key, then everything it set going until the next frame is painted.
    const auto keystroke = [&](Qt::Key key, char text) {
        QElapsedTimer timer;
        timer.start();
        if (text)
            QTest::keyClick(find, text);
        else
            QTest::keyClick(find, key);
        QCoreApplication::sendPostedEvents();
        form.repaint();
        const double ms = timer.nsecsElapsed() / 1e6;
        // The list lays out the rest of a long result in batches after the frame.
        QApplication::processEvents();
        return ms;
    };

    // The first keystroke at once, which makes the search ready itself; then the first one a
    // moment after a new build, when the window has made it ready meanwhile.
    const double first = keystroke(Qt::Key_unknown, 'l');
    keystroke(Qt::Key_Backspace, 0);
    modMain::RefreshLauncherList(t.ctx);
    QTest::qWait(600);
    const double firstLater = keystroke(Qt::Key_unknown, 'l');
    keystroke(Qt::Key_Backspace, 0);
    const QStringList queries = {"legacy", "ledger 12", "resume", "department 4", "zz"};
    QList<double> typed;
    for (int r = 0; r < runs; ++r)
        for (const QString& query : queries) {
            for (QChar c : query)
                typed << keystroke(Qt::Key_unknown, c.toLatin1());
            for (qsizetype i = 0; i < query.size(); ++i)
                typed << keystroke(Qt::Key_Backspace, 0);
        }

    // The search alone, over the same list, and what preparing it once costs.
    QElapsedTimer prepare;
    prepare.start();
    const QHash<QString, QString> descriptions = t.ctx.Catalog().GetProgramDescriptions();
    const double readMs = prepare.nsecsElapsed() / 1e6;
    prepare.restart();
    LauncherFilter filter;
    QList<LauncherFilter::Entry> entries;
    for (int i = 1; i <= form.ListView1->Count(); ++i)
        entries.append({QString::number(i), form.ListView1->Text(i), QString()});
    for (qsizetype i = 0; i < entries.size(); ++i)
        entries[i].description = descriptions.value(entries.at(i).name);
    filter.SetEntries(entries);
    const double foldMs = prepare.nsecsElapsed() / 1e6;
    QList<double> alone;
    qsizetype matched = 0;
    for (int r = 0; r < runs; ++r)
        for (const QString& query : queries)
            for (qsizetype n = 1; n <= query.size(); ++n) {
                QElapsedTimer timer;
                timer.start();
                const QList<int> shown =
                    filter.Shown(LauncherFilter::AllItems, query.left(n), {}, {}, 10);
                alone << timer.nsecsElapsed() / 1e6;
                matched += shown.size();
            }

    const double median = Quantile(typed, 0.5);
    std::printf("platform %s; %d programs; %lld keystrokes (typing and erasing %lld queries, %d "
                "rounds)\n",
                qgetenv("QT_QPA_PLATFORM").constData(), form.ListView1->Count(),
                static_cast<long long>(typed.size()), static_cast<long long>(queries.size()), runs);
    std::printf("%-34s %8s %8s %8s %10s\n", "", "median", "p90", "max", "median/16ms");
    std::printf("%-34s %8.2f %8.2f %8.2f %10.2f\n", "keystroke to painted frame (ms)", median,
                Quantile(typed, 0.9), Quantile(typed, 1.0), median / kFrameMs);
    std::printf("%-34s %8.2f %8.2f %8.2f %10.2f\n", "search alone (ms)", Quantile(alone, 0.5),
                Quantile(alone, 0.9), Quantile(alone, 1.0), Quantile(alone, 0.5) / kFrameMs);
    std::printf("first keystroke at once: %.2f ms (%.2f of a frame), making the search ready "
                "(reading the descriptions %.2f ms, folding names and descriptions %.2f ms)\n",
                first, first / kFrameMs, readMs, foldMs);
    std::printf("first keystroke 0.6 s after the list was built: %.2f ms (%.2f of a frame)\n",
                firstLater, firstLater / kFrameMs);
    std::printf("keystroke / search alone: %.2f (%lld matches counted)\n",
                median / Quantile(alone, 0.5), static_cast<long long>(matched));
    return 0;
}
