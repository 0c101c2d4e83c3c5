#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

// Fills Qt's font database on a second thread while the start-up opens its settings and
// catalogue. The first text measured (the splash's) needs that database, and filling it, which
// has fontconfig read its configuration and scan every installed font, takes longer than
// opening the catalogue. The splash waits, inside Qt, for whatever is not done yet; on one core
// the two threads share it and next to nothing is lost.
//
// fontconfig's own set-up, most of the fill, needs no application object, so it starts at
// construction, before the QApplication exists; on X11 it then runs while the application
// waits for the display server. Qt's part starts with FillFontDatabase(), once the application
// object exists, and must end before that object does: Finish() waits for it.
class FontWarmUp {
public:
    FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

    void FillFontDatabase();
    void Finish();

private:
    std::mutex mMutex;
    std::condition_variable_any mApplicationReady;
    bool mFill = false;
    // Last: it runs as soon as it is constructed, and is stopped and joined first on
    // destruction, before the state it waits on goes.
    std::jthread mWorker;
};
