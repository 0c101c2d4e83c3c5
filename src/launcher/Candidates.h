#pragma once

#include "launcher/clsProgram.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

class AppContext;

// Which catalogue programs a user who is not an administrator may see and start: the
// candidates made from the rules collected at start-up, filtered by the user's and the
// groups' rules as the catalogue and the directory hold them now.
namespace modMain {

// What the first matching rule of a principal says about a program.
enum class RuleVerdict { None, Allow, Deny };
// "Allow", "Deny" or "none".
QString VerdictName(RuleVerdict verdict);
// The verdict of a rule's "Status": 1 allows, any other value denies.
inline RuleVerdict VerdictOf(const QVariant& status) {
    return status.toInt() == 1 ? RuleVerdict::Allow : RuleVerdict::Deny;
}

// A decision with what led to it: the membership answer, when the cell asked for it, and the
// cell of the decision table that decided, as a short label and in plain words.
struct EntryDecision {
    bool allowed = false;
    std::optional<bool> member;
    QString cell;
    QString reason;
};

// The decision for one candidate, given the user's own verdict, the verdict of the
// candidate's principal taken as a group, and the candidate's ObjectType. `isMember` is asked
// only in the two cells that depend on the membership of that principal.
EntryDecision ExplainDecision(RuleVerdict user, RuleVerdict group, short objectType,
                              const std::function<bool()>& isMember);
// The same decision without the explanation's text.
bool DecideEntry(RuleVerdict user, RuleVerdict group, short objectType,
                 const std::function<bool()>& isMember);

// The user's and the principal's first matching rules for a candidate and the decision.
struct EntryExplanation {
    RuleVerdict user = RuleVerdict::None;
    RuleVerdict group = RuleVerdict::None;
    EntryDecision decision;
};

// True when no entry of `entries` names `programName` (upper-case comparison).
bool NotInCollection(const QList<clsProgram>& entries, const QString& programName);

// Candidate entries from the PermissionSet: Allow group rules in order, then Allow user rules
// in order; the first rule naming a program decides the entry's principal.
QList<clsProgram> CandidateEntries(AppContext& ctx);

// The candidate entries and, for each program name as UpperProgramName gives it (worked out
// when the rule was collected), the index of its entry.
struct CandidateSet {
    QList<clsProgram> entries;
    QHash<QString, qsizetype> indexOf;
};
CandidateSet CollectCandidates(AppContext& ctx);

// The final decision for one entry: each call reads the user's rules and the rules of the
// entry's principal from the catalogue and, where the table asks, the directory.
bool IsEntryAllowed(AppContext& ctx, const clsProgram& entry);

// The same decisions as IsEntryAllowed for many entries in a row (the command-line tool's
// answers): each principal's rules are read from the catalogue once (the first rule per
// program), the user's groups are asked of the directory once, so the cost of a decision no
// longer grows with the number of rules. Create a new one for every set of answers.
class AccessEvaluator {
public:
    explicit AccessEvaluator(AppContext& ctx) : mCtx(ctx) {}
    bool IsEntryAllowed(const clsProgram& entry);
    EntryExplanation Explain(const clsProgram& entry);
    // True when the user's rules or the rules of the entry's principal name its program: the
    // catalogue then still holds the program.
    bool HasRule(const clsProgram& entry);
    // True when the directory lists `group` among the user's groups; asked once per evaluator.
    bool IsMember(const QString& group);

private:
    using FirstRules = QHash<QString, RuleVerdict>;
    const FirstRules& UserRules();
    const FirstRules& GroupRules(const QString& group);

    AppContext& mCtx;
    std::optional<FirstRules> mUserRules;
    QHash<QString, FirstRules> mGroupRules;
    std::optional<QSet<QString>> mUserGroups;
};

} // namespace modMain
