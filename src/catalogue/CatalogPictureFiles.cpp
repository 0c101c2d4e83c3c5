#include "catalogue/CatalogStore.h"

#include "catalogue/CatalogPictures.h"
#include "catalogue/CatalogState.h"
#include "platform/AppPaths.h"

#include <QFile>
#include <sys/stat.h>
#include <tuple>

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
// decoded once and again only when the file changes (another file, size or time).
QImage DefaultIconPicture(const QString& file) {
    struct Decoded {
        QString file;
        std::tuple<dev_t, ino_t, off_t, time_t, long> stamp{};
        QImage picture;
    };
    thread_local Decoded last;
    // The built-in picture, where the application folder has none of its own.
    if (file.startsWith(u':')) {
        if (file != last.file) {
            QFile in(file);
            last = {file,
                    {},
                    in.open(QIODevice::ReadOnly) ? DecodeCatalogPicture(in.readAll()) : QImage()};
        }
        return last.picture;
    }
    struct stat info {};
    if (file.isEmpty() || ::stat(QFile::encodeName(file).constData(), &info) != 0)
        return {};
    const auto stamp = std::make_tuple(info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec,
                                       info.st_mtim.tv_nsec);
    if (file != last.file || stamp != last.stamp) {
        QFile in(file);
        last = {file, stamp,
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
    const State::SeenRow now{row->at(0).toLongLong(), row->at(2).toLongLong()};
    mState->RequireUnchanged(key, now, row->at(1).toString());
    mState->Write(QStringLiteral("UPDATE programs SET icon = ?, row_version = row_version + 1"
                                 " WHERE program_id = ?"),
                  {icon, row->at(0)}, what);
    transaction.Commit();
    if (mState->seenPrograms.count(key) != 0)
        mState->seenPrograms[key] = {now.id, now.version + 1};
    return true;
}

bool CatalogStore::ExportProgramIcon(const QString& name, QImage* picture) {
    Db();
    const auto row = mState->First(QStringLiteral("SELECT icon FROM programs WHERE name_key = ?"),
                                   {ProgramKey(name)}, QStringLiteral("Reading a program's icon"));
    return row && ExportProgramIcon(name, row->at(0).toByteArray(), picture);
}

bool CatalogStore::ExportProgramIcon(const QString& name, const QByteArray& icon, QImage* picture) {
    if (ProgramKey(name).isEmpty() || mPictureDir.isEmpty())
        return false;
    QImage image = DecodeCatalogPicture(icon);
    if (image.isNull())
        image = DefaultIconPicture(mDefaultIcon);
    if (!WriteCatalogBmp(image, PictureFileOf(name)))
        return false;
    if (picture)
        *picture = image;
    return true;
}

QHash<QString, QByteArray> CatalogStore::GetProgramIcons(const QStringList& names) {
    Db();
    // A fixed number of keys per statement, the last repeated to fill it, so that one prepared
    // statement serves every batch.
    constexpr qsizetype kKeys = 32;
    static const QString sql = [] {
        QStringList marks(kKeys, QStringLiteral("?"));
        return QStringLiteral("SELECT name_key, icon FROM programs WHERE name_key IN (%1)")
            .arg(marks.join(u','));
    }();
    QHash<QString, QByteArray> icons;
    for (qsizetype from = 0; from < names.size(); from += kKeys) {
        QHash<QString, QString> nameOfKey;
        QVariantList keys;
        for (qsizetype i = from; i < std::min(from + kKeys, names.size()); ++i) {
            keys.append(ProgramKey(names.at(i)));
            nameOfKey.insert(keys.last().toString(), names.at(i));
        }
        while (keys.size() < kKeys)
            keys.append(keys.last());
        QSqlQuery& query = mState->Run(sql, keys, QStringLiteral("Reading the icons of programs"),
                                       ErrorNumber::DatabaseOpen);
        while (query.next())
            icons.insert(nameOfKey.value(query.value(0).toString()), query.value(1).toByteArray());
        const QSqlError error = query.lastError();
        query.finish();
        if (error.isValid())
            mState->Fail(ErrorNumber::DatabaseOpen, QStringLiteral("Reading the icons of programs"),
                         error);
    }
    return icons;
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
