#pragma once

#include "platform/Text.h"

#include <QList>
#include <QString>

// UpperProgram is the program name in the form names compare in, worked out once when the
// rule is added rather than on every build of the launcher list.
struct GroupRule {
    QString GroupName;
    QString ProgramName;
    short Status = 0;
    QString UpperProgram = UpperProgramName(ProgramName);
};

struct UserRule {
    QString UserName;
    QString ProgramName;
    short Status = 0;
    QString UpperProgram = UpperProgramName(ProgramName);
};

// Strings and a number: a growing list moves its rules with a memory copy.
Q_DECLARE_TYPEINFO(GroupRule, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(UserRule, Q_RELOCATABLE_TYPE);

// The current user's rules, collected once at start-up; kept in the order they were added.
class PermissionSet {
public:
    void AddGroupRule(const QString& group, const QString& program, short status);
    void AddUserRule(const QString& currentUser, const QString& ruleUser, const QString& program,
                     short status);
    // Copies: a caller may remove rules from its copy.
    QList<GroupRule> GetGroupRules() const { return mGroupRules; }
    QList<UserRule> GetUserRules() const { return mUserRules; }

private:
    QList<GroupRule> mGroupRules;
    QList<UserRule> mUserRules;
};
