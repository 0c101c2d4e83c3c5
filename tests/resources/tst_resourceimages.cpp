// Pictures made from resource bytes built here: the corner cases of icon, cursor and bitmap
// data that the fixtures do not cover, and headers that claim more than the data holds.

#include "CraftedPe.h"
#include "ResourceFixtures.h"
#include "platform/ResourceImages.h"
#include "support/DataRow.h"

#include <QTest>
#include <QtEndian>
#include <functional>

namespace {

using namespace CraftedPe;
using namespace Fixture;
using Maker = std::function<QByteArray()>;

// An n x n 32-bit icon image: every pixel `argb`, the mask bit of the top-left pixel set.
QByteArray Icon32(int n, QRgb argb) {
    QByteArray mask(RowBytes(n, 1) * n, '\0');
    mask[mask.size() - RowBytes(n, 1)] = char(0x80); // the last row stored is the top one
    return InfoHeader(n, 2 * n, 32) + Le(quint32(argb)).repeated(n * n) + mask;
}

QByteArray Png(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(qRgba(0, 128, 255, 255));
    return PngBytes(image);
}

// A bitmap of `width` x |height| 24-bit pixels, all of one colour.
QByteArray Bitmap24(int width, int height, QRgb color) {
    QByteArray row = Le(quint32(color)).left(3).repeated(width); // blue, green, red
    row.resize(RowBytes(width, 24), '\0');
    return InfoHeader(width, height, 24) + row.repeated(std::abs(height));
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

// What `base` makes, with `value` written over `bytes` bytes at `at`.
Maker Patched(const Maker& base, qsizetype at, quint32 value, int bytes = 4) {
    return [=] {
        QByteArray d = base();
        bytes == 2 ? Put16(d, at, quint16(value)) : Put32(d, at, value);
        return d;
    };
}

} // namespace

Q_DECLARE_METATYPE(Maker)

class tst_resourceimages : public QObject {
    Q_OBJECT

private slots:
    void icons_data() {
        AddColumns<Maker, bool>("make", "isIcon");
        QTest::addColumn<QSize>("size");       // empty: no picture
        QTest::addColumn<QRgb>("bottomRight"); // colour of the last pixel
        QTest::addColumn<int>("topLeftAlpha");

        AddRow("32-bit with alpha keeps it", Maker([] { return Icon32(8, qRgba(255, 0, 0, 128)); }),
               true, QSize(8, 8), qRgba(255, 0, 0, 128), 128);
        AddRow("32-bit without alpha uses the mask",
               Maker([] { return Icon32(8, qRgba(255, 0, 0, 0)); }), true, QSize(8, 8),
               qRgb(255, 0, 0), 0);
        AddRow("PNG image", Maker([] { return Png(300, 20); }), true, QSize(300, 20),
               qRgb(0, 128, 255), 255);
        AddRow("cursor with its hot spot",
               Maker([] { return QByteArray(4, '\0') + Icon32(4, qRgba(0, 0, 255, 255)); }), false,
               QSize(4, 4), qRgb(0, 0, 255), 255);

        auto refused = [](const char* name, const Maker& make, bool isIcon = true) {
            AddRow(name, make, isIcon, QSize(), QRgb(0), 0);
        };
        const Maker icon = [] { return Icon32(8, 0xFF000000); };
        refused("pixel data one byte short", [] { return Icon32(8, 0xFF000000).chopped(1); });
        refused("empty", [] { return QByteArray(); });
        refused(
            "cursor shorter than its hot spot", [] { return QByteArray(3, '\0'); }, false);
        refused("width 0", Patched(icon, 4, 0));
        refused("negative height", Patched(icon, 8, quint32(-16)));
        refused("huge width", Patched(icon, 4, 0x7FFFFFFF));
        refused("DIB wider than 256", [] { return Icon32(257, 0xFF000000); });
        refused("3 bits per pixel", Patched(icon, 14, 3, 2));
        refused("compressed", Patched(icon, 16, 1));
        refused("core header", Patched(icon, 0, 12));
        refused("palette larger than the depth", [] {
            return InfoHeader(8, 16, 4, 0, 17) + QByteArray(17 * 4 + 8 * 4 + 8 * 4, '\0');
        });
        refused("PNG wider than 4096 pixels", [] { return Png(4097, 2); });
        refused("PNG claiming another size", [] { return PngClaiming(12, 10); });
        refused("PNG cut after its header", [] { return Png(10, 10).left(40); });
        refused("PNG signature alone", [] { return QByteArray("\x89PNG\r\n\x1a\n", 8); });
    }
    void icons() {
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

    void bitmaps_data() {
        QTest::addColumn<Maker>("make");
        QTest::addColumn<QSize>("size"); // empty: no picture
        QTest::addColumn<QRgb>("color");
        AddRow("24-bit", Maker([] { return Bitmap24(5, 3, qRgb(1, 2, 3)); }), QSize(5, 3),
               qRgb(1, 2, 3));
        AddRow("top-down rows", Maker([] { return Bitmap24(5, -3, qRgb(9, 8, 7)); }), QSize(5, 3),
               qRgb(9, 8, 7));
        AddRow("core header", Maker([] {
                   return Le(quint32(12), quint16(2), quint16(2), quint16(1), quint16(24)) +
                          QByteArray("\x30\x20\x10\x30\x20\x10\0\0", 8).repeated(2);
               }),
               QSize(2, 2), qRgb(0x10, 0x20, 0x30));
        AddRow("16-bit 565 bit fields", Maker([] {
                   return InfoHeader(2, 1, 16, 3) + Le(0xF800u, 0x07E0u, 0x001Fu) +
                          QByteArray("\x00\xF8\x00\xF8", 4); // two red pixels
               }),
               QSize(2, 1), qRgb(0xF8, 0, 0)); // five bits of red, shifted as the desktop does
        AddRow("run-length 8-bit", Maker([] {
                   QByteArray palette(256 * 4, '\0');
                   palette[4 * 1 + 1] = char(200); // colour 1: green
                   // four of colour 1, end of bitmap
                   return InfoHeader(4, 1, 8, 1) + palette + QByteArray("\x04\x01\x00\x01", 4);
               }),
               QSize(4, 1), qRgb(0, 200, 0));

        auto refused = [](const char* name, const Maker& make) {
            AddRow(name, make, QSize(), QRgb(0));
        };
        const Maker bitmap = [] { return Bitmap24(5, 3, 0); };
        refused("pixels missing", [] { return Bitmap24(5, 3, 0).chopped(1); });
        refused("JPEG inside", Patched(bitmap, 16, 4));
        refused("palette of 70000 colours",
                [] { return InfoHeader(2, 2, 8, 0, 70000) + QByteArray(64, '\0'); });
        refused("unknown header size", Patched(bitmap, 0, 41));
        refused("lowest height", Patched(bitmap, 8, 0x80000000u));
    }
    void bitmaps() {
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

    void imageFiles() {
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
};

QTEST_MAIN(tst_resourceimages)
#include "tst_resourceimages.moc"
