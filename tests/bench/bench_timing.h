#pragma once
// The median time of a few runs of a piece of work, in milliseconds.
#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace qmo::bench {

inline double MedianMs(int runs, const std::function<void()>& body) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        body();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace qmo::bench
