#include "dialogs/LevelSensor.h"

namespace LevelSensor {

int OutOfOrder(int type, const std::array<uint8_t, 4>& s)
{
    const bool growing = type == 0 || type == 2;
    int red = 0;
    for (int i = 0; i < 3; ++i) {
        const bool broken = growing ? s[i] < s[i + 1] : s[i] > s[i + 1];
        if (broken) red |= 3 << i;
    }
    return red;
}

std::array<QColor, 5> Leds(const SwitchLeds& on)
{
    std::array<QColor, 5> leds;
    for (size_t i = 0; i < 4; ++i) leds[i] = on.level[i] ? kLedLit : kLedOff;
    leds[4] = on.reserve == SwitchLeds::Green ? kLedLit : on.reserve == SwitchLeds::Red ? kLedReserve : kLedOff;
    return leds;
}

}  // namespace LevelSensor
