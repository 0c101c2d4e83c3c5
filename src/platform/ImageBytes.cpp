#include "platform/ImageBytes.h"

#include <QBuffer>
#include <QImageReader>

namespace ImageBytes {

QByteArray Format(const QByteArray& bytes) {
    static const struct {
        QByteArrayView signature;
        const char* format;
    } kSignatures[] = {
        {"BM", "bmp"},
        {"\x89PNG\r\n\x1a\n", "png"},
        {"GIF87a", "gif"},
        {"GIF89a", "gif"},
        {"\xff\xd8\xff", "jpeg"},
        {QByteArrayView("\0\0\1\0", 4), "ico"},
        {QByteArrayView("\0\0\2\0", 4), "ico"},
    };
    for (const auto& known : kSignatures)
        if (bytes.startsWith(known.signature))
            return known.format;
    return {};
}

QImage Read(QIODevice& device, const QByteArray& format) {
    QImageReader reader(&device, format);
    reader.setAutoDetectImageFormat(false);
    reader.setAutoTransform(false);
    return reader.read();
}

QImage Decode(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return {};
    const QByteArray format = Format(bytes);
    if (!format.isEmpty()) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QImage image = Read(buffer, format);
        if (!image.isNull())
            return image;
    }
    return QImage::fromData(bytes);
}

} // namespace ImageBytes
