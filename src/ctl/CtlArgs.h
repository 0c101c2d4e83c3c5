#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

// A refusal ends the command with status 1 and its reason on stderr; a usage error with
// status 2 and the command's usage.
struct Refusal {
    QString reason;
};
struct UsageError {
    QString reason;
};

// The command line after the program's name: words (subcommand and operands) and options.
// "--json", "--help" and "--version" stand alone; every other option takes a value, as "--opt
// VALUE" or
// "--opt=VALUE". Throws UsageError for an option given twice; one at the end without its value
// is kept in `withoutValue`.
struct CtlArgs {
    QStringList words;
    QHash<QString, QString> options;
    QSet<QString> flags;
    // Options at the end of the line, with no value after them.
    QStringList withoutValue;

    static CtlArgs Parse(const QStringList& arguments);

    bool Has(const QString& option) const { return options.contains(option); }
    QString Value(const QString& option) const { return options.value(option); }
    // The value of an option the command cannot do without; UsageError when it is missing or
    // empty.
    QString Required(const QString& option) const;
    bool Flag(const QString& flag) const { return flags.contains(flag); }
};
