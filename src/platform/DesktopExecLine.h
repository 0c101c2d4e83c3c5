#pragma once

#include <QString>

// What the launcher checks in a desktop entry's Exec line before GIO expands it. The line is
// a program and its arguments, separated by blanks; an argument may be quoted ("..." with
// backslash escapes, or '...' as GIO's parser also takes). A field code (%f, %F, %u, %U) must
// stand unquoted: GIO quotes each file it puts in, and inside the line's own quotes that
// quoting breaks, so a stored parameter could become words of a command line (as with
// Exec=sh -c "viewer %f").
struct DesktopExecLine {
    QString program;          // the first word, unquoted
    qsizetype programEnd = 0; // where the first word ends in the line
    bool quotedFileCode = false;

    static DesktopExecLine Parse(const QString& exec);

    // The line with its first word replaced by `path`, quoted as the line's rules want.
    QString WithProgram(const QString& exec, const QString& path) const;
    // The line with its %k codes (the entry's own location) replaced by `file`: an entry read
    // from its bytes has no location of its own for GIO to put in.
    static QString WithLocation(const QString& exec, const QString& file);
};
