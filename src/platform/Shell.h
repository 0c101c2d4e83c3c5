#pragma once

#include <QString>

// Starts programs and opens documents the way the desktop does, never through a command shell.
class Shell {
public:
    virtual ~Shell() = default;
    // Starts `path` detached in `startIn` (the launcher's own directory when empty) with
    // `parameters` split into arguments like a command line. A bare name is looked up in the
    // folders of PATH; a `.desktop` entry starts its Exec line with the arguments as its files;
    // a file that is not executable goes to the desktop's default handler. Throws OrvError
    // saying why when nothing could be started.
    virtual void Execute(const QString& path, const QString& parameters,
                         const QString& startIn) = 0;
    // Opens a file or folder with the desktop's default handler. Throws OrvError on failure.
    virtual void Open(const QString& path) = 0;
};

class DesktopShell : public Shell {
public:
    void Execute(const QString& path, const QString& parameters, const QString& startIn) override;
    void Open(const QString& path) override;
};

// The program `name` (a bare command name) in the folders of PATH, or an empty string. Only
// absolute folders count: "." or a relative folder in PATH would let a file of the current
// folder stand in for a program.
QString FindInSearchPath(const QString& name);

// The argument list that `parameters` stands for, read as a Windows command line is: blanks
// separate arguments and double quotes group them; 2n backslashes before a quote become n and
// the quote groups, 2n+1 become n and a literal quote; other backslashes stay as they are; a
// doubled quote inside quotes is one literal quote.
QStringList SplitParameters(const QString& parameters);
