#include "platform/TitleFont.h"

#include <QFontDatabase>
#include <QGuiApplication>

QFont TitleFont(int pointSize, QFont::Weight weight) {
    const QString family = QStringLiteral("Verdana");
    QFont font = QFontDatabase::families().contains(family, Qt::CaseInsensitive)
                     ? QFont(family)
                     : QGuiApplication::font();
    font.setPointSize(pointSize);
    font.setWeight(weight);
    return font;
}
