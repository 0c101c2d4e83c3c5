#pragma once

#include "ctl/CtlArgs.h"
#include "ctl/CtlOutput.h"

#include <QList>
#include <QStringList>
#include <functional>

class CtlSession;

// One subcommand: its words, what it accepts, who may run it and what it does. The
// dispatcher checks operands, options and rights before `run` is called.
struct CtlCommand {
    enum class Rights {
        Anyone,        // reads only
        Administrator, // changes the catalogue
        Settings,      // changes the settings: an administrator, or anyone on a first run
    };

    QStringList words;
    QString operands; // for the usage line, e.g. "NAME PATH"
    int minOperands = 0;
    int maxOperands = 0;
    QStringList options; // value options besides --app-dir, e.g. "--path PATH"
    Rights rights = Rights::Anyone;
    QString summary;
    std::function<CtlResult(CtlSession&, const CtlArgs&)> run;
    // Value options the command cannot do without.
    QStringList required = {};
    // Further checks of the command line, made before anything is opened; throws UsageError.
    std::function<void(const CtlArgs&)> validate = {};
    // Run before the application folder is opened, given it (a command that makes it);
    // throws Refusal.
    std::function<void(const CtlArgs&, const QString& appDir)> prepare = {};
    // The folder the command works on when --app-dir does not name one; empty: the program's
    // own.
    QString defaultAppDir = {};

    // "--path" out of "--path PATH".
    QStringList OptionNames() const;
    QString Usage() const;
};

QList<CtlCommand> CatalogCommands();
QList<CtlCommand> RuleCommands();
QList<CtlCommand> SettingsCommands();
QList<CtlCommand> ListCommands();
QList<CtlCommand> ReportCommands();
QList<CtlCommand> SiteCommands();
