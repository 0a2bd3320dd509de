#pragma once

#include <cstdint>

#include "charts/ChartLayout.h"
#include "settings/NamedSettings.h"

// The correction curves of the reducer temperature, the gas temperature and the gas pressure: one
// 256-byte region each (byte 0 the block number, bytes 2..17 eight points (x, y), bytes 50..255 the
// table the controller reads), and the arithmetic that keeps the table in step with the points.
// Pure functions over the region's bytes, so that every edit can be checked without a widget.
namespace CorrectionCurve {

constexpr int kPoints = 8;
constexpr int kTableStart = 50;  // table entries below this are the region's header and points
constexpr int kYMin = 64;        // -50 %
constexpr int kYMax = 192;       // +50 %
constexpr int kYZero = 128;      // 0 %

// What a view of one curve needs to know about it.
struct Axis {
    int view;                               // chart view 2, 3 or 4
    int block;                              // memory-image block number
    uint32_t mask;                          // read and write mask
    int xLo, xHi;                           // axis range of the input
    int captionId;                          // language text of the x axis
    int (SettingsReader::*marker)() const;  // the setting drawn as a dashed marker
    bool pressure;                          // input in 0.01 bar (else degrees C + 128)
    int range() const { return xHi - xLo; }
};

// Axis of view 2, 3 or 4; nullptr for any other view.
const Axis* axisOfView(int view);
// Axis of block 8, 9 or 10; nullptr for any other block.
const Axis* axisOfBlock(int block);

inline int x(const uint8_t* r, int k) { return r[2 + 2 * k]; }
inline int y(const uint8_t* r, int k) { return r[3 + 2 * k]; }
inline bool inUse(const uint8_t* r, int k) { return k >= 0 && k < kPoints && r[3 + 2 * k] != 0; }
int usedCount(const uint8_t* r);

// Sorts the points in use among 1..6 by x (free points and the end points stay where they are);
// returns the selected point's new index.
int sortPoints(uint8_t* r, int selected);
// Interpolates between consecutive points in use and extends the table to its ends from an end
// point in use. Writes table entries 50..255 only: a curve never overwrites its own points.
void fillTable(uint8_t* r);
// Sort and fill; returns the selected point's new index.
int recompute(uint8_t* r, int selected);
// The default curve of `axis`: block number, two end points at 0 %, the table at 128.
void clear(uint8_t* r, const Axis& axis);

// Result of one edit; the caller beeps, renders, or recomputes and writes.
enum class Edit { None, Render, Recompute, Beep };

// The keyboard edits of a curve. `selected` is the selected point (-1 none) and may change; an
// edit that answers Recompute has changed the points and the caller recomputes.
Edit nextPoint(const uint8_t* r, int& selected);      // Page Up, Ctrl+Right
Edit previousPoint(const uint8_t* r, int& selected);  // Page Down, Ctrl+Left
Edit raise(uint8_t* r, int selected, int delta);      // Up (+1), Down (-1)
Edit moveLeft(uint8_t* r, const Axis& axis, int& selected);
Edit moveRight(uint8_t* r, const Axis& axis, int& selected);
Edit insertPoint(uint8_t* r, int& selected);
Edit deletePoint(uint8_t* r, int& selected);

// Right button at input t: the first free point among 1..7 takes (t, the table's value at t), kept
// within -50..+50 %. Recompute, or None when every point is in use.
Edit addPointAt(uint8_t* r, int t, int& selected);
// Any other button at input t and correction v: the point in use nearest to t (the first on a tie)
// when it lies within 4 of both; -1 otherwise.
int pointNear(const uint8_t* r, int t, int v);

// Pixel mapping over the plot rectangle; a press counts inside it edges included, and a plot below
// one pixel takes none.
using Plot = ChartLayout::Plot;
bool contains(const Plot& p, int px, int py);
int xToPixel(const Plot& p, const Axis& a, int x);
int yToPixel(const Plot& p, int y);
int pixelToX(const Plot& p, const Axis& a, int px);
int pixelToY(const Plot& p, int py);
// Live cursor position of view 2 and 3 (temperature byte + 128) or view 4 (gas pressure 0.01 bar).
int cursorPixel(const Plot& p, const Axis& a, int reading);

}  // namespace CorrectionCurve
