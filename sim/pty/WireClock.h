#pragma once

#include <algorithm>
#include <cstdint>

// The byte clock of a serial line at 38400 baud, 8N1 (ten bits a byte, about 0.26 ms): how many of
// the bytes queued for one direction have crossed the line by a given time. A burst is counted from
// its first byte, so the average rate is exact however late the caller looks; a line that has gone
// idle starts the next burst when its bytes are queued.
class WireClock {
public:
    static constexpr int64_t kBaud = 38400;
    static constexpr int64_t kBitsPerByte = 10;
    static constexpr int64_t kNanosPerSecond = 1'000'000'000;

    // Time `bytes` bytes take on the line, and whole bytes that cross it in `nanos` nanoseconds.
    static constexpr int64_t nanosFor(int64_t bytes) { return bytes * kBitsPerByte * kNanosPerSecond / kBaud; }
    static constexpr int64_t bytesIn(int64_t nanos)
    {
        return nanos <= 0 ? 0 : nanos * kBaud / (kBitsPerByte * kNanosPerSecond);
    }

    // `count` bytes are queued at `now` (nanoseconds of a steady clock).
    void queue(int64_t now, int64_t count)
    {
        if (waiting() == 0 && now >= start_ + nanosFor(queued_)) {
            start_ = now;
            queued_ = taken_ = 0;
        }
        queued_ += std::max<int64_t>(count, 0);
    }
    // Bytes that have crossed the line by `now` and are not handed on yet.
    int64_t due(int64_t now) const { return std::max<int64_t>(0, std::min(queued_, bytesIn(now - start_)) - taken_); }
    // The caller handed on `count` bytes.
    void take(int64_t count) { taken_ = std::min(queued_, taken_ + std::max<int64_t>(count, 0)); }
    // Nanoseconds from `now` until the next byte has crossed (0: one has), -1 when none waits.
    int64_t nextIn(int64_t now) const
    {
        if (waiting() == 0) return -1;
        return std::max<int64_t>(0, start_ + nanosFor(taken_ + 1) - now);
    }
    int64_t waiting() const { return queued_ - taken_; }
    // What was on the line is gone (the plug was pulled).
    void clear() { start_ = queued_ = taken_ = 0; }

private:
    int64_t start_ = 0;   // when the burst's first byte started
    int64_t queued_ = 0;  // bytes of the burst queued
    int64_t taken_ = 0;   // bytes of the burst handed on
};
