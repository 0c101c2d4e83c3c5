#pragma once

#include <QByteArray>
#include <QString>

// Whole-file reads and writes for tests: an empty array when the file cannot be read.
QByteArray ReadAll(const QString& path);
bool WriteFile(const QString& path, const QByteArray& bytes);
// The permission bits of a file or folder; -1 when it is missing.
int ModeOf(const QString& path);
