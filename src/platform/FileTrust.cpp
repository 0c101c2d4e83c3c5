#include "platform/FileTrust.h"

#include <QDir>
#include <QFileInfo>

#ifndef _WIN32
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

#ifdef _WIN32

QString UntrustedFileReason(const QString&, unsigned) {
    return {};
}

#else

namespace {

QString Mode(mode_t mode) {
    return QStringLiteral("%1").arg(mode & 07777, 4, 8, QLatin1Char('0'));
}

// Why `path` (file or folder) could have been written by someone other than `ownerUid`.
QString Problem(const QString& path, unsigned ownerUid, bool folder) {
    struct stat info {};
    if (stat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("%1 cannot be examined").arg(path);
    if (info.st_uid != ownerUid && info.st_uid != 0)
        return QStringLiteral("%1 belongs to user id %2").arg(path).arg(info.st_uid);
    // A sticky folder (such as /tmp) lets no one replace another account's file.
    const bool othersMayReplace = !(folder && (info.st_mode & S_ISVTX));
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) && othersMayReplace)
        return QStringLiteral("%1 may be written by other users (mode %2)")
            .arg(path, Mode(info.st_mode));
    return {};
}

} // namespace

QString UntrustedFileReason(const QString& file, unsigned ownerUid) {
    const QFileInfo info(file);
    const QString real = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    const QString folder = QFileInfo(real).absolutePath();
    QString problem;
    if (QFileInfo::exists(folder))
        problem = Problem(folder, ownerUid, true);
    if (problem.isEmpty() && info.exists())
        problem = Problem(real, ownerUid, false);
    if (problem.isEmpty())
        return {};
    const bool root = ownerUid == 0;
    const QString owner =
        root ? QStringLiteral("root") : QStringLiteral("user id %1").arg(ownerUid);
    const QString chownTo = root ? QStringLiteral("root:root") : QString::number(ownerUid);
    return QStringLiteral("The settings file %1 is not trusted: %2. It decides who administers "
                          "Tessaro Orvane, so it and its folder must belong to %3 and be "
                          "writable by no one else. Fix it with: chown %4 %1 && chmod 644 %1 "
                          "&& chmod go-w %5")
        .arg(file, problem, owner, chownTo, folder);
}

#endif
