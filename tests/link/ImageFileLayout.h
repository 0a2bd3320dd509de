#pragma once

// The memory-image head that the settings file and the oscilloscope recording share: the offset
// and size of each part, written out independently of the code under test, and where each part
// lives in the memory image.
#include <cstdint>

#include "link/MemoryImage.h"

namespace ImageFileLayout {

struct Part {
    const char* name;
    int offset;
    int size;
};

constexpr int kPartCount = 18;

inline constexpr Part kLayout[kPartCount] = {
    {"reserved B", 16, 48},      {"reserved A", 64, 64},          {"identity", 128, 128},
    {"history", 256, 256},       {"settings", 512, 256},          {"multiplier 1", 768, 256},
    {"multiplier 2", 1024, 256}, {"rpm correction 1", 1280, 256}, {"rpm correction 2", 1536, 256},
    {"gas pressure", 1792, 256}, {"reducer temp", 2048, 256},     {"gas temp", 2304, 256},
    {"petrol map", 2560, 256},   {"gas map", 2816, 256},          {"obd petrol 1", 3072, 256},
    {"obd gas 1", 3328, 256},    {"obd petrol 2", 3584, 256},     {"obd gas 2", 3840, 256},
};

// The memory-image bytes of part `i` of kLayout.
inline uint8_t* partOf(MemoryImage& m, int i)
{
    switch (i) {
        case 0: return m.settings.data() + 256;
        case 1: return m.reservedA.data();
        case 2: return m.identity.data();
        case 3: return m.block(MemoryImage::History);
        case 4: return m.settings.data();
        case 5: return m.block(MemoryImage::Multiplier1);
        case 6: return m.block(MemoryImage::Multiplier2);
        case 7: return m.block(MemoryImage::RpmCorrection1);
        case 8: return m.block(MemoryImage::RpmCorrection2);
        case 9: return m.block(MemoryImage::GasPressureCorrection);
        case 10: return m.block(MemoryImage::ReducerTempCorrection);
        case 11: return m.block(MemoryImage::GasTempCorrection);
        default: return m.map(static_cast<MemoryImage::Map>(i - 12));
    }
}

}  // namespace ImageFileLayout
