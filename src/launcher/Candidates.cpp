#include "launcher/Candidates.h"

#include "launcher/AccessEvaluation.h"
#include "services/AppContext.h"

namespace modMain {
namespace {

const QString kStatus = QStringLiteral("Status");
const QString kUserProgramField = QStringLiteral("PrgName");
const QString kGroupProgramField = QStringLiteral("Program_Name");

RuleVerdict VerdictOf(const QVariant& status) {
    return status.toInt() == 1 ? RuleVerdict::Allow : RuleVerdict::Deny;
}

// Walks the records from the first and stops at the first one naming the program.
RuleVerdict FirstMatch(Recordset& rs, const QString& field, const QString& upperProgram) {
    RuleVerdict verdict = RuleVerdict::None;
    const long count = rs.RecordCount();
    if (count > 0) {
        rs.MoveFirst();
        for (long r = 0; r < count; ++r) {
            if (TrimSpaces(rs.Fields(field).toString()).toUpper() == upperProgram) {
                verdict = VerdictOf(rs.Fields(kStatus));
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
        rs.MoveFirst();
        for (long r = 0; r < count; ++r) {
            const QString program = TrimSpaces(rs.Fields(field).toString()).toUpper();
            if (!first.contains(program))
                first.insert(program, VerdictOf(rs.Fields(kStatus)));
            rs.MoveNext();
        }
    }
    rs.Close();
    return first;
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
    const bool fromGroup = objectType == clsProgram::FromGroupRule;
    const QString source =
        fromGroup ? QStringLiteral("group candidate") : QStringLiteral("user candidate");
    const QString cell =
        QStringLiteral("U %1, G %2, %3").arg(VerdictName(user), VerdictName(group), source);
    EntryDecision d;
    auto decide = [&](bool allowed, const QString& reason) {
        d.allowed = allowed;
        d.reason = reason;
        d.cell = cell;
        if (d.member)
            d.cell += *d.member ? QStringLiteral(", member") : QStringLiteral(", not member");
        return d;
    };
    switch (user) {
    case RuleVerdict::Deny:
        return decide(false,
                      QStringLiteral("the user's own Deny hides it, whatever the groups say"));
    case RuleVerdict::Allow:
        // A group's Deny outweighs the user's Allow only for a candidate of that group whose
        // membership the directory confirms.
        if (group == RuleVerdict::Deny && fromGroup) {
            d.member = isMember();
            return *d.member
                       ? decide(false, QStringLiteral("the group's Deny outweighs the user's own "
                                                      "Allow: he is a member of that group"))
                       : decide(true, QStringLiteral("the user's own Allow stands: the directory "
                                                     "does not list him in the denying group"));
        }
        if (group == RuleVerdict::Deny)
            return decide(true, QStringLiteral("the user's own Allow stands: the candidate came "
                                               "from his own rule, so a group's Deny does not "
                                               "count"));
        return decide(true, QStringLiteral("the user's own Allow shows it"));
    case RuleVerdict::None:
        if (group == RuleVerdict::Allow && fromGroup) {
            d.member = isMember();
            return *d.member ? decide(true, QStringLiteral("the group's Allow shows it: the "
                                                           "directory confirms the membership"))
                             : decide(false, QStringLiteral("the group's Allow does not count: "
                                                            "the directory does not list the "
                                                            "user in that group"));
        }
        if (group == RuleVerdict::Allow)
            return decide(false, QStringLiteral("a group's Allow counts only for a candidate "
                                                "that came from a group rule"));
        if (group == RuleVerdict::Deny)
            return decide(false, QStringLiteral("the group's Deny hides it"));
        return decide(true, QStringLiteral("neither the user nor the group has a rule for it "
                                           "any more: the candidate stands"));
    }
    return decide(false, QStringLiteral("unknown verdict"));
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
    QList<clsProgram> result;
    // The upper-case names already in `result`: the same answer as NotInCollection without
    // walking the result for every rule.
    QSet<QString> taken;
    auto notTaken = [&taken](const QString& program) {
        return !taken.contains(TrimSpaces(program).toUpper());
    };
    auto add = [&](const QString& program, const QString& object, short type) {
        result.append(clsProgram(program, object, type));
        taken.insert(result.constLast().ProgramName().toUpper());
    };

    // Every rule is looked at once, in order. Deny rules add nothing, and nothing after this
    // reads the collection, so they are passed over rather than removed: removing each from
    // the list made the step grow with the square of the rules.
    const QList<GroupRule> groupRules = ctx.permissions->GetGroupRules();
    for (const GroupRule& rule : groupRules)
        if (rule.Status == 1 && notTaken(rule.ProgramName))
            add(rule.ProgramName, rule.GroupName, clsProgram::FromGroupRule);
    const QList<UserRule> userRules = ctx.permissions->GetUserRules();
    for (const UserRule& rule : userRules)
        if (rule.Status == 1 && notTaken(rule.ProgramName))
            add(rule.ProgramName, rule.UserName, clsProgram::FromUserRule);
    return result;
}

bool IsEntryAllowed(AppContext& ctx, const clsProgram& entry) {
    const QString upperProgram = entry.ProgramName().toUpper();
    Recordset userRules =
        ctx.Catalog().GetUserPermissions(ctx.gUserName.toString(), ctx.gUserSid.toString());
    const RuleVerdict user = FirstMatch(userRules, kUserProgramField, upperProgram);
    Recordset groupRules = ctx.Catalog().GetGroupPermissions(entry.ObjectName());
    const RuleVerdict group = FirstMatch(groupRules, kGroupProgramField, upperProgram);
    return DecideEntry(user, group, entry.ObjectType(),
                       [&] { return IsUserInGroup(ctx, entry.ObjectName()); });
}

RuleVerdict AccessEvaluator::Lookup(const FirstRules& rules, const QString& upperProgram) const {
    return rules.value(upperProgram, RuleVerdict::None);
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

EntryExplanation AccessEvaluator::Explain(const clsProgram& entry) {
    const QString upperProgram = entry.ProgramName().toUpper();
    EntryExplanation e;
    e.user = Lookup(UserRules(), upperProgram);
    e.group = Lookup(GroupRules(entry.ObjectName()), upperProgram);
    e.decision = ExplainDecision(e.user, e.group, entry.ObjectType(),
                                 [&] { return IsMember(entry.ObjectName()); });
    return e;
}

bool AccessEvaluator::HasRule(const clsProgram& entry) {
    const QString upperProgram = entry.ProgramName().toUpper();
    return UserRules().contains(upperProgram) ||
           GroupRules(entry.ObjectName()).contains(upperProgram);
}

QList<clsProgram> FilterEntries(QList<clsProgram> entries,
                                const std::function<bool(const clsProgram&)>& allowed) {
    // The walk that removes a refused entry and looks at the same index again keeps the
    // survivors in their order; so does this single pass.
    qsizetype kept = 0;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (allowed(entries.at(i))) {
            if (kept != i)
                entries[kept] = std::move(entries[i]);
            ++kept;
        }
    }
    entries.resize(kept);
    return entries;
}

QList<clsProgram> PermittedEntries(AppContext& ctx) {
    AccessEvaluator evaluator(ctx);
    return FilterEntries(CandidateEntries(ctx), [&](const clsProgram& entry) {
        if (!evaluator.IsEntryAllowed(entry))
            return false;
        // A rule collected at start-up may name a program that has left the catalogue since
        // (its rules went with it); only an entry that no current rule names needs the look.
        return evaluator.HasRule(entry) || ctx.Catalog().GetProgramId(entry.ProgramName()) != 0;
    });
}

} // namespace modMain
