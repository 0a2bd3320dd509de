#include "link/MemoryImage.h"

#include <algorithm>
#include <cstring>

uint8_t* MemoryImage::block(int n)
{
    if (n < kFirstBlock || n > kLastBlock) return nullptr;
    return blocks[static_cast<size_t>(n - kFirstBlock)].data();
}

uint8_t* MemoryImage::mapOfSelector(int selector)
{
    static constexpr Map kBySelector[] = {PetrolMap, ObdPetrol1, ObdPetrol2, GasMap, ObdGas1, ObdGas2};
    if (selector < 0 || selector >= MapCount) return nullptr;
    return map(kBySelector[selector]);
}

uint8_t* MemoryImage::region(uint32_t maskBit)
{
    switch (maskBit) {
        case 0x1: return settingsBlock();
        case 0x2: return block(Multiplier1);
        case 0x4: return block(Multiplier2);
        case 0x8: return block(RpmCorrection1);
        case 0x10: return block(RpmCorrection2);
        case 0x80: return block(History);
        case 0x100: return block(GasPressureCorrection);
        case 0x200: return block(ReducerTempCorrection);
        case 0x400: return block(GasTempCorrection);
        case 0x800: return block(RailPressureEmulator);
        case 0x1000: return block(GasInjectionDelay);
        case 0x2000: return block(Enrichment);
        case 0x10000: return map(PetrolMap);
        case 0x20000: return map(GasMap);
        case 0x100000: return map(ObdPetrol1);
        case 0x200000: return map(ObdGas1);
        case 0x400000: return map(ObdPetrol2);
        case 0x800000: return map(ObdGas2);
        default: return nullptr;
    }
}

namespace ReferenceTables {

namespace {

// Gas-temperature reference as (value, run length) pairs from index 0 upward.
constexpr uint8_t kGasTempRuns[][2] = {
    {65, 80}, {66, 4},  {67, 2},  {68, 2},  {69, 2},  {70, 1},  {71, 1},   {72, 1},  {73, 1},  {74, 1},  {75, 1},
    {76, 1},  {77, 1},  {78, 1},  {79, 1},  {80, 1},  {81, 1},  {83, 1},   {84, 1},  {85, 1},  {86, 1},  {87, 1},
    {88, 1},  {89, 1},  {90, 1},  {91, 1},  {92, 1},  {93, 1},  {94, 1},   {95, 1},  {96, 1},  {97, 1},  {98, 1},
    {99, 1},  {100, 1}, {102, 2}, {103, 1}, {104, 1}, {105, 2}, {106, 1},  {107, 1}, {108, 2}, {109, 1}, {110, 1},
    {111, 1}, {112, 2}, {113, 1}, {114, 1}, {115, 2}, {116, 1}, {117, 1},  {118, 1}, {119, 2}, {120, 1}, {121, 1},
    {122, 2}, {123, 1}, {124, 1}, {125, 4}, {126, 3}, {127, 2}, {128, 18}, {129, 3}, {130, 3}, {131, 3}, {132, 3},
    {133, 3}, {134, 2}, {135, 3}, {136, 2}, {137, 3}, {138, 2}, {139, 3},  {140, 2}, {141, 3}, {142, 3}, {143, 2},
    {144, 3}, {145, 2}, {146, 3}, {147, 2}, {148, 3}, {149, 2}, {150, 3},  {151, 3}, {152, 2}, {153, 3}, {154, 2},
    {155, 3}, {156, 2}, {157, 3}, {158, 2}, {159, 1},
};

struct GasTempTable {
    uint8_t values[256]{};
    int count = 0;
    constexpr GasTempTable()
    {
        for (const auto& run : kGasTempRuns)
            for (int k = 0; k < run[1] && count < 256; ++k) values[count++] = run[0];
    }
};

constexpr GasTempTable kGasTemp;
static_assert(kGasTemp.count == 256, "the gas-temperature reference has 256 values");

}  // namespace

int CzytajKorOdCis(int i)
{
    if (i < 0 || i > 511) return -1;
    if (i == 0) return 255;
    return std::min(255, 17920 / i);
}

int CzytajKorOdTempGazu(int i)
{
    if (i < 0 || i > 255) return -1;
    return kGasTemp.values[i];
}

uint8_t delayDefault(int index)
{
    const int r = (index & 0xFF) / 16;
    const int c = (index & 0xFF) % 16;
    if (c <= r) return 2;
    if (c == r + 1) return 4;
    return static_cast<uint8_t>(2 * (c - r) + 4);
}

void defaultCorrectionCurve(uint8_t* region, int block)
{
    std::memset(region, 0, MemoryImage::kRegionSize);
    std::memset(region + 50, 128, MemoryImage::kRegionSize - 50);
    region[0] = static_cast<uint8_t>(block);
    const bool pressure = block == MemoryImage::GasPressureCorrection;
    region[2] = pressure ? 50 : 98;
    region[3] = 128;
    // The last of the eight points (bytes 16 and 17) is the curve's end.
    region[16] = pressure ? 250 : 228;
    region[17] = 128;
}

}  // namespace ReferenceTables
