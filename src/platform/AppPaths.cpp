#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// Outside any namespace: Q_INIT_RESOURCE declares the resource's function where it stands.
static bool RegisterArtResources() {
    Q_INIT_RESOURCE(art);
    return true;
}

namespace {

void InitArtResources() {
    static const bool done = RegisterArtResources();
    Q_UNUSED(done);
}

const QString kBuiltInDefaultIcon = QStringLiteral(":/orvane/default.ico");
const QString kBuiltInFolderIcon = QStringLiteral(":/orvane/folder.ico");

QString FileOrBuiltIn(const QString& file, const QString& builtIn) {
    if (QFileInfo::exists(file))
        return file;
    InitArtResources();
    return builtIn;
}

// Copies a built-in picture to `target` with the shared file mode; false when it cannot.
bool WriteFixedPicture(const QString& resource, const QString& target) {
    QFile in(resource);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = in.readAll();
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() ||
        !out.setPermissions(FileMode::kSharedFile)) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

} // namespace

AppPaths::AppPaths(QString appDir, QString pictureDir)
    : mAppDir(QDir::cleanPath(std::move(appDir))),
      mPictureDir(QDir::cleanPath(std::move(pictureDir))) {}

AppPaths AppPaths::FromArguments(const QStringList& arguments) {
    QString appDir = DefaultAppDir(QCoreApplication::applicationDirPath());
    const qsizetype option = arguments.indexOf(QStringLiteral("--app-dir"));
    if (option >= 0 && option + 1 < arguments.size())
        appDir = QDir(arguments.at(option + 1)).absolutePath();
    QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    QString folder = QStringLiteral("tessaro-orvane");
    if (cache.isEmpty()) {
        cache = QDir::tempPath();
#ifdef Q_OS_UNIX
        // The temporary directory is shared: a folder per user id, checked by EnsureFiles.
        folder += QStringLiteral("-%1").arg(geteuid());
#endif
    }
    AppPaths paths(appDir, cache + u'/' + folder + QStringLiteral("/pictures"));
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (!config.isEmpty())
        paths.SetStateFile(config + QStringLiteral("/tessaro-orvane/state.ini"));
    return paths;
}

QString AppPaths::DefaultAppDir(const QString& executableDir) {
    if (QDir::cleanPath(executableDir) == QDir::cleanPath(QStringLiteral(ORV_INSTALL_FULL_BINDIR)))
        return QStringLiteral(ORV_INSTALLED_APP_DIR);
    return executableDir;
}

QString AppPaths::DatabaseFile() const {
    return mAppDir + QStringLiteral("/database/Orvane.mdb");
}

QString AppPaths::DefaultIcon() const {
    return FileOrBuiltIn(mAppDir + QStringLiteral("/default.ico"), kBuiltInDefaultIcon);
}

QString AppPaths::FolderIcon() const {
    return FileOrBuiltIn(mAppDir + QStringLiteral("/folder.ico"), kBuiltInFolderIcon);
}

QString AppPaths::TempPicture() const {
    return mPictureDir + QStringLiteral("/temp.bmp");
}

QString AppPaths::PictureFile(const QString& name) const {
    return mPictureDir + QStringLiteral("/programs/") + SafeFileName(name) + QStringLiteral(".bmp");
}

QString AppPaths::LogoFile(const QString& field) const {
    return mPictureDir + QStringLiteral("/logos/") + SafeFileName(field) + QStringLiteral(".bmp");
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

bool MakeDirectories(const QString& path, QFileDevice::Permissions mode) {
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    QStringList missing;
    for (QString dir = clean; !QFileInfo(dir).isDir(); dir = QFileInfo(dir).absolutePath()) {
        if (QFileInfo::exists(dir) || QFileInfo(dir).isRoot())
            return false; // a file stands in the way
        missing.prepend(dir);
    }
    for (const QString& dir : std::as_const(missing)) {
        // Created no wider than private, then given its mode: under a permissive umask no
        // one else can slip a file in before the mode is set.
        const QFileInfo info(dir);
        if (!QDir(info.absolutePath()).mkdir(info.fileName(), FileMode::kPrivateDir)) {
            if (QFileInfo(dir).isDir())
                continue; // made meanwhile by another process
            return false;
        }
        if (!QFile::setPermissions(dir, mode))
            return false;
    }
    return true;
}

QString AppPaths::EnsureFiles() const {
    InitArtResources();
    if (!MakeDirectories(mPictureDir, FileMode::kPrivateDir))
        return QStringLiteral("The picture folder %1 cannot be created. Check that your user may "
                              "write its parent folder.")
            .arg(QDir::toNativeSeparators(mPictureDir));
#ifdef Q_OS_UNIX
    if (QFileInfo(mPictureDir).ownerId() != geteuid())
        return QStringLiteral("The picture folder %1 belongs to another user. Remove it, or ask "
                              "that user to, and start Tessaro Orvane again.")
            .arg(QDir::toNativeSeparators(mPictureDir));
#endif
    // A folder left by an earlier version may be open to others.
    if (!QFile::setPermissions(mPictureDir, FileMode::kPrivateDir))
        return QStringLiteral("The picture folder %1 cannot be made private to your user.")
            .arg(QDir::toNativeSeparators(mPictureDir));
    const struct {
        QString target;
        const QString& resource;
    } fixed[] = {{mAppDir + QStringLiteral("/default.ico"), kBuiltInDefaultIcon},
                 {mAppDir + QStringLiteral("/folder.ico"), kBuiltInFolderIcon}};
    for (const auto& file : fixed) {
        // Where the application folder cannot be written, DefaultIcon and FolderIcon give
        // the built-in pictures instead.
        // The application folder itself is never made here: a mistyped --app-dir must not
        // become a new, empty site.
        if (!QFileInfo::exists(file.target) && QFileInfo(mAppDir).isDir())
            WriteFixedPicture(file.resource, file.target);
    }
    return {};
}
