#include "link/FirmwareUpdate.h"

#include <QtCore/QDir>
#include <QtCore/QFile>

#include <cstring>

#include "base/TextTable.h"
#include "link/Tsterownik.h"

namespace FirmwareUpdate {

namespace {

constexpr char kMagic[8] = {'i', 'm', 'g', ' ', 'f', 'i', 'l', 'e'};

// Header byte of the image and the identity byte it must equal.
constexpr int kHardwareChecks[][2] = {{8, 44}, {18, 40}, {20, 42}, {21, 43}};

// Reads `path` into `image` and checks it: 0 or the error code.
int readChecked(const TSterownik& link, const QString& path, QByteArray& image)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return 141;
    if (file.size() >= kMaxFileSize) return 142;
    image = file.read(kMaxFileSize);
    if (image.size() != file.size()) return 141;
    // An image without its header, or without a single firmware block, cannot be flashed.
    if (image.size() <= MemoryImage::kFirmwareHeader || std::memcmp(image.constData(), kMagic, 8) != 0) return 143;
    for (const auto& check : kHardwareChecks) {
        if (static_cast<uint8_t>(image[check[0]]) != link.mem.identity[static_cast<size_t>(check[1])]) return 144;
    }
    return 0;
}

}  // namespace

int check(const TSterownik& link, const QString& path)
{
    QByteArray image;
    return readChecked(link, path, image);
}

int start(TSterownik& link, const QString& path)
{
    QByteArray image;
    if (const int error = readChecked(link, path, image)) return error;
    // The missing tail of a short image goes out as erased flash, never as an earlier file's bytes.
    link.mem.firmware.fill(0xFF);
    std::memcpy(link.mem.firmware.data(), image.constData(), static_cast<size_t>(image.size()));
    link.firmwareBlock = 0;
    link.requestCommand(TSterownik::CmdFirmwarePending);
    link.requestCommand(TSterownik::CmdJumpToBootloader);
    return 0;
}

int percent(const TSterownik& link) { return link.firmwareBlock * 100 / MemoryImage::kFirmwareBlocks; }

Prompt::FileDialog dialog(const QString& programFolder)
{
    Prompt::FileDialog d;
    const QString folder = QDir(programFolder).filePath(QStringLiteral("Firmware"));
    if (QDir(folder).exists()) d.folder = folder;
    d.filter = TextById(1114) + QStringLiteral(" (*.img)|*.img|") + TextById(1110) + QStringLiteral(" (*.*)|*.*");
    d.filterIndex = 1;
    d.defaultExtension = QStringLiteral("img");
    return d;
}

}  // namespace FirmwareUpdate

void Aktualizacja(TSterownik& link, Prompt& prompt, const QString& programFolder,
                  const std::function<void()>& showProgress, const std::function<void()>& beforeStart)
{
    const QString path = prompt.openFileName(FirmwareUpdate::dialog(programFolder));
    if (path.isEmpty()) return;
    // A file that will be refused is refused before anything is done for the update.
    int error = FirmwareUpdate::check(link, path);
    if (error == 0) {
        if (beforeStart) beforeStart();
        error = FirmwareUpdate::start(link, path);
    }
    if (error != 0) {
        prompt.errorCode(error);
        return;
    }
    if (showProgress) showProgress();
}
