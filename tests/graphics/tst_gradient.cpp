#include "graphics/LineRaster.h"
#include "graphics/clsGradient.h"
#include "platform/Text.h"
#include "support/DataRow.h"
#include "support/Gallery.h"
#include "support/ScriptedPrompt.h"

#include <QGuiApplication>
#include <QImage>
#include <QLine>
#include <QPalette>
#include <QPixmap>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

// The expected values below are worked out by hand from the drawing rules: centre
// (floor(W/2), floor(H/2)), radius (sqrt(2)·max(W, H) + 2) / 2, the segment through the centre
// turned by Angle + 90 degrees, moved by the table's offset and stepped a pixel at a time until
// both ends of a line lie beyond the far edge; each line is drawn with the end pixel left out
// and one pixel per step along its longer axis.
class tst_gradient : public QObject {
    Q_OBJECT

    ScriptedPrompt prompt;

    static QLine Line(const QList<QPoint>& points, qsizetype k) {
        return QLine(points[2 * k], points[2 * k + 1]);
    }

    // Every pixel of a surface, row by row from the top.
    static QList<QPoint> EveryPixel(QSize size) {
        QList<QPoint> pixels;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                pixels.append({x, y});
        return pixels;
    }

    static QImage Filled(QSize size, QRgb colour, QImage::Format format = QImage::Format_RGB32) {
        QImage image(size, format);
        image.fill(colour);
        return image;
    }

private Q_SLOTS:
    void init() { prompt.transcript.clear(); }

    void blendColors_data() {
        AddColumns<int, int, int, QList<int>>("first", "last", "steps", "ramp");
        AddRow("no steps is two", 0x10, 0xF0, -5, QList<int>{0x10, 0xF0});
        // 10 / 4 = 2.5 a step: 2.5 rounds to 2, and the last entry is the colour itself, not
        // 3 x 2.5.
        AddRow("halves to even", 0, 0x0A, 4, QList<int>{0, 2, 5, 0x0A});
        // Divided by the 5 entries (51 a step), not by the 4 intervals.
        AddRow("by entries", 0, 0xFF00, 5, QList<int>{0, 51 << 8, 102 << 8, 153 << 8, 0xFF00});
        // Red 30 -> 0 by -7.5, green 20 -> 0 by -5, blue 10 -> 0 by -2.5.
        AddRow("each channel falls", 0x0A141E, 0, 4,
               QList<int>{0x0A141E, 22 | 15 << 8 | 8 << 16, 15 | 10 << 8 | 5 << 16, 0});
        // Red 25 -> 255 by 76.67; the ends are copied with their high byte.
        AddRow("high byte of the ends kept", int(0x80000019), 0x0000FF, 3,
               QList<int>{int(0x80000019), 102, 0xFF});
    }
    void blendColors() {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, steps);
        QFETCH(QList<int>, ramp);
        clsGradient gradient(prompt);
        QList<ColorRef> result{1, 2, 3, 4, 5, 6, 7, 8, 9};
        QCOMPARE(gradient.BlendColors(first, last, steps, result), long(ramp.size()));
        QCOMPARE(result, ramp);
    }

    void angleIsBroughtIntoOneTurn_data() {
        AddColumns<float, float>("given", "stored");
        AddRow("-45", -45.0f, 315.0f);
        AddRow("400", 400.0f, 40.0f);
        AddRow("360", 360.0f, 0.0f);
        // 360 - 0.000001 is 360 in single precision: the same direction as 0.
        AddRow("tiny negative", -0.000001f, 0.0f);
        AddRow("not a number keeps 77", float(NAN), 77.0f);
        AddRow("infinity keeps 77", float(INFINITY), 77.0f);
    }
    void angleIsBroughtIntoOneTurn() {
        QFETCH(float, given);
        QFETCH(float, stored);
        clsGradient gradient(prompt);
        gradient.SetAngle(77);
        gradient.SetAngle(given);
        QCOMPARE(gradient.Angle(), stored);
    }

    void colorsResolveSystemColours_data() {
        const QPalette palette = QGuiApplication::palette();
        const auto ref = [](const QColor& c) { return c.red() | c.green() << 8 | c.blue() << 16; };
        AddColumns<int, int>("given", "stored");
        AddRow("button face", int(0x8000000F), ref(palette.color(QPalette::Button)));
        AddRow("number 25 is no system colour", int(0x80000019), int(0x80000019));
        AddRow("plain with high byte", 0x05000005, 0x05000005);
    }
    void colorsResolveSystemColours() {
        QFETCH(int, given);
        QFETCH(int, stored);
        clsGradient gradient(prompt);
        gradient.SetColor1(given);
        gradient.SetColor2(given);
        QCOMPARE(gradient.Color1(), stored);
        QCOMPARE(gradient.Color2(), stored);
    }

    // Color1 is black and Color2 white, so that the pixels of line k show the ramp's entry k
    // (the ramp has half as many entries as there are points, rounded).
    void sweepGeometry_data() {
        AddColumns<float, QSize, int, QLine, QLine, QList<QPoint>, QList<int>>(
            "angle", "size", "points", "first", "last", "pixels", "lineOfPixel");

        // 8 x 5: centre (4, 2), radius 6.66.
        AddRow("0 oblong", 0.0f, QSize(8, 5), 20, QLine(0, 9, 0, -5), QLine(9, 9, 9, -5),
               QList<QPoint>{{3, 2}, {7, 4}, {0, 0}}, QList<int>{3, 7, 0});
        // Turned by 120 degrees the segment runs from (3.91, 5.32) to (0.09, -1.32): steep, so
        // it moves right from x -3.91: line 0 is (0, 5) - (-4, -1). Along its 6 rows it leaves
        // x 0 at offsets 0, -0.67, -1.33, -2, -2.67, -3.33: rows 3, 2, 1, 0 hold x -1, -2, -3,
        // -3, so pixel (x, y) belongs to line x + 1, x + 2, x + 3, x + 3. Line 9 is the first
        // with both ends beyond x 4.
        AddRow("30 square", 30.0f, QSize(4, 4), 20, QLine(0, 5, -4, -1), QLine(9, 5, 5, -1),
               QList<QPoint>{{0, 0}, {3, 3}, {0, 3}, {3, 0}, {2, 2}}, QList<int>{3, 4, 1, 6, 4});
        // Turned by 150 degrees: (5.32, 3.91) to (-1.32, 0.09), flat, moving up from y + 3.91:
        // line k is (5, 8 - k) - (-1, 4 - k). The start of line 9 is the first point after
        // which the last two points lie above y 0: 19 points, 9 lines drawn, the last point
        // draws nothing, and the ramp has round(9.5) = 10 entries. Columns 3, 2, 1, 0 of line
        // 0 hold y 7, 6, 5, 5.
        AddRow("60 square, odd", 60.0f, QSize(4, 4), 19, QLine(5, 8, -1, 4), QLine(5, 0, -1, -4),
               QList<QPoint>{{0, 0}, {3, 3}, {0, 3}, {3, 0}}, QList<int>{5, 4, 2, 7});
        // The default 315 turned by 45 degrees: (-0.7071067, 4.7071066) to (4.7071071,
        // -0.7071069). |dY| falls 2.4e-7 short of |dX|: flat, moving down from y - 4.71, so
        // line k is (-1, k) - (5, k - 5). Single-precision differences round both to 5.414214,
        // a tie that would count as steep and shift every pixel by one line. Rows from the top.
        AddRow("315 default square, a near tie is flat", 315.0f, QSize(4, 4), 22,
               QLine(-1, 0, 5, -5), QLine(-1, 10, 5, 5), EveryPixel(QSize(4, 4)),
               QList<int>{1, 2, 3, 3, 2, 3, 4, 4, 3, 4, 5, 5, 4, 5, 6, 6});
        // 300 x 200: centre (150, 100), radius 213.13, turned by 135 degrees to (300.70712,
        // 250.70711) - (-0.70712, -50.70712). The sine and cosine of the single-precision
        // 2.3561945 in double make |dY| 1.9e-5 shorter than |dX|: flat, moving up from y +
        // 250.71. Line k runs from (301, 501 - k) to (-1, 200 - k): 302 columns, 301 rows, so
        // column x is 501 - k - round((301 - x) * 301 / 302), and column 150 lies exactly
        // halfway (150.5): the smaller row, 350 - k, is painted.
        const QList<QPoint> samples45{{0, 0},   {299, 199}, {0, 199},   {299, 0},
                                      {60, 40}, {149, 100}, {150, 100}, {151, 100}};
        AddRow("45 oblong, a near tie is flat", 45.0f, QSize(300, 200), 1005,
               QLine(301, 501, -1, 200), QLine(301, 0, -1, -301), samples45,
               QList<int>{201, 300, 2, 499, 221, 250, 250, 251});
        // 3 x 3: turned by 150 degrees to (3.70314, 2.56066) - (-1.70314, -0.56066), flat,
        // moving up from y + 3.56: line k is (4, 6 - k) - (-2, 3 - k), slope one half. Column
        // 1 is 3 steps along it, 1.5 rows up: halfway, so the smaller row 4 - k is painted,
        // whichever end the line starts from. 15 points: 7 lines, a ramp of 8. Rows from the top.
        AddRow("60 small square, halfway between rows", 60.0f, QSize(3, 3), 15, QLine(4, 6, -2, 3),
               QLine(4, 0, -2, -3), EveryPixel(QSize(3, 3)), QList<int>{4, 4, 5, 3, 3, 4, 2, 2, 3});
    }
    void sweepGeometry() {
        QFETCH(float, angle);
        QFETCH(QSize, size);
        QFETCH(int, points);
        QFETCH(QLine, first);
        QFETCH(QLine, last);
        QFETCH(QList<QPoint>, pixels);
        QFETCH(QList<int>, lineOfPixel);
        clsGradient gradient(prompt);
        gradient.SetAngle(angle);
        gradient.SetColor1(0x000000);
        gradient.SetColor2(0xFFFFFF);
        QList<ColorRef> ramp;
        gradient.BlendColors(0x000000, 0xFFFFFF, RoundHalfEven(points / 2.0), ramp);

        const QList<QPoint> sweep = gradient.SweepPoints(size.width(), size.height());
        QCOMPARE(sweep.size(), points);
        const int lines = points / 2;
        QCOMPARE(Line(sweep, 0), first);
        QCOMPARE(Line(sweep, lines - 1), last);

        QImage device = Filled(size, qRgb(255, 0, 255), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(gradient.DrawGradient(device, size.width(), size.height()), long(2 * lines));
        for (qsizetype i = 0; i < pixels.size(); ++i)
            QCOMPARE(device.pixel(pixels[i]), FromColorRef(ramp.at(lineOfPixel[i])));
        QImage surface = Filled(size, qRgb(255, 0, 255));
        QVERIFY(gradient.Draw(surface));
        QCOMPARE(surface, device.convertToFormat(QImage::Format_RGB32));
        QVERIFY(prompt.transcript.isEmpty());
    }

    // One pixel per step along the longer axis, the end pixel left out, halfway cases on the
    // smaller coordinate's side whichever way the line runs, pixels outside the image skipped.
    void rasterLine_data() {
        AddColumns<QLine, QList<QPoint>>("line", "painted");
        AddRow("flat backwards", QLine(4, 1, 0, 0), QList<QPoint>{{4, 1}, {3, 1}, {2, 0}, {1, 0}});
        AddRow("slope one half", QLine(0, 0, 4, 2), QList<QPoint>{{0, 0}, {1, 0}, {2, 1}, {3, 1}});
        AddRow("slope one half backwards", QLine(4, 2, 0, 0),
               QList<QPoint>{{4, 2}, {3, 1}, {2, 1}, {1, 0}});
        AddRow("slope one half falling", QLine(0, 2, 4, 0),
               QList<QPoint>{{0, 2}, {1, 1}, {2, 1}, {3, 0}});
        AddRow("steep", QLine(1, 0, 0, 3), QList<QPoint>{{1, 0}, {1, 1}, {0, 2}});
        AddRow("steep halfway backwards", QLine(1, 4, 0, 0),
               QList<QPoint>{{1, 4}, {1, 3}, {0, 2}, {0, 1}});
        AddRow("diagonal", QLine(0, 0, 3, 3), QList<QPoint>{{0, 0}, {1, 1}, {2, 2}});
        AddRow("clipped", QLine(-2, 1, 9, 1),
               QList<QPoint>{{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}});
        AddRow("a point", QLine(2, 2, 2, 2), QList<QPoint>{});
    }
    void rasterLine() {
        QFETCH(QLine, line);
        QFETCH(QList<QPoint>, painted);
        QImage image = Filled(QSize(5, 5), qRgb(255, 255, 255));
        RasterLine(image, line.p1(), line.p2(), qRgb(0, 0, 0));
        QList<QPoint> black;
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (image.pixel(x, y) == qRgb(0, 0, 0))
                    black.append({x, y});
        std::sort(painted.begin(), painted.end(), [](QPoint a, QPoint b) {
            return std::pair(a.x(), a.y()) < std::pair(b.x(), b.y());
        });
        QCOMPARE(black, painted);
    }

    // No pixel keeps the surface's colour, whatever the angle and shape: neighbouring lines
    // are rasterised one pixel apart.
    void everyPixelIsPainted_data() {
        QTest::addColumn<QSize>("size");
        for (const QSize size : {QSize(2, 2), QSize(3, 7), QSize(16, 16), QSize(37, 11),
                                 QSize(64, 9), QSize(101, 100)})
            QTest::addRow("%dx%d", size.width(), size.height()) << size;
    }
    void everyPixelIsPainted() {
        QFETCH(QSize, size);
        const QRgb background = qRgb(255, 0, 255);
        clsGradient gradient(prompt);
        gradient.SetColor1(0x000000);
        gradient.SetColor2(0x00FF00);
        for (float angle = 0; angle < 360; angle += 7.5f) {
            gradient.SetAngle(angle);
            QImage surface = Filled(size, background);
            QVERIFY(gradient.Draw(surface));
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x)
                    if (surface.pixel(x, y) == background)
                        QFAIL(qPrintable(
                            u"angle %1: pixel (%2, %3) unpainted"_s.arg(angle).arg(x).arg(y)));
        }
    }

    // Angle 0 puts Color1 in the left column; every surface kind shows the same pixels. A
    // surface too small for a sweep is left alone.
    void surfacesShowTheSameSweep_data() {
        QTest::addColumn<QSize>("size");
        AddRow("40 x 30", QSize(40, 30));
        AddRow("1 wide", QSize(1, 40));
        AddRow("1 high", QSize(40, 1));
        AddRow("empty", QSize(0, 0));
    }
    void surfacesShowTheSameSweep() {
        QFETCH(QSize, size);
        const bool drawn = size.width() > 1 && size.height() > 1;
        clsGradient gradient(prompt);
        gradient.SetAngle(0);
        gradient.SetColor1(0x0000FF);
        gradient.SetColor2(0xFF0000);
        QImage image = Filled(size, qRgb(1, 2, 3));
        const QImage before = image;
        QCOMPARE(gradient.Draw(image), drawn);
        if (drawn) {
            QCOMPARE(image.pixel(0, 29), qRgb(255, 0, 0));
            QCOMPARE(image.pixel(39, 0), image.pixel(39, 29));
            QVERIFY(qBlue(image.pixel(39, 0)) > 200);
            QImage indexed =
                Filled(size, qRgb(255, 255, 255)).convertToFormat(QImage::Format_Indexed8);
            QVERIFY(gradient.Draw(indexed));
            QCOMPARE(indexed.convertToFormat(QImage::Format_RGB32), image);
        } else {
            QCOMPARE(image, before);
        }
        QPixmap pixmap(size);
        pixmap.fill(Qt::white);
        QCOMPARE(gradient.Draw(pixmap), drawn);
        if (drawn)
            QCOMPARE(pixmap.toImage().convertToFormat(QImage::Format_RGB32), image);
        QWidget widget;
        widget.resize(size);
        QCOMPARE(gradient.Draw(widget), drawn);
        QVERIFY(widget.updatesEnabled());
        if (drawn)
            QCOMPARE(widget.grab().toImage().convertToFormat(QImage::Format_RGB32), image);
        else
            QVERIFY(!widget.autoFillBackground());
        QVERIFY(prompt.transcript.isEmpty());
    }

    void gallery() {
        clsGradient gradient(prompt);
        for (const float angle : {0, 45, 90, 135, 180, 225, 270, 315, 400})
            for (const auto& [shape, size] :
                 {std::pair{"square", QSize(160, 160)}, std::pair{"oblong", QSize(300, 200)}}) {
                QWidget surface;
                surface.resize(size);
                gradient.SetAngle(angle);
                QVERIFY(gradient.Draw(surface));
                const QString name = u"clsGradient-%1-%2"_s.arg(angle).arg(shape);
                QVERIFY(!SaveToGallery(&surface, name).isEmpty());
            }
    }
};

QTEST_MAIN(tst_gradient)
#include "tst_gradient.moc"
