#pragma once

#include <QtCore/QRect>

#include <cstdint>

#include "charts/ChartLayout.h"
#include "link/LiveFrame.h"

class SettingsReader;

// Where the multiplier chart draws its items, and where a press lands: pure functions of the plot,
// each mouse mapping the exact inverse of the drawing it picks from.
namespace MultiplierGeometry {

using ChartLayout::Plot;

// x of petrol time t (0.1 ms) on the time axis ending at `max`: left + t * width / max. Ticks, map
// points and the live cursor.
int timeX(const Plot& plot, int t, int max);
// A node at position `pos`: the integer part of pos * width / max + left + 1.
int nodeX(const Plot& plot, int pos, int max);
// A node of value v (x 100, adaptation offset included): the integer part of
// bottom - v * height * 0.004 + 1 on the wide scale (0.00..2.50), of
// bottom - (v - 50) * height * 0.01 + 1 on the normal scale (0.50..1.50).
int nodeY(const Plot& plot, int v, bool wide);
// The position and the value drawn nearest to a press at (x, y).
int pointerTime(const Plot& plot, int x, int max);
int pointerValue(const Plot& plot, int y, bool wide);

// A learned map cell of RPM cell r with time v at load breakpoint b (pressure scale s): false when
// the cell is not drawn (not learned, beyond the axis, or no pressure scale). Low RPM cells sit up to
// a tenth lower so that the 16 cells of one load fan out.
bool mapPoint(const Plot& plot, int v, int b, int s, int r, int max, int& x, int& y);
// Whether cell (r, l) with time v feeds the trend of its map.
bool trendCandidate(int r, int l, int v, bool anyEngine, int max);
// A point of the difference trend for petrol time p and gas time g.
int differenceY(const Plot& plot, int p, int g);

// The live cursor for a live frame: x from the petrol time (byte 19), y from the manifold pressure
// (bytes 44-45), or the load-sensor voltage (bytes 58-59) when the load signal is a voltage; y is
// -1 (no horizontal line) when there is no pressure scale.
struct Cursor {
    int x, y;
};
Cursor liveCursor(const Plot& plot, const LiveFrame& frame, const SettingsReader& settings, int max);

// Where the tune assistant's node table of `size` goes on a control `controlWidth` wide, so that it
// covers neither the legend nor the key line under it (`legend`, the rectangle of their texts): the
// plot's upper right corner; where that would cover the legend, right of the legend while the
// table ends before the shift buttons; otherwise under the legend, at the plot's right edge.
QRect nodeTableRect(const Plot& plot, QSize size, const QRect& legend, int controlWidth);

}  // namespace MultiplierGeometry
