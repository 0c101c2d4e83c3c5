#include "access/AccessDecision.h"

namespace modMain {
namespace {

// Which cell of the decision table decided, and the membership answer when the cell asked.
enum class Cell {
    OwnDeny,
    GroupDenyOfMember,
    GroupDenyOfNonMember,
    OwnAllowOverUserCandidateDeny,
    OwnAllow,
    GroupAllowOfMember,
    GroupAllowOfNonMember,
    GroupAllowOfUserCandidate,
    GroupDeny,
    NoRules,
    Unknown,
};
struct Outcome {
    bool allowed = false;
    Cell cell = Cell::Unknown;
    std::optional<bool> member;
};

// The decision table, without text: a list build decides thousands of entries and shows no
// explanation.
template <class IsMember>
Outcome Decide(RuleVerdict user, RuleVerdict group, short objectType, IsMember&& isMember) {
    const bool fromGroup = objectType == clsProgram::FromGroupRule;
    switch (user) {
    case RuleVerdict::Deny:
        return {false, Cell::OwnDeny, {}};
    case RuleVerdict::Allow:
        // A group's Deny outweighs the user's Allow only for a candidate of that group whose
        // membership the directory confirms.
        if (group == RuleVerdict::Deny && fromGroup) {
            const bool member = isMember();
            return member ? Outcome{false, Cell::GroupDenyOfMember, member}
                          : Outcome{true, Cell::GroupDenyOfNonMember, member};
        }
        if (group == RuleVerdict::Deny)
            return {true, Cell::OwnAllowOverUserCandidateDeny, {}};
        return {true, Cell::OwnAllow, {}};
    case RuleVerdict::None:
        if (group == RuleVerdict::Allow && fromGroup) {
            const bool member = isMember();
            return member ? Outcome{true, Cell::GroupAllowOfMember, member}
                          : Outcome{false, Cell::GroupAllowOfNonMember, member};
        }
        if (group == RuleVerdict::Allow)
            return {false, Cell::GroupAllowOfUserCandidate, {}};
        if (group == RuleVerdict::Deny)
            return {false, Cell::GroupDeny, {}};
        return {true, Cell::NoRules, {}};
    }
    return {false, Cell::Unknown, {}};
}

QString Reason(Cell cell) {
    switch (cell) {
    case Cell::OwnDeny:
        return QStringLiteral("the user's own Deny hides it, whatever the groups say");
    case Cell::GroupDenyOfMember:
        return QStringLiteral("the group's Deny outweighs the user's own Allow: he is a member "
                              "of that group");
    case Cell::GroupDenyOfNonMember:
        return QStringLiteral("the user's own Allow stands: the directory does not list him in "
                              "the denying group");
    case Cell::OwnAllowOverUserCandidateDeny:
        return QStringLiteral("the user's own Allow stands: the candidate came from his own "
                              "rule, so a group's Deny does not count");
    case Cell::OwnAllow:
        return QStringLiteral("the user's own Allow shows it");
    case Cell::GroupAllowOfMember:
        return QStringLiteral("the group's Allow shows it: the directory confirms the "
                              "membership");
    case Cell::GroupAllowOfNonMember:
        return QStringLiteral("the group's Allow does not count: the directory does not list "
                              "the user in that group");
    case Cell::GroupAllowOfUserCandidate:
        return QStringLiteral("a group's Allow counts only for a candidate that came from a "
                              "group rule");
    case Cell::GroupDeny:
        return QStringLiteral("the group's Deny hides it");
    case Cell::NoRules:
        return QStringLiteral("neither the user nor the group has a rule for it any more: the "
                              "candidate stands");
    case Cell::Unknown:
        break;
    }
    return QStringLiteral("unknown verdict");
}

} // namespace

QString VerdictName(RuleVerdict verdict) {
    switch (verdict) {
    case RuleVerdict::Allow:
        return QStringLiteral("Allow");
    case RuleVerdict::Deny:
        return QStringLiteral("Deny");
    case RuleVerdict::None:
        break;
    }
    return QStringLiteral("none");
}

EntryDecision ExplainDecision(RuleVerdict user, RuleVerdict group, short objectType,
                              const std::function<bool()>& isMember) {
    const Outcome outcome = Decide(user, group, objectType, isMember);
    const QString source = objectType == clsProgram::FromGroupRule
                               ? QStringLiteral("group candidate")
                               : QStringLiteral("user candidate");
    EntryDecision d;
    d.allowed = outcome.allowed;
    d.member = outcome.member;
    d.reason = Reason(outcome.cell);
    d.cell = QStringLiteral("U %1, G %2, %3").arg(VerdictName(user), VerdictName(group), source);
    if (d.member)
        d.cell += *d.member ? QStringLiteral(", member") : QStringLiteral(", not member");
    return d;
}

bool DecideEntry(RuleVerdict user, RuleVerdict group, short objectType,
                 const std::function<bool()>& isMember) {
    return Decide(user, group, objectType, isMember).allowed;
}

} // namespace modMain
