#include "link/ImageLayout.h"

#include <cstring>

namespace ImageLayout {

uint8_t* partOf(MemoryImage& mem, int id)
{
    switch (id) {
        case ReservedB: return mem.reservedB();
        case ReservedA: return mem.reservedA.data();
        case Identity: return mem.identity.data();
        case History: return mem.block(MemoryImage::History);
        case Settings: return mem.settingsBlock();
        case Mult1: return mem.block(MemoryImage::Multiplier1);
        case Mult2: return mem.block(MemoryImage::Multiplier2);
        case Rpm1: return mem.block(MemoryImage::RpmCorrection1);
        case Rpm2: return mem.block(MemoryImage::RpmCorrection2);
        case GasPressure: return mem.block(MemoryImage::GasPressureCorrection);
        case ReducerTemp: return mem.block(MemoryImage::ReducerTempCorrection);
        case GasTemp: return mem.block(MemoryImage::GasTempCorrection);
        default: return mem.map(static_cast<MemoryImage::Map>(MemoryImage::PetrolMap + (id - PetrolMap)));
    }
}

void write(const MemoryImage& mem, char* out)
{
    // Reading only: partOf hands out writable pointers for the shared table.
    MemoryImage& image = const_cast<MemoryImage&>(mem);
    for (int id = 0; id < PartCount; ++id)
        std::memcpy(out + kParts[id].offset, partOf(image, id), static_cast<size_t>(kParts[id].size));
}

void read(const char* bytes, MemoryImage& mem, int first, int skip)
{
    for (int id = first; id < PartCount; ++id)
        if (id != skip) std::memcpy(partOf(mem, id), bytes + kParts[id].offset, static_cast<size_t>(kParts[id].size));
}

}  // namespace ImageLayout
