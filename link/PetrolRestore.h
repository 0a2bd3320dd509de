#pragma once

#include <cstdint>

class TSterownik;
class LiveFrame;

// Brings the controller back after a calibration that did not finish (stopped by the fitter or
// aborted by the controller) to where a finished one leaves it: every gas injector of the
// installation switched on and the engine on petrol, since the idle corrections are half-way. It
// may have stopped with some cylinders on petrol or on its way to gas. Driven by the live replies:
// the caller hands each one to liveReply.
class PetrolRestore {
public:
    // Live replies the controller gets to reach petrol after a fuel change before it is asked
    // again, and live replies after which the clean-up gives up.
    static constexpr int kFuelChangeSettle = 20;
    static constexpr int kLimit = 200;

    explicit PetrolRestore(TSterownik& link) : link_(link) {}

    void Start();
    void Stop() { active_ = false; }
    bool Active() const { return active_; }
    // True once the controller was seen on petrol with every injector on and nothing pending.
    bool Restored() const { return restored_; }
    // One live reply. Returns true when the clean-up ended with this reply, restored or given up.
    bool liveReply(const LiveFrame& frame);

private:
    bool pending() const;

    TSterownik& link_;
    bool active_ = false;
    bool restored_ = false;
    int frames_ = 0;
    int sinceFuelChange_ = 0;
};
