// Fuzz harness: the checks of a firmware file before an update. The input is written to a real
// file and offered to the update against a controller whose hardware bytes match the file's
// header or come from the input.
// Input: match flag, four identity bytes, then the file's bytes.
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>

#include <cstring>
#include <vector>

#include "link/FirmwareUpdate.h"
#include "link/Tsterownik.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::ensureApplication();
    // In memory where the system offers it: the file is written once per input.
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/kavelo-fuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/kavelo-fuzz-XXXXXX"));
    static TSterownik* link = [] {
        auto* l = new TSterownik;
        l->timer()->stop();
        return l;
    }();
    static const QString path = folder.filePath(QStringLiteral("image.img"));

    Fuzz::Input in(data, size);
    const bool match = in.byte() & 1;
    uint8_t identity[4];
    for (uint8_t& b : identity) b = in.byte();
    const QByteArray image = in.rest();

    // Header byte of the image and the identity byte it is checked against.
    static constexpr int kChecks[][2] = {{8, 44}, {18, 40}, {20, 42}, {21, 43}};
    for (int i = 0; i < 4; ++i) {
        const int at = kChecks[i][0];
        link->mem.identity[static_cast<size_t>(kChecks[i][1])] =
            match && image.size() > at ? static_cast<uint8_t>(image[at]) : identity[i];
    }
    for (int c = 0; c < TSterownik::CommandCount; ++c) link->cancelCommand(TSterownik::Command(c));
    link->firmwareBlock = 7;

    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        file.write(image);
    }
    const int result = FirmwareUpdate::start(*link, path);
    if (result != 0 && result != 141 && result != 142 && result != 143 && result != 144) __builtin_trap();
    if (result == 0) {
        // The buffer holds the file, then erased flash.
        if (std::memcmp(link->mem.firmware.data(), image.constData(), static_cast<size_t>(image.size())) != 0)
            __builtin_trap();
        static const std::vector<uint8_t> erased(link->mem.firmware.size(), 0xFF);
        const size_t rest = link->mem.firmware.size() - static_cast<size_t>(image.size());
        if (std::memcmp(link->mem.firmware.data() + image.size(), erased.data(), rest) != 0) __builtin_trap();
        if (link->firmwareBlock != 0 || !link->commandPending(TSterownik::CmdFirmwarePending)) __builtin_trap();
    } else if (link->firmwareBlock != 7 || link->commandPending(TSterownik::CmdFirmwarePending)) {
        __builtin_trap();  // an error leaves the link as it was
    }
    return 0;
}
