#include "dialogs/InjectorAssignment.h"

#include <bit>

namespace InjectorAssignment {

uint8_t OffMask(const State& s)
{
    uint8_t driven = 0;
    for (int r = 1; r <= 8; ++r) driven |= s.bytes[r];
    return static_cast<uint8_t>(driven ^ 0xFF);
}

namespace {

// Each gas injector is driven by at most one petrol input: its bit leaves every input first.
void release(State& s, uint8_t m)
{
    for (int r = 1; r <= 8; ++r) s.bytes[r] &= static_cast<uint8_t>(~m);
    s.enabled &= static_cast<uint8_t>(~m);
}

}  // namespace

void ClickCell(State& s, int c, int r)
{
    if (c < 1 || c > 8 || r < 1 || r > 8) return;
    const uint8_t m = static_cast<uint8_t>(1 << (c - 1));
    const uint8_t old = s.bytes[r];
    release(s, m);
    if (!(old & m)) {
        s.bytes[r] |= m;
        s.enabled |= m;
    }
    s.bytes[0] = OffMask(s);
}

void ClickSwitchOff(State& s, int c)
{
    if (c < 0 || c > 7) return;
    const uint8_t m = static_cast<uint8_t>(1 << c);
    if (s.bytes[0] & m) {
        s.bytes[1 + c] |= m;
        s.enabled |= m;
    } else {
        release(s, m);
    }
    s.bytes[0] = OffMask(s);
}

int Detect(const LiveFrame& frame, int n, const std::array<uint8_t, 8>& petrol)
{
    if (!frame.reaches(LiveFrame::Reach::PetrolInputs)) return kIgnored;
    if (frame.rpm() >= 2000 || frame.petrolTime() >= 60) return kIgnored;
    if (n != 4 && n != 6 && n != 8) return kIgnored;
    int assigned = 0;
    for (int i = 0; i < n; ++i)
        if (petrol[i] != 0) ++assigned;
    const int pulsing = std::popcount(static_cast<unsigned>(frame.petrolInputs() & ((1u << n) - 1)));
    if (pulsing >= assigned) return kFullGroup;
    if (pulsing == 1) return kSequential;
    if (pulsing >= 2) return kSemiSequential;
    return kUnknown;
}

int DetectSequence(const std::vector<std::vector<uint8_t>>& frames, int n, const std::array<uint8_t, 8>& petrol,
                   int previous)
{
    int shown = previous;
    for (const std::vector<uint8_t>& f : frames) {
        const int d = Detect(LiveFrame(f.data(), int(f.size()), int(f.size())), n, petrol);
        if (d != kIgnored) shown = d;
    }
    return shown;
}

}  // namespace InjectorAssignment
