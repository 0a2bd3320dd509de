#pragma once

#include <QtCore/QVector>

// Cell hit tests of the string grid: which column and row a point of the grid falls in. Pure
// functions, tested with tables.
namespace GridCells {

// Column under `x`: the widths are added from `leftCol` until the sum exceeds `x`; a point right
// of every column falls in the last one. -1 for a point left of the grid or a grid without columns.
int columnAt(const QVector<int>& widths, int leftCol, int x);
// Row under `y` for rows `pitch` pixels apart from `topRow`; -1 below the last row or above the grid.
int rowAt(int pitch, int topRow, int y, int rowCount);

}  // namespace GridCells
