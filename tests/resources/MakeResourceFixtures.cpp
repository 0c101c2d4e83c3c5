// Writes the picture and data inputs of the PE fixtures (icons, a cursor, a bitmap, a PNG,
// raw data and the resource script of the big DLL) into the directory given as argument.
// windres and ld turn them into executables afterwards (tests/resources/CMakeLists.txt).

#include "ResourceFixtures.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

using namespace Fixture;

// A palette entry: blue, green, red and a zero byte.
QByteArray RgbQuad(QRgb c) {
    return Le(quint32(c & 0xFFFFFF));
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
QByteArray IconData(const IconImage& image) {
    const int n = image.size;
    if (image.bits == 0) {
        QImage png(n, n, QImage::Format_ARGB32);
        png.fill(image.color);
        png.setPixel(0, 0, 0);
        return PngBytes(png);
    }
    const int colors = image.bits <= 8 ? (1 << image.bits) : 0;
    QByteArray out = InfoHeader(n, 2 * n, image.bits);
    for (int i = 0; i < colors; ++i)
        out += RgbQuad(i == 1 ? image.color : (i == 0 ? 0xFF000000 : 0xFF808080));
    const int bytes = image.bits / 8;  // per pixel, for 24 and 32 bits
    for (int y = n - 1; y >= 0; --y) { // bottom-up
        QByteArray row(RowBytes(n, image.bits), '\0');
        for (int x = 0; x < n; ++x) {
            const bool transparent = x == 0 && y == 0;
            if (bytes >= 3) // blue, green, red (, alpha); a transparent pixel is black
                row.replace(x * bytes, bytes,
                            Le(quint32(transparent ? 0 : image.color)).left(bytes));
            else
                SetIndex(row, x, image.bits, transparent ? 0 : 1);
        }
        out.append(row);
    }
    // The mask: only the transparent pixel, in the last row stored, is set.
    QByteArray mask(RowBytes(n, 1) * n, '\0');
    SetIndex(mask, (n - 1) * RowBytes(n, 1) * 8, 1, 1);
    return out + mask;
}

// An .ico (type 1) or .cur (type 2) file of the given images.
QByteArray IconFile(const QList<IconImage>& images, int type, int hotX = 0, int hotY = 0) {
    QByteArray header = Le(quint16(0), quint16(type), quint16(images.size()));
    QByteArray body;
    for (const auto& image : images) {
        const QByteArray data = IconData(image);
        const int side = (image.size >= 256 ? 0 : image.size);
        const int colors = image.bits > 0 && image.bits <= 4 ? (1 << image.bits) : 0;
        header +=
            Le(quint8(side), quint8(side), quint8(colors), quint8(0), quint16(type == 2 ? hotX : 1),
               quint16(type == 2 ? hotY : (image.bits == 0 ? 32 : image.bits)),
               quint32(data.size()), quint32(6 + 16 * images.size() + body.size()));
        body.append(data);
    }
    return header + body;
}

QByteArray BitmapFile() {
    QByteArray info = InfoHeader(kBitmapWidth, kBitmapHeight, 8, 0, 256);
    for (int i = 0; i < 256; ++i)
        info += RgbQuad(i == 1 ? kBitmapGrey : (i == 2 ? kBitmapRight : qRgb(i, i, 0)));
    // The left half palette colour 1, the right half colour 2.
    QByteArray row =
        QByteArray(kBitmapWidth / 2, 1) + QByteArray(kBitmapWidth - kBitmapWidth / 2, 2);
    row.resize(RowBytes(kBitmapWidth, 8), '\0');
    info += row.repeated(kBitmapHeight);
    return "BM" + Le(quint32(14 + info.size()), quint32(0), quint32(14 + 40 + 256 * 4)) + info;
}

QByteArray LogoFile() {
    QImage logo(kLogoWidth, kLogoHeight, QImage::Format_RGB32);
    logo.fill(kLogoColor);
    return PngBytes(logo);
}

// Raw data of kBigPayloadBytes in a pattern of 1 MB blocks.
QByteArray Payload() {
    QByteArray block(1 << 20, '\0');
    for (int i = 0; i < block.size(); ++i)
        block[i] = char((i * 131) >> 3);
    return block.repeated(kBigPayloadBytes / block.size());
}

// The script of big.dll: the payload and many copies of app.ico.
QByteArray BigScript() {
    QByteArray script = "BIGDATA RCDATA \"payload.bin\"\n";
    for (int i = 1; i <= kBigIconGroups; ++i)
        script += "GROUP" + QByteArray::number(i) + " ICON \"app.ico\"\n";
    return script;
}

bool Write(const QDir& dir, const char* name, const QByteArray& bytes) {
    QFile file(dir.filePath(QString::fromLatin1(name)));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size())
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
    return false;
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
    const QList<IconImage> appIcon(kAppIcon.begin(), kAppIcon.end());
    const bool ok = Write(dir, "app.ico", IconFile(appIcon, 1)) &&
                    Write(dir, "named.dib", IconData(kNamedIcon)) &&
                    Write(dir, "pointer.cur", IconFile({kCursor}, 2, kCursorHotX, kCursorHotY)) &&
                    Write(dir, "picture.bmp", BitmapFile()) && Write(dir, "logo.png", LogoFile()) &&
                    Write(dir, "empty.bin", QByteArray()) &&
                    Write(dir, "garbage.bin", kGarbageBytes) && Write(dir, "big.rc", BigScript()) &&
                    Write(dir, "payload.bin", Payload());
    return ok ? 0 : 1;
}
