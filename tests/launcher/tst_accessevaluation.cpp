#include "LauncherFixture.h"
#include "launcher/AccessEvaluation.h"
#include "launcher/Candidates.h"
#include "launcher/PermittedEntries.h"

#include <QRandomGenerator>
#include <QTest>

using modMain::RuleVerdict;
using namespace fixture;

Q_DECLARE_METATYPE(RuleVerdict)

namespace {

const RuleVerdict A = RuleVerdict::Allow;
const RuleVerdict D = RuleVerdict::Deny;
const RuleVerdict N = RuleVerdict::None;

// "Group:Program:Status" and "User:Program:Status" lines into the PermissionSet.
void FillRules(PermissionSet& set, const QStringList& groupRules, const QStringList& userRules) {
    for (const QString& rule : groupRules) {
        const QStringList part = rule.split(':');
        set.AddGroupRule(part[0], part[1], static_cast<short>(part[2].toInt()));
    }
    for (const QString& rule : userRules) {
        const QStringList part = rule.split(':');
        set.AddUserRule("tester", part[0], part[1], static_cast<short>(part[2].toInt()));
    }
}

QStringList Describe(const QList<clsProgram>& entries) {
    QStringList lines;
    for (const clsProgram& e : entries)
        lines
            << QStringLiteral("%1/%2/%3").arg(e.ProgramName(), e.ObjectName()).arg(e.ObjectType());
    return lines;
}

} // namespace

class tst_accessevaluation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every cell of the decision table, for a candidate from a group rule (1) and from a user
    // rule (2), with and without a confirmed membership.
    void decisionTable_data() {
        QTest::addColumn<RuleVerdict>("user");
        QTest::addColumn<RuleVerdict>("group");
        QTest::addColumn<short>("type");
        QTest::addColumn<bool>("member");
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<bool>("asksMembership");
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

    void candidates_data() {
        QTest::addColumn<QStringList>("groupRules");
        QTest::addColumn<QStringList>("userRules");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("no rules") << QStringList{} << QStringList{} << QStringList{};
        QTest::newRow("first rule wins: group before user")
            << QStringList{"Staff:Editor:1", "Sales:Editor:1"} << QStringList{"tester:Editor:1"}
            << QStringList{"Editor/Staff/1"};
        QTest::newRow("letter case makes one candidate")
            << QStringList{"Staff:editor:1", "Staff:EDITOR:1"} << QStringList{"tester:Editor:1"}
            << QStringList{"editor/Staff/1"};
        QTest::newRow("deny between allows")
            << QStringList{"Staff:Alpha:1", "Staff:Beta:0", "Staff:Gamma:1"} << QStringList{}
            << QStringList{"Alpha/Staff/1", "Gamma/Staff/1"};
        QTest::newRow("a deny does not stop a later allow")
            << QStringList{"Staff:Alpha:0", "Sales:Alpha:1"} << QStringList{}
            << QStringList{"Alpha/Sales/1"};
        QTest::newRow("consecutive denies are all passed over")
            << QStringList{"Staff:Alpha:0", "Staff:Beta:0", "Staff:Gamma:1"} << QStringList{}
            << QStringList{"Gamma/Staff/1"};
        QTest::newRow("group programs first, then user-only programs")
            << QStringList{"Staff:Beta:1"}
            << QStringList{"tester:Alpha:1", "tester:Beta:1", "tester:alpha:1"}
            << QStringList{"Beta/Staff/1", "Alpha/tester/2"};
        QTest::newRow("user deny makes no candidate")
            << QStringList{} << QStringList{"tester:Alpha:0", "tester:Beta:1"}
            << QStringList{"Beta/tester/2"};
        QTest::newRow("other statuses are skipped")
            << QStringList{"Staff:Alpha:2", "Staff:Beta:-1"} << QStringList{"tester:Gamma:7"}
            << QStringList{};
        QTest::newRow("names are trimmed")
            << QStringList{"Staff: Editor :1"} << QStringList{"tester:Editor:1"}
            << QStringList{"Editor/Staff/1"};
    }
    void candidates() {
        QFETCH(QStringList, groupRules);
        QFETCH(QStringList, userRules);
        QFETCH(QStringList, expected);
        TestContext t;
        FillRules(*t.ctx.permissions, groupRules, userRules);
        QCOMPARE(Describe(modMain::CandidateEntries(t.ctx)), expected);
    }

    void notInCollection_data() {
        QTest::addColumn<QStringList>("programs");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("absent");
        QTest::newRow("empty") << QStringList{} << "Editor" << true;
        QTest::newRow("same letters") << QStringList{"Mail", "Editor"} << "Editor" << false;
        QTest::newRow("other case") << QStringList{"Mail", "eDiToR"} << "EDITOR" << false;
        QTest::newRow("absent") << QStringList{"Mail", "Editors"} << "Editor" << true;
    }
    void notInCollection() {
        QFETCH(QStringList, programs);
        QFETCH(QString, name);
        QFETCH(bool, absent);
        QList<clsProgram> entries;
        for (const QString& p : programs)
            entries.append(clsProgram(p, "Staff", 1));
        QCOMPARE(modMain::NotInCollection(entries, name), absent);
    }

    // IsEntryAllowed against a real catalogue and directory.
    void isEntryAllowed_data() {
        QTest::addColumn<QStringList>("memberOf");
        QTest::addColumn<QStringList>("groupRules"); // Group:Program:Status
        QTest::addColumn<QStringList>("userRules");  // Program:Status
        QTest::addColumn<QString>("entry");          // Program/Object/Type
        QTest::addColumn<bool>("allowed");
        QTest::newRow("group allows, member")
            << QStringList{"Staff"} << QStringList{"Staff:Editor:1"} << QStringList{}
            << "Editor/Staff/1" << true;
        QTest::newRow("own deny hides") << QStringList{"Staff"} << QStringList{"Staff:Editor:1"}
                                        << QStringList{"Editor:0"} << "Editor/Staff/1" << false;
        QTest::newRow("own allow, group lookup under the user's name")
            << QStringList{"Staff"} << QStringList{"Staff:Editor:0"} << QStringList{"Editor:1"}
            << "Editor/tester/2" << true;
        QTest::newRow("own allow, denying group of a member")
            << QStringList{"Staff"} << QStringList{"Staff:Editor:0"} << QStringList{"Editor:1"}
            << "Editor/Staff/1" << false;
        QTest::newRow("own allow, denying group of a non-member")
            << QStringList{"Sales"} << QStringList{"Staff:Editor:0"} << QStringList{"Editor:1"}
            << "Editor/Staff/1" << true;
        QTest::newRow("group names compare exactly")
            << QStringList{"staff"} << QStringList{"Staff:Editor:1"} << QStringList{}
            << "Editor/Staff/1" << false;
        QTest::newRow("program names compare in upper case")
            << QStringList{"Staff"} << QStringList{"Staff:Editor:1"} << QStringList{}
            << "EDITOR/Staff/1" << true;
        QTest::newRow("rules of other programs do not count")
            << QStringList{"Staff"} << QStringList{"Staff:Mail:0"} << QStringList{"Mail:0"}
            << "Editor/Staff/1" << true;
        QTest::newRow("allowing group, candidate from a user rule")
            << QStringList{"Staff"} << QStringList{"Staff:Editor:1"} << QStringList{}
            << "Editor/Staff/2" << false;
        QTest::newRow("group deny, no own rule")
            << QStringList{"Staff"} << QStringList{"Staff:Editor:0"} << QStringList{}
            << "Editor/Staff/1" << false;
    }
    void isEntryAllowed() {
        QFETCH(QStringList, memberOf);
        QFETCH(QStringList, groupRules);
        QFETCH(QStringList, userRules);
        QFETCH(QString, entry);
        QFETCH(bool, allowed);
        TestContext t;
        for (const QString& group : memberOf)
            t.directory->AddGroup(group, {"tester"});
        SignIn(t);
        AddProgram(t, "Editor");
        AddProgram(t, "Mail");
        for (const QString& rule : groupRules) {
            const QStringList part = rule.split(':');
            AddGroupRule(t, part[0], part[1], part[2].toInt());
        }
        for (const QString& rule : userRules) {
            const QStringList part = rule.split(':');
            AddUserRule(t, part[0], part[1].toInt());
        }
        const QStringList part = entry.split('/');
        const clsProgram candidate(part[0], part[1], static_cast<short>(part[2].toInt()));
        QCOMPARE(modMain::IsEntryAllowed(t.ctx, candidate), allowed);
        modMain::AccessEvaluator evaluator(t.ctx);
        QCOMPARE(evaluator.IsEntryAllowed(candidate), allowed);
    }

    // The per-build evaluator gives the record walk's answer for every program and principal
    // of randomly drawn catalogues.
    void evaluatorMatchesRecordWalk_data() {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 6; ++seed)
            QTest::addRow("seed %u", seed) << seed;
    }
    void evaluatorMatchesRecordWalk() {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        TestContext t;
        const QStringList groups{"Staff", "Sales", "Ops", "Dev", "tester"};
        for (const QString& g : groups)
            if (random.bounded(2) == 0)
                t.directory->AddGroup(g, {"tester"});
        SignIn(t);
        QStringList programs;
        for (int i = 0; i < 10; ++i) {
            programs << QStringLiteral("Program%1").arg(i);
            AddProgram(t, programs.last());
        }
        for (int i = 0; i < 40; ++i) {
            const QString program = programs.at(random.bounded(programs.size()));
            const int status = random.bounded(2);
            if (random.bounded(4) == 0)
                AddUserRule(t, program, status);
            else
                AddGroupRule(t, groups.at(random.bounded(groups.size())), program, status);
        }
        modMain::AccessEvaluator evaluator(t.ctx);
        int allowedCount = 0;
        for (const QString& program : programs)
            for (const QString& object : groups)
                for (short type : {short(1), short(2)}) {
                    // Letter case of the entry must not matter either.
                    const clsProgram entry(random.bounded(2) ? program : program.toLower(), object,
                                           type);
                    const bool walked = modMain::IsEntryAllowed(t.ctx, entry);
                    QCOMPARE(evaluator.IsEntryAllowed(entry), walked);
                    allowedCount += walked;
                }
        QVERIFY(allowedCount > 0);
    }

    // A list build gives the entries that the one-at-a-time walk keeps: the candidates that
    // IsEntryAllowed accepts and whose program is still in the catalogue, in their order, also
    // after rules, programs and memberships change behind the collected rules.
    void permittedEntriesMatchRecordWalk_data() {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 8; ++seed)
            QTest::addRow("seed %u", seed) << seed;
    }
    void permittedEntriesMatchRecordWalk() {
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
        QVERIFY(modMain::LoadPermissions(t.ctx));
        for (int round = 0; round < 3; ++round) {
            QStringList walked;
            for (const clsProgram& entry : modMain::CandidateEntries(t.ctx))
                if (modMain::IsEntryAllowed(t.ctx, entry) &&
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

    void administratorGroupComparesExactly_data() {
        QTest::addColumn<QString>("directoryGroup");
        QTest::addColumn<bool>("admin");
        QTest::newRow("same letters") << "Admins" << true;
        QTest::newRow("other case") << "admins" << false;
        QTest::newRow("longer name") << "Admins2" << false;
    }
    void administratorGroupComparesExactly() {
        QFETCH(QString, directoryGroup);
        QFETCH(bool, admin);
        TestContext t;
        t.directory->AddGroup(directoryGroup, {"tester"});
        SignIn(t);
        QCOMPARE(t.ctx.gIsAdmin, admin);
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
        QVERIFY(modMain::LoadPermissions(t.ctx));
        QStringList got;
        for (const GroupRule& r : t.ctx.permissions->GetGroupRules())
            got << QStringLiteral("%1:%2:%3").arg(r.GroupName, r.ProgramName).arg(r.Status);
        QCOMPARE(got, (QStringList{"Sales:Beta:1", "Staff:Gamma:1", "Staff:Alpha:0"}));
        QCOMPARE(t.ctx.permissions->GetUserRules().size(), 1);
        QCOMPARE(t.ctx.permissions->GetUserRules().at(0).ProgramName, QStringLiteral("Beta"));
    }

    void administratorCollectsNothing() {
        TestContext t;
        t.directory->AddGroup("Staff", {"tester"});
        SignIn(t, true);
        AddProgram(t, "Alpha");
        AddGroupRule(t, "Staff", "Alpha", kAllow);
        QVERIFY(t.ctx.gIsAdmin);
        QVERIFY(modMain::LoadPermissions(t.ctx));
        QVERIFY(t.ctx.permissions->GetGroupRules().isEmpty());
        QVERIFY(t.ctx.permissions->GetUserRules().isEmpty());
    }

    // Candidates come from the rules collected at start-up; the decisions read the catalogue
    // and the directory afresh on every build.
    void decisionsFollowTheCatalogue() {
        TestContext t;
        t.directory->AddGroup("Staff", {"tester"});
        SignIn(t);
        for (const char* p : {"Alpha", "Beta", "Gamma", "Delta"})
            AddProgram(t, p);
        AddGroupRule(t, "Staff", "Alpha", kAllow);
        AddGroupRule(t, "Staff", "Beta", kAllow);
        AddGroupRule(t, "Staff", "Gamma", kAllow);
        QVERIFY(modMain::LoadPermissions(t.ctx));
        QCOMPARE(Describe(modMain::PermittedEntries(t.ctx)),
                 (QStringList{"Alpha/Staff/1", "Beta/Staff/1", "Gamma/Staff/1"}));

        AddUserRule(t, "Beta", kDeny);                   // a new own Deny shows at once
        QVERIFY(t.ctx.Catalog().DeleteProgram("Gamma")); // a rule of a vanished program
        AddGroupRule(t, "Staff", "Delta", kAllow);       // no new candidate before the next start
        QCOMPARE(Describe(modMain::PermittedEntries(t.ctx)), (QStringList{"Alpha/Staff/1"}));

        // Leaving the group takes Alpha away at the next build.
        t.directory->groups.clear();
        QVERIFY(modMain::PermittedEntries(t.ctx).isEmpty());
    }

    void directoryAskedOncePerBuild() {
        TestContext t;
        t.directory->AddGroup("Staff", {"tester"});
        SignIn(t);
        for (int i = 0; i < 30; ++i) {
            AddProgram(t, QStringLiteral("P%1").arg(i));
            AddGroupRule(t, "Staff", QStringLiteral("P%1").arg(i), kAllow);
        }
        QVERIFY(modMain::LoadPermissions(t.ctx));
        const int before = t.directory->userGroupCalls;
        QCOMPARE(modMain::PermittedEntries(t.ctx).size(), 30);
        QCOMPARE(t.directory->userGroupCalls - before, 1);
        QCOMPARE(modMain::PermittedEntries(t.ctx).size(), 30);
        QCOMPARE(t.directory->userGroupCalls - before, 2);
    }
};

QTEST_GUILESS_MAIN(tst_accessevaluation)
#include "tst_accessevaluation.moc"
