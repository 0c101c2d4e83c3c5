#include "support/DataRow.h"
#include "support/TestAccount.h"
#include "support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Runs the built orvanectl on personal application folders of the unprivileged test account:
// their settings sit beside them and the account is the caller the rights check sees.
namespace {

const QString kMe = QString::fromLatin1(kTestAccount);
// A group that neither the test account nor "nobody" is in.
const QString kOtherGroup = u"root"_s;

struct CtlRun {
    int status = -1;
    QString out;
    QString err;
    QJsonDocument json;
};

CtlRun Ctl(const QString& appDir, QStringList args) {
    // First, so that a row ending in an option without its value stays without one.
    args.prepend(appDir);
    args.prepend(u"--app-dir"_s);
    QProcess process;
    process.start(QStringLiteral(ORV_CTL), args);
    CtlRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        run.err = u"no answer within a minute"_s;
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    if (args.contains(u"--json"_s))
        run.json = QJsonDocument::fromJson(run.out.toUtf8());
    return run;
}

// A command line's words, <me> standing for the test account.
QStringList Args(const QString& line) {
    return QString(line).replace("<me>", kMe).split(u' ');
}

QString Describe(const CtlRun& run) {
    return u"status %1\nstdout:\n%2\nstderr:\n%3"_s.arg(run.status).arg(run.out, run.err);
}

// Runs a command that must succeed.
#define CTL_OK(run, dir, ...)                                                                      \
    const CtlRun run = Ctl(dir, QStringList{__VA_ARGS__});                                         \
    QVERIFY2(run.status == 0, qPrintable(Describe(run)))

} // namespace

class tst_orvanectl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A cell of the decision table for each kind of candidate (the table itself is
    // tst_accessevaluation's), one with the membership asked, programs that are not
    // candidates and the administrator, each as `why` explains it to the test account;
    // `launcher-list` agrees with every answer.
    void whyExplainsTheDecision_data() {
        QTest::addColumn<QStringList>("rules"); // "allow user", "deny group", ...
        AddColumns<bool, bool, QString>("administrator", "shown", "cell");
        QTest::addColumn<QString>("candidate"); // "kind name", empty when none
        AddColumns<QString, QString, QJsonValue>("userRule", "groupRule", "member");
        const QString group = u"group "_s + kMe;
        const QString user = u"user "_s + kMe;
        const QJsonValue notAsked(QJsonValue::Null);
        AddRow("U Allow, G Deny", QStringList{"deny group", "allow user"}, false, true,
               "U Allow, G Deny, user candidate", user, "Allow", "Deny", notAsked);
        AddRow("U Deny, G Allow", QStringList{"allow group", "deny user"}, false, false,
               "U Deny, G Allow, group candidate", group, "Deny", "Allow", notAsked);
        AddRow("U none, G Allow, member", QStringList{"allow group"}, false, true,
               "U none, G Allow, group candidate, member", group, "none", "Allow",
               QJsonValue(true));
        AddRow("Allow of a group he is not in", QStringList{"allow other"}, false, false,
               "not a candidate", QString(), QString(), QString(), notAsked);
        AddRow("administrator, no rules", QStringList{}, true, true, "administrator", QString(),
               QString(), QString(), notAsked);
    }
    void whyExplainsTheDecision() {
        ORV_AS_TEST_ACCOUNT();
        QFETCH(QStringList, rules);
        QFETCH(bool, administrator);
        QFETCH(bool, shown);
        QFETCH(QString, cell);
        QFETCH(QString, candidate);
        QFETCH(QString, userRule);
        QFETCH(QString, groupRule);
        QFETCH(QJsonValue, member);

        QTemporaryDir dir;
        const QString app = dir.path();
        { CTL_OK(setup, app, "settings", "set", "admin-group", kMe); }
        { CTL_OK(add, app, "programs", "add", "Editor", "--path", "/usr/bin/vi"); }
        for (const QString& rule : rules) {
            const QStringList part = rule.split(u' ');
            const QString who = part[1] == "user" ? u"--user"_s : u"--group"_s;
            const QString name = part[1] == "other" ? kOtherGroup : kMe;
            // The program's letter case does not matter to the rules.
            CTL_OK(set, app, "rules", part[0], "--program", "EDITOR", who, name);
        }
        if (!administrator) {
            CTL_OK(hand, app, "settings", "set", "admin-group", kOtherGroup);
        }

        CTL_OK(why, app, "why", "--user", kMe, "--program", "editor", "--json");
        const QJsonObject root = why.json.object();
        QCOMPARE(root["user"].toString(), kMe);
        QCOMPARE(root["administrator"].toBool(), administrator);
        const QJsonArray programs = root["programs"].toArray();
        QCOMPARE(programs.size(), 1);
        const QJsonObject answer = programs.at(0).toObject();
        QCOMPARE(answer["program"].toString(), u"Editor"_s);
        QCOMPARE(answer["shown"].toBool(), shown);
        QCOMPARE(answer["cell"].toString(), cell);
        QVERIFY(!answer["reason"].toString().isEmpty());
        if (candidate.isEmpty()) {
            QVERIFY(answer["candidate"].isNull());
        } else {
            const QJsonObject c = answer["candidate"].toObject();
            QCOMPARE(c["kind"].toString() + u' ' + c["principal"].toString(), candidate);
            QCOMPARE(answer["userRule"].toString(), userRule);
            QCOMPARE(answer["groupRule"].toString(), groupRule);
            QCOMPARE(answer["member"], member);
        }

        CTL_OK(list, app, "launcher-list", "--user", kMe, "--json");
        QStringList names;
        for (const QJsonValue& item : list.json.object()["items"].toArray())
            names << item.toObject()["name"].toString();
        QCOMPARE(names.contains(u"Editor"_s), shown);

        // The table for people says the same in a row of its own.
        CTL_OK(table, app, "why", "--user", kMe);
        const QString row = table.out.split(u'\n').filter(u"Editor"_s).value(0);
        QVERIFY2(row.contains(shown ? u" shown "_s : u" hidden "_s) && row.contains(cell),
                 qPrintable(table.out));
    }

    // Refusals exit 1 with the reason on stderr and change nothing; bad usage exits 2 with the
    // usage. The caller is a plain member of no administrators' group.
    void refusalsAndUsage_data() {
        AddColumns<QStringList, int, QString>("args", "status", "stderrHas");
        const QString notAdmin = u"may not change the launcher"_s;
        AddRow("add program", Args("programs add Calc --path /bin/bc"), 1, notAdmin);
        AddRow("remove program", Args("programs remove Editor"), 1, notAdmin);
        AddRow("allow", Args("rules allow --program Editor --group <me>"), 1, notAdmin);
        AddRow("add folder", Args("folders add Docs /tmp"), 1, notAdmin);
        AddRow("apply theme", Args("themes apply Default"), 1, notAdmin);
        AddRow("change settings", Args("settings set admin-group <me>"), 1, notAdmin);
        AddRow("unknown program", Args("programs show Nothing"), 1,
               "there is no program \"Nothing\"");
        AddRow("unknown user", Args("why --user no-such-user-orv"), 1, "no-such-user-orv");
        AddRow("missing folder", Args("programs list --app-dir /nonexistent/orv"), 1,
               "/nonexistent/orv does not exist");
        AddRow("no subcommand", Args("programs"), 2, "needs a subcommand");
        AddRow("unknown subcommand", Args("programs frob"), 2, "unknown subcommand");
        AddRow("unknown command", Args("frob"), 2, "unknown command");
        AddRow("unknown option", Args("programs list --colour red"), 2, "unknown option --colour");
        AddRow("option without value", Args("why --user"), 2, "--user needs a value");
        AddRow("required option", Args("launcher-list"), 2, "--user is required");
        AddRow("user and group", Args("rules deny --program Editor --user <me> --group <me>"), 2,
               "either --user U or --group G");
        AddRow("extra operand", Args("programs show Editor More"), 2,
               "unexpected operand \"More\"");
        AddRow("unknown setting", Args("settings get colour"), 2, "unknown setting \"colour\"");
        // A reading command never makes a catalogue where there is none.
        AddRow("no catalogue to read", Args("programs list --app-dir <empty>"), 1,
               "There is no catalogue in");
        AddRow("timeout not a number", Args("settings set CatalogTimeout soon"), 2,
               "must be a number of seconds");
        AddRow("password in the address",
               Args("settings set CatalogUri postgresql://a:secret@db/orvane"), 2,
               "holds a password");
        AddRow("TLS mode unknown", Args("settings set LdapTls maybe"), 2, "starttls or none");
        AddRow("unknown option last", Args("programs list --frob"), 2, "unknown option --frob");
        AddRow("name with a line break",
               QStringList{"programs", "add", "Ed\nit", "--path", "/bin/ed"}, 2,
               "cannot hold a control character");
        AddRow("a group for --user", Args("why --user nogroup"), 1, "is a group, not a user");
        AddRow("refusal in JSON", Args("programs show Nothing --json"), 1,
               "there is no program \"Nothing\"");
    }
    void refusalsAndUsage() {
        ORV_AS_TEST_ACCOUNT();
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, stderrHas);
        QTemporaryDir dir;
        { CTL_OK(setup, dir.path(), "settings", "set", "admin-group", kMe); }
        { CTL_OK(add, dir.path(), "programs", "add", "Editor", "--path", "/usr/bin/vi"); }
        { CTL_OK(hand, dir.path(), "settings", "set", "admin-group", kOtherGroup); }
        const QByteArray before = ReadAll(dir.filePath("database/Orvane.mdb"));

        // A row that names its own folder runs there instead (--app-dir may be given once);
        // <empty> is an empty folder of the account's.
        QStringList line = args;
        QString app = dir.path();
        QTemporaryDir empty;
        if (const qsizetype at = line.indexOf("--app-dir"); at >= 0) {
            app = QString(line.at(at + 1)).replace("<empty>", empty.path());
            line.remove(at, 2);
        }
        const CtlRun run = Ctl(app, line);
        QVERIFY2(run.status == status, qPrintable(Describe(run)));
        QVERIFY2(run.err.startsWith(u"orvanectl: "_s) && run.err.contains(stderrHas),
                 qPrintable(Describe(run)));
        // A script asking for JSON gets an error object; nobody else anything on stdout.
        if (line.contains(u"--json"_s))
            QVERIFY2(run.json.object()["error"].toString().contains(stderrHas) &&
                         run.json.object()["status"].toInt() == status,
                     qPrintable(Describe(run)));
        else
            QVERIFY2(run.out.isEmpty(), qPrintable(Describe(run)));
        if (status == 2)
            QVERIFY2(run.err.contains(u"orvanectl"_s) &&
                         (run.err.contains("Usage") || run.err.contains("--help")),
                     qPrintable(run.err));
        QCOMPARE(ReadAll(dir.filePath("database/Orvane.mdb")), before);
        QCOMPARE(QDir(empty.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
        const CtlRun settings = Ctl(dir.path(), {"settings", "get", "admin-group", "--json"});
        QCOMPARE(settings.json.object()["admin-group"].toString(), kOtherGroup);
    }

    // Output that cannot be written (a full device): a script sees the failure in the exit
    // status.
    void unwritableOutput() {
        QProcess full;
        full.setStandardOutputFile(u"/dev/full"_s);
        full.start(QStringLiteral(ORV_CTL), {"--help"});
        QVERIFY(full.waitForFinished(60000));
        QCOMPARE(full.exitCode(), 1);
        QVERIFY(full.readAllStandardError().contains("could not be written"));
    }

    // --help of every command and --version answer on stdout with exit 0.
    void helpOfEachCommand_data() {
        AddColumns<QStringList, QString>("args", "usage");
        AddRow("version", Args("--version"), "orvanectl 1.");
        AddRow("all", Args("--help"), "orvanectl why --user U");
        AddRow("a command's line whole", Args("--help"),
               "orvanectl themes remove NAME [--app-dir DIR] [--json]\n      removes a theme\n");
        AddRow("group", Args("rules --help"), "orvanectl rules revoke");
        AddRow("command", Args("report by-user --help"),
               "Usage: orvanectl report by-user --pdf FILE");
    }
    void helpOfEachCommand() {
        QFETCH(QStringList, args);
        QFETCH(QString, usage);
        QTemporaryDir dir;
        const CtlRun run = Ctl(dir.path(), args);
        QVERIFY2(run.status == 0 && run.out.contains(usage), qPrintable(Describe(run)));
        QVERIFY(run.err.isEmpty());
    }

    // A program added and allowed to a group reaches the launcher list of a member and not of
    // anyone else; the listings and the reports show it.
    void roundTrip() {
        ORV_AS_TEST_ACCOUNT();
        QTemporaryDir dir;
        const QString app = dir.path();
        {
            // A first run, until the administrators' group is chosen: whoever may write the
            // settings chooses them, one value at a time.
            CTL_OK(domain, app, "settings", "set", "domain", QSysInfo::machineHostName());
            CTL_OK(first, app, "settings", "set", "admin-group", kMe, "--json");
            QCOMPARE(first.json.object()["file"].toString(), app + "/settings.ini");
            // Named values as written, commas and all; the listing shows what is set.
            const QString dn = u"cn=reader,ou=Services,dc=example,dc=org"_s;
            CTL_OK(bind, app, "settings", "set", "LdapBindDn", dn);
            CTL_OK(read, app, "settings", "get", "LdapBindDn", "--json");
            QCOMPARE(read.json.object()["LdapBindDn"].toString(), dn);
            CTL_OK(all, app, "settings", "get", "--json");
            QCOMPARE(all.json.object().keys(),
                     (QStringList{"LdapBindDn", "admin-group", "domain", "file"}));
        }
        {
            CTL_OK(add, app, "programs", "add", "Editor", "--path", "/usr/bin/vi", "--description",
                   "Text editor", "--parameters", "-R");
            CTL_OK(allow, app, "rules", "allow", "--program", "Editor", "--group", kMe);
            CTL_OK(folder, app, "folders", "add", "Docs", "/usr/share/doc");
            // A name taken in another letter case is named as it is stored.
            const CtlRun taken = Ctl(app, {"programs", "add", "EDITOR", "--path", "/usr/bin/vi"});
            QVERIFY2(taken.status == 1 && taken.err.contains(u"\"Editor\" exists already"_s),
                     qPrintable(Describe(taken)));
            // A typed principal must be one the directory lists.
            for (const QString& kind : {u"user"_s, u"group"_s}) {
                const CtlRun unlisted =
                    Ctl(app, {"rules", "allow", "--program", "Editor", "--" + kind, "no-such-orv"});
                QVERIFY2(unlisted.status == 1 && unlisted.err.contains("the directory has no " +
                                                                       kind + " \"no-such-orv\""),
                         qPrintable(Describe(unlisted)));
            }
            // A provisioning script applying its rules again changes nothing, not even their
            // order.
            CTL_OK(deny, app, "rules", "deny", "--program", "Editor", "--user", "nobody");
            CTL_OK(before, app, "rules", "list", "--json");
            CTL_OK(again, app, "rules", "allow", "--program", "Editor", "--group", kMe);
            CTL_OK(after, app, "rules", "list", "--json");
            QCOMPARE(after.json.array(), before.json.array());
            CTL_OK(revoke, app, "rules", "revoke", "--program", "Editor", "--user", "nobody");
        }
        {
            CTL_OK(programs, app, "programs", "list", "--json");
            const QJsonArray list = programs.json.array();
            QCOMPARE(list.size(), 1);
            const QJsonObject p = list.at(0).toObject();
            QCOMPARE(p["name"].toString(), u"Editor"_s);
            QCOMPARE(p["path"].toString(), u"/usr/bin/vi"_s);
            QCOMPARE(p["description"].toString(), u"Text editor"_s);
            QCOMPARE(p["parameters"].toString(), u"-R"_s);
            QVERIFY(QDateTime::fromString(p["added"].toString(), Qt::ISODate).isValid());
        }
        {
            CTL_OK(rules, app, "rules", "list", "--principal", kMe, "--json");
            QCOMPARE(rules.json.array(), QJsonArray({QJsonObject{{"program", "Editor"},
                                                                 {"kind", "group"},
                                                                 {"principal", kMe},
                                                                 {"status", "Allow"}}}));
        }
        {
            // A name's control characters reach the terminal escaped, as in the JSON.
            const QString name = u"Do\x1b]0;x\acs\r\n\u009b2J"_s;
            CTL_OK(hostile, app, "folders", "add", name, "/tmp");
            CTL_OK(list, app, "folders", "list");
            QVERIFY2(list.out.contains(u"Do\\x1b]0;x\\x07cs\\r\\n\\u009b2J"_s),
                     qPrintable(list.out));
            QVERIFY2(!hostile.out.contains(u'\x1b') && !list.out.contains(u'\x1b') &&
                         !list.out.contains(u'\r') && !list.out.contains(QChar(0x9b)),
                     qPrintable(list.out));
            CTL_OK(json, app, "folders", "list", "--json");
            QVERIFY(json.out.contains(u"Do\\u001b]0;x\\u0007cs\\r\\n"_s));
            CTL_OK(removed, app, "folders", "remove", name);
        }
        { CTL_OK(hand, app, "settings", "set", "admin-group", kOtherGroup); }
        {
            CTL_OK(member, app, "launcher-list", "--user", kMe, "--json");
            const QJsonObject root = member.json.object();
            QCOMPARE(root["administrator"].toBool(), false);
            // What decided: the settings the user's own launcher reads for his folder.
            QCOMPARE(root["settings"].toString(), app + "/settings.ini");
            QCOMPARE(root["adminGroup"].toString(), kOtherGroup);
            QCOMPARE(root["items"].toArray(),
                     QJsonArray({QJsonObject{{"name", "Editor"}, {"kind", "program"}, {"path", {}}},
                                 QJsonObject{{"name", "Docs"},
                                             {"kind", "folder"},
                                             {"path", "/usr/share/doc"}}}));
            CTL_OK(stranger, app, "launcher-list", "--user", "nobody", "--json");
            QCOMPARE(stranger.json.object()["items"].toArray(),
                     QJsonArray({QJsonObject{
                         {"name", "Docs"}, {"kind", "folder"}, {"path", "/usr/share/doc"}}}));
        }
        {
            const QString pdf = dir.filePath("by-group.pdf");
            CTL_OK(report, app, "report", "by-group", "--pdf", pdf, "--json");
            QCOMPARE(report.json.object()["rows"].toInt(), 1);
            QVERIFY(report.json.object()["pages"].toInt() >= 1);
            QVERIFY(ReadAll(pdf).startsWith("%PDF-"));
        }
    }
};

QTEST_MAIN(tst_orvanectl)
#include "tst_orvanectl.moc"
