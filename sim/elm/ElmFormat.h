#pragma once

#include <QtCore/QByteArray>

// How an ELM327 prints a computer's message on each protocol family: header bytes, CAN frames
// (single, or first and consecutive frames for longer messages) and the check byte of the older
// buses. Each byte is followed by a space and each line by a carriage return, as the adapter does.
namespace ElmFormat {

struct Style {
    bool headers = false;
    bool spaces = true;
};

// The reply lines of one message from computer `address` on `protocol`.
QByteArray message(int protocol, int address, const QByteArray& payload, const Style& style);

}  // namespace ElmFormat
