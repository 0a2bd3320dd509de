#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QString>

#include "sim/elm/ElmCar.h"
#include "sim/elm/ElmFormat.h"

// The ELM327 adapter: reads command lines ended by a carriage return, answers AT commands itself,
// passes OBD requests to the car on the protocol that is set, and ends every reply with '>'.
class ElmAdapter {
public:
    struct Options {
        QByteArray version = "ELM327 v1.5";
        QByteArray voltage = "12.6V";
        // After a failed try of a protocol, search the others as many adapters do; "ATDPN" then
        // reports the protocol found with the "A" mark.
        bool autoSearch = false;
        // Stop answering after this many commands (-1: never; 0: a dead adapter), like an adapter
        // that hangs.
        int silentAfter = -1;
    };

    explicit ElmAdapter(ElmCar& car) : car_(car) {}

    // Bytes from the program; returns the adapter's output for every command line completed.
    QByteArray receive(const QByteArray& bytes);

    Options options;
    int commandCount = 0;

private:
    QByteArray command(const QByteArray& line);
    QByteArray atCommand(const QByteArray& c);
    QByteArray request(const QByteArray& c);
    QByteArray busError(int protocol) const;
    QByteArray end() const;

    ElmCar& car_;
    QByteArray input_;
    QByteArray lastCommand_;
    bool echo_ = true;
    bool linefeeds_ = true;
    ElmFormat::Style style_;
    int setProtocol_ = 0;  // 0 automatic
    bool tryProtocol_ = false;
    int connected_ = 0;  // protocol on which the car answered, 0 none yet
    bool foundBySearch_ = false;
    bool searchFailed_ = false;
};
