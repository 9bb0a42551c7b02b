// Timing for the calendar's benchmarks: a step run several times, its median and 95th percentile
// in milliseconds.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Ms(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

struct Figures {
    double median, p95;
};

template <class F> Figures Measure(int runs, F f) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        auto t0 = Clock::now();
        f(i);
        t.push_back(Ms(t0));
    }
    std::sort(t.begin(), t.end());
    return {t[t.size() / 2], t[std::min(t.size() - 1, t.size() * 95 / 100)]};
}

} // namespace bench
