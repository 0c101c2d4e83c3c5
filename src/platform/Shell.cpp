#include "platform/Shell.h"

#include "platform/OrvError.h"
#include "platform/ShellDesktopEntry.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {
const QString kSource = QStringLiteral("Shell");

// The program a catalogue path names. A bare name is found through the folders of PATH, as the
// Windows shell finds programs; the current directory is not searched, so a file left there
// never stands in for a program. A bare desktop-file id is GIO's to find.
QString FindProgram(const QString& path) {
    if (path.contains(QLatin1Char('/')) || path.isEmpty()) {
        if (path.isEmpty() || !QFileInfo::exists(path))
            throw OrvError(ErrorNumber::FileNotFound,
                           QStringLiteral("The file \"%1\" was not found. Check the program's "
                                          "path in the catalogue.")
                               .arg(path),
                           kSource);
        return path;
    }
    if (DesktopEntry::IsEntry(path))
        return path;
    const QString found = FindInSearchPath(path);
    if (found.isEmpty())
        throw OrvError(ErrorNumber::FileNotFound,
                       QStringLiteral("The program \"%1\" was not found in the folders of the "
                                      "search path (PATH). Enter its full path in the catalogue "
                                      "or install it.")
                           .arg(path),
                       kSource);
    return found;
}

} // namespace

QString FindInSearchPath(const QString& name) {
    QStringList folders;
    for (const QString& folder :
         QString::fromLocal8Bit(qgetenv("PATH")).split(QDir::listSeparator(), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(folder))
            folders.append(folder);
    // An empty list would make Qt search PATH as it stands.
    return folders.isEmpty() ? QString() : QStandardPaths::findExecutable(name, folders);
}

QStringList SplitParameters(const QString& parameters) {
    QStringList arguments;
    QString current;
    bool inQuotes = false;
    bool started = false; // "" is an argument of its own
    const qsizetype size = parameters.size();
    for (qsizetype i = 0; i < size;) {
        const QChar c = parameters.at(i);
        if (c == u'\\') {
            qsizetype end = i;
            while (end < size && parameters.at(end) == u'\\')
                ++end;
            const qsizetype count = end - i;
            started = true;
            if (end < size && parameters.at(end) == u'"') {
                current += QString(count / 2, u'\\');
                if (count % 2 == 1) {
                    current += u'"';
                    ++end;
                }
                // An even run leaves the quote to group as any other quote does.
            } else {
                current += QString(count, u'\\');
            }
            i = end;
            continue;
        }
        if (c == u'"') {
            if (inQuotes && i + 1 < size && parameters.at(i + 1) == u'"') {
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
        ++i;
    }
    if (started)
        arguments.append(current);
    return arguments;
}

void DesktopShell::Execute(const QString& path, const QString& parameters, const QString& startIn) {
    const QString program = FindProgram(path);
    if (!startIn.isEmpty() && !QFileInfo(startIn).isDir())
        throw OrvError(ErrorNumber::FileNotFound,
                       QStringLiteral("The start-in directory \"%1\" does not exist. Correct it "
                                      "in the catalogue.")
                           .arg(startIn),
                       kSource);
    if (DesktopEntry::IsEntry(program)) {
        DesktopEntry::Launch(program, SplitParameters(parameters), startIn);
        return;
    }
    const QFileInfo file(program);
    if (file.isDir() || !file.isExecutable()) {
        Open(program);
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
                           .arg(program, process.errorString()),
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
