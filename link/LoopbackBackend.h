#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QStringList>

#include "link/SerialBackend.h"

// In-memory serial line for unit tests: the test plays the far end by pushing bytes into the
// receive queue and taking what the link wrote.
class LoopbackBackend final : public SerialBackend {
public:
    bool open(const QString& device, int baudRate, int dataBits, int parity, int stopBits) override;
    void configure(int baud, int, int, int) override { baudRate = baud; }
    void close() override { open_ = false; }
    bool isOpen() override { return open_; }
    int bytesWaiting() override { return open_ ? static_cast<int>(rx.size()) : -1; }
    int read(uint8_t* buffer, int count) override;
    int write(const uint8_t* buffer, int count) override;
    void purgeRx() override { rx.clear(); }
    void purgeTx() override {}

    // Simulates an unplugged device: the line is gone until opened again.
    void vanish() { open_ = false; }

    QByteArray rx;              // bytes the far end has sent, not yet read
    QByteArray tx;              // bytes the link has written
    bool refuseOpen = false;    // next opens fail
    QStringList openedDevices;  // every device path opened, in order
    int baudRate = 0;

private:
    bool open_ = false;
};
