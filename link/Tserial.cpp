#include "link/Tserial.h"

#include "link/PortNames.h"
#include "link/QtSerialBackend.h"
#include "link/TcpBackend.h"

TSerial::TSerial(QObject* parent) : QObject(parent), backend_(std::make_unique<QtSerialBackend>())
{
    active_ = backend_.get();
}

TSerial::~TSerial() { PortClose(); }

void TSerial::setBackend(std::unique_ptr<SerialBackend> backend)
{
    PortClose();
    backend_ = std::move(backend);
    active_ = backend_.get();
}

bool TSerial::PortOpen(int number)
{
    if (number > 0) {
        portNumber = number;
        address.clear();
    }
    if (portNumber < 1) portNumber = 1;
    PortClose();
    openTried = true;
    if (!address.isEmpty()) return openAddress();
    active_ = backend_.get();
    bool result = false;
    if (portNumber >= PortNames::kFtdiBase) {
        const QList<PortNames::FtdiPort> ftdi = PortNames::ftdiPorts();
        const int index = portNumber - PortNames::kFtdiBase;
        if (index < ftdi.size()) {
            portName = ftdi[index].device;
            result = backend_->open(portName, baudRate, 8, 0, 1);
            comOpen_ = result;
        }
    } else {
        portName = PortNames::deviceForNumber(portNumber);
        result = PortOpenComm();
    }
    justOpened = result;
    return result;
}

bool TSerial::PortOpenAddress(const QString& hostPort)
{
    address = hostPort;
    return PortOpen(-1);
}

bool TSerial::openAddress()
{
    if (!network_) network_ = std::make_unique<TcpBackend>();
    active_ = network_.get();
    portName = address;
    comOpen_ = active_->open(address, baudRate, dataBits, parity, stopBits);
    justOpened = comOpen_;
    return comOpen_;
}

bool TSerial::PortOpenComm()
{
    if (comOpen_) return true;
    if (portName.isEmpty()) return false;
    active_ = backend_.get();
    comOpen_ = backend_->open(portName, baudRate, dataBits, parity, stopBits);
    return comOpen_;
}

void TSerial::PortSetComm()
{
    if (comOpen_) active_->configure(baudRate, dataBits, parity, stopBits);
}

bool TSerial::PortOpenFtdiByDescription(const QString& description)
{
    PortClose();
    bool result = false;
    const QList<PortNames::FtdiPort> ftdi = PortNames::ftdiPorts();
    // Every match is opened in turn; with several matching adapters the last one stays open.
    for (int i = 0; i < ftdi.size(); ++i) {
        if (ftdi[i].description == description) result = PortOpen(PortNames::kFtdiBase + i);
    }
    justOpened = result;
    return result;
}

void TSerial::PortClose()
{
    if (comOpen_) active_->close();
    comOpen_ = false;
    justOpened = false;
}

bool TSerial::PortConnected()
{
    if (comOpen_ && !active_->isOpen()) comOpen_ = false;  // the device went away
    return comOpen_;
}

bool TSerial::PortConnecting() { return PortConnected() && active_->connecting(); }

int TSerial::PortRead(uint8_t* buffer, int count)
{
    if (!PortConnected() || count < 0) return -1;
    return active_->read(buffer, count);
}

int TSerial::PortWrite(const uint8_t* buffer, int count)
{
    if (!PortConnected() || count < 0) return -1;
    return active_->write(buffer, count);
}

int TSerial::PortInQueCount()
{
    if (!PortConnected()) return -1;
    const int n = active_->bytesWaiting();
    if (n < 0) comOpen_ = false;
    return n;
}

void TSerial::PortPurgeRx()
{
    if (PortConnected()) active_->purgeRx();
}

void TSerial::PortPurgeTx()
{
    if (PortConnected()) active_->purgeTx();
}

QString TSerial::portError() const { return active_->errorText(); }
SerialBackend::Failure TSerial::portFailure() const { return active_->failure(); }
int TSerial::portFailedAfterMs() const { return active_->failedAfterMs(); }

void TSerial::PortList(QList<PortMenuItem>& menu)
{
    if (menu.isEmpty()) menu.append(PortMenuItem{});
    if (menu.size() < 2) menu.append(PortMenuItem{{}, 0, false, false, true, {}});
    menu.erase(menu.begin() + 2, menu.end());

    const bool connected = PortConnected();
    auto addPort = [&](const QString& caption, int number, const QString& device) {
        PortMenuItem item;
        item.caption = caption;
        const bool chosen = portNumber == number && address.isEmpty();
        if (!connected && chosen) item.caption += QStringLiteral(" (*)");
        item.tag = number;
        item.radio = true;
        item.checked = connected && chosen;
        item.device = device;
        menu.append(item);
    };

    const QList<PortNames::FtdiPort> ftdi = PortNames::ftdiPorts();
    for (int i = 0; i < ftdi.size(); ++i) {
        const PortNames::FtdiPort& p = ftdi[i];
        const QString caption = !p.description.isEmpty() && !p.serialNumber.isEmpty()
                                    ? p.description + QStringLiteral(" - ") + p.serialNumber
                                    : QStringLiteral("FTDI ") + QString::number(i);
        addPort(caption, PortNames::kFtdiBase + i, p.device);
    }
    for (const PortNames::SerialDevice& d : PortNames::serialDevices(portNumber))
        addPort(PortNames::captionForNumber(d.number), d.number, d.device);
}

void TSerial::PortOnClick(PortMenuItem& item)
{
    if (item.tag > 0) {
        PortOpen(item.tag);
    } else if (PortConnected()) {
        PortClose();
        item.tag = -1;
    } else {
        PortOpen(-1);
        item.tag = 0;
    }
}
