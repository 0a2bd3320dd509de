#pragma once

#include <functional>
#include <vector>

#include "link/LiveFrame.h"

// The one place where a verified live frame from the controller fans out to the views and dialogs
// that show it. Receivers are called in the order they were added (the grids first, then the
// chart); each decides for itself whether it is shown. The window's panels (the oscilloscope, the
// dialogs) take the frame after them, through the window's panel list.
// Receivers live as long as the main window, so there is no removal.
class LiveFanOut {
public:
    using Receiver = std::function<void(const LiveFrame& frame)>;

    void add(Receiver receiver) { receivers_.push_back(std::move(receiver)); }
    void deliver(const LiveFrame& frame) const
    {
        for (const Receiver& r : receivers_) r(frame);
    }
    int size() const { return int(receivers_.size()); }

private:
    std::vector<Receiver> receivers_;
};
