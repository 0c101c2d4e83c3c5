#include "launcher/LauncherPictures.h"

#include "launcher/MenuArt.h"
#include "platform/OrvError.h"
#include "services/AppContext.h"

#include <QFile>
#include <QImage>
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
    const QImage image = QImage::fromData(bytes);
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

QIcon FolderPicture(AppContext& ctx, PictureReader& reader) {
    QIcon icon = reader.Read(ctx.paths.FolderIcon());
    if (icon.isNull())
        icon = MenuArt::Picture(MenuArt::Kind::Folder);
    return icon;
}

} // namespace modMain
