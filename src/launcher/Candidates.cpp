#include "launcher/Candidates.h"

#include "launcher/AccessEvaluation.h"
#include "services/AppContext.h"

namespace modMain {
namespace {

const QString kStatus = QStringLiteral("Status");
const QString kUserProgramField = QStringLiteral("PrgName");
const QString kGroupProgramField = QStringLiteral("Program_Name");

// Walks the records from the first and stops at the first one naming the program.
RuleVerdict FirstMatch(Recordset& rs, const QString& field, const QString& upperProgram) {
    RuleVerdict verdict = RuleVerdict::None;
    const long count = rs.RecordCount();
    if (count > 0) {
        const qsizetype program = rs.FieldIndex(field);
        const qsizetype status = rs.FieldIndex(kStatus);
        rs.MoveFirst();
        for (long r = 0; r < count; ++r) {
            if (UpperProgramName(rs.Field(program).toString()) == upperProgram) {
                verdict = VerdictOf(rs.Field(status));
                break;
            }
            rs.MoveNext();
        }
    }
    rs.Close();
    return verdict;
}

// The verdict of the first record for every program the records name.
QHash<QString, RuleVerdict> IndexFirstRules(Recordset& rs, const QString& field) {
    QHash<QString, RuleVerdict> first;
    const long count = rs.RecordCount();
    first.reserve(count);
    if (count > 0) {
        const qsizetype program = rs.FieldIndex(field);
        const qsizetype status = rs.FieldIndex(kStatus);
        rs.MoveFirst();
        for (long r = 0; r < count; ++r) {
            // One hash look-up: a program seen before keeps its first verdict.
            const qsizetype before = first.size();
            RuleVerdict& verdict = first[UpperProgramName(rs.Field(program).toString())];
            if (first.size() != before)
                verdict = VerdictOf(rs.Field(status));
            rs.MoveNext();
        }
    }
    rs.Close();
    return first;
}

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

bool NotInCollection(const QList<clsProgram>& entries, const QString& programName) {
    if (entries.isEmpty())
        return true;
    const QString upper = programName.toUpper();
    for (qsizetype i = 1; i <= Count(entries); ++i)
        if (Item(entries, i).ProgramName().toUpper() == upper)
            return false;
    return true;
}

QList<clsProgram> CandidateEntries(AppContext& ctx) {
    return CollectCandidates(ctx).entries;
}

CandidateSet CollectCandidates(AppContext& ctx) {
    CandidateSet set;
    // indexOf answers NotInCollection without walking the entries for every rule.
    auto add = [&set](const QString& upper, const QString& program, const QString& object,
                      short type) {
        const qsizetype before = set.indexOf.size();
        qsizetype& index = set.indexOf[upper];
        if (set.indexOf.size() == before)
            return;
        index = set.entries.size();
        set.entries.append(clsProgram(program, object, type));
    };

    // Every rule is looked at once, in order. Deny rules add nothing, and nothing after this
    // reads the collection, so they are passed over rather than removed: removing each from
    // the list made the step grow with the square of the rules.
    const QList<GroupRule> groupRules = ctx.permissions->GetGroupRules();
    const QList<UserRule> userRules = ctx.permissions->GetUserRules();
    set.indexOf.reserve(groupRules.size() + userRules.size());
    set.entries.reserve(groupRules.size() + userRules.size());
    for (const GroupRule& rule : groupRules)
        if (rule.Status == 1)
            add(rule.UpperProgram, rule.ProgramName, rule.GroupName, clsProgram::FromGroupRule);
    for (const UserRule& rule : userRules)
        if (rule.Status == 1)
            add(rule.UpperProgram, rule.ProgramName, rule.UserName, clsProgram::FromUserRule);
    return set;
}

bool IsEntryAllowed(AppContext& ctx, const clsProgram& entry) {
    const QString upperProgram = UpperProgramName(entry.ProgramName());
    Recordset userRules =
        ctx.Catalog().GetUserPermissions(ctx.gUserName.toString(), ctx.gUserSid.toString());
    const RuleVerdict user = FirstMatch(userRules, kUserProgramField, upperProgram);
    Recordset groupRules = ctx.Catalog().GetGroupPermissions(entry.ObjectName());
    const RuleVerdict group = FirstMatch(groupRules, kGroupProgramField, upperProgram);
    return DecideEntry(user, group, entry.ObjectType(),
                       [&] { return IsUserInGroup(ctx, entry.ObjectName()); });
}

const AccessEvaluator::FirstRules& AccessEvaluator::UserRules() {
    if (!mUserRules) {
        Recordset rs =
            mCtx.Catalog().GetUserPermissions(mCtx.gUserName.toString(), mCtx.gUserSid.toString());
        mUserRules = IndexFirstRules(rs, kUserProgramField);
    }
    return *mUserRules;
}

const AccessEvaluator::FirstRules& AccessEvaluator::GroupRules(const QString& group) {
    auto found = mGroupRules.constFind(group);
    if (found == mGroupRules.constEnd()) {
        Recordset rs = mCtx.Catalog().GetGroupPermissions(group);
        found = mGroupRules.insert(group, IndexFirstRules(rs, kGroupProgramField));
    }
    return *found;
}

bool AccessEvaluator::IsMember(const QString& group) {
    if (!mUserGroups) {
        const QStringList groups =
            mCtx.directory->GetUserGroups(GetDomain(mCtx), mCtx.gUserName.toString(), false);
        mUserGroups = QSet<QString>(groups.cbegin(), groups.cend());
    }
    return mUserGroups->contains(group);
}

bool AccessEvaluator::IsEntryAllowed(const clsProgram& entry) {
    const QString upperProgram = UpperProgramName(entry.ProgramName());
    const RuleVerdict user = UserRules().value(upperProgram, RuleVerdict::None);
    const RuleVerdict group = GroupRules(entry.ObjectName()).value(upperProgram, RuleVerdict::None);
    return Decide(user, group, entry.ObjectType(), [&] { return IsMember(entry.ObjectName()); })
        .allowed;
}

EntryExplanation AccessEvaluator::Explain(const clsProgram& entry) {
    const QString upperProgram = UpperProgramName(entry.ProgramName());
    EntryExplanation e;
    e.user = UserRules().value(upperProgram, RuleVerdict::None);
    e.group = GroupRules(entry.ObjectName()).value(upperProgram, RuleVerdict::None);
    e.decision = ExplainDecision(e.user, e.group, entry.ObjectType(),
                                 [&] { return IsMember(entry.ObjectName()); });
    return e;
}

bool AccessEvaluator::HasRule(const clsProgram& entry) {
    const QString upperProgram = UpperProgramName(entry.ProgramName());
    return UserRules().contains(upperProgram) ||
           GroupRules(entry.ObjectName()).contains(upperProgram);
}

} // namespace modMain
