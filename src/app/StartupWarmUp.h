#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

// Does, on a second thread, the process-wide work the start-up would otherwise wait for on its
// one UI thread: the fonts first, then the system's account lookups.
//
// Fonts: the first text measured (the splash's) needs Qt's font database, and filling it, which
// has fontconfig read its configuration and scan every installed font, takes longer than
// opening the catalogue. fontconfig's own set-up, most of the fill, needs no application object,
// so it starts at construction, before the QApplication exists; on X11 it then runs while the
// application waits for the display server. Qt's part starts with FillFontDatabase(), once the
// application object exists, and must end before that object does: Finish() waits for it. The
// splash waits, inside Qt, for whatever is not done yet; on one core the two threads share it
// and next to nothing is lost.
//
// Accounts: the first lookup of a user's groups has the C library load the name-service modules
// of /etc/nsswitch.conf (the systemd one on a plain Debian, sssd or winbind on a domain member).
// Looking up the user's own groups here, and dropping the answer, has them loaded by the time the
// start-up asks who the user is and whether he administers the launcher.
class StartupWarmUp {
public:
    StartupWarmUp();
    StartupWarmUp(const StartupWarmUp&) = delete;
    StartupWarmUp& operator=(const StartupWarmUp&) = delete;

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
