#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QString>

// Which engine computers answered and where a computer's lines stand in a reply. The reply-line
// layout depends on the protocol family: J1850 and ISO 9141-2 (1..3), KWP (4, 5), CAN with 11-bit
// identifiers (6, 8) and with 29-bit identifiers (7, 9). Other protocol numbers have no layout.
namespace ObdDiscovery {

struct EcuList {
    QString list;     // "7E8h 7E9h " as shown in the ECU row
    int count = 0;    // lines accepted
    int primary = 0;  // the computer whose replies are decoded
};

// ECU discovery on the reply to "0100". The primary computer is the last one, in reply order, whose
// first support byte declares PID 06 or 07 (the bank 1 fuel trims), or the first one when none does.
// A line that does not fit its family's layout ends the discovery.
EcuList SzukajEcu(const QByteArray& reply, int protocol);

// The pattern that starts the primary computer's single-frame line for PID `pid` with `bytes` data
// bytes; empty for protocols without a layout.
QByteArray PidPattern(int protocol, int ecu, int pid, int bytes);

// 0-based index where the data bytes of `pid` from `ecu` begin in `reply`, or -1.
int SzukajEcuPid(const QByteArray& reply, int protocol, int ecu, int pid, int bytes);

// Finds `ecu`'s line with response mode byte `mode` and cuts `reply` so that it starts at that
// line's code data: right after the mode byte on 1..5, at the frame's first data byte (length or
// frame type) on CAN. False, with `reply` possibly shortened on CAN, when no such line is found.
bool SzukajEcuMode(QByteArray& reply, int protocol, int ecu, int mode);

}  // namespace ObdDiscovery
