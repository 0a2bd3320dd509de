// Fuzz harness: reading an oscilloscope recording. The first input byte picks what the head is
// decoded into and the channel whose readings are taken; the rest is the file's bytes.
#include <cstring>
#include <memory>

#include "link/ChannelDecoder.h"
#include "link/OscFile.h"
#include "link/ScopeCsv.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::Input in(data, size);
    const uint8_t control = in.byte();
    const QByteArray bytes = in.rest();
    const auto* file = reinterpret_cast<const uint8_t*>(bytes.constData());
    const OscFile::HeadParts parts = control & 1 ? OscFile::HeadParts::Everything : OscFile::HeadParts::Restored;

    auto mem = std::make_unique<MemoryImage>();
    const MemoryImage before = *mem;
    if (OscFile::decodeHead(file, bytes.size(), *mem, parts) != OscFile::Ok) {
        // A refused file changes nothing.
        if (std::memcmp(&before, mem.get(), sizeof before) != 0) __builtin_trap();
        return 0;
    }
    // The whole head taken is written back byte for byte, but for the reserved bytes 10..15.
    if (parts == OscFile::HeadParts::Everything) {
        QByteArray head = OscFile::encodeHead(*mem);
        QByteArray original = bytes.left(OscFile::kHeadSize);
        original.replace(10, 6, QByteArray(6, '\0'));
        if (head != original) __builtin_trap();
    }

    // Every whole sample decodes under every channel kind and offset, and exports as CSV text.
    const qint64 samples = OscFile::sampleCount(bytes.size());
    const uint8_t* first = file + OscFile::kHeadSize;
    const ChannelDecoder::Channel channel{control >> 1, (control * 7) % 160 - 16, 0.01 * (control % 5), 1.4};
    QVector<ScopeCsv::Column> columns;
    for (int type : {0, 7, 10, 11, 20, 21, 22, 23, 24, 99})
        columns.append(
            ScopeCsv::Column{ChannelDecoder::Channel{type, (type * 13 + control) % 128, 0.004, 2}, type % 5, 0});
    QByteArray text;
    for (qint64 i = 0; i < samples; ++i) {
        const uint8_t* sample = first + i * OscFile::kSampleSize;
        for (int h : {0, 1, 28, 1000}) (void)ChannelDecoder::value(channel, sample, h);
    }
    const int exported = static_cast<int>(std::min<qint64>(samples, 64));
    ScopeCsv::appendRows(text, columns, first, exported, 0, QByteArrayLiteral(","));
    if (samples > 0 && !text.endsWith("\r\n")) __builtin_trap();
    return 0;
}
