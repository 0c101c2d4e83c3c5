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
    return QProcess::splitCommand(parameters);
}

void DesktopShell::Execute(const QString& path, const QString& parameters,
                           const QString& startIn) {
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
