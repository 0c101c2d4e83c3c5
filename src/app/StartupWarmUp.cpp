#include "app/StartupWarmUp.h"

#include <QFontDatabase>
#include <fontconfig/fontconfig.h>
#include <vector>

#ifndef _WIN32
#include <grp.h>
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

// The groups of the account the process runs as, looked up and dropped: only the modules the
// lookup loads are wanted.
void LoadNameServices() {
#ifndef _WIN32
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return;
    std::vector<gid_t> groups(64);
    int count = static_cast<int>(groups.size());
    getgrouplist(entry.pw_name, entry.pw_gid, groups.data(), &count);
#endif
}

} // namespace

StartupWarmUp::StartupWarmUp()
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
          if (!stop.stop_requested())
              LoadNameServices();
      }) {}

void StartupWarmUp::FillFontDatabase() {
    {
        const std::lock_guard lock(mMutex);
        mFill = true;
    }
    mApplicationReady.notify_one();
}

void StartupWarmUp::Finish() {
    if (!mWorker.joinable())
        return;
    mWorker.request_stop();
    mWorker.join();
}
