#include "ctl/CtlArgs.h"

CtlArgs CtlArgs::Parse(const QStringList& arguments) {
    static const QSet<QString> kFlags{QStringLiteral("--json"), QStringLiteral("--help"),
                                      QStringLiteral("--version")};
    CtlArgs args;
    bool operandsOnly = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& token = arguments.at(i);
        if (operandsOnly || !token.startsWith(QStringLiteral("--")) || token.size() == 2) {
            if (token == QStringLiteral("--") && !operandsOnly) {
                // Everything after "--" is an operand, so that names may start with dashes.
                operandsOnly = true;
                continue;
            }
            args.words.append(token);
            continue;
        }
        QString name = token;
        QString value;
        bool hasValue = false;
        if (const qsizetype eq = token.indexOf(u'='); eq > 0) {
            name = token.left(eq);
            value = token.mid(eq + 1);
            hasValue = true;
        }
        if (kFlags.contains(name)) {
            if (hasValue)
                throw UsageError{QStringLiteral("%1 takes no value").arg(name)};
            args.flags.insert(name);
            continue;
        }
        if (!hasValue) {
            // Told once the command is known: an unknown option, or a known one without its
            // value.
            if (i + 1 >= arguments.size()) {
                args.withoutValue.append(name);
                continue;
            }
            value = arguments.at(++i);
        }
        if (args.options.contains(name))
            throw UsageError{QStringLiteral("%1 is given twice").arg(name)};
        args.options.insert(name, value);
    }
    return args;
}

QString CtlArgs::Required(const QString& option) const {
    const QString value = Value(option);
    if (value.isEmpty())
        throw UsageError{QStringLiteral("%1 is required").arg(option)};
    return value;
}
