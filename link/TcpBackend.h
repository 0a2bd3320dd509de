#pragma once

#include <QtCore/QElapsedTimer>
#include <QtNetwork/QTcpSocket>

#include "link/SerialBackend.h"

// A Wi-Fi adapter at "HOST:PORT" through QTcpSocket, polled like a serial device. Connecting is
// left to the thread's event loop (the program's and the command line's timers run in one), so
// nothing ever waits: open() starts the connection and returns at once, the port counts as open
// while the connection is being made (bytes written meanwhile go out once it is), and a connection
// not made within the time-out is given up. A connection that closes is reported as a serial
// device that vanished: isOpen() turns false. errorText() says why, in the fitter's words.
class TcpBackend final : public SerialBackend {
public:
    static constexpr int kConnectTimeoutMs = 5000;

    explicit TcpBackend(int connectTimeoutMs = kConnectTimeoutMs) : connectTimeoutMs_(connectTimeoutMs) {}

    // `address` is "HOST:PORT"; the line settings do not apply to a network connection.
    bool open(const QString& address, int baudRate, int dataBits, int parity, int stopBits) override;
    void configure(int, int, int, int) override {}
    void close() override;
    bool isOpen() override;
    int bytesWaiting() override;
    int read(uint8_t* buffer, int count) override;
    int write(const uint8_t* buffer, int count) override;
    void purgeRx() override;
    // Bytes handed to the network cannot be taken back; there is nothing to purge.
    void purgeTx() override {}
    QString errorText() const override { return error_; }
    Failure failure() const override { return failure_; }
    int failedAfterMs() const override { return failedAfterMs_; }
    // True while the connection is being made (host lookup or handshake).
    bool connecting() override;

private:
    // Collects what the system holds, sends what waits, and notices a closed connection or a
    // connection attempt that ran out of time.
    void poll();
    void fail(Failure kind, const QString& text);

    QTcpSocket socket_;
    QElapsedTimer clock_;  // since open()
    QString address_;
    QString error_;
    Failure failure_ = Failure::None;
    int failedAfterMs_ = 0;
    int connectTimeoutMs_;
    bool open_ = false;
    bool connected_ = false;  // the connection was made
};
