#pragma once

#include <QFileDevice>
#include <QString>

// Where the program finds its files. The application directory holds the catalogue
// (database/Orvane.mdb) and the two fixed pictures default.ico and folder.ico; picture files
// written at run time (exported icons and logos, the viewer's temp.bmp) go to a directory of
// the user's own, so that users of one machine never share or overwrite them.
//
// Each kind of run-time picture has a place of its own, so that no program name can land on
// the file of a logo or of the picked icon: program icons in `programs/`, theme logos in
// `logos/`, the picked icon directly in the picture directory.
class AppPaths {
public:
    // The application folder of an installed launcher: a site's catalogue and pictures.
    static inline const QString kSiteFolder = QStringLiteral(ORV_INSTALLED_APP_DIR);

    AppPaths() = default;
    AppPaths(QString appDir, QString pictureDir);

    // DefaultAppDir unless `--app-dir DIR` names another; pictures go to the user's cache
    // directory.
    static AppPaths FromArguments(const QStringList& arguments);
    // The application directory of a program in `executableDir`: that folder itself (a build
    // tree, a copy of its own), except for a program installed in the system's programs folder
    // (ORV_INSTALL_FULL_BINDIR), which holds no catalogue: the site's folder then.
    static QString DefaultAppDir(const QString& executableDir);

    const QString& AppDir() const { return mAppDir; }
    const QString& PictureDir() const { return mPictureDir; }
    QString DatabaseFile() const;
    // default.ico / folder.ico of the application directory, or the built-in picture while
    // that file is missing (EnsureFiles cannot write it into a folder the user may not write).
    QString DefaultIcon() const;
    QString FolderIcon() const;
    // A program's exported icon: `<picture dir>/programs/<name>.bmp`, with every character
    // that could leave the directory or is not allowed in a file name written as %XX, so that
    // no name becomes a path outside that directory.
    QString PictureFile(const QString& name) const;
    // A theme logo exported under its field name: `<picture dir>/logos/<field>.bmp`.
    QString LogoFile(const QString& field) const;
    // The icon picked in the resource viewer, read by the program editors.
    QString TempPicture() const;
    // The user's own launcher state (favourites, recent programs, the main window's place):
    // `tessaro-orvane/state.ini` in his configuration folder. Empty (nothing is kept between
    // runs) unless set.
    const QString& StateFile() const { return mStateFile; }
    void SetStateFile(const QString& file) { mStateFile = file; }

    // Creates the picture directory, private to its user, and writes default.ico and
    // folder.ico into the application directory when they are missing and it can be written
    // (otherwise the built-in pictures stand in). Returns an error text, empty on success.
    QString EnsureFiles() const;

private:
    QString mAppDir;
    QString mPictureDir;
    QString mStateFile;
};

// `name` made safe as one file-name component (see PictureFile).
QString SafeFileName(const QString& name);

// The modes of the files and folders the program creates, set whatever the umask says.
namespace FileMode {
// Folders and files every user reads and only their owner writes (the application and
// database folders, the catalogue, the fixed pictures).
inline constexpr QFileDevice::Permissions kSharedDir =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
    QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
inline constexpr QFileDevice::Permissions kSharedFile =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
    QFileDevice::ReadOther;
// A user's own pictures.
inline constexpr QFileDevice::Permissions kPrivateDir =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
inline constexpr QFileDevice::Permissions kPrivateFile =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner;
} // namespace FileMode

// Creates `path` and its missing parents, each with exactly `mode`; directories that exist
// are left as they are. False when one cannot be created.
bool MakeDirectories(const QString& path, QFileDevice::Permissions mode);
