#pragma once

#include "access/AccessDecision.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

class AppContext;

namespace modMain {

// The user's and a candidate's principal's rules about its program, and the decision.
struct EntryExplanation {
    RuleVerdict user = RuleVerdict::None;
    RuleVerdict group = RuleVerdict::None;
    EntryDecision decision;
};

// Every decision about candidate entries, for the launcher list, the command-line tool's
// `why` and `launcher-list`: the user's rules and each principal's rules are read from the
// catalogue once, as it holds them now, and indexed by program; the user's groups are asked
// of the directory once, when a decision first needs them, unless the caller has just asked
// (`userGroups`, the answer that seated the user). A candidate's principal is looked up as a
// group, also when it is the user's own name. Create a new one for every set of answers.
class AccessEvaluator {
public:
    explicit AccessEvaluator(AppContext& ctx, const std::optional<QStringList>& userGroups = {});
    // Whether the entry is shown, and whether the user's rules or the rules of its principal
    // name its program (the catalogue then still holds it; a program no rule names may have
    // left the catalogue since the candidates were collected).
    struct Admission {
        bool allowed = false;
        bool named = false;
    };
    // `key` is the entry's program name as names compare (UpperProgramName).
    Admission Admit(const clsProgram& entry, const QString& key);
    EntryExplanation Explain(const clsProgram& entry);
    // True when the directory lists `group` among the user's groups.
    bool IsMember(const QString& group);

private:
    using RulesByProgram = QHash<QString, RuleVerdict>;
    const RulesByProgram& UserRules();
    const RulesByProgram& GroupRules(const QString& group);

    AppContext& mCtx;
    std::optional<RulesByProgram> mUserRules;
    QHash<QString, RulesByProgram> mGroupRules;
    std::optional<QSet<QString>> mUserGroups;
};

} // namespace modMain
