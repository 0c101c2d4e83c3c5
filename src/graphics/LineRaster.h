#pragma once

#include <QImage>
#include <QPoint>

// Draws a one-pixel line from `from` to `to` the way the original platform's LineTo does: one
// pixel per step along the longer axis, the end pixel left out (a line that starts where the
// previous one ended does not paint that pixel twice), and where a line passes exactly halfway
// between two pixels the one with the smaller coordinate is painted, as Qt's raster engine
// does. Every pixel is a pure function of its offset from `from` and the line's direction, so
// two parallel lines one pixel apart paint neighbouring pixels and leave no gap.
// Pixels outside the image are skipped; `image` must be a 32-bit format.
void RasterLine(QImage& image, QPoint from, QPoint to, QRgb colour);
