#include "catalogue/CatalogPictures.h"

#include "platform/AppPaths.h"
#include "platform/ImageBytes.h"
#include "platform/ResourceImages.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QTemporaryFile>
#include <QtEndian>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype kIcoHeaderSize = 6;
constexpr qsizetype kIcoEntrySize = 16;

// An ICO (type 1) or CUR (type 2) file with at least one image.
bool IsIco(const QByteArray& bytes) {
    if (bytes.size() < kIcoHeaderSize)
        return false;
    const auto* header = bytes.constData();
    const quint16 type = qFromLittleEndian<quint16>(header + 2);
    return qFromLittleEndian<quint16>(header) == 0 && (type == 1 || type == 2) &&
           qFromLittleEndian<quint16>(header + 4) > 0;
}

// The data of image number `index` (from 0) of an ICO file (a DIB or a PNG file); empty when
// its directory entry or its data lies outside the file. Qt's ico plugin reads the first.
QByteArray IcoImageData(const QByteArray& bytes, qsizetype index) {
    const qsizetype entry = kIcoHeaderSize + index * kIcoEntrySize;
    if (entry + kIcoEntrySize > bytes.size())
        return {};
    const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + entry + 8);
    const quint32 offset = qFromLittleEndian<quint32>(bytes.constData() + entry + 12);
    if (size == 0 || offset >= quint64(bytes.size()) || size > quint64(bytes.size()) - offset)
        return {};
    return bytes.mid(offset, size);
}

} // namespace

QImage DecodeLargestIcoImage(const QByteArray& bytes) {
    if (!IsIco(bytes))
        return {};
    const qsizetype count = qFromLittleEndian<quint16>(bytes.constData() + 4);
    qsizetype best = 0;
    quint64 bestRank = 0;
    for (qsizetype i = 0; i < count && kIcoHeaderSize + (i + 1) * kIcoEntrySize <= bytes.size();
         ++i) {
        const char* entry = bytes.constData() + kIcoHeaderSize + i * kIcoEntrySize;
        // A width or height of 0 stands for 256.
        const quint64 width = quint8(entry[0]) ? quint8(entry[0]) : 256;
        const quint64 height = quint8(entry[1]) ? quint8(entry[1]) : 256;
        const quint64 depth = qFromLittleEndian<quint16>(entry + 6);
        const quint64 rank = (width * height) << 16 | depth;
        if (rank > bestRank) {
            bestRank = rank;
            best = i;
        }
    }
    if (best == 0)
        return {};
    return ResourceImages::FromIconResource(IcoImageData(bytes, best), true);
}

QImage DecodeIcoImage(const QByteArray& bytes) {
    if (!IsIco(bytes))
        return {};
    // The image data of a cursor file has no hot spot (that stands in the directory entry): it
    // reads like an icon's.
    return ResourceImages::FromIconResource(IcoImageData(bytes, 0), true);
}

QImage DecodeCatalogPicture(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return {};
    // Icons are read by our own reader first: it reads what Qt's ico plugin reads, without
    // loading the plugin at every start for the default and folder icons.
    if (IsIco(bytes)) {
        QImage own = DecodeIcoImage(bytes);
        if (!own.isNull())
            return own;
    }
    return ImageBytes::Decode(bytes);
}

namespace {

constexpr quint32 kBiBitfields = 3;

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
    // ARGB32 pixels are 0xAARRGGBB words: in little-endian order they are the BMP's bytes.
    const qsizetype header = bmp.size();
    bmp.resize(header + static_cast<qsizetype>(pixelBytes));
    char* out = bmp.data() + header;
    for (quint32 row = height; row-- > 0; out += width * 4)
        qToLittleEndian<quint32>(image.constScanLine(static_cast<int>(row)), width, out);
    return bmp;
}

} // namespace

namespace {

QByteArray EncodeBmpNow(const QImage& image) {
    // Qt's BMP writer drops the alpha channel (transparent pixels turn black); a 32-bit BMP
    // with a V4 header keeps it, and Qt's reader (like Windows) reads it back.
    if (image.hasAlphaChannel())
        return AlphaBmp(image);
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "BMP");
    return writer.write(image) ? bmp : QByteArray();
}

// Every program without an icon of its own exports the one default picture (the same image
// data, so the same cache key): its bytes are made once, not once per program. Only icon-sized
// pictures are kept; a theme's logo is not held after its export.
QByteArray EncodeBmp(const QImage& image) {
    constexpr qint64 kKeptPixels = 256 * 256;
    if (qint64(image.width()) * image.height() > kKeptPixels)
        return EncodeBmpNow(image);
    thread_local qint64 lastKey = 0;
    thread_local QByteArray lastBmp;
    if (image.cacheKey() != lastKey) {
        lastBmp = EncodeBmpNow(image);
        lastKey = image.cacheKey();
    }
    return lastBmp;
}

// True when `file` is a plain file (not a link) of ours, readable and writable by its owner
// alone, holding exactly `bytes`. One open, fstat and read: the list asks this of every
// picture it shows at every start.
bool HoldsAlready(const QString& file, const QByteArray& bytes) {
    // Non-blocking, so that a FIFO left under a picture's name cannot hold the list up.
    const int fd =
        ::open(QFile::encodeName(file).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info {};
    bool same = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                (info.st_mode & 07777) == (S_IRUSR | S_IWUSR) && info.st_size == bytes.size();
    if (same) {
        QByteArray held(bytes.size(), Qt::Uninitialized);
        qsizetype done = 0;
        while (done < held.size()) {
            const ssize_t got =
                ::read(fd, held.data() + done, static_cast<size_t>(held.size() - done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += got;
        }
        same = done == held.size() && held == bytes;
    }
    ::close(fd);
    return same;
}

} // namespace

bool WriteCatalogBmp(const QImage& image, const QString& file) {
    if (image.isNull() || file.isEmpty())
        return false;
    const QByteArray bmp = EncodeBmp(image);
    if (bmp.isEmpty())
        return false;
    // The list exports every picture it shows at every start; most are as they were.
    if (HoldsAlready(file, bmp))
        return true;
    const QString directory = QFileInfo(file).absolutePath();
    if (!MakeDirectories(directory, FileMode::kPrivateDir))
        return false;
    // Written beside the file and renamed over it, so a reader never sees half a file. No
    // fsync: the file is rewritten from the catalogue whenever it is missing or differs, so a
    // crash costs nothing but that rewrite.
    QTemporaryFile out(directory + QStringLiteral("/.orv-picture-XXXXXX"));
    // The mode is set before the file is written, so it is never readable by others.
    if (!out.open() || !out.setPermissions(FileMode::kPrivateFile) ||
        out.write(bmp) != bmp.size() || !out.flush())
        return false;
    out.close();
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(out.fileName().toStdU16String()),
                            std::filesystem::path(file.toStdU16String()), error);
    if (error)
        return false;
    out.setAutoRemove(false); // it has become `file`
    return true;
}
