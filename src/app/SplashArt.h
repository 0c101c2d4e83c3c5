#pragma once

#include <QImage>

// The coloured artwork of the splash window, drawn at run time at the screen's pixel ratio.
namespace SplashArt {

enum class Stage { Start, Cfg, User, Prg, AD, GUI };

// One stage indicator, opaque on the window's background colour.
QImage Indicator(Stage stage, const QColor& background, qreal pixelRatio);
// The designed logo shown when the theme has none.
QImage Logo(qreal pixelRatio);

} // namespace SplashArt
