#include "link/SettingsFile.h"

#include <QtCore/QFile>
#include <QtCore/QFileInfo>

#include "base/AtomicSave.h"

#include <algorithm>
#include <cstring>

namespace SettingsFile {

namespace {

constexpr char kMagic[8] = {'s', 'e', 't', ' ', 'f', 'i', 'l', 'e'};

struct Part {
    int offset;
    int size;
};

// Where each part of the image lives in the file, in file order.
enum PartId {
    ReservedB, ReservedA, Identity, History, Settings, Mult1, Mult2, Rpm1, Rpm2, GasPressure, ReducerTemp,
    GasTemp, PetrolMap, GasMap, ObdPetrol1, ObdGas1, ObdPetrol2, ObdGas2, PartCount
};

constexpr Part kParts[PartCount] = {
    {16, 48},    {64, 64},    {128, 128},  {256, 256},  {512, 256},  {768, 256},
    {1024, 256}, {1280, 256}, {1536, 256}, {1792, 256}, {2048, 256}, {2304, 256},
    {2560, 256}, {2816, 256}, {3072, 256}, {3328, 256}, {3584, 256}, {3840, 256},
};

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

}  // namespace

QByteArray encode(const MemoryImage& mem)
{
    QByteArray out(kSize, '\0');
    std::memcpy(out.data(), kMagic, sizeof kMagic);
    out[8] = static_cast<char>(kVersion);
    // Reading only: partOf hands out writable pointers for the shared table.
    MemoryImage& image = const_cast<MemoryImage&>(mem);
    for (int id = 0; id < PartCount; ++id)
        std::memcpy(out.data() + kParts[id].offset, partOf(image, id), static_cast<size_t>(kParts[id].size));
    return out;
}

Result decode(const QByteArray& bytes, MemoryImage& mem)
{
    // Files of this format are always 4096 bytes: a cut or padded one would mix the file's
    // regions with what the image held, and a connected load would write that mix.
    if (bytes.size() != kSize || std::memcmp(bytes.constData(), kMagic, sizeof kMagic) != 0 ||
        static_cast<uint8_t>(bytes[8]) != kVersion)
        return NotSettingsFile;
    for (int id = 0; id < PartCount; ++id) {
        if (id == History) continue;  // the image keeps the history read from the controller
        const Part& p = kParts[id];
        std::memcpy(partOf(mem, id), bytes.constData() + p.offset, static_cast<size_t>(p.size));
    }
    return Ok;
}

Result save(const QString& path, const MemoryImage& mem)
{
    return AtomicSave::save(path, encode(mem)) ? Ok : CannotCreate;
}

Result load(const QString& path, MemoryImage& mem)
{
    // Only a regular file: a FIFO would block the program on opening, a device would never end.
    QFileInfo info(path);
    if (path.isEmpty() || !info.isFile()) return CannotOpen;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return CannotOpen;
    // One byte more than the format holds tells a longer file from an exact one.
    const QByteArray bytes = file.read(kSize + 1);
    return decode(bytes, mem);
}

}  // namespace SettingsFile
