#include "graphics/clsGradient.h"

#include "graphics/LineRaster.h"
#include "platform/OrvError.h"
#include "platform/Prompt.h"
#include "platform/Text.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <new>

namespace {

constexpr long kOutOfMemory = 7;
const QString kOutOfMemoryText = QStringLiteral("Out of memory");
constexpr qsizetype kPointBlock = 1000;

// The image the sweep is rasterised into before it reaches the surface. Pixels no line
// touches stay `background`.
QImage SweepDevice(QSize size, const QColor& background) {
    QImage device(size, QImage::Format_ARGB32_Premultiplied);
    if (device.isNull())
        throw OrvError(kOutOfMemory, kOutOfMemoryText);
    device.fill(background);
    return device;
}

// True for a surface large enough to draw on: both edges beyond 1 pixel.
bool Drawable(QSize size) {
    return size.width() > 1 && size.height() > 1;
}

} // namespace

clsGradient::clsGradient(Prompt& prompt) : mPrompt(prompt) {}

bool clsGradient::Draw(QWidget& surface) {
    // The widget is not repainted half drawn.
    const bool updates = surface.updatesEnabled();
    surface.setUpdatesEnabled(false);
    bool drawn = false;
    try {
        const QSize client = surface.rect().size();
        if (Drawable(client)) {
            QImage device = SweepDevice(client, surface.palette().color(surface.backgroundRole()));
            drawn = DrawGradient(device, client.width(), client.height()) >= 1;
            if (drawn) {
                // Kept as the background, so the gradient survives the widget's repaints.
                QPalette palette = surface.palette();
                palette.setBrush(surface.backgroundRole(), QBrush(device));
                surface.setPalette(palette);
                surface.setAutoFillBackground(true);
            }
        }
    } catch (const OrvError& error) {
        mPrompt.MsgBox(error.Description(), PromptButtons::Ok, PromptIcon::Exclamation);
        drawn = false;
    } catch (const std::bad_alloc&) {
        mPrompt.MsgBox(kOutOfMemoryText, PromptButtons::Ok, PromptIcon::Exclamation);
        drawn = false;
    }
    surface.setUpdatesEnabled(updates);
    return drawn;
}

bool clsGradient::Draw(QImage& surface) {
    if (!Drawable(surface.size()))
        return false;
    try {
        QImage device = SweepDevice(surface.size(), Qt::transparent);
        if (DrawGradient(device, surface.width(), surface.height()) < 1)
            return false;
        // Painting needs a format QPainter can draw on; palette and one-bit images become
        // 32-bit ones with the same pixels.
        if (surface.format() == QImage::Format_Indexed8 || surface.depth() == 1)
            surface = surface.convertToFormat(surface.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                        : QImage::Format_RGB32);
        if (surface.isNull())
            throw OrvError(kOutOfMemory, kOutOfMemoryText);
        QPainter painter(&surface);
        painter.drawImage(0, 0, device);
        return true;
    } catch (const OrvError& error) {
        mPrompt.MsgBox(error.Description(), PromptButtons::Ok, PromptIcon::Exclamation);
    } catch (const std::bad_alloc&) {
        mPrompt.MsgBox(kOutOfMemoryText, PromptButtons::Ok, PromptIcon::Exclamation);
    }
    return false;
}

bool clsGradient::Draw(QPixmap& surface) {
    if (!Drawable(surface.size()))
        return false;
    try {
        QImage device = SweepDevice(surface.size(), Qt::transparent);
        if (DrawGradient(device, surface.width(), surface.height()) < 1)
            return false;
        QPainter painter(&surface);
        painter.drawImage(0, 0, device);
        return true;
    } catch (const OrvError& error) {
        mPrompt.MsgBox(error.Description(), PromptButtons::Ok, PromptIcon::Exclamation);
    } catch (const std::bad_alloc&) {
        mPrompt.MsgBox(kOutOfMemoryText, PromptButtons::Ok, PromptIcon::Exclamation);
    }
    return false;
}

long clsGradient::BlendColors(ColorRef color1, ColorRef color2, long steps,
                              QList<ColorRef>& ramp) const {
    steps = std::max(steps, 2L);
    const long r1 = color1 & 0xFF;
    const long g1 = (color1 & 0xFF00) / 256;
    const long b1 = (color1 & 0xFF0000) / 65536;
    // Single precision, and divided by the number of entries, not of intervals: the last
    // entry is set to color2 itself.
    const float dr = static_cast<float>(SafeDiv((color2 & 0xFF) - r1, steps));
    const float dg = static_cast<float>(SafeDiv((color2 & 0xFF00) / 256 - g1, steps));
    const float db = static_cast<float>(SafeDiv((color2 & 0xFF0000) / 65536 - b1, steps));
    ramp.resize(steps);
    ramp[0] = color1;
    ramp[steps - 1] = color2;
    for (long k = 1; k <= steps - 2; ++k)
        ramp[k] = static_cast<ColorRef>(RoundHalfEven(r1 + k * double(dr)) +
                                        RoundHalfEven(g1 + k * double(dg)) * 256 +
                                        RoundHalfEven(b1 + k * double(db)) * 65536);
    return steps;
}

ColorRef clsGradient::Resolve(qint32 value) {
    const quint32 bits = static_cast<quint32>(value);
    const quint32 index = bits & 0x7FFFFFFFu;
    if ((bits & 0x80000000u) != 0 && index < kSystemColorCount)
        return GetSysColor(static_cast<int>(index));
    return value;
}

void clsGradient::SetColor1(qint32 value) {
    mColor1 = Resolve(value);
}

void clsGradient::SetColor2(qint32 value) {
    mColor2 = Resolve(value);
}

void clsGradient::SetAngle(float value) {
    if (!std::isfinite(value))
        return;
    const float angle = value - 360 * std::floor(value / 360);
    // A tiny negative angle comes out as 360 in single precision, and an angle too large to
    // have a fraction comes out anywhere: both point the way 0 does.
    mAngle = angle >= 0 && angle < 360 ? angle : 0;
}

void clsGradient::RotatePoint(const PointF& centre, PointF& point, double angle) {
    // Only the angle in radians and the turned point are singles: the sine and cosine of that
    // single, and the sums, are taken in double. Single-precision sin and cos move a 45-degree
    // sweep off its diagonal.
    const double radians = static_cast<float>(angle * 0.017453292519943278);
    const double dx = double(point.X) - centre.X;
    const double dy = double(point.Y) - centre.Y;
    const double s = std::sin(radians);
    const double c = std::cos(radians);
    point.X = static_cast<float>(dy * s + dx * c + centre.X);
    point.Y = static_cast<float>(dy * c - dx * s + centre.Y);
}

double clsGradient::SafeDiv(double a, double b) {
    return b == 0 ? 0 : a / b;
}

QList<QPoint> clsGradient::SweepPoints(long width, long height) const {
    const double w = static_cast<double>(width);
    const double h = static_cast<double>(height);
    const PointF centre{static_cast<float>(std::floor(w / 2)),
                        static_cast<float>(std::floor(h / 2))};
    const double m = width > height ? w : h;
    // At least the distance from the centre to every corner.
    const double radius = (std::sqrt(m * m + m * m) + 2) / 2;
    PointF p0{static_cast<float>(centre.X - radius), centre.Y};
    PointF p1{static_cast<float>(centre.X + radius), centre.Y};
    const double turned = double(mAngle) + 90;
    const double across = turned - 360 * std::floor(turned / 360);
    RotatePoint(centre, p0, across);
    RotatePoint(centre, p1, across);

    // The first line sits just outside one edge; each step moves it a pixel towards the
    // opposite edge. A steep line moves sideways, a flat one up or down. The differences are
    // taken in double: in single precision a diagonal a hair flat rounds to a tie, and a tie
    // counts as steep.
    const bool steep = std::fabs(double(p0.Y) - p1.Y) >= std::fabs(double(p0.X) - p1.X);
    const double maxX = std::max(p0.X, p1.X), minX = std::min(p0.X, p1.X);
    const double maxY = std::max(p0.Y, p1.Y), minY = std::min(p0.Y, p1.Y);
    double offX = 0, offY = 0;
    int sx = 0, sy = 0;
    if (mAngle <= 90) {
        steep ? (offX = -maxX, sx = 1) : (offY = h - minY, sy = -1);
    } else if (mAngle <= 180) {
        steep ? (offX = w - minX, sx = -1) : (offY = h - minY, sy = -1);
    } else if (mAngle <= 270) {
        steep ? (offX = w - minX, sx = -1) : (offY = -maxY, sy = 1);
    } else {
        steep ? (offX = -maxX, sx = 1) : (offY = -maxY, sy = 1);
    }

    QList<QPoint> points(kPointBlock);
    points[0] = QPoint(static_cast<int>(RoundHalfEven(offX + p0.X)),
                       static_cast<int>(RoundHalfEven(offY + p0.Y)));
    points[1] = QPoint(static_cast<int>(RoundHalfEven(offX + p1.X)),
                       static_cast<int>(RoundHalfEven(offY + p1.Y)));
    qsizetype i = 2;
    for (bool finished = false; !finished;) {
        points[i] = points[i - 2] + QPoint(sx, sy);
        ++i;
        const QPoint& last = points[i - 1];
        const QPoint& before = points[i - 2];
        if (sx >= 1)
            finished = last.x() > width && before.x() > width;
        else if (sx < 0)
            finished = last.x() < 0 && before.x() < 0;
        else if (sy >= 1)
            finished = last.y() > height && before.y() > height;
        else if (sy < 0)
            finished = last.y() < 0 && before.y() < 0;
        if (i % kPointBlock == 0)
            points.resize(i + kPointBlock);
    }
    points.resize(i);
    return points;
}

long clsGradient::DrawGradient(QImage& device, long width, long height) {
    try {
        const QList<QPoint> points = SweepPoints(width, height);
        QList<ColorRef> ramp;
        BlendColors(mColor1, mColor2, RoundHalfEven(points.size() / 2.0), ramp);
        // With an odd number of points the last one draws nothing.
        long j = 0;
        for (; j <= points.size() - 2; j += 2)
            RasterLine(device, points[j], points[j + 1], FromColorRef(ramp[j / 2]));
        return j;
    } catch (const std::bad_alloc&) {
        mPrompt.MsgBox(kOutOfMemoryText, PromptButtons::Ok, PromptIcon::Exclamation,
                       QStringLiteral("GradientRect"));
        return 0;
    }
}
