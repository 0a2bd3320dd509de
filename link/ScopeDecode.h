#pragma once

#include <cstdint>

struct TWykres;

// The oscilloscope's sample decoder: the reading of one live channel in one 128-byte sample,
// either raw (height 0) or scaled to a trace height in pixels. Pure; shared by the view, the CSV
// export, the command line and the tests.
namespace ScopeDecode {

constexpr int kSampleSize = 128;
constexpr int kBufferSamples = 36000;

// How a channel is found and scaled, taken once from its channel-table entry.
struct Channel {
    int type = 0;
    int offset = 0;
    double scale = 1;
    double gain = 1;
};
Channel channelOf(const TWykres& w);

// Reading of `c` in `sample` (128 bytes), scaled to `height` pixels; height 0 gives the raw
// reading. A channel whose bytes lie outside the sample reads 0.
int value(const Channel& c, const uint8_t* sample, int height);
// The same for sample `index` of a 36000-sample buffer; an index outside 0..35999 reads 0.
int value(const Channel& c, const uint8_t* buffer, int index, int height);

}  // namespace ScopeDecode
