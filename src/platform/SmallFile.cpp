#include "platform/SmallFile.h"

#include <QFile>

#ifndef _WIN32
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace SmallFile {

QString LimitText(qint64 limit) {
    if (limit >= 1024 * 1024 && limit % (1024 * 1024) == 0)
        return QStringLiteral("%1 MB").arg(limit / (1024 * 1024));
    if (limit >= 1024 && limit % 1024 == 0)
        return QStringLiteral("%1 KB").arg(limit / 1024);
    return QStringLiteral("%1 bytes").arg(limit);
}

QByteArray FirstLine(const QByteArray& bytes) {
    qsizetype end = bytes.indexOf('\n');
    QByteArray line = end < 0 ? bytes : bytes.left(end);
    while (line.endsWith('\r'))
        line.chop(1);
    return line;
}

#ifdef _WIN32

Read ReadFile(const QString& path, qint64 limit, Links) {
    Read result;
    QFile file(path);
    if (!file.exists()) {
        result.missing = true;
        return result;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        result.problem = QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString());
        return result;
    }
    result.bytes = file.read(limit + 1);
    if (result.bytes.size() > limit) {
        result.bytes.clear();
        result.failure = Failure::TooLarge;
        result.problem = QStringLiteral("%1 is larger than %2, too large to be read")
                             .arg(path, LimitText(limit));
    }
    return result;
}

#else

namespace {

QString KindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISLNK(mode))
        return QStringLiteral("a symbolic link");
    return QStringLiteral("not a regular file");
}

} // namespace

Read ReadDescriptor(int fd, const QString& path, qint64 limit) {
    Read result;
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        result.problem = QStringLiteral("%1 cannot be examined: %2")
                             .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.failure = Failure::NotRegular;
        result.problem =
            QStringLiteral("%1 is %2, not a regular file").arg(path, KindOf(info.st_mode));
        return result;
    }
    if (info.st_size > limit) {
        result.failure = Failure::TooLarge;
        result.problem = QStringLiteral("%1 is larger than %2 (%3 bytes), too large to be read")
                             .arg(path, LimitText(limit))
                             .arg(static_cast<qint64>(info.st_size));
        return result;
    }
    // The file may grow while it is read: never more than the limit and one byte.
    result.bytes.resize(static_cast<qsizetype>(info.st_size) + 1);
    qsizetype filled = 0;
    for (;;) {
        if (filled == result.bytes.size()) {
            if (filled > limit)
                break;
            result.bytes.resize(std::min<qsizetype>(filled * 2 + 4096, limit + 1));
        }
        const ssize_t got = ::read(fd, result.bytes.data() + filled,
                                   static_cast<size_t>(result.bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            result.bytes.clear();
            result.problem = QStringLiteral("%1 cannot be read: %2")
                                 .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return result;
        }
        if (got == 0)
            break;
        filled += got;
    }
    if (filled > limit) {
        result.bytes.clear();
        result.failure = Failure::TooLarge;
        result.problem = QStringLiteral("%1 is larger than %2, too large to be read")
                             .arg(path, LimitText(limit));
        return result;
    }
    result.bytes.truncate(filled);
    return result;
}

Read ReadFile(const QString& path, qint64 limit, Links links) {
    Read result;
    const QByteArray name = QFile::encodeName(path);
    // Looked at before it is opened: opening a device or a FIFO can itself have effects.
    struct stat info {};
    if (lstat(name.constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            result.missing = true;
        else
            result.problem = QStringLiteral("%1 cannot be examined: %2")
                                 .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return result;
    }
    if (S_ISLNK(info.st_mode) && links == Links::Refuse) {
        result.failure = Failure::NotRegular;
        result.problem = QStringLiteral("%1 is a symbolic link, which is not followed").arg(path);
        return result;
    }
    if (!S_ISLNK(info.st_mode) && !S_ISREG(info.st_mode)) {
        result.failure = Failure::NotRegular;
        result.problem =
            QStringLiteral("%1 is %2, not a regular file").arg(path, KindOf(info.st_mode));
        return result;
    }
    int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    if (links == Links::Refuse)
        flags |= O_NOFOLLOW;
    const int fd = ::open(name.constData(), flags);
    if (fd < 0) {
        if (errno == ENOENT)
            result.missing = true;
        else
            result.problem = QStringLiteral("%1 cannot be opened: %2")
                                 .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return result;
    }
    result = ReadDescriptor(fd, path, limit);
    ::close(fd);
    return result;
}

#endif

} // namespace SmallFile
