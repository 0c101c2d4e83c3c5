#include "platform/ResourceImages.h"

#include "platform/ImageBytes.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

namespace ResourceImages {
namespace {

constexpr char kPngSignature[] = "\x89PNG\r\n\x1a\n";
constexpr int kIconHeaderSize = 40; // BITMAPINFOHEADER
constexpr quint32 kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;

quint16 U16(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}
quint32 U32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}
qint32 I32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<qint32>(b.constData() + at);
}
quint32 B32(const QByteArray& b, qsizetype at) {
    return qFromBigEndian<quint32>(b.constData() + at);
}

void Put32(QByteArray& out, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// Bytes of one row of pixels, padded to 32 bits; 64-bit so that no claimed size overflows.
qint64 RowBytes(qint64 width, int bits) {
    return ((width * bits + 31) / 32) * 4;
}

bool ValidBits(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool ValidSide(qint64 side, int max) {
    return side >= 1 && side <= max;
}

QImage Decode(const QByteArray& bytes, const char* format) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ImageBytes::Read(buffer, format);
}

bool MaskBit(const QByteArray& dib, qint64 maskOffset, int width, int height, int x, int y) {
    // Rows are stored bottom-up.
    const qint64 at = maskOffset + qint64(height - 1 - y) * RowBytes(width, 1) + x / 8;
    return uchar(dib.at(at)) & (0x80 >> (x % 8));
}

// Whether any of the 32-bit pixels after the header carries an alpha value.
bool HasAlpha(const QByteArray& dib, qint64 pixels) {
    for (qint64 i = 0; i < pixels; ++i)
        if (dib.at(kIconHeaderSize + i * 4 + 3) != 0)
            return true;
    return false;
}

// The pixels of an icon DIB whose sizes have been checked against its data: `colors` colour
// table entries, then the colour rows and the AND mask, both stored bottom-up. A set mask bit
// makes the pixel transparent, and so does a colour index beyond the table; 16 bits are 5-5-5.
// A 32-bit image with any alpha value keeps its alpha channel and leaves the mask aside; one
// without takes its transparency from the mask, as the desktop does. Transparent pixels are
// transparent black.
QImage FromIconPixels(const QByteArray& dib, int width, int height, int bits, qint64 colors) {
    const auto* bytes = reinterpret_cast<const uchar*>(dib.constData());
    QRgb table[256];
    for (qint64 i = 0; i < colors; ++i) {
        const uchar* entry = bytes + kIconHeaderSize + i * 4;
        table[i] = qRgb(entry[2], entry[1], entry[0]);
    }
    const auto indexed = [&](uint index) {
        return index < colors ? table[index] : qRgba(0, 0, 0, 0);
    };
    const qint64 pixelsOffset = kIconHeaderSize + colors * 4;
    const qint64 maskOffset = pixelsOffset + RowBytes(width, bits) * height;
    const bool alpha = bits == 32 && HasAlpha(dib, qint64(width) * height);
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        const uchar* row = bytes + pixelsOffset + qint64(height - 1 - y) * RowBytes(width, bits);
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            if (!alpha && MaskBit(dib, maskOffset, width, height, x, y)) {
                line[x] = qRgba(0, 0, 0, 0);
                continue;
            }
            switch (bits) {
            case 1:
                line[x] = indexed((row[x / 8] >> (7 - x % 8)) & 1);
                break;
            case 4:
                line[x] = indexed((row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF);
                break;
            case 8:
                line[x] = indexed(row[x]);
                break;
            case 16: {
                const uint v = row[2 * x] | (uint(row[2 * x + 1]) << 8);
                line[x] = qRgb(((v >> 10) & 0x1F) << 3, ((v >> 5) & 0x1F) << 3, (v & 0x1F) << 3);
                break;
            }
            case 24:
                line[x] = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
                break;
            default: {
                const uchar* p = row + 4 * x;
                line[x] = !alpha ? qRgb(p[2], p[1], p[0])
                          : p[3] ? qRgba(p[2], p[1], p[0], p[3])
                                 : qRgba(0, 0, 0, 0);
            }
            }
        }
    }
    return image;
}

} // namespace

QImage FromIconResource(const QByteArray& data, bool isIcon, QPoint* hotSpot) {
    QByteArray image = data;
    if (!isIcon) {
        if (data.size() < 4)
            return {};
        if (hotSpot)
            *hotSpot = QPoint(U16(data, 0), U16(data, 2));
        image = data.mid(4);
    }
    if (image.startsWith(QByteArray(kPngSignature, 8))) {
        // Width and height from the PNG's IHDR chunk.
        if (image.size() < 24 || image.mid(12, 4) != "IHDR")
            return {};
        const qint64 width = B32(image, 16);
        const qint64 height = B32(image, 20);
        if (!ValidSide(width, kMaxSide) || !ValidSide(height, kMaxSide))
            return {};
        QImage decoded = Decode(image, "png");
        if (decoded.size() != QSize(int(width), int(height)))
            return {};
        return decoded;
    }
    if (image.size() < kIconHeaderSize || U32(image, 0) != kIconHeaderSize)
        return {};
    const qint64 width = I32(image, 4);
    const qint64 height = qint64(I32(image, 8)) / 2; // colour rows and mask rows
    const int bits = U16(image, 14);
    const quint32 compression = U32(image, 16);
    const quint32 colorsUsed = U32(image, 32);
    // Icon images of more than 256 pixels are stored as PNG.
    if (!ValidSide(width, 256) || !ValidSide(height, 256) || !ValidBits(bits) ||
        compression != kBiRgb)
        return {};
    qint64 colors = 0;
    if (bits <= 8) {
        colors = colorsUsed ? colorsUsed : (1 << bits);
        if (colors > (1 << bits))
            return {};
    } else if (colorsUsed != 0) {
        return {};
    }
    const qint64 needed =
        kIconHeaderSize + colors * 4 + RowBytes(width, bits) * height + RowBytes(width, 1) * height;
    if (image.size() < needed)
        return {};
    return FromIconPixels(image, int(width), int(height), bits, colors);
}

QImage FromBitmapResource(const QByteArray& data, const std::optional<Map3DColors>& map3D) {
    if (data.size() < 12)
        return {};
    const quint32 headerSize = U32(data, 0);
    qint64 width = 0, height = 0;
    int bits = 0;
    quint32 compression = kBiRgb;
    qint64 colors = 0;
    int colorBytes = 4;
    int maskBytes = 0;
    if (headerSize == 12) { // BITMAPCOREHEADER
        width = U16(data, 4);
        height = U16(data, 6);
        bits = U16(data, 10);
        colors = bits <= 8 ? (1 << bits) : 0;
        colorBytes = 3;
    } else if (headerSize == 40 || headerSize == 108 || headerSize == 124) {
        if (data.size() < qsizetype(headerSize))
            return {};
        width = I32(data, 4);
        height = I32(data, 8);
        bits = U16(data, 14);
        compression = U32(data, 16);
        const quint32 colorsUsed = U32(data, 32);
        colors = bits <= 8 ? (colorsUsed ? colorsUsed : (1 << bits)) : colorsUsed;
        if (colors > 256)
            return {};
        if (headerSize == 40 && compression == kBiBitfields)
            maskBytes = 12;
        else if (headerSize == 40 && compression == kBiAlphaBitfields)
            maskBytes = 16;
    } else {
        return {};
    }
    if (height < 0)
        height = -height; // top-down rows
    if (!ValidSide(width, kMaxSide) || !ValidSide(height, kMaxSide) || !ValidBits(bits))
        return {};
    const bool rle = (compression == kBiRle8 && bits == 8) || (compression == kBiRle4 && bits == 4);
    const bool fields = (compression == kBiBitfields || compression == kBiAlphaBitfields) &&
                        (bits == 16 || bits == 32);
    if (compression != kBiRgb && !rle && !fields)
        return {};
    const qint64 pixelsOffset = qint64(headerSize) + maskBytes + colors * colorBytes;
    const qint64 needed = rle ? pixelsOffset : pixelsOffset + RowBytes(width, bits) * height;
    if (data.size() < needed)
        return {};

    QByteArray dib = data;
    if (map3D && bits <= 8) {
        const qint64 tableAt = qint64(headerSize) + maskBytes;
        for (qint64 i = 0; i < colors; ++i) {
            char* entry = dib.data() + tableAt + i * colorBytes;
            const QRgb color = qRgb(uchar(entry[2]), uchar(entry[1]), uchar(entry[0]));
            QRgb replacement = color;
            if (color == qRgb(128, 128, 128))
                replacement = map3D->shadow;
            else if (color == qRgb(192, 192, 192))
                replacement = map3D->face;
            else if (color == qRgb(223, 223, 223))
                replacement = map3D->light;
            entry[0] = char(qBlue(replacement));
            entry[1] = char(qGreen(replacement));
            entry[2] = char(qRed(replacement));
        }
    }
    QByteArray file("BM");
    file.reserve(14 + dib.size());
    Put32(file, quint32(14 + dib.size()));
    Put32(file, 0);
    Put32(file, quint32(14 + pixelsOffset));
    file.append(dib);
    return Decode(file, "bmp");
}

QImage FromImageFile(const QByteArray& data, QByteArray* format) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxSide || size.height() > kMaxSide))
        return {};
    const QByteArray detected = reader.format().toLower();
    QImage image = reader.read();
    if (format)
        *format = image.isNull() ? QByteArray() : detected;
    return image;
}

} // namespace ResourceImages
