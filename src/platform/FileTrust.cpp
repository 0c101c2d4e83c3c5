#include "platform/FileTrust.h"

#include "platform/SmallFile.h"

#include <QDir>
#include <QFileInfo>

#ifndef _WIN32
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

unsigned EffectiveUid() {
#ifdef _WIN32
    return 0;
#else
    return geteuid();
#endif
}

namespace {
TrustFailure Failed(const SmallFile::Read& read) {
    switch (read.Kind()) {
    case SmallFile::Failure::None:
        return TrustFailure::None;
    case SmallFile::Failure::NotRegular:
        return TrustFailure::NotAFile;
    case SmallFile::Failure::TooLarge:
        return TrustFailure::TooLarge;
    case SmallFile::Failure::Unreadable:
        break;
    }
    return TrustFailure::Unreadable;
}
} // namespace

#ifdef _WIN32

TrustedRead ReadTrustedFile(const QString& file, unsigned, TrustedLinks, qint64 limit) {
    TrustedRead result;
    const SmallFile::Read read = SmallFile::ReadFile(file, limit);
    result.exists = !read.missing;
    result.bytes = read.bytes;
    result.problem = read.problem;
    result.failure = Failed(read);
    return result;
}
QString UntrustedFolderProblem(const QString&, unsigned, TrustedLinks) {
    return {};
}
QString UntrustedFileProblem(const QString&, unsigned) {
    return {};
}

#else

namespace {

// A chain of links longer than this is refused rather than followed.
constexpr int kMaxLinks = 8;

QString SystemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

QString Mode(mode_t mode) {
    return QStringLiteral("%1").arg(mode & 07777, 4, 8, QLatin1Char('0'));
}

// Why an object with `info` could have been written by an account other than `ownerUid`.
QString OwnerProblem(const QString& path, const struct stat& info, unsigned ownerUid) {
    if (info.st_uid != ownerUid && info.st_uid != 0)
        return QStringLiteral("%1 belongs to user id %2").arg(path).arg(info.st_uid);
    if (info.st_mode & (S_IWGRP | S_IWOTH))
        return QStringLiteral("%1 may be written by other users (mode %2)")
            .arg(path, Mode(info.st_mode));
    return {};
}

QString KindProblem(const QString& path, mode_t mode) {
    if (S_ISLNK(mode))
        return QStringLiteral("%1 is a symbolic link, which is not followed").arg(path);
    if (S_ISDIR(mode))
        return QStringLiteral("%1 is a folder, not a regular file").arg(path);
    if (S_ISFIFO(mode))
        return QStringLiteral("%1 is a FIFO, not a regular file").arg(path);
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("%1 is a device, not a regular file").arg(path);
    return QStringLiteral("%1 is not a regular file").arg(path);
}

class Descriptor {
public:
    explicit Descriptor(int fd) : mFd(fd) {}
    ~Descriptor() {
        if (mFd >= 0)
            ::close(mFd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return mFd; }

private:
    int mFd;
};

TrustedRead& Failure(TrustedRead& result, TrustFailure failure, const QString& problem) {
    result.failure = failure;
    result.problem = problem;
    return result;
}

QString CleanAbsolute(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

TrustedRead ReadAt(const QString& file, unsigned ownerUid, TrustedLinks links, qint64 limit,
                   int hops) {
    TrustedRead result;
    const QString path = CleanAbsolute(file);
    const QFileInfo parts(path);
    const QString folder = parts.path();
    const QByteArray name = QFile::encodeName(parts.fileName());

    const Descriptor dir(
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) {
        if (errno != ENOENT)
            return Failure(result, TrustFailure::Unreadable,
                           QStringLiteral("%1 cannot be examined: %2").arg(folder, SystemError()));
        return result;
    }
    struct stat folderInfo {};
    if (fstat(dir.get(), &folderInfo) != 0)
        return Failure(result, TrustFailure::Unreadable,
                       QStringLiteral("%1 cannot be examined: %2").arg(folder, SystemError()));
    if (QString problem = OwnerProblem(folder, folderInfo, ownerUid); !problem.isEmpty())
        return Failure(result, TrustFailure::Ownership, problem);

    struct stat fileInfo {};
    if (fstatat(dir.get(), name.constData(), &fileInfo, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT)
            return Failure(result, TrustFailure::Unreadable,
                           QStringLiteral("%1 cannot be examined: %2").arg(path, SystemError()));
        return result;
    }
    if (S_ISLNK(fileInfo.st_mode)) {
        result.exists = true;
        if (links == TrustedLinks::Refuse || hops >= kMaxLinks)
            return Failure(result, TrustFailure::NotAFile, KindProblem(path, fileInfo.st_mode));
        QByteArray target(4096, '\0');
        const ssize_t size = readlinkat(dir.get(), name.constData(), target.data(), target.size());
        if (size <= 0 || size >= target.size())
            return Failure(result, TrustFailure::Unreadable,
                           QStringLiteral("%1 is a link that cannot be read").arg(path));
        target.truncate(size);
        QString next = QFile::decodeName(target);
        if (QFileInfo(next).isRelative())
            next = folder + u'/' + next;
        TrustedRead linked = ReadAt(next, ownerUid, links, limit, hops + 1);
        if (!linked.exists && linked.problem.isEmpty())
            return Failure(
                result, TrustFailure::NotAFile,
                QStringLiteral("%1 is a link to %2, which does not exist").arg(path, next));
        linked.exists = true;
        return linked;
    }
    result.exists = true;
    if (!S_ISREG(fileInfo.st_mode))
        return Failure(result, TrustFailure::NotAFile, KindProblem(path, fileInfo.st_mode));
    if (QString problem = OwnerProblem(path, fileInfo, ownerUid); !problem.isEmpty())
        return Failure(result, TrustFailure::Ownership, problem);

    const Descriptor fd(openat(dir.get(), name.constData(),
                               O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0)
        return Failure(result, TrustFailure::Unreadable,
                       QStringLiteral("%1 cannot be read: %2").arg(path, SystemError()));
    struct stat opened {};
    if (fstat(fd.get(), &opened) != 0 || opened.st_dev != fileInfo.st_dev ||
        opened.st_ino != fileInfo.st_ino)
        return Failure(result, TrustFailure::Unreadable,
                       QStringLiteral("%1 was replaced while it was read").arg(path));
    if (QString problem = OwnerProblem(path, opened, ownerUid); !problem.isEmpty())
        return Failure(result, TrustFailure::Ownership, problem);
    const SmallFile::Read read = SmallFile::ReadDescriptor(fd.get(), path, limit);
    result.bytes = read.bytes;
    result.problem = read.problem;
    result.failure = Failed(read);
    return result;
}

} // namespace

TrustedRead ReadTrustedFile(const QString& file, unsigned ownerUid, TrustedLinks links,
                            qint64 limit) {
    return ReadAt(file, ownerUid, links, limit, 0);
}

QString UntrustedFolderProblem(const QString& folder, unsigned ownerUid, TrustedLinks links) {
    const QString path = CleanAbsolute(folder);
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    const int found = links == TrustedLinks::Refuse ? lstat(name.constData(), &info)
                                                    : stat(name.constData(), &info);
    if (found != 0)
        return errno == ENOENT
                   ? QString()
                   : QStringLiteral("%1 cannot be examined: %2").arg(path, SystemError());
    if (S_ISLNK(info.st_mode))
        return KindProblem(path, info.st_mode);
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("%1 is not a folder").arg(path);
    return OwnerProblem(path, info, ownerUid);
}

QString UntrustedFileProblem(const QString& file, unsigned ownerUid) {
    const QString path = CleanAbsolute(file);
    struct stat info {};
    if (lstat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT
                   ? QString()
                   : QStringLiteral("%1 cannot be examined: %2").arg(path, SystemError());
    if (!S_ISREG(info.st_mode))
        return KindProblem(path, info.st_mode);
    return OwnerProblem(path, info, ownerUid);
}

#endif
