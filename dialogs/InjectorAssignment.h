#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "link/LiveFrame.h"

// Which petrol injector input drives which gas injector: the click logic of the assignment dialog
// and the detection of the petrol computer's injection type from live frames.
namespace InjectorAssignment {

// Settings 31..39 and the link's enabled-injector mask. bytes[0] is setting 31 (the gas injectors
// driven by no petrol input); bytes[r] is setting 31 + r, petrol input r (bit g-1 = gas injector g).
struct State {
    std::array<uint8_t, 9> bytes{};
    uint8_t enabled = 0xFF;
};

// Setting 31 as the assignment implies: the gas injectors no petrol input drives.
uint8_t OffMask(const State& s);
// Click on assignment cell (gas injector c, petrol input r), both 1..8: moves gas injector c to
// petrol input r, or switches it off when that cell was already set. Recomputes bytes[0].
void ClickCell(State& s, int c, int r);
// Click on switch-off cell c (0-based): a switched-off gas injector goes back to its own petrol
// input (c + 1); a driven one is switched off. Recomputes bytes[0].
void ClickSwitchOff(State& s, int c);

// Result of the detection for one frame.
enum Detected {
    kIgnored = -2,    // engine too fast or injection time too long to tell; nothing shown
    kUnknown = -1,    // no petrol input pulsing: "?"
    kSequential = 0,  // the value of setting 8 to name
    kSemiSequential = 1,
    kFullGroup = 2,
};

// One live frame; `n` gas injectors; `petrol` = settings 32..39.
int Detect(const LiveFrame& frame, int n, const std::array<uint8_t, 8>& petrol);
// The text a sequence of frames leaves shown: the result of the last frame not ignored, or
// `previous` when every frame is ignored.
int DetectSequence(const std::vector<std::vector<uint8_t>>& frames, int n, const std::array<uint8_t, 8>& petrol,
                   int previous);

}  // namespace InjectorAssignment
