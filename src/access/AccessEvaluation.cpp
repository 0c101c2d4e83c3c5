#include "access/AccessEvaluation.h"

#include "platform/Text.h"
#include "services/AppContext.h"

namespace modMain {

QStringList CurrentUserGroups(AppContext& ctx) {
    return ctx.directory->GetUserGroups(GetDomain(ctx), ctx.gUserName.toString(), false);
}

namespace {

bool ListsExactly(const QStringList& groups, const QString& name) {
    for (qsizetype i = 1; i <= Count(groups); ++i)
        if (Item(groups, i) == name)
            return true;
    return false;
}

} // namespace

QString GetDomain(AppContext& ctx) {
    return ctx.registry
        ->GetValue(RegistryStore::HKEY_LOCAL_MACHINE_, RegistryStore::kSettingsKey,
                   QStringLiteral("5"))
        .toString();
}

QString GetAdminGroup(AppContext& ctx) {
    return ctx.registry
        ->GetValue(RegistryStore::HKEY_LOCAL_MACHINE_, RegistryStore::kSettingsKey,
                   QStringLiteral("6"))
        .toString();
}

bool IsAdministrator(AppContext& ctx, const QString& account) {
    return ListsExactly(ctx.directory->GetUserGroups(GetDomain(ctx), account, false),
                        GetAdminGroup(ctx));
}

QStringList SeatUser(AppContext& ctx, const QString& logonName) {
    const QString domain = GetDomain(ctx);
    ctx.gUserName = ctx.directory->GetAccountName(domain, logonName, false);
    ctx.gUserSid = ctx.directory->GetAccountSid(domain, ctx.gUserName.toString(), false);
    const QStringList groups = CurrentUserGroups(ctx);
    ctx.gIsAdmin = ListsExactly(groups, GetAdminGroup(ctx));
    return groups;
}

bool IsUserInGroup(AppContext& ctx, const QString& group) {
    return ListsExactly(CurrentUserGroups(ctx), group);
}

bool LoadPermissions(AppContext& ctx, const QStringList& groups) {
    if (ctx.gIsAdmin)
        return true;
    // Within a start's read scope, all of them in one read, with the user's own name, which
    // the list looks up as a group for the programs his own rules allow.
    CatalogStore& catalog = ctx.Catalog();
    catalog.PrefetchGroupPermissions(groups + QStringList{ctx.gUserName.toString()});
    for (const QString& group : groups)
        for (const CatalogStore::Rule& rule : catalog.GroupRules(group))
            ctx.permissions->Add(GroupRule{group, rule.program, short(rule.status), rule.key});
    const QString user = ctx.gUserName.toString();
    for (const CatalogStore::Rule& rule : catalog.UserRules(user, ctx.gUserSid.toString()))
        ctx.permissions->Add(UserRule{user, rule.program, short(rule.status), rule.key});
    return true;
}

} // namespace modMain
