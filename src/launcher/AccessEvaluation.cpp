#include "launcher/AccessEvaluation.h"

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

bool IsAdministrator(AppContext& ctx) {
    const QString adminGroup = GetAdminGroup(ctx);
    return ListsExactly(CurrentUserGroups(ctx), adminGroup);
}

bool IsUserInGroup(AppContext& ctx, const QString& group) {
    return ListsExactly(CurrentUserGroups(ctx), group);
}

bool LoadPermissions(AppContext& ctx) {
    if (ctx.gIsAdmin)
        return true;
    const QStringList groups = CurrentUserGroups(ctx);
    // Within a start's read scope, all of them in one read, with the user's own name, which
    // the list looks up as a group for the programs his own rules allow.
    ctx.Catalog().PrefetchGroupPermissions(groups + QStringList{ctx.gUserName.toString()});
    for (qsizetype g = 1; g <= Count(groups); ++g) {
        const QString& group = Item(groups, g);
        Recordset rs = ctx.Catalog().GetGroupPermissions(group);
        if (rs.RecordCount() > 0) {
            const qsizetype program = rs.FieldIndex(QStringLiteral("Program_Name"));
            const qsizetype status = rs.FieldIndex(QStringLiteral("Status"));
            rs.MoveFirst();
            for (long r = 0; r < rs.RecordCount(); ++r) {
                ctx.permissions->AddGroupRule(group, TrimSpaces(rs.Field(program).toString()),
                                              static_cast<short>(rs.Field(status).toInt()));
                rs.MoveNext();
            }
        }
        rs.Close();
    }
    const QString user = ctx.gUserName.toString();
    Recordset rs = ctx.Catalog().GetUserPermissions(user, ctx.gUserSid.toString());
    if (rs.RecordCount() > 0) {
        const qsizetype ruleUser = rs.FieldIndex(QStringLiteral("Username"));
        const qsizetype program = rs.FieldIndex(QStringLiteral("PrgName"));
        const qsizetype status = rs.FieldIndex(QStringLiteral("Status"));
        rs.MoveFirst();
        for (long r = 0; r < rs.RecordCount(); ++r) {
            ctx.permissions->AddUserRule(user, TrimSpaces(rs.Field(ruleUser).toString()),
                                         TrimSpaces(rs.Field(program).toString()),
                                         static_cast<short>(rs.Field(status).toInt()));
            rs.MoveNext();
        }
    }
    rs.Close();
    return true;
}

} // namespace modMain
