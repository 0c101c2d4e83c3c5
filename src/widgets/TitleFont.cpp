#include "widgets/TitleFont.h"

#include <QFontDatabase>
#include <QGuiApplication>

QFont TitleFont(int pointSize) {
    const QString family = QStringLiteral("Verdana");
    QFont font = QFontDatabase::families().contains(family, Qt::CaseInsensitive)
                     ? QFont(family)
                     : QGuiApplication::font();
    font.setPointSize(pointSize);
    font.setBold(true);
    return font;
}
