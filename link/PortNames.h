#pragma once

#include <QtCore/QList>
#include <QtCore/QString>
#include <QtCore/QStringList>

// The stored port number and the device it names. On Linux fixed blocks of numbers name device
// nodes (1..64 ttyS, 65..192 ttyUSB, 193..320 ttyACM, 321..384 rfcomm, 385..1023 pts) so that a
// remembered number keeps meaning the same device; on Windows 1..1023 is COMn. On both, 1024 + i
// is the i-th serial port of an FTDI (USB vendor 0x0403) adapter.
namespace PortNames {

constexpr int kFtdiBase = 1024;
constexpr quint16 kFtdiVendor = 0x0403;

struct FtdiPort {
    QString device;
    QString description;
    QString serialNumber;
};

struct SerialDevice {
    int number = 0;
    QString device;
};

// The FTDI adapters present now, in the order that gives them their index.
QList<FtdiPort> ftdiPorts();

// Serial devices present now (every vendor), ordered by port number; a pseudo-terminal is included
// only when its number is `rememberedNumber`. On Linux every Bluetooth serial device bound in /dev
// (rfcomm0, ...: a paired Bluetooth adapter) is included.
QList<SerialDevice> serialDevices(int rememberedNumber);

// `devices` with the rfcomm devices `names` (as listed in /dev) added where missing, ordered by
// port number; names outside the rfcomm block are left out.
QList<SerialDevice> withRfcomm(QList<SerialDevice> devices, const QStringList& names);

// Device to open for a number below 1024 (the FTDI index is resolved by the caller); empty when
// the number names nothing.
QString deviceForNumber(int number);

// Number for a device path, following symbolic links; a plain number is taken as it is.
// 0 when the path fits none of the blocks.
int numberForDevice(const QString& pathOrNumber);

// The caption the port menu shows for a number below 1024.
QString captionForNumber(int number);

}  // namespace PortNames
