#include "charts/MultiplierGeometry.h"

#include <algorithm>
#include <cmath>

#include "settings/NamedSettings.h"

namespace MultiplierGeometry {

int timeX(const Plot& plot, int t, int max) { return ChartLayout::valueToX(plot, t, 0, max); }

int nodeX(const Plot& plot, int pos, int max)
{
    if (max == 0) return plot.left + 1;
    return static_cast<int>(double(pos) * plot.width / max + plot.left + 1);
}

int nodeY(const Plot& plot, int v, bool wide)
{
    if (wide) return static_cast<int>(plot.bottom - v * plot.height * 0.004 + 1);
    return static_cast<int>(plot.bottom - (v - 50) * plot.height * 0.01 + 1);
}

// The drawing takes the integer part of a value that grows with the position, so a pixel covers
// the values whose exact place falls inside it; its middle maps back to the nearest.
int pointerTime(const Plot& plot, int x, int max)
{
    if (!plot.usable()) return 0;
    return static_cast<int>(std::lround((x - plot.left - 0.5) * max / plot.width));
}

int pointerValue(const Plot& plot, int y, bool wide)
{
    if (!plot.usable()) return 0;
    const double up = plot.bottom + 0.5 - y;
    if (wide) return static_cast<int>(std::lround(up * 250 / plot.height));
    return static_cast<int>(std::lround(up * 100 / plot.height)) + 50;
}

bool mapPoint(const Plot& plot, int v, int b, int s, int r, int max, int& x, int& y)
{
    if (v == 0 || v > max || s == 0) return false;
    x = timeX(plot, v, max);
    y = static_cast<int>(plot.bottom - plot.height * b / s * (1 - (16 - r) * 0.1 / 16));
    return true;
}

bool trendCandidate(int r, int l, int v, bool anyEngine, int max)
{
    if (r < 2 || r > 12 || l < 1 || v >= max * 9 / 10) return false;
    return anyEngine || r < 16 - l / 2 || l >= 14;
}

int differenceY(const Plot& plot, int p, int g)
{
    return static_cast<int>(plot.bottom - 0.2 * plot.height - ((p - g) * plot.height) / 400);
}

QRect nodeTableRect(const Plot& plot, QSize size, const QRect& legend, int controlWidth)
{
    const QRect corner(QPoint(plot.right() - 2 - size.width(), plot.top() + 4), size);
    if (!corner.intersects(legend)) return corner;
    const QRect beside(QPoint(legend.right() + 8, plot.top() + 4), size);
    if (beside.right() <= controlWidth - 34) return beside;
    return QRect(QPoint(std::max(0, corner.left()), legend.bottom() + 6), size);
}

Cursor liveCursor(const Plot& plot, const LiveFrame& frame, const SettingsReader& settings, int max)
{
    Cursor c;
    const int time = std::min<int>(frame.petrolTime(), max);
    c.x = timeX(plot, time, max);
    const int s = settings.pressureScale();
    if (s == 0) {
        c.y = -1;
    } else if (settings.loadIsVoltage()) {
        const int u = std::min(frame.loadVoltage(), 4 * s);
        c.y = plot.bottom - (u * plot.height / s) / 4;
    } else {
        const int p = std::min(frame.manifoldPressure(), s);
        c.y = plot.bottom - p * plot.height / s;
    }
    return c;
}

}  // namespace MultiplierGeometry
