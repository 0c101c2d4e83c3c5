#pragma once

#include <QByteArray>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>

class AppContext;

// Reads the picture files of the launcher's lists. Files with the same bytes, and copies of one
// exported image (every program without an icon of its own exports the default icon), share
// one decoded picture.
class PictureReader {
public:
    // The picture in `file`; a null icon when the file is missing or holds no picture.
    QIcon Read(const QString& file);
    // `image` as a picture to show; copies of one image share one picture.
    QIcon Shown(const QImage& image);
    // A program's picture: `image`, the one its picture file holds, and, when the stored icon
    // `iconBytes` holds a larger image, that one too, for screens above 100 %: a window at
    // 200 % draws from it instead of enlarging `image`.
    QIcon Shown(const QImage& image, const QByteArray& iconBytes);

private:
    // The picture a file holding `bytes` shows.
    QIcon Decode(const QByteArray& bytes);

    QHash<QByteArray, QIcon> mDecoded;
    QHash<qint64, QIcon> mShown; // by QImage::cacheKey
};

namespace modMain {

// The program's icon as the catalogue exports it to its picture file; the default icon
// when the export fails or the file cannot be read, and a drawn program picture when even
// the default icon cannot be read.
QIcon ProgramPicture(AppContext& ctx, const QString& name, PictureReader& reader);

// The pictures of one build of the launcher list, `names` in list order, each exported and
// read only when it is first drawn (or asked for its pixels): a list of thousands of programs
// is built without writing thousands of files, and every picture still comes from the
// catalogue as it is at that build. The stored icons are read a screenful at a time, from
// the first one drawn on; a picture once read is kept for the build's life.
class ProgramPictures : public std::enable_shared_from_this<ProgramPictures> {
public:
    ProgramPictures(AppContext& ctx, QStringList names) : mCtx(ctx), mNames(std::move(names)) {}
    // The picture of program `name`, number `index` (from 1) in the list: the one read, or a
    // picture that reads it when drawn.
    QIcon WhenShown(int index, const QString& name);
    // Reads the picture now, once.
    const QIcon& Loaded(int index, const QString& name);

private:
    QIcon Export(int index, const QString& name);

    AppContext& mCtx;
    QStringList mNames;
    PictureReader mReader;
    QHash<QString, QByteArray> mIcons; // read from the catalogue, not yet exported
    QHash<QString, QIcon> mLoaded;
};

// The folder picture of the application directory, or a drawn folder.
QIcon FolderPicture(AppContext& ctx, PictureReader& reader);

} // namespace modMain
