#include "launcher/MenuArt.h"

#include "widgets/ImageList.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

namespace MenuArt {
namespace {

// Every picture is drawn on a 32 x 32 canvas and scaled to the size asked for.
constexpr qreal kCanvas = 32.0;

const QColor kInk(0x33, 0x3d, 0x4d);
const QColor kBlue(0x2f, 0x6f, 0xc4);
const QColor kSky(0x8c, 0xbf, 0xf0);
const QColor kGold(0xe8, 0xb3, 0x3c);
const QColor kGreen(0x3f, 0xa3, 0x5b);
const QColor kRed(0xc8, 0x3c, 0x3c);
const QColor kPaper(0xfb, 0xfb, 0xf7);
const QColor kSteel(0x8a, 0x96, 0xa8);

QPen Outline(const QColor& color = kInk, qreal width = 1.6) {
    QPen pen(color, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void Gear(QPainter& p, QPointF centre, qreal outer, const QColor& fill) {
    QPainterPath path;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const qreal angle = M_PI * i / teeth;
        const qreal r = (i % 2 == 0) ? outer : outer * 0.74;
        const qreal a1 = angle - M_PI / (teeth * 2.6);
        const qreal a2 = angle + M_PI / (teeth * 2.6);
        const QPointF p1(centre.x() + r * qCos(a1), centre.y() + r * qSin(a1));
        const QPointF p2(centre.x() + r * qCos(a2), centre.y() + r * qSin(a2));
        if (i == 0)
            path.moveTo(p1);
        else
            path.lineTo(p1);
        path.lineTo(p2);
    }
    path.closeSubpath();
    path.addEllipse(centre, outer * 0.32, outer * 0.32);
    path.setFillRule(Qt::OddEvenFill);
    p.setPen(Outline());
    p.setBrush(fill);
    p.drawPath(path);
}

void Page(QPainter& p, const QRectF& r) {
    const qreal fold = r.width() * 0.32;
    QPainterPath page;
    page.moveTo(r.topLeft());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.bottomRight());
    page.lineTo(r.bottomLeft());
    page.closeSubpath();
    p.setPen(Outline());
    p.setBrush(kPaper);
    p.drawPath(page);
    p.drawPolyline(QPolygonF{{r.right() - fold, r.top()},
                             {r.right() - fold, r.top() + fold},
                             {r.right(), r.top() + fold}});
}

void Folder(QPainter& p) {
    p.setPen(Outline());
    p.setBrush(kGold.darker(115));
    QPainterPath back;
    back.moveTo(3, 9);
    back.lineTo(3, 6);
    back.lineTo(12, 6);
    back.lineTo(15, 9);
    back.lineTo(29, 9);
    back.lineTo(29, 26);
    back.lineTo(3, 26);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(kGold);
    QPainterPath front;
    front.moveTo(3, 26);
    front.lineTo(6, 13);
    front.lineTo(31, 13);
    front.lineTo(28, 26);
    front.closeSubpath();
    p.drawPath(front);
}

void Window(QPainter& p, const QRectF& r) {
    p.setPen(Outline());
    p.setBrush(kPaper);
    p.drawRoundedRect(r, 2, 2);
    p.setBrush(kBlue);
    p.drawRect(QRectF(r.left(), r.top(), r.width(), 5));
}

void Person(QPainter& p, QPointF head, qreal scale, const QColor& body) {
    p.setPen(Outline());
    p.setBrush(body);
    QPainterPath torso;
    torso.moveTo(head.x() - 9 * scale, head.y() + 19 * scale);
    torso.cubicTo(head.x() - 9 * scale, head.y() + 8 * scale, head.x() + 9 * scale,
                  head.y() + 8 * scale, head.x() + 9 * scale, head.y() + 19 * scale);
    torso.closeSubpath();
    p.drawPath(torso);
    p.setBrush(kGold.lighter(130));
    p.drawEllipse(head, 5 * scale, 5 * scale);
}

void Letter(QPainter& p, const QRectF& r, const QString& text, const QColor& color) {
    QFont font;
    font.setPixelSize(static_cast<int>(r.height()));
    font.setBold(true);
    p.setFont(font);
    p.setPen(color);
    p.drawText(r, Qt::AlignCenter, text);
}

void DrawItem(QPainter& p, int number) {
    switch (number) {
    case 1: { // home
        p.setPen(Outline());
        p.setBrush(kPaper);
        p.drawRect(QRectF(8, 15, 16, 13));
        p.setBrush(kRed);
        p.drawPolygon(QPolygonF{{4, 16}, {16, 4}, {28, 16}});
        p.setBrush(kBlue);
        p.drawRect(QRectF(14, 20, 5, 8));
        break;
    }
    case 2: // setup
        Gear(p, {16, 16}, 13, kSteel);
        break;
    case 3: { // views
        p.setPen(Outline());
        const QColor tiles[] = {kBlue, kGreen, kGold, kRed};
        for (int i = 0; i < 4; ++i) {
            p.setBrush(tiles[i]);
            p.drawRoundedRect(QRectF(4 + (i % 2) * 13, 4 + (i / 2) * 13, 11, 11), 2, 2);
        }
        break;
    }
    case 4: // help
        p.setPen(Outline());
        p.setBrush(kBlue);
        p.drawEllipse(QRectF(3, 3, 26, 26));
        Letter(p, QRectF(3, 4, 26, 24), QStringLiteral("?"), Qt::white);
        break;
    case 5: // information
        p.setPen(Outline());
        p.setBrush(kSky);
        p.drawEllipse(QRectF(3, 3, 26, 26));
        Letter(p, QRectF(3, 4, 26, 24), QStringLiteral("i"), kInk);
        break;
    case 6: { // web browser
        p.setPen(Outline());
        p.setBrush(kSky);
        p.drawEllipse(QRectF(3, 3, 26, 26));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(10, 3, 12, 26));
        p.drawLine(QPointF(3, 16), QPointF(29, 16));
        p.drawLine(QPointF(16, 3), QPointF(16, 29));
        p.drawLine(QPointF(6, 9), QPointF(26, 9));
        p.drawLine(QPointF(6, 23), QPointF(26, 23));
        break;
    }
    case 7: // mail
        p.setPen(Outline());
        p.setBrush(kPaper);
        p.drawRect(QRectF(3, 8, 26, 17));
        p.drawPolyline(QPolygonF{{3, 8}, {16, 18}, {29, 8}});
        break;
    case 8: // print
        p.setPen(Outline());
        p.setBrush(kPaper);
        p.drawRect(QRectF(9, 3, 14, 10));
        p.setBrush(kSteel);
        p.drawRoundedRect(QRectF(3, 11, 26, 12), 2, 2);
        p.setBrush(kPaper);
        p.drawRect(QRectF(9, 19, 14, 10));
        p.drawLine(QPointF(12, 23), QPointF(20, 23));
        p.drawLine(QPointF(12, 26), QPointF(18, 26));
        break;
    case 9: // clock
        p.setPen(Outline());
        p.setBrush(kPaper);
        p.drawEllipse(QRectF(3, 3, 26, 26));
        p.drawLine(QPointF(16, 16), QPointF(16, 8));
        p.drawLine(QPointF(16, 16), QPointF(22, 19));
        break;
    case 10: // key
        p.setPen(Outline());
        p.setBrush(kGold);
        p.drawEllipse(QRectF(3, 9, 13, 13));
        p.setPen(Outline(kInk, 3));
        p.drawLine(QPointF(15, 15.5), QPointF(29, 15.5));
        p.drawLine(QPointF(25, 15.5), QPointF(25, 21));
        p.drawLine(QPointF(21, 15.5), QPointF(21, 20));
        break;
    case 11: // account
        Person(p, {16, 9}, 1.15, kBlue);
        break;
    case 12: // computer
        p.setPen(Outline());
        p.setBrush(kSky);
        p.drawRoundedRect(QRectF(3, 4, 26, 18), 2, 2);
        p.setBrush(kSteel);
        p.drawRect(QRectF(13, 22, 6, 4));
        p.drawRect(QRectF(8, 26, 16, 3));
        break;
    case 13: { // bug report
        p.setPen(Outline());
        for (int i = 0; i < 3; ++i) {
            const qreal y = 13 + i * 5;
            p.drawLine(QPointF(9, y), QPointF(3, y - 2 + i * 2));
            p.drawLine(QPointF(23, y), QPointF(29, y - 2 + i * 2));
        }
        p.drawLine(QPointF(13, 6), QPointF(10, 2));
        p.drawLine(QPointF(19, 6), QPointF(22, 2));
        p.setBrush(kRed);
        p.drawEllipse(QRectF(8, 8, 16, 21));
        p.setBrush(kInk);
        p.drawEllipse(QRectF(11, 4, 10, 8));
        p.drawLine(QPointF(16, 12), QPointF(16, 29));
        break;
    }
    case 14: // lock
        p.setPen(Outline(kInk, 2.4));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(9, 3, 14, 16), 0, 180 * 16);
        p.drawLine(QPointF(9, 11), QPointF(9, 14));
        p.drawLine(QPointF(23, 11), QPointF(23, 14));
        p.setPen(Outline());
        p.setBrush(kGold);
        p.drawRoundedRect(QRectF(5, 14, 22, 15), 2, 2);
        break;
    case 15: { // security
        QPainterPath shield;
        shield.moveTo(16, 3);
        shield.lineTo(28, 7);
        shield.cubicTo(28, 18, 23, 25, 16, 29);
        shield.cubicTo(9, 25, 4, 18, 4, 7);
        shield.closeSubpath();
        p.setPen(Outline());
        p.setBrush(kBlue);
        p.drawPath(shield);
        p.setPen(Outline(Qt::white, 2.4));
        p.drawPolyline(QPolygonF{{10, 16}, {14.5, 20.5}, {22, 11}});
        break;
    }
    case 16: // add or remove a program
        Window(p, QRectF(2, 3, 24, 20));
        p.setPen(Outline());
        p.setBrush(kGreen);
        p.drawEllipse(QRectF(17, 17, 13, 13));
        p.setPen(Outline(Qt::white, 2.2));
        p.drawLine(QPointF(23.5, 20), QPointF(23.5, 27));
        p.drawLine(QPointF(20, 23.5), QPointF(27, 23.5));
        break;
    case 17: // folder
        Folder(p);
        break;
    case 18: { // themes
        QPainterPath palette;
        palette.addEllipse(QRectF(3, 4, 26, 24));
        palette.addEllipse(QRectF(17, 18, 6, 6));
        palette.setFillRule(Qt::OddEvenFill);
        p.setPen(Outline());
        p.setBrush(kPaper.darker(106));
        p.drawPath(palette);
        const QColor dabs[] = {kRed, kGold, kGreen, kBlue};
        const QPointF at[] = {{9, 12}, {15, 8}, {22, 10}, {9, 20}};
        for (int i = 0; i < 4; ++i) {
            p.setBrush(dabs[i]);
            p.drawEllipse(at[i], 2.8, 2.8);
        }
        break;
    }
    default:
        break;
    }
}

void DrawGroup(QPainter& p, int number) {
    switch (number) {
    case 1: { // the company
        p.setPen(Outline());
        p.setBrush(kBlue);
        p.drawPolygon(QPolygonF{{16, 2}, {30, 16}, {16, 30}, {2, 16}});
        Letter(p, QRectF(2, 5, 28, 22), QStringLiteral("B"), Qt::white);
        break;
    }
    case 2: { // the launcher
        p.setPen(Outline());
        for (int i = 0; i < 9; ++i) {
            p.setBrush(i == 4 ? kGold : kSky);
            p.drawRoundedRect(QRectF(3 + (i % 3) * 9.3, 3 + (i / 3) * 9.3, 7.5, 7.5), 1.5, 1.5);
        }
        break;
    }
    case 3: { // views
        QPainterPath eye;
        eye.moveTo(2, 16);
        eye.quadTo(16, 2, 30, 16);
        eye.quadTo(16, 30, 2, 16);
        p.setPen(Outline());
        p.setBrush(kPaper);
        p.drawPath(eye);
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(16, 16), 6, 6);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(16, 16), 2.5, 2.5);
        break;
    }
    case 4: // administration
        Gear(p, {13, 13}, 10, kSteel);
        Gear(p, {23, 23}, 7.5, kGold);
        break;
    default:
        break;
    }
}

void Draw(QPainter& p, Kind kind, int number) {
    switch (kind) {
    case Kind::Item:
        DrawItem(p, number);
        break;
    case Kind::Group:
        DrawGroup(p, number);
        break;
    case Kind::File:
        Page(p, QRectF(6, 2, 20, 28));
        p.setPen(Outline(kSteel, 1.2));
        for (int y = 13; y <= 25; y += 4)
            p.drawLine(QPointF(10, y), QPointF(22, y));
        break;
    case Kind::Folder:
        Folder(p);
        break;
    case Kind::Program:
        Window(p, QRectF(3, 5, 26, 22));
        p.setPen(Outline(kSteel, 1.4));
        for (int y = 14; y <= 22; y += 4)
            p.drawLine(QPointF(8, y), QPointF(24, y));
        break;
    }
}

class ArtEngine : public QIconEngine {
public:
    ArtEngine(Kind kind, int number) : mKind(kind), mNumber(number) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / kCanvas, rect.height() / kCanvas);
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.4);
        Draw(*painter, mKind, mNumber);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        QPixmap pixmap(size * scale);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            paint(&painter, QRect(QPoint(0, 0), pixmap.size()), mode, state);
        }
        pixmap.setDevicePixelRatio(scale);
        return pixmap;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new ArtEngine(mKind, mNumber); }
    QString key() const override { return QStringLiteral("OrvaneMenuArt"); }

private:
    Kind mKind;
    int mNumber;
};

} // namespace

QIcon Picture(Kind kind, int number) {
    return QIcon(new ArtEngine(kind, number));
}

void FillItemImages(ImageList& images) {
    images.Clear();
    for (int number = 1; number <= kItemPictures; ++number)
        images.Add(Picture(Kind::Item, number));
}

void FillGroupImages(ImageList& images) {
    images.Clear();
    for (int number = 1; number <= kGroupPictures; ++number)
        images.Add(Picture(Kind::Group, number));
}

} // namespace MenuArt
