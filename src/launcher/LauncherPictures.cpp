#include "launcher/LauncherPictures.h"

#include "launcher/MenuArt.h"
#include "platform/ImageBytes.h"
#include "platform/OrvError.h"
#include "services/AppContext.h"

#include <QFile>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>

QIcon PictureReader::Read(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = in.readAll();
    if (bytes.isEmpty())
        return {};
    const auto known = mDecoded.constFind(bytes);
    if (known != mDecoded.constEnd())
        return *known;
    const QImage image = ImageBytes::Decode(bytes);
    const QIcon icon = image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
    mDecoded.insert(bytes, icon);
    return icon;
}

namespace modMain {

QIcon ProgramPicture(AppContext& ctx, const QString& name, PictureReader& reader) {
    bool exported = false;
    try {
        exported = ctx.Catalog().ExportProgramIcon(name);
    } catch (const OrvError&) {
        // A picture that cannot be written is no reason to hide the program.
        exported = false;
    }
    QIcon icon;
    if (exported)
        icon = reader.Read(ctx.paths.PictureFile(name));
    if (icon.isNull())
        icon = reader.Read(ctx.paths.DefaultIcon());
    if (icon.isNull())
        icon = MenuArt::Picture(MenuArt::Kind::Program);
    return icon;
}

namespace {

// Stands for a program's picture in the list until a view draws it.
class ProgramPictureEngine : public QIconEngine {
public:
    ProgramPictureEngine(std::shared_ptr<ProgramPictures> pictures, QString name)
        : mPictures(std::move(pictures)), mName(std::move(name)) {}

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
    QIconEngine* clone() const override { return new ProgramPictureEngine(mPictures, mName); }
    QString key() const override { return QStringLiteral("OrvaneProgramPicture"); }

private:
    const QIcon& Loaded() { return mPictures->Loaded(mName); }

    std::shared_ptr<ProgramPictures> mPictures;
    QString mName;
};

} // namespace

QIcon ProgramPictures::WhenShown(const QString& name) {
    const auto known = mLoaded.constFind(name);
    if (known != mLoaded.constEnd())
        return *known;
    return QIcon(new ProgramPictureEngine(shared_from_this(), name));
}

const QIcon& ProgramPictures::Loaded(const QString& name) {
    auto known = mLoaded.find(name);
    if (known == mLoaded.end()) {
        // Once the main window has released the catalogue nothing is exported any more.
        known = mLoaded.insert(name, mCtx.catalog ? ProgramPicture(mCtx, name, mReader)
                                                  : MenuArt::Picture(MenuArt::Kind::Program));
    }
    return *known;
}

QIcon FolderPicture(AppContext& ctx, PictureReader& reader) {
    QIcon icon = reader.Read(ctx.paths.FolderIcon());
    if (icon.isNull())
        icon = MenuArt::Picture(MenuArt::Kind::Folder);
    return icon;
}

} // namespace modMain
