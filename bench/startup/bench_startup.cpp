// Times the start-up sequence on an empty catalogue with the machine's real accounts, against
// the time it takes just to create and open that catalogue, in the same run.
#include "app/modMain.h"
#include "directory/LocalDirectory.h"
#include "platform/FileTrust.h"
#include "services/AppContext.h"
#include "support/ScriptedPrompt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSysInfo>
#include <QTemporaryDir>
#include <cstdio>

namespace {

AppContext MakeContext(const QString& root) {
    AppContext ctx;
    ctx.paths = AppPaths(root + "/app", root + "/pictures");
    ctx.paths.EnsureFiles();
    ctx.prompt = std::make_unique<ScriptedPrompt>();
    ctx.UsePlatformDefaults();
    ctx.registry = std::make_unique<RegistryStore>(root + "/system.ini", EffectiveUid());
    ctx.directory = std::make_unique<LocalDirectory>();
    const int hklm = RegistryStore::HKEY_LOCAL_MACHINE_;
    ctx.registry->CreateKey(hklm, RegistryStore::kSettingsKey);
    ctx.registry->SetValue(hklm, RegistryStore::kSettingsKey, "5", QSysInfo::machineHostName());
    ctx.registry->SetValue(hklm, RegistryStore::kSettingsKey, "6", "root");
    return ctx;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    constexpr int kRuns = 5;
    qint64 startupNs = 0, openNs = 0;
    for (int run = 0; run < kRuns; ++run) {
        {
            QTemporaryDir dir;
            AppContext ctx = MakeContext(dir.path());
            QElapsedTimer timer;
            timer.start();
            ctx.Catalog().OpenDatabase(ctx.paths.DatabaseFile());
            openNs += timer.nsecsElapsed();
        }
        {
            QTemporaryDir dir;
            AppContext ctx = MakeContext(dir.path());
            QElapsedTimer timer;
            timer.start();
            modMain::Main(ctx);
            startupNs += timer.nsecsElapsed();
        }
    }
    const double startupMs = startupNs / 1e6 / kRuns;
    const double openMs = openNs / 1e6 / kRuns;
    std::printf("start-up to the end of the splash, empty catalogue: %.1f ms\n", startupMs);
    std::printf("creating and opening the empty catalogue alone:     %.1f ms\n", openMs);
    std::printf("ratio: %.1f\n", startupMs / openMs);
    return 0;
}
