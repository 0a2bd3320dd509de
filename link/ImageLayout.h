#pragma once

#include <cstdint>

#include "link/MemoryImage.h"

// The layout of the memory image in the 4096 bytes shared by the settings file and the head of an
// oscilloscope recording: a 16-byte header (the caller's magic and version), then the reserved
// blocks, the identity, the history, the settings and the map and correction regions at fixed
// offsets.
namespace ImageLayout {

constexpr int kSize = 4096;

// The parts in file order.
enum PartId {
    ReservedB,
    ReservedA,
    Identity,
    History,
    Settings,
    Mult1,
    Mult2,
    Rpm1,
    Rpm2,
    GasPressure,
    ReducerTemp,
    GasTemp,
    PetrolMap,
    GasMap,
    ObdPetrol1,
    ObdGas1,
    ObdPetrol2,
    ObdGas2,
    PartCount
};

struct Part {
    int offset;
    int size;
};

inline constexpr Part kParts[PartCount] = {
    {16, 48},    {64, 64},    {128, 128},  {256, 256},  {512, 256},  {768, 256},  {1024, 256}, {1280, 256}, {1536, 256},
    {1792, 256}, {2048, 256}, {2304, 256}, {2560, 256}, {2816, 256}, {3072, 256}, {3328, 256}, {3584, 256}, {3840, 256},
};

// Where part `id` lives in the image.
uint8_t* partOf(MemoryImage& mem, int id);

// Copies parts 0..PartCount-1 of `mem` into `out` (4096 bytes) at their offsets.
void write(const MemoryImage& mem, char* out);
// Copies parts `first`..PartCount-1 from `bytes` (4096 bytes) into `mem`, leaving out `skip`
// (-1: none).
void read(const char* bytes, MemoryImage& mem, int first, int skip);

}  // namespace ImageLayout
