#include "platform/ProductBanner.h"

#include "platform/TitleFont.h"

#include <QLinearGradient>
#include <QPainter>

void PaintProductBanner(QPainter& painter, const QRect& band, const QString& title,
                        const QFont& font, int titleLeft) {
    QLinearGradient colours(band.left(), 0, band.right() + 1, 0);
    colours.setColorAt(0, QColor(20, 70, 140));
    colours.setColorAt(1, QColor(60, 150, 210));
    painter.fillRect(band, colours);
    if (title.isEmpty())
        return;
    painter.setPen(Qt::white);
    painter.setFont(font);
    painter.drawText(band.adjusted(titleLeft, 0, -titleLeft / 2, 0), Qt::AlignVCenter, title);
}

QPixmap ProductBanner(QSize size, qreal devicePixelRatio, const QString& title, int points,
                      int titleLeft) {
    QPixmap banner(size * devicePixelRatio);
    banner.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&banner);
    PaintProductBanner(painter, QRect(QPoint(0, 0), size), title,
                       title.isEmpty() ? QFont() : TitleFont(points), titleLeft);
    return banner;
}
