#include "link/SettingsFile.h"

#include "link/ImageLayout.h"

#include <QtCore/QFile>
#include <QtCore/QFileInfo>

#include "base/AtomicSave.h"

#include <algorithm>
#include <cstring>

namespace SettingsFile {

namespace {

constexpr char kMagic[8] = {'s', 'e', 't', ' ', 'f', 'i', 'l', 'e'};

}  // namespace

QByteArray encode(const MemoryImage& mem)
{
    QByteArray out(kSize, '\0');
    std::memcpy(out.data(), kMagic, sizeof kMagic);
    out[8] = static_cast<char>(kVersion);
    ImageLayout::write(mem, out.data());
    return out;
}

Result decode(const QByteArray& bytes, MemoryImage& mem)
{
    // Files of this format are always 4096 bytes: a cut or padded one would mix the file's
    // regions with what the image held, and a connected load would write that mix.
    if (bytes.size() != kSize || std::memcmp(bytes.constData(), kMagic, sizeof kMagic) != 0 ||
        static_cast<uint8_t>(bytes[8]) != kVersion)
        return NotSettingsFile;
    // The image keeps the history read from the controller.
    ImageLayout::read(bytes.constData(), mem, 0, ImageLayout::History);
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
