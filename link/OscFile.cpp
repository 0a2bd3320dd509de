#include "link/OscFile.h"

#include <QtCore/QFile>
#include <QtCore/QFileInfo>

#include <cstring>

namespace OscFile {

namespace {

constexpr char kMagic[8] = {'o', 's', 'c', ' ', 'f', 'i', 'l', 'e'};

struct Part {
    int offset;
    int size;
};

// Where each part of the image lives in the head, in file order.
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

QByteArray encodeHead(const MemoryImage& mem)
{
    QByteArray out(kHeadSize, '\0');
    std::memcpy(out.data(), kMagic, sizeof kMagic);
    out[8] = 1;
    out[9] = 1;
    // Reading only: partOf hands out writable pointers for the shared table.
    MemoryImage& image = const_cast<MemoryImage&>(mem);
    for (int id = 0; id < PartCount; ++id)
        std::memcpy(out.data() + kParts[id].offset, partOf(image, id), static_cast<size_t>(kParts[id].size));
    return out;
}

bool isRecording(const uint8_t* bytes, qint64 size)
{
    return bytes && size >= kHeadSize && std::memcmp(bytes, kMagic, sizeof kMagic) == 0 && bytes[8] == 1 &&
           bytes[9] == 1;
}

Result decodeHead(const uint8_t* bytes, qint64 size, MemoryImage& mem, HeadParts parts)
{
    if (!isRecording(bytes, size)) return NotRecording;
    const int first = parts == HeadParts::Everything ? 0 : Settings;
    for (int id = first; id < PartCount; ++id)
        std::memcpy(partOf(mem, id), bytes + kParts[id].offset, static_cast<size_t>(kParts[id].size));
    return Ok;
}

qint64 sampleCount(qint64 fileSize) { return fileSize < kHeadSize ? 0 : (fileSize - kHeadSize) / kSampleSize; }

namespace {

// Opens `path` and reads its head: CannotOpen or NotRecording, or Ok with the file left open.
Result openChecked(const QString& path, QFile& file, QByteArray& head)
{
    // Only regular files: a folder cannot be read, and a pipe or a device would block the window.
    if (path.isEmpty() || !QFileInfo(path).isFile()) return CannotOpen;
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) return CannotOpen;
    head = file.read(kHeadSize);
    if (!isRecording(reinterpret_cast<const uint8_t*>(head.constData()), head.size())) return NotRecording;
    return Ok;
}

}  // namespace

Result load(const QString& path, MemoryImage& mem, HeadParts parts, uint8_t* samples, int capacity, int& count)
{
    QFile file;
    QByteArray head;
    if (const Result r = openChecked(path, file, head)) return r;
    decodeHead(reinterpret_cast<const uint8_t*>(head.constData()), head.size(), mem, parts);
    int n = 0;
    if (samples && capacity > 0) {
        const qint64 wanted = std::min<qint64>(sampleCount(file.size()), capacity);
        // One read straight into the buffer; a file that shrank meanwhile gives what it still has.
        const qint64 got = file.read(reinterpret_cast<char*>(samples), wanted * kSampleSize);
        n = got > 0 ? static_cast<int>(got / kSampleSize) : 0;
    }
    count = n;
    return Ok;
}

Result loadHead(const QString& path, MemoryImage& mem, qint64& samples)
{
    QFile file;
    QByteArray head;
    if (const Result r = openChecked(path, file, head)) return r;
    decodeHead(reinterpret_cast<const uint8_t*>(head.constData()), head.size(), mem, HeadParts::Everything);
    samples = sampleCount(file.size());
    return Ok;
}

}  // namespace OscFile
