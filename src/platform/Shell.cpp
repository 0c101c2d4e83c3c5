#include "platform/Shell.h"

#include "platform/OrvError.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {
const QString kSource = QStringLiteral("Shell");
}

QStringList SplitParameters(const QString& parameters) {
    QStringList arguments;
    QString current;
    bool inQuotes = false;
    bool started = false; // "" is an argument of its own
    for (qsizetype i = 0; i < parameters.size(); ++i) {
        const QChar c = parameters.at(i);
        if (c == u'"') {
            if (inQuotes && i + 1 < parameters.size() && parameters.at(i + 1) == u'"') {
                current += c;
                ++i;
            } else {
                inQuotes = !inQuotes;
            }
            started = true;
        } else if (!inQuotes && (c == u' ' || c == u'\t')) {
            if (started)
                arguments.append(current);
            current.clear();
            started = false;
        } else {
            current += c;
            started = true;
        }
    }
    if (started)
        arguments.append(current);
    return arguments;
}

void DesktopShell::Execute(const QString& path, const QString& parameters, const QString& startIn) {
    const QFileInfo file(path);
    if (path.isEmpty() || !file.exists())
        throw OrvError(ErrorNumber::FileNotFound,
                       QStringLiteral("The file \"%1\" was not found. Check the program's path "
                                      "in the catalogue.")
                           .arg(path),
                       kSource);
    if (!startIn.isEmpty() && !QFileInfo(startIn).isDir())
        throw OrvError(ErrorNumber::FileNotFound,
                       QStringLiteral("The start-in directory \"%1\" does not exist.").arg(startIn),
                       kSource);
    if (file.isDir() || !file.isExecutable()) {
        Open(path);
        return;
    }
    QProcess process;
    process.setProgram(file.absoluteFilePath());
    process.setArguments(SplitParameters(parameters));
    process.setWorkingDirectory(startIn.isEmpty() ? QDir::currentPath() : startIn);
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        throw OrvError(ErrorNumber::PermissionDenied,
                       QStringLiteral("The program \"%1\" could not be started: %2")
                           .arg(path, process.errorString()),
                       kSource);
}

void DesktopShell::Open(const QString& path) {
    if (path.isEmpty() || !QFileInfo::exists(path))
        throw OrvError(ErrorNumber::FileNotFound,
                       QStringLiteral("The file or folder \"%1\" was not found.").arg(path),
                       kSource);
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())))
        throw OrvError(ErrorNumber::PermissionDenied,
                       QStringLiteral("No program is set up to open \"%1\".").arg(path), kSource);
}
