#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QList>
#include <QtCore/QSet>

#include <cstdint>
#include <functional>

// One engine computer of the simulated car: its address on the bus, the mode-01 PIDs it knows and
// its trouble codes.
struct ElmEcu {
    int address = 0;            // 11-bit CAN identifier of its replies, or its 8-bit address
    QSet<int> pids;             // mode-01 PIDs it answers (the support bitmaps follow from them)
    QList<uint16_t> stored;     // mode 03
    QList<uint16_t> pending;    // mode 07
    QList<uint16_t> permanent;  // mode 0A
};

// What one computer says to a request: the message bytes from the response mode byte on.
struct ElmAnswer {
    int address = 0;
    QByteArray payload;
};

// The car behind the adapter: the protocol it speaks and its engine computers. Readings change
// with every request, like an engine idling and revving.
class ElmCar {
public:
    int protocol = 6;
    QList<ElmEcu> ecus;
    bool present = true;  // false: nothing is connected to the adapter

    // Answers of every computer that responds to `request` (mode byte and parameters); empty when
    // none does (the adapter then says NO DATA).
    QList<ElmAnswer> answer(const QByteArray& request);

    // Data bytes a mode-01 PID returns; 0 for PIDs the car model does not know.
    static int pidBytes(int pid);
    // "P0171" -> 0x0171; false when the text is not a trouble code.
    static bool parseCode(const QString& text, uint16_t& code);

    int requests = 0;  // every request counts as a moment of time for the readings

    // Readings from a car model outside (kavelo-sim car): fills the PID's data bytes (already
    // sized) and returns true, or false to leave the PID to this car's own readings.
    std::function<bool(int pid, QByteArray& data)> pidSource;

private:
    QByteArray pidData(const ElmEcu& ecu, int pid) const;
    uint32_t supportBitmap(const ElmEcu& ecu, int first) const;
    QList<ElmAnswer> codes(const ElmEcu& ecu, uint8_t mode, const QList<uint16_t>& list) const;
};
