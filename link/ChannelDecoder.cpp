#include "link/ChannelDecoder.h"

#include <QtCore/QLocale>

#include <algorithm>

#include "base/NumberLocale.h"
#include "link/Tsterownik.h"

namespace ChannelDecoder {

Channel channelOf(const TWykres& w) { return Channel{w.type, w.offset, w.scale, w.gain, w.decimals}; }

namespace {
// Double to int the way the display truncates, safe for values no int can hold.
int truncated(double v)
{
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(v);
}

QString fixed(double value, int decimals) { return NumberLocale().toString(value, 'f', decimals); }

Shown text(QString t) { return Shown{false, 0, std::move(t)}; }
}  // namespace

const char* fuelSystemText(int status)
{
    switch (status) {
        case 1: return "OL";
        case 2: return "CL";
        case 4: return "OL Load";
        case 8: return "OL Fault";
        case 16: return "CL Error";
        default: return "-";
    }
}

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

Shown shown(const Channel& c, const LiveFrame& frame, const uint8_t* settings)
{
    const int o = c.offset;
    if (o < 0 || o + 1 >= kSampleSize) return text(QStringLiteral(" "));
    const uint8_t* f = frame.data();
    double raw = 0;
    switch (c.type) {
        // Bits, bytes and words read as the oscilloscope reads them raw.
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 7:
        case 10:
        case 11:
        case 20:
        case 21: raw = value(c, f, 0); break;
        // The grid shows the air-fuel ratio and the fuel trim with their fractions.
        case 24: raw = LiveFrameBytes::word(frame, o); break;
        case 22:
            if (f[o] == 0) return text(QStringLiteral("-"));
            raw = (f[o] - 128) * 100.0 / 128;
            break;
        case 23: return text(QLatin1String(fuelSystemText(f[o])));
        case 12: return text(fixed(settings[89] * 0.004 - (settings[90] - 128) * 0.02, 3));
        case 13: return text(fixed(f[38] * 0.1, 1) + QLatin1Char(' ') + fixed(f[39] * 0.1, 1));
        default: return text(QStringLiteral(" "));
    }
    double v = c.scale * raw;
    if (c.type == 24) v = v * 3 + 7.35;
    Shown s{true, v, {}};
    s.text = c.decimals <= 0 ? NumberLocale().toString(v, 'f', QLocale::FloatingPointShortest)
                             : fixed(v, std::min(c.decimals, 3));
    return s;
}

}  // namespace ChannelDecoder
