#pragma once

#include <QFont>
#include <QPixmap>
#include <QString>

class QPainter;
class QRect;

// The product's banner: a band from dark to light blue, with a title in white on it when one
// is given. The setup window and the program editors show it where a theme has no logo of its
// own, the support window shows the bare band, and the printed reports open with it.
void PaintProductBanner(QPainter& painter, const QRect& band, const QString& title = {},
                        const QFont& font = {}, int titleLeft = 0);

// The banner as a picture of `size` for a screen of `devicePixelRatio`, its title in the bold
// title font of `points`.
QPixmap ProductBanner(QSize size, qreal devicePixelRatio, const QString& title = {}, int points = 0,
                      int titleLeft = 0);
