#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// The one place where a verified live frame from the controller fans out to the views and dialogs
// that show it. Receivers are called in the order they were added (the status panel and grids
// first, then the chart, the oscilloscope and the dialogs); each decides for itself whether it is
// shown. Receivers live as long as the main window, so there is no removal.
class LiveFanOut {
public:
    // `frame` is the link's receive buffer (128 bytes with the OBD status block appended);
    // `length` is the number of bytes the controller sent.
    using Receiver = std::function<void(const uint8_t* frame, int length)>;

    void add(Receiver receiver) { receivers_.push_back(std::move(receiver)); }
    void deliver(const uint8_t* frame, int length) const
    {
        for (const Receiver& r : receivers_) r(frame, length);
    }
    int size() const { return int(receivers_.size()); }

private:
    std::vector<Receiver> receivers_;
};
