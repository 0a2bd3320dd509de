#pragma once

#include <array>
#include <cstdint>
#include <vector>

// The oscilloscope view's arithmetic, without painting: time bases, the sample window, the strip
// geometry of the three layouts, the overview strip and the read-out cursor. W x H is the
// control's size; the trace area runs from x = 10 to W - 110, from y = 40 to H - 40.
namespace ScopeGeometry {

constexpr int kBufferSamples = 36000;
constexpr std::array<double, 9> kSamplesPerPixel = {0.1, 0.2, 0.4, 1, 2, 4, 10, 20, 40};

// Trace width s in pixels.
constexpr int traceWidth(int W) { return W - 120; }
// int(window end - s x spp); negative while fewer samples are held than the window shows.
int windowStart(int windowEnd, int s, double spp);

// Strip height E and first baseline G of a layout (1 one area, 2 four strips, 3 one strip per
// drawn channel, n of them). `gridE` is the spacing of the horizontal grid lines, never below 1,
// so that the grid loop always ends; `E` is the trace height, also at least 1.
struct Strips {
    int E = 1;
    int G = 41;
};
Strips strips(int layout, int H, int drawnChannels);
// Baseline of channel-table index `I` in layout 2, `previous` being the baseline before it.
int fourStripBaseline(int I, int E, int previous);
// y of the label of channel-table index `I` in layout 2 with baseline G.
constexpr int fourStripLabelY(int I, int G) { return (I == 3 || I == 5 || I == 7) ? G - 32 : G - 16; }

// Label rows moved apart so that no two labels of `lineHeight` overlap: each keeps its y where it
// can, a label too close to the one above it goes down, and a run pushed past `bottom` goes back up
// (never above `top`). `ys` in any order; the result in the same order.
std::vector<int> spreadLabels(const std::vector<int>& ys, int lineHeight, int top, int bottom);

// Sample under overview column w (1..s-1) of a recording of `count` samples.
int overviewSample(int count, int w, int s);
// Left and right x of the window marker over the overview strip.
int markerLeft(int s, int windowStart, int count);
int markerRight(int s, int windowEnd, int count);
// Sample under x in the overview strip: x is taken through the same 10-pixel offset the strip is
// drawn with, so the sample drawn under the pointer is the one picked.
int overviewClickSample(int x, int count, int W);
// New window end after a click on sample b of the overview strip.
int windowEndAfterClick(int b, int windowStart, int windowEnd, int count);

// Sample under the read-out cursor at x.
int cursorSample(int x, double spp, int windowStart);
// Samples i of pixel column K when several fall on one column: [first, end).
void columnSamples(int K, double spp, int& first, int& end);
// Next pixel column after K when spp is below 1, so that each sample takes 1 / spp pixels.
int nextColumn(int K, double spp);

}  // namespace ScopeGeometry
