#pragma once

#include <QtGui/QColor>

#include <array>
#include <cstdint>

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

// Colours of the five LEDs from top to bottom (level 4, 3, 2, 1, reserve) for LED byte `b`
// (live-frame byte 13).
std::array<QColor, 5> Leds(uint8_t b);

// Live-frame offsets of the LED byte and the sensor voltage (0.02 V).
constexpr int kFrameLeds = 13;
constexpr int kFrameVoltage = 50;

}  // namespace LevelSensor
