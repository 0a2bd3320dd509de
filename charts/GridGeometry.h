#pragma once

#include <functional>

// Geometry of the two 17 x 17 grids of the table views (one header row at the top, one header
// column at the left, 16 x 16 body cells): sizes, places, hit tests and the mapping between grid
// cells and table bytes. Pure arithmetic, checked without a widget.
namespace GridGeometry {

constexpr int kCells = 17;
// The strip under the table grid that holds the line naming the keys of the table.
constexpr int kHintHeight = 18;

struct Layout {
    int column = 0;  // C: column pitch, the cell is C - 1 wide
    int row = 0;     // F: row pitch, the cell is F - 1 high
    int left = 0;    // both grids, relative to the component's parent
    int mapTop = 0;
    int tableTop = 0;
    int width() const { return kCells * column + 4; }
    int height() const { return kCells * row + 4; }
    // Top of the keys' line, right under the table grid; the layout leaves kHintHeight for it.
    int hintTop() const { return tableTop + height(); }
    // A grid whose cells come out below one pixel shows its background only and takes no presses.
    bool usable() const { return column - 1 >= 1 && row - 1 >= 1; }
};

// Layout of `view` (1, 5, 6 or 7) in a `width` x `height` component at (`left`, `top`);
// `twoGrids` is true for views 1 and 5 when the view level is above 0. The rows leave kHintHeight
// pixels under the table grid for the line that names the table's keys.
Layout compute(int width, int height, int left, int top, bool twoGrids);

struct Cell {
    int column = -1;
    int row = -1;
    bool valid() const { return column >= 0; }
    bool operator==(const Cell&) const = default;
};

// Grid cell under (x, y) in grid pixels; invalid outside cells 0..16 (the grid's margin is no
// cell) and on a grid that is not usable.
Cell hit(const Layout& g, int x, int y);

// Table byte shown in body cell (column 1..16, row 1..16): RPM cells left to right, load cells
// bottom to top; -1 for a header cell or outside.
int tableIndex(int column, int row);
// Body cell of a live cell (RPM cell c, load cell l); invalid unless both are 0..15.
Cell cellOfLive(int c, int l);

// Largest size from `from` down to `to` for which `fits(size)` holds; `fallback` when none does.
int fitFontSize(int from, int to, int fallback, const std::function<bool(int size)>& fits);

}  // namespace GridGeometry
