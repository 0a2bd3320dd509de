#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QStringList>
#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>

#include "sim/elm/ElmAdapter.h"
#include "sim/elm/ElmCar.h"
#include "sim/pty/PtyPort.h"

// An ELM327 adapter with a car behind it on a pseudo-terminal (the program opens devicePath() as its
// ELM port) or, as a Wi-Fi adapter, on TCP (the program connects to servedAddress()). Tests call
// poll() between the program's ticks; kavelo-sim lets it watch the line.
class ElmSimulator : public QObject {
    Q_OBJECT
public:
    explicit ElmSimulator(QObject* parent = nullptr);

    // Reads the options of "kavelo-sim elm" into the car and the adapter; false with `error` set
    // for an option it does not understand.
    bool configure(const QStringList& args, QString& error);
    static QString usage();

    bool open();
    QString devicePath() const { return port_.devicePath(); }

    // Serves on TCP at "HOST:PORT" (an IP address or localhost; port 0 takes a free one) instead
    // of the pseudo-terminal. One client at a time: a client that connects while another is served
    // waits, unanswered, until that one leaves. False with `error` set when it cannot listen there.
    bool listen(const QString& hostPort, QString& error);
    // "HOST:PORT" being listened on, with the port actually taken; empty before listen().
    QString servedAddress() const;
    // A client is connected and being served.
    bool hasClient() const { return client_ != nullptr; }

    // Takes what the program wrote and sends the adapter's answer. With `pieces` above 1 an answer
    // goes out in that many writes, one per call, as a slow adapter's bytes arrive. Returns the
    // count of bytes sent.
    int poll();
    // Polls whenever the program writes, from the event loop.
    void serve();
    // Bytes cross the line at its speed (38400 baud) unless switched off ("--no-wire-timing"):
    // tests that poll turn by turn switch it off. On by default, as on a real adapter.
    void setWireTiming(bool on);
    bool wireTiming() const { return wireTiming_; }

    ElmCar car;
    ElmAdapter adapter{car};
    int pieces = 1;
    QByteArray received;  // everything the program wrote
    QString tcp;          // --tcp HOST:PORT: serve on TCP there; empty serves on a pseudo-terminal

private:
    // The next waiting client, when none is served.
    void takeClient();
    void dropClient();
    QByteArray takeInput();
    void send(const QByteArray& bytes);

    PtyPort port_;
    bool wireTiming_ = true;
    QList<QByteArray> queue_;
    QTcpServer* server_ = nullptr;
    QTcpSocket* client_ = nullptr;
    QString servedHost_;
};
