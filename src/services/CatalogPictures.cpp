#include "services/CatalogPictures.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <QtEndian>
#include <cstring>

namespace {

quint16 U16(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}
quint32 U32(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}
qint32 I32(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<qint32>(bytes.constData() + at);
}

constexpr qint64 kMaxIconSide = 1024;
constexpr quint32 kBiRgb = 0;
constexpr quint32 kBiBitfields = 3;

bool IsIco(const QByteArray& bytes) {
    return bytes.size() >= 6 && U16(bytes, 0) == 0 && (U16(bytes, 2) == 1 || U16(bytes, 2) == 2) &&
           U16(bytes, 4) > 0;
}

// Bytes per row of a DIB with `bits` per pixel: rows are padded to 32 bits.
qint64 DibStride(qint64 width, qint64 bits) {
    return ((width * bits + 31) / 32) * 4;
}

// Clears the alpha of every pixel whose AND-mask bit is set.
void ApplyAndMask(QImage& image, const QByteArray& dib, qint64 maskOffset) {
    const qint64 width = image.width();
    const qint64 height = image.height();
    const qint64 stride = DibStride(width, 1);
    if (maskOffset < 0 || maskOffset + stride * height > dib.size())
        return; // no mask: every pixel stays opaque
    const auto* mask = reinterpret_cast<const uchar*>(dib.constData() + maskOffset);
    for (qint64 y = 0; y < height; ++y) {
        const uchar* row = mask + (height - 1 - y) * stride; // bottom-up
        auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
        for (qint64 x = 0; x < width; ++x)
            if (row[x / 8] & (0x80 >> (x % 8)))
                pixels[x] = qRgba(qRed(pixels[x]), qGreen(pixels[x]), qBlue(pixels[x]), 0);
    }
}

QImage DecodeIconDib(const QByteArray& dib) {
    if (dib.size() < 40)
        return {};
    const quint32 headerSize = U32(dib, 0);
    const qint64 width = I32(dib, 4);
    const qint64 doubleHeight = I32(dib, 8);
    const quint16 bits = U16(dib, 14);
    const quint32 compression = U32(dib, 16);
    const quint32 coloursUsed = U32(dib, 32);
    // The height of an icon's DIB counts the colour rows and the AND-mask rows.
    const qint64 height = doubleHeight / 2;
    if (headerSize < 40 || headerSize > static_cast<quint32>(dib.size()) || width <= 0 ||
        height <= 0 || width > kMaxIconSide || height > kMaxIconSide)
        return {};
    if (compression != kBiRgb && !(compression == kBiBitfields && (bits == 16 || bits == 32)))
        return {};
    const qint64 paletteSize =
        bits <= 8
            ? (coloursUsed != 0 && coloursUsed < (1u << bits) ? coloursUsed : (1u << bits)) * 4
            : (compression == kBiBitfields && headerSize == 40 ? 12 : 0);
    const qint64 pixelOffset = headerSize + paletteSize;
    const qint64 colourStride = DibStride(width, bits);
    if (pixelOffset + colourStride * height > dib.size())
        return {};
    const qint64 maskOffset = pixelOffset + colourStride * height;

    if (bits == 32) {
        // BGRA rows, bottom-up; icons without any alpha take their transparency from the mask.
        QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_ARGB32);
        bool anyAlpha = false;
        for (qint64 y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const uchar*>(dib.constData() + pixelOffset +
                                                             (height - 1 - y) * colourStride);
            auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
            for (qint64 x = 0; x < width; ++x) {
                const uchar* p = row + x * 4;
                pixels[x] = qRgba(p[2], p[1], p[0], p[3]);
                anyAlpha = anyAlpha || p[3] != 0;
            }
        }
        if (!anyAlpha) {
            for (qint64 y = 0; y < height; ++y) {
                auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
                for (qint64 x = 0; x < width; ++x)
                    pixels[x] |= 0xff000000u;
            }
            ApplyAndMask(image, dib, maskOffset);
        }
        return image;
    }

    // Other depths: a BMP file made of the DIB with its real height, read by Qt's own BMP
    // reader (always built in), then the AND mask.
    QByteArray header(static_cast<qsizetype>(headerSize), '\0');
    std::memcpy(header.data(), dib.constData(), headerSize);
    qToLittleEndian<qint32>(static_cast<qint32>(height), header.data() + 8);
    qToLittleEndian<quint32>(0, header.data() + 20); // image size: computed by the reader
    QByteArray bmp;
    bmp.reserve(14 + maskOffset);
    bmp.append("BM", 2);
    char field[4];
    qToLittleEndian<quint32>(static_cast<quint32>(14 + maskOffset), field);
    bmp.append(field, 4);
    bmp.append(QByteArray(4, '\0'));
    qToLittleEndian<quint32>(static_cast<quint32>(14 + pixelOffset), field);
    bmp.append(field, 4);
    bmp.append(header);
    bmp.append(dib.constData() + headerSize, maskOffset - headerSize);
    QImage image;
    if (!image.loadFromData(bmp, "BMP"))
        return {};
    image = image.convertToFormat(QImage::Format_ARGB32);
    ApplyAndMask(image, dib, maskOffset);
    return image;
}

} // namespace

QImage DecodeIcoImage(const QByteArray& bytes) {
    if (!IsIco(bytes) || bytes.size() < 6 + 16)
        return {};
    // The first directory entry, as Qt's ico plugin reads it by default.
    const quint32 size = U32(bytes, 6 + 8);
    const quint32 offset = U32(bytes, 6 + 12);
    if (offset >= static_cast<quint32>(bytes.size()) || size > bytes.size() - offset || size == 0)
        return {};
    const QByteArray data = bytes.mid(offset, size);
    if (data.startsWith("\x89PNG\r\n\x1a\n")) {
        QImage image;
        return image.loadFromData(data, "PNG") ? image : QImage();
    }
    return DecodeIconDib(data);
}

QImage DecodeCatalogPicture(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return {};
    QImage image;
    if (image.loadFromData(bytes))
        return image;
    if (IsIco(bytes))
        return DecodeIcoImage(bytes);
    return {};
}

namespace {

QByteArray AlphaBmp(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const quint32 width = static_cast<quint32>(image.width());
    const quint32 height = static_cast<quint32>(image.height());
    constexpr quint32 kV4HeaderSize = 108;
    constexpr quint32 kPixelOffset = 14 + kV4HeaderSize;
    const quint32 pixelBytes = width * height * 4;
    QByteArray bmp;
    bmp.reserve(static_cast<qsizetype>(kPixelOffset + pixelBytes));
    const auto put32 = [&bmp](quint32 value) {
        char field[4];
        qToLittleEndian<quint32>(value, field);
        bmp.append(field, 4);
    };
    const auto put16 = [&bmp](quint16 value) {
        char field[2];
        qToLittleEndian<quint16>(value, field);
        bmp.append(field, 2);
    };
    // BITMAPFILEHEADER
    bmp.append("BM", 2);
    put32(kPixelOffset + pixelBytes);
    put32(0);
    put32(kPixelOffset);
    // BITMAPV4HEADER: 32 bits with bit fields, alpha in the top byte, bottom-up rows.
    put32(kV4HeaderSize);
    put32(width);
    put32(height);
    put16(1);
    put16(32);
    put32(kBiBitfields);
    put32(pixelBytes);
    put32(2835); // 72 dpi
    put32(2835);
    put32(0);
    put32(0);
    put32(0x00ff0000u);                    // red
    put32(0x0000ff00u);                    // green
    put32(0x000000ffu);                    // blue
    put32(0xff000000u);                    // alpha
    put32(0x73524742u);                    // LCS_sRGB
    bmp.append(QByteArray(36 + 12, '\0')); // endpoints and gamma, unused with sRGB
    for (quint32 row = height; row-- > 0;) {
        const auto* pixels =
            reinterpret_cast<const QRgb*>(image.constScanLine(static_cast<int>(row)));
        for (quint32 x = 0; x < width; ++x)
            put32(pixels[x]);
    }
    return bmp;
}

} // namespace

bool WriteCatalogBmp(const QImage& image, const QString& file) {
    if (image.isNull() || file.isEmpty())
        return false;
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    bool written;
    if (image.hasAlphaChannel()) {
        // Qt's BMP writer drops the alpha channel (transparent pixels turn black); a 32-bit
        // BMP with a V4 header keeps it, and Qt's reader (like Windows) reads it back.
        const QByteArray bmp = AlphaBmp(image);
        written = out.write(bmp) == bmp.size();
    } else {
        QImageWriter writer(&out, "BMP");
        written = writer.write(image);
    }
    if (!written) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}
