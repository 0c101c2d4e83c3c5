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

} // namespace

std::optional<QByteArray> GetResourceData(const QString& type, const QString& name) {
    using namespace PeModule;
    const PeResourceId resourceName = PeResourceId::FromString(name);
    HRSRC found;
    if (const auto number = NumericType(type))
        found = FindResourceA(mMain::hResModule, resourceName, PeResourceId::Number(*number));
    if (!found)
        found = FindResourceA(mMain::hResModule, resourceName, PeResourceId::FromString(type));
    if (!found || SizeofResource(mMain::hResModule, found) == 0)
        return std::nullopt;
    auto bytes = LoadResource(mMain::hResModule, found);
    if (!bytes || bytes->isEmpty())
        return std::nullopt;
    return bytes;
}

std::optional<StdPicture> GetResourcePicture(const QString& type, const QString& name) {
    if (type == QLatin1String("1") || type == QLatin1String("3")) {
        const auto bytes = GetResourceData(type, name);
        if (!bytes)
            return std::nullopt;
        // CreateIconFromResourceEx: a cursor's data starts with its hot spot.
        QPoint hotSpot;
        const bool isIcon = type == QLatin1String("3");
        return IconToPicture(ResourceImages::FromIconResource(*bytes, isIcon, &hotSpot), hotSpot);
    }
    if (type == QLatin1String("2")) {
        // LoadImageA(IMAGE_BITMAP, LR_LOADMAP3DCOLORS) of the named bitmap.
        const auto found =
            PeModule::FindResourceA(mMain::hResModule, PeResourceId::FromString(name),
                                    PeResourceId::Number(PeModule::RT_BITMAP));
        const auto bytes = PeModule::LoadResource(mMain::hResModule, found);
        if (!bytes)
            return std::nullopt;
        return BitmapToPicture(ResourceImages::FromBitmapResource(*bytes, SystemColors()));
    }
    return std::nullopt;
}

std::optional<StdPicture> GetResourceImageFile(const QString& type, const QString& name) {
    const auto bytes = GetResourceData(type, name);
    if (!bytes)
        return std::nullopt;
    QByteArray format;
    const QImage image = ResourceImages::FromImageFile(*bytes, &format);
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
