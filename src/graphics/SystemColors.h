#pragma once

#include <QRgb>

// Colours as the original platform stores them: 0x00BBGGRR (red in the low byte).
using ColorRef = qint32;

// The number of the platform's system colours (COLOR_SCROLLBAR 0 to COLOR_INFOBK 24).
constexpr int kSystemColorCount = 25;

// The current colour of system colour `index` (COLOR_WINDOW = 5 is the window background),
// taken from the application's palette. Black for an index outside 0..24.
ColorRef GetSysColor(int index);

ColorRef ToColorRef(QRgb rgb);
// The opaque colour of the low three bytes; the high byte is ignored.
QRgb FromColorRef(ColorRef color);
