#pragma once

// Layout and pixel mapping of the chart component's plot views: pure integer arithmetic, shared by
// the drawing and the mouse so that one always inverts the other.
namespace ChartLayout {

// Left and top margins of every plot view.
constexpr int kPlotLeft = 40;
constexpr int kPlotTop = 25;
// Width the control keeps beside the plot: most views 80 pixels, the multiplier chart 120 (its
// right axis and shift buttons).
constexpr int kMarginNormal = 80;
constexpr int kMarginWide = 120;

// The plot rectangle of a control of size W x H.
struct Plot {
    int left = kPlotLeft;
    int bottom = 0;
    int width = 0;
    int height = 0;
    int top() const { return bottom - height; }
    int right() const { return left + width; }
    // A plot narrower or lower than one pixel (a tiny window, a collapsed panel) is not drawn and
    // takes no mouse presses: nothing may divide by its size.
    bool usable() const { return width >= 1 && height >= 1; }
};

// Plot width = W - margin, plot height = the integer part of H - 62.5, plot bottom = height + 25.
Plot plotFor(int controlWidth, int controlHeight, int margin);

// x of value v on an axis starting at lo and spanning `range`: left + (v - lo) * width / range.
int valueToX(const Plot& plot, int v, int lo, int range);
// y of value v on a vertical axis spanning `range`: bottom - v * height / range.
int valueToY(const Plot& plot, int v, int range);
// The axis value under pixel x (or y), rounded to the nearest value: the inverse of the mapping
// above, for mouse presses. 0 for an unusable plot.
int xToValue(const Plot& plot, int x, int lo, int range);
int yToValue(const Plot& plot, int y, int range);

// y of horizontal grid line k (1..9) of ten: bottom - height * k / 10.
int gridLineY(const Plot& plot, int k);
// x of vertical grid line k of ten: the integer part of width * 0.1 * k + left.
int gridLineX(const Plot& plot, int k);

// Rectangle spanned by the plot frame: (left - 1, top - 1) to (right + 1, bottom + 1), inclusive.
struct Box {
    int x1, y1, x2, y2;
};
Box frameBox(const Plot& plot);

// y of a rotated axis caption of `captionWidth` pixels so that it reads upward centred on the
// plot: captionWidth / 2 + height / 2 + 25.
int rotatedCaptionY(const Plot& plot, int captionWidth);

}  // namespace ChartLayout
