#pragma once

// Windows built on a plain QWidget (the main window, the properties, folder contents and report
// preview windows) report the role of a window, a "frame" to AT-SPI: Qt gives a plain widget
// the role of a client area, a "filler", which screen readers do not announce as a window.
// Installed once, before the first window is made.
namespace AccessibleRoles {
void Install();
} // namespace AccessibleRoles
