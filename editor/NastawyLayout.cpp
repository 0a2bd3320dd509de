#include "editor/NastawyLayout.h"

#include <algorithm>

namespace NastawyLayout {

Geometry compute(int page, int rows, int width, int height)
{
    Geometry g;
    if (page == 1 || page == 20) {
        g.rowHeight = 24;
        g.columnWidth = width / 2;
    } else {
        g.rowHeight = rows > 0 ? height / rows : 20;
        if (g.rowHeight < 20) {
            g.rowHeight = 20;
            g.columnWidth = width / 2 - 10;
            g.scrollBar = true;
        } else {
            g.columnWidth = width / 2;
        }
    }
    const int w = g.columnWidth;
    const int d = std::max(0, std::min({g.rowHeight, 50, w / 10}));
    g.button = d;
    for (int c = 0; c < 2; ++c) {
        const int o = c * w;
        const int p2 = o + w / 2 + 18;
        g.x[c * 8 + 0] = o + 7;
        g.x[c * 8 + 1] = o + 7;
        g.x[c * 8 + 2] = p2;
        g.x[c * 8 + 3] = o + w - 2 * d - 11;
        g.x[c * 8 + 4] = o + w - d - 9;
        g.x[c * 8 + 5] = o + w - 7;
        g.x[c * 8 + 6] = p2 - d - 1;
        g.x[c * 8 + 7] = p2 - 1;
    }
    return g;
}

int fitFontSize(int labelRoom, int rowHeight, const std::function<int(int)>& labelWidth,
                const std::function<int(int)>& textHeight)
{
    for (int size = 24; size >= 7; --size)
        if (labelWidth(size) < labelRoom && textHeight(size) < rowHeight - 2) return size;
    return 7;
}

int repeatInterval(int count)
{
    if (count >= 30) return 30;
    if (count >= 10) return 100;
    if (count >= 3) return 300;
    return 600;
}

QRect popupRect(int left, int width, int widestItem, int cellBottom, int items, int itemHeight, int editorHeight)
{
    const int w = std::max(width, widestItem + 8);
    int h = items * itemHeight + 5;
    int top = cellBottom;
    if (top + h > editorHeight) top = editorHeight - h;
    if (top < 0 || h > editorHeight) {
        top = 0;
        h = std::min(h, editorHeight);
    }
    return QRect(left, top, w, h);
}

}  // namespace NastawyLayout
