// Writes the picture and data inputs of the PE fixtures (icons, a cursor, a bitmap, a PNG,
// raw data and the resource script of the big DLL) into the directory given as argument.
// windres and ld turn them into executables afterwards (tests/resources/CMakeLists.txt).

#include "ResourceFixtures.h"

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QtEndian>
#include <cstdio>

namespace {

void Put16(QByteArray& out, quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}
void Put32(QByteArray& out, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}
void PutRgbQuad(QByteArray& out, QRgb c) {
    out.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append(char(0));
}
int RowBytes(int width, int bits) {
    return ((width * bits + 31) / 32) * 4;
}

void PutInfoHeader(QByteArray& out, int width, int height, int bits, int colors) {
    Put32(out, 40);
    Put32(out, quint32(width));
    Put32(out, quint32(height));
    Put16(out, 1);
    Put16(out, quint16(bits));
    Put32(out, 0); // BI_RGB
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, quint32(colors));
    Put32(out, 0);
}

// Packs palette index `index` at pixel x of a row of `bits` per pixel.
void SetIndex(QByteArray& row, int x, int bits, int index) {
    const int bit = x * bits;
    const int shift = 8 - bits - (bit % 8);
    row[bit / 8] = char(uchar(row[bit / 8]) | (index << shift));
}

// The data of one icon image as it stands in an .ico file and in an RT_ICON resource: a DIB
// of double height (colour rows, then the AND mask), or a PNG. The top-left pixel is
// transparent, every other pixel has the image's colour.
QByteArray IconData(const Fixture::IconImage& image) {
    const int n = image.size;
    if (image.bits == 0) {
        QImage png(n, n, QImage::Format_ARGB32);
        png.fill(image.color);
        png.setPixel(0, 0, 0);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        png.save(&buffer, "PNG");
        return bytes;
    }
    QByteArray out;
    const int colors = image.bits <= 8 ? (1 << image.bits) : 0;
    PutInfoHeader(out, n, 2 * n, image.bits, 0);
    for (int i = 0; i < colors; ++i)
        PutRgbQuad(out, i == 1 ? image.color : (i == 0 ? 0xFF000000 : 0xFF808080));
    const int rowBytes = RowBytes(n, image.bits);
    for (int y = n - 1; y >= 0; --y) { // bottom-up
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < n; ++x) {
            const bool transparent = x == 0 && y == 0;
            switch (image.bits) {
            case 32: {
                const QRgb c = transparent ? 0 : image.color;
                row[x * 4] = char(qBlue(c));
                row[x * 4 + 1] = char(qGreen(c));
                row[x * 4 + 2] = char(qRed(c));
                row[x * 4 + 3] = char(qAlpha(c));
                break;
            }
            case 24: {
                // A transparent pixel is black under a set mask bit.
                const QRgb c = transparent ? 0 : image.color;
                row[x * 3] = char(qBlue(c));
                row[x * 3 + 1] = char(qGreen(c));
                row[x * 3 + 2] = char(qRed(c));
                break;
            }
            default:
                SetIndex(row, x, image.bits, transparent ? 0 : 1);
            }
        }
        out.append(row);
    }
    const int maskBytes = RowBytes(n, 1);
    for (int y = n - 1; y >= 0; --y) {
        QByteArray row(maskBytes, '\0');
        if (y == 0)
            SetIndex(row, 0, 1, 1); // the transparent pixel
        out.append(row);
    }
    return out;
}

// An .ico (type 1) or .cur (type 2) file of the given images.
QByteArray IconFile(const QList<Fixture::IconImage>& images, int type, int hotX = 0, int hotY = 0) {
    QByteArray header;
    QByteArray body;
    Put16(header, 0);
    Put16(header, quint16(type));
    Put16(header, quint16(images.size()));
    quint32 offset = 6 + 16 * images.size();
    for (const auto& image : images) {
        const QByteArray data = IconData(image);
        header.append(char(image.size >= 256 ? 0 : image.size));
        header.append(char(image.size >= 256 ? 0 : image.size));
        header.append(char(image.bits > 0 && image.bits <= 4 ? (1 << image.bits) : 0));
        header.append(char(0));
        Put16(header, quint16(type == 2 ? hotX : 1));
        Put16(header, quint16(type == 2 ? hotY : (image.bits == 0 ? 32 : image.bits)));
        Put32(header, quint32(data.size()));
        Put32(header, offset);
        offset += data.size();
        body.append(data);
    }
    return header + body;
}

QByteArray BitmapFile() {
    using namespace Fixture;
    QByteArray info;
    PutInfoHeader(info, kBitmapWidth, kBitmapHeight, 8, 256);
    for (int i = 0; i < 256; ++i)
        PutRgbQuad(info, i == 1 ? kBitmapGrey : (i == 2 ? kBitmapRight : qRgb(i, i, 0)));
    const int rowBytes = RowBytes(kBitmapWidth, 8);
    for (int y = 0; y < kBitmapHeight; ++y) {
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < kBitmapWidth; ++x)
            row[x] = char(x < kBitmapWidth / 2 ? 1 : 2);
        info.append(row);
    }
    QByteArray file("BM");
    Put32(file, quint32(14 + info.size()));
    Put32(file, 0);
    Put32(file, 14 + 40 + 256 * 4);
    return file + info;
}

QByteArray LogoFile() {
    QImage logo(Fixture::kLogoWidth, Fixture::kLogoHeight, QImage::Format_RGB32);
    logo.fill(Fixture::kLogoColor);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    logo.save(&buffer, "PNG");
    return bytes;
}

bool Write(const QDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

bool WritePayload(const QDir& dir) {
    QFile file(dir.filePath(QStringLiteral("payload.bin")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray block(1 << 20, '\0');
    for (int i = 0; i < block.size(); ++i)
        block[i] = char((i * 131) >> 3);
    for (qint64 written = 0; written < Fixture::kBigPayloadBytes; written += block.size())
        if (file.write(block) != block.size())
            return false;
    return true;
}

// The script of big.dll: the payload and many copies of app.ico.
QByteArray BigScript() {
    QByteArray script = "BIGDATA RCDATA \"payload.bin\"\n";
    for (int i = 1; i <= Fixture::kBigIconGroups; ++i)
        script += "GROUP" + QByteArray::number(i) + " ICON \"app.ico\"\n";
    return script;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    using namespace Fixture;
    const QList<IconImage> app_icon(kAppIcon.begin(), kAppIcon.end());
    const bool ok = Write(dir, QStringLiteral("app.ico"), IconFile(app_icon, 1)) &&
                    Write(dir, QStringLiteral("named.dib"), IconData(kNamedIcon)) &&
                    Write(dir, QStringLiteral("pointer.cur"),
                          IconFile({kCursor}, 2, kCursorHotX, kCursorHotY)) &&
                    Write(dir, QStringLiteral("picture.bmp"), BitmapFile()) &&
                    Write(dir, QStringLiteral("logo.png"), LogoFile()) &&
                    Write(dir, QStringLiteral("empty.bin"), QByteArray()) &&
                    Write(dir, QStringLiteral("garbage.bin"), kGarbageBytes) &&
                    Write(dir, QStringLiteral("big.rc"), BigScript()) && WritePayload(dir);
    return ok ? 0 : 1;
}
