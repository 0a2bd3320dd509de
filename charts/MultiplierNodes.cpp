#include "charts/MultiplierNodes.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace MultiplierNodes {

namespace {

// One pass of the sort: swaps the first pair out of order (i < j, slots 1..25) and says whether
// it found one.
bool swapFirstOutOfOrder(Nodes& n)
{
    for (int i = 1; i < kEnd; ++i)
        for (int j = i + 1; j <= kEnd; ++j)
            if (n.slots[j] < n.slots[i]) {
                std::swap(n.slots[i], n.slots[j]);
                if (n.selected == i) n.selected = j;
                else if (n.selected == j) n.selected = i;
                return true;
            }
    return false;
}

bool positionTaken(const Nodes& n, int position)
{
    for (int k = 1; k < kSlots; ++k)
        if (n.slots[k] == position) return true;
    return false;
}

}  // namespace

void Normalise(Nodes& n)
{
    n.slots[0] = 0;
    n.slots[kEnd] = uint8_t(n.max);
    for (int k = 1; k < kSlots; ++k)
        if (n.slots[k] > n.max) n.slots[k] = uint8_t(n.max);
    // Every step either moves a node up (bounded by the maximum) or resolves a tie for good, so
    // this ends.
    for (;;) {
        while (swapFirstOutOfOrder(n)) {
        }
        int k = 0;
        while (k < kEnd && !(n.slots[k] != 0 && n.slots[k] == n.slots[k + 1])) ++k;
        if (k == kEnd) return;
        const int p = n.slots[k];
        if (k + 1 < kEnd && p + 1 < n.max) {
            n.slots[k] = uint8_t(p + 1);
            continue;
        }
        // At the end of the axis: the user node of the pair goes down to the nearest free place.
        const int user = k + 1 < kEnd ? k + 1 : k;
        int q = p - 1;
        while (q >= 1 && positionTaken(n, q)) --q;
        n.slots[user] = uint8_t(q >= 1 ? q : 0);
        if (q < 1 && n.selected == user) n.selected = -1;
    }
}

Outcome Next(Nodes& n)
{
    if (n.selected > 24) return Outcome::Beep;
    for (int k = std::max(n.selected, -1) + 1; k < kSlots; ++k)
        if (n.occupied(k)) {
            n.selected = k;
            break;
        }
    return Outcome::Render;
}

Outcome Previous(Nodes& n)
{
    if (n.selected <= 0) return Outcome::Beep;
    for (int k = n.selected - 1; k >= 0; --k)
        if (n.occupied(k)) {
            n.selected = k;
            break;
        }
    return Outcome::Render;
}

Outcome First(Nodes& n)
{
    n.selected = 0;
    return Outcome::Render;
}

Outcome Last(Nodes& n)
{
    n.selected = kEnd;
    return Outcome::Render;
}

Outcome Left(Nodes& n)
{
    const int s = n.selected;
    if (s >= 1 && s <= 24 && n.slots[s] != 0) {
        const int target = n.slots[s] - 1;
        for (int k = 0; k < kSlots; ++k)
            if (k != s && n.occupied(k) && n.slots[k] == target) {
                n.selected = k;
                return Outcome::Recompute;
            }
        n.slots[s] = uint8_t(target);
        return Outcome::Recompute;
    }
    if (s == kEnd) {
        n.selected = 24;
        return Outcome::Render;
    }
    return Outcome::Nothing;
}

Outcome Right(Nodes& n)
{
    const int s = n.selected;
    if (s >= 1 && s <= 24 && n.slots[s] != 0) {
        const int target = n.slots[s] + 1;
        // From the end node downward: a node next to the end selects the end node.
        for (int k = kEnd; k >= 0; --k)
            if (k != s && n.occupied(k) && n.slots[k] == target) {
                n.selected = k;
                return Outcome::Recompute;
            }
        if (target >= n.max) {
            n.selected = kEnd;
            return Outcome::Recompute;
        }
        n.slots[s] = uint8_t(target);
        return Outcome::Recompute;
    }
    if (s == 0) {
        for (int k = 1; k < kSlots; ++k)
            if (n.slots[k] != 0) {
                n.selected = k;
                break;
            }
        return Outcome::Render;
    }
    return Outcome::Nothing;
}

Outcome Insert(Nodes& n)
{
    int empty = -1;
    for (int k = 1; k <= 24 && empty < 0; ++k)
        if (n.slots[k] == 0) empty = k;
    if (empty < 0) return Outcome::Beep;
    if (n.selected < 0 || n.selected >= kSlots) return Outcome::Nothing;
    const int p = n.slots[n.selected];
    if (p >= n.max - 10) return Outcome::Nothing;
    n.slots[empty] = uint8_t(p + 10);
    n.selected = empty;
    return Outcome::Recompute;
}

Outcome Delete(Nodes& n)
{
    const int s = n.selected;
    if (s < 1 || s > 24 || n.slots[s] == 0) return Outcome::Beep;
    n.slots[s] = 0;
    for (int k = s - 1; k >= 0; --k)
        if (n.occupied(k)) {
            n.selected = k;
            break;
        }
    return Outcome::Recompute;
}

Outcome AddAt(Nodes& n, int t)
{
    if (t < 1 || t >= n.max) return Outcome::Beep;
    for (int k = 1; k <= 24; ++k)
        if (n.slots[k] == 0) {
            n.slots[k] = uint8_t(t);
            n.selected = k;
            return Outcome::Recompute;
        }
    return Outcome::Beep;
}

Outcome ChangeValue(Nodes& n, int delta, bool wide)
{
    const int lo = lowerLimit(wide), hi = upperLimit(wide);
    const auto change = [&](int k) {
        uint8_t& v = n.table[n.slots[k]];
        v = uint8_t(std::clamp(int(v) + delta, lo, hi));
    };
    if (n.selected >= 0 && n.selected < kSlots) change(n.selected);
    else
        for (int k = 0; k < kSlots; ++k)
            if (n.occupied(k)) change(k);
    return Outcome::Recompute;
}

int Pick(const Nodes& n, int t, int v, int offset)
{
    int best = -1;
    for (int k = 0; k < kSlots; ++k) {
        if (!n.occupied(k)) continue;
        if (best < 0 || std::abs(n.slots[k] - t) < std::abs(n.slots[best] - t)) best = k;
    }
    if (best < 0) return -1;
    const int value = n.table[n.slots[best]] + offset;
    if (std::abs(n.slots[best] - t) <= 4 && std::abs(value - v) <= 4) return best;
    return -1;
}

}  // namespace MultiplierNodes
