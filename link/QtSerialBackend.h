#pragma once

#include <QtSerialPort/QSerialPort>

#include "link/SerialBackend.h"

// Serial devices and pseudo-terminals through QSerialPort, polled without an event loop.
class QtSerialBackend final : public SerialBackend {
public:
    bool open(const QString& device, int baudRate, int dataBits, int parity, int stopBits) override;
    void configure(int baudRate, int dataBits, int parity, int stopBits) override;
    void close() override;
    bool isOpen() override;
    int bytesWaiting() override;
    int read(uint8_t* buffer, int count) override;
    int write(const uint8_t* buffer, int count) override;
    void purgeRx() override;
    void purgeTx() override;

private:
    // Pulls what the driver holds into QSerialPort's buffer and notices a vanished device.
    void poll();
    bool deviceGone() const;

    QSerialPort port_;
};
