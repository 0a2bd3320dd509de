#pragma once

#include <cstdint>

class MemoryImage;
class TSterownik;
namespace ConfigDiff {
struct Region;
}

// The settings the windows read or change by their meaning rather than through the editor's
// cells, each a named accessor over the link's memory image. A change of a controller setting
// queues the settings block's write; what a window takes from a settings file goes the same way.
class NamedSettings {
public:
    static constexpr int kLoadSignal = 4;           // 2: the load signal is a voltage
    static constexpr int kPetrolInjectionType = 8;  // 0 sequential, 1 semi-sequential, 2 full group
    static constexpr int kPetrolInjectors = 31;     // bit n: gas injector n + 1 kept on petrol
    static constexpr int kInjectorOutputs = 32;     // 32..39: petrol outputs each gas injector follows
    static constexpr int kInjectors = 8;
    static constexpr int kLevelSensor = 40;            // the gas level sensor's type
    static constexpr int kSwitchingType = 56;          // how the injectors are switched to gas
    static constexpr int kRpmCorrectionOverTime = 76;  // 1: the RPM correction map's load axis is the injection time
    static constexpr int kWorkingPressure = 86;        // the reducer's working pressure, 0.01 bar
    static constexpr int kServiceReminder = 100;       // the service reminder is on
    static constexpr int kServiceMarkLow = 101;        // 101..102: the running time of the next service
    static constexpr int kServiceMarkHigh = 102;
    static constexpr int kLoadBreakpoints = 224;  // 224..239: the maps' load breakpoints
    static constexpr int kRpmBreakpoints = 240;   // 240..255: the maps' engine-speed breakpoints
    static constexpr int kBreakpoints = 16;

    explicit NamedSettings(TSterownik& link) : link_(link) {}

    int petrolInjectionType() const;
    uint8_t petrolInjectors() const;
    // The petrol outputs gas injector `injector` (0..7) follows; 0 for any other.
    uint8_t injectorOutputs(int injector) const;
    // Sets them without a write: the assignment dialog writes the block once it has set them all.
    void setInjectorOutputs(int injector, uint8_t outputs);
    int switchingType() const;

    bool loadIsVoltage() const;
    // Breakpoint `i` (0..15) of the maps' axes; a change is written.
    uint8_t rpmBreakpoint(int i) const;
    void setRpmBreakpoint(int i, uint8_t value);
    uint8_t loadBreakpoint(int i) const;
    void setLoadBreakpoint(int i, uint8_t value);

    bool rpmCorrectionOverTime() const;
    // Switches the RPM correction map's load axis between load and injection time.
    void switchLoadAxis();

    bool serviceReminder() const;
    void setServiceReminder(bool on);
    // The running time of the next service; the reminder is switched on with it.
    void setServiceMark(int mark);

    // Takes setting `index` (0..303) from `file`; a controller setting is written.
    void takeSetting(const MemoryImage& file, int index);
    // Takes a compared region from `file` with the multiplier nodes that belong to it, and writes it.
    void takeRegion(const MemoryImage& file, const ConfigDiff::Region& region);

private:
    void writeSettings();

    TSterownik& link_;
};
