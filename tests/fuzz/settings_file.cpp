// Fuzz harness: reading a settings file. The input is the file's bytes.
#include <memory>

#include "link/SettingsFile.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::Input in(data, size);
    const QByteArray bytes = in.rest();
    auto mem = std::make_unique<MemoryImage>();
    const MemoryImage before = *mem;
    const SettingsFile::Result result = SettingsFile::decode(bytes, *mem);
    if (result != SettingsFile::Ok) {
        // A refused file changes nothing.
        if (std::memcmp(&before, mem.get(), sizeof before) != 0) __builtin_trap();
        return 0;
    }
    // What was taken is written back as a file that reads again.
    auto again = std::make_unique<MemoryImage>();
    if (SettingsFile::decode(SettingsFile::encode(*mem), *again) != SettingsFile::Ok) __builtin_trap();
    return 0;
}
