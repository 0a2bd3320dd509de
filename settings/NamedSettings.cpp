#include "settings/NamedSettings.h"

#include <algorithm>

#include "link/SettingsActions.h"
#include "settings/ConfigDiff.h"

namespace {

// The settings block's write request; the multiplier regions of bank 1 and bank 2, whose nodes
// live in the settings block.
constexpr uint32_t kSettingsWrite = 0x1;
constexpr uint32_t kMultiplierBank1 = 0x2;
constexpr uint32_t kMultiplierBank2 = 0x4;

}  // namespace

// ---------------------------------------------------------------- reading

int SettingsReader::nodeIndex(int slot, int bank)
{
    if (slot < 0 || slot >= kMultiplierNodeSlots) return -1;
    if (bank == 1) return MemoryImage::kNodesBank1 + slot;
    if (bank == 2) return MemoryImage::kNodesBank2 + slot;
    return -1;
}

int SettingsReader::petrolInjectionType() const { return at(kPetrolInjectionType); }
bool SettingsReader::anyEngineType() const { return at(kEngineType) != 0; }
uint8_t SettingsReader::petrolInjectors() const { return at(kPetrolInjectors); }

uint8_t SettingsReader::injectorOutputs(int injector) const
{
    return injector >= 0 && injector < kInjectors ? at(kInjectorOutputs + injector) : 0;
}

int SettingsReader::switchingType() const { return at(kSwitchingType); }

bool SettingsReader::loadIsVoltage() const { return at(kLoadSignal) == 2; }

uint8_t SettingsReader::rpmBreakpoint(int i) const { return i >= 0 && i < kBreakpoints ? at(kRpmBreakpoints + i) : 0; }

uint8_t SettingsReader::loadBreakpoint(int i) const
{
    return i >= 0 && i < kBreakpoints ? at(kLoadBreakpoints + i) : 0;
}

int SettingsReader::pressureScale() const { return loadBreakpoint(kBreakpoints - 1); }

bool SettingsReader::rpmCorrectionOverTime() const { return at(kRpmCorrectionOverTime) == 1; }

int SettingsReader::switchOverTemperature() const { return at(kSwitchOverTemperature); }
int SettingsReader::minimumGasTemperature() const { return at(kMinimumGasTemperature); }
int SettingsReader::minimumGasPressure() const { return at(kMinimumGasPressure); }

bool SettingsReader::wideMultiplierScale() const { return at(kMultiplierScale) & 1; }
bool SettingsReader::adaptationOn() const { return at(kAdaptation) != 0; }
int SettingsReader::petrolTime() const { return at(kPetrolTime); }

uint8_t SettingsReader::multiplierNode(int slot, int bank) const
{
    const int index = nodeIndex(slot, bank);
    return index >= 0 ? at(index) : 0;
}

SettingsReader::MultiplierNodeSlots SettingsReader::multiplierNodes(int bank) const
{
    MultiplierNodeSlots slots{};
    for (int k = 0; k < kMultiplierNodeSlots; ++k) slots[size_t(k)] = multiplierNode(k, bank);
    return slots;
}

int SettingsReader::multiplierNodeCount(int bank) const
{
    if (nodeIndex(0, bank) < 0) return 0;
    int count = 1;
    for (int k = 1; k < kMultiplierNodeSlots; ++k)
        if (multiplierNode(k, bank) != 0) ++count;
    return count;
}

bool SettingsReader::serviceReminder() const { return at(kServiceReminder) != 0; }

// ---------------------------------------------------------------- changing

NamedSettings::NamedSettings(SettingsActions& target) : SettingsReader(target.settingsImage()), target_(target) {}

void NamedSettings::writeSettings() { target_.regionsChanged(kSettingsWrite); }

uint8_t& NamedSettings::byteAt(int index) { return target_.settingsImage().settings[size_t(index)]; }

void NamedSettings::setInjectorOutputs(int injector, uint8_t outputs)
{
    if (injector >= 0 && injector < kInjectors) byteAt(kInjectorOutputs + injector) = outputs;
}

void NamedSettings::setRpmBreakpoint(int i, uint8_t value)
{
    if (i < 0 || i >= kBreakpoints) return;
    byteAt(kRpmBreakpoints + i) = value;
    writeSettings();
}

void NamedSettings::setLoadBreakpoint(int i, uint8_t value)
{
    if (i < 0 || i >= kBreakpoints) return;
    byteAt(kLoadBreakpoints + i) = value;
    writeSettings();
}

void NamedSettings::switchLoadAxis()
{
    uint8_t& axis = byteAt(kRpmCorrectionOverTime);
    axis = static_cast<uint8_t>(~axis & 1);
    writeSettings();
}

void NamedSettings::setServiceReminder(bool on)
{
    byteAt(kServiceReminder) = on ? 1 : 0;
    writeSettings();
}

void NamedSettings::setServiceMark(int mark)
{
    byteAt(kServiceMarkLow) = static_cast<uint8_t>(mark & 0xFF);
    byteAt(kServiceMarkHigh) = static_cast<uint8_t>(mark >> 8);
    byteAt(kServiceReminder) = 1;
    writeSettings();
}

void NamedSettings::setMultiplierNode(int slot, uint8_t position, int bank)
{
    const int index = nodeIndex(slot, bank);
    if (index >= 0) byteAt(index) = position;
}

void NamedSettings::setMultiplierNodes(const MultiplierNodeSlots& slots, int bank)
{
    for (int k = 0; k < kMultiplierNodeSlots; ++k) setMultiplierNode(k, slots[size_t(k)], bank);
}

bool NamedSettings::placeMultiplierNodes(const std::vector<int>& positions, int end)
{
    std::vector<int> inner;
    for (const int p : positions)
        if (p > 0 && p < end) inner.push_back(p);
    std::sort(inner.begin(), inner.end());
    inner.erase(std::unique(inner.begin(), inner.end()), inner.end());
    if (inner.size() > size_t(kMultiplierUserNodes)) return false;
    MultiplierNodeSlots slots{};
    const size_t first = size_t(kMultiplierEndSlot) - inner.size();
    for (size_t i = 0; i < inner.size(); ++i) slots[first + i] = static_cast<uint8_t>(inner[i]);
    slots[kMultiplierEndSlot] = static_cast<uint8_t>(end);
    setMultiplierNodes(slots);
    return true;
}

void NamedSettings::takeSetting(const MemoryImage& file, int index)
{
    if (index < 0 || index >= MemoryImage::kSettingsIndexCount) return;
    byteAt(index) = file.settings[size_t(index)];
    // Indices 256 and up live only on the PC; the rest travel with the settings block.
    if (index < MemoryImage::kRegionSize) writeSettings();
}

void NamedSettings::takeRegion(const MemoryImage& file, const ConfigDiff::Region& region)
{
    std::copy_n(ConfigDiff::regionBytes(file, region), MemoryImage::kRegionSize,
                ConfigDiff::regionBytes(target_.settingsImage(), region));
    uint32_t mask = region.mask;
    const int bank = region.mask == kMultiplierBank1 ? 1 : region.mask == kMultiplierBank2 ? 2 : 0;
    if (bank != 0) {
        setMultiplierNodes(SettingsReader(file).multiplierNodes(bank), bank);
        mask |= kSettingsWrite;
    }
    target_.regionsChanged(mask);
}
