#include "resources/mGetResource.h"

#include "platform/PeModule.h"
#include "platform/ResourceImages.h"
#include "platform/Text.h"
#include "resources/mMain.h"

#include <QGuiApplication>
#include <QPalette>
#include <cmath>

namespace mGetResource {
namespace {

// The type as a resource number when it reads as a number, as the original's IsNumeric and
// CLng read it (spaces around, a sign or a fraction are allowed; halves round to even).
std::optional<quint16> NumericType(const QString& type) {
    bool ok = false;
    const double value = TrimSpaces(type).toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    const long number = RoundHalfEven(value);
    if (number < 0 || number > 0xFFFF)
        return std::nullopt;
    return quint16(number);
}

// The colours the desktop draws 3D elements in, for LR_LOADMAP3DCOLORS.
ResourceImages::Map3DColors SystemColors() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        const QPalette palette = QGuiApplication::palette();
        return {palette.color(QPalette::Dark).rgb(), palette.color(QPalette::Button).rgb(),
                palette.color(QPalette::Midlight).rgb()};
    }
    return {qRgb(128, 128, 128), qRgb(192, 192, 192), qRgb(223, 223, 223)};
}

// FindResourceA as GetResourceData calls it: by type number first, then by both as text.
PeModule::HRSRC Locate(const QString& type, const QString& name) {
    using namespace PeModule;
    const PeResourceId resourceName = PeResourceId::FromString(name);
    HRSRC found;
    if (const auto number = NumericType(type))
        found = FindResourceA(mMain::hResModule, resourceName, PeResourceId::Number(*number));
    if (!found)
        found = FindResourceA(mMain::hResModule, resourceName, PeResourceId::FromString(type));
    return found;
}

void Say(QString* problem, const QString& text) {
    if (problem)
        *problem = text;
}

// "The icon 301", "The bitmap PICTURE": the resource as the viewer's tree names it.
QString Describe(const QString& kind, const QString& name) {
    const PeResourceId id = PeResourceId::FromString(name);
    return QStringLiteral("The %1 %2").arg(kind, id.isName ? id.name : QString::number(id.id));
}

// The bytes of a picture resource, read only when its size is at most `limit`: its size comes
// from the file's own directory, which a hostile file can set to gigabytes.
std::optional<QByteArray> ReadPictureBytes(const PeModule::HRSRC& found, qint64 limit,
                                           const QString& what, const QString& kind,
                                           QString* problem) {
    using namespace PeModule;
    if (!found) {
        Say(problem, what + QStringLiteral(" is not in the executable."));
        return std::nullopt;
    }
    const quint32 size = SizeofResource(mMain::hResModule, found);
    if (size == 0) {
        Say(problem, what + QStringLiteral(" is empty."));
        return std::nullopt;
    }
    if (size > limit) {
        Say(problem, what + QStringLiteral(" claims %1 bytes, more than any real %2 needs "
                                           "(at most %3 MB), so it was not read.")
                                .arg(size)
                                .arg(kind)
                                .arg(limit >> 20));
        return std::nullopt;
    }
    auto bytes = LoadResource(mMain::hResModule, found);
    if (!bytes)
        Say(problem, what + QStringLiteral(" could not be read: the executable has changed "
                                           "since it was opened."));
    return bytes;
}

} // namespace

std::optional<QByteArray> GetResourceData(const QString& type, const QString& name) {
    using namespace PeModule;
    const HRSRC found = Locate(type, name);
    if (!found || SizeofResource(mMain::hResModule, found) == 0)
        return std::nullopt;
    auto bytes = LoadResource(mMain::hResModule, found);
    if (!bytes || bytes->isEmpty())
        return std::nullopt;
    return bytes;
}

std::optional<StdPicture> GetResourcePicture(const QString& type, const QString& name,
                                             QString* problem) {
    const bool isBitmap = type == QLatin1String("2");
    const bool isIcon = type == QLatin1String("3");
    if (!isBitmap && !isIcon && type != QLatin1String("1"))
        return std::nullopt;
    const QString kind = isBitmap ? QStringLiteral("bitmap")
                         : isIcon ? QStringLiteral("icon")
                                  : QStringLiteral("cursor");
    const QString what = Describe(kind, name);
    // LoadImageA(IMAGE_BITMAP) looks for a bitmap by its name only.
    const PeModule::HRSRC found =
        isBitmap ? PeModule::FindResourceA(mMain::hResModule, PeResourceId::FromString(name),
                                           PeResourceId::Number(PeModule::RT_BITMAP))
                 : Locate(type, name);
    const auto bytes = ReadPictureBytes(
        found, isBitmap ? ResourceImages::kMaxBitmapBytes : ResourceImages::kMaxIconBytes, what,
        kind, problem);
    if (!bytes)
        return std::nullopt;
    std::optional<StdPicture> picture;
    if (isBitmap) {
        // LR_LOADMAP3DCOLORS: the greys of the colour table become the desktop's 3D colours.
        picture = BitmapToPicture(ResourceImages::FromBitmapResource(*bytes, SystemColors()));
    } else {
        // CreateIconFromResourceEx: a cursor's data starts with its hot spot.
        QPoint hotSpot;
        picture =
            IconToPicture(ResourceImages::FromIconResource(*bytes, isIcon, &hotSpot), hotSpot);
    }
    if (!picture)
        Say(problem, what + QStringLiteral(" holds no picture that can be shown: its data is "
                                           "damaged or in a format that is not supported."));
    return picture;
}

std::optional<StdPicture> GetResourceImageFile(const QString& type, const QString& name,
                                               QString* problem) {
    const QString what = Describe(QStringLiteral("image"), name);
    const auto bytes = ReadPictureBytes(Locate(type, name), ResourceImages::kMaxBitmapBytes, what,
                                        QStringLiteral("image"), problem);
    if (!bytes)
        return std::nullopt;
    QByteArray format;
    const QImage image = ResourceImages::FromImageFile(*bytes, &format);
    if (image.isNull()) {
        Say(problem, what + QStringLiteral(" holds no picture that can be shown: its data is "
                                           "damaged or in a format that is not supported."));
        return std::nullopt;
    }
    if (format == "ico" || format == "cur")
        return IconToPicture(image);
    return BitmapToPicture(image);
}

std::optional<StdPicture> BitmapToPicture(const QImage& bitmap) {
    if (bitmap.isNull())
        return std::nullopt;
    return StdPicture{PictureType::Bitmap, bitmap, {}};
}

std::optional<StdPicture> IconToPicture(const QImage& icon, QPoint hotSpot) {
    if (icon.isNull())
        return std::nullopt;
    return StdPicture{PictureType::Icon, icon, hotSpot};
}

} // namespace mGetResource
