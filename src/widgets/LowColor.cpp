#include "widgets/LowColor.h"

#include <QWidget>

void ApplyLowColor(QWidget* window) {
    window->setProperty("GradientLevel", 0);
}

bool IsLowColorWindow(const QWidget* window) {
    const QVariant level = window->window()->property("GradientLevel");
    return level.isValid() && level.toInt() == 0;
}
