#pragma once

// What the generated picture inputs of the PE fixtures hold. The generator writes them from
// these values; the tests compare what the reader and the picture code make of the linked
// executables against the same values. The encoders at the end serve both.

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QString>
#include <QtEndian>
#include <array>

namespace Fixture {

struct IconImage {
    int size;   // width and height in pixels
    int bits;   // 1, 4, 8, 24 or 32 for a device-independent bitmap; 0 for PNG
    QRgb color; // every pixel except the transparent top-left one
};

// app.ico, the numbered (#1) and the named (APPICON) icon group: four sizes. In the module
// its images become the icon resources 1 to 4, and again 5 to 8 for the second group.
inline constexpr std::array<IconImage, 4> kAppIcon = {{
    {16, 4, 0xFF800000},  // palette colour (dark red)
    {32, 32, 0xFF2060C0}, // true colour with alpha
    {48, 8, 0xFF008080},  // palette colour (teal)
    {256, 0, 0xFFE0A000}, // PNG-compressed
}};

// A named icon resource of its own (raw RT_ICON data with a name): NAMEDICON, 24 pixels, 24 bits.
inline constexpr IconImage kNamedIcon = {24, 24, 0xFF30A030};
// The same data under a name outside ASCII.
inline const QString kUnicodeIconName = QStringLiteral("GR\u00dcN\u0160");

// pointer.cur: one 32-pixel cursor with its hot spot.
inline constexpr IconImage kCursor = {32, 1, 0xFFFFFFFF};
inline constexpr int kCursorHotX = 5, kCursorHotY = 9;

// picture.bmp: 8-bit bitmap; the left half is palette colour 1 (a grey the loader maps to the
// 3D face colour), the right half palette colour 2.
inline constexpr int kBitmapWidth = 40, kBitmapHeight = 20;
inline constexpr QRgb kBitmapGrey = 0xFFC0C0C0;
inline constexpr QRgb kBitmapRight = 0xFF0000FF;

// logo.png: an image-file resource of the named type PNG.
inline constexpr int kLogoWidth = 60, kLogoHeight = 30;
inline constexpr QRgb kLogoColor = 0xFF9040F0;

// The data of the icon resource 301, which is no picture (300 is empty).
inline const QByteArray kGarbageBytes = QByteArrayLiteral("this is not an icon at all");

// big.dll: one RCDATA of this many bytes and as many icon groups of app.ico.
inline constexpr qint64 kBigPayloadBytes = 15 * 1024 * 1024;
inline constexpr int kBigIconGroups = 150;

// The values in little-endian order, each as wide as its type.
template <typename... T> QByteArray Le(T... values) {
    QByteArray out;
    auto put = [&](auto v) {
        char b[sizeof v];
        qToLittleEndian(v, b);
        out.append(b, sizeof v);
    };
    (put(values), ...);
    return out;
}
// Bytes of a row of a device-independent bitmap, padded to four.
inline int RowBytes(int width, int bits) {
    return ((width * bits + 31) / 32) * 4;
}
// A BITMAPINFOHEADER.
inline QByteArray InfoHeader(qint32 width, qint32 height, int bits, quint32 compression = 0,
                             quint32 colorsUsed = 0) {
    return Le(quint32(40), width, height, quint16(1), quint16(bits), compression, quint32(0),
              quint32(0), quint32(0), colorsUsed, quint32(0));
}
inline QByteArray PngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace Fixture
