#pragma once

#include <cstdint>
#include <vector>

// What the car's own computer says about the multiplier curve. On gas, a multiplier that gives too
// little gas makes the car's computer lengthen its petrol time until the mixture is right again:
// the petrol time the controller sees on gas (the gas map) lies right of the one learned on petrol
// (the petrol map) in the same RPM/load cell, and the fuel trims on gas rise above those on petrol.
// These pure functions turn that into the multiplier each cell needs, from the learned maps or from
// the samples of a recording.
namespace MultiplierEvidence {

constexpr int kCells = 256;
constexpr int kTableSize = 256;

// One RPM/load cell learned on both fuels.
struct Cell {
    int cell = 0;         // 16 x RPM cell + load cell
    double petrol = 0;    // petrol time learned on petrol, 0.1 ms
    double gas = 0;       // petrol time seen on gas, 0.1 ms
    double factor = 1;    // needed multiplier / present multiplier, at `petrol`
    double needed = 100;  // the multiplier (x 100) the installation needs at `petrol`
    int samples = 0;      // readings behind it (map values, fuel trims or recording samples)
};

// The cells that say something, in cell order.
struct Evidence {
    std::vector<Cell> cells;
    // Root mean square of gas time / petrol time - 1 over the cells, percent: how far apart the two
    // maps lie. 0 without cells.
    double deviation() const;
};

// The present multiplier (x 100) at petrol time t (0.1 ms, fractional): the table read between its
// entries; times beyond the table take its last entry.
double multiplierAt(const uint8_t* table, double t);

// A fuel trim byte as OBD reports it (128 = 0 %, 100/128 % per step) to a fraction; 0 (not
// learned) gives false.
bool trimOf(uint8_t raw, double& fraction);

// From the learned maps (16 x 16, 0.1 ms, 0 = not learned) and, when given, the OBD correction maps
// of the same cells (fuel trim bytes, 0 = not learned). A cell counts when both time maps hold it;
// its trims count when both trim maps hold them. `table` is the present multiplier bank (256 bytes).
Evidence fromMaps(const uint8_t* petrolMap, const uint8_t* gasMap, const uint8_t* obdPetrolMap,
                  const uint8_t* obdGasMap, const uint8_t* table);

// From the samples of a recording (`count` samples of `sampleSize` bytes, live frames): the petrol
// time of cylinder 1 (bytes 60-61, 4 us), the work state (byte 10: 0 petrol, 6 gas), the RPM and
// load cell (bytes 15, 16) and the bank 1 fuel trims of the OBD block (bytes 99 and 100), averaged
// per cell and fuel. Samples with the engine stopped, a zero petrol time or another work state
// (switching, mixed) are left out.
Evidence fromSamples(const uint8_t* samples, int count, int sampleSize, const uint8_t* table);

// Per petrol-time range: how far the multiplier is off and on how much evidence.
struct Range {
    int from = 0, to = 0;   // 0.1 ms, from inclusive, to exclusive
    double offPercent = 0;  // mean of needed / present - 1 over the range's cells
    int cells = 0;
    int samples = 0;
};
// Ranges of `width` (0.1 ms) from 0 up to `max`, every range listed (empty ones with 0 cells).
std::vector<Range> byPetrolTime(const Evidence& evidence, int width, int max);

}  // namespace MultiplierEvidence
