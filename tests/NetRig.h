#pragma once

// Network ends for the Wi-Fi adapter tests, all on this machine: a port nobody listens on, and a
// listening socket that never answers.
#include <QtNetwork/QTcpServer>
#include <QtTest/QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A port on this machine that nobody listens on: taken from the system, then let go.
inline quint16 freeLocalPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
    return probe.serverPort();
}

inline QString localAddress(quint16 port) { return QStringLiteral("127.0.0.1:") + QString::number(port); }

// A listening socket whose queue of connections is full and never taken from: the system drops
// further connection requests unanswered, as at an address where nobody is, without anything
// leaving this machine.
class Unanswering {
public:
    Unanswering()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), size) != 0 || ::listen(listener_, 0) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &size) != 0)
            return;
        port_ = ntohs(a.sin_port);
        // Two connections fill a queue of length 0.
        for (int& f : fillers_) {
            f = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(f, reinterpret_cast<sockaddr*>(&a), size);
        }
        QTest::qWait(100);
    }
    ~Unanswering()
    {
        for (const int f : fillers_)
            if (f >= 0) ::close(f);
        if (listener_ >= 0) ::close(listener_);
    }
    Unanswering(const Unanswering&) = delete;
    Unanswering& operator=(const Unanswering&) = delete;
    quint16 port() const { return port_; }

private:
    int listener_ = -1;
    int fillers_[2] = {-1, -1};
    quint16 port_ = 0;
};
