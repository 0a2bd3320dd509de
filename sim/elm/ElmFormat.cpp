#include "sim/elm/ElmFormat.h"

#include <QtCore/QList>

namespace ElmFormat {

namespace {

QByteArray line(const QByteArray& head, const QByteArray& bytes, const Style& style)
{
    QByteArray text = head;
    for (const char b : bytes) {
        text += QByteArray::number(static_cast<uint8_t>(b), 16).toUpper().rightJustified(2, '0');
        if (style.spaces) text += ' ';
    }
    return text + '\r';
}

QByteArray hex(int value, int digits) { return QByteArray::number(value, 16).toUpper().rightJustified(digits, '0'); }

// ISO 15765-2 framing of one message into 8-byte CAN frames, padded with zeros.
QList<QByteArray> canFrames(const QByteArray& payload)
{
    QList<QByteArray> frames;
    if (payload.size() <= 7) {
        QByteArray f = char(payload.size()) + payload;
        frames.append(f + QByteArray(8 - f.size(), '\0'));
        return frames;
    }
    const int length = static_cast<int>(payload.size());
    QByteArray first;
    first.append(static_cast<char>(0x10 | ((length >> 8) & 0x0F)));
    first.append(static_cast<char>(length & 0xFF));
    first += payload.left(6);
    frames.append(first);
    int sequence = 1;
    for (int at = 6; at < length; at += 7) {
        QByteArray f = char(0x20 | (sequence & 0x0F)) + payload.mid(at, 7);
        frames.append(f + QByteArray(8 - f.size(), '\0'));
        ++sequence;
    }
    return frames;
}

}  // namespace

QByteArray message(int protocol, int address, const QByteArray& payload, const Style& style)
{
    const QByteArray gap = style.spaces ? " " : "";
    if (protocol >= 6 && protocol <= 9) {
        const bool extended = protocol == 7 || protocol == 9;
        const QByteArray head =
            extended ? "18" + gap + "DA" + gap + "F1" + gap + hex(address, 2) + gap : hex(address, 3) + gap;
        QByteArray text;
        if (!style.headers) {
            // Without headers the adapter shows only the message bytes.
            return line({}, payload, style);
        }
        for (const QByteArray& frame : canFrames(payload)) text += line(head, frame, style);
        return text;
    }
    QByteArray bytes;
    if (protocol == 4 || protocol == 5) {
        bytes.append(static_cast<char>(0x80 | (payload.size() & 0x3F)));
        bytes.append(static_cast<char>(0xF1));
    } else {
        bytes.append(static_cast<char>(protocol == 1 ? 0x41 : 0x48));
        bytes.append(static_cast<char>(0x6B));
    }
    bytes.append(static_cast<char>(address));
    bytes += payload;
    uint8_t sum = 0;
    for (const char b : bytes) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(b));
    if (!style.headers) return line({}, payload, style);
    return line({}, bytes + char(sum), style);
}

}  // namespace ElmFormat
