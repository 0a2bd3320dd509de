#pragma once

#include <cstdint>

// Keeps the oscilloscope's time base true: a recording's samples stand 0.1 s apart, and live frames
// do not always arrive 0.1 s apart (a region read or a write shares the line, the event loop is
// late). Each frame is placed by its receive time on the 0.1 s grid that starts at the first frame:
// a frame for a grid point already filled is skipped, and grid points that no frame reached hold
// the reading before them (the frame before is repeated). A gap longer than kLongestGapMs (the link
// was lost) is not filled: the grid starts again at the frame after it.
class SampleClock {
public:
    static constexpr int64_t kSampleMs = 100;
    static constexpr int64_t kLongestGapMs = 5000;

    // What a frame received at `ms` (a steady clock's milliseconds) does to the recording.
    struct Placement {
        int repeats = 0;    // copies of the previous sample that fill the grid points before it
        bool take = false;  // the frame itself is the next sample
    };

    Placement place(int64_t ms)
    {
        if (!started_ || ms < origin_ || ms - last_ > kLongestGapMs) {
            started_ = true;
            origin_ = last_ = ms;
            filled_ = 1;
            return {0, true};
        }
        last_ = ms;
        // The grid point nearest the receive time.
        const int64_t point = (ms - origin_ + kSampleMs / 2) / kSampleMs;
        if (point < filled_) return {0, false};
        const int64_t repeats = point - filled_;
        filled_ = point + 1;
        return {static_cast<int>(repeats), true};
    }

    // The next frame starts a new grid (a cleared or stopped recording).
    void restart() { started_ = false; }

private:
    bool started_ = false;
    int64_t origin_ = 0;  // receive time of grid point 0
    int64_t last_ = 0;    // receive time of the last frame
    int64_t filled_ = 0;  // grid points filled so far
};
