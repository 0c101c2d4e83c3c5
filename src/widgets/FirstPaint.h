#pragma once

class QWidget;

// For timing a start from outside: once `window` has painted its first frame (its children
// too), prints "painted" on the standard output and ends the application's event loop.
void ExitAfterFirstPaint(QWidget& window);
