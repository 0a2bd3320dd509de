// The ELM327 simulator speaks the adapter's own text: echo, prompts, protocol replies and frames;
// on TCP it serves one client at a time, as a Wi-Fi adapter does.
#include <QtNetwork/QTcpSocket>
#include <QtTest/QtTest>

#include "sim/elm/ElmSimulator.h"

class TestElmSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void replies_data();
    void replies();
    void tcpOneClientAtATime();
    void tcpAddressRefused_data();
    void tcpAddressRefused();
};

void TestElmSim::replies_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QList<QByteArray>>("commands");  // sent in order; the last one's output is checked
    QTest::addColumn<QByteArray>("output");

    const QList<QByteArray> canSetup = {"ATZ", "ATE0", "ATL0", "ATH1", "ATTP6"};
    QTest::newRow("reset banner with echo")
        << QStringList{} << QList<QByteArray>{"ATZ"} << QByteArray("ATZ\r\r\nELM327 v1.5\r\n\r\n>");
    QTest::newRow("echo and line feeds off")
        << QStringList{} << QList<QByteArray>{"ATZ", "ATE0", "ATL0", "ATRV"} << QByteArray("12.6V\r\r>");
    QTest::newRow("unknown command") << QStringList{} << QList<QByteArray>{"ATZ", "ATE0", "ATL0", "ATXYZ"}
                                     << QByteArray("?\r\r>");
    QTest::newRow("two CAN computers answer 0100")
        << QStringList{"--ecu", "7E8:01,03,04,05,06,07,08,09,0C,0D,0E,0F,10,11,13,14,15,18,19,1C,1F,21", "--ecu",
                       "7E9:01,04,0B,0D,1C"}
        << (canSetup + QList<QByteArray>{"0100"})
        << QByteArray("7E8 06 41 00 BF 9F B9 93 00 \r7E9 06 41 00 90 28 00 10 00 \r\r>");
    QTest::newRow("one answer asked for")
        << QStringList{} << (canSetup + QList<QByteArray>{"01001"}) << QByteArray("7E8 06 41 00 BF BF B8 13 00 \r\r>");
    QTest::newRow("three codes need a consecutive frame")
        << QStringList{"--stored", "U0155,U0101,U0121", "--stored", "7E9=U0073"} << (canSetup + QList<QByteArray>{"03"})
        << QByteArray("7E8 10 08 43 03 C1 55 C1 01 \r7E8 21 C1 21 00 00 00 00 00 \r7E9 04 43 01 C0 73 00 00 00 \r\r>");
    QTest::newRow("29 bit identifiers, no pending codes")
        << QStringList{"--protocol", "7", "--pending", ""}
        << QList<QByteArray>{"ATZ", "ATE0", "ATL0", "ATH1", "ATTP7", "07"}
        << QByteArray("18 DA F1 10 02 47 00 00 00 00 00 00 \r18 DA F1 18 02 47 00 00 00 00 00 00 \r\r>");
    QTest::newRow("KWP: three codes a line, header and check byte")
        << QStringList{"--protocol", "5", "--stored", "P2097,P0171,P0300,P0420", "--stored", "1A="}
        << QList<QByteArray>{"ATZ", "ATE0", "ATL0", "ATH1", "ATTP5", "03"}
        << QByteArray("87 F1 10 43 20 97 01 71 03 00 F7 \r87 F1 10 43 04 20 00 00 00 00 EF \r"
                      "87 F1 1A 43 00 00 00 00 00 00 D5 \r\r>");
    QTest::newRow("unsupported PID") << QStringList{} << (canSetup + QList<QByteArray>{"0164"})
                                     << QByteArray("NO DATA\r\r>");
    QTest::newRow("wrong protocol tried") << QStringList{} << QList<QByteArray>{"ATZ", "ATE0", "ATL0", "ATTP5", "0100"}
                                          << QByteArray("BUS INIT: ...ERROR\r\r>");
    QTest::newRow("search after a failed try")
        << QStringList{"--protocol", "3", "--auto-search"}
        << QList<QByteArray>{"ATZ", "ATE0", "ATL0", "ATTP6", "0100", "ATDPN"} << QByteArray("A3\r\r>");
    QTest::newRow("tried protocol reported plainly")
        << QStringList{} << (canSetup + QList<QByteArray>{"0100", "ATDPN"}) << QByteArray("6\r\r>");
    QTest::newRow("no car") << QStringList{"--no-car"} << QList<QByteArray>{"ATZ", "ATE0", "ATL0", "ATTP6", "0100"}
                            << QByteArray("SEARCHING...\rUNABLE TO CONNECT\r\r>");
    QTest::newRow("clearing keeps permanent codes")
        << QStringList{} << (canSetup + QList<QByteArray>{"04", "03", "0A"})
        << QByteArray("7E8 04 4A 01 04 20 00 00 00 \r7E9 02 4A 00 00 00 00 00 00 \r\r>");
    QTest::newRow("dead after two commands")
        << QStringList{"--silent-after", "2"} << QList<QByteArray>{"ATZ", "ATE0", "ATL0"} << QByteArray();
}

void TestElmSim::replies()
{
    QFETCH(QStringList, options);
    QFETCH(QList<QByteArray>, commands);
    QFETCH(QByteArray, output);
    ElmSimulator sim;
    QString error;
    QVERIFY2(sim.configure(options, error), qPrintable(error));
    QByteArray last;
    for (const QByteArray& c : commands) last = sim.adapter.receive(c + "\r");
    QCOMPARE(last, output);
}

void TestElmSim::tcpOneClientAtATime()
{
    ElmSimulator sim;
    QString error;
    QVERIFY2(sim.configure({QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:0")}, error), qPrintable(error));
    QCOMPARE(sim.tcp, QStringLiteral("127.0.0.1:0"));
    QVERIFY2(sim.listen(sim.tcp, error), qPrintable(error));
    const QString served = sim.servedAddress();
    QVERIFY(served.startsWith(QStringLiteral("127.0.0.1:")));
    const quint16 port = served.section(QLatin1Char(':'), 1).toUShort();
    QVERIFY(port != 0);
    sim.serve();

    QTcpSocket first, second;
    QByteArray toFirst, toSecond;  // what each client was sent
    first.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(first.waitForConnected(2000));
    QTRY_VERIFY(sim.hasClient());
    first.write("ATZ\r");
    QTRY_VERIFY((toFirst += first.readAll()).endsWith("ATZ\r\r\nELM327 v1.5\r\n\r\n>"));

    // A second client is let in by the system but not answered while the first is served.
    second.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(second.waitForConnected(2000));
    second.write("ATRV\r");
    QTest::qWait(300);
    QCOMPARE(second.bytesAvailable(), 0);
    first.write("ATI\r");
    QTRY_VERIFY((toFirst += first.readAll()).endsWith("ATI\rELM327 v1.5\r\n\r\n>"));

    // The first leaving lets the second in: its waiting command is answered.
    first.disconnectFromHost();
    QTRY_VERIFY((toSecond += second.readAll()).contains("12.6V"));
    QVERIFY(sim.hasClient());
    second.disconnectFromHost();
    QTRY_VERIFY(!sim.hasClient());
    QVERIFY(sim.received.contains("ATZ\rATI\rATRV\r"));
}

void TestElmSim::tcpAddressRefused_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("error");
    QTest::newRow("no port") << "127.0.0.1"
                             << "--tcp needs HOST:PORT";
    QTest::newRow("port too high") << "127.0.0.1:70000"
                                   << "--tcp needs HOST:PORT";
    QTest::newRow("host name") << "elm.local:35000"
                               << "--tcp needs HOST:PORT";
    QTest::newRow("address of no interface here") << "192.0.2.1:35000"
                                                  << "cannot listen on 192.0.2.1:35000";
}

void TestElmSim::tcpAddressRefused()
{
    QFETCH(QString, address);
    QFETCH(QString, error);
    ElmSimulator sim;
    QString why;
    QVERIFY(!sim.listen(address, why));
    QVERIFY2(why.startsWith(error), qPrintable(why));
    QVERIFY(sim.servedAddress().isEmpty());
}

QTEST_GUILESS_MAIN(TestElmSim)
#include "tst_elmsim.moc"
