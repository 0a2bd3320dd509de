#include "ui/GridCells.h"

namespace GridCells {

int columnAt(const QVector<int>& widths, int leftCol, int x)
{
    if (x < 0 || widths.isEmpty() || leftCol < 0 || leftCol >= widths.size()) return -1;
    int sum = 0;
    for (int c = leftCol; c < widths.size(); ++c) {
        sum += widths[c];
        if (sum > x) return c;
    }
    return int(widths.size()) - 1;
}

int rowAt(int pitch, int topRow, int y, int rowCount)
{
    if (y < 0 || pitch <= 0) return -1;
    const int r = topRow + y / pitch;
    return r < rowCount ? r : -1;
}

}  // namespace GridCells
