#pragma once

#include <thread>

// Fills Qt's font database on a second thread while the start-up opens its settings and
// catalogue. The first text measured (the splash's) needs that database, and filling it, which
// has fontconfig scan every installed font, takes longer than opening the catalogue. The splash
// waits, inside Qt, for whatever is not done yet; on one core nothing is lost.
//
// Construct it after the QApplication and let it end before: it joins its thread on
// destruction.
class FontWarmUp {
public:
    FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

private:
    std::jthread mWorker;
};
