#pragma once

#include <QtCore/QList>
#include <QtCore/QRect>
#include <QtGui/QColor>

#include <cstdint>

#include "link/LiveFrame.h"

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

// The six LEDs as the live reply lights them: the level column (top first), the reserve at its foot
// and the fuel LED.
QList<Led> leds(const SwitchLeds& on);

}  // namespace SwitchPicture
