#include "charts/ChartLayout.h"

#include <cmath>

namespace ChartLayout {

Plot plotFor(int controlWidth, int controlHeight, int margin)
{
    Plot p;
    p.width = controlWidth - margin;
    // The integer part of H - 62.5 truncates toward zero: H - 63 for every usable height.
    p.height = static_cast<int>(controlHeight - 62.5);
    p.bottom = p.height + kPlotTop;
    return p;
}

int valueToX(const Plot& plot, int v, int lo, int range)
{
    if (range == 0) return plot.left;
    return plot.left + (v - lo) * plot.width / range;
}

int valueToY(const Plot& plot, int v, int range)
{
    if (range == 0) return plot.bottom;
    return plot.bottom - v * plot.height / range;
}

int xToValue(const Plot& plot, int x, int lo, int range)
{
    if (!plot.usable()) return lo;
    return lo + static_cast<int>(std::lround(double(x - plot.left) * range / plot.width));
}

int yToValue(const Plot& plot, int y, int range)
{
    if (!plot.usable()) return 0;
    return static_cast<int>(std::lround(double(plot.bottom - y) * range / plot.height));
}

int gridLineY(const Plot& plot, int k) { return plot.bottom - plot.height * k / 10; }

int gridLineX(const Plot& plot, int k) { return static_cast<int>(plot.width * 0.1 * k + plot.left); }

Box frameBox(const Plot& plot) { return {plot.left - 1, plot.top() - 1, plot.right() + 1, plot.bottom + 1}; }

int rotatedCaptionY(const Plot& plot, int captionWidth) { return captionWidth / 2 + plot.height / 2 + 25; }

}  // namespace ChartLayout
