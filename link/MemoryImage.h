#pragma once

#include <array>
#include <cstdint>

// The PC-side copy of the controller's memory: raw bytes with the controller's own layout.
// Owned by the controller link and read and edited in place by every window.
struct MemoryImage {
    static constexpr int kRegionSize = 256;
    static constexpr int kSettingsIndexCount = 304;  // 0..255 in the controller, 256..303 PC-only
    static constexpr int kFirmwareBlocks = 224;
    static constexpr int kFirmwareHeader = 256;
    static constexpr int kFirstBlock = 3;  // multiplier bank 1
    static constexpr int kLastBlock = 13;  // enrichment / leaning
    static constexpr int kIdentitySize = 128;
    static constexpr int kObdStatusSize = 36;

    // The six 16 x 16 injection and OBD correction maps, in the order of their read commands
    // 0xE0..0xE5; cell byte = 16 x RPM cell + load cell.
    enum Map { PetrolMap, GasMap, ObdPetrol1, ObdGas1, ObdPetrol2, ObdGas2, MapCount };

    // Block numbers of the eleven contiguous regions.
    enum Block {
        Multiplier1 = 3,
        Multiplier2,
        RpmCorrection1,
        RpmCorrection2,
        History,
        GasPressureCorrection,
        ReducerTempCorrection,
        GasTempCorrection,
        RailPressureEmulator,
        GasInjectionDelay,
        Enrichment,
    };

    // Region behind a one-bit request mask (0x1 settings, 0x2 multiplier bank 1, ...); nullptr
    // for a mask that names no region.
    uint8_t* region(uint32_t maskBit);
    const uint8_t* region(uint32_t maskBit) const { return const_cast<MemoryImage*>(this)->region(maskBit); }
    // Block n (3..13) at a fixed 256-byte stride; nullptr outside.
    uint8_t* block(int n);
    const uint8_t* block(int n) const { return const_cast<MemoryImage*>(this)->block(n); }

    uint8_t* map(Map m) { return maps[m].data(); }
    // Map of a live-data map selector: 0 petrol, 1 OBD petrol bank 1, 2 OBD petrol bank 2,
    // 3 gas, 4 OBD gas bank 1, 5 OBD gas bank 2; nullptr for other selectors.
    uint8_t* mapOfSelector(int selector);

    // 16-bit little-endian value of the identity block.
    int identityWord(int offset) const { return identity[offset] | (identity[offset + 1] << 8); }

    uint8_t* settingsBlock() { return settings.data(); }
    uint8_t* reservedB() { return settings.data() + kRegionSize; }

    std::array<std::array<uint8_t, kRegionSize>, MapCount> maps{};
    // Settings bytes 0..255 (byte 0 the checksum) followed by reserved block B (indices 256..303).
    std::array<uint8_t, kSettingsIndexCount> settings{};
    // Blocks 3..13, contiguous: blocks[n - 3].
    std::array<std::array<uint8_t, kRegionSize>, kLastBlock - kFirstBlock + 1> blocks{};
    std::array<uint8_t, kIdentitySize> identity{};
    std::array<uint8_t, 64> reservedA{};
    std::array<uint8_t, kObdStatusSize> obdStatus{};
    // The firmware file as read: a 256-byte header, then block n at 256 + 256 n.
    std::array<uint8_t, 65536> firmware{};
    // End of every injection-time axis, in 0.1 ms.
    uint8_t timeAxisMax = 200;

    // Multiplier node slots inside the settings block.
    static constexpr int kNodesBank1 = 190;  // 190..215
    static constexpr int kNodesBank2 = 164;  // 164..189
    static constexpr int kNodeSlots = 26;
};

// Constant reference tables of the reference correction.
namespace ReferenceTables {
// Pressure reference for i in 0..511: min(255, 17920 / i), 255 at 0; -1 outside.
int CzytajKorOdCis(int i);
// Gas-temperature reference for i in 0..255; -1 outside.
int CzytajKorOdTempGazu(int i);
// Default gas injection delay table, byte index 0..255.
uint8_t delayDefault(int index);
// Default correction curve of block 8, 9 or 10 written into `region`.
void defaultCorrectionCurve(uint8_t* region, int block);
}  // namespace ReferenceTables
