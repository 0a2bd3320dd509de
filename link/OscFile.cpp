#include "link/OscFile.h"

#include "link/ImageLayout.h"

#include <QtCore/QFile>
#include <QtCore/QFileInfo>

#include <cstring>

namespace OscFile {

namespace {

constexpr char kMagic[8] = {'o', 's', 'c', ' ', 'f', 'i', 'l', 'e'};

}  // namespace

QByteArray encodeHead(const MemoryImage& mem)
{
    QByteArray out(kHeadSize, '\0');
    std::memcpy(out.data(), kMagic, sizeof kMagic);
    out[8] = 1;
    out[9] = 1;
    ImageLayout::write(mem, out.data());
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
    const int first = parts == HeadParts::Everything ? 0 : ImageLayout::Settings;
    ImageLayout::read(reinterpret_cast<const char*>(bytes), mem, first, -1);
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
