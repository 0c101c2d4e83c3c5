#pragma once

#include <QString>

// Starts programs and opens documents the way the desktop does, never through a command shell.
class Shell {
public:
    virtual ~Shell() = default;
    // Starts `path` detached in `startIn` (the launcher's own directory when empty) with
    // `parameters` split into arguments like a command line. A file that is not executable
    // goes to the desktop's default handler. Throws OrvError when nothing could be started.
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

// The argument list that `parameters` stands for: blanks separate arguments, double quotes
// group them and a doubled quote inside quotes is one literal quote.
QStringList SplitParameters(const QString& parameters);
