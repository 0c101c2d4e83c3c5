#pragma once

#include <QFont>

// The Verdana of the program's titles: regular on the splash, bold on the setup and
// administration banners. Where Verdana is not installed the application's own family stands
// in: a family that is missing has Qt ask fontconfig to rank every installed font for a
// substitute, about a millisecond of the start-up, only to land on the desktop's sans-serif
// family all the same.
QFont TitleFont(int pointSize, QFont::Weight weight = QFont::Bold);
