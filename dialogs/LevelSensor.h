#pragma once

#include <QtGui/QColor>

#include <array>
#include <cstdint>

#include "link/LiveFrame.h"

// The level-sensor dialog's rules: the order of the four thresholds and the switch LEDs as the
// controller lights them.
namespace LevelSensor {

// Boxes to draw red: bit i for setting 41 + i. A growing sensor (type 0 or 2) needs
// s41 >= s42 >= s43 >= s44, any other type s41 <= s42 <= s43 <= s44; both boxes of every
// neighbouring pair that breaks the rule are red.
int OutOfOrder(int type, const std::array<uint8_t, 4>& thresholds);

const QColor kLedLit(0, 160, 0);
const QColor kLedOff(160, 160, 164);
const QColor kLedReserve(200, 0, 0);

// Colours of the five LEDs from top to bottom (level 4, 3, 2, 1, reserve) as the switch shows them.
std::array<QColor, 5> Leds(const SwitchLeds& leds);

}  // namespace LevelSensor
