#include "tune/MultiplierEvidence.h"

#include <algorithm>
#include <cmath>

namespace MultiplierEvidence {

namespace {

constexpr int kPetrol = 0;
constexpr int kGas = 6;
constexpr double kTrimStep = 100.0 / 128.0 / 100.0;  // one trim step as a fraction

// The cell's ratio of time on gas to time on petrol, with the trims' ratio beside it when known:
// both say how much longer the car's computer had to inject on gas. The needed multiplier is the
// present one at the time seen on gas, times that ratio: with it the gas time equals the one the
// engine took on gas, at the petrol time the car's computer commands on petrol.
Cell cellOf(int cell, double petrol, double gas, int samples, bool trims, double trimPetrol, double trimGas,
            const uint8_t* table)
{
    double ratio = gas / petrol;
    if (trims) {
        ratio = (ratio + (1 + trimGas) / (1 + trimPetrol)) / 2;
        samples += 2;
    }
    Cell c;
    c.cell = cell;
    c.petrol = petrol;
    c.gas = gas;
    c.samples = samples;
    c.needed = multiplierAt(table, petrol * ratio) * ratio;
    c.factor = c.needed / std::max(1.0, multiplierAt(table, petrol));
    return c;
}

}  // namespace

double Evidence::deviation() const
{
    if (cells.empty()) return 0;
    double sum = 0;
    for (const Cell& c : cells) {
        const double d = c.gas / c.petrol - 1;
        sum += d * d;
    }
    return 100 * std::sqrt(sum / static_cast<double>(cells.size()));
}

double multiplierAt(const uint8_t* table, double t)
{
    if (!(t > 0)) return table[0];
    if (t >= kTableSize - 1) return table[kTableSize - 1];
    const int i = static_cast<int>(t);
    const double f = t - i;
    return table[i] + (table[i + 1] - table[i]) * f;
}

bool trimOf(uint8_t raw, double& fraction)
{
    if (raw == 0) return false;
    // The OBD reader sends a real trim of 0 as 1; one step from -100 % makes no difference here.
    fraction = (raw - 128) * kTrimStep;
    return true;
}

Evidence fromMaps(const uint8_t* petrolMap, const uint8_t* gasMap, const uint8_t* obdPetrolMap,
                  const uint8_t* obdGasMap, const uint8_t* table)
{
    Evidence e;
    for (int i = 0; i < kCells; ++i) {
        const int p = petrolMap[i], g = gasMap[i];
        if (p == 0 || g == 0) continue;
        double tp = 0, tg = 0;
        const bool trims = obdPetrolMap && obdGasMap && trimOf(obdPetrolMap[i], tp) && trimOf(obdGasMap[i], tg);
        e.cells.push_back(cellOf(i, p, g, 2, trims, tp, tg, table));
    }
    return e;
}

Evidence fromSamples(const uint8_t* samples, int count, int sampleSize, const uint8_t* table)
{
    struct Sum {
        double time = 0, trim = 0;
        int n = 0, trims = 0;
    };
    // Per cell, petrol [0] and gas [1].
    std::vector<Sum> sums(static_cast<size_t>(2 * kCells));
    if (!samples || sampleSize < 128) count = 0;
    for (int k = 0; k < count; ++k) {
        const uint8_t* s = samples + static_cast<size_t>(k) * static_cast<size_t>(sampleSize);
        const int state = s[10];
        const bool turning = s[11] & 0x02;
        const int time4us = s[60] | s[61] << 8;
        if (!turning || time4us == 0 || (state != kPetrol && state != kGas) || s[15] > 15 || s[16] > 15) continue;
        Sum& sum = sums[static_cast<size_t>(2 * (16 * s[15] + s[16]) + (state == kGas ? 1 : 0))];
        sum.time += time4us * 4 / 100.0;
        ++sum.n;
        double stft = 0, ltft = 0;
        if (trimOf(s[99], stft) && trimOf(s[100], ltft)) {
            sum.trim += stft + ltft;
            ++sum.trims;
        }
    }
    Evidence e;
    for (int i = 0; i < kCells; ++i) {
        const Sum& p = sums[static_cast<size_t>(2 * i)];
        const Sum& g = sums[static_cast<size_t>(2 * i + 1)];
        if (p.n == 0 || g.n == 0) continue;
        const bool trims = p.trims > 0 && g.trims > 0;
        Cell c = cellOf(i, p.time / p.n, g.time / g.n, p.n + g.n, trims, trims ? p.trim / p.trims : 0,
                        trims ? g.trim / g.trims : 0, table);
        if (trims) c.samples += p.trims + g.trims - 2;
        e.cells.push_back(c);
    }
    return e;
}

std::vector<Range> byPetrolTime(const Evidence& evidence, int width, int max)
{
    std::vector<Range> ranges;
    if (width <= 0) return ranges;
    for (int from = 0; from < max; from += width) {
        Range r;
        r.from = from;
        r.to = std::min(from + width, max);
        double sum = 0;
        for (const Cell& c : evidence.cells) {
            if (c.petrol < r.from || c.petrol >= r.to) continue;
            sum += c.factor - 1;
            ++r.cells;
            r.samples += c.samples;
        }
        if (r.cells > 0) r.offPercent = 100 * sum / r.cells;
        ranges.push_back(r);
    }
    return ranges;
}

}  // namespace MultiplierEvidence
