// Wi-Fi adapters over TCP: which port texts are network addresses, and the TCP backend under
// TSerial against a real server on this machine: connecting, partial reads, the far end closing,
// a refused connection and a connection nobody answers.
#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>
#include <QtTest/QtTest>

#include <memory>

#include "link/PortAddress.h"
#include "link/PortNames.h"
#include "link/TcpBackend.h"
#include "link/Tserial.h"
#include "sim/pty/PtyPort.h"
#include "tests/NetRig.h"

class TestTcpBackend : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void addressOrDevice_data();
    void addressOrDevice();
    void connectWriteAndPartialReads_data();
    void connectWriteAndPartialReads();
    void farEndClosing();
    void refusedConnection();
    void nobodyAnswers();
    void addressTakesThePortsPlace();
};

void TestTcpBackend::addressOrDevice_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("address");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("written");  // PortAddress::text of the parsed address

    QTest::newRow("Wi-Fi adapter") << "192.168.0.10:35000" << true << "192.168.0.10" << 35000 << "192.168.0.10:35000";
    QTest::newRow("blanks around") << " 10.0.0.1:23 " << true << "10.0.0.1" << 23 << "10.0.0.1:23";
    QTest::newRow("host name") << "localhost:35000" << true << "localhost" << 35000 << "localhost:35000";
    QTest::newRow("dotted host name") << "wifi-obd.local:35000" << true << "wifi-obd.local" << 35000
                                      << "wifi-obd.local:35000";
    QTest::newRow("IPv6") << "[::1]:35000" << true << "::1" << 35000 << "[::1]:35000";
    QTest::newRow("highest port") << "127.0.0.1:65535" << true << "127.0.0.1" << 65535 << "127.0.0.1:65535";
    QTest::newRow("serial device") << "/dev/ttyUSB0" << false << "" << 0 << "";
    QTest::newRow("Bluetooth device") << "/dev/rfcomm0" << false << "" << 0 << "";
    QTest::newRow("device path with colons")
        << "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0" << false << "" << 0 << "";
    QTest::newRow("COM port") << "COM3" << false << "" << 0 << "";
    QTest::newRow("COM port, device namespace") << "\\\\.\\COM12" << false << "" << 0 << "";
    QTest::newRow("port number") << "65" << false << "" << 0 << "";
    QTest::newRow("address without port") << "192.168.0.10" << false << "" << 0 << "";
    QTest::newRow("empty port") << "192.168.0.10:" << false << "" << 0 << "";
    QTest::newRow("port 0") << "192.168.0.10:0" << false << "" << 0 << "";
    QTest::newRow("port too high") << "192.168.0.10:65536" << false << "" << 0 << "";
    QTest::newRow("port not a number") << "192.168.0.10:35k" << false << "" << 0 << "";
    QTest::newRow("no host") << ":35000" << false << "" << 0 << "";
    QTest::newRow("byte out of range") << "192.168.0.300:35000" << false << "" << 0 << "";
    QTest::newRow("three bytes") << "192.168.10:35000" << false << "" << 0 << "";
    QTest::newRow("IPv6 without brackets") << "::1:35000" << false << "" << 0 << "";
    QTest::newRow("bad host name") << "elm_327:35000" << false << "" << 0 << "";
    QTest::newRow("empty") << "" << false << "" << 0 << "";
}

void TestTcpBackend::addressOrDevice()
{
    QFETCH(QString, text);
    QFETCH(bool, address);
    const std::optional<PortAddress::Address> parsed = PortAddress::parse(text);
    QCOMPARE(parsed.has_value(), address);
    QCOMPARE(PortAddress::isAddress(text), address);
    if (!parsed) return;
    QTEST(parsed->host, "host");
    QTEST(int(parsed->port), "port");
    QTEST(PortAddress::text(*parsed), "written");
}

void TestTcpBackend::connectWriteAndPartialReads_data()
{
    QTest::addColumn<QString>("host");
    QTest::newRow("IP address") << "127.0.0.1";
    QTest::newRow("host name looked up") << "localhost";
}

void TestTcpBackend::connectWriteAndPartialReads()
{
    QFETCH(QString, host);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    const QString address = host + QLatin1Char(':') + QString::number(server.serverPort());

    TSerial serial;
    QVERIFY(serial.PortOpenAddress(address));  // under way, never waited for
    QVERIFY(serial.justOpened);
    QVERIFY(serial.PortConnected());
    QCOMPARE(serial.portName, address);
    QCOMPARE(serial.address, address);
    // Written before the connection is made: sent once it is.
    const uint8_t atz[] = {'A', 'T', 'Z', '\r'};
    QCOMPARE(serial.PortWrite(atz, 4), 4);

    QTRY_VERIFY(server.hasPendingConnections());
    std::unique_ptr<QTcpSocket> adapter(server.nextPendingConnection());
    QTRY_VERIFY(!serial.PortConnecting());
    QVERIFY(serial.PortConnected());
    QTRY_COMPARE(adapter->bytesAvailable(), 4);
    QCOMPARE(adapter->readAll(), QByteArray("ATZ\r"));

    // The answer arrives in two pieces; each read takes what is there, up to the count asked for.
    adapter->write("ELM3");
    adapter->flush();
    QTRY_COMPARE(serial.PortInQueCount(), 4);
    uint8_t in[32] = {};
    QCOMPARE(serial.PortRead(in, 3), 3);
    QCOMPARE(QByteArray(reinterpret_cast<char*>(in), 3), QByteArray("ELM"));
    QCOMPARE(serial.PortInQueCount(), 1);
    adapter->write("27 v1.5\r\r>");
    adapter->flush();
    QTRY_COMPARE(serial.PortInQueCount(), 11);
    QCOMPARE(serial.PortRead(in, 32), 11);
    QCOMPARE(QByteArray(reinterpret_cast<char*>(in), 11), QByteArray("327 v1.5\r\r>"));
    QCOMPARE(serial.PortInQueCount(), 0);

    // A purge drops what came in unasked.
    adapter->write("STOPPED\r>");
    adapter->flush();
    QTRY_COMPARE(serial.PortInQueCount(), 9);
    serial.PortPurgeRx();
    QCOMPARE(serial.PortInQueCount(), 0);
    QVERIFY(serial.portError().isEmpty());

    // Closing ends the connection at the adapter's end too.
    serial.PortClose();
    QVERIFY(!serial.PortConnected());
    QCOMPARE(serial.PortInQueCount(), -1);
    QTRY_COMPARE(adapter->state(), QAbstractSocket::UnconnectedState);
}

void TestTcpBackend::farEndClosing()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    TSerial serial;
    QVERIFY(serial.PortOpenAddress(localAddress(server.serverPort())));
    QTRY_VERIFY(server.hasPendingConnections());
    std::unique_ptr<QTcpSocket> adapter(server.nextPendingConnection());
    QTRY_VERIFY(!serial.PortConnecting());

    // The adapter switched off: reported as a serial adapter pulled out.
    adapter->close();
    QTRY_VERIFY(!serial.PortConnected());
    QCOMPARE(serial.PortInQueCount(), -1);
    uint8_t b[4] = {};
    QCOMPARE(serial.PortRead(b, 4), -1);
    QCOMPARE(serial.PortWrite(b, 4), -1);
    QVERIFY2(serial.portError().contains(QStringLiteral("closed the connection")), qPrintable(serial.portError()));

    // Opened again, the stored address connects anew.
    QVERIFY(serial.PortOpen(-1));
    QTRY_VERIFY(server.hasPendingConnections());
    QTRY_VERIFY(!serial.PortConnecting());
    QVERIFY(serial.PortConnected());
    QVERIFY(serial.portError().isEmpty());
}

void TestTcpBackend::refusedConnection()
{
    const quint16 port = freeLocalPort();
    QVERIFY(port);
    TSerial serial;
    QElapsedTimer clock;
    clock.start();
    serial.PortOpenAddress(localAddress(port));  // the refusal may be known at once or a moment later
    QTRY_VERIFY_WITH_TIMEOUT(!serial.PortConnected(), 2000);
    QVERIFY(clock.elapsed() < 2000);
    QCOMPARE(serial.portError(),
             QStringLiteral("cannot connect to %1: the connection was refused").arg(localAddress(port)));
    QCOMPARE(serial.PortInQueCount(), -1);
}

void TestTcpBackend::nobodyAnswers()
{
    Unanswering nobody;
    QVERIFY(nobody.port());
    TcpBackend backend(400);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(backend.open(localAddress(nobody.port()), 38400, 8, 0, 1));
    QVERIFY(backend.connecting());
    const uint8_t atz[] = {'A', 'T', 'Z', '\r'};
    QCOMPARE(backend.write(atz, 4), 4);  // waits in the socket
    QCOMPARE(backend.bytesWaiting(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!backend.isOpen(), 3000);
    QVERIFY(clock.elapsed() >= 400);
    QVERIFY(clock.elapsed() < 3000);
    QCOMPARE(backend.errorText(),
             QStringLiteral("cannot connect to %1: no answer within 1 s").arg(localAddress(nobody.port())));
    QVERIFY(!backend.connecting());
    QCOMPARE(backend.bytesWaiting(), -1);
    QCOMPARE(backend.write(atz, 4), -1);

    // Not an address at all.
    QVERIFY(!backend.open(QStringLiteral("/dev/ttyUSB0"), 38400, 8, 0, 1));
    QCOMPARE(backend.errorText(), QStringLiteral("not a network address: /dev/ttyUSB0"));
}

void TestTcpBackend::addressTakesThePortsPlace()
{
    PtyPort pty;
    QVERIFY(pty.open());
    const int number = PortNames::numberForDevice(pty.devicePath());
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    TSerial serial;
    serial.portNumber = number;
    QVERIFY(serial.PortOpenAddress(localAddress(server.serverPort())));
    QTRY_VERIFY(!serial.PortConnecting());
    QCOMPARE(serial.portNumber, number);  // the device stays remembered beside the address

    // While the address is the port, the menu marks no device.
    QList<PortMenuItem> menu;
    serial.PortList(menu);
    for (const PortMenuItem& item : menu) {
        QVERIFY(!item.checked);
        QVERIFY(!item.caption.endsWith(QStringLiteral(" (*)")));
    }

    // Choosing the device in the menu drops the address.
    PortMenuItem device;
    for (const PortMenuItem& item : menu)
        if (item.tag == number) device = item;
    QCOMPARE(device.tag, number);
    serial.PortOnClick(device);
    QVERIFY(!serial.overNetwork());
    QVERIFY(serial.PortConnected());
    QCOMPARE(serial.portName, pty.devicePath());
    const uint8_t b[] = {0x41};
    QCOMPARE(serial.PortWrite(b, 1), 1);
    QCOMPARE(pty.readAll(), QByteArray("A"));
    serial.PortList(menu);
    bool checked = false;
    for (const PortMenuItem& item : menu) checked = checked || (item.tag == number && item.checked);
    QVERIFY(checked);
}

QTEST_GUILESS_MAIN(TestTcpBackend)
#include "tst_tcp_backend.moc"
