#pragma once

#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QString>

#include <cstdint>
#include <memory>

#include "link/SerialBackend.h"

// One entry of a port-selection menu, as data that a Qt menu or the command line can show.
// The first entry is the connect/disconnect item, the second a separator; port entries follow.
struct PortMenuItem {
    QString caption;
    int tag = 0;         // port number; for the connect item 0 (connect) or -1 (disconnect)
    bool radio = false;  // radio item of group 1, checked automatically on click
    bool checked = false;
    bool separator = false;
    QString device;  // device path of a port entry
};

// Byte transport shared by the controller link and the OBD adapter link: one stored port number
// selects the device; reads and writes move raw bytes and never wait.
class TSerial : public QObject {
    Q_OBJECT
public:
    explicit TSerial(QObject* parent = nullptr);
    ~TSerial() override;

    // number > 0 selects that port first; 0 or -1 reopens the stored one.
    bool PortOpen(int number);
    bool PortOpenFtdiByDescription(const QString& description);
    bool PortOpenComm();
    void PortSetComm();
    void PortClose();
    bool PortConnected();
    int PortRead(uint8_t* buffer, int count);
    int PortWrite(const uint8_t* buffer, int count);
    int PortInQueCount();
    void PortPurgeRx();
    void PortPurgeTx();

    // Rebuilds `menu` after its first two entries (created when missing): FTDI adapters first,
    // then the serial devices; " (*)" marks the remembered port while nothing is connected.
    void PortList(QList<PortMenuItem>& menu);
    // A port entry opens that port; the connect item toggles between closing and reopening.
    void PortOnClick(PortMenuItem& item);

    // Test seam: replaces the device layer (the loopback backend in unit tests).
    void setBackend(std::unique_ptr<SerialBackend> backend);
    SerialBackend* backend() const { return backend_.get(); }

    int portNumber = 1;
    QString portName = QStringLiteral("Com1");
    int baudRate = 38400;
    int dataBits = 8;
    int parity = 0;
    int stopBits = 1;
    uint8_t lineOptions = 0;
    // Set by every successful open, cleared by PortClose; the controller link consumes it.
    bool justOpened = false;

private:
    std::unique_ptr<SerialBackend> backend_;
    bool comOpen_ = false;
};
