#include "app/FontWarmUp.h"

#include <QFontDatabase>
#include <fontconfig/fontconfig.h>

FontWarmUp::FontWarmUp()
    : mWorker([this](const std::stop_token& stop) {
          // Reads fontconfig's configuration and font caches into its process-wide state, which
          // Qt's font database then finds ready.
          FcInit();
          {
              std::unique_lock lock(mMutex);
              if (!mApplicationReady.wait(lock, stop, [this] { return mFill; }))
                  return;
          }
          // Every QFontDatabase function locks the database and fills it on first use.
          QFontDatabase::families();
      }) {}

void FontWarmUp::FillFontDatabase() {
    {
        const std::lock_guard lock(mMutex);
        mFill = true;
    }
    mApplicationReady.notify_one();
}

void FontWarmUp::Finish() {
    if (!mWorker.joinable())
        return;
    mWorker.request_stop();
    mWorker.join();
}
