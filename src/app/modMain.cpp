#include "app/modMain.h"

#include "access/AccessEvaluation.h"
#include "admin/CatalogueMenu.h"
#include "admin/ReportMenu.h"
#include "admin/SecurityMenu.h"
#include "admin/frmSetup.h"
#include "app/StartupWarmUp.h"
#include "app/frmSplash.h"
#include "launcher/LauncherList.h"
#include "launcher/Launching.h"
#include "launcher/LiveList.h"
#include "launcher/frmMain.h"
#include "mail/SupportMenu.h"
#include "platform/OrvError.h"
#include "services/AppContext.h"
#include "themes/ThemeMenu.h"
#include "widgets/AccessibleRoles.h"
#include "widgets/FatalError.h"
#include "widgets/FirstPaint.h"
#include "widgets/ListView.h"
#include "widgets/QtPrompt.h"

#include <QApplication>
#include <QScopeGuard>
#include <cstdio>
#include <optional>

namespace modMain {
namespace {

void ShowStartupFailure(AppContext& ctx, const QString& text) {
    ctx.prompt->MsgBox(text, PromptButtons::Ok, PromptIcon::Critical, QStringLiteral("Error"));
}

void AskFirstRunSettings(AppContext& ctx, const StartupHooks& hooks) {
    const int root = RegistryStore::HKEY_LOCAL_MACHINE_;
    if (ctx.registry->KeyExists(root, RegistryStore::kSettingsKey))
        return;
    ctx.registry->CreateKey(root, RegistryStore::kSettingsKey);
    frmSetup setup(ctx);
    setup.loadDomains();
    if (hooks.showSetup)
        hooks.showSetup(setup);
    else
        setup.exec();
}

// The side-menu items whose windows live in the administration library, which the main
// window's own library cannot reach.
void RegisterAdministrationWindows(AppContext& ctx, frmMain& form) {
    form.SetMenuWindow(QStringLiteral("H14"), [&ctx, &form] {
        frmSetup setup(ctx, &form);
        setup.loadDomains();
        setup.exec();
    });
    RegisterCatalogueWindows(ctx, form);
    RegisterSupportWindows(ctx, form);
    RegisterThemeWindows(ctx, form, &SetCurrentTheme);
    RegisterReportWindows(ctx, form);
    RegisterSecurityWindows(ctx, form);
}

} // namespace

StartupOutcome Main(AppContext& ctx, const StartupHooks& hooks) {
    // The settings say whether the catalogue is the local file or a shared server.
    ctx.OpenCatalogue();

    bool useGiven = false;
    SetCurrentTheme(ctx, QString(), useGiven);
    ctx.gLowColor = CheckLowColor(ctx);

    auto splash = std::make_unique<frmSplash>(ctx);
    splash->show();
    QApplication::processEvents();
    splash->ChangeImages(1);

    ctx.UseRunServices();
    splash->ChangeImages(2);

    AskFirstRunSettings(ctx, hooks);
    splash->ChangeImages(3);

    const QStringList groups = SeatUser(ctx, GetLoggedOnUser(ctx));
    splash->ChangeImages(4);

    // The permission set and the list read each principal's rules once.
    auto scope = std::make_optional<CatalogStore::ReadScope>(ctx.Catalog());
    if (!LoadPermissions(ctx, groups)) {
        ShowStartupFailure(ctx, QStringLiteral("Unable to complete start up, closing out"));
        return {false, 1};
    }
    splash->ChangeImages(5);

    // Stages 9 and 10: the launcher list and the main window.
    if (!BuildLauncherList(ctx, false, groups)) {
        ShowStartupFailure(ctx, QStringLiteral("Unable to complete the start up, closing out"));
        return {false, 1};
    }
    scope.reset();
    splash->ChangeImages(6);
    frmMain& form = MainForm(ctx);
    RegisterAdministrationWindows(ctx, form);
    splash.reset();
    form.show();
    StartLiveList(ctx, form, groups);
    return {true, 0};
}

void SetCurrentTheme(AppContext& ctx, const QString& themeName, bool& useGiven) {
    try {
        ctx.gThemeName = useGiven ? themeName : ctx.Catalog().GetDefaultTheme();
    } catch (const OrvError& error) {
        ctx.prompt->MsgBox(QStringLiteral("%1, %2").arg(error.Number()).arg(error.Description()),
                           PromptButtons::Ok, PromptIcon::Exclamation, error.Source());
    }
}

bool IsLowColor(const AppContext& ctx) {
    return ctx.gLowColor;
}

bool CheckLowColor(AppContext& ctx) {
    long width = 0, height = 0, bitsPerPixel = 0;
    ctx.display->GetScreenInfo(width, height, bitsPerPixel);
    return bitsPerPixel == 8;
}

namespace {

bool HasDisplay() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
           qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

// What the window's list shows, one item a line, for a site's checks from a script.
void PrintList(AppContext& ctx) {
    const ListView& list = *MainForm(ctx).ListView1;
    for (int i = 1; i <= list.Count(); ++i)
        std::printf("%s\n", qPrintable(list.Text(i)));
    std::fflush(stdout);
}

// --help and --version answer at once, without a display or a catalogue.
std::optional<int> AnswerAtOnce(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray option = argv[i];
        if (option == "--version") {
            std::printf("tessaro-orvane %d.%d\n", ORV_VERSION_MAJOR, ORV_VERSION_MINOR);
            return 0;
        }
        if (option == "--help" || option == "-h") {
            std::printf("Usage: %s [--app-dir DIR] [--exit-after-first-paint [--print-list]]\n"
                        "Starts the programs the catalogue's rules allow you, in one window.\n"
                        "  --app-dir DIR              the application folder: the catalogue in\n"
                        "                             DIR/database/Orvane.mdb (default: %s for an\n"
                        "                             installed launcher, else its own folder)\n"
                        "  --exit-after-first-paint   end once the window has been drawn\n"
                        "  --print-list               with it, print the list's items first\n"
                        "  --help, --version          this text, the version\n"
                        "Who administers it is set in %s (see orvanectl settings).\n",
                        argv[0], qPrintable(AppPaths::kSiteFolder),
                        qPrintable(RegistryStore::MachineFile()));
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace

int Run(int argc, char* argv[]) {
    if (const std::optional<int> answered = AnswerAtOnce(argc, argv))
        return *answered;
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "Tessaro Orvane needs a display. Without one, run it under a "
                     "virtual X display:\n  xvfb-run -a %s\n",
                     argv[0]);
        return 2;
    }
    StartupWarmUp warmUp;
    OrvApplication app(argc, argv);
    AccessibleRoles::Install();
    warmUp.FillFontDatabase();
    // Declared after the application object, so it ends first: Qt's font work must not
    // outlive the application.
    const auto warmUpDone = qScopeGuard([&warmUp] { warmUp.Finish(); });
    QApplication::setApplicationName(QStringLiteral("Tessaro Orvane"));
    QApplication::setOrganizationName(QStringLiteral("Brindlecove"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2").arg(ORV_VERSION_MAJOR).arg(ORV_VERSION_MINOR));

    AppContext ctx;
    ctx.paths = AppPaths::FromArguments(QApplication::arguments());
    ctx.prompt = std::make_unique<QtPrompt>();
    ctx.UsePlatformDefaults();
    try {
        const QString problem = ctx.paths.EnsureFiles();
        if (!problem.isEmpty())
            throw OrvError(ErrorNumber::FileNotFound, problem, QStringLiteral("Tessaro Orvane"));
        const StartupOutcome outcome = Main(ctx);
        if (!outcome.mainWindowShown)
            return outcome.exitCode;
        const QStringList arguments = QApplication::arguments();
        auto* mainWindow = qobject_cast<QWidget*>(ctx.mainWindow.data());
        if (arguments.contains(QStringLiteral("--exit-after-first-paint")) && mainWindow)
            ExitAfterFirstPaint(*mainWindow, arguments.contains(QStringLiteral("--print-list"))
                                                 ? std::function<void()>([&ctx] { PrintList(ctx); })
                                                 : std::function<void()>());
        return QApplication::exec();
    } catch (const OrvError& error) {
        ReportFatalError(error);
    } catch (const std::exception& error) {
        ReportFatalError(error);
    }
}

} // namespace modMain
