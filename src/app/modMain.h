#pragma once

#include <QString>
#include <functional>

class AppContext;
class frmSetup;
class frmSplash;

namespace modMain {

// How start-up shows its modal setup window; tests answer it without an event loop.
struct StartupHooks {
    std::function<void(frmSetup&)> showSetup;
};

// What start-up ended in: the main window is shown and the event loop should run, or the
// program ends with the status given.
struct StartupOutcome {
    bool mainWindowShown = false;
    int exitCode = 0;
};

// The start-up sequence: catalogue, theme, colour depth, splash, services, settings (with
// the setup window on a first run), user, permissions and the launcher list. Errors that no
// stage traps propagate as OrvError to the caller's fatal-error handler.
StartupOutcome Main(AppContext& ctx, const StartupHooks& hooks = {});

// Makes `themeName` the current theme when `useGiven` is true, else the catalogue's default
// theme. A catalogue error is shown and the current theme stays.
void SetCurrentTheme(AppContext& ctx, const QString& themeName, bool& useGiven);
bool IsLowColor(const AppContext& ctx);
// True when the desktop runs at 8 bits per pixel.
bool CheckLowColor(AppContext& ctx);

// The program's entry: builds the production context and runs Main and the event loop.
int Run(int argc, char* argv[]);

} // namespace modMain
