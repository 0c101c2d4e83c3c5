#include "access/AccessEvaluator.h"
#include "access/Candidates.h"
#include "access/LauncherItems.h"
#include "ctl/CtlCommand.h"
#include "ctl/CtlSession.h"
#include "platform/OrvError.h"
#include "platform/Text.h"

#include <QJsonArray>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

// Which settings decided the answer: those the user's own launcher reads for this folder.
QJsonObject WithDecidingSettings(CtlSession& s, QJsonObject json, CtlResult& result) {
    json.insert(QStringLiteral("settings"), s.Registry().File());
    json.insert(QStringLiteral("adminGroup"), s.AdminGroup());
    result.lines.append(QStringLiteral("(as the settings in %1 say; administrators' group \"%2\")")
                            .arg(s.Registry().File(), s.AdminGroup()));
    return json;
}

bool IsGroup(CtlSession& s, const QString& name) {
    try {
        s.Directory().GetAccountSid(s.Domain(), name, false);
        return true; // an account of the directory, but not a user
    } catch (const OrvError&) {
        return false;
    }
}

QString UserOf(CtlSession& s, const CtlArgs& a) {
    const QString user = a.Required(QStringLiteral("--user"));
    try {
        s.ActAs(user);
    } catch (const OrvError& unknown) {
        // No such user; a group of that name is told apart from a name nobody has.
        if (unknown.Number() == ErrorNumber::NoMapping && IsGroup(s, user))
            throw Refusal{QStringLiteral("\"%1\" is a group, not a user: name a user with --user; "
                                         "the rules of his groups are taken in with his own")
                              .arg(user)};
        throw;
    }
    return user;
}

CtlResult LauncherList(CtlSession& s, const CtlArgs& a) {
    const QString user = UserOf(s, a);
    CtlResult result;
    result.table.headers = {QStringLiteral("#"), QStringLiteral("Kind"), QStringLiteral("Name"),
                            QStringLiteral("Folder path")};
    QJsonArray items;
    int number = 0;
    for (const modMain::LauncherItem& item :
         modMain::LauncherItems(s.Context(), s.SeatedGroups())) {
        const QString kind = item.isFolder ? QStringLiteral("folder") : QStringLiteral("program");
        // Every item has every key: a program's path is null.
        const QJsonObject json{
            {QStringLiteral("name"), item.name},
            {QStringLiteral("kind"), kind},
            {QStringLiteral("path"), item.isFolder ? QJsonValue(item.folderPath) : QJsonValue()}};
        items.append(json);
        result.table.rows.append({QString::number(++number), kind, item.name, item.folderPath});
    }
    if (s.Context().gIsAdmin)
        result.lines.append(
            QStringLiteral("%1 administers the launcher: every program is listed").arg(user));
    result.json =
        WithDecidingSettings(s,
                             QJsonObject{{QStringLiteral("user"), user},
                                         {QStringLiteral("administrator"), s.Context().gIsAdmin},
                                         {QStringLiteral("items"), items}},
                             result);
    return result;
}

// One program's answer: whether it is shown and what decided.
struct Why {
    QString program;
    bool shown = false;
    std::optional<clsProgram> candidate;
    modMain::EntryExplanation explanation;
    QString cell;
    QString reason;
};

QJsonValue MemberJson(const std::optional<bool>& member) {
    return member ? QJsonValue(*member) : QJsonValue(QJsonValue::Null);
}

QString MemberText(const std::optional<bool>& member) {
    return member ? (*member ? QStringLiteral("yes") : QStringLiteral("no"))
                  : QStringLiteral("not asked");
}

Why Explain(CtlSession& s, modMain::AccessEvaluator& evaluator, const QList<clsProgram>& candidates,
            const QString& program) {
    Why why;
    why.program = program;
    AppContext& ctx = s.Context();
    if (ctx.gIsAdmin) {
        why.shown = true;
        why.cell = QStringLiteral("administrator");
        why.reason = QStringLiteral("a member of the administrators' group \"%1\" sees every "
                                    "program")
                         .arg(s.AdminGroup());
        return why;
    }
    const QString upper = program.toUpper();
    for (const clsProgram& entry : candidates)
        if (entry.ProgramName().toUpper() == upper) {
            why.candidate = entry;
            break;
        }
    if (!why.candidate) {
        why.cell = QStringLiteral("not a candidate");
        why.reason = QStringLiteral("no Allow rule of the user or of one of his groups names it");
        return why;
    }
    why.explanation = evaluator.Explain(*why.candidate);
    why.shown = why.explanation.decision.allowed;
    why.cell = why.explanation.decision.cell;
    why.reason = why.explanation.decision.reason;
    return why;
}

CtlResult WhyCommand(CtlSession& s, const CtlArgs& a) {
    const QString user = UserOf(s, a);
    QStringList programs;
    if (a.Has(QStringLiteral("--program"))) {
        const QString program = TrimSpaces(a.Required(QStringLiteral("--program")));
        Recordset rs = s.Catalog().GetProgram(program);
        if (rs.RecordCount() <= 0)
            throw Refusal{QStringLiteral("there is no program \"%1\"").arg(program)};
        rs.MoveFirst();
        programs.append(TrimSpaces(rs.Fields(QStringLiteral("Program_Name")).toString()));
        rs.Close();
    } else {
        Recordset rs = s.Catalog().GetPrograms();
        const long count = rs.RecordCount();
        if (count > 0)
            rs.MoveFirst();
        for (long r = 0; r < count; ++r) {
            programs.append(TrimSpaces(rs.Fields(QStringLiteral("Program_Name")).toString()));
            rs.MoveNext();
        }
        rs.Close();
    }

    AppContext& ctx = s.Context();
    const QList<clsProgram> candidates =
        ctx.gIsAdmin ? QList<clsProgram>() : modMain::CandidateEntries(ctx);
    modMain::AccessEvaluator evaluator(ctx, s.SeatedGroups());
    CtlResult result;
    result.table.headers = {QStringLiteral("Program"),    QStringLiteral("Shown"),
                            QStringLiteral("Candidate"),  QStringLiteral("User rule"),
                            QStringLiteral("Group rule"), QStringLiteral("Member"),
                            QStringLiteral("Why")};
    QJsonArray answers;
    for (const QString& program : programs) {
        const Why why = Explain(s, evaluator, candidates, program);
        QJsonObject json{{QStringLiteral("program"), why.program},
                         {QStringLiteral("shown"), why.shown},
                         {QStringLiteral("cell"), why.cell},
                         {QStringLiteral("reason"), why.reason}};
        QStringList row{why.program,
                        why.shown ? QStringLiteral("shown") : QStringLiteral("hidden")};
        if (why.candidate) {
            const bool fromGroup = why.candidate->ObjectType() == clsProgram::FromGroupRule;
            const auto& e = why.explanation;
            json.insert(QStringLiteral("candidate"),
                        QJsonObject{{QStringLiteral("principal"), why.candidate->ObjectName()},
                                    {QStringLiteral("kind"), fromGroup ? QStringLiteral("group")
                                                                       : QStringLiteral("user")}});
            json.insert(QStringLiteral("userRule"), modMain::VerdictName(e.user));
            json.insert(QStringLiteral("groupRule"), modMain::VerdictName(e.group));
            json.insert(QStringLiteral("member"), MemberJson(e.decision.member));
            row << QStringLiteral("%1 %2").arg(fromGroup ? QStringLiteral("group")
                                                         : QStringLiteral("user"),
                                               why.candidate->ObjectName())
                << modMain::VerdictName(e.user)
                << QStringLiteral("%1 (of %2)")
                       .arg(modMain::VerdictName(e.group), why.candidate->ObjectName())
                << MemberText(e.decision.member);
        } else {
            // Every answer has every key: null where there is nothing to say.
            json.insert(QStringLiteral("candidate"), QJsonValue::Null);
            json.insert(QStringLiteral("userRule"), QJsonValue::Null);
            json.insert(QStringLiteral("groupRule"), QJsonValue::Null);
            json.insert(QStringLiteral("member"), QJsonValue::Null);
            row << QStringLiteral("-") << QStringLiteral("-") << QStringLiteral("-")
                << QStringLiteral("-");
        }
        row << QStringLiteral("%1: %2").arg(why.cell, why.reason);
        answers.append(json);
        result.table.rows.append(row);
    }
    result.json = WithDecidingSettings(s,
                                       QJsonObject{{QStringLiteral("user"), user},
                                                   {QStringLiteral("administrator"), ctx.gIsAdmin},
                                                   {QStringLiteral("programs"), answers}},
                                       result);
    return result;
}

} // namespace

QList<CtlCommand> ListCommands() {
    using R = CtlCommand::Rights;
    return {
        {{u"launcher-list"_s},
         u"--user U"_s,
         0,
         0,
         {u"--user U"_s},
         R::Anyone,
         u"the list the user gets at start-up, in order"_s,
         LauncherList,
         {u"--user"_s}},
        {{u"why"_s},
         u"--user U"_s,
         0,
         0,
         {u"--user U"_s, u"--program P"_s},
         R::Anyone,
         u"why each program is shown to the user or hidden"_s,
         WhyCommand,
         {u"--user"_s}},
    };
}
