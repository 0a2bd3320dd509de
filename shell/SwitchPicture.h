#pragma once

#include <QtCore/QList>
#include <QtCore/QRect>
#include <QtGui/QColor>

#include <cstdint>

class QPainter;

// The 91 x 91 picture of the dashboard switch in the main window, with its level and fuel LEDs.
namespace SwitchPicture {

constexpr int kSize = 91;

// Draws the switch body (our own artwork) over a background that is already filled.
void draw(QPainter& painter);

struct Led {
    QRect rect;
    QColor colour;
};

// Bits of the LED bytes of a live frame. The level byte lights the column's four upper LEDs, top
// first, in green; its two lowest bits, like the fuel byte's, drive a two-colour LED: green, else
// red (the reserve at the column's foot), else off.
constexpr uint8_t kLevelLedBits[] = {0x20, 0x10, 0x08, 0x04};
constexpr uint8_t kGreenBit = 0x02;
constexpr uint8_t kRedBit = 0x01;

// The six LEDs for live-frame bytes 13 (level LEDs, bits 5..0) and 14 (fuel LED, bits 1..0).
QList<Led> leds(uint8_t byte13, uint8_t byte14);

}  // namespace SwitchPicture
