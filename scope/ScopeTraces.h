#pragma once

#include <QtGui/QImage>

#include <cstdint>
#include <vector>

#include "link/ChannelDecoder.h"

// The parts of the oscilloscope's trace drawing that run per sample and per pixel column: decoded
// heights kept between frames, the per-column extremes when several samples fall on one column,
// and the min-max strokes written straight into the frame bitmap.
namespace ScopeTraces {

// Heights of every buffer slot for each drawn channel, decoded once and kept until the slot, the
// channel or the height changes, so that a live frame decodes one sample per trace.
class Cache {
public:
    // Heights of channel-table index `index` at trace height `E` for all 36000 slots. They are kept
    // as 16-bit values, limited to +-32767: far beyond any control's height, and half the memory to
    // run through per frame.
    const int16_t* heights(int index, const ChannelDecoder::Channel& channel, int E, const uint8_t* buffer);
    // Slot `slot` of the buffer was written.
    void slotChanged(int slot, const uint8_t* buffer);
    // The whole buffer changed (cleared or loaded).
    void clear();

private:
    struct Entry {
        ChannelDecoder::Channel channel;
        int E = -1;
        std::vector<int16_t> h;
    };
    std::vector<Entry> entries_;
};

// Smallest and largest height over the samples of each column K = 1 .. s - 1 (spp above 1);
// samples outside the buffer count as 0. `lo` and `hi` hold at least s entries.
void columnExtremes(const int16_t* heights, int windowStart, double spp, int s, int* lo, int* hi);

// The straight line between the points of columns `from` and `to` (`to` > `from`): y of the columns
// between them, rounded to the nearest row.
void joinColumns(int* y, int from, int to);

// One trace as min-max strokes with a 2-pixel pen: column K (from .. to, from >= 1) at x = K + 10
// runs from `first[K]` to `second[K]`, joined to the previous column's `second` (column 1 starts at
// its own `first`). Clipped to the image. A trace of columns 1 .. s - 1 is (1, s - 1).
void strokeColumns(QImage& image, QRgb colour, const int* first, const int* second, int from, int to);

}  // namespace ScopeTraces
