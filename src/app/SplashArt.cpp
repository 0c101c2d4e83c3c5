#include "app/SplashArt.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace SplashArt {
namespace {

constexpr int kIndicatorSize = 40;

QImage Canvas(int size, const QColor& background, qreal pixelRatio) {
    const int pixels = static_cast<int>(std::ceil(size * pixelRatio));
    QImage image(pixels, pixels, QImage::Format_RGB32);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(background);
    return image;
}

void DrawStart(QPainter& p) {
    p.setBrush(QColor(46, 160, 67));
    p.drawEllipse(QRectF(4, 4, 32, 32));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({QPointF(16, 12), QPointF(28, 20), QPointF(16, 28)}));
}

void DrawCfg(QPainter& p) {
    p.setBrush(QColor(230, 140, 20));
    p.save();
    p.translate(20, 20);
    for (int tooth = 0; tooth < 8; ++tooth) {
        p.drawRect(QRectF(-3, -17, 6, 8));
        p.rotate(45);
    }
    p.restore();
    p.drawEllipse(QRectF(7, 7, 26, 26));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(15, 15, 10, 10));
}

void DrawUser(QPainter& p) {
    p.setBrush(QColor(40, 110, 210));
    p.drawEllipse(QRectF(13, 4, 14, 14));
    QPainterPath body;
    body.moveTo(6, 36);
    body.cubicTo(6, 18, 34, 18, 34, 36);
    body.closeSubpath();
    p.drawPath(body);
}

void DrawPrg(QPainter& p) {
    p.setBrush(QColor(120, 70, 180));
    p.drawRoundedRect(QRectF(4, 7, 32, 26), 3, 3);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7, 13, 26, 17));
    p.setBrush(QColor(120, 70, 180));
    p.drawRect(QRectF(10, 17, 12, 3));
    p.drawRect(QRectF(10, 23, 18, 3));
}

void DrawAD(QPainter& p) {
    p.setPen(QPen(QColor(0, 128, 128), 3));
    p.drawLine(QPointF(20, 12), QPointF(9, 29));
    p.drawLine(QPointF(20, 12), QPointF(31, 29));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 150, 150));
    p.drawEllipse(QRectF(13, 4, 14, 14));
    p.drawEllipse(QRectF(3, 24, 12, 12));
    p.drawEllipse(QRectF(25, 24, 12, 12));
}

void DrawGUI(QPainter& p) {
    p.setBrush(QColor(200, 50, 50));
    p.drawRoundedRect(QRectF(4, 6, 32, 22), 2, 2);
    p.drawRect(QRectF(17, 28, 6, 4));
    p.drawRect(QRectF(11, 32, 18, 3));
    p.setBrush(QColor(255, 230, 120));
    p.drawRect(QRectF(7, 9, 26, 16));
}

} // namespace

QImage Indicator(Stage stage, const QColor& background, qreal pixelRatio) {
    QImage image = Canvas(kIndicatorSize, background, pixelRatio);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    switch (stage) {
    case Stage::Start:
        DrawStart(p);
        break;
    case Stage::Cfg:
        DrawCfg(p);
        break;
    case Stage::User:
        DrawUser(p);
        break;
    case Stage::Prg:
        DrawPrg(p);
        break;
    case Stage::AD:
        DrawAD(p);
        break;
    case Stage::GUI:
        DrawGUI(p);
        break;
    }
    return image;
}

QImage Logo(qreal pixelRatio) {
    constexpr int size = 96;
    QImage image = Canvas(size, Qt::white, pixelRatio);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, size, size);
    sky.setColorAt(0, QColor(20, 70, 140));
    sky.setColorAt(1, QColor(60, 150, 210));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(4, 4, size - 8, size - 8), 14, 14);
    // A tessellation of four tiles, the product's mark.
    const QColor tiles[] = {QColor(255, 200, 60), QColor(250, 250, 250), QColor(250, 250, 250),
                            QColor(255, 120, 60)};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(tiles[i]);
        p.drawRoundedRect(QRectF(22 + (i % 2) * 28, 22 + (i / 2) * 28, 24, 24), 4, 4);
    }
    return image;
}

} // namespace SplashArt
