#include "widgets/ProgressBar.h"

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
