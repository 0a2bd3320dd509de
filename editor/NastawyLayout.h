#pragma once

#include <QtCore/QRect>

#include <array>
#include <functional>

// Geometry arithmetic of the settings editor, kept apart from the widget so it can be checked alone.
namespace NastawyLayout {

struct Geometry {
    int rowHeight = 20;
    int columnWidth = 0;
    int button = 0;          // size d of the step buttons
    bool scrollBar = false;  // the rows do not all fit
    // x positions, 8 per column: p0 label left, p1 unused, p2 value box left, p3 minus button,
    // p4 plus button, p5 right edge, p6 and p7 the detail button.
    std::array<int, 16> x{};
    int p(int column, int k) const { return x[column * 8 + k]; }
};

// Row height, column width, button size and positions for `rows` rows of `page` in a
// `width` x `height` editor.
Geometry compute(int page, int rows, int width, int height);

// Largest font size 24..7 at which the longest label is narrower than `labelRoom` pixels and "Tg"
// lower than rowHeight - 2; 7 when none fits. `labelWidth` and `textHeight` measure at a size.
int fitFontSize(int labelRoom, int rowHeight, const std::function<int(int size)>& labelWidth,
                const std::function<int(int size)>& textHeight);

// Interval of the step repeat after `count` repeats: 600, then 300 after the 3rd, 100 after the
// 10th and 30 after the 30th.
int repeatInterval(int count);

// Place of the list popup: left at `left` with width `width` widened to the widest item + 8; top
// just below the cell; moved up when it would pass the editor's bottom; never higher than the editor.
QRect popupRect(int left, int width, int widestItem, int cellBottom, int items, int itemHeight, int editorHeight);

}  // namespace NastawyLayout
