#include "link/ScopeDecode.h"

#include "link/Tsterownik.h"

namespace ScopeDecode {

Channel channelOf(const TWykres& w) { return Channel{w.type, w.offset, w.scale, w.gain}; }

namespace {
// Double to int the way the display truncates, safe for values no int can hold.
int truncated(double v)
{
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(v);
}
}  // namespace

int value(const Channel& c, const uint8_t* sample, int h)
{
    const int o = c.offset;
    const bool isWord = c.type == 11 || c.type == 21 || c.type == 24;
    if (o < 0 || o + (isWord ? 2 : 1) > kSampleSize) return 0;
    const int r = sample[o];
    const int w = isWord ? r | (sample[o + 1] << 8) : 0;
    switch (c.type) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 7: {
            const int bit = (r >> c.type) & 1;
            return h > 0 ? bit * h : bit;
        }
        case 10: return h > 0 ? truncated(c.gain * r * h / 256) : r;
        case 11: return h > 0 ? truncated(c.gain * w * h / 1024) : w;
        case 20: return h > 0 ? truncated(c.gain * (r - 128) * h / 256) : r - 128;
        case 21: return h > 0 ? truncated(c.gain * (w - 273) * h / 1024) : w - 273;
        case 22: {
            const int q = r == 0 ? 128 : r;
            const int raw = (q - 128) * 100 / 128;  // integer division truncates toward zero
            return h > 0 ? truncated(c.gain * raw * h * 0.01) : raw;
        }
        case 23:
            if (h == 0) return r;
            return (r & 0x12) ? truncated(c.gain * h * 0.5) : 0;
        case 24: {
            // A scale of 0 would divide by zero; the offset then falls away.
            const int g = truncated(3.0 * w + (c.scale != 0 ? 7.35 / c.scale : 0.0));
            return h > 0 ? truncated(h * g * c.gain / 1024 * 0.25) : g;
        }
        default: return 0;
    }
}

int value(const Channel& c, const uint8_t* buffer, int index, int h)
{
    if (index < 0 || index >= kBufferSamples) return 0;
    return value(c, buffer + static_cast<size_t>(index) * kSampleSize, h);
}

}  // namespace ScopeDecode
