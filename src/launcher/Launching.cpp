#include "launcher/Launching.h"

#include "platform/OrvError.h"
#include "platform/Text.h"
#include "services/AppContext.h"

#include <QGuiApplication>

namespace modMain {
namespace {

// The hourglass while the request is made; restored on every way out.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
};

template <class Action> bool WithLaunchTrap(AppContext& ctx, const QString& name, Action action) {
    try {
        BusyCursor busy;
        action();
        return true;
    } catch (const OrvError& error) {
        // One report: what could not be started, then why, so the user reads both at once.
        ctx.prompt->MsgBox(QStringLiteral("Unable to execute program : ") + TrimSpaces(name) +
                               QStringLiteral(". Error Follows") + QStringLiteral("\n\n") +
                               error.Description(),
                           PromptButtons::Ok, PromptIcon::Exclamation, QStringLiteral("Error"));
        return false;
    }
}

} // namespace

bool LaunchProgram(AppContext& ctx, const QString& name, const QString& startIn,
                   const QString& parameters) {
    return WithLaunchTrap(ctx, name, [&] {
        const QString path = TrimSpaces(ctx.Catalog().GetProgramPath(TrimSpaces(name)));
        ctx.shell->Execute(path, parameters, startIn);
    });
}

bool OpenFolder(AppContext& ctx, const QString& name, const QString& path) {
    return WithLaunchTrap(ctx, name, [&] { ctx.shell->Open(path); });
}

QString GetLoggedOnUser(AppContext& ctx) {
    return ctx.account->LogonName();
}

} // namespace modMain
