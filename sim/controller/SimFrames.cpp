#include "sim/controller/SimFrames.h"

namespace SimFrames {

namespace {
constexpr uint8_t kPcStart = 'e';

// Mask of byte position i: the position counted down from 255, wrapping every 256 bytes.
uint8_t positionMask(qsizetype i) { return static_cast<uint8_t>(~static_cast<uint8_t>(i & 0xFF)); }
}  // namespace

QByteArray encode(uint8_t start, uint8_t command, QByteArray payload)
{
    if (payload.size() % 2) payload.append('\0');
    QByteArray frame;
    frame.append(static_cast<char>(start));
    frame.append('\0');
    frame.append(static_cast<char>(payload.size() / 2));
    frame.append(static_cast<char>(command));
    frame.append(payload);
    int sum = 0;
    for (char c : frame) sum += static_cast<uint8_t>(c);
    const uint8_t check = static_cast<uint8_t>((0x100 - (sum % 0x100)) % 0x100);
    frame[1] = static_cast<char>(check);
    uint8_t previous = check ^ 0x4D;
    for (qsizetype i = 4; i < frame.size(); ++i) {
        const uint8_t plain = static_cast<uint8_t>(frame[i]);
        frame[i] = static_cast<char>(plain ^ previous ^ positionMask(i));
        previous = plain;
    }
    return frame;
}

std::optional<Request> takeRequest(QByteArray& stream, int* badFrames)
{
    for (;;) {
        while (!stream.isEmpty() && static_cast<uint8_t>(stream[0]) != kPcStart) stream.remove(0, 1);
        if (stream.size() < 4) return std::nullopt;
        const qsizetype total = 4 + 2 * static_cast<uint8_t>(stream[2]);
        if (stream.size() < total) return std::nullopt;
        QByteArray frame = stream.left(total);
        uint8_t previous = static_cast<uint8_t>(frame[1]) ^ 0x4D;
        for (qsizetype i = 4; i < total; ++i) {
            const uint8_t plain = static_cast<uint8_t>(frame[i]) ^ previous ^ positionMask(i);
            frame[i] = static_cast<char>(plain);
            previous = plain;
        }
        int sum = 0;
        for (char c : frame) sum += static_cast<uint8_t>(c);
        if (sum % 256 != 0) {
            // Not a frame after all (or a damaged one): resynchronise on the next byte.
            stream.remove(0, 1);
            if (badFrames) ++*badFrames;
            continue;
        }
        stream.remove(0, total);
        return Request{static_cast<uint8_t>(frame[3]), frame.mid(4)};
    }
}

}  // namespace SimFrames
