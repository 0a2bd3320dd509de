#include "sim/controller/ControllerMemory.h"

#include <algorithm>
#include <cstring>

namespace {

// The regions in the controller's own numbering; index into the region array.
int regionIndex(uint8_t readCommand)
{
    for (int i = 0; i < 18; ++i)
        if (ControllerMemory::kRegionCommands[static_cast<size_t>(i)] == readCommand) return i;
    return -1;
}

// The settings a controller leaves the factory with (the same defaults the program loads), so that
// a fresh simulator shows a plausible installation.
constexpr uint8_t kFactorySettings[256] = {
    0,   0,   1,   50,  0,   1,   0,   0,   0,  0,  0,   0,  0,  0,   0,   0,   0,  0,  0,   0,  0,   0,   128, 0,
    1,   19,  140, 168, 50,  0,   0,   0,   1,  2,  4,   8,  16, 32,  64,  128, 0,  44, 39,  20, 8,   4,   4,   0,
    0,   0,   70,  168, 6,   20,  10,  10,  0,  0,  168, 0,  30, 200, 128, 60,  20, 5,  20,  0,  1,   0,   0,   0,
    0,   0,   0,   0,   0,   168, 0,   0,   0,  0,  0,   60, 0,  178, 100, 128, 0,  60, 128, 0,  128, 0,   181, 0,
    1,   0,   4,   4,   0,   0,   0,   0,   0,  0,  10,  5,  0,  0,   0,   0,   0,  0,  0,   0,  0,   0,   0,   0,
    0,   0,   0,   0,   0,   0,   0,   0,   0,  0,  0,   0,  0,  0,   0,   0,   0,  0,  0,   0,  0,   0,   0,   0,
    0,   0,   0,   0,   0,   0,   0,   0,   0,  0,  0,   0,  0,  0,   0,   0,   0,  0,  0,   0,  0,   0,   0,   0,
    0,   0,   0,   0,   0,   0,   0,   0,   0,  0,  0,   0,  0,  0,   0,   0,   0,  0,  0,   0,  0,   200, 0,   0,
    0,   0,   0,   0,   0,   0,   0,   0,   0,  0,  0,   0,  0,  0,   0,   0,   0,  0,  0,   0,  0,   0,   0,   200,
    128, 128, 128, 128, 128, 128, 128, 128, 6,  12, 18,  25, 31, 37,  43,  50,  56, 62, 68,  75, 81,  87,  93,  100,
    12,  18,  24,  30,  36,  42,  48,  54,  60, 66, 72,  80, 90, 100, 110, 120};

}  // namespace

ControllerMemory::ControllerMemory()
{
    // A controller fresh from the factory: neutral multipliers, corrections and curves.
    for (uint8_t c : {0xE9, 0xEA, 0xEB, 0xEC}) std::memset(region(c), 100, 256);
    std::memset(region(0xAD), 128, 256);
    for (uint8_t c : {0xA8, 0xA9, 0xAA}) {
        uint8_t* r = region(c);
        r[0] = static_cast<uint8_t>(c - 0xA0);  // the curve's block number
        r[2] = c == 0xA8 ? 50 : 98;
        r[3] = 128;
        r[16] = c == 0xA8 ? 250 : 228;
        r[17] = 128;
        std::memset(r + 50, 128, 206);
    }
    uint8_t* s = settings();
    std::memcpy(s, kFactorySettings, 256);
    s[10] = 0;  // engine type
    s[89] = 60;
    s[90] = 128;
    s[92] = 128;
    s[101] = 0xD0;  // service interval 2000 h
    s[102] = 0x07;
    s[215] = 200;
    s[189] = 200;
    setInjectorCount(4);
    // The controller remembers a few old faults.
    errorCounters[8 * 2 + 0] = 3;  // gas pressure reducing, three times
    errorCounters[8 * 2 + 4] = 1;  // minimal RPM on gas, once
}

uint8_t* ControllerMemory::region(uint8_t readCommand)
{
    const int i = regionIndex(readCommand);
    return i < 0 ? nullptr : regions_[static_cast<size_t>(i)].data();
}

int ControllerMemory::readCommandOfWrite(uint8_t writeCommand)
{
    // Maps, settings, multipliers and RPM corrections are 0x10 below, history and tables 0x20.
    if (writeCommand >= 0xF0 && writeCommand <= 0xFC)
        return regionIndex(writeCommand - 0x10) >= 0 ? writeCommand - 0x10 : -1;
    if (writeCommand >= 0xC7 && writeCommand <= 0xCD) return writeCommand - 0x20;
    return -1;
}

void ControllerMemory::setInjectorCount(int count)
{
    count = std::clamp(count, 1, 8);
    settings()[31] = static_cast<uint8_t>(0xFF << count);
    sealSettings();
}

void ControllerMemory::sealSettings()
{
    uint8_t* s = settings();
    unsigned sum = 0;
    for (int i = 1; i < 256; ++i) sum += s[i];
    s[0] = static_cast<uint8_t>(-sum);
}

void ControllerMemory::raiseError(int byte, int bit)
{
    if (byte < 0 || byte > 6 || bit < 0 || bit > 7) return;
    if (!(currentErrors[byte] >> bit & 1)) {
        uint8_t& counter = errorCounters[static_cast<size_t>(8 * byte + bit)];
        if (counter < 255) ++counter;
    }
    currentErrors[byte] |= static_cast<uint8_t>(1u << bit);
}

void ControllerMemory::clearError(int byte, int bit)
{
    if (byte < 0 || byte > 6 || bit < 0 || bit > 7) return;
    currentErrors[byte] &= static_cast<uint8_t>(~(1u << bit));
}

void ControllerMemory::clearErrors()
{
    currentErrors.fill(0);
    errorCounters.fill(0);
}

bool ControllerMemory::anyCurrentError() const
{
    return std::any_of(currentErrors.begin(), currentErrors.end(), [](uint8_t b) { return b != 0; });
}

bool ControllerMemory::anyStoredError() const
{
    return std::any_of(errorCounters.begin(), errorCounters.end(), [](uint8_t b) { return b != 0; });
}
