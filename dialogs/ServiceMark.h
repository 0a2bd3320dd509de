#pragma once

#include <algorithm>

// The service reminder's mark: the gas running time, in hours, at which the next service is due.
// A distance is turned into gas running time at 50 km per hour; a started hour of more than half
// counts as a whole one.
namespace ServiceMark {

// Entries of the distance list: index i stands for (i + 1) x 1000 km.
constexpr int kDistanceCount = 25;
constexpr int kDefaultDistanceIndex = 9;  // 10000 km

// Mark in gas hours for `gasHours` driven, `gasSeconds` into the current hour and the distance list
// entry `distanceIndex`. The mark is kept in two settings bytes: a controller near the end of
// its hour counter gets the last hour the bytes hold instead of a mark that wraps round to an
// early hour (which would call for a service at once).
constexpr int mark(int gasHours, int gasSeconds, int distanceIndex)
{
    const int km = (std::clamp(distanceIndex, 0, kDistanceCount - 1) + 1) * 1000;
    const int m = gasHours + km / 50 + (gasSeconds > 1800 ? 1 : 0);
    return std::min(m, 0xFFFF);
}

}  // namespace ServiceMark
