#include "resources/PictureBox.h"

#include <QPaintEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget* parent)
    : QFrame(parent), mBackColor(palette().color(QPalette::Button)) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setMinimumSize(64, 64);
    FitCanvas();
}

void PictureBox::SetBackColor(const QColor& color) {
    mBackColor = color;
    update();
}

void PictureBox::SetPicture(const std::optional<StdPicture>& picture) {
    mPicture = picture;
    Cls();
}

void PictureBox::Cls() {
    mCanvas.fill(Qt::transparent);
    mPrinted.clear();
    CurrentX = 0;
    CurrentY = 0;
    update();
}

void PictureBox::FitCanvas() {
    // The drawing grows with the box and keeps what was drawn; it never shrinks, so that a
    // box made smaller and larger again still shows its drawing.
    const QSize inner = contentsRect().size().expandedTo(mCanvas.size()).expandedTo(QSize(1, 1));
    if (inner == mCanvas.size())
        return;
    QImage canvas(inner, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    if (!mCanvas.isNull()) {
        QPainter p(&canvas);
        p.drawImage(0, 0, mCanvas);
    }
    mCanvas = canvas;
}

void PictureBox::PaintPicture(const QImage& image, int x, int y) {
    QPainter p(&mCanvas);
    p.drawImage(QPointF(x, y), image);
    update();
}

void PictureBox::Print(const QString& line) {
    QPainter p(&mCanvas);
    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics metrics(font());
    p.drawText(QPoint(CurrentX, CurrentY + metrics.ascent()), line);
    mPrinted.append(line);
    CurrentX = 0;
    CurrentY += metrics.lineSpacing();
    update();
}

QImage PictureBox::Image() const {
    const QSize inner = contentsRect().size().expandedTo(QSize(1, 1));
    QImage image(inner, QImage::Format_RGB32);
    image.fill(mBackColor);
    QPainter p(&image);
    if (mPicture)
        p.drawImage(QPointF(0, 0), mPicture->image);
    p.drawImage(0, 0, mCanvas);
    return image;
}

QImage PictureBox::PictureBitmap() const {
    if (!mPicture || mPicture->image.isNull())
        return {};
    QImage bitmap(mPicture->image.size(), QImage::Format_RGB32);
    bitmap.fill(mBackColor);
    QPainter p(&bitmap);
    p.drawImage(0, 0, mPicture->image);
    return bitmap;
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter p(this);
    const QRect inner = contentsRect();
    p.setClipRect(inner);
    p.fillRect(inner, mBackColor);
    if (mPicture)
        p.drawImage(inner.topLeft(), mPicture->image);
    p.drawImage(inner.topLeft(), mCanvas);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    FitCanvas();
}
