#pragma once

#include <QString>

class QWidget;

// Renders a window to <build dir>/gallery/<name>.png so a person can look at it without a
// display. Returns the file written, or an empty string when it could not be written.
QString SaveToGallery(QWidget* window, const QString& name);
