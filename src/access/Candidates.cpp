#include "access/Candidates.h"

#include "services/AppContext.h"

#include <QSet>

namespace modMain {

CandidateSet CollectCandidates(AppContext& ctx) {
    CandidateSet set;
    QSet<QString> named;
    auto add = [&](const QString& key, const QString& program, const QString& principal,
                   short type) {
        const qsizetype before = named.size();
        named.insert(key);
        if (named.size() == before)
            return;
        set.entries.append(clsProgram(program, principal, type));
        set.keys.append(key);
    };

    // Every rule is looked at once, in order. Deny rules add nothing, and nothing after this
    // reads the collection, so they are passed over rather than removed: removing each from
    // the list made the step grow with the square of the rules.
    const QList<GroupRule> groupRules = ctx.permissions->GetGroupRules();
    const QList<UserRule> userRules = ctx.permissions->GetUserRules();
    named.reserve(groupRules.size() + userRules.size());
    set.entries.reserve(groupRules.size() + userRules.size());
    set.keys.reserve(groupRules.size() + userRules.size());
    for (const GroupRule& rule : groupRules)
        if (rule.Status == 1)
            add(rule.UpperProgram, rule.ProgramName, rule.GroupName, clsProgram::FromGroupRule);
    for (const UserRule& rule : userRules)
        if (rule.Status == 1)
            add(rule.UpperProgram, rule.ProgramName, rule.UserName, clsProgram::FromUserRule);
    return set;
}

QList<clsProgram> CandidateEntries(AppContext& ctx) {
    return CollectCandidates(ctx).entries;
}

} // namespace modMain
