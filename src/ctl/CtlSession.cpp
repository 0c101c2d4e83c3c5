#include "ctl/CtlSession.h"

#include "access/AccessEvaluation.h"
#include "ctl/CtlArgs.h"
#include "directory/DomainDirectory.h"
#include "directory/LocalDirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>
#include <optional>
#include <vector>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

// The id of the local (NSS) account `name`, if there is one.
std::optional<unsigned> LocalUid(const QString& name) {
#ifdef _WIN32
    Q_UNUSED(name);
    return std::nullopt;
#else
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwnam_r(name.toLocal8Bit().constData(), &entry, buffer.data(), buffer.size(), &found) !=
            0 ||
        found == nullptr)
        return std::nullopt;
    return found->pw_uid;
#endif
}

} // namespace

CtlSession::CtlSession(const QString& appDir, AppContext::CatalogueUse use) : mUse(use) {
    const QFileInfo folder(appDir);
    if (!folder.isDir())
        throw Refusal{QStringLiteral("the application folder %1 does not exist").arg(appDir)};
    mCtx.paths = AppPaths::FromArguments(
        {QString(), QStringLiteral("--app-dir"), folder.absoluteFilePath()});
    mCtx.account = std::make_unique<OsAccount>();
    mCtx.UseRunServices();
}

CatalogStore& CtlSession::Catalog() {
    if (!mCatalogueOpen) {
        mCtx.OpenCatalogue(mUse);
        mCatalogueOpen = true;
    }
    return mCtx.Catalog();
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
    return modMain::IsAdministrator(mCtx, CallerName());
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

void CtlSession::UseSettingsOf(const QString& user) {
    std::unique_ptr<RegistryStore> his =
        RegistryStore::ForAppDirOf(mCtx.paths.AppDir(), LocalUid(user).value_or(0));
    if (his->File() == Registry().File() && his->OwnerUid() == Registry().OwnerUid())
        return;
    mCtx.registry = std::move(his);
    mCtx.directory = std::make_unique<DomainDirectory>(
        *mCtx.registry, std::make_unique<LocalDirectory>(), QSysInfo::machineHostName());
}

void CtlSession::ActAs(const QString& user) {
    UseSettingsOf(user);
    Catalog(); // where his settings say
    mSeatedGroups = modMain::SeatUser(mCtx, user);
    mCtx.permissions = std::make_unique<PermissionSet>();
    modMain::LoadPermissions(mCtx, *mSeatedGroups);
}
