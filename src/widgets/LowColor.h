#pragma once

class QWidget;

// The 256-colour setting every window applies on load when the display runs at 8 bits per
// pixel: the window's "GradientLevel" property becomes 0, and the program's painting code
// draws flat colours instead of gradients and smooth scaling for such a window.
void ApplyLowColor(QWidget* window);
bool IsLowColorWindow(const QWidget* window);
