#pragma once

#include "access/clsProgram.h"

#include <QString>
#include <functional>
#include <optional>

// The decision table of the launcher: whether a candidate entry is shown, from what the user's
// own rule and the rule of the candidate's principal say about its program.
namespace modMain {

// What the rule of a principal says about a program.
enum class RuleVerdict { None, Allow, Deny };
// "Allow", "Deny" or "none".
QString VerdictName(RuleVerdict verdict);
// The verdict of a rule's status: 1 allows, any other value denies.
inline RuleVerdict VerdictOf(int status) {
    return status == 1 ? RuleVerdict::Allow : RuleVerdict::Deny;
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

} // namespace modMain
