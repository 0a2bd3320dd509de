#pragma once

#include <QtGui/QColor>
#include <QtGui/QImage>

// The OBD protocol pictures (our own artwork), 135 x 48: the car's diagnostic socket with the
// protocol family in use; the parts left white are transparent.
namespace ProtocolPicture {

constexpr int kWidth = 135;
constexpr int kHeight = 48;

// The picture named "RC_OBD_PWM", "RC_OBD_VPW", "RC_OBD_ISO", "RC_OBD_CAN", "RC_OBD_OFF" or
// "RC_OBD_ON" (any other name gives the last).
QImage picture(const QString& name);

// The protocol picture's canvas for a panel `panelWidth` wide: (panelWidth - 90) x 48 in `fill`,
// the picture centred when it fits, else scaled into the bottom-left (w - 4) wide.
QImage canvas(const QString& name, int panelWidth, const QColor& fill);

}  // namespace ProtocolPicture
