#include "ctl/CtlSession.h"

#include "ctl/CtlArgs.h"
#include "launcher/AccessEvaluation.h"
#include "services/DomainDirectory.h"
#include "services/LocalDirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

#ifndef _WIN32
#include <unistd.h>
#endif

CtlSession::CtlSession(const QString& appDir) {
    const QFileInfo folder(appDir);
    if (!folder.isDir())
        throw Refusal{QStringLiteral("the application folder %1 does not exist").arg(appDir)};
    mCtx.paths = AppPaths::FromArguments(
        {QString(), QStringLiteral("--app-dir"), folder.absoluteFilePath()});
    mCtx.account = std::make_unique<OsAccount>();
    mCtx.OpenCatalogue();
    mCtx.directory = std::make_unique<DomainDirectory>(
        *mCtx.registry, std::make_unique<LocalDirectory>(), QSysInfo::machineHostName());
    mCtx.permissions = std::make_unique<PermissionSet>();
}

QString CtlSession::Domain() {
    return modMain::GetDomain(mCtx);
}

QString CtlSession::AdminGroup() {
    return modMain::GetAdminGroup(mCtx);
}

QString CtlSession::CallerName() {
    // As the launcher names him: the directory's name for the account of the process.
    if (mCallerName.isEmpty())
        mCallerName = Directory().GetAccountName(Domain(), mCtx.account->LogonName(), false);
    return mCallerName;
}

bool CtlSession::CallerIsAdministrator() {
#ifndef _WIN32
    // Root may change the catalogue and the machine's settings files anyway.
    if (geteuid() == 0)
        return true;
#endif
    const QVariant seated = mCtx.gUserName;
    mCtx.gUserName = CallerName();
    const bool admin = modMain::IsAdministrator(mCtx);
    mCtx.gUserName = seated;
    return admin;
}

void CtlSession::RequireAdministrator() {
    if (CallerIsAdministrator())
        return;
    const QString group = AdminGroup();
    throw Refusal{
        group.isEmpty()
            ? QStringLiteral("%1 may not change the launcher: no administrators' group is set "
                             "in %2 (orvanectl settings set admin-group GROUP)")
                  .arg(CallerName(), Registry().File())
            : QStringLiteral("%1 may not change the launcher: only members of the "
                             "administrators' group \"%2\" may")
                  .arg(CallerName(), group)};
}

void CtlSession::ActAs(const QString& user) {
    mCtx.gUserName = Directory().GetAccountName(Domain(), user, false);
    mCtx.gUserSid = Directory().GetAccountSid(Domain(), mCtx.gUserName.toString(), false);
    mCtx.gIsAdmin = modMain::IsAdministrator(mCtx);
    mCtx.permissions = std::make_unique<PermissionSet>();
    modMain::LoadPermissions(mCtx);
}
