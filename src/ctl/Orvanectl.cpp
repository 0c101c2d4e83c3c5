#include "ctl/Orvanectl.h"

#include "ctl/CtlCommand.h"
#include "ctl/CtlSession.h"
#include "platform/AppPaths.h"
#include "platform/OrvError.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QJsonObject>
#include <QTextStream>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace orvanectl {
namespace {

const QString kGlobalOptions =
    QStringLiteral("  --app-dir DIR  the launcher's application folder (default: the folder of "
                   "orvanectl, or " ORV_INSTALLED_APP_DIR " when it is installed)\n"
                   "  --json         print JSON for scripts instead of tables\n"
                   "  --help         describe the command\n"
                   "  --version      print orvanectl's version\n"
                   "Exit status: 0 done, 1 refused (the reason on stderr), 2 bad usage.\n"
                   "Changing commands need an administrator of the launcher: root or a member of "
                   "the administrators' group.\n");

QList<CtlCommand> AllCommands() {
    return CatalogCommands() + RuleCommands() + SettingsCommands() + SiteCommands() +
           ListCommands() + ReportCommands();
}

QString Help(const QList<CtlCommand>& commands) {
    QString text = QStringLiteral("Usage:\n");
    for (const CtlCommand& command : commands)
        text += QStringLiteral("  %1\n      %2\n").arg(command.Usage(), command.summary);
    return text + QStringLiteral("Options:\n") + kGlobalOptions;
}

// The command whose words start the command line, the longest if several.
const CtlCommand* Find(const QList<CtlCommand>& commands, const QStringList& words) {
    const CtlCommand* found = nullptr;
    for (const CtlCommand& command : commands) {
        if (command.words.size() > words.size() ||
            words.mid(0, command.words.size()) != command.words)
            continue;
        if (!found || command.words.size() > found->words.size())
            found = &command;
    }
    return found;
}

void CheckRights(CtlSession& session, CtlCommand::Rights rights) {
    switch (rights) {
    case CtlCommand::Rights::Anyone:
        return;
    case CtlCommand::Rights::Settings:
        // On a first run, until the administrators' group is chosen, whoever may write the
        // settings file chooses the settings, as the launcher's first start shows its setup
        // window to whoever starts it. The file's own rights still decide who may write it.
        if (!session.Registry().KeyExists(RegistryStore::HKEY_LOCAL_MACHINE_,
                                          RegistryStore::kSettingsKey) ||
            session.AdminGroup().isEmpty())
            return;
        session.RequireAdministrator();
        return;
    case CtlCommand::Rights::Administrator:
        session.RequireAdministrator();
        return;
    }
}

// A refusal: the reason on stderr, and for a script asking for JSON an error object on stdout,
// so that it never has to parse a table or find nothing.
int Refuse(const CtlArgs& args, QTextStream& out, QTextStream& err, const QString& reason) {
    err << "orvanectl: " << TerminalText(reason) << '\n';
    if (args.Flag(QStringLiteral("--json")))
        out << FormatResult(CtlResult{QJsonObject{{QStringLiteral("error"), reason},
                                                  {QStringLiteral("status"), kRefused}},
                                      {},
                                      {}},
                            true);
    return kRefused;
}

int Usage(QTextStream& err, const QString& reason, const QString& usage) {
    err << "orvanectl: " << TerminalText(reason) << '\n' << usage;
    return kBadUsage;
}

} // namespace

int Run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const QList<CtlCommand> commands = AllCommands();
    const QString tryHelp = QStringLiteral("Try 'orvanectl --help'.\n");
    CtlArgs args;
    try {
        args = CtlArgs::Parse(arguments);
    } catch (const UsageError& e) {
        return Usage(err, e.reason, tryHelp);
    }
    const bool help = args.Flag(QStringLiteral("--help"));
    if (args.Flag(QStringLiteral("--version")) && args.words.isEmpty()) {
        out << "orvanectl " << ORV_VERSION_MAJOR << '.' << ORV_VERSION_MINOR << '\n';
        return kOk;
    }
    if (args.words.isEmpty()) {
        if (help) {
            out << Help(commands);
            return kOk;
        }
        return Usage(err, QStringLiteral("a command is missing"), Help(commands));
    }

    const CtlCommand* command = Find(commands, args.words);
    if (!command) {
        QList<CtlCommand> group;
        for (const CtlCommand& c : commands)
            if (c.words.first() == args.words.first())
                group.append(c);
        if (group.isEmpty())
            return Usage(err, QStringLiteral("unknown command \"%1\"").arg(args.words.first()),
                         tryHelp);
        if (help && args.words.size() == 1) {
            out << Help(group);
            return kOk;
        }
        return Usage(err,
                     args.words.size() == 1
                         ? QStringLiteral("%1 needs a subcommand").arg(args.words.first())
                         : QStringLiteral("unknown subcommand \"%1 %2\"")
                               .arg(args.words.first(), args.words.at(1)),
                     Help(group));
    }
    const QString usage = QStringLiteral("Usage: %1\n").arg(command->Usage());
    if (help) {
        out << usage << "  " << command->summary << "\nOptions:\n" << kGlobalOptions;
        return kOk;
    }

    CtlArgs operands = args;
    operands.words = args.words.mid(command->words.size());
    if (operands.words.size() < command->minOperands)
        return Usage(err, QStringLiteral("an operand is missing"), usage);
    if (operands.words.size() > command->maxOperands)
        return Usage(err,
                     QStringLiteral("unexpected operand \"%1\"")
                         .arg(operands.words.at(command->maxOperands)),
                     usage);
    const QStringList allowed = command->OptionNames() << QStringLiteral("--app-dir");
    for (auto it = args.options.cbegin(); it != args.options.cend(); ++it)
        if (!allowed.contains(it.key()))
            return Usage(err, QStringLiteral("unknown option %1").arg(it.key()), usage);
    for (const QString& option : args.withoutValue)
        return Usage(err,
                     allowed.contains(option) ? QStringLiteral("%1 needs a value").arg(option)
                                              : QStringLiteral("unknown option %1").arg(option),
                     usage);

    try {
        for (const QString& option : command->required)
            args.Required(option);
        if (command->validate)
            command->validate(operands);
    } catch (const UsageError& e) {
        return Usage(err, e.reason, usage);
    }

    try {
        const QString appDir = args.Has(QStringLiteral("--app-dir"))
                                   ? args.Value(QStringLiteral("--app-dir"))
                               : command->defaultAppDir.isEmpty()
                                   ? AppPaths::DefaultAppDir(QCoreApplication::applicationDirPath())
                                   : command->defaultAppDir;
        if (appDir.isEmpty())
            return Usage(err, QStringLiteral("--app-dir needs a folder"), usage);
        if (command->prepare)
            command->prepare(operands, appDir);
        // Commands that only read open the catalogue to read it: a mistyped folder is an error,
        // never a new empty catalogue.
        CtlSession session(appDir, command->rights == CtlCommand::Rights::Anyone
                                       ? AppContext::CatalogueUse::Read
                                       : AppContext::CatalogueUse::Change);
        CheckRights(session, command->rights);
        const CtlResult result = command->run(session, operands);
        out << FormatResult(result, args.Flag(QStringLiteral("--json")));
        return kOk;
    } catch (const UsageError& e) {
        return Usage(err, e.reason, usage);
    } catch (const Refusal& e) {
        return Refuse(args, out, err, e.reason);
    } catch (const OrvError& e) {
        return Refuse(args, out, err, e.Description());
    } catch (const std::exception& e) {
        return Refuse(args, out, err, QString::fromLocal8Bit(e.what()));
    }
}

namespace {

// Qt's own notes (a missing runtime directory and the like) are not for the person at the
// terminal; errors that matter reach him as refusals.
void KeepSeriousMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "orvanectl: %s\n", qPrintable(message));
}

} // namespace

int Main(int argc, char* argv[]) {
    qInstallMessageHandler(KeepSeriousMessages);
    // The reports paint text, which needs a GUI application; the offscreen platform needs no
    // display.
    std::vector<char*> qtArgs{argv[0], const_cast<char*>("-platform"),
                              const_cast<char*>("offscreen")};
    int qtArgc = static_cast<int>(qtArgs.size());
    qtArgs.push_back(nullptr);
    QGuiApplication app(qtArgc, qtArgs.data());
    QCoreApplication::setApplicationName(QStringLiteral("Tessaro Orvane"));
    QCoreApplication::setOrganizationName(QStringLiteral("Brindlecove"));

    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QTextStream out(stdout);
    QTextStream err(stderr);
    int status = Run(arguments, out, err);
    out.flush();
    // Output that could not be written (a full disk, a closed pipe) is no success.
    if (out.status() != QTextStream::Ok || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        err << "orvanectl: the output could not be written: "
            << QString::fromLocal8Bit(std::strerror(errno)) << '\n';
        if (status == kOk)
            status = kRefused;
    }
    err.flush();
    return status;
}

} // namespace orvanectl
