#pragma once

#include <QtCore/QString>

#include <cstdint>

// The byte pipe under TSerial: opens a device by path and moves raw bytes without ever blocking.
// One implementation drives real serial devices and pseudo-terminals, one Wi-Fi adapters over TCP,
// another is an in-memory loopback for unit tests.
class SerialBackend {
public:
    virtual ~SerialBackend() = default;

    // Opens the device at 38400 baud, 8 data bits, no parity, one stop bit (or the given settings).
    virtual bool open(const QString& device, int baudRate, int dataBits, int parity, int stopBits) = 0;
    // Applies new line settings to an open device.
    virtual void configure(int baudRate, int dataBits, int parity, int stopBits) = 0;
    virtual void close() = 0;
    // False once the device has gone away (unplugged adapter, closed pseudo-terminal).
    virtual bool isOpen() = 0;
    // Bytes waiting in the receive queue; never waits for more to arrive.
    virtual int bytesWaiting() = 0;
    virtual int read(uint8_t* buffer, int count) = 0;
    virtual int write(const uint8_t* buffer, int count) = 0;
    virtual void purgeRx() = 0;
    virtual void purgeTx() = 0;
    // True while a connection is still being made (a network adapter); the device counts as open
    // meanwhile, and bytes written wait until it is made.
    virtual bool connecting() { return false; }
    // Why the last open failed or the device went away, for the fitter; empty when nothing says.
    virtual QString errorText() const { return {}; }
    // The same as a kind, for a text in the window's language (a network adapter's reasons).
    enum class Failure { None, Refused, NoAnswer, HostNotFound, Closed, Lost, Other };
    virtual Failure failure() const { return Failure::None; }
    // Milliseconds from the open to the failure (the wait for an answer that never came).
    virtual int failedAfterMs() const { return 0; }
};
