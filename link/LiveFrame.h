#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

// The switch's LEDs as a live reply reports them: the level column's four upper LEDs (top first)
// and the two two-colour LEDs (the reserve at the column's foot, and the fuel LED).
struct SwitchLeds {
    enum Colour : uint8_t { Off, Green, Red };
    std::array<bool, 4> level{};
    Colour reserve = Off;
    Colour fuel = Off;
    bool operator==(const SwitchLeds&) const = default;
};

// One verified reply of the controller as a value: a copy of its first 128 bytes (for a live
// reply, the readings with the OBD status block at byte 92) and the number of bytes the controller
// sent. The live readings are read by name; the frame's layout is known here and in the channel
// decoder, nowhere else. An offset outside the 128 bytes reads 0, so no reader can read past the
// frame whatever a reply held.
class LiveFrame {
public:
    static constexpr int kSize = 128;

    LiveFrame() = default;
    // Copies min(kSize, `available`) bytes of `bytes`; the rest reads 0.
    LiveFrame(const uint8_t* bytes, int length, int available = kSize) : length_(std::max(length, 0))
    {
        if (bytes) std::copy_n(bytes, std::clamp(available, 0, kSize), bytes_.begin());
    }

    // Bytes the controller sent (may be fewer or, for other replies, more than kSize).
    int length() const { return length_; }
    // Bytes of the reply that the value holds: the length, at most kSize.
    int size() const { return std::min(length_, kSize); }
    // The reply's command byte (0x90..0x9F for live replies).
    uint8_t command() const { return byte(3); }

    // --- the live readings, in the controller's units
    // Event record (bytes 6 and 7): 0 = a learned map cell, 0xF1/0xF2 a memory-write report,
    // 0xF3/0xF4 adaptation values; otherwise the detail of the work state.
    uint8_t eventCode() const { return byte(6); }
    uint8_t eventValue() const { return byte(7); }
    // Work-state word: the state code (0 petrol, 2 waiting, 4 and 5 switching, 6 gas, 7 mixed) and
    // the flags above it.
    int workState() const { return word(10); }
    int workStateCode() const { return byte(10); }
    bool onPetrol() const { return workStateCode() == 0; }
    bool ignitionOn() const { return byte(11) & 0x01; }
    bool engineTurning() const { return byte(11) & 0x02; }
    bool engineRunning() const { return ignitionOn() && engineTurning(); }
    // The controller reports an error now; or it has noted one since the errors were last read.
    bool errorActive() const { return byte(11) & 0x08; }
    bool errorNoted() const { return byte(11) & 0x14; }
    // The switch's LEDs; the raw bytes for a view that only compares them.
    SwitchLeds switchLeds() const;
    uint8_t levelLeds() const { return byte(13); }
    uint8_t fuelLed() const { return byte(14); }
    // The map cell the engine runs in (0..15 each): RPM cell and load cell.
    int rpmCell() const { return byte(15); }
    int loadCell() const { return byte(16); }
    // Engine speed in rpm.
    int rpm() const { return 10 * word(17); }
    // Petrol injection time in 0.1 ms (the multiplier chart's time axis).
    int petrolTime() const { return byte(19); }
    // Petrol injector inputs pulsing, bit n = input n + 1.
    uint8_t petrolInputs() const { return byte(21); }
    // Gas injectors switched on, bit n = injector n + 1.
    uint8_t injectorMask() const { return byte(22); }
    // Reducer and gas temperature in degrees Celsius.
    int reducerTemperature() const { return byte(40) - 128; }
    int gasTemperature() const { return byte(42) - 128; }
    // Manifold pressure, absolute gas pressure and gas pressure, in 0.01 bar.
    int manifoldPressure() const { return word(44); }
    int absoluteGasPressure() const { return word(46); }
    int gasPressure() const { return word(48); }
    // Level sensor in 0.02 V, supply voltage in 5 mV.
    int levelSensor() const { return byte(50); }
    int supplyVoltage() const { return word(52); }
    // Lambda 1 (or the load sensor's voltage, as settings byte 4 says) and lambda 2, in 5 mV.
    int lambda1() const { return word(58); }
    int loadVoltage() const { return word(58); }
    int lambda2() const { return word(56); }
    // Petrol and gas injection time of cylinder `index` (0..7), in 4 microseconds.
    int petrolInjectionTime(int index) const { return index >= 0 && index < 8 ? word(60 + 4 * index) : 0; }
    int gasInjectionTime(int index) const { return index >= 0 && index < 8 ? word(62 + 4 * index) : 0; }

    // Whether the reply was long enough to carry a reading (a short reply leaves the rest 0).
    enum class Reach { SwitchLeds = 13, PetrolInputs = 21, LevelSensor = 50 };
    bool reaches(Reach r) const { return size() > int(r); }

    // All 128 bytes, to keep as an oscilloscope sample (decoded by the channel decoder).
    const uint8_t* data() const { return bytes_.data(); }

    // When the link received the frame, in milliseconds of its steady clock; -1 for a frame that
    // did not come from the line (a test's, a loaded recording's). The oscilloscope places its
    // samples by it.
    int64_t receivedAt() const { return receivedAt_; }
    void setReceivedAt(int64_t ms) { receivedAt_ = ms; }

private:
    // The frame's layout, for the readings above and the core decoders that work by the channel table.
    friend class LiveFrameBytes;
    uint8_t byte(int offset) const { return offset >= 0 && offset < kSize ? bytes_[size_t(offset)] : 0; }
    // Little-endian 16-bit value at `offset`.
    int word(int offset) const { return byte(offset) | byte(offset + 1) << 8; }

    std::array<uint8_t, kSize> bytes_{};
    int length_ = 0;
    int64_t receivedAt_ = -1;
};

inline SwitchLeds LiveFrame::switchLeds() const
{
    // The level byte lights the column's four upper LEDs with bits 5..2, top first; its two lowest
    // bits, like the fuel byte's, drive a two-colour LED: green, else red, else off.
    const auto twoColour = [](uint8_t b) {
        return b & 0x02 ? SwitchLeds::Green : b & 0x01 ? SwitchLeds::Red : SwitchLeds::Off;
    };
    SwitchLeds leds;
    for (int i = 0; i < 4; ++i) leds.level[size_t(i)] = (levelLeds() >> (5 - i)) & 1;
    leds.reserve = twoColour(levelLeds());
    leds.fuel = twoColour(fuelLed());
    return leds;
}

// Raw access to a reply's bytes by offset, for the core decoders that work from a table of offsets
// (the live channel table, the error list) rather than by reading name.
class LiveFrameBytes {
public:
    static uint8_t byte(const LiveFrame& f, int offset) { return f.byte(offset); }
    static int word(const LiveFrame& f, int offset) { return f.word(offset); }
};
