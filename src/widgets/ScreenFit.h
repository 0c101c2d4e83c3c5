#pragma once

#include <QMargins>
#include <QRect>

class QWidget;

// Every window opens inside the available area of its screen (the screen less its panels),
// whatever the screen's size and scale: a window larger than that area is shrunk to it (down
// to its minimum size), and one that would stand partly off it is moved in. At 200 % on a
// 1280 x 900 screen a window has 640 x 450 pixels to itself.
namespace ScreenFit {

enum class Placement {
    // Where Qt or the window system puts it (a dialog over its owner), moved in when needed.
    AsIs,
    // Centred on the available area of its screen, each time it opens.
    CentredOnScreen,
};

// The room a window's frame takes around its contents, until the window system tells.
inline constexpr QMargins kFrameAllowance(6, 32, 6, 6);

// `frame` (a window's outer rectangle) moved, and shrunk when it must, to lie within
// `available`.
QRect Inside(const QRect& frame, const QRect& available);

// Fits `window` each time it is shown (see above).
void Keep(QWidget* window, Placement placement = Placement::AsIs);
// Fits `window` now: its size at most `available` less its frame, its frame inside.
void FitNow(QWidget* window, Placement placement = Placement::AsIs);

} // namespace ScreenFit
