#include "ctl/CtlCommand.h"

QStringList CtlCommand::OptionNames() const {
    QStringList names;
    for (const QString& option : options)
        names.append(option.section(u' ', 0, 0));
    return names;
}

QString CtlCommand::Usage() const {
    QString usage = QStringLiteral("orvanectl ") + words.join(u' ');
    if (!operands.isEmpty())
        usage += u' ' + operands;
    // Options the operands already show are required ones.
    for (const QString& option : options)
        if (!operands.contains(option.section(u' ', 0, 0)))
            usage += QStringLiteral(" [%1]").arg(option);
    return usage + QStringLiteral(" [--app-dir DIR] [--json]");
}
