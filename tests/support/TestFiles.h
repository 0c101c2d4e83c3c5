#pragma once

#include <QByteArray>
#include <QString>

// Whole-file reads and writes for tests: an empty array when the file cannot be read.
QByteArray ReadAll(const QString& path);
bool WriteFile(const QString& path, const QByteArray& bytes);
