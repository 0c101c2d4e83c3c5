#include "ctl/CtlCommand.h"
#include "ctl/CtlSession.h"
#include "platform/Text.h"

#include <QJsonArray>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

const QString kName = QStringLiteral("Program_Name");
const QString kDesc = QStringLiteral("Program_Desc");
const QString kPath = QStringLiteral("Program_Path");
const QString kStartIn = QStringLiteral("Program_StartInDir");
const QString kParms = QStringLiteral("Program_StartUpParms");
const QString kAdded = QStringLiteral("Program_Added_Date");

QJsonObject ProgramObject(Recordset& rs) {
    return {{QStringLiteral("name"), TrimSpaces(rs.Fields(kName).toString())},
            {QStringLiteral("description"), rs.Fields(kDesc).toString()},
            {QStringLiteral("path"), rs.Fields(kPath).toString()},
            {QStringLiteral("startIn"), rs.Fields(kStartIn).toString()},
            {QStringLiteral("parameters"), rs.Fields(kParms).toString()},
            {QStringLiteral("added"), rs.Fields(kAdded).toDateTime().toString(Qt::ISODate)}};
}

CtlResult Done(QJsonObject json, const QString& line) {
    json.insert(QStringLiteral("ok"), true);
    return {json, {}, {line}};
}

CtlResult ProgramsList(CtlSession& s, const CtlArgs&) {
    CtlResult result;
    result.table.headers = {QStringLiteral("Name"), QStringLiteral("Path"),
                            QStringLiteral("Start in"), QStringLiteral("Parameters")};
    QJsonArray programs;
    Recordset rs = s.Catalog().GetPrograms();
    const long count = rs.RecordCount();
    if (count > 0)
        rs.MoveFirst();
    for (long r = 0; r < count; ++r) {
        const QJsonObject p = ProgramObject(rs);
        programs.append(p);
        result.table.rows.append(
            {p[QStringLiteral("name")].toString(), p[QStringLiteral("path")].toString(),
             p[QStringLiteral("startIn")].toString(), p[QStringLiteral("parameters")].toString()});
        rs.MoveNext();
    }
    rs.Close();
    result.json = programs;
    return result;
}

CtlResult ProgramsShow(CtlSession& s, const CtlArgs& a) {
    Recordset rs = s.Catalog().GetProgram(a.words.at(0));
    if (rs.RecordCount() <= 0)
        throw Refusal{QStringLiteral("there is no program \"%1\"").arg(a.words.at(0))};
    rs.MoveFirst();
    const QJsonObject p = ProgramObject(rs);
    rs.Close();
    CtlResult result{p, {}, {}};
    const QStringList labels{QStringLiteral("Name"),       QStringLiteral("Description"),
                             QStringLiteral("Path"),       QStringLiteral("Start in"),
                             QStringLiteral("Parameters"), QStringLiteral("Added")};
    const QStringList keys{QStringLiteral("name"),       QStringLiteral("description"),
                           QStringLiteral("path"),       QStringLiteral("startIn"),
                           QStringLiteral("parameters"), QStringLiteral("added")};
    for (qsizetype i = 0; i < keys.size(); ++i)
        result.lines.append(
            QStringLiteral("%1 %2").arg(labels[i] + u':', -13).arg(p[keys[i]].toString()));
    return result;
}

// A name the tables and the window's list can show: a usage error otherwise.
void RequireGoodName(const QString& name) {
    if (const QString problem = ProgramNameProblem(name); !problem.isEmpty())
        throw UsageError{problem};
}

CtlResult ProgramsAdd(CtlSession& s, const CtlArgs& a) {
    const QString name = TrimSpaces(a.words.at(0));
    if (name.isEmpty())
        throw Refusal{QStringLiteral("a program needs a name")};
    if (!s.Catalog().AddProgram(
            name, a.Value(QStringLiteral("--description")), a.Required(QStringLiteral("--path")),
            a.Value(QStringLiteral("--icon")), a.Value(QStringLiteral("--start-in")),
            a.Value(QStringLiteral("--parameters")))) {
        // Names compare in upper case: the program that holds it, as it is spelled.
        Recordset held = s.Catalog().GetProgram(name);
        throw Refusal{QStringLiteral("a program named \"%1\" exists already")
                          .arg(held.RecordCount() > 0
                                   ? held.Fields(QStringLiteral("Program_Name")).toString()
                                   : name)};
    }
    return Done({{QStringLiteral("program"), name}}, QStringLiteral("Added %1").arg(name));
}

CtlResult ProgramsSet(CtlSession& s, const CtlArgs& a) {
    const QString name = a.words.at(0);
    Recordset rs = s.Catalog().GetProgram(name);
    if (rs.RecordCount() <= 0)
        throw Refusal{QStringLiteral("there is no program \"%1\"").arg(name)};
    rs.MoveFirst();
    auto pick = [&](const QString& option, const QString& field) {
        return a.Has(option) ? a.Value(option) : rs.Fields(field).toString();
    };
    const QString newName = a.Has(QStringLiteral("--name"))
                                ? TrimSpaces(a.Value(QStringLiteral("--name")))
                                : TrimSpaces(rs.Fields(kName).toString());
    const QString desc = pick(QStringLiteral("--description"), kDesc);
    const QString path = pick(QStringLiteral("--path"), kPath);
    const QString startIn = pick(QStringLiteral("--start-in"), kStartIn);
    const QString parms = pick(QStringLiteral("--parameters"), kParms);
    rs.Close();
    if (newName.isEmpty())
        throw Refusal{QStringLiteral("a program needs a name")};
    if (!s.Catalog().ModifyProgram(name, newName, desc, path, startIn, parms))
        throw Refusal{QStringLiteral("another program is named \"%1\"").arg(newName)};
    if (a.Has(QStringLiteral("--icon")) &&
        !s.Catalog().SetProgramIcon(newName, a.Value(QStringLiteral("--icon"))))
        throw Refusal{QStringLiteral("%1 is not a picture that can be read; the other changes "
                                     "are stored")
                          .arg(a.Value(QStringLiteral("--icon")))};
    return Done({{QStringLiteral("program"), newName}}, QStringLiteral("Changed %1").arg(newName));
}

CtlResult ProgramsRemove(CtlSession& s, const CtlArgs& a) {
    if (!s.Catalog().DeleteProgram(a.words.at(0)))
        throw Refusal{QStringLiteral("there is no program \"%1\"").arg(a.words.at(0))};
    return Done({{QStringLiteral("program"), a.words.at(0)}},
                QStringLiteral("Removed %1").arg(a.words.at(0)));
}

CtlResult FoldersList(CtlSession& s, const CtlArgs&) {
    CtlResult result;
    result.table.headers = {QStringLiteral("Name"), QStringLiteral("Path")};
    QJsonArray folders;
    Recordset rs = s.Catalog().GetFolders();
    const long count = rs.RecordCount();
    if (count > 0)
        rs.MoveFirst();
    for (long r = 0; r < count; ++r) {
        const QString name = rs.Fields(QStringLiteral("Folder_Name")).toString();
        const QString path = rs.Fields(QStringLiteral("Folder_Path")).toString();
        folders.append(QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("path"), path}});
        result.table.rows.append({name, path});
        rs.MoveNext();
    }
    rs.Close();
    result.json = folders;
    return result;
}

CtlResult FoldersAdd(CtlSession& s, const CtlArgs& a) {
    const QString name = TrimSpaces(a.words.at(0));
    if (name.isEmpty() || TrimSpaces(a.words.at(1)).isEmpty())
        throw Refusal{QStringLiteral("a folder entry needs a name and a path")};
    if (!s.Catalog().AddFolder(name, a.words.at(1)))
        throw Refusal{QStringLiteral("the folder entry \"%1\" could not be added").arg(name)};
    return Done({{QStringLiteral("folder"), name}}, QStringLiteral("Added folder %1").arg(name));
}

CtlResult FoldersRemove(CtlSession& s, const CtlArgs& a) {
    if (!s.Catalog().DeleteFolder(a.words.at(0)))
        throw Refusal{QStringLiteral("there is no folder entry \"%1\"").arg(a.words.at(0))};
    return Done({{QStringLiteral("folder"), a.words.at(0)}},
                QStringLiteral("Removed folder %1").arg(a.words.at(0)));
}

CtlResult ThemesList(CtlSession& s, const CtlArgs&) {
    CtlResult result;
    result.table.headers = {QStringLiteral("Name"), QStringLiteral("Default"),
                            QStringLiteral("Logos")};
    const QString current = s.Catalog().GetDefaultTheme();
    const QStringList logos{QStringLiteral("Theme_LogoSplash"), QStringLiteral("Theme_LogoSetup"),
                            QStringLiteral("Theme_LogoAddRemove")};
    QJsonArray themes;
    Recordset rs = s.Catalog().GetThemes();
    const long count = rs.RecordCount();
    if (count > 0)
        rs.MoveFirst();
    for (long r = 0; r < count; ++r) {
        const QString name = rs.Fields(QStringLiteral("Theme_Name")).toString();
        QStringList present;
        for (const QString& logo : logos)
            if (!rs.Fields(logo).toByteArray().isEmpty())
                present.append(logo.mid(10)); // "Theme_Logo" off: Splash, Setup, AddRemove
        themes.append(QJsonObject{{QStringLiteral("name"), name},
                                  {QStringLiteral("default"), name == current},
                                  {QStringLiteral("logos"), QJsonArray::fromStringList(present)}});
        result.table.rows.append({name, name == current ? QStringLiteral("yes") : QString(),
                                  present.join(QStringLiteral(", "))});
        rs.MoveNext();
    }
    rs.Close();
    result.json = themes;
    return result;
}

CtlResult ThemesApply(CtlSession& s, const CtlArgs& a) {
    if (!s.Catalog().SetDefaultTheme(a.words.at(0)))
        throw Refusal{QStringLiteral("there is no theme \"%1\"").arg(a.words.at(0))};
    return Done({{QStringLiteral("theme"), a.words.at(0)}},
                QStringLiteral("Theme %1 is the default").arg(a.words.at(0)));
}

CtlResult ThemesRemove(CtlSession& s, const CtlArgs& a) {
    if (!s.Catalog().DeleteTheme(a.words.at(0)))
        throw Refusal{QStringLiteral("the theme \"%1\" does not exist or is the built-in "
                                     "\"Default\" theme, which stays")
                          .arg(a.words.at(0))};
    return Done({{QStringLiteral("theme"), a.words.at(0)}},
                QStringLiteral("Removed theme %1").arg(a.words.at(0)));
}

} // namespace

QList<CtlCommand> CatalogCommands() {
    using R = CtlCommand::Rights;
    const QStringList fields{QStringLiteral("--description TEXT"), QStringLiteral("--path PATH"),
                             QStringLiteral("--start-in DIR"), QStringLiteral("--parameters ARGS"),
                             QStringLiteral("--icon PICTURE")};
    return {
        {{u"programs"_s, u"list"_s},
         {},
         0,
         0,
         {},
         R::Anyone,
         u"the catalogue's programs"_s,
         ProgramsList},
        {{u"programs"_s, u"show"_s},
         u"NAME"_s,
         1,
         1,
         {},
         R::Anyone,
         u"one program"_s,
         ProgramsShow},
        {{u"programs"_s, u"add"_s},
         u"NAME --path PATH"_s,
         1,
         1,
         fields,
         R::Administrator,
         u"adds a program"_s,
         ProgramsAdd,
         {u"--path"_s},
         [](const CtlArgs& a) { RequireGoodName(a.words.at(0)); }},
        {{u"programs"_s, u"set"_s},
         u"NAME"_s,
         1,
         1,
         QStringList{u"--name NEW"_s} + fields,
         R::Administrator,
         u"changes a program; what is not given stays"_s,
         ProgramsSet,
         {},
         [](const CtlArgs& a) {
             if (a.Has(QStringLiteral("--name")))
                 RequireGoodName(a.Value(QStringLiteral("--name")));
         }},
        {{u"programs"_s, u"remove"_s},
         u"NAME"_s,
         1,
         1,
         {},
         R::Administrator,
         u"removes a program with its rules"_s,
         ProgramsRemove},
        {{u"folders"_s, u"list"_s}, {}, 0, 0, {}, R::Anyone, u"the folder entries"_s, FoldersList},
        {{u"folders"_s, u"add"_s},
         u"NAME PATH"_s,
         2,
         2,
         {},
         R::Administrator,
         u"adds a folder entry"_s,
         FoldersAdd},
        {{u"folders"_s, u"remove"_s},
         u"NAME"_s,
         1,
         1,
         {},
         R::Administrator,
         u"removes the folder entries of that name"_s,
         FoldersRemove},
        {{u"themes"_s, u"list"_s}, {}, 0, 0, {}, R::Anyone, u"the themes"_s, ThemesList},
        {{u"themes"_s, u"apply"_s},
         u"NAME"_s,
         1,
         1,
         {},
         R::Administrator,
         u"makes a theme the default"_s,
         ThemesApply},
        {{u"themes"_s, u"remove"_s},
         u"NAME"_s,
         1,
         1,
         {},
         R::Administrator,
         u"removes a theme"_s,
         ThemesRemove},
    };
}
