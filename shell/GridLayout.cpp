#include "shell/GridLayout.h"

#include <algorithm>

namespace GridLayout {

int rowHeight(int panelHeight) { return std::max(18, panelHeight / 20); }

int gridHeight(int r, int rows) { return (r + 1) * rows + 3; }

std::array<int, 2> readingsColumns(int gridWidth)
{
    const int c0 = gridWidth * 65 / 100;
    return {c0, gridWidth - c0 - 1};
}

std::array<int, 4> injectionColumns(int w, bool scrolling)
{
    const int less = scrolling ? 5 : 0;
    const int c0 = w * 10 / 100 - less;
    const int c1 = w * 35 / 100 - less;
    const int c2 = w * 20 / 100 - less;
    return {c0, c1, c2, w - c0 - c1 - c2 - (scrolling ? 20 : 3)};
}

int fitFontSize(int from, int to, int previous, int available, int margin, int rowHeight, const Measure& widthAt,
                const Measure& heightAt)
{
    for (int size = from; size >= to; --size)
        if (widthAt(size) + margin < available && heightAt(size) < rowHeight) return size;
    return previous;
}

int injectorRows(int injectorCount, bool collapsed)
{
    if (collapsed) return 1;
    return std::clamp(injectorCount, 0, kMaxInjectors);
}

uint8_t clickedInjectors(int row, int switchingType, int injectorCount)
{
    if (row < 0 || row >= std::clamp(injectorCount, 0, kMaxInjectors)) return 0;
    switch (switchingType) {
        case 1: return row % 2 == 0 ? 0x55 : 0xAA;
        case 2: return 0xFF;
        default: return uint8_t(1u << row);
    }
}

uint8_t switchedMask(uint8_t enabled, int row, int switchingType, uint8_t keptOnPetrol, int injectorCount)
{
    const uint8_t m = clickedInjectors(row, switchingType, injectorCount);
    if (m == 0) return enabled;
    return uint8_t((enabled ^ m) & ~keptOnPetrol);
}

QString outputNumbers(uint8_t mask, int injectorCount)
{
    QString s;
    const int n = std::clamp(injectorCount, 0, kMaxInjectors);
    for (int i = 0; i < n; ++i)
        if (mask >> i & 1) s += QString::number(i + 1);
    return s;
}

}  // namespace GridLayout
