#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// Ends a server connection whose statement waits longer than a limit. A frozen server (its
// processes stopped, or a host whose kernel still acknowledges while the server hangs)
// answers neither the statement nor its own statement timeout, and the client library waits
// for it without end. Past the limit, a second thread shuts the connection's socket down: the
// blocked read returns, and the caller reports the lost connection and opens a new one next
// time.
class StatementWatchdog {
public:
    explicit StatementWatchdog(std::chrono::milliseconds limit) : mLimit(limit) {}
    ~StatementWatchdog();
    StatementWatchdog(const StatementWatchdog&) = delete;
    StatementWatchdog& operator=(const StatementWatchdog&) = delete;

    // Starts watching `socket` (nothing when it is negative); nested calls keep the first
    // deadline and watch the newest socket.
    void Arm(int socket);
    void Disarm();
    // Whether the watchdog ended the connection since the last outermost Arm.
    bool Fired() const;
    std::chrono::milliseconds Limit() const { return mLimit; }

private:
    void Watch();

    const std::chrono::milliseconds mLimit;
    mutable std::mutex mMutex;
    std::condition_variable mChanged;
    std::thread mThread; // started on the first Arm
    int mDepth = 0;
    int mSocket = -1;
    unsigned mRound = 0; // which Arm the deadline belongs to
    std::chrono::steady_clock::time_point mDeadline;
    bool mFired = false;
    bool mStop = false;
};

// Watches the statements of one scope.
class WatchedStatement {
public:
    WatchedStatement(StatementWatchdog* watchdog, int socket) : mWatchdog(watchdog) {
        if (mWatchdog)
            mWatchdog->Arm(socket);
    }
    ~WatchedStatement() {
        if (mWatchdog)
            mWatchdog->Disarm();
    }
    WatchedStatement(const WatchedStatement&) = delete;
    WatchedStatement& operator=(const WatchedStatement&) = delete;

private:
    StatementWatchdog* mWatchdog;
};
