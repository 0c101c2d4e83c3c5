#pragma once

#include <QString>

class QWidget;

// <build dir>/gallery, made if missing: the build folder CTest names, else the current folder.
QString GalleryDir();

// Renders a window to GalleryDir()/<name>.png so a person can look at it without a display.
// Returns the file written, or an empty string when it could not be written.
QString SaveToGallery(QWidget* window, const QString& name);
