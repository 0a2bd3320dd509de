#pragma once

// Timing helpers of the benchmarks: each figure is the median of many runs, printed as one line
// "name milliseconds" so that scripts can compare runs.
#include <QtCore/QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace BenchKit {

// Median milliseconds of `runs` calls of `step` (after a few warm-up calls).
template <typename Step>
double medianMs(int runs, Step step)
{
    for (int i = 0; i < 3; ++i) step(i);
    std::vector<double> ms;
    ms.reserve(size_t(runs));
    QElapsedTimer t;
    for (int i = 0; i < runs; ++i) {
        t.start();
        step(i);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::nth_element(ms.begin(), ms.begin() + runs / 2, ms.end());
    return ms[size_t(runs / 2)];
}

inline void report(const char* name, double ms) { std::printf("%s %.4f\n", name, ms); }

}  // namespace BenchKit
