#include "app/SplashArt.h"
#include "app/frmSplash.h"
#include "catalogue/CatalogPictures.h"
#include "launcher/MenuArt.h"
#include "platform/ImageBytes.h"
#include "platform/ThemeIcon.h"
#include "support/DataRow.h"
#include "support/TestContext.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

namespace {

using MenuArt::Kind;

// Pixels that are drawn at all, and those of them with a clear hue.
struct Ink {
    int drawn = 0;
    int coloured = 0;
    int nonGrey = 0;
};

Ink InkOf(const QImage& image, const QColor& background = Qt::transparent) {
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() == 0 || c.rgb() == background.rgb())
                continue;
            ++ink.drawn;
            if (c.hsvSaturation() > 80 && c.value() > 60)
                ++ink.coloured;
            if (c.red() != c.green() || c.green() != c.blue())
                ++ink.nonGrey;
        }
    return ink;
}

// Points the icon loader at a folder with nothing in it: no desktop theme anywhere.
void NoDesktopTheme(const QString& emptyDir) {
    QIcon::setThemeSearchPaths({emptyDir});
    QIcon::setFallbackSearchPaths({});
    QIcon::setThemeName(QStringLiteral("no-such-theme"));
}

} // namespace

class tst_themepictures : public QObject {
    Q_OBJECT
    QTemporaryDir mEmpty;

private Q_SLOTS:
    void init() { NoDesktopTheme(mEmpty.path()); }

    // Runs first, while this process has loaded no image plugin: pictures of the formats the
    // program reads are told by their signature, and reading them must not make Qt load every
    // plugin (the SVG one pulls in the SVG library, milliseconds of every start). The test
    // pictures are made without QImageWriter, which loads every plugin itself.
    void picturesAreReadWithoutLoadingEveryImagePlugin() {
        QTemporaryDir dir;
        const QString bmpFile = dir.filePath(QStringLiteral("p.bmp"));
        QImage picture(24, 16, QImage::Format_ARGB32);
        picture.fill(Qt::darkCyan);
        QVERIFY(WriteCatalogBmp(picture, bmpFile));
        const QByteArray bmp = ReadAll(bmpFile);
        // A 1 x 1 PNG file (written by hand: Qt's writer would look at every plugin first).
        const QByteArray png =
            QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8D"
                                   "wHwAFBQIAX8jx0gAAAABJRU5ErkJggg==");
        const QByteArray xpm = "/* XPM */\nstatic const char *p[] = {\"3 2 1 1\", "
                               "\"a c #008080\", \"aaa\", \"aaa\"};\n";
        const struct {
            QByteArray bytes;
            QByteArray format;
            QSize size;
        } pictures[] = {{bmp, "bmp", {24, 16}}, {png, "png", {1, 1}}};
        for (const auto& p : pictures) {
            QCOMPARE(ImageBytes::Format(p.bytes), p.format);
            QCOMPARE(ImageBytes::Decode(p.bytes).size(), p.size);
        }
        QCOMPARE(ImageBytes::Format(QByteArray("\0\0\1\0\1\0", 6)), QByteArray("ico"));
        QCOMPARE(ImageBytes::Format("GIF89a..."), QByteArray("gif"));
        QCOMPARE(ImageBytes::Format(xpm), QByteArray());
        const QStringList names = ThemeIcon::BundledNames();
        QVERIFY(names.size() >= 25);
        for (const QString& name : names)
            QVERIFY2(InkOf(ThemeIcon::Bundled(name).pixmap(32, 32).toImage()).drawn > 128,
                     qPrintable(name));
        // The default and folder icons every start reads.
        QVERIFY(!DecodeCatalogPicture(ReadAll(QStringLiteral(":/orvane/default.ico"))).isNull());

        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray mapped = maps.readAll();
        QVERIFY2(!mapped.contains("libQt6Svg"), "the SVG library was loaded");
        QVERIFY2(!mapped.contains("imageformats/libqjpeg"), "the JPEG plugin was loaded");
        QVERIFY2(!mapped.contains("imageformats/libqico"), "the icon plugin was loaded");

        // Without a known signature Qt's own recognition still reads it.
        QCOMPARE(ImageBytes::Decode(xpm).size(), QSize(3, 2));
        QVERIFY(ImageBytes::Decode("not a picture").isNull());
    }

    void bundledPicturesAtAnySize() {
        const QIcon icon = ThemeIcon::Bundled(QStringLiteral("folder"));
        for (const int size : {16, 20, 32, 40, 96, 150, 192, 300}) {
            const QImage image = icon.pixmap(size, size).toImage();
            QCOMPARE(image.width(), std::min(size, 192));
            QVERIFY2(InkOf(image).drawn > image.width() * image.width() / 8,
                     qPrintable(QString::number(size)));
        }
        QCOMPARE(icon.pixmap(32, 32, QIcon::Disabled).size(), QSize(32, 32));
        QVERIFY(ThemeIcon::Bundled(QStringLiteral("no-such-picture")).isNull());
        QVERIFY(ThemeIcon::Named(QStringLiteral("no-such-picture")).isNull());
    }

    void menuPicturesComeFromTheBundle_data() {
        AddColumns<int, int, bool>("kind", "number", "pictured");
        for (int n = 1; n <= MenuArt::kItemPictures; ++n)
            QTest::addRow("item %d", n) << int(Kind::Item) << n << true;
        for (int n = 1; n <= MenuArt::kGroupPictures; ++n)
            QTest::addRow("group %d", n) << int(Kind::Group) << n << true;
        QTest::newRow("file") << int(Kind::File) << 0 << true;
        QTest::newRow("folder") << int(Kind::Folder) << 0 << true;
        QTest::newRow("program") << int(Kind::Program) << 0 << true;
        QTest::newRow("item 0") << int(Kind::Item) << 0 << false;
        QTest::newRow("item 19") << int(Kind::Item) << 19 << false;
        QTest::newRow("group 5") << int(Kind::Group) << 5 << false;
    }
    void menuPicturesComeFromTheBundle() {
        QFETCH(int, kind);
        QFETCH(int, number);
        QFETCH(bool, pictured);
        const QString name = MenuArt::IconName(Kind(kind), number);
        const QIcon icon = MenuArt::Picture(Kind(kind), number);
        QCOMPARE(name.isEmpty(), !pictured);
        QCOMPARE(icon.isNull(), !pictured);
        // What the bundled pictures draw is checked for every one of them above.
        QCOMPARE(ThemeIcon::BundledNames().contains(name), pictured);
    }

    // hicolor, Qt's fallback when the desktop names no theme, holds programs' own icons: it is
    // not searched, even when it holds the name.
    void theDesktopThemeWins_data() {
        AddColumns<QString, bool>("theme", "fromTheme");
        QTest::newRow("desktop theme") << "desk" << true;
        QTest::newRow("hicolor") << "hicolor" << false;
    }
    void theDesktopThemeWins() {
        QFETCH(QString, theme);
        QFETCH(bool, fromTheme);
        QTemporaryDir themes;
        const QString dir = themes.filePath(theme + QStringLiteral("/32x32/places"));
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(
            WriteFile(themes.filePath(theme + "/index.theme"),
                      "[Icon Theme]\nName=" + theme.toUtf8() +
                          "\nDirectories=32x32/places\n\n[32x32/places]\nSize=32\nType=Fixed\n"));
        QImage red(32, 32, QImage::Format_ARGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(dir + QStringLiteral("/folder.png")));
        QIcon::setThemeSearchPaths({themes.path()});
        QIcon::setThemeName(theme);

        const QImage folder = MenuArt::Picture(Kind::Folder).pixmap(32, 32).toImage();
        QCOMPARE(folder.pixelColor(16, 16) == QColor(Qt::red), fromTheme);
        // What the theme lacks still comes from the bundle.
        QVERIFY(InkOf(MenuArt::Picture(Kind::Program).pixmap(32, 32).toImage()).coloured > 0);
    }

    void splashIndicatorsAreGreyThenColoured() {
        TestContext t;
        frmSplash splash(t.ctx);
        const QColor background = splash.palette().color(QPalette::Window);
        const qreal ratio = splash.devicePixelRatioF();
        const QSize size = SplashArt::Indicator(SplashArt::Stage::Start, background, ratio).size();
        QCOMPARE(size, QSize(40, 40) * ratio);
        for (int stage = 0; stage < 6; ++stage) {
            const QImage grey = splash.colGrayImages[stage]->pixmap().toImage();
            const QImage coloured = splash.colRegImages[stage]->pixmap().toImage();
            QCOMPARE(grey.size(), size);
            QCOMPARE(coloured.size(), size);
            const Ink greyInk = InkOf(grey);
            const Ink colourInk = InkOf(coloured, background);
            QCOMPARE(greyInk.nonGrey, 0);
            QVERIFY2(colourInk.drawn > 200, qPrintable(QString::number(stage)));
            QVERIFY2(colourInk.coloured > 20, qPrintable(QString::number(stage)));
        }
        QVERIFY(InkOf(splash.Image1->pixmap().toImage(), Qt::white).coloured > 20);
    }
};

QTEST_MAIN(tst_themepictures)
#include "tst_themepictures.moc"
