#include "catalogue/StatementWatchdog.h"

#include <sys/socket.h>

StatementWatchdog::~StatementWatchdog() {
    {
        std::lock_guard lock(mMutex);
        mStop = true;
    }
    mChanged.notify_all();
    if (mThread.joinable())
        mThread.join();
}

void StatementWatchdog::Arm(int socket) {
    std::lock_guard lock(mMutex);
    if (mDepth++ > 0) {
        if (socket >= 0)
            mSocket = socket; // a connection opened again within the watched call
        return;
    }
    mSocket = socket;
    mFired = false;
    ++mRound;
    mDeadline = std::chrono::steady_clock::now() + mLimit;
    if (!mThread.joinable())
        mThread = std::thread([this] { Watch(); });
    mChanged.notify_all();
}

void StatementWatchdog::Disarm() {
    std::lock_guard lock(mMutex);
    if (mDepth > 0 && --mDepth == 0) {
        mSocket = -1;
        mChanged.notify_all();
    }
}

bool StatementWatchdog::Fired() const {
    std::lock_guard lock(mMutex);
    return mFired;
}

void StatementWatchdog::Watch() {
    std::unique_lock lock(mMutex);
    while (!mStop) {
        if (mSocket < 0) {
            mChanged.wait(lock);
            continue;
        }
        const unsigned round = mRound;
        if (mChanged.wait_until(lock, mDeadline,
                                [&] { return mStop || mSocket < 0 || mRound != round; }))
            continue;
        // Still the same statement, past its limit.
        shutdown(mSocket, SHUT_RDWR);
        mFired = true;
        mSocket = -1;
    }
}
