#pragma once

// Timing helpers of the benchmarks: each figure is the median of many runs, printed as one line
// "name milliseconds" so that scripts can compare runs.
#include <QtCore/QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace BenchKit {

struct Figure {
    double median, best;
};

// Median and best milliseconds of `runs` calls of `step` (after a few warm-up calls). The best run
// shows the cost itself on a machine busy with other work; the median is the figure to hold.
template <typename Step>
Figure measure(int runs, Step step)
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
    std::sort(ms.begin(), ms.end());
    return {ms[size_t(runs / 2)], ms.front()};
}

// Two lines: "name median" and "name_best best".
inline void report(const char* name, Figure f)
{
    std::printf("%s %.4f\n%s_best %.4f\n", name, f.median, name, f.best);
    std::fflush(stdout);
}

// Median milliseconds of `runs` calls of `step`, and the plain "name milliseconds" line.
template <typename Step>
double medianMs(int runs, Step step)
{
    return measure(runs, step).median;
}

inline void report(const char* name, double ms)
{
    std::printf("%s %.4f\n", name, ms);
    std::fflush(stdout);
}

}  // namespace BenchKit
