#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/MemoryImage.h"

class SettingsActions;
namespace ConfigDiff {
struct Region;
}

// The settings read by their meaning rather than through the editor's cells, each a named
// accessor over a memory image: the link's, a settings file's or a recording's head. The byte
// layout of these settings lives here and nowhere else outside the catalogue.
class SettingsReader {
public:
    static constexpr int kLoadSignal = 4;           // 2: the load signal is a voltage
    static constexpr int kPetrolInjectionType = 8;  // 0 sequential, 1 semi-sequential, 2 full group
    static constexpr int kEngineType = 10;          // non-zero: any engine, a wider choice of trend points
    static constexpr int kFuel = 20;                // the fuel type, for the nozzle calculator
    static constexpr int kInjectorType = 24;        // the gas injectors' type
    static constexpr int kPetrolInjectors = 31;     // bit n: gas injector n + 1 kept on petrol
    static constexpr int kInjectorOutputs = 32;     // 32..39: petrol outputs each gas injector follows
    static constexpr int kInjectors = 8;
    static constexpr int kLevelSensor = 40;                 // the gas level sensor's type
    static constexpr int kLevelThresholds = 41;             // 41..44: the level sensor's four thresholds
    static constexpr int kSwitchOverTemperature = 51;       // the reducer temperature of the switch to gas
    static constexpr int kSwitchingType = 56;               // how the injectors are switched to gas
    static constexpr int kFasterSwitching = 57;             // faster switching to gas with a hot engine
    static constexpr int kFasterSwitchingTemperature = 58;  // the reducer temperature it takes
    static constexpr int kMinimumGasTemperature = 62;       // degrees C + 128
    static constexpr int kMinimumGasPressure = 63;          // 0.01 bar
    static constexpr int kPressureErrorTime = 64;           // how long the pressure may stay below it
    static constexpr int kOffAtFirstPressureDrop = 69;      // back to petrol at the first drop
    static constexpr int kRpmCorrectionOverTime = 76;  // 1: the RPM correction map's load axis is the injection time
    static constexpr int kMultiplierScale = 80;        // bit 0: the wide multiplier scale (0.00..2.50)
    static constexpr int kAdaptation = 81;             // non-zero: the controller adapts the multiplier
    static constexpr int kPetrolTime = 83;             // 0.05 ms, marked on the multiplier chart (0 = none)
    static constexpr int kGasTemperature = 85;         // degrees C + 128
    static constexpr int kWorkingPressure = 86;        // the reducer's working pressure, 0.01 bar
    static constexpr int kSwitchingSignal = 96;        // what the dashboard switch signals, and how
    static constexpr int kSwitchVolume = 98;           // the dashboard switch's buzzer volume
    static constexpr int kSwitchBrightness = 99;       // the dashboard switch's LED brightness
    static constexpr int kServiceReminder = 100;       // the service reminder is on
    static constexpr int kServiceMarkLow = 101;        // 101..102: the running time of the next service
    static constexpr int kServiceMarkHigh = 102;
    static constexpr int kInjectorCorrections = 216;  // 216..223: each gas injector's correction, 128 = none
    static constexpr int kLoadBreakpoints = 224;      // 224..239: the maps' load breakpoints
    static constexpr int kRpmBreakpoints = 240;       // 240..255: the maps' engine-speed breakpoints
    static constexpr int kBreakpoints = 16;

    // The multiplier curve's nodes: per bank 26 slots holding positions on the petrol-time axis
    // (0.1 ms). Slot 0 is the start node at 0, the last slot the end node at the axis' end, the
    // slots between them user nodes (position 0 = empty).
    static constexpr int kMultiplierNodeSlots = MemoryImage::kNodeSlots;
    static constexpr int kMultiplierEndSlot = kMultiplierNodeSlots - 1;
    static constexpr int kMultiplierUserNodes = kMultiplierNodeSlots - 2;
    using MultiplierNodeSlots = std::array<uint8_t, kMultiplierNodeSlots>;

    explicit SettingsReader(const MemoryImage& mem) : mem_(mem) {}

    int petrolInjectionType() const;
    bool anyEngineType() const;
    uint8_t petrolInjectors() const;
    // The petrol outputs gas injector `injector` (0..7) follows; 0 for any other.
    uint8_t injectorOutputs(int injector) const;
    int switchingType() const;

    bool loadIsVoltage() const;
    // Breakpoint `i` (0..15) of the maps' axes; 0 for any other.
    uint8_t rpmBreakpoint(int i) const;
    uint8_t loadBreakpoint(int i) const;
    // The top of the load axis (its last breakpoint): the pressure, or a quarter of the voltage,
    // that the charts draw at the top of their plot; 0 = no scale.
    int pressureScale() const;
    bool rpmCorrectionOverTime() const;

    // The markers of the correction curves: what each curve works around.
    int switchOverTemperature() const;
    int minimumGasTemperature() const;
    int minimumGasPressure() const;

    bool wideMultiplierScale() const;
    bool adaptationOn() const;
    int petrolTime() const;
    // Node slot `slot` (0..25) of multiplier bank `bank` (1 or 2); 0 for any other.
    uint8_t multiplierNode(int slot, int bank = 1) const;
    MultiplierNodeSlots multiplierNodes(int bank = 1) const;
    // The nodes in use: the start node and every occupied slot.
    int multiplierNodeCount(int bank = 1) const;

    bool serviceReminder() const;

protected:
    // Where slot `slot` of bank `bank` lives in the settings block; -1 outside the banks.
    static int nodeIndex(int slot, int bank);
    uint8_t at(int index) const { return mem_.settings[std::size_t(index)]; }

private:
    const MemoryImage& mem_;
};

// The named settings of a memory image with its SettingsActions (the controller link's), read and
// changed. A change of a controller setting queues the settings block's write (the multiplier nodes
// excepted: they are written with the multiplier once it is recomputed); what a window takes from a
// settings file goes the same way.
class NamedSettings : public SettingsReader {
public:
    explicit NamedSettings(SettingsActions& target);

    // Sets them without a write: the assignment dialog writes the block once it has set them all.
    void setInjectorOutputs(int injector, uint8_t outputs);

    // Breakpoint `i` (0..15) of the maps' axes; a change is written.
    void setRpmBreakpoint(int i, uint8_t value);
    void setLoadBreakpoint(int i, uint8_t value);

    // Switches the RPM correction map's load axis between load and injection time.
    void switchLoadAxis();

    void setServiceReminder(bool on);
    // The running time of the next service; the reminder is switched on with it.
    void setServiceMark(int mark);

    // The multiplier nodes, set without a write: the caller recomputes the multiplier between
    // them and writes both. A slot or bank outside the range changes nothing.
    void setMultiplierNode(int slot, uint8_t position, int bank = 1);
    void setMultiplierNodes(const MultiplierNodeSlots& slots, int bank = 1);
    // Places nodes at `positions` in bank 1 as a node edit leaves them: the positions inside the
    // axis (above 0, below `end`) sorted and each once, in the last user slots, the empty slots
    // first, the end node at `end`. False, with nothing changed, when more than 24 remain.
    bool placeMultiplierNodes(const std::vector<int>& positions, int end);

    // Takes setting `index` (0..303) from `file`; a controller setting is written.
    void takeSetting(const MemoryImage& file, int index);
    // Takes a compared region from `file` with the multiplier nodes that belong to it, and writes it.
    void takeRegion(const MemoryImage& file, const ConfigDiff::Region& region);

private:
    void writeSettings();
    uint8_t& byteAt(int index);

    SettingsActions& target_;
};
