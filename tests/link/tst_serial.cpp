#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#include "link/PortNames.h"
#include "link/Tserial.h"
#include "sim/pty/PtyPort.h"

// The byte transport over a real pseudo-terminal, and the port numbers.
class TestSerial : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void numberToDevice_data();
    void numberToDevice();
    void deviceThroughSymbolicLink();
    void openWriteCountReadPurgeReopen();
    void vanishedDeviceIsNotConnected();
    void storedNumberRules();
    void portMenu();
    void bluetoothDevicesListed_data();
    void bluetoothDevicesListed();
};

void TestSerial::numberToDevice_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("device");
    QTest::newRow("ttyS0") << 1 << "/dev/ttyS0";
    QTest::newRow("ttyS63") << 64 << "/dev/ttyS63";
    QTest::newRow("ttyUSB0") << 65 << "/dev/ttyUSB0";
    QTest::newRow("ttyUSB127") << 192 << "/dev/ttyUSB127";
    QTest::newRow("ttyACM0") << 193 << "/dev/ttyACM0";
    QTest::newRow("rfcomm0") << 321 << "/dev/rfcomm0";
    QTest::newRow("rfcomm63") << 384 << "/dev/rfcomm63";
    QTest::newRow("pts0") << 385 << "/dev/pts/0";
    QTest::newRow("pts638") << 1023 << "/dev/pts/638";
}

void TestSerial::numberToDevice()
{
    QFETCH(int, number);
    QFETCH(QString, device);
    QCOMPARE(PortNames::deviceForNumber(number), device);
    QCOMPARE(PortNames::numberForDevice(device), number);
    QCOMPARE(PortNames::numberForDevice(QString::number(number)), number);
}

void TestSerial::deviceThroughSymbolicLink()
{
    PtyPort pty;
    QVERIFY(pty.open());
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("usb-FTDI_FT232R-if00-port0"));
    QVERIFY(QFile::link(pty.devicePath(), link));
    const int number = PortNames::numberForDevice(link);
    QVERIFY(number >= 385 && number <= 1023);
    QCOMPARE(PortNames::deviceForNumber(number), pty.devicePath());
    // Names outside the blocks give 0.
    QCOMPARE(PortNames::numberForDevice(QStringLiteral("/dev/ttyS64")), 0);
    QCOMPARE(PortNames::numberForDevice(QStringLiteral("/dev/ttyUSBx")), 0);
    QCOMPARE(PortNames::numberForDevice(QStringLiteral("/dev/null")), 0);
    QCOMPARE(PortNames::numberForDevice(QString()), 0);
    QCOMPARE(PortNames::deviceForNumber(0), QString());
    QCOMPARE(PortNames::deviceForNumber(1024), QString());
}

void TestSerial::openWriteCountReadPurgeReopen()
{
    PtyPort pty;
    QVERIFY(pty.open());
    TSerial serial;
    const int number = PortNames::numberForDevice(pty.devicePath());
    QVERIFY(serial.PortOpen(number));
    QVERIFY(serial.justOpened);
    QVERIFY(serial.PortConnected());
    QCOMPARE(serial.portName, pty.devicePath());
    QCOMPARE(serial.PortInQueCount(), 0);

    const uint8_t out[] = {0x65, 0x19, 0x00, 0x82};
    QCOMPARE(serial.PortWrite(out, 4), 4);
    QCOMPARE(pty.readAll(), QByteArray::fromHex("65190082"));

    pty.write(QByteArray::fromHex("560102030405"));
    QCOMPARE(serial.PortInQueCount(), 6);
    uint8_t in[8] = {};
    QCOMPARE(serial.PortRead(in, 4), 4);
    QCOMPARE(QByteArray(reinterpret_cast<char*>(in), 4), QByteArray::fromHex("56010203"));
    QCOMPARE(serial.PortInQueCount(), 2);

    serial.PortPurgeRx();
    QCOMPARE(serial.PortInQueCount(), 0);

    serial.PortClose();
    QVERIFY(!serial.PortConnected());
    QVERIFY(!serial.justOpened);
    QCOMPARE(serial.PortInQueCount(), -1);
    QCOMPARE(serial.PortRead(in, 1), -1);
    QCOMPARE(serial.PortWrite(out, 1), -1);

    QVERIFY(serial.PortOpen(-1));  // the stored number
    pty.write(QByteArray::fromHex("36"));
    QCOMPARE(serial.PortInQueCount(), 1);
}

void TestSerial::vanishedDeviceIsNotConnected()
{
    auto pty = std::make_unique<PtyPort>();
    QVERIFY(pty->open());
    TSerial serial;
    QVERIFY(serial.PortOpen(PortNames::numberForDevice(pty->devicePath())));
    pty.reset();  // the far end goes away
    QVERIFY(!serial.PortConnected());
    QCOMPARE(serial.PortInQueCount(), -1);
    uint8_t b[4] = {};
    QCOMPARE(serial.PortWrite(b, 4), -1);
    QVERIFY(!serial.PortOpen(-1));  // the device node is gone
}

void TestSerial::storedNumberRules()
{
    TSerial serial;
    serial.portNumber = 0;
    serial.PortOpen(-1);
    QCOMPARE(serial.portNumber, 1);  // 0 means COM1 / the first serial port
    QCOMPARE(serial.portName, QStringLiteral("/dev/ttyS0"));

    // An FTDI number with no such adapter: nothing opens.
    QVERIFY(!serial.PortOpen(1024 + 40));
    QVERIFY(!serial.PortConnected());
    QVERIFY(!serial.justOpened);
}

void TestSerial::portMenu()
{
    PtyPort pty;
    QVERIFY(pty.open());
    const int number = PortNames::numberForDevice(pty.devicePath());
    TSerial serial;
    QList<PortMenuItem> menu;

    auto find = [&](int tag) -> const PortMenuItem* {
        for (const PortMenuItem& item : menu)
            if (item.tag == tag) return &item;
        return nullptr;
    };

    // A pseudo-terminal is offered only as the remembered port.
    serial.portNumber = 1;
    serial.PortList(menu);
    QVERIFY(menu.size() >= 2);
    QVERIFY(menu[1].separator);
    QVERIFY(find(number) == nullptr);

    serial.portNumber = number;
    serial.PortList(menu);
    const PortMenuItem* item = find(number);
    QVERIFY(item);
    QCOMPARE(item->caption, pty.devicePath() + QStringLiteral(" (*)"));  // remembered, not connected
    QVERIFY(item->radio);
    QVERIFY(!item->checked);

    PortMenuItem click = *item;
    serial.PortOnClick(click);
    QVERIFY(serial.PortConnected());
    serial.PortList(menu);
    item = find(number);
    QCOMPARE(item->caption, pty.devicePath());
    QVERIFY(item->checked);
    QCOMPARE(menu.size(),
             2 + static_cast<qsizetype>(PortNames::serialDevices(number).size() + PortNames::ftdiPorts().size()));

    // The connect item disconnects, then reconnects the remembered port.
    serial.PortOnClick(menu[0]);
    QVERIFY(!serial.PortConnected());
    QCOMPARE(menu[0].tag, -1);
    serial.PortOnClick(menu[0]);
    QVERIFY(serial.PortConnected());
    QCOMPARE(menu[0].tag, 0);
}

// Bound rfcomm devices (paired Bluetooth adapters) join the port menu's devices in number order,
// once each.
void TestSerial::bluetoothDevicesListed_data()
{
    QTest::addColumn<QList<int>>("listed");  // numbers the system reported
    QTest::addColumn<QStringList>("names");  // found in /dev
    QTest::addColumn<QList<int>>("numbers");
    QTest::newRow("none bound") << QList<int>{1, 65} << QStringList{} << QList<int>{1, 65};
    QTest::newRow("between the USB and the pseudo-terminals")
        << QList<int>{65, 390} << QStringList{"rfcomm1", "rfcomm0"} << QList<int>{65, 321, 322, 390};
    QTest::newRow("already reported") << QList<int>{321} << QStringList{"rfcomm0"} << QList<int>{321};
    QTest::newRow("outside the block or not numbered")
        << QList<int>{} << QStringList{"rfcomm63", "rfcomm64", "rfcommX", "rfcomm", "ttyS0"} << QList<int>{384};
}

void TestSerial::bluetoothDevicesListed()
{
    QFETCH(QList<int>, listed);
    QFETCH(QStringList, names);
    QFETCH(QList<int>, numbers);
    QList<PortNames::SerialDevice> devices;
    for (const int n : listed) devices.append({n, PortNames::deviceForNumber(n)});
    const QList<PortNames::SerialDevice> result = PortNames::withRfcomm(devices, names);
    QList<int> got;
    for (const PortNames::SerialDevice& d : result) {
        got << d.number;
        QCOMPARE(d.device, PortNames::deviceForNumber(d.number));
    }
    QCOMPARE(got, numbers);
}

QTEST_GUILESS_MAIN(TestSerial)
#include "tst_serial.moc"
