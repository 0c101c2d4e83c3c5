#pragma once

#include <QList>
#include <QString>

// UpperProgram is the program name as names compare (trimmed, in upper case), as the
// catalogue hands it with the rule: the launcher list compares by it on every build.
struct GroupRule {
    QString GroupName;
    QString ProgramName;
    short Status = 0;
    QString UpperProgram;
};

struct UserRule {
    QString UserName;
    QString ProgramName;
    short Status = 0;
    QString UpperProgram;
};

// Strings and a number: a growing list moves its rules with a memory copy.
Q_DECLARE_TYPEINFO(GroupRule, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(UserRule, Q_RELOCATABLE_TYPE);

// The current user's rules, collected once at start-up; kept in the order they were added.
class PermissionSet {
public:
    void Add(GroupRule rule) { mGroupRules.append(std::move(rule)); }
    void Add(UserRule rule) { mUserRules.append(std::move(rule)); }
    const QList<GroupRule>& GetGroupRules() const { return mGroupRules; }
    const QList<UserRule>& GetUserRules() const { return mUserRules; }

private:
    QList<GroupRule> mGroupRules;
    QList<UserRule> mUserRules;
};
