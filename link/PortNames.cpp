#include "link/PortNames.h"

#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtCore/QRegularExpression>
#include <QtSerialPort/QSerialPortInfo>

#include <algorithm>

namespace PortNames {

namespace {

#ifndef Q_OS_WIN
struct Block {
    const char* prefix;
    int first;
    int count;
};

// Order matters only for reading; the blocks do not overlap.
constexpr Block kBlocks[] = {
    {"/dev/ttyS", 1, 64},     {"/dev/ttyUSB", 65, 128}, {"/dev/ttyACM", 193, 128},
    {"/dev/rfcomm", 321, 64}, {"/dev/pts/", 385, 639},
};

bool isPseudoTerminal(int number) { return number >= 385 && number <= 1023; }
#endif

}  // namespace

QList<FtdiPort> ftdiPorts()
{
    QList<FtdiPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.hasVendorIdentifier() && info.vendorIdentifier() == kFtdiVendor)
            ports.append({info.systemLocation(), info.description(), info.serialNumber()});
    }
    std::sort(ports.begin(), ports.end(), [](const FtdiPort& a, const FtdiPort& b) { return a.device < b.device; });
    return ports;
}

QString deviceForNumber(int number)
{
#ifdef Q_OS_WIN
    if (number < 1 || number >= kFtdiBase) return {};
    // COM9 and up only open through the device namespace.
    return (number > 8 ? QStringLiteral("\\\\.\\COM") : QStringLiteral("COM")) + QString::number(number);
#else
    for (const Block& b : kBlocks) {
        if (number >= b.first && number < b.first + b.count)
            return QLatin1String(b.prefix) + QString::number(number - b.first);
    }
    return {};
#endif
}

QString captionForNumber(int number)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM") + QString::number(number);
#else
    return deviceForNumber(number);
#endif
}

int numberForDevice(const QString& pathOrNumber)
{
    bool isNumber = false;
    const int plain = pathOrNumber.toInt(&isNumber);
    if (isNumber) return plain > 0 ? plain : 0;
#ifdef Q_OS_WIN
    static const QRegularExpression com(QStringLiteral("^(?:\\\\\\\\\\.\\\\)?COM(\\d+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const auto m = com.match(pathOrNumber);
    if (!m.hasMatch()) return 0;
    const int n = m.captured(1).toInt();
    return n >= 1 && n < kFtdiBase ? n : 0;
#else
    QString path = pathOrNumber;
    const QFileInfo fi(path);
    if (fi.exists()) path = fi.canonicalFilePath();
    for (const Block& b : kBlocks) {
        const QLatin1String prefix(b.prefix);
        if (!path.startsWith(prefix)) continue;
        const QString rest = path.mid(prefix.size());
        bool ok = false;
        const int index = rest.toInt(&ok);
        if (!ok || index < 0 || index >= b.count || rest != QString::number(index)) return 0;
        return b.first + index;
    }
    return 0;
#endif
}

QList<SerialDevice> serialDevices(int rememberedNumber)
{
    QList<SerialDevice> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const int n = numberForDevice(info.systemLocation());
        if (n > 0 && n < kFtdiBase) devices.append({n, info.systemLocation()});
    }
#ifndef Q_OS_WIN
    // Pseudo-terminals are not serial hardware; the remembered one (a simulator, a test rig) is
    // offered so that it can be chosen again.
    devices.erase(std::remove_if(devices.begin(), devices.end(),
                                 [&](const SerialDevice& d) {
                                     return isPseudoTerminal(d.number) && d.number != rememberedNumber;
                                 }),
                  devices.end());
    const bool listed = std::any_of(devices.begin(), devices.end(),
                                    [&](const SerialDevice& d) { return d.number == rememberedNumber; });
    if (isPseudoTerminal(rememberedNumber) && !listed) {
        const QString dev = deviceForNumber(rememberedNumber);
        if (QFileInfo::exists(dev)) devices.append({rememberedNumber, dev});
    }
    // A paired Bluetooth adapter bound with rfcomm is not always among the serial ports the system
    // reports; every bound one is offered.
    devices = withRfcomm(devices, QDir(QStringLiteral("/dev")).entryList({QStringLiteral("rfcomm*")}, QDir::System));
#endif
    std::sort(devices.begin(), devices.end(),
              [](const SerialDevice& a, const SerialDevice& b) { return a.number < b.number; });
    return devices;
}

QList<SerialDevice> withRfcomm(QList<SerialDevice> devices, const QStringList& names)
{
    for (const QString& name : names) {
        const QString device = QStringLiteral("/dev/") + name;
        if (!name.startsWith(QLatin1String("rfcomm"))) continue;
        const int number = numberForDevice(device);
        if (number <= 0) continue;
        const bool listed =
            std::any_of(devices.begin(), devices.end(), [&](const SerialDevice& d) { return d.number == number; });
        if (!listed) devices.append({number, device});
    }
    std::sort(devices.begin(), devices.end(),
              [](const SerialDevice& a, const SerialDevice& b) { return a.number < b.number; });
    return devices;
}

}  // namespace PortNames
