#pragma once

#include <QFont>

// The bold Verdana of the program's titles (the splash, the setup and administration
// banners). Where Verdana is not installed the application's own family stands in: a family
// that is missing has Qt ask fontconfig to rank every installed font for a substitute, about a
// millisecond of the start-up, only to land on the desktop's sans-serif family all the same.
QFont TitleFont(int pointSize);
