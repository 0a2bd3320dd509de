// The live channel table: how readings are found in a live-data frame and shown.
#include "link/ChannelTable.h"

#include <iterator>

namespace {

struct ChannelRow {
    int id, unit, type, offset;
    double scale;
    int decimals;
    TColor colour;
    double gain;
    int flags;
};

// The channels in their order; indices are used by the rest of the program.
constexpr ChannelRow kChannels[] = {
    {0, 0, 11, 10, 1, 0, Rgb(0, 0, 0), 1, 0},
    {1400, 1056, 11, 17, 10, 0, Rgb(0, 112, 253), 1.4, 51},
    {1402, 1057, 11, 17, 10, 0, Rgb(0, 112, 253), 1.4, 0},
    {1404, 1051, 11, 44, 0.01, 2, Rgb(144, 144, 0), 5, 51},
    {1406, 1051, 11, 48, 0.01, 2, Rgb(0, 160, 0), 5, 51},
    {1408, 1051, 11, 46, 0.01, 2, Rgb(0, 160, 128), 5, 3},
    {1410, 1054, 20, 40, 1, 0, Rgb(255, 128, 64), 1, 51},
    {1412, 1054, 20, 42, 1, 0, Rgb(255, 1, 134), 1, 51},
    {1418, 1050, 11, 58, 0.005, 2, Rgb(255, 0, 255), 1, 0},
    {1420, 1050, 11, 58, 0.005, 2, Rgb(255, 0, 255), 2.5, 3},
    {1422, 1050, 11, 56, 0.005, 2, Rgb(128, 0, 128), 2.5, 3},
    {1430, 1050, 10, 50, 0.02, 2, Rgb(0, 80, 255), 1, 3},
    {1432, 1050, 11, 52, 0.005, 2, Rgb(255, 0, 128), 1, 35},
    {1450, 0, 23, 97, 1, 0, Rgb(144, 96, 48), 1, 3},
    {1452, 1057, 22, 99, 1, 1, Rgb(96, 208, 96), 1, 3},
    {1454, 1057, 22, 100, 1, 1, Rgb(0, 184, 184), 1, 3},
    {1456, 0, 23, 98, 1, 0, Rgb(128, 80, 32), 1, 3},
    {1458, 1057, 22, 101, 1, 1, Rgb(80, 192, 80), 1, 3},
    {1460, 1057, 22, 102, 1, 1, Rgb(0, 160, 160), 1, 3},
    {1501, 1053, 11, 60, 0.004, 2, Rgb(255, 0, 0), 0.16, 81},
    {1601, 1053, 11, 62, 0.004, 2, Rgb(0, 160, 0), 0.16, 81},
    {1502, 1053, 11, 64, 0.004, 2, Rgb(255, 40, 40), 0.16, 65},
    {1602, 1053, 11, 66, 0.004, 2, Rgb(40, 160, 40), 0.16, 65},
    {1503, 1053, 11, 68, 0.004, 2, Rgb(255, 70, 70), 0.16, 65},
    {1603, 1053, 11, 70, 0.004, 2, Rgb(70, 160, 70), 0.16, 65},
    {1504, 1053, 11, 72, 0.004, 2, Rgb(255, 90, 90), 0.16, 65},
    {1604, 1053, 11, 74, 0.004, 2, Rgb(90, 160, 90), 0.16, 65},
    {1505, 1053, 11, 76, 0.004, 2, Rgb(255, 0, 0), 0.16, 65},
    {1605, 1053, 11, 78, 0.004, 2, Rgb(0, 160, 0), 0.16, 65},
    {1506, 1053, 11, 80, 0.004, 2, Rgb(255, 40, 40), 0.16, 65},
    {1606, 1053, 11, 82, 0.004, 2, Rgb(40, 160, 40), 0.16, 65},
    {1507, 1053, 11, 84, 0.004, 2, Rgb(255, 70, 70), 0.16, 65},
    {1607, 1053, 11, 86, 0.004, 2, Rgb(70, 160, 70), 0.16, 65},
    {1508, 1053, 11, 88, 0.004, 2, Rgb(255, 90, 90), 0.16, 65},
    {1608, 1053, 11, 90, 0.004, 2, Rgb(90, 160, 90), 0.16, 65},
    {-30, 1054, 21, 54, 1, 0, Rgb(255, 0, 0), 1, 4},
    {-31, 1053, 12, 60, 0.004, 3, Rgb(0, 255, 0), 1, 4},
    {-32, 0, 10, 31, 0.01, 2, Rgb(0, 255, 0), 1, 4},
    {-33, 0, 10, 33, 0.01, 2, Rgb(0, 255, 0), 1, 4},
    {-34, 0, 10, 35, 0.0078125, 2, Rgb(0, 255, 0), 1, 4},
    {-35, 0, 10, 36, 0.0078125, 2, Rgb(0, 255, 0), 1, 4},
    {-36, 0, 10, 30, 0.0078125, 2, Rgb(0, 255, 0), 1, 4},
    {-37, 1053, 20, 37, 0.025, 3, Rgb(0, 255, 0), 1, 4},
    {-38, 1053, 13, 38, 0.1, 1, Rgb(0, 255, 0), 1, 4},
    {-39, 0, 10, 29, 1, 0, Rgb(0, 255, 0), 1, 4},
};

constexpr int kLambdaChannel = 8;
constexpr int kFirstCylinder5Channel = 27;

}  // namespace

void ChannelTable::build()
{
    channels_.clear();
    for (const ChannelRow& c : kChannels)
        add(TWykres{c.id, c.unit, c.type, c.offset, c.scale, c.decimals, c.colour, c.gain, c.flags});
}

void ChannelTable::adaptToLoadSignal(const MemoryImage& image)
{
    // What the lambda channel shows by settings byte 4: label, unit and encoding.
    struct Shown {
        int id, unit, type;
    };
    constexpr Shown kByInput[] = {{3041, 1050, 11}, {3042, 1050, 11}, {3043, 1050, 11}, {3044, 0, 24}};
    const int input = image.settings[4];
    if (input >= int(std::size(kByInput))) return;
    TWykres& w = channels_[kLambdaChannel];
    w.id = kByInput[input].id;
    w.unit = kByInput[input].unit;
    w.type = kByInput[input].type;
}

void ChannelTable::adaptToController(const MemoryImage& image)
{
    const bool oneLambda = image.identity[42] < 3;
    channels_[kLambdaChannel].flags = oneLambda ? 3 : 0;
    channels_[kLambdaChannel + 1].flags = oneLambda ? 0 : 3;
    channels_[kLambdaChannel + 2].flags = oneLambda ? 0 : 3;
    // Cylinder variant: 4 hides cylinders 5..8, 6 hides 7 and 8, anything else shows all eight.
    const int variant = image.identity[43];
    for (int c = kFirstCylinder5Channel; c <= kFirstCylinder5Channel + 7; ++c) {
        const int cylinder = 5 + (c - kFirstCylinder5Channel) / 2;
        const bool hidden = variant == 4 || (variant == 6 && cylinder > 6);
        channels_[c].flags = hidden ? 0 : 65;
    }
}

namespace {
int effectiveMask(int mask, bool diagnostic)
{
    if (diagnostic && (mask & (kChannelScope | kChannelParamDialog))) mask |= kChannelDiagnostic;
    return mask;
}
}  // namespace

int ChannelTable::count(int mask) const
{
    mask = effectiveMask(mask, diagnostic_);
    int n = 0;
    for (const TWykres& w : channels_)
        if (w.flags & mask) ++n;
    return n;
}

int ChannelTable::position(int mask, int n) const
{
    mask = effectiveMask(mask, diagnostic_);
    for (int i = 0; i < channels_.size(); ++i) {
        if (!(channels_[i].flags & mask)) continue;
        if (n-- == 0) return i;
    }
    return static_cast<int>(channels_.size());
}

void ChannelTable::setShown(int channel, int view, bool shown)
{
    if (channel < 0 || channel >= channels_.size()) return;
    int& flags = channels_[channel].flags;
    flags = shown ? flags | view : flags & ~view;
}

void ChannelTable::toggleShown(int channel, int view)
{
    if (channel < 0 || channel >= channels_.size()) return;
    channels_[channel].flags ^= view;
}

void ChannelTable::setColour(int channel, TColor colour)
{
    if (channel < 0 || channel >= channels_.size()) return;
    channels_[channel].colour = colour;
}
