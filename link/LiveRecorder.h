#pragma once

#include "link/LiveFrame.h"
#include "link/SampleClock.h"

// The recorder of live data: turns the live frames into the samples of a recording on its 0.1 s
// grid (SampleClock), so that N samples are N x 0.1 s of the fitter's time however the frames
// arrived. The workshop session owns one; the window's oscilloscope and `kavelo-cli record` both
// take their samples from it.
class LiveRecorder {
public:
    // Hands the samples a live frame makes to `sample` (called with a LiveFrame), in order: copies
    // of the sample before for the grid points no frame reached, then the frame itself; nothing when
    // its grid point is already filled. A frame that did not come from the line (receivedAt < 0:
    // a test's, a benchmark's) is one sample.
    template <typename Sample>
    void place(const LiveFrame& frame, Sample&& sample)
    {
        if (frame.receivedAt() >= 0) {
            const SampleClock::Placement at = clock_.place(frame.receivedAt());
            if (!at.take) return;
            for (int i = 0; i < at.repeats; ++i) sample(previous_);
        }
        previous_ = frame;
        sample(frame);
    }

    // The next frame starts a new grid: the time while the recording stood still is not filled.
    void restart() { clock_.restart(); }

private:
    SampleClock clock_;
    LiveFrame previous_;  // the last sample, repeated over a gap
};
