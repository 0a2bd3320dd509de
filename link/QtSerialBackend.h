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
    QString errorText() const override { return error_; }

    // Why a device could not be opened, in the fitter's words, from QSerialPort's error.
    static QString openFailure(QSerialPort::SerialPortError error, const QString& device, const QString& systemText);

private:
    // Pulls what the driver holds into QSerialPort's buffer and notices a vanished device.
    void poll();
    bool deviceGone() const;

    QSerialPort port_;
    QString error_;
};
