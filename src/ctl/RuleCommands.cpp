#include "catalogue/CatalogStore.h"
#include "ctl/CtlCommand.h"
#include "ctl/CtlSession.h"
#include "platform/Text.h"
#include "services/CataloguePrincipal.h"

#include <QJsonArray>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

struct Principal {
    QString name;
    int kind = 0; // CatalogStore::PrincipalKind
    QString KindName() const {
        return kind == CatalogStore::KindGroup ? QStringLiteral("group") : QStringLiteral("user");
    }
};

// --user U or --group G, exactly one of them.
Principal PrincipalOf(const CtlArgs& a) {
    const bool user = a.Has(QStringLiteral("--user"));
    const bool group = a.Has(QStringLiteral("--group"));
    if (user == group)
        throw UsageError{QStringLiteral("give either --user U or --group G")};
    return user ? Principal{a.Required(QStringLiteral("--user")), CatalogStore::KindUser}
                : Principal{a.Required(QStringLiteral("--group")), CatalogStore::KindGroup};
}

// The program's name as the catalogue stores it.
QString ProgramOf(CtlSession& s, const CtlArgs& a) {
    const QString program = TrimSpaces(a.Required(QStringLiteral("--program")));
    Recordset rs = s.Catalog().GetProgram(program);
    if (rs.RecordCount() <= 0)
        throw Refusal{QStringLiteral("there is no program \"%1\"").arg(program)};
    rs.MoveFirst();
    const QString stored = TrimSpaces(rs.Fields(QStringLiteral("Program_Name")).toString());
    rs.Close();
    return stored;
}

// The principal as the catalogue knows him, added from the directory on his first rule as
// the permission editor does; a typed name must be one the directory lists.
void EnsurePrincipal(CtlSession& s, const Principal& p) {
    const QString domain = s.Domain();
    if (AddPrincipalIfMissing(s.Catalog(), s.Directory(), domain, p.name, p.kind, true) ==
        PrincipalEntry::NotListed)
        throw Refusal{QStringLiteral("the directory has no %1 \"%2\"").arg(p.KindName(), p.name)};
}

CtlResult SetRule(CtlSession& s, const CtlArgs& a, int status) {
    const QString program = ProgramOf(s, a);
    const Principal p = PrincipalOf(a);
    EnsurePrincipal(s, p);
    if (!s.Catalog().AddPermission(p.name, status, program, p.kind))
        throw Refusal{QStringLiteral("the rule could not be stored")};
    const QString verdict =
        status == CatalogStore::StatusAllow ? QStringLiteral("Allow") : QStringLiteral("Deny");
    return {QJsonObject{{QStringLiteral("ok"), true},
                        {QStringLiteral("program"), program},
                        {QStringLiteral("principal"), p.name},
                        {QStringLiteral("kind"), p.KindName()},
                        {QStringLiteral("status"), verdict}},
            {},
            {QStringLiteral("%1 %2 %3: %4").arg(program, p.KindName(), p.name, verdict)}};
}

CtlResult RulesRevoke(CtlSession& s, const CtlArgs& a) {
    const QString program = ProgramOf(s, a);
    const Principal p = PrincipalOf(a);
    const long principalId = s.Catalog().GetObjectId(p.name, p.kind);
    if (principalId == 0 ||
        !s.Catalog().DeletePermission(principalId, s.Catalog().GetProgramId(program)))
        throw Refusal{
            QStringLiteral("%1 %2 has no rule for %3").arg(p.KindName(), p.name, program)};
    return {
        QJsonObject{{QStringLiteral("ok"), true},
                    {QStringLiteral("program"), program},
                    {QStringLiteral("principal"), p.name},
                    {QStringLiteral("kind"), p.KindName()}},
        {},
        {QStringLiteral("Revoked the rule of %1 %2 for %3").arg(p.KindName(), p.name, program)}};
}

CtlResult RulesList(CtlSession& s, const CtlArgs& a) {
    const QString program = TrimSpaces(a.Value(QStringLiteral("--program"))).toUpper();
    const QString principal = a.Value(QStringLiteral("--principal"));
    CtlResult result;
    result.table.headers = {QStringLiteral("Program"), QStringLiteral("Kind"),
                            QStringLiteral("Principal"), QStringLiteral("Permission")};
    QJsonArray rules;
    auto collect = [&](Recordset rs, const QString& kind) {
        const long count = rs.RecordCount();
        if (count > 0)
            rs.MoveFirst();
        for (long r = 0; r < count; ++r) {
            const QString prg = TrimSpaces(rs.Fields(QStringLiteral("PrgName")).toString());
            const QString who = rs.Fields(QStringLiteral("ObjectName")).toString();
            const QVariant status = rs.Fields(QStringLiteral("Status"));
            rs.MoveNext();
            if ((!program.isEmpty() && prg.toUpper() != program) ||
                (!principal.isEmpty() && who != principal))
                continue;
            const QString verdict = status.isNull()       ? QStringLiteral("N/A")
                                    : status.toInt() == 1 ? QStringLiteral("Allow")
                                                          : QStringLiteral("Deny");
            rules.append(QJsonObject{{QStringLiteral("program"), prg},
                                     {QStringLiteral("kind"), kind},
                                     {QStringLiteral("principal"), who},
                                     {QStringLiteral("status"), verdict}});
            result.table.rows.append({prg, kind, who, verdict});
        }
        rs.Close();
    };
    collect(s.Catalog().GetPermissionsByGroup(), QStringLiteral("group"));
    collect(s.Catalog().GetPermissionsByUser(), QStringLiteral("user"));
    result.json = rules;
    return result;
}

} // namespace

QList<CtlCommand> RuleCommands() {
    using R = CtlCommand::Rights;
    const QStringList who{QStringLiteral("--program P"), QStringLiteral("--user U"),
                          QStringLiteral("--group G")};
    const QString whoUsage = QStringLiteral("--program P (--user U | --group G)");
    return {
        {{u"rules"_s, u"list"_s},
         {},
         0,
         0,
         {u"--program P"_s, u"--principal N"_s},
         R::Anyone,
         u"the permission rules, by group then by user"_s,
         RulesList},
        {{u"rules"_s, u"allow"_s},
         whoUsage,
         0,
         0,
         who,
         R::Administrator,
         u"allows a program to a user or group"_s,
         [](CtlSession& s, const CtlArgs& a) { return SetRule(s, a, CatalogStore::StatusAllow); },
         {u"--program"_s},
         PrincipalOf},
        {{u"rules"_s, u"deny"_s},
         whoUsage,
         0,
         0,
         who,
         R::Administrator,
         u"denies a program to a user or group"_s,
         [](CtlSession& s, const CtlArgs& a) { return SetRule(s, a, CatalogStore::StatusDeny); },
         {u"--program"_s},
         PrincipalOf},
        {{u"rules"_s, u"revoke"_s},
         whoUsage,
         0,
         0,
         who,
         R::Administrator,
         u"removes the rule of a user or group for a program"_s,
         RulesRevoke,
         {u"--program"_s},
         PrincipalOf},
    };
}
