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
// selects the device, or a stored network address (a Wi-Fi adapter) stands in its place; reads and
// writes move raw bytes and never wait.
class TSerial : public QObject {
    Q_OBJECT
public:
    explicit TSerial(QObject* parent = nullptr);
    ~TSerial() override;

    // number > 0 selects that port first (and drops a stored address); 0 or -1 reopens the stored
    // port: the address when one is stored, else the numbered device.
    bool PortOpen(int number);
    // Stores "HOST:PORT" as the port and connects there; true while the connection is being made.
    bool PortOpenAddress(const QString& hostPort);
    bool PortOpenFtdiByDescription(const QString& description);
    bool PortOpenComm();
    void PortSetComm();
    void PortClose();
    bool PortConnected();
    // True while the port is open but its network connection is still being made.
    bool PortConnecting();
    int PortRead(uint8_t* buffer, int count);
    int PortWrite(const uint8_t* buffer, int count);
    int PortInQueCount();
    void PortPurgeRx();
    void PortPurgeTx();
    // Why the port could not be opened or was lost ("cannot connect to ...: the connection was
    // refused"); empty when the device says nothing.
    QString portError() const;
    // The same as a kind, and how long the open waited for it (SerialBackend::failure).
    SerialBackend::Failure portFailure() const;
    int portFailedAfterMs() const;
    bool overNetwork() const { return !address.isEmpty(); }

    // Rebuilds `menu` after its first two entries (created when missing): FTDI adapters first,
    // then the serial devices; " (*)" marks the remembered port while nothing is connected. While
    // a network address is the port, no device is marked.
    void PortList(QList<PortMenuItem>& menu);
    // A port entry opens that port (the address is dropped); the connect item toggles between
    // closing and reopening.
    void PortOnClick(PortMenuItem& item);

    // Test seam: replaces the device layer (the loopback backend in unit tests). Network addresses
    // always go through the TCP backend.
    void setBackend(std::unique_ptr<SerialBackend> backend);
    SerialBackend* backend() const { return backend_.get(); }

    int portNumber = 1;
    QString portName = QStringLiteral("Com1");
    // "HOST:PORT" of a Wi-Fi adapter; when set it is the port, in place of `portNumber`.
    QString address;
    int baudRate = 38400;
    int dataBits = 8;
    int parity = 0;
    int stopBits = 1;
    uint8_t lineOptions = 0;
    // Set by every successful open, cleared by PortClose; the controller link consumes it.
    bool justOpened = false;
    // Set by every open, whether it succeeded or not; the OBD reader consumes it, so that a port
    // that could not be opened is shown with its reason instead of what was there before.
    bool openTried = false;

private:
    bool openAddress();

    std::unique_ptr<SerialBackend> backend_;  // devices
    std::unique_ptr<SerialBackend> network_;  // network addresses, made when first used
    SerialBackend* active_ = nullptr;         // the one opened last
    bool comOpen_ = false;
};
