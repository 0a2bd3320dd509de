#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>

#include <cstdint>
#include <functional>

// What the status panel, the errors box and the history box show for the controller's replies.
// Pure functions over frame bytes; texts come through `text` (a language-table lookup).
namespace LivePanels {

using TextLookup = std::function<QString(int id)>;

// Detail text ID of the work state for detail group `group` (frame byte 6: 1, 10 or 20) and the
// detail bits (byte 7): the highest set bit with a text wins; 0 when none has one.
int detailTextId(int group, uint8_t bits);

// Text ID of a fuel-switch cause (frame byte 7 after the marker 0xF0), 0 for a code without text.
int fuelSwitchTextId(int cause);

// Lines of the errors box for an errors reply (command 0x82) of `length` bytes: one per set bit of
// bytes 6..12, then, when `storedPresent` (bit 4 of byte 11 of the latest live frame), the stored
// counters of bytes 13..68 that are not 0. Bytes at or past `length` read as 0.
QStringList errorLines(const uint8_t* frame, int length, bool storedPresent, const TextLookup& text);

// A history line: the time, a TAB, a second TAB for a short time text (so the columns line up),
// then what happened.
QString historyLine(const QString& timeText, const QString& what);

// Name of the protocol picture for an OBD adapter state (-1 off, 0 searching, 1..12 protocol).
QString protocolPictureName(int state);

}  // namespace LivePanels
