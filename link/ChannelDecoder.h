#pragma once

#include <QtCore/QString>

#include <cstdint>

#include "link/LiveFrame.h"

struct TWykres;

// The one decoder of live channels: the reading of one channel-table entry in one 128-byte live
// frame or recorded sample, raw (height 0) or scaled to an oscilloscope trace height in pixels, and
// the text the readings grid shows. Pure; shared by the link's StrParamBiez, the readings grid, the
// oscilloscope, the CSV export, the command line and the tests.
//
// The fuel trim (type 22) and the air-fuel ratio (type 24) are read two ways on purpose: the
// oscilloscope reads them as integers (the trim truncated toward zero, the ratio as 3 x word plus
// 7.35 / scale), the readings grid with their fractions (the trim in exact percent, the ratio as
// scale x word x 3 + 7.35).
namespace ChannelDecoder {

constexpr int kSampleSize = LiveFrame::kSize;
constexpr int kBufferSamples = 36000;

// How a channel is found and scaled, taken once from its channel-table entry.
struct Channel {
    int type = 0;  // encoding: 0..7 bit, 10 byte, 11 word, 12, 13, 20..24
    int offset = 0;
    double scale = 1;
    double gain = 1;
    int decimals = 0;  // 0 = general format, 1..3 fixed decimals
};
Channel channelOf(const TWykres& w);

// Reading of `c` in `sample` (128 bytes), scaled to `height` pixels; height 0 gives the raw
// reading. A channel whose bytes lie outside the sample reads 0.
int value(const Channel& c, const uint8_t* sample, int height);
// The same for sample `index` of a 36000-sample buffer; an index outside 0..35999 reads 0.
int value(const Channel& c, const uint8_t* buffer, int index, int height);

// Text of the OBD fuel-system status byte (type 23).
const char* fuelSystemText(int status);

// What the readings grid shows for one channel: a number has `value` and its formatted `text`;
// computed and coded readings have only `text`.
struct Shown {
    bool number = false;
    double value = 0;
    QString text;
};
// `settings` is the settings block of the memory image (type 12 reads its bytes 89 and 90). A
// channel whose bytes lie beyond the frame shows blank.
Shown shown(const Channel& c, const LiveFrame& frame, const uint8_t* settings);

}  // namespace ChannelDecoder
