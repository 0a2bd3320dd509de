#include "link/TcpBackend.h"

#include "link/PortAddress.h"

bool TcpBackend::open(const QString& address, int, int, int, int)
{
    close();
    const std::optional<PortAddress::Address> parsed = PortAddress::parse(address);
    if (!parsed) {
        error_ = QStringLiteral("not a network address: ") + address;
        failure_ = Failure::Other;
        return false;
    }
    address_ = PortAddress::text(*parsed);
    clock_.start();
    open_ = true;
    socket_.connectToHost(parsed->host, parsed->port);
    // The system may refuse a connection to this machine at once.
    poll();
    return open_;
}

void TcpBackend::close()
{
    socket_.abort();
    open_ = false;
    connected_ = false;
    error_.clear();
    failure_ = Failure::None;
    failedAfterMs_ = 0;
}

bool TcpBackend::connecting()
{
    poll();
    return open_ &&
           (socket_.state() == QAbstractSocket::HostLookupState || socket_.state() == QAbstractSocket::ConnectingState);
}

void TcpBackend::fail(Failure kind, const QString& text)
{
    error_ = text;
    failure_ = kind;
    failedAfterMs_ = static_cast<int>(clock_.elapsed());
    open_ = false;
    socket_.abort();
}

void TcpBackend::poll()
{
    if (!open_) return;
    switch (socket_.state()) {
        case QAbstractSocket::ConnectedState:
            if (!connected_) {
                connected_ = true;
                // The adapter's answers are a few bytes each: send every command at once.
                socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
            }
            if (socket_.bytesToWrite() > 0) socket_.flush();
            // A zero time-out only collects what the system already holds; a closed connection
            // turns the socket unconnected here.
            socket_.waitForReadyRead(0);
            if (socket_.state() == QAbstractSocket::ConnectedState) return;
            break;
        case QAbstractSocket::HostLookupState:
        case QAbstractSocket::ConnectingState:
            if (clock_.elapsed() < connectTimeoutMs_) return;
            fail(Failure::NoAnswer, QStringLiteral("cannot connect to %1: no answer within %2 s")
                                        .arg(address_)
                                        .arg((connectTimeoutMs_ + 999) / 1000));
            return;
        default: break;
    }
    // The connection is gone, or was never made.
    const QAbstractSocket::SocketError why = socket_.error();
    QString text;
    Failure kind = Failure::Other;
    if (connected_ || why == QAbstractSocket::RemoteHostClosedError) {
        const bool closed = why == QAbstractSocket::RemoteHostClosedError;
        kind = closed ? Failure::Closed : Failure::Lost;
        text = closed ? QStringLiteral("the adapter at %1 closed the connection").arg(address_)
                      : QStringLiteral("the connection to %1 was lost: %2").arg(address_, socket_.errorString());
    } else if (why == QAbstractSocket::ConnectionRefusedError) {
        kind = Failure::Refused;
        text = QStringLiteral("cannot connect to %1: the connection was refused").arg(address_);
    } else if (why == QAbstractSocket::HostNotFoundError) {
        kind = Failure::HostNotFound;
        text = QStringLiteral("cannot connect to %1: host not found").arg(address_);
    } else {
        text = QStringLiteral("cannot connect to %1: %2").arg(address_, socket_.errorString());
    }
    fail(kind, text);
}

bool TcpBackend::isOpen()
{
    poll();
    return open_;
}

int TcpBackend::bytesWaiting()
{
    poll();
    if (!open_) return -1;
    return static_cast<int>(socket_.bytesAvailable());
}

int TcpBackend::read(uint8_t* buffer, int count)
{
    if (!open_) return -1;
    return static_cast<int>(socket_.read(reinterpret_cast<char*>(buffer), count));
}

int TcpBackend::write(const uint8_t* buffer, int count)
{
    if (!open_) return -1;
    const qint64 n = socket_.write(reinterpret_cast<const char*>(buffer), count);
    if (n < 0) {
        poll();
        return -1;
    }
    // While connected, hand the bytes to the system now; while connecting they wait in the socket.
    if (socket_.state() == QAbstractSocket::ConnectedState) socket_.flush();
    return static_cast<int>(n);
}

void TcpBackend::purgeRx()
{
    poll();
    if (open_) socket_.skip(socket_.bytesAvailable());
}
