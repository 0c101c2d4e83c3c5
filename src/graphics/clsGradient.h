#pragma once

#include "graphics/SystemColors.h"

#include <QList>
#include <QPoint>

class Prompt;
class QImage;
class QPixmap;
class QWidget;

// Paints a linear two-colour gradient at any angle over a whole surface, as a sweep of
// one-pixel lines across the gradient direction, each in one colour of a ramp from Color1 to
// Color2. The lines are rasterised as the original platform draws them (see RasterLine) into
// an image that is then painted onto the surface, so neighbouring sloped lines leave no gap.
// Failures are shown through `prompt` and the drawing reports False (or 0).
class clsGradient {
public:
    explicit clsGradient(Prompt& prompt);

    // Paints the gradient over the surface: a widget keeps it as its background, an image or
    // pixmap is painted over. True when at least one line was drawn; a surface 1 pixel wide
    // or high, or smaller, is left alone and gives False.
    bool Draw(QWidget& surface);
    bool Draw(QImage& surface);
    bool Draw(QPixmap& surface);

    // Fills `ramp` with `steps` colours (at least 2) from `color1` to `color2` and returns
    // their number.
    long BlendColors(ColorRef color1, ColorRef color2, long steps, QList<ColorRef>& ramp) const;

    // A value with the high bit set and a number below 25 in the other bits names a system
    // colour, stored as its current colour; any other value is stored as it is.
    void SetColor1(qint32 value);
    ColorRef Color1() const { return mColor1; }
    void SetColor2(qint32 value);
    ColorRef Color2() const { return mColor2; }
    // Degrees, counter-clockwise on screen (0 runs left to right, 90 bottom to top), kept in
    // [0, 360). A value that is not a number keeps the angle as it was.
    void SetAngle(float value);
    float Angle() const { return mAngle; }

    // The sweep of a width x height surface: entries 2k and 2k+1 are the ends of line k.
    QList<QPoint> SweepPoints(long width, long height) const;

private:
    friend class tst_gradient;
    struct PointF {
        float X = 0;
        float Y = 0;
    };

    // Draws the sweep onto `device`; the number of line ends consumed, 0 when none was drawn.
    long DrawGradient(QImage& device, long width, long height);
    static void RotatePoint(const PointF& centre, PointF& point, double angle);
    static double SafeDiv(double a, double b);
    static ColorRef Resolve(qint32 value);

    Prompt& mPrompt;
    ColorRef mColor1 = 0xFFFFD0;
    ColorRef mColor2 = 0x400000;
    float mAngle = 315;
};
