#include "widgets/GlyphButton.h"

#include <QKeyEvent>

GlyphButton::GlyphButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setMinimumWidth(fontMetrics().horizontalAdvance(caption) + 32);
    setAutoDefault(false);
}

void GlyphButton::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && isEnabled()) {
        event->accept();
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}
