#include "widgets/GlyphButton.h"

GlyphButton::GlyphButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setMinimumWidth(fontMetrics().horizontalAdvance(caption) + 32);
    setAutoDefault(false);
}
