#include "services/CatalogStore.h"

#include "platform/AppPaths.h"
#include "services/CatalogPictures.h"
#include "services/CatalogState.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

// ---------------------------------------------------------------------------------------------
// Pictures of the catalogue's rows: reading picture files in, writing BMP files out.

namespace catalog {

PictureRead ReadPictureFile(const QString& file, QByteArray& bytes) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly) || in.size() > kMaxPictureBytes)
        return PictureRead::Unreadable;
    bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return PictureRead::Unreadable;
    return DecodeCatalogPicture(bytes).isNull() ? PictureRead::NotAPicture : PictureRead::Ok;
}

// The default icon file's picture. Every program without an icon of its own shows it, so it is
// decoded once and again only when the file changes.
QImage DefaultIconPicture(const QString& file) {
    struct Decoded {
        QString file;
        QDateTime modified;
        qint64 size = -1;
        QImage picture;
    };
    thread_local Decoded last;
    if (file.isEmpty())
        return {};
    const QFileInfo info(file);
    if (file != last.file || info.lastModified() != last.modified || info.size() != last.size) {
        QFile in(file);
        last = {file, info.lastModified(), info.size(),
                in.open(QIODevice::ReadOnly) ? DecodeCatalogPicture(in.readAll()) : QImage()};
    }
    return last.picture;
}

// The canonical name of a theme logo field, empty when `field` names none.
QString LogoField(const QString& field, QString* column) {
    static const struct {
        const char* field;
        const char* column;
    } kFields[] = {{"Theme_LogoSplash", "logo_splash"},
                   {"Theme_LogoSetup", "logo_setup"},
                   {"Theme_LogoAddRemove", "logo_addremove"}};
    for (const auto& f : kFields)
        if (field.compare(QLatin1String(f.field), Qt::CaseInsensitive) == 0) {
            *column = QLatin1String(f.column);
            return QLatin1String(f.field);
        }
    return {};
}

} // namespace catalog

using namespace catalog;

QString CatalogStore::PictureFileOf(const QString& name) const {
    return AppPaths(QString(), mPictureDir).PictureFile(name);
}

void CatalogStore::RemovePictures(const QStringList& names) const {
    if (mPictureDir.isEmpty())
        return;
    QStringList done;
    for (const QString& name : names) {
        const QString file = PictureFileOf(name);
        if (done.contains(file))
            continue;
        done.append(file);
        QFile::remove(file);
    }
}

bool CatalogStore::SetProgramIcon(const QString& name, const QString& pictureFile) {
    Db();
    const QString key = ProgramKey(name);
    if (key.isEmpty())
        return false;
    QVariant icon = NullBytes();
    if (!pictureFile.isEmpty()) {
        QByteArray bytes;
        if (ReadPictureFile(pictureFile, bytes) != PictureRead::Ok)
            return false;
        icon = bytes;
    }
    const QString what =
        QStringLiteral("Changing the icon of the program %1").arg(TrimSpaces(name));
    State::Transaction transaction(*mState, what);
    const auto row = mState->First(QStringLiteral("SELECT program_id, program_name, row_version"
                                                  " FROM programs WHERE name_key = ?"),
                                   {key}, QStringLiteral("Looking up a program"));
    if (!row)
        return false;
    const qint64 version = row->at(2).toLongLong();
    mState->RequireUnchanged(key, version, row->at(1).toString());
    mState->Write(QStringLiteral("UPDATE programs SET icon = ?, row_version = row_version + 1"
                                 " WHERE program_id = ?"),
                  {icon, row->at(0)}, what);
    transaction.Commit();
    if (mState->seenPrograms.count(key) != 0)
        mState->seenPrograms[key] = version + 1;
    return true;
}

bool CatalogStore::ExportProgramIcon(const QString& name) {
    Db();
    const auto row = mState->First(QStringLiteral("SELECT icon FROM programs WHERE name_key = ?"),
                                   {ProgramKey(name)}, QStringLiteral("Reading a program's icon"));
    if (!row || ProgramKey(name).isEmpty() || mPictureDir.isEmpty())
        return false;
    QImage image = DecodeCatalogPicture(row->at(0).toByteArray());
    if (image.isNull())
        image = DefaultIconPicture(mDefaultIcon);
    return WriteCatalogBmp(image, PictureFileOf(name));
}

bool CatalogStore::ExportThemeLogo(const QString& theme, const QString& field) {
    Db();
    QString column;
    const QString canonical = LogoField(field, &column);
    if (canonical.isEmpty() || mPictureDir.isEmpty())
        return false;
    const auto row =
        mState->First(QStringLiteral("SELECT %1 FROM themes WHERE theme_name = ?").arg(column),
                      {theme}, QStringLiteral("Reading a theme's logo"));
    if (!row)
        return false;
    const QImage image = DecodeCatalogPicture(row->at(0).toByteArray());
    return !image.isNull() &&
           WriteCatalogBmp(image, AppPaths(QString(), mPictureDir).LogoFile(canonical));
}
