#include "services/PermissionSet.h"

void PermissionSet::AddGroupRule(const QString& group, const QString& program, short status) {
    mGroupRules.append({group, program, status});
}

void PermissionSet::AddUserRule(const QString& currentUser, const QString& ruleUser,
                                const QString& program, short status) {
    Q_UNUSED(currentUser) // the rules already belong to the current user
    mUserRules.append({ruleUser, program, status});
}
