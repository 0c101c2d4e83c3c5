#pragma once

#include <QElapsedTimer>
#include <algorithm>
#include <functional>

// The best of `runs` timings of `run`, in milliseconds; `untimed`, when given, runs before each
// timing outside it (to undo what a run left behind, such as a cache).
template <class F> double BestMs(int runs, F&& run, const std::function<void()>& untimed = {}) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        if (untimed)
            untimed();
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}
