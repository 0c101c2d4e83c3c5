#include "launcher/PermittedEntries.h"

#include "launcher/Candidates.h"
#include "services/AppContext.h"

namespace modMain {
namespace {

// Walks the records once and gives each candidate that `counts` accepts the verdict of the
// first record naming its program. Looking each record up among the candidates keeps no table
// of the principal's rules: a list build only asks about the candidates.
template <class Counts>
void TakeFirstRules(Recordset& rs, const QString& field, const CandidateSet& candidates,
                    QList<RuleVerdict>& verdicts, Counts&& counts) {
    const long count = rs.RecordCount();
    if (count > 0) {
        const qsizetype program = rs.FieldIndex(field);
        const qsizetype status = rs.FieldIndex(QStringLiteral("Status"));
        QString upperProgram;
        rs.MoveFirst();
        for (long r = 0; r < count; ++r) {
            UpperProgramName(rs.Field(program).toString(), upperProgram);
            const auto found = candidates.indexOf.constFind(upperProgram);
            if (found != candidates.indexOf.constEnd() && counts(*found) &&
                verdicts.at(*found) == RuleVerdict::None)
                verdicts[*found] = VerdictOf(rs.Field(status));
            rs.MoveNext();
        }
    }
    rs.Close();
}

} // namespace

QList<clsProgram> PermittedEntries(AppContext& ctx) {
    CandidateSet candidates = CollectCandidates(ctx);
    const qsizetype count = candidates.entries.size();
    if (count == 0)
        return {};

    QList<RuleVerdict> user(count, RuleVerdict::None);
    Recordset userRules =
        ctx.Catalog().GetUserPermissions(ctx.gUserName.toString(), ctx.gUserSid.toString());
    TakeFirstRules(userRules, QStringLiteral("PrgName"), candidates, user,
                   [](qsizetype) { return true; });

    // A candidate's principal is looked up as a group, also when it is the user's own name.
    // Each principal is read once, in the order the candidates first name it, and its rules
    // count only for its own candidates.
    QList<qsizetype> principalOf(count);
    QStringList principals;
    QHash<QString, qsizetype> principalIndex;
    for (qsizetype i = 0; i < count; ++i) {
        const QString& name = candidates.entries.at(i).ObjectName();
        auto found = principalIndex.constFind(name);
        if (found == principalIndex.constEnd()) {
            found = principalIndex.insert(name, principals.size());
            principals.append(name);
        }
        principalOf[i] = *found;
    }
    QList<RuleVerdict> group(count, RuleVerdict::None);
    for (qsizetype p = 0; p < principals.size(); ++p) {
        Recordset groupRules = ctx.Catalog().GetGroupPermissions(principals.at(p));
        TakeFirstRules(groupRules, QStringLiteral("Program_Name"), candidates, group,
                       [&](qsizetype i) { return principalOf.at(i) == p; });
    }

    // The directory is asked once, and each principal's membership looked up once.
    AccessEvaluator directory(ctx);
    QList<std::optional<bool>> member(principals.size());
    QList<clsProgram> permitted;
    permitted.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        clsProgram& entry = candidates.entries[i];
        std::optional<bool>& isMember = member[principalOf.at(i)];
        if (!DecideEntry(user.at(i), group.at(i), entry.ObjectType(), [&] {
                if (!isMember)
                    isMember = directory.IsMember(entry.ObjectName());
                return *isMember;
            }))
            continue;
        // A rule collected at start-up may name a program that has left the catalogue since
        // (its rules went with it); only an entry that no current rule names needs the look.
        if (user.at(i) != RuleVerdict::None || group.at(i) != RuleVerdict::None ||
            ctx.Catalog().GetProgramId(entry.ProgramName()) != 0)
            permitted.append(std::move(entry));
    }
    return permitted;
}

} // namespace modMain
