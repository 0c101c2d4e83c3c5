#include "access/AccessEvaluator.h"

#include "access/AccessEvaluation.h"
#include "services/AppContext.h"

namespace modMain {
namespace {

// A principal holds at most one rule per program: the index is the rules by name key.
QHash<QString, RuleVerdict> ByProgram(const CatalogStore::Rules& rules) {
    QHash<QString, RuleVerdict> index;
    index.reserve(rules.size());
    for (const CatalogStore::Rule& rule : rules)
        index.insert(rule.key, VerdictOf(rule.status));
    return index;
}

} // namespace

AccessEvaluator::AccessEvaluator(AppContext& ctx, const std::optional<QStringList>& userGroups)
    : mCtx(ctx) {
    if (userGroups)
        mUserGroups = QSet<QString>(userGroups->cbegin(), userGroups->cend());
}

const AccessEvaluator::RulesByProgram& AccessEvaluator::UserRules() {
    if (!mUserRules)
        mUserRules = ByProgram(
            mCtx.Catalog().UserRules(mCtx.gUserName.toString(), mCtx.gUserSid.toString()));
    return *mUserRules;
}

const AccessEvaluator::RulesByProgram& AccessEvaluator::GroupRules(const QString& group) {
    auto found = mGroupRules.constFind(group);
    if (found == mGroupRules.constEnd())
        found = mGroupRules.insert(group, ByProgram(mCtx.Catalog().GroupRules(group)));
    return *found;
}

bool AccessEvaluator::IsMember(const QString& group) {
    if (!mUserGroups) {
        const QStringList groups = CurrentUserGroups(mCtx);
        mUserGroups = QSet<QString>(groups.cbegin(), groups.cend());
    }
    return mUserGroups->contains(group);
}

AccessEvaluator::Admission AccessEvaluator::Admit(const clsProgram& entry, const QString& key) {
    const RuleVerdict user = UserRules().value(key, RuleVerdict::None);
    const RuleVerdict group = GroupRules(entry.ObjectName()).value(key, RuleVerdict::None);
    return {
        DecideEntry(user, group, entry.ObjectType(), [&] { return IsMember(entry.ObjectName()); }),
        user != RuleVerdict::None || group != RuleVerdict::None};
}

EntryExplanation AccessEvaluator::Explain(const clsProgram& entry) {
    const QString key = UpperProgramName(entry.ProgramName());
    EntryExplanation e;
    e.user = UserRules().value(key, RuleVerdict::None);
    e.group = GroupRules(entry.ObjectName()).value(key, RuleVerdict::None);
    e.decision = ExplainDecision(e.user, e.group, entry.ObjectType(),
                                 [&] { return IsMember(entry.ObjectName()); });
    return e;
}

} // namespace modMain
