#include "link/FrameCodec.h"

namespace FrameCodec {

uint8_t byteSum(const uint8_t* frame, int total)
{
    unsigned sum = 0;
    for (int i = 0; i < total; ++i) sum += frame[i];
    return static_cast<uint8_t>(sum);
}

uint8_t checksumFor(const uint8_t* frame, int total) { return static_cast<uint8_t>(256 - byteSum(frame, total)); }

void scramble(uint8_t* frame, int total)
{
    uint8_t key = frame[1] ^ 0x4D;
    for (int i = kHeadSize; i < total; ++i) {
        const uint8_t plain = frame[i];
        frame[i] = plain ^ key ^ static_cast<uint8_t>(255 - (i % 256));
        key = plain;
    }
}

void unscramble(uint8_t* frame, int total)
{
    uint8_t key = frame[1] ^ 0x4D;
    for (int i = kHeadSize; i < total; ++i) {
        frame[i] = frame[i] ^ key ^ static_cast<uint8_t>(255 - (i % 256));
        key = frame[i];
    }
}

int buildFrame(uint8_t* frame, uint8_t start, uint8_t command, int length)
{
    if (length & 1) ++length;
    frame[0] = start;
    frame[1] = 0;
    frame[2] = static_cast<uint8_t>(length / 2);
    frame[3] = command;
    const int total = length + kHeadSize;
    frame[1] = checksumFor(frame, total);
    return total;
}

QString logLine(const char* prefix, const uint8_t* frame, int total)
{
    static const char kHex[] = "0123456789ABCDEF";
    QString line = QLatin1String(prefix);
    line.reserve(line.size() + total * 3 + 2);
    for (int i = 0; i < total; ++i) {
        line += QLatin1Char(' ');
        line += QLatin1Char(kHex[frame[i] >> 4]);
        line += QLatin1Char(kHex[frame[i] & 15]);
        if (i == kHeadSize - 1) line += QLatin1String("  ");
    }
    return line;
}

}  // namespace FrameCodec
