#include "settings/NamedSettings.h"

#include <algorithm>

#include "link/Tsterownik.h"
#include "settings/ConfigDiff.h"

namespace {

// The settings block's write request; the multiplier regions of bank 1 and bank 2, whose nodes
// live in the settings block.
constexpr uint32_t kSettingsWrite = 0x1;
constexpr uint32_t kMultiplierBank1 = 0x2;
constexpr uint32_t kMultiplierBank2 = 0x4;

}  // namespace

void NamedSettings::writeSettings() { link_.ZapiszDoSterownika(kSettingsWrite); }

int NamedSettings::petrolInjectionType() const { return link_.mem.settings[kPetrolInjectionType]; }
uint8_t NamedSettings::petrolInjectors() const { return link_.mem.settings[kPetrolInjectors]; }

uint8_t NamedSettings::injectorOutputs(int injector) const
{
    return injector >= 0 && injector < kInjectors ? link_.mem.settings[size_t(kInjectorOutputs + injector)] : 0;
}

void NamedSettings::setInjectorOutputs(int injector, uint8_t outputs)
{
    if (injector >= 0 && injector < kInjectors) link_.mem.settings[size_t(kInjectorOutputs + injector)] = outputs;
}

int NamedSettings::switchingType() const { return link_.mem.settings[kSwitchingType]; }

bool NamedSettings::loadIsVoltage() const { return link_.mem.settings[kLoadSignal] == 2; }

uint8_t NamedSettings::rpmBreakpoint(int i) const
{
    return i >= 0 && i < kBreakpoints ? link_.mem.settings[size_t(kRpmBreakpoints + i)] : 0;
}

void NamedSettings::setRpmBreakpoint(int i, uint8_t value)
{
    if (i < 0 || i >= kBreakpoints) return;
    link_.mem.settings[size_t(kRpmBreakpoints + i)] = value;
    writeSettings();
}

uint8_t NamedSettings::loadBreakpoint(int i) const
{
    return i >= 0 && i < kBreakpoints ? link_.mem.settings[size_t(kLoadBreakpoints + i)] : 0;
}

void NamedSettings::setLoadBreakpoint(int i, uint8_t value)
{
    if (i < 0 || i >= kBreakpoints) return;
    link_.mem.settings[size_t(kLoadBreakpoints + i)] = value;
    writeSettings();
}

bool NamedSettings::rpmCorrectionOverTime() const { return link_.mem.settings[kRpmCorrectionOverTime] == 1; }

void NamedSettings::switchLoadAxis()
{
    uint8_t& axis = link_.mem.settings[kRpmCorrectionOverTime];
    axis = static_cast<uint8_t>(~axis & 1);
    writeSettings();
}

bool NamedSettings::serviceReminder() const { return link_.mem.settings[kServiceReminder] != 0; }

void NamedSettings::setServiceReminder(bool on)
{
    link_.mem.settings[kServiceReminder] = on ? 1 : 0;
    writeSettings();
}

void NamedSettings::setServiceMark(int mark)
{
    link_.mem.settings[kServiceMarkLow] = static_cast<uint8_t>(mark & 0xFF);
    link_.mem.settings[kServiceMarkHigh] = static_cast<uint8_t>(mark >> 8);
    link_.mem.settings[kServiceReminder] = 1;
    writeSettings();
}

void NamedSettings::takeSetting(const MemoryImage& file, int index)
{
    if (index < 0 || index >= MemoryImage::kSettingsIndexCount) return;
    link_.mem.settings[size_t(index)] = file.settings[size_t(index)];
    // Indices 256 and up live only on the PC; the rest travel with the settings block.
    if (index < MemoryImage::kRegionSize) writeSettings();
}

void NamedSettings::takeRegion(const MemoryImage& file, const ConfigDiff::Region& region)
{
    std::copy_n(ConfigDiff::regionBytes(file, region), MemoryImage::kRegionSize,
                ConfigDiff::regionBytes(link_.mem, region));
    uint32_t mask = region.mask;
    const int nodes = region.mask == kMultiplierBank1   ? MemoryImage::kNodesBank1
                      : region.mask == kMultiplierBank2 ? MemoryImage::kNodesBank2
                                                        : -1;
    if (nodes >= 0) {
        std::copy_n(file.settings.begin() + nodes, MemoryImage::kNodeSlots, link_.mem.settings.begin() + nodes);
        mask |= kSettingsWrite;
    }
    link_.ZapiszDoSterownika(mask);
}
