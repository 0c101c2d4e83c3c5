#include "launcher/LauncherPictures.h"

#include "catalogue/CatalogPictures.h"
#include "launcher/MenuArt.h"
#include "platform/OrvError.h"
#include "services/AppContext.h"

#include <QFile>
#include <QGuiApplication>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <cmath>

QIcon PictureReader::Read(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    return Decode(in.readAll());
}

QIcon PictureReader::Decode(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return {};
    const auto known = mDecoded.constFind(bytes);
    if (known != mDecoded.constEnd())
        return *known;
    const QImage image = DecodeCatalogPicture(bytes);
    const QIcon icon = image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
    mDecoded.insert(bytes, icon);
    return icon;
}

QIcon PictureReader::Shown(const QImage& image, const QByteArray& iconBytes) {
    const QImage larger = DecodeLargestIcoImage(iconBytes);
    if (image.isNull() || larger.isNull() || larger.width() <= image.width())
        return Shown(image);
    // No larger than the lists draw it at 200 %, or on the sharpest screen if that is sharper
    // still: a picture of 256 pixels kept for each of thousands of programs would hold
    // megabytes each screenful. A window moved to a sharper screen finds it ready.
    constexpr int kListSize = 32;
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    const int pixels = std::max(2 * kListSize, static_cast<int>(std::ceil(kListSize * ratio)));
    QIcon icon(QPixmap::fromImage(image));
    icon.addPixmap(QPixmap::fromImage(
        larger.width() > pixels
            ? larger.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            : larger));
    return icon;
}

QIcon PictureReader::Shown(const QImage& image) {
    if (image.isNull())
        return {};
    const auto known = mShown.constFind(image.cacheKey());
    if (known != mShown.constEnd())
        return *known;
    return *mShown.insert(image.cacheKey(), QIcon(QPixmap::fromImage(image)));
}

namespace modMain {

namespace {

// The picture of a program that `exportTo` (a call writing its picture file and handing back
// the picture and the stored icon's bytes) wrote; the default icon when the export fails or
// cannot be written, and a drawn program picture when even the default icon cannot be read.
template <class Export>
QIcon ExportedPicture(AppContext& ctx, PictureReader& reader, Export&& exportTo) {
    QIcon icon;
    QImage picture;
    QByteArray bytes;
    try {
        if (exportTo(&picture, &bytes))
            icon = reader.Shown(picture, bytes);
    } catch (const OrvError&) {
        // A picture that cannot be written is no reason to hide the program.
    }
    if (icon.isNull())
        icon = reader.Read(ctx.paths.DefaultIcon());
    if (icon.isNull())
        icon = MenuArt::Picture(MenuArt::Kind::Program);
    return icon;
}

} // namespace

QIcon ProgramPicture(AppContext& ctx, const QString& name, PictureReader& reader) {
    return ExportedPicture(ctx, reader, [&](QImage* picture, QByteArray* bytes) {
        const QHash<QString, QByteArray> icons = ctx.Catalog().GetProgramIcons({name});
        if (!icons.contains(name))
            return false;
        *bytes = icons.value(name);
        return ctx.Catalog().ExportProgramIcon(name, *bytes, picture);
    });
}

namespace {

// Stands for a program's picture in the list until a view draws it.
class ProgramPictureEngine : public QIconEngine {
public:
    ProgramPictureEngine(std::shared_ptr<ProgramPictures> pictures, int index, QString name)
        : mPictures(std::move(pictures)), mIndex(index), mName(std::move(name)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        Loaded().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Loaded().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return Loaded().pixmap(size, scale, mode, state);
    }
    // Views ask for the size of every item when they lay the list out; answering with the
    // size asked for keeps that from exporting pictures nobody has seen yet.
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Loaded().availableSizes(mode, state);
    }
    QIconEngine* clone() const override {
        return new ProgramPictureEngine(mPictures, mIndex, mName);
    }
    QString key() const override { return QStringLiteral("OrvaneProgramPicture"); }

private:
    const QIcon& Loaded() { return mPictures->Loaded(mIndex, mName); }

    std::shared_ptr<ProgramPictures> mPictures;
    int mIndex;
    QString mName;
};

} // namespace

QIcon ProgramPictures::WhenShown(int index, const QString& name) {
    const auto known = mLoaded.constFind(name);
    if (known != mLoaded.constEnd())
        return *known;
    return QIcon(new ProgramPictureEngine(shared_from_this(), index, name));
}

const QIcon& ProgramPictures::Loaded(int index, const QString& name) {
    auto known = mLoaded.find(name);
    if (known == mLoaded.end())
        known = mLoaded.insert(name, Export(index, name));
    return *known;
}

QIcon ProgramPictures::Export(int index, const QString& name) {
    // Once the main window has released the catalogue nothing is exported any more.
    if (!mCtx.catalog)
        return MenuArt::Picture(MenuArt::Kind::Program);
    constexpr int kScreenful = 64;
    return ExportedPicture(mCtx, mReader, [&](QImage* picture, QByteArray* bytes) {
        CatalogStore& catalog = mCtx.Catalog();
        auto icon = mIcons.constFind(name);
        if (icon == mIcons.constEnd() && index >= 1 && index <= mNames.size()) {
            // The pictures drawn next are the ones after this, in list order.
            QStringList unread;
            for (qsizetype i = index - 1;
                 i < std::min<qsizetype>(index - 1 + kScreenful, mNames.size()); ++i)
                if (!mLoaded.contains(mNames.at(i)) && !mIcons.contains(mNames.at(i)))
                    unread.append(mNames.at(i));
            mIcons.insert(catalog.GetProgramIcons(unread));
            icon = mIcons.constFind(name);
        }
        if (icon == mIcons.constEnd()) {
            // Not where the list put it, or gone from the catalogue since the build.
            return catalog.ExportProgramIcon(name, picture);
        }
        *bytes = *icon;
        mIcons.erase(icon);
        return catalog.ExportProgramIcon(name, *bytes, picture);
    });
}

QIcon FolderPicture(AppContext& ctx, PictureReader& reader) {
    QIcon icon = reader.Read(ctx.paths.FolderIcon());
    if (icon.isNull())
        icon = MenuArt::Picture(MenuArt::Kind::Folder);
    return icon;
}

} // namespace modMain
