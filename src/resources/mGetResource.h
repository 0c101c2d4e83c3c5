#pragma once

#include "resources/StdPicture.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Reading resources of the loaded executable (mMain::hResModule) and making pictures of them.
// Types and names are strings as the viewer keeps them: a type "3" is the number 3, a name
// "#101" the number 101, anything else a name.
namespace mGetResource {

// The resource's bytes; no value when it is not found, cannot be read or is empty.
std::optional<QByteArray> GetResourceData(const QString& type, const QString& name);
// A picture of a cursor ("1"), bitmap ("2") or icon ("3") resource; nothing for any other type
// or a resource that is not a picture. Icons and cursors larger than
// ResourceImages::kMaxIconBytes and bitmaps larger than kMaxBitmapBytes are not read. When one
// of the three types gives no picture, `problem` receives a sentence naming the resource and
// saying why.
std::optional<StdPicture> GetResourcePicture(const QString& type, const QString& name,
                                             QString* problem = nullptr);
// A picture of a resource that holds a whole image file (PNG, JPEG, GIF, BMP, ICO...),
// decoded in memory; files larger than kMaxBitmapBytes are not read.
std::optional<StdPicture> GetResourceImageFile(const QString& type, const QString& name,
                                               QString* problem = nullptr);

// A picture that owns the image; nothing for a null image.
std::optional<StdPicture> BitmapToPicture(const QImage& bitmap);
std::optional<StdPicture> IconToPicture(const QImage& icon, QPoint hotSpot = {});

} // namespace mGetResource
