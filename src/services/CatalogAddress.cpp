#include "services/CatalogAddress.h"

#include "platform/OrvError.h"
#include "services/RegistryStore.h"

#include <QFile>
#include <QUrl>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {
const QString kSource = QStringLiteral("CatalogStore");
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

CatalogAddress ResolveCatalogAddress(RegistryStore& settings, const QString& sqliteFile) {
    const int root = RegistryStore::HKEY_LOCAL_MACHINE_;
    if (!settings.KeyExists(root, RegistryStore::kSettingsKey))
        return {sqliteFile, {}};
    const QString uri =
        settings.GetValue(root, RegistryStore::kSettingsKey, QString::fromLatin1(kCatalogUriValue))
            .toString()
            .trimmed();
    if (uri.isEmpty())
        return {sqliteFile, {}};
    const QUrl url(uri);
    if (!url.password().isEmpty())
        throw OrvError(ErrorNumber::DatabaseOpen,
                       QStringLiteral("The setting %1 (%2) holds a password, which anyone who "
                                      "may read the settings could see. Remove it and give the "
                                      "password in the file named by %3 or in libpq's password "
                                      "file.")
                           .arg(QString::fromLatin1(kCatalogUriValue),
                                url.toString(QUrl::RemovePassword),
                                QString::fromLatin1(kCatalogPasswordFileValue)),
                       kSource);
    const QString passwordFile = settings
                                     .GetValue(root, RegistryStore::kSettingsKey,
                                               QString::fromLatin1(kCatalogPasswordFileValue))
                                     .toString()
                                     .trimmed();
    if (passwordFile.isEmpty())
        return {uri, {}};
    const QString untrusted = UntrustedPasswordFileReason(passwordFile);
    if (!untrusted.isEmpty())
        throw OrvError(ErrorNumber::PermissionDenied, untrusted, kSource);
    QFile in(passwordFile);
    if (!in.open(QIODevice::ReadOnly))
        throw OrvError(ErrorNumber::PermissionDenied,
                       QStringLiteral("The catalogue's password file %1 cannot be read: %2. "
                                      "Users of the launcher need to be in its group.")
                           .arg(passwordFile, in.errorString()),
                       kSource);
    const QString password = QString::fromUtf8(in.readLine(4096)).remove(u'\n').remove(u'\r');
    if (password.isEmpty())
        throw OrvError(
            ErrorNumber::DatabaseOpen,
            QStringLiteral("The catalogue's password file %1 is empty.").arg(passwordFile),
            kSource);
    return {uri, password};
}
