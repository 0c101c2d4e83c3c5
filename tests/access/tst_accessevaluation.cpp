#include "access/AccessEvaluation.h"
#include "access/AccessEvaluator.h"
#include "access/Candidates.h"
#include "access/PermittedEntries.h"
#include "support/DataRow.h"
#include "support/RuleFixture.h"

#include <QRandomGenerator>
#include <QTest>

using modMain::RuleVerdict;
using namespace fixture;

Q_DECLARE_METATYPE(RuleVerdict)

namespace {

const RuleVerdict A = RuleVerdict::Allow;
const RuleVerdict D = RuleVerdict::Deny;
const RuleVerdict N = RuleVerdict::None;

QStringList Describe(const QList<clsProgram>& entries) {
    QStringList lines;
    for (const clsProgram& e : entries)
        lines
            << QStringLiteral("%1/%2/%3").arg(e.ProgramName(), e.ObjectName()).arg(e.ObjectType());
    return lines;
}

// The one-at-a-time routine: for each entry, walk the user's records and those of the entry's
// principal from the first, stop at the first naming the program, and ask the directory
// afresh. The launcher's own walk must give its answers.
RuleVerdict FirstMatch(Recordset rs, const char* field, const QString& program) {
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
        if (UpperProgramName(rs.Fields(field).toString()) == UpperProgramName(program))
            return modMain::VerdictOf(rs.Fields("Status").toInt());
    return RuleVerdict::None;
}

bool ReferenceAllowed(AppContext& ctx, const clsProgram& entry) {
    CatalogStore& catalog = ctx.Catalog();
    const RuleVerdict user =
        FirstMatch(catalog.GetUserPermissions(ctx.gUserName.toString(), ctx.gUserSid.toString()),
                   "PrgName", entry.ProgramName());
    const RuleVerdict group = FirstMatch(catalog.GetGroupPermissions(entry.ObjectName()),
                                         "Program_Name", entry.ProgramName());
    return modMain::DecideEntry(user, group, entry.ObjectType(),
                                [&] { return modMain::IsUserInGroup(ctx, entry.ObjectName()); });
}

bool EvaluatorAllows(AppContext& ctx, const clsProgram& entry) {
    modMain::AccessEvaluator evaluator(ctx);
    const bool allowed = evaluator.Admit(entry, UpperProgramName(entry.ProgramName())).allowed;
    if (evaluator.Explain(entry).decision.allowed != allowed)
        qFatal("the explanation decides otherwise than the list");
    return allowed;
}

} // namespace

class tst_accessevaluation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every cell of the decision table, for a candidate from a group rule (1) and from a user
    // rule (2), with and without a confirmed membership.
    void decisionTable_data() {
        AddColumns<RuleVerdict, RuleVerdict, short, bool, bool, bool>(
            "user", "group", "type", "member", "allowed", "asksMembership");
        struct Row {
            RuleVerdict u, g;
            short type;
            bool member, allowed, asks;
        };
        const Row rows[] = {
            {A, A, 1, true, true, false},  {A, A, 1, false, true, false},
            {A, A, 2, true, true, false},  {A, A, 2, false, true, false},
            {A, D, 1, true, false, true},  {A, D, 1, false, true, true},
            {A, D, 2, true, true, false},  {A, D, 2, false, true, false},
            {A, N, 1, true, true, false},  {A, N, 1, false, true, false},
            {A, N, 2, true, true, false},  {A, N, 2, false, true, false},
            {D, A, 1, true, false, false}, {D, A, 1, false, false, false},
            {D, A, 2, true, false, false}, {D, A, 2, false, false, false},
            {D, D, 1, true, false, false}, {D, D, 1, false, false, false},
            {D, D, 2, true, false, false}, {D, D, 2, false, false, false},
            {D, N, 1, true, false, false}, {D, N, 1, false, false, false},
            {D, N, 2, true, false, false}, {D, N, 2, false, false, false},
            {N, A, 1, true, true, true},   {N, A, 1, false, false, true},
            {N, A, 2, true, false, false}, {N, A, 2, false, false, false},
            {N, D, 1, true, false, false}, {N, D, 1, false, false, false},
            {N, D, 2, true, false, false}, {N, D, 2, false, false, false},
            {N, N, 1, true, true, false},  {N, N, 1, false, true, false},
            {N, N, 2, true, true, false},  {N, N, 2, false, true, false},
        };
        const char* names[] = {"none", "allow", "deny"};
        for (const Row& r : rows)
            QTest::addRow("U %s, G %s, type %d, %s", names[int(r.u)], names[int(r.g)], r.type,
                          r.member ? "member" : "not member")
                << r.u << r.g << r.type << r.member << r.allowed << r.asks;
    }
    void decisionTable() {
        QFETCH(RuleVerdict, user);
        QFETCH(RuleVerdict, group);
        QFETCH(short, type);
        QFETCH(bool, member);
        QFETCH(bool, allowed);
        QFETCH(bool, asksMembership);
        int asked = 0;
        const modMain::EntryDecision decision = modMain::ExplainDecision(user, group, type, [&] {
            ++asked;
            return member;
        });
        QCOMPARE(decision.allowed, allowed);
        QCOMPARE(asked > 0, asksMembership);
        // The explanation reports the membership answer exactly when the cell asked for it.
        QCOMPARE(decision.member.has_value(), asksMembership);
        if (decision.member)
            QCOMPARE(*decision.member, member);
        QVERIFY(!decision.reason.isEmpty());
    }

    // Rules are "Group:Program:Status" and "tester:Program:Status", entries
    // "Program/Object/Type", comma-separated.
    void candidates_data() {
        AddColumns<QString, QString, QString>("groupRules", "userRules", "expected");
        AddRow("first rule wins: group before user", "Staff:Editor:1,Sales:Editor:1",
               "tester:Editor:1", "Editor/Staff/1");
        AddRow("letter case makes one candidate", "Staff:editor:1,Staff:EDITOR:1",
               "tester:Editor:1", "editor/Staff/1");
        AddRow("deny between allows", "Staff:Alpha:1,Staff:Beta:0,Staff:Gamma:1", "",
               "Alpha/Staff/1,Gamma/Staff/1");
        AddRow("a deny does not stop a later allow", "Staff:Alpha:0,Sales:Alpha:1", "",
               "Alpha/Sales/1");
        AddRow("group programs first, then user-only programs", "Staff:Beta:1",
               "tester:Alpha:1,tester:Beta:1,tester:alpha:1", "Beta/Staff/1,Alpha/tester/2");
        AddRow("user deny makes no candidate", "", "tester:Alpha:0,tester:Beta:1", "Beta/tester/2");
        AddRow("other statuses are skipped", "Staff:Alpha:2,Staff:Beta:-1", "tester:Gamma:7", "");
        AddRow("names are trimmed", "Staff: Editor :1", "tester:Editor:1", "Editor/Staff/1");
    }
    void candidates() {
        QFETCH(QString, groupRules);
        QFETCH(QString, userRules);
        QFETCH(QString, expected);
        TestContext t;
        for (const QString& rule : groupRules.split(',', Qt::SkipEmptyParts)) {
            const QStringList part = rule.split(':');
            t.ctx.permissions->Add(
                GroupRule{part[0], part[1], short(part[2].toInt()), UpperProgramName(part[1])});
        }
        for (const QString& rule : userRules.split(',', Qt::SkipEmptyParts)) {
            const QStringList part = rule.split(':');
            t.ctx.permissions->Add(
                UserRule{part[0], part[1], short(part[2].toInt()), UpperProgramName(part[1])});
        }
        QCOMPARE(Describe(modMain::CandidateEntries(t.ctx)).join(','), expected);
    }

    // Decisions against a real catalogue and directory.
    void decisions_data() {
        QTest::addColumn<QString>("memberOf");
        QTest::addColumn<QString>("groupRules"); // Group:Program:Status
        QTest::addColumn<QString>("userRules");  // Program:Status
        QTest::addColumn<QString>("entry");      // Program/Object/Type
        QTest::addColumn<bool>("allowed");
        AddRow("own allow, group lookup under the user's name", "Staff", "Staff:Editor:0",
               "Editor:1", "Editor/tester/2", true);
        AddRow("own allow, denying group of a member", "Staff", "Staff:Editor:0", "Editor:1",
               "Editor/Staff/1", false);
        AddRow("group names compare exactly", "staff", "Staff:Editor:1", "", "Editor/Staff/1",
               false);
        AddRow("rules of other programs do not count", "Staff", "Staff:Mail:0", "Mail:0",
               "Editor/Staff/1", true);
    }
    void decisions() {
        QFETCH(QString, memberOf);
        QFETCH(QString, groupRules);
        QFETCH(QString, userRules);
        QFETCH(QString, entry);
        QFETCH(bool, allowed);
        TestContext t;
        t.directory->AddGroup(memberOf, {"tester"});
        SignIn(t);
        AddProgram(t, "Editor");
        AddProgram(t, "Mail");
        const QStringList rule = groupRules.split(':');
        AddGroupRule(t, rule[0], rule[1], rule[2].toInt());
        for (const QString& rule : userRules.split(',', Qt::SkipEmptyParts)) {
            const QStringList part = rule.split(':');
            AddUserRule(t, part[0], part[1].toInt());
        }
        const QStringList part = entry.split('/');
        const clsProgram candidate(part[0], part[1], static_cast<short>(part[2].toInt()));
        QCOMPARE(ReferenceAllowed(t.ctx, candidate), allowed);
        QCOMPARE(EvaluatorAllows(t.ctx, candidate), allowed);
    }

    // On randomly drawn catalogues the evaluator gives the one-at-a-time routine's answer for
    // every program and principal, and a list build keeps the candidates that routine accepts
    // whose program is still in the catalogue, in their order, also after rules, programs and
    // memberships change behind the collected rules.
    void decisionsMatchOneAtATimeRoutine_data() {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 8; ++seed)
            QTest::addRow("seed %u", seed) << seed;
    }
    void decisionsMatchOneAtATimeRoutine() {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        TestContext t;
        const QStringList groups{"Staff", "Sales", "Ops", "Dev", "tester"};
        for (const QString& g : groups)
            if (random.bounded(3) != 0)
                t.directory->AddGroup(g, {"tester"});
        SignIn(t);
        QStringList programs;
        for (int i = 0; i < 12; ++i) {
            programs << QStringLiteral("Program%1").arg(i);
            AddProgram(t, programs.last());
        }
        auto addRules = [&](int rules) {
            for (int i = 0; i < rules; ++i) {
                QString program = programs.at(random.bounded(programs.size()));
                if (random.bounded(2) == 0)
                    program = program.toLower();
                const int status = random.bounded(3) == 0 ? kDeny : kAllow;
                if (random.bounded(4) == 0)
                    AddUserRule(t, program, status);
                else
                    AddGroupRule(t, groups.at(random.bounded(groups.size())), program, status);
            }
        };
        addRules(50);
        QVERIFY(LoadRules(t));
        for (int round = 0; round < 3; ++round) {
            for (const QString& program : programs)
                for (const QString& object : groups)
                    for (short type : {short(1), short(2)}) {
                        const clsProgram entry(random.bounded(2) ? program : program.toLower(),
                                               object, type);
                        QCOMPARE(EvaluatorAllows(t.ctx, entry), ReferenceAllowed(t.ctx, entry));
                    }
            QStringList walked;
            for (const clsProgram& entry : modMain::CandidateEntries(t.ctx))
                if (ReferenceAllowed(t.ctx, entry) &&
                    t.ctx.Catalog().GetProgramId(entry.ProgramName()) != 0)
                    walked << Describe({entry});
            QCOMPARE(Describe(modMain::PermittedEntries(t.ctx)), walked);
            if (round == 0)
                QVERIFY(!walked.isEmpty());
            addRules(10);
            QVERIFY(
                t.ctx.Catalog().DeleteProgram(programs.takeAt(random.bounded(programs.size()))));
            if (!t.directory->groups.isEmpty() && random.bounded(2) == 0)
                t.directory->groups.removeAt(random.bounded(t.directory->groups.size()));
            else
                t.directory->AddGroup(groups.at(random.bounded(groups.size())), {"tester"});
        }
    }

    void loadPermissionsCollectsRulesInOrder() {
        TestContext t;
        t.directory->AddGroup("Sales", {"tester"});
        t.directory->AddGroup("Staff", {"tester", "other"});
        t.directory->AddGroup("Ops", {"other"});
        SignIn(t);
        for (const char* p : {"Alpha", "Beta", "Gamma"})
            AddProgram(t, p);
        AddGroupRule(t, "Staff", "Gamma", kAllow);
        AddGroupRule(t, "Staff", "Alpha", kDeny);
        AddGroupRule(t, "Sales", "Beta", kAllow);
        AddGroupRule(t, "Ops", "Alpha", kAllow);
        AddUserRule(t, "Beta", kDeny);
        // Seating the user asks the directory for his groups once, for the rules and the list.
        const int before = t.directory->userGroupCalls;
        const QStringList groups = modMain::SeatUser(t.ctx, "tester");
        QVERIFY(modMain::LoadPermissions(t.ctx, groups));
        const QList<clsProgram> shown = modMain::PermittedEntries(t.ctx, groups);
        QCOMPARE(t.directory->userGroupCalls - before, 1);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().ProgramName(), QStringLiteral("Gamma"));
        QVERIFY(!t.ctx.gIsAdmin);
        QStringList got;
        for (const GroupRule& r : t.ctx.permissions->GetGroupRules())
            got << QStringLiteral("%1:%2:%3").arg(r.GroupName, r.ProgramName).arg(r.Status);
        QCOMPARE(got, (QStringList{"Sales:Beta:1", "Staff:Gamma:1", "Staff:Alpha:0"}));
        QCOMPARE(t.ctx.permissions->GetUserRules().size(), 1);
        QCOMPARE(t.ctx.permissions->GetUserRules().at(0).ProgramName, QStringLiteral("Beta"));
    }

    void directoryAskedOncePerBuild() {
        TestContext t;
        t.directory->AddGroup("Staff", {"tester"});
        SignIn(t);
        for (int i = 0; i < 30; ++i) {
            AddProgram(t, QStringLiteral("P%1").arg(i));
            AddGroupRule(t, "Staff", QStringLiteral("P%1").arg(i), kAllow);
        }
        QVERIFY(LoadRules(t));
        const int before = t.directory->userGroupCalls;
        QCOMPARE(modMain::PermittedEntries(t.ctx).size(), 30);
        QCOMPARE(t.directory->userGroupCalls - before, 1);
        QCOMPARE(modMain::PermittedEntries(t.ctx).size(), 30);
        QCOMPARE(t.directory->userGroupCalls - before, 2);
    }
};

QTEST_GUILESS_MAIN(tst_accessevaluation)
#include "tst_accessevaluation.moc"
