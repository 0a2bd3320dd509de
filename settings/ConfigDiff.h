#pragma once

#include <QtCore/QList>
#include <QtCore/QString>

#include <array>
#include <cstdint>

#include "link/MemoryImage.h"

class SettingsCatalogue;

// The difference between two controller configurations (a controller and a file, or two files):
// the settings that differ, by editor page, with their texts as the settings editor shows them,
// and for each map and correction region the cells that differ. Pure apart from the texts, which
// come from the language table.
namespace ConfigDiff {

// A map or correction region that a settings file carries.
struct Region {
    uint32_t mask;     // write-request mask bit
    int nameId;        // text ID of its name (the program's own texts)
    int first, count;  // the cells compared: region bytes first .. first + count - 1
    double scale;      // one raw step in the region's unit
    int zero;          // raw value of 0 in that unit
    int unitId;        // text ID of the unit, 0 = none
    int decimals;
};

// The thirteen regions in the order they are listed: multipliers, RPM corrections, the three
// correction curves (their 206-entry tables), the petrol and gas maps, the four OBD maps.
const QList<Region>& regions();
// The region's 256 bytes in `mem`.
const uint8_t* regionBytes(const MemoryImage& mem, const Region& region);
uint8_t* regionBytes(MemoryImage& mem, const Region& region);

struct Setting {
    int page;   // editor page (0, 1, 20, 50, 51), -1 for settings shown on no page
    int index;  // settings index 0..303
    int rawA, rawB;
    QString label, textA, textB, unit;
};

struct RegionChange {
    int region;       // index into regions()
    int cells;        // cells that differ
    double largest;   // largest |B - A| in the region's unit
    bool otherBytes;  // bytes outside the compared cells differ (curve points)
};

struct Result {
    QList<Setting> settings;
    QList<RegionChange> regions;
    bool equal() const { return settings.isEmpty() && regions.isEmpty(); }
};

// The name a settings byte is listed under: the catalogue's label, told apart where two bytes share
// one (the idle correction's banks, the PC's copies of the OBD settings), or for a byte the
// catalogue leaves unlabelled its part in the layout (a multiplier node, a map breakpoint, a level
// sensor threshold, ...) or "Reserved byte N".
QString settingName(const SettingsCatalogue& catalogue, int index);

// Compares `a` with `b`. The value texts are made on private copies, so showing a value never
// changes either configuration. With `controllerSettingsOnly` (`a` read from a controller) the
// settings the PC keeps for itself (256 and on) are left out: a controller holds none of them.
Result compare(const MemoryImage& a, const MemoryImage& b, bool controllerSettingsOnly = false);

// Differences of one region, cell by cell (B - A in the region's unit), row-major 16 x 16 for the
// heat map; cells outside the compared range are 0.
std::array<double, 256> cellDifferences(const MemoryImage& a, const MemoryImage& b, const Region& region);

// Text of a region difference: "N cells, largest D unit".
QString regionText(const RegionChange& change);

}  // namespace ConfigDiff
