#pragma once

#include <functional>

class QWidget;

// For timing a start from outside: once `window` has painted its first frame (its children
// too), prints "painted" on the standard output and ends the application's event loop;
// `thereafter`, when given, runs between the two (it does not count in a start's time).
void ExitAfterFirstPaint(QWidget& window, std::function<void()> thereafter = {});
