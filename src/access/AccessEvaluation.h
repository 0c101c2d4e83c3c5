#pragma once

#include <QString>
#include <QStringList>

class AppContext;

// Who is who: the settings read at start-up and the current user's group memberships.
namespace modMain {

// The registry value "5" (the domain) and "6" (the administrators' group) as strings.
QString GetDomain(AppContext& ctx);
QString GetAdminGroup(AppContext& ctx);
// True when the directory lists the administrators' group among the groups of `account` (the
// directory's name for him; exact comparison, letter case included).
bool IsAdministrator(AppContext& ctx, const QString& account);
// Seats the user a run acts for, the same way in every program: the directory's name for
// `logonName` ("kim@CORP.EXAMPLE", "CORP\\kim": his own rules must apply to him), his SID and
// whether he administers the launcher. Returns his groups, asked of the directory once.
QStringList SeatUser(AppContext& ctx, const QString& logonName);
// Collects the current user's group and user rules into the PermissionSet, the group rules
// of `groups` (his groups); nothing for an administrator. Returns true.
bool LoadPermissions(AppContext& ctx, const QStringList& groups);
// The directory's groups of the current user in the configured domain.
QStringList CurrentUserGroups(AppContext& ctx);
// True when the directory lists `group` among the current user's groups, asked afresh.
bool IsUserInGroup(AppContext& ctx, const QString& group);

} // namespace modMain
