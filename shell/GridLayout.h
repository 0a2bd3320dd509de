#pragma once

#include <QtCore/QString>
#include <QtCore/QVector>

#include <array>
#include <cstdint>
#include <functional>

// Arithmetic of the main window's grids: row heights, column widths, font fitting
// and the gas-injector switch. Pure functions, tested with tables.
namespace GridLayout {

// The injection-time grid never has more than eight rows: the live frame holds eight cylinders.
constexpr int kMaxInjectors = 8;

// Row height of the right-hand grids: the right panel's height / 20, at least 18.
int rowHeight(int panelHeight);
// Height of a grid of `rows` rows at row height `r`: (r + 1) x rows + 3.
int gridHeight(int r, int rows);

// Readings grid: name column 65 % of the grid, the value column the rest less one pixel.
std::array<int, 2> readingsColumns(int gridWidth);
// Injection-time grid: 10 %, 35 %, 20 % and the rest; narrower by 5 pixels each, and the last
// by 20 in all, while a scroll bar takes room.
std::array<int, 4> injectionColumns(int gridWidth, bool scrolling);

// Font size from `from` down to `to`: the first at which (text width + margin) < available and the
// text height < rowHeight. `previous` when none fits.
using Measure = std::function<int(int size)>;
int fitFontSize(int from, int to, int previous, int available, int margin, int rowHeight, const Measure& widthAt,
                const Measure& heightAt);

// Rows of the injection-time grid: the injector count, at most eight; one while collapsed.
int injectorRows(int injectorCount, bool collapsed);

// Gas injectors that a click in row `row` switches: that cylinder alone in sequence (type 0),
// its odd or even group (type 1: 0x55 or 0xAA), or all (type 2). 0 for a row outside the grid.
uint8_t clickedInjectors(int row, int switchingType, int injectorCount);
// Enabled-injector mask after that click: the clicked injectors toggle, those kept on petrol stay off.
uint8_t switchedMask(uint8_t enabled, int row, int switchingType, uint8_t keptOnPetrol, int injectorCount);

// Numbers (1-based) of the outputs in `mask` below the injector count, without separators: 0x05 -> "13".
QString outputNumbers(uint8_t mask, int injectorCount);

}  // namespace GridLayout
