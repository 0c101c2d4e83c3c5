// Pictures made from resource bytes built here: the corner cases of icon, cursor and bitmap
// data that the fixtures do not cover, and headers that claim more than the data holds.

#include "platform/ResourceImages.h"

#include <QBuffer>
#include <QTest>
#include <QtEndian>
#include <functional>

namespace {

void Put16(QByteArray& b, qsizetype at, quint16 v) {
    qToLittleEndian(v, b.data() + at);
}
void Put32(QByteArray& b, qsizetype at, quint32 v) {
    qToLittleEndian(v, b.data() + at);
}

QByteArray InfoHeader(qint32 width, qint32 height, int bits, quint32 compression = 0,
                      quint32 colorsUsed = 0) {
    QByteArray h(40, '\0');
    Put32(h, 0, 40);
    Put32(h, 4, quint32(width));
    Put32(h, 8, quint32(height));
    Put16(h, 12, 1);
    Put16(h, 14, quint16(bits));
    Put32(h, 16, compression);
    Put32(h, 32, colorsUsed);
    return h;
}

int RowBytes(int width, int bits) {
    return ((width * bits + 31) / 32) * 4;
}

// An n x n 32-bit icon image: every pixel `argb`, the mask bit of the top-left pixel set.
QByteArray Icon32(int n, QRgb argb) {
    QByteArray dib = InfoHeader(n, 2 * n, 32);
    for (int i = 0; i < n * n; ++i) {
        char px[4] = {char(qBlue(argb)), char(qGreen(argb)), char(qRed(argb)), char(qAlpha(argb))};
        dib.append(px, 4);
    }
    for (int y = n - 1; y >= 0; --y) {
        QByteArray row(RowBytes(n, 1), '\0');
        if (y == 0)
            row[0] = char(0x80);
        dib += row;
    }
    return dib;
}

QByteArray Png(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(qRgba(0, 128, 255, 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A bitmap of `width` x |height| 24-bit pixels, all of one colour.
QByteArray Bitmap24(int width, int height, QRgb color) {
    QByteArray dib = InfoHeader(width, height, 24);
    for (int y = 0; y < std::abs(height); ++y) {
        QByteArray row(RowBytes(width, 24), '\0');
        for (int x = 0; x < width; ++x) {
            row[3 * x] = char(qBlue(color));
            row[3 * x + 1] = char(qGreen(color));
            row[3 * x + 2] = char(qRed(color));
        }
        dib += row;
    }
    return dib;
}

// A PNG whose header claims another size, with the header's checksum made right again so
// that only the size is wrong.
QByteArray PngClaiming(int width, int height) {
    QByteArray png = Png(10, 10);
    qToBigEndian<quint32>(quint32(width), png.data() + 16);
    qToBigEndian<quint32>(quint32(height), png.data() + 20);
    quint32 crc = 0xFFFFFFFFu;
    for (qsizetype i = 12; i < 29; ++i) { // chunk type and data
        crc ^= uchar(png.at(i));
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    qToBigEndian<quint32>(~crc, png.data() + 29);
    return png;
}

using Maker = std::function<QByteArray()>;

} // namespace

Q_DECLARE_METATYPE(Maker)

class tst_resourceimages : public QObject {
    Q_OBJECT

private slots:
    void icons_data();
    void icons();
    void bitmaps_data();
    void bitmaps();
    void imageFiles();
};

void tst_resourceimages::icons_data() {
    QTest::addColumn<Maker>("make");
    QTest::addColumn<bool>("isIcon");
    QTest::addColumn<QSize>("size");       // empty: no picture
    QTest::addColumn<QRgb>("bottomRight"); // colour of the last pixel
    QTest::addColumn<int>("topLeftAlpha");

    QTest::newRow("32-bit with alpha keeps it")
        << Maker([] { return Icon32(8, qRgba(255, 0, 0, 128)); }) << true << QSize(8, 8)
        << qRgba(255, 0, 0, 128) << 128;
    QTest::newRow("32-bit without alpha uses the mask")
        << Maker([] { return Icon32(8, qRgba(255, 0, 0, 0)); }) << true << QSize(8, 8)
        << qRgb(255, 0, 0) << 0;
    QTest::newRow("PNG image") << Maker([] { return Png(300, 20); }) << true << QSize(300, 20)
                               << qRgb(0, 128, 255) << 255;
    QTest::newRow("cursor with its hot spot")
        << Maker([] { return QByteArray(4, '\0') + Icon32(4, qRgba(0, 0, 255, 255)); }) << false
        << QSize(4, 4) << qRgb(0, 0, 255) << 255;

    const QSize none;
    auto refused = [&](const char* name, Maker make, bool isIcon = true) {
        QTest::newRow(name) << make << isIcon << none << QRgb(0) << 0;
    };
    refused("pixel data one byte short", [] { return Icon32(8, 0xFF000000).chopped(1); });
    refused("empty", [] { return QByteArray(); });
    refused(
        "cursor shorter than its hot spot", [] { return QByteArray(3, '\0'); }, false);
    refused("width 0", [] {
        QByteArray d = Icon32(8, 0xFF000000);
        Put32(d, 4, 0);
        return d;
    });
    refused("negative height", [] {
        QByteArray d = Icon32(8, 0xFF000000);
        Put32(d, 8, quint32(-16));
        return d;
    });
    refused("height claims more rows than held", [] {
        QByteArray d = Icon32(8, 0xFF000000);
        Put32(d, 8, 2 * 200);
        return d;
    });
    refused("huge width", [] {
        QByteArray d = Icon32(8, 0xFF000000);
        Put32(d, 4, 0x7FFFFFFF);
        return d;
    });
    refused("DIB wider than 256", [] { return Icon32(257, 0xFF000000); });
    refused("3 bits per pixel", [] {
        QByteArray d = Icon32(8, 0xFF000000);
        Put16(d, 14, 3);
        return d;
    });
    refused("compressed", [] {
        QByteArray d = Icon32(8, 0xFF000000);
        Put32(d, 16, 1);
        return d;
    });
    refused("core header", [] {
        QByteArray d = Icon32(8, 0xFF000000);
        Put32(d, 0, 12);
        return d;
    });
    refused("palette larger than the depth", [] {
        QByteArray d = InfoHeader(8, 16, 4, 0, 17) + QByteArray(17 * 4 + 8 * 4 + 8 * 4, '\0');
        return d;
    });
    refused("PNG wider than 4096 pixels", [] { return Png(4097, 2); });
    refused("PNG claiming another size", [] { return PngClaiming(12, 10); });
    refused("PNG cut after its header", [] { return Png(10, 10).left(40); });
    refused("PNG signature alone", [] { return QByteArray("\x89PNG\r\n\x1a\n", 8); });
}

void tst_resourceimages::icons() {
    QFETCH(Maker, make);
    QFETCH(bool, isIcon);
    QFETCH(QSize, size);
    QFETCH(QRgb, bottomRight);
    QFETCH(int, topLeftAlpha);
    QPoint hotSpot(-1, -1);
    const QImage image = ResourceImages::FromIconResource(make(), isIcon, &hotSpot);
    if (size.isEmpty()) {
        QVERIFY(image.isNull());
        return;
    }
    QCOMPARE(image.size(), size);
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(argb.pixel(size.width() - 1, size.height() - 1), bottomRight);
    QCOMPARE(qAlpha(argb.pixel(0, 0)), topLeftAlpha);
    if (!isIcon)
        QCOMPARE(hotSpot, QPoint(0, 0));
}

void tst_resourceimages::bitmaps_data() {
    QTest::addColumn<Maker>("make");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRgb>("color");
    QTest::newRow("24-bit") << Maker([] { return Bitmap24(5, 3, qRgb(1, 2, 3)); }) << QSize(5, 3)
                            << qRgb(1, 2, 3);
    QTest::newRow("top-down rows")
        << Maker([] { return Bitmap24(5, -3, qRgb(9, 8, 7)); }) << QSize(5, 3) << qRgb(9, 8, 7);
    QTest::newRow("core header") << Maker([] {
        QByteArray d(12, '\0');
        Put32(d, 0, 12);
        Put16(d, 4, 2);
        Put16(d, 6, 2);
        Put16(d, 8, 1);
        Put16(d, 10, 24);
        for (int y = 0; y < 2; ++y)
            d += QByteArray("\x30\x20\x10\x30\x20\x10\0\0", 8);
        return d;
    }) << QSize(2, 2) << qRgb(0x10, 0x20, 0x30);
    QTest::newRow("16-bit 565 bit fields") << Maker([] {
        QByteArray d = InfoHeader(2, 1, 16, 3);
        d += QByteArray(12, '\0');
        Put32(d, 40, 0xF800);
        Put32(d, 44, 0x07E0);
        Put32(d, 48, 0x001F);
        d += QByteArray("\x00\xF8\x00\xF8", 4); // two red pixels
        return d;
    }) << QSize(2, 1) << qRgb(0xF8, 0, 0); // five bits of red, shifted as the desktop does
    QTest::newRow("run-length 8-bit") << Maker([] {
        QByteArray d = InfoHeader(4, 1, 8, 1);
        QByteArray palette(256 * 4, '\0');
        palette[4 * 1 + 1] = char(200); // colour 1: green
        d += palette;
        d += QByteArray("\x04\x01\x00\x01", 4); // four of colour 1, end of bitmap
        return d;
    }) << QSize(4, 1) << qRgb(0, 200, 0);

    const QSize none;
    QTest::newRow("pixels missing")
        << Maker([] { return Bitmap24(5, 3, 0).chopped(1); }) << none << QRgb(0);
    QTest::newRow("height claims more rows") << Maker([] {
        QByteArray d = Bitmap24(5, 3, 0);
        Put32(d, 8, 3000);
        return d;
    }) << none << QRgb(0);
    QTest::newRow("JPEG inside") << Maker([] {
        QByteArray d = Bitmap24(5, 3, 0);
        Put32(d, 16, 4);
        return d;
    }) << none << QRgb(0);
    QTest::newRow("palette of 70000 colours")
        << Maker([] { return InfoHeader(2, 2, 8, 0, 70000) + QByteArray(64, '\0'); }) << none
        << QRgb(0);
    QTest::newRow("unknown header size") << Maker([] {
        QByteArray d = Bitmap24(5, 3, 0);
        Put32(d, 0, 41);
        return d;
    }) << none << QRgb(0);
    QTest::newRow("lowest height") << Maker([] {
        QByteArray d = Bitmap24(5, 3, 0);
        Put32(d, 8, 0x80000000u);
        return d;
    }) << none << QRgb(0);
}

void tst_resourceimages::bitmaps() {
    QFETCH(Maker, make);
    QFETCH(QSize, size);
    QFETCH(QRgb, color);
    const QImage image = ResourceImages::FromBitmapResource(make());
    if (size.isEmpty()) {
        QVERIFY(image.isNull());
        return;
    }
    QCOMPARE(image.size(), size);
    QCOMPARE(image.pixel(size.width() - 1, size.height() - 1), color);
}

void tst_resourceimages::imageFiles() {
    QByteArray format;
    const QImage png = ResourceImages::FromImageFile(Png(7, 5), &format);
    QCOMPARE(png.size(), QSize(7, 5));
    QCOMPARE(format, QByteArray("png"));
    QVERIFY(ResourceImages::FromImageFile("not an image at all", &format).isNull());
    QVERIFY(format.isEmpty());
    QVERIFY(ResourceImages::FromImageFile(PngClaiming(12, 10)).isNull());
    QCOMPARE(ResourceImages::FromImageFile(Png(4096, 1)).width(), 4096);
    QVERIFY(ResourceImages::FromImageFile(Png(4097, 1)).isNull());
}

QTEST_MAIN(tst_resourceimages)
#include "tst_resourceimages.moc"
