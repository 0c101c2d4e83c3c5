#include "platform/DisplayInfo.h"

#include <QGuiApplication>
#include <QScreen>

void ScreenDisplay::GetScreenInfo(long& width, long& height, long& bitsPerPixel) {
    width = height = bitsPerPixel = 0;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect geometry = screen->geometry();
    width = geometry.right() + 1;
    height = geometry.bottom() + 1;
    bitsPerPixel = screen->depth();
}
