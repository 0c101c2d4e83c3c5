#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Whole-file reads and writes for tests: an empty array when the file cannot be read.
QByteArray ReadAll(const QString& path);
bool WriteFile(const QString& path, const QByteArray& bytes);
// The permission bits of a file or folder; -1 when it is missing.
int ModeOf(const QString& path);
// Runs `program` in `dir` (the current folder when empty) and waits up to `ms` for it; whether
// it ended with status 0, with what it printed on both channels in `output`.
bool RunProgram(const QString& program, const QStringList& arguments, QString& output,
                const QString& dir = {}, int ms = 180000);
