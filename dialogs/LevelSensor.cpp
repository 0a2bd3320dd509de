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

std::array<QColor, 5> Leds(uint8_t b)
{
    std::array<QColor, 5> leds;
    for (int i = 0; i < 4; ++i) leds[i] = (b >> (5 - i)) & 1 ? kLedLit : kLedOff;
    leds[4] = b & 2 ? kLedLit : b & 1 ? kLedReserve : kLedOff;
    return leds;
}

}  // namespace LevelSensor
