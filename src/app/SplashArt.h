#pragma once

#include <QImage>
#include <QString>

// The splash window's pictures, from the desktop's icon theme, at the screen's pixel ratio.
namespace SplashArt {

enum class Stage { Start, Cfg, User, Prg, AD, GUI };

QString IconName(Stage stage);
// One stage indicator, opaque on the window's background colour.
QImage Indicator(Stage stage, const QColor& background, qreal pixelRatio);
// The designed logo shown when the theme has none.
QImage Logo(qreal pixelRatio);

} // namespace SplashArt
