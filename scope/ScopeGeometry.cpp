#include "scope/ScopeGeometry.h"

#include <algorithm>
#include <cmath>

namespace ScopeGeometry {

int windowStart(int windowEnd, int s, double spp) { return static_cast<int>(windowEnd - s * spp); }

Strips strips(int layout, int H, int n)
{
    Strips r;
    int E = H - 98;
    if (layout == 2) E = (H - 98) / 4;
    else if (layout == 3 && n > 0) E = (H - 98) / n;
    r.G = E + 40;
    r.E = std::max(E, 1);
    return r;
}

int fourStripBaseline(int I, int E, int previous)
{
    switch (I) {
        case 2:
        case 3: return 2 * E + 40;
        case 4:
        case 5: return 3 * E + 40;
        case 6:
        case 7: return 4 * E + 40;
        default: return previous;
    }
}

int overviewSample(int count, int w, int s)
{
    return s > 0 ? static_cast<int>(static_cast<int64_t>(count) * w / s) : 0;
}

int markerLeft(int s, int windowStart, int count)
{
    return count > 0 ? static_cast<int>(static_cast<double>(s) * std::max(windowStart, 0) / count + 9) : 9;
}

int markerRight(int s, int windowEnd, int count)
{
    return count > 0 ? static_cast<int>(static_cast<int64_t>(s) * windowEnd / count) + 11 : 11;
}

int overviewClickSample(int x, int count, int W)
{
    const int s = traceWidth(W);
    return s > 0 ? static_cast<int>(static_cast<int64_t>(x - 10) * count / s) : 0;
}

int windowEndAfterClick(int b, int windowStart, int windowEnd, int count)
{
    int end = b;
    if (windowStart >= 0) {
        const int h = (windowEnd - windowStart) / 2;
        end = b < h ? 2 * h : b + h;
    }
    return std::min(end, count);
}

int cursorSample(int x, double spp, int windowStart) { return static_cast<int>((x - 10) * spp) + windowStart; }

void columnSamples(int K, double spp, int& first, int& end)
{
    first = static_cast<int>(K * spp);
    end = static_cast<int>(std::ceil(spp + K * spp));
}

int nextColumn(int K, double spp)
{
    if (spp < 1) K = static_cast<int>(K + 1 / spp - 1);
    return K + 1;
}

std::vector<int> spreadLabels(const std::vector<int>& ys, int lineHeight, int top, int bottom)
{
    std::vector<size_t> order(ys.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return ys[a] < ys[b]; });
    std::vector<int> out = ys;
    for (int& y : out) y = std::max(y, top);
    for (size_t k = 1; k < order.size(); ++k) out[order[k]] = std::max(out[order[k]], out[order[k - 1]] + lineHeight);
    for (size_t k = order.size(); k-- > 0;) {
        const int limit = k + 1 < order.size() ? out[order[k + 1]] - lineHeight : bottom;
        out[order[k]] = std::max(top, std::min(out[order[k]], limit));
    }
    return out;
}

}  // namespace ScopeGeometry
