#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

// One verified reply of the controller as a value: a copy of its first 128 bytes (for a live
// reply, the readings with the OBD status block at byte 92) and the number of bytes the controller
// sent. Readers use the named accessors; an offset outside the 128 bytes reads 0, so no view can
// read past the frame whatever a reply held.
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
    uint8_t byte(int offset) const { return offset >= 0 && offset < kSize ? bytes_[size_t(offset)] : 0; }
    // Little-endian 16-bit value at `offset`.
    int word(int offset) const { return byte(offset) | byte(offset + 1) << 8; }
    // The reply's command byte (0x90..0x9F for live replies).
    uint8_t command() const { return byte(3); }

    // Live replies: event record (bytes 6 and 7), work-state word (10..11, bit 8 ignition on, bit 9
    // engine turning), the switch's level LEDs (13, bits 5..0) and fuel LED (14, bits 1..0), the
    // enabled-injector mask (22).
    uint8_t eventCode() const { return byte(6); }
    uint8_t eventValue() const { return byte(7); }
    int workState() const { return word(10); }
    uint8_t levelLeds() const { return byte(13); }
    uint8_t fuelLed() const { return byte(14); }
    uint8_t injectorMask() const { return byte(22); }

    // All 128 bytes, for the pure decoders that take a sample of that size.
    const uint8_t* data() const { return bytes_.data(); }

    // When the link received the frame, in milliseconds of its steady clock; -1 for a frame that
    // did not come from the line (a test's, a loaded recording's). The oscilloscope places its
    // samples by it.
    int64_t receivedAt() const { return receivedAt_; }
    void setReceivedAt(int64_t ms) { receivedAt_ = ms; }

private:
    std::array<uint8_t, kSize> bytes_{};
    int length_ = 0;
    int64_t receivedAt_ = -1;
};
