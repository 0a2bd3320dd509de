#pragma once

#include <QtCore/QString>
#include <QtGui/QRgb>

#include <cstdint>

// The values of the table views: how a stored byte is shown and coloured, the edits within their
// limits, and the breakpoints typed into the header cells. Pure functions over table bytes.
namespace TableValues {

// The editable table of a table view.
enum class Table { RpmCorrection, Delay, Enrichment };

struct Limits {
    int lo, hi;
};
Limits limitsOf(Table t);
uint32_t writeMaskOf(Table t);
// Table of chart view 1, 5 (RPM correction), 6 (delay) or 7 (enrichment).
Table tableOfView(int view);

// Text of a table byte: RPM correction v - 100, delay v x 0.1 ("0.0"), enrichment v - 128.
QString cellText(Table t, int v);
// Background of a table-grid body cell.
QRgb cellColour(Table t, int v);

// Backgrounds of map cells learned on petrol only, on gas only and on both (the legend shows them).
constexpr QRgb kPetrolCell = qRgb(255, 190, 190);
constexpr QRgb kGasCell = qRgb(190, 255, 190);
constexpr QRgb kBothCell = qRgb(255, 255, 210);

// The map grid above the RPM correction table: the learned injection-time maps (view 1) or the
// OBD correction maps (view 5), shown as petrol (0), gas (1) or their difference (2).
struct MapCell {
    QString text;
    QRgb background;
    QRgb textColour;
};
MapCell mapCell(bool obd, int mapView, int petrol, int gas);
// Background of the map grid's header cells in `mapView`.
QRgb mapHeaderColour(int mapView);

// + / - on the table cell of the live cell (c, l): the RPM correction value steps by one within
// 50..150. False, and nothing changed, without a live cell inside the table.
bool stepLiveCell(uint8_t* table, int c, int l, int delta);
// Ctrl+Up/Down: every body cell of the grid rectangle (columns left..right, rows top..bottom,
// clipped to the body) steps by `delta` while inside the limits. True when any cell changed.
bool stepRange(uint8_t* table, Limits lim, int left, int top, int right, int bottom, int delta);

// Breakpoints typed into a header cell.
// RPM breakpoint (50 rpm units) from `text`: a whole number of rpm, at least 50 and at most
// 10000; text that is not a whole number keeps `old`.
uint8_t rpmBreakpoint(const QString& text, uint8_t old);
// Load breakpoint (0.01 bar, or 0.02 V when `voltage`) from the leading decimal number of `text`
// ("," taken as the decimal point): within 0.01..2.55 after halving a voltage; text without a
// number keeps `old`. Stored as floor(value x 100 + 0.000001), so "0.29" is 29.
uint8_t loadBreakpoint(const QString& text, uint8_t old, bool voltage);

// Header texts: an RPM breakpoint as rpm, a load breakpoint as bar or volts ("0.00"), and a bin of
// the petrol injection time axis ((l + 1) x 1.6 ms, "0.0").
QString rpmHeader(int breakpoint);
QString loadHeader(int breakpoint, bool voltage);
QString timeBinHeader(int l);

}  // namespace TableValues
