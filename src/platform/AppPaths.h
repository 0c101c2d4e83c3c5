#pragma once

#include <QString>

// Where the program finds its files. The application directory holds the catalogue
// (database/Orvane.mdb) and the two fixed pictures default.ico and folder.ico; picture files
// written at run time (exported icons and logos, the viewer's temp.bmp) go to a directory of
// the user's own, so that users of one machine never share or overwrite them.
class AppPaths {
public:
    AppPaths() = default;
    AppPaths(QString appDir, QString pictureDir);

    // The executable's directory unless `--app-dir DIR` names another; pictures go to the
    // user's cache directory.
    static AppPaths FromArguments(const QStringList& arguments);

    const QString& AppDir() const { return mAppDir; }
    const QString& PictureDir() const { return mPictureDir; }
    QString DatabaseFile() const;
    QString DefaultIcon() const;
    QString FolderIcon() const;
    // The picture file for a program, theme logo or other name: `<picture dir>/<name>.bmp`,
    // with every character that could leave the directory or is not allowed in a file name
    // written as %XX, so that no name becomes a path outside the picture directory.
    QString PictureFile(const QString& name) const;
    // The icon picked in the resource viewer, read by the program editors.
    QString TempPicture() const;

    // Writes default.ico and folder.ico into the application directory when they are
    // missing, and creates the picture directory. Returns an error text, empty on success.
    QString EnsureFiles() const;

private:
    QString mAppDir;
    QString mPictureDir;
};

// `name` made safe as one file-name component (see PictureFile).
QString SafeFileName(const QString& name);
