#pragma once

#include <array>
#include <cstdint>

// The simulated controller's own memory: the eighteen 256-byte regions the PC reads and writes,
// and the error bits with their stored counters.
class ControllerMemory {
public:
    // The regions by read command, in the controller's own numbering.
    static constexpr std::array<uint8_t, 18> kRegionCommands{0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE8, 0xE9, 0xEA,
                                                             0xEB, 0xEC, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD};
    static constexpr int kRegionSize = 256;

    ControllerMemory();

    // Region by its read command (0xE0..0xE5, 0xE8..0xEC, 0xA7..0xAD); nullptr for other commands.
    uint8_t* region(uint8_t readCommand);
    // Read command of the region a write command stores (0xF0..0xFC, 0xC7..0xCD); -1 for others.
    static int readCommandOfWrite(uint8_t writeCommand);
    uint8_t* settings() { return region(0xE8); }

    // Injectors present: the absent ones stay on petrol (setting 31).
    void setInjectorCount(int count);
    // Keeps the settings block's checksum byte right after the controller changed a setting.
    void sealSettings();

    // Current error bits of error-list bytes 6..12 and one stored counter per bit.
    void raiseError(int byte, int bit);
    void clearError(int byte, int bit);
    void clearErrors();
    bool anyCurrentError() const;
    bool anyStoredError() const;

    std::array<uint8_t, 7> currentErrors{};   // reply bytes 6..12
    std::array<uint8_t, 56> errorCounters{};  // reply bytes 13..68

private:
    std::array<std::array<uint8_t, 256>, 18> regions_{};
};
