#pragma once

#include <QByteArray>
#include <QString>

// The small files the program reads (settings, password files, desktop entries, pictures of
// its folder) come through here: opened without blocking, read only when they are regular
// files, and refused above a size limit, so that a FIFO, a device or a huge file can neither
// hang the program nor fill its memory.
namespace SmallFile {

inline constexpr qint64 kDefaultLimit = 1024 * 1024;

enum class Links { Follow, Refuse };

enum class Failure { None, Unreadable, NotRegular, TooLarge };

struct Read {
    bool missing = false; // nothing by that name (not an error by itself)
    Failure failure = Failure::None;
    QByteArray bytes;
    QString problem; // why the file was not read, naming it; empty when it was
    bool Ok() const { return !missing && problem.isEmpty(); }
    // What kind of problem `problem` is: one not tagged otherwise could not be read.
    Failure Kind() const {
        return problem.isEmpty()          ? Failure::None
               : failure == Failure::None ? Failure::Unreadable
                                          : failure;
    }
};

// Reads `path` whole. With Links::Refuse a symbolic link in its last component is a problem.
Read ReadFile(const QString& path, qint64 limit = kDefaultLimit, Links links = Links::Follow);

#ifndef _WIN32
// Reads an open descriptor of a file already checked to be regular: at most `limit` bytes,
// a problem when there are more. `path` names the file in the problem.
Read ReadDescriptor(int fd, const QString& path, qint64 limit);
#endif

// The first line of `bytes`, without its line end.
QByteArray FirstLine(const QByteArray& bytes);

// "1 MB", "64 KB": a limit as the messages give it.
QString LimitText(qint64 limit);

} // namespace SmallFile
