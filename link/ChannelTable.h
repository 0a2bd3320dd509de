#pragma once

#include <QtCore/QVector>

#include "link/LinkEvents.h"
#include "link/MemoryImage.h"

// Views that show a live channel: the bits of `TWykres::flags`.
enum ChannelView : int {
    kChannelScope = 0x01,        // offered in the oscilloscope's channel list and its CSV export
    kChannelParamDialog = 0x02,  // offered in the readings selection dialog
    kChannelDiagnostic = 0x04,   // diagnostic channel: joins masks 0x1 and 0x2 while diagnostics are on
    kChannelDrawn = 0x10,        // drawn by the oscilloscope (the channel list toggles it)
    kChannelReadings = 0x20,     // shown in the main window's readings grid
    kChannelInjector = 0x40,     // an injector's petrol or gas time
};

// One live channel: how a reading is found in a live-data frame and how it is shown.
struct TWykres {
    int id = 0;      // language text ID of the label (negative: fixed diagnostic names)
    int unit = 0;    // language text ID of the unit, 0 = none
    int type = 0;    // encoding: 0..7 bit, 10 byte, 11 word, 12, 13, 20..24
    int offset = 0;  // frame byte where the raw value starts
    double scale = 1;
    int decimals = 0;  // 0 = general format, 1..3 fixed decimals
    TColor colour = 0;
    double gain = 1;  // oscilloscope gain
    int flags = 0;    // views that show the channel (ChannelView bits)
};

// The live channel table: the channels in their order (indices are used by the rest of the program),
// adapted to the connected controller's load signal and identity, with the views that show each
// channel. The controller link keeps one for the readings it shows; a recording's head gives one for
// its CSV export without a link.
class ChannelTable {
public:
    ChannelTable() { build(); }

    // The table as built, before it is adapted to a controller.
    void build();
    void add(const TWykres& channel) { channels_.append(channel); }
    // The lambda channel's label, unit and encoding follow the load signal (settings byte 4).
    void adaptToLoadSignal(const MemoryImage& image);
    // One or two lambda channels, and the cylinders the controller has (identity bytes 42 and 43).
    void adaptToController(const MemoryImage& image);

    const QVector<TWykres>& channels() const { return channels_; }
    // The diagnostic channels join the views of masks 0x1 and 0x2 while on.
    void setDiagnostic(bool on) { diagnostic_ = on; }
    bool diagnostic() const { return diagnostic_; }
    // Channels shown in the views of `mask`, and the index of the n-th of them (the table's size
    // when there is none).
    int count(int mask) const;
    int position(int mask, int n) const;

    void setShown(int channel, int view, bool shown);
    void toggleShown(int channel, int view);
    void setColour(int channel, TColor colour);

private:
    QVector<TWykres> channels_;
    bool diagnostic_ = false;
};
