#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

static void InitArtResources() { Q_INIT_RESOURCE(art); }

AppPaths::AppPaths(QString appDir, QString pictureDir)
    : mAppDir(QDir::cleanPath(std::move(appDir))), mPictureDir(QDir::cleanPath(std::move(pictureDir))) {}

AppPaths AppPaths::FromArguments(const QStringList& arguments) {
    QString appDir = QCoreApplication::applicationDirPath();
    const qsizetype option = arguments.indexOf(QStringLiteral("--app-dir"));
    if (option >= 0 && option + 1 < arguments.size())
        appDir = QDir(arguments.at(option + 1)).absolutePath();
    QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        cache = QDir::tempPath();
    return AppPaths(appDir, cache + QStringLiteral("/tessaro-orvane/pictures"));
}

QString AppPaths::DatabaseFile() const { return mAppDir + QStringLiteral("/database/Orvane.mdb"); }
QString AppPaths::DefaultIcon() const { return mAppDir + QStringLiteral("/default.ico"); }
QString AppPaths::FolderIcon() const { return mAppDir + QStringLiteral("/folder.ico"); }
QString AppPaths::TempPicture() const { return mPictureDir + QStringLiteral("/temp.bmp"); }

QString AppPaths::PictureFile(const QString& name) const {
    return mPictureDir + QLatin1Char('/') + SafeFileName(name) + QStringLiteral(".bmp");
}

QString SafeFileName(const QString& name) {
    static const QString kUnsafe = QStringLiteral("%/\\:*?\"<>|");
    QString safe;
    safe.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        // A leading dot would make "." and ".." or a hidden file.
        const bool unsafe = kUnsafe.contains(c) || c.unicode() < 0x20 || (i == 0 && c == u'.');
        if (unsafe)
            safe += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            safe += c;
    }
    return safe;
}

QString AppPaths::EnsureFiles() const {
    InitArtResources();
    if (!QDir().mkpath(mPictureDir))
        return QStringLiteral("The picture directory %1 cannot be created.").arg(mPictureDir);
    const struct {
        QString target;
        QString resource;
    } fixed[] = {{DefaultIcon(), QStringLiteral(":/orvane/default.ico")},
                 {FolderIcon(), QStringLiteral(":/orvane/folder.ico")}};
    for (const auto& file : fixed) {
        if (QFile::exists(file.target))
            continue;
        if (!QDir().mkpath(mAppDir) || !QFile::copy(file.resource, file.target))
            return QStringLiteral("The picture %1 is missing and cannot be written.")
                .arg(file.target);
        QFile::setPermissions(file.target, QFile::ReadOwner | QFile::WriteOwner |
                                               QFile::ReadGroup | QFile::ReadOther);
    }
    return {};
}
