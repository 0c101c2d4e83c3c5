#include "widgets/ProgressBar.h"

#include <QPainter>
#include <algorithm>

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
    setMinimum(0);
    setTextVisible(false);
}

void ProgressBar::SetText(const QString& text) {
    mText = text;
    setTextVisible(!text.isEmpty());
    update();
}

QString ProgressBar::text() const {
    return mText;
}

void ProgressBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame);
    const qint64 span = qint64(maximum()) - minimum();
    const qint64 done = qint64(value()) - minimum();
    QRect chunk;
    if (span > 0 && done > 0) {
        chunk = frame.adjusted(1, 1, 0, 0);
        chunk.setWidth(static_cast<int>(chunk.width() * std::min(done, span) / span));
        if (layoutDirection() == Qt::RightToLeft)
            chunk.moveRight(frame.right());
        painter.fillRect(chunk, palette().color(QPalette::Highlight));
    }
    if (isTextVisible() && !mText.isEmpty()) {
        // Highlighted text over the filled part, plain text over the rest.
        painter.setClipRegion(QRegion(rect()).subtracted(chunk));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect(), Qt::AlignCenter, mText);
        painter.setClipRect(chunk);
        painter.setPen(palette().color(QPalette::HighlightedText));
        painter.drawText(rect(), Qt::AlignCenter, mText);
    }
}
