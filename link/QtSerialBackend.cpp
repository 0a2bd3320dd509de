#include "link/QtSerialBackend.h"

namespace {

QSerialPort::Parity toQtParity(int parity)
{
    // Windows DCB parity codes: 0 none, 1 odd, 2 even, 3 mark, 4 space.
    switch (parity) {
        case 1: return QSerialPort::OddParity;
        case 2: return QSerialPort::EvenParity;
        case 3: return QSerialPort::MarkParity;
        case 4: return QSerialPort::SpaceParity;
        default: return QSerialPort::NoParity;
    }
}

}  // namespace

bool QtSerialBackend::open(const QString& device, int baudRate, int dataBits, int parity, int stopBits)
{
    close();
    port_.setPortName(device);
    error_.clear();
    if (!port_.open(QIODevice::ReadWrite)) {
        error_ = openFailure(port_.error(), device, port_.errorString());
        return false;
    }
    configure(baudRate, dataBits, parity, stopBits);
    port_.clear();
    return true;
}

QString QtSerialBackend::openFailure(QSerialPort::SerialPortError error, const QString& device,
                                     const QString& systemText)
{
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            return QStringLiteral(
                       "no such device %1: is the adapter plugged in? kavelo-cli ports lists the ports there are")
                .arg(device);
        case QSerialPort::PermissionError:
            // On Linux the serial devices belong to the dialout group; a lock by another program reads the same.
            return QStringLiteral("no permission to open %1: add yourself to the dialout group (sudo usermod -aG "
                                  "dialout $USER, then log in again), or close the program that has the port open")
                .arg(device);
        case QSerialPort::OpenError: return QStringLiteral("%1 is already open").arg(device);
        default: return systemText.isEmpty() ? QString() : device + QStringLiteral(": ") + systemText;
    }
}

void QtSerialBackend::configure(int baudRate, int dataBits, int parity, int stopBits)
{
    if (!port_.isOpen()) return;
    port_.setBaudRate(baudRate);
    port_.setDataBits(static_cast<QSerialPort::DataBits>(dataBits));
    port_.setParity(toQtParity(parity));
    port_.setStopBits(stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
}

void QtSerialBackend::close()
{
    if (port_.isOpen()) port_.close();
    port_.clearError();
}

void QtSerialBackend::poll()
{
    if (!port_.isOpen()) return;
    // A zero time-out only collects what the driver already holds.
    port_.waitForReadyRead(0);
    if (deviceGone()) close();
}

bool QtSerialBackend::deviceGone() const
{
    // An unplugged adapter reports a resource error; a closed pseudo-terminal fails every read.
    return port_.error() == QSerialPort::ResourceError || port_.error() == QSerialPort::ReadError;
}

bool QtSerialBackend::isOpen()
{
    poll();
    return port_.isOpen();
}

int QtSerialBackend::bytesWaiting()
{
    poll();
    if (!port_.isOpen()) return -1;
    return static_cast<int>(port_.bytesAvailable());
}

int QtSerialBackend::read(uint8_t* buffer, int count)
{
    if (!port_.isOpen()) return -1;
    return static_cast<int>(port_.read(reinterpret_cast<char*>(buffer), count));
}

int QtSerialBackend::write(const uint8_t* buffer, int count)
{
    if (!port_.isOpen()) return -1;
    const qint64 n = port_.write(reinterpret_cast<const char*>(buffer), count);
    port_.flush();
    if (deviceGone()) {
        close();
        return -1;
    }
    return static_cast<int>(n);
}

void QtSerialBackend::purgeRx()
{
    if (!port_.isOpen()) return;
    poll();
    if (port_.isOpen()) port_.clear(QSerialPort::Input);
}

void QtSerialBackend::purgeTx()
{
    if (port_.isOpen()) port_.clear(QSerialPort::Output);
}
