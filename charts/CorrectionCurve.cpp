#include "charts/CorrectionCurve.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "link/MemoryImage.h"

namespace CorrectionCurve {

namespace {

constexpr Axis kAxes[] = {
    {2, MemoryImage::ReducerTempCorrection, 0x200, 98, 228, 1705, &SettingsReader::switchOverTemperature, false},
    {3, MemoryImage::GasTempCorrection, 0x400, 98, 228, 1706, &SettingsReader::minimumGasTemperature, false},
    {4, MemoryImage::GasPressureCorrection, 0x100, 50, 250, 1707, &SettingsReader::minimumGasPressure, true},
};

uint8_t clampY(int v) { return static_cast<uint8_t>(std::clamp(v, kYMin, kYMax)); }

void swapPoints(uint8_t* r, int a, int b)
{
    std::swap(r[2 + 2 * a], r[2 + 2 * b]);
    std::swap(r[3 + 2 * a], r[3 + 2 * b]);
}

}  // namespace

const Axis* axisOfView(int view)
{
    for (const Axis& a : kAxes)
        if (a.view == view) return &a;
    return nullptr;
}

const Axis* axisOfBlock(int block)
{
    for (const Axis& a : kAxes)
        if (a.block == block) return &a;
    return nullptr;
}

int usedCount(const uint8_t* r)
{
    int n = 0;
    for (int k = 0; k < kPoints; ++k) n += inUse(r, k) ? 1 : 0;
    return n;
}

int sortPoints(uint8_t* r, int selected)
{
    for (int i = 1; i <= 5; ++i) {
        if (!inUse(r, i)) continue;
        int j = i + 1;
        while (j <= 6 && !inUse(r, j)) ++j;
        if (j > 6 || x(r, j) >= x(r, i)) continue;
        swapPoints(r, i, j);
        if (selected == j) selected = i;
        else if (selected == i) selected = j;
        i = 0;  // start again from point 1
    }
    return selected;
}

void fillTable(uint8_t* r)
{
    int p = -1;
    for (int q = 0; q < kPoints; ++q) {
        if (!inUse(r, q)) continue;
        if (p >= 0 && x(r, q) > x(r, p)) {
            const int xp = x(r, p), xq = x(r, q), yp = y(r, p), yq = y(r, q);
            for (int m = std::max(xp, kTableStart); m <= xq; ++m) {
                const double v = yp - double(m - xp) * (yp - yq) / (xq - xp);
                r[m] = static_cast<uint8_t>(std::clamp(int(v), 0, 255));
            }
        }
        p = q;
    }
    // The ends extend only from an end point that holds a value: a free end point is (0, 0), and
    // extending from it would wipe the whole region.
    if (inUse(r, 0) && x(r, 0) != 0)
        for (int m = kTableStart; m < x(r, 0); ++m) r[m] = static_cast<uint8_t>(y(r, 0));
    if (inUse(r, 7) && x(r, 7) != 255)
        for (int m = std::max(x(r, 7), kTableStart); m <= 255; ++m) r[m] = static_cast<uint8_t>(y(r, 7));
}

int recompute(uint8_t* r, int selected)
{
    selected = sortPoints(r, selected);
    fillTable(r);
    return selected;
}

void clear(uint8_t* r, const Axis& axis)
{
    std::memset(r, 0, kTableStart);
    r[0] = static_cast<uint8_t>(axis.block);
    r[2] = static_cast<uint8_t>(axis.xLo);
    r[3] = kYZero;
    r[16] = static_cast<uint8_t>(axis.xHi);
    r[17] = kYZero;
    recompute(r, -1);
}

Edit nextPoint(const uint8_t* r, int& selected)
{
    if (selected > 6) return Edit::Beep;
    for (int k = selected + 1; k < kPoints; ++k)
        if (inUse(r, k)) {
            selected = k;
            break;
        }
    return Edit::Render;
}

Edit previousPoint(const uint8_t* r, int& selected)
{
    if (selected <= 0) return Edit::Beep;
    for (int k = selected - 1; k >= 0; --k)
        if (inUse(r, k)) {
            selected = k;
            break;
        }
    return Edit::Render;
}

Edit raise(uint8_t* r, int selected, int delta)
{
    if (selected >= 0) {
        if (!inUse(r, selected)) return Edit::None;
        r[3 + 2 * selected] = clampY(y(r, selected) + delta);
        return Edit::Recompute;
    }
    for (int k = 0; k < kPoints; ++k)
        if (inUse(r, k)) r[3 + 2 * k] = clampY(y(r, k) + delta);
    return Edit::Recompute;
}

Edit moveLeft(uint8_t* r, const Axis& axis, int& selected)
{
    if (selected < 1 || selected > 6 || x(r, selected) <= axis.xLo) return Edit::Beep;
    const int target = x(r, selected) - 1;
    for (int k = 0; k < selected; ++k)
        if (inUse(r, k) && x(r, k) == target) {
            selected = k;
            return Edit::Render;
        }
    r[2 + 2 * selected] = static_cast<uint8_t>(target);
    return Edit::Recompute;
}

Edit moveRight(uint8_t* r, const Axis& axis, int& selected)
{
    if (selected < 1 || selected > 6 || x(r, selected) > axis.xHi) return Edit::Beep;
    const int target = x(r, selected) + 1;
    for (int k = 7; k > selected; --k)
        if (inUse(r, k) && x(r, k) == target) {
            selected = k;
            return Edit::Render;
        }
    if (target > 255) return Edit::Beep;
    r[2 + 2 * selected] = static_cast<uint8_t>(target);
    return Edit::Recompute;
}

Edit insertPoint(uint8_t* r, int& selected)
{
    int j = 1;
    while (j < kPoints && inUse(r, j)) ++j;
    if (j >= 7) return Edit::Beep;
    int i = j + 1;
    while (i < kPoints && !inUse(r, i)) ++i;
    if (i >= kPoints) return Edit::Beep;  // no point in use above the gap: nothing to halve
    const int xj = (x(r, j - 1) + x(r, i)) / 2;
    r[2 + 2 * j] = static_cast<uint8_t>(xj);
    r[3 + 2 * j] = clampY(r[xj]);
    selected = j;
    return Edit::Recompute;
}

Edit deletePoint(uint8_t* r, int& selected)
{
    if (selected < 1 || selected > 6) return Edit::Beep;
    r[2 + 2 * selected] = 0;
    r[3 + 2 * selected] = 0;
    int k = selected - 1;
    while (k >= 0 && !inUse(r, k)) --k;
    selected = k;
    return Edit::Recompute;
}

Edit addPointAt(uint8_t* r, int t, int& selected)
{
    t = std::clamp(t, 0, 255);
    for (int k = 1; k < kPoints; ++k) {
        if (inUse(r, k)) continue;
        r[2 + 2 * k] = static_cast<uint8_t>(t);
        // A table value outside -50..+50 % (or the 0 of a region's header) would make a point the
        // view cannot hold, or a free one.
        r[3 + 2 * k] = clampY(r[t]);
        selected = k;
        return Edit::Recompute;
    }
    return Edit::None;
}

int pointNear(const uint8_t* r, int t, int v)
{
    int best = -1;
    for (int k = 0; k < kPoints; ++k) {
        if (!inUse(r, k)) continue;
        if (best < 0 || std::abs(x(r, k) - t) < std::abs(x(r, best) - t)) best = k;
    }
    if (best < 0 || std::abs(x(r, best) - t) > 4 || std::abs(y(r, best) - v) > 4) return -1;
    return best;
}

bool contains(const Plot& p, int px, int py)
{
    return p.usable() && px >= p.left && px <= p.right() && py >= p.top() && py <= p.bottom;
}

int xToPixel(const Plot& p, const Axis& a, int x) { return (x - a.xLo) * p.width / a.range() + p.left + 1; }

int yToPixel(const Plot& p, int y) { return int(std::trunc(p.bottom - double(p.height) * (y - kYMin) / 128.0 + 1)); }

int pixelToX(const Plot& p, const Axis& a, int px)
{
    return p.width < 1 ? a.xLo : (px - p.left) * a.range() / p.width + a.xLo;
}

int pixelToY(const Plot& p, int py) { return p.height < 1 ? kYMin : ((p.bottom - py) * 128) / p.height + kYMin; }

int cursorPixel(const Plot& p, const Axis& a, int reading)
{
    if (a.pressure) {
        const int r = std::clamp(int((reading - 50) * 1.28), 0, 256);
        return p.left + r * p.width / 256;
    }
    const int d = std::clamp(reading - 98, 0, 130);
    return p.left + d * p.width / 130;
}

}  // namespace CorrectionCurve
