#include "charts/GridGeometry.h"

namespace GridGeometry {

Layout compute(int width, int height, int left, int top, bool twoGrids)
{
    Layout g;
    g.row = twoGrids ? (height / 2 - 30 - kHintHeight) / kCells : (height - 20 - kHintHeight) / kCells;
    g.column = (width - 10) / kCells;
    g.left = left + 5;
    g.mapTop = top + 16;
    g.tableTop = twoGrids ? top + height / 2 + 21 : top + 16;
    return g;
}

Cell hit(const Layout& g, int x, int y)
{
    if (!g.usable() || x < 0 || y < 0) return {};
    const int c = x / g.column, r = y / g.row;
    if (c >= kCells || r >= kCells) return {};
    return {c, r};
}

int tableIndex(int column, int row)
{
    if (column < 1 || column > 16 || row < 1 || row > 16) return -1;
    return 16 * (column - 1) + (16 - row);
}

Cell cellOfLive(int c, int l)
{
    if (c < 0 || c > 15 || l < 0 || l > 15) return {};
    return {c + 1, 16 - l};
}

int fitFontSize(int from, int to, int fallback, const std::function<bool(int size)>& fits)
{
    for (int size = from; size >= to; --size)
        if (fits(size)) return size;
    return fallback;
}

}  // namespace GridGeometry
