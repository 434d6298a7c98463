// Wall-clock timing and the statistic the table reports.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace bench {

inline double now_ms() {
    static const double ticks_per_ms = [] {
        LARGE_INTEGER frequency{};
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER ticks{};
    ::QueryPerformanceCounter(&ticks);
    return static_cast<double>(ticks.QuadPart) / ticks_per_ms;
}

inline double median(std::vector<double> samples) {
    if (samples.empty()) {
        return 0.0;
    }
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    return samples.size() % 2 == 1 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2.0;
}

}  // namespace bench
