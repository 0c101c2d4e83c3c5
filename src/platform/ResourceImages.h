#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRgb>
#include <optional>

// Turns the bytes of icon, cursor, bitmap and image-file resources (and the images of ICO
// files) into images, in memory. The pixels and AND mask of an icon or cursor DIB are read
// here, so no image plugin is needed for them; a bitmap resource gets a bitmap file header so
// that Qt's built-in BMP reader reads it. Headers are checked before any decoding: a resource
// that claims more pixels than it holds, or an absurd size, gives a null image. Only Qt Gui is
// used, no widget.
namespace ResourceImages {

// Largest width or height accepted for a picture made from a resource.
constexpr int kMaxSide = 4096;

// Most bytes read for one icon or cursor image, and for one bitmap. An icon image is at most
// 256 pixels square (about 270 KB as a 32-bit DIB); a bitmap of an executable is rarely above
// 1 MB. A resource claiming more is hostile or broken, and reading gigabytes of it would
// freeze the window and could exhaust memory, so it is not read at all.
constexpr qint64 kMaxIconBytes = 1 << 20;
constexpr qint64 kMaxBitmapBytes = 16 << 20;

// The loader's replacements for three greys of a bitmap's colour table (LR_LOADMAP3DCOLORS):
// RGB(128,128,128), RGB(192,192,192) and RGB(223,223,223).
struct Map3DColors {
    QRgb shadow;
    QRgb face;
    QRgb light;
};

// An RT_ICON resource (`isIcon`) or an RT_CURSOR resource, whose data starts with the hot spot
// (two 16-bit values, returned in `hotSpot`). The image data is a DIB of double height (colour
// rows, then the AND mask) or a PNG file.
QImage FromIconResource(const QByteArray& data, bool isIcon, QPoint* hotSpot = nullptr);

// An RT_BITMAP resource: a packed DIB (info header, colour table, pixels). With `map3D`, the
// three greys of a colour table are replaced.
QImage FromBitmapResource(const QByteArray& data,
                          const std::optional<Map3DColors>& map3D = std::nullopt);

// A resource holding a whole image file (PNG, JPEG, GIF, BMP, ICO...). `format` receives the
// decoder's name ("png", "ico"...).
QImage FromImageFile(const QByteArray& data, QByteArray* format = nullptr);

} // namespace ResourceImages
