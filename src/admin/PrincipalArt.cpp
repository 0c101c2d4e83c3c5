#include "admin/PrincipalArt.h"

#include "widgets/ImageList.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// A head and shoulders on a 32 x 32 canvas.
void Person(QPainter& p, QPointF head, qreal scale, const QColor& body) {
    p.setPen(QPen(QColor(30, 40, 60), 1.2));
    p.setBrush(body);
    QPainterPath torso;
    torso.moveTo(head.x() - 9 * scale, head.y() + 19 * scale);
    torso.cubicTo(head.x() - 9 * scale, head.y() + 8 * scale, head.x() + 9 * scale,
                  head.y() + 8 * scale, head.x() + 9 * scale, head.y() + 19 * scale);
    torso.closeSubpath();
    p.drawPath(torso);
    p.setBrush(QColor(240, 200, 120));
    p.drawEllipse(head, 5 * scale, 5 * scale);
}

QIcon Draw(bool group) {
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        if (group) {
            Person(p, {21, 8}, 0.9, QColor(60, 150, 90));
            Person(p, {11, 11}, 0.95, QColor(40, 110, 190));
        } else {
            Person(p, {16, 9}, 1.15, QColor(40, 110, 190));
        }
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

namespace PrincipalArt {

void FillPrincipalImages(ImageList& images) {
    images.Clear();
    images.Add(Draw(false));
    images.Add(Draw(true));
}

} // namespace PrincipalArt
