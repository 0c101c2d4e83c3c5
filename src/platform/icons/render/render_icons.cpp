// Build step: renders each bundled SVG picture to raw pixels at the sizes the program asks for,
// so that a start never parses SVG (a Tango picture costs about a millisecond to parse and
// another to draw, and the side menu and splash show two dozen of them) nor decodes PNG (about
// 40 microseconds a picture, and half a millisecond more for the first, which sets up Qt's
// image readers).
//
//   orv_render_icons OUTPUT_DIR SIZES SVG...
//
// writes OUTPUT_DIR/<size>/<name>.argb for every size of the comma-separated SIZES: size x size
// premultiplied ARGB pixels, row by row from the top, each a little-endian 32-bit word. The
// resource compiler compresses them.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>
#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR SIZES SVG...\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString output = QString::fromLocal8Bit(argv[1]);
    QList<int> sizes;
    for (const QString& size : QString::fromLatin1(argv[2]).split(u',')) {
        bool ok = false;
        sizes << size.toInt(&ok);
        if (!ok || sizes.last() <= 0) {
            std::fprintf(stderr, "render_icons: bad size \"%s\"\n", qPrintable(size));
            return 2;
        }
    }
    for (int i = 3; i < argc; ++i) {
        const QString svg = QString::fromLocal8Bit(argv[i]);
        QSvgRenderer renderer(svg);
        if (!renderer.isValid()) {
            std::fprintf(stderr, "render_icons: %s is not a valid SVG picture\n", argv[i]);
            return 1;
        }
        for (const int size : sizes) {
            QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            renderer.render(&painter, QRectF(0, 0, size, size));
            painter.end();
            const QString folder = QStringLiteral("%1/%2").arg(output).arg(size);
            const QString file = folder + u'/' + QFileInfo(svg).completeBaseName() + u".argb"_s;
            QByteArray pixels(qsizetype(size) * size * 4, Qt::Uninitialized);
            for (int y = 0; y < size; ++y)
                qToLittleEndian<quint32>(image.constScanLine(y), size,
                                         pixels.data() + qsizetype(y) * size * 4);
            QFile out(file);
            if (!QDir().mkpath(folder) || !out.open(QIODevice::WriteOnly) ||
                out.write(pixels) != pixels.size()) {
                std::fprintf(stderr, "render_icons: cannot write %s\n", qPrintable(file));
                return 1;
            }
        }
    }
    return 0;
}
