#include "catalogue/CatalogAddress.h"

#include "platform/FileTrust.h"
#include "platform/OrvError.h"
#include "platform/SmallFile.h"
#include "settings/RegistryStore.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {

const QString kSource = QStringLiteral("CatalogStore");
// A password file holds one line.
constexpr qint64 kMaxPasswordFileBytes = 64 * 1024;

// Settings beside a personal catalogue make its user the administrator of what it holds: a
// catalogue someone else could have put or changed there would decide which programs he
// starts. Its folder and the file must be his (or root's), no links, writable by no one else.
void RequirePersonalCatalogueTrusted(const RegistryStore& settings, const QString& sqliteFile) {
    const QString folder = QFileInfo(sqliteFile).absolutePath();
    QString problem = UntrustedFolderProblem(folder, settings.OwnerUid());
    if (problem.isEmpty())
        problem = UntrustedFileProblem(sqliteFile, settings.OwnerUid());
    if (problem.isEmpty())
        return;
    throw OrvError(ErrorNumber::SettingsUntrusted,
                   QStringLiteral("The catalogue %1 cannot be used: %2. The settings beside it "
                                  "(%3) make its user the administrator of what it holds, so "
                                  "the catalogue and its folder %4 must belong to that user, be "
                                  "no links, and be writable by no one else. Fix it with: chmod "
                                  "go-w %4 %1, and remove what someone else put there.")
                       .arg(QDir::toNativeSeparators(sqliteFile), problem, settings.File(),
                            QDir::toNativeSeparators(folder)),
                   kSource);
}

} // namespace

QString UntrustedPasswordFileReason(const QString& file) {
#ifdef Q_OS_WIN
    Q_UNUSED(file);
    return {};
#else
    struct stat info {};
    if (stat(QFile::encodeName(file).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return QStringLiteral("The catalogue's password file %1 does not exist.").arg(file);
    const QString mode = QStringLiteral("%1").arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
    if (info.st_uid != 0 || (info.st_mode & (S_IWGRP | S_IWOTH)) || (info.st_mode & S_IROTH))
        return QStringLiteral("The catalogue's password file %1 is not protected (owner id %2, "
                              "mode %3): it must belong to root, be writable by root only and "
                              "not readable by every user. Fix it with: chown root:GROUP %1 && "
                              "chmod 640 %1, GROUP being the launcher's users.")
            .arg(file)
            .arg(info.st_uid)
            .arg(mode);
    return {};
#endif
}

QString PasswordInAddressProblem(const QString& uri, const QString& where) {
    const QUrl url(uri);
    if (url.password().isEmpty())
        return {};
    return QStringLiteral("%1 (%2) holds a password, which anyone who may read it could see. "
                          "Remove it and give the password in the file named by %3 or in "
                          "libpq's password file.")
        .arg(where, url.toString(QUrl::RemovePassword),
             QString::fromLatin1(kCatalogPasswordFileValue));
}

CatalogAddress ResolveCatalogAddress(RegistryStore& settings, const QString& sqliteFile) {
    const int root = RegistryStore::HKEY_LOCAL_MACHINE_;
    const QString uri = settings.KeyExists(root, RegistryStore::kSettingsKey)
                            ? settings
                                  .GetValue(root, RegistryStore::kSettingsKey,
                                            QString::fromLatin1(kCatalogUriValue))
                                  .toString()
                                  .trimmed()
                            : QString();
    if (uri.isEmpty()) {
        if (settings.IsPersonal())
            RequirePersonalCatalogueTrusted(settings, sqliteFile);
        return {sqliteFile, {}};
    }
    if (const QString problem = PasswordInAddressProblem(
            uri, QStringLiteral("The setting %1").arg(QString::fromLatin1(kCatalogUriValue)));
        !problem.isEmpty())
        throw OrvError(ErrorNumber::DatabaseOpen, problem, kSource);
    const QString timeout =
        settings
            .GetValue(root, RegistryStore::kSettingsKey, QString::fromLatin1(kCatalogTimeoutValue))
            .toString()
            .trimmed();
    bool number = true;
    const int seconds = timeout.isEmpty() ? 30 : timeout.toInt(&number);
    if (!number || seconds < 1 || seconds > 3600)
        throw OrvError(
            ErrorNumber::DatabaseOpen,
            QStringLiteral("The setting %1 in %2 (%3) must be a number of seconds from "
                           "1 to 3600.")
                .arg(QString::fromLatin1(kCatalogTimeoutValue), settings.File(), timeout),
            kSource);
    const QString passwordFile = settings
                                     .GetValue(root, RegistryStore::kSettingsKey,
                                               QString::fromLatin1(kCatalogPasswordFileValue))
                                     .toString()
                                     .trimmed();
    if (passwordFile.isEmpty())
        return {uri, {}, seconds};
    const QString untrusted = UntrustedPasswordFileReason(passwordFile);
    if (!untrusted.isEmpty())
        throw OrvError(ErrorNumber::PermissionDenied, untrusted, kSource);
    const SmallFile::Read read = SmallFile::ReadFile(passwordFile, kMaxPasswordFileBytes);
    if (!read.Ok())
        throw OrvError(ErrorNumber::PermissionDenied,
                       QStringLiteral("The catalogue's password file %1 cannot be read: %2. "
                                      "Users of the launcher need to be in its group.")
                           .arg(passwordFile,
                                read.missing ? QStringLiteral("it does not exist") : read.problem),
                       kSource);
    const QString password = QString::fromUtf8(SmallFile::FirstLine(read.bytes));
    if (password.isEmpty())
        throw OrvError(
            ErrorNumber::DatabaseOpen,
            QStringLiteral("The catalogue's password file %1 is empty.").arg(passwordFile),
            kSource);
    return {uri, password, seconds};
}
