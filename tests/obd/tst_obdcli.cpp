// kavelo-cli obd, run as a fitter runs it, against the ELM327 simulator on a pseudo-terminal and,
// as a Wi-Fi adapter, on TCP; and the addresses where no adapter answers.
#include <QtTest/QtTest>

#include <QtCore/QElapsedTimer>
#include <QtCore/QProcess>
#include <QtNetwork/QTcpServer>

#include "sim/elm/ElmSimulator.h"
#include "tests/NetRig.h"

namespace {

// Runs `kavelo-cli obd --elm-port PORT ARGUMENTS` while this event loop serves the simulator, and
// checks its exit code, its one-line error and the lines it printed.
void runObd(const QString& port, const QStringList& arguments, int exitCode, const QStringList& lines,
            const QStringList& absent)
{
    QProcess cli;
    cli.start(QStringLiteral(KAVELO_CLI), QStringList{"obd", "--elm-port", port} + arguments);
    QVERIFY(cli.waitForStarted());
    // The simulator answers from this event loop while the command runs.
    QTRY_VERIFY_WITH_TIMEOUT(cli.state() == QProcess::NotRunning, 90000);
    const QString out = QString::fromUtf8(cli.readAllStandardOutput());
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    QVERIFY2(cli.exitCode() == exitCode, qPrintable(err));
    if (exitCode != 0) QCOMPARE(err.count(QLatin1Char('\n')), 1);  // a one-line error

    const QStringList shown = out.split(QLatin1Char('\n'));
    int at = 0;
    for (const QString& expected : lines) {
        while (at < shown.size() && !shown[at].startsWith(expected)) ++at;
        QVERIFY2(at < shown.size(), qPrintable(QStringLiteral("missing: ") + expected + "\n" + out));
        ++at;
    }
    for (const QString& unwanted : absent)
        for (const QString& line : shown) QVERIFY2(!line.startsWith(unwanted), qPrintable(out));
}

}  // namespace

class TestObdCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commands_data();
    void commands();
    void commandsOverTcp_data();
    void commandsOverTcp();
    void simulatorProgramOnTcp();
    void noAdapterAtTheAddress_data();
    void noAdapterAtTheAddress();
    void oneLanguageAtATime_data();
    void oneLanguageAtATime();
};

void TestObdCli::commands_data()
{
    QTest::addColumn<QStringList>("simulator");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("lines");  // expected in this order, other lines between allowed
    QTest::addColumn<QStringList>("absent");

    QTest::newRow("status, CAN car") << QStringList{} << QStringList{"status"} << 0
                                     << QStringList{"ELM:\tELM327 v1.5", "PWR:\t12.6V", "OBD:\tCAN (11 bit ID, 500 kb)",
                                                    "ECU:\t7E8h 7E9h ",  "DTC:\t3",     "MIL:\ton"}
                                     << QStringList{};
    QTest::newRow("status, KWP car without codes")
        << QStringList{"--protocol", "4", "--stored", "", "--permanent", ""} << QStringList{"status"} << 0
        << QStringList{"OBD:\tISO 14230-4 (KWP slow init)", "ECU:\t10h 1Ah ", "DTC:\t0", "MIL:\toff"} << QStringList{};
    QTest::newRow("pids") << QStringList{} << QStringList{"pids", "--select", "0C,05", "--cycles", "2"} << 0
                          << QStringList{QString::fromUtf8("05\tEngine coolant temperature\tETC\t90[°C]"),
                                         "0C\tEngine RPM\tRPM\t",
                                         QString::fromUtf8("05\tEngine coolant temperature\tETC\t90[°C]")}
                          << QStringList{"03\t"};
    QTest::newRow("codes in Polish") << QStringList{} << QStringList{"codes", "--lang", "pl"} << 0
                                     << QStringList{QString::fromUtf8("\tBłędy zarejestrowane:"),
                                                    "P0171",
                                                    QString::fromUtf8(" Mieszanka zbyt uboga (rząd 1)"),
                                                    "P0300",
                                                    "P0420",
                                                    QString::fromUtf8("\tBłędy oczekujące:"),
                                                    "P0133",
                                                    QString::fromUtf8("\tBłędy permanentne:"),
                                                    "P0420"}
                                     << QStringList{"P0700", " System Too Lean (Bank 1)"};
    QTest::newRow("codes in English") << QStringList{"--protocol", "5"} << QStringList{"codes"} << 0
                                      << QStringList{"P0171", " System Too Lean (Bank 1)", "P0300"}
                                      << QStringList{QString::fromUtf8(" Mieszanka zbyt uboga (rząd 1)")};
    // The car makers' own codes have no generic description: each says where its meaning is found,
    // in the language asked for.
    const QStringList makers{"--stored", "P1234,B1001,U2100"};
    const QString maker = QStringLiteral("manufacturer-specific code: see the car maker's documentation");
    const QString makerPl =
        QString::fromUtf8("kod specyficzny dla producenta: zobacz dokumentację producenta samochodu");
    QTest::newRow("maker's codes in English")
        << makers << QStringList{"codes"} << 0 << QStringList{"P1234", maker, "B1001", maker, "U2100", maker}
        << QStringList{makerPl};
    QTest::newRow("maker's codes in Polish")
        << makers << QStringList{"codes", "--lang", "pl"} << 0
        << QStringList{"P1234", makerPl, "B1001", makerPl, "U2100", makerPl} << QStringList{maker};
    QTest::newRow("clear") << QStringList{} << QStringList{"clear"} << 0
                           << QStringList{"Trouble codes cleared; codes now held:", "\tStored trouble codes:",
                                          "\tPending trouble codes:", "\tPermanent trouble codes:", "P0420"}
                           << QStringList{"P0171", "P0133"};
    QTest::newRow("dead adapter") << QStringList{"--silent-after", "0"} << QStringList{"status"} << 1 << QStringList{}
                                  << QStringList{"PORT:"};
    // The adapter answers, no engine computer does: no protocol, "?", and no computer listed.
    QTest::newRow("no car") << QStringList{"--no-car"} << QStringList{"status", "--lang", "pl"} << 1
                            << QStringList{"ELM:\tELM327 v1.5", "OBD:\t?", "ECU:\t"} << QStringList{"ECU:\t7"};
    QTest::newRow("bad action") << QStringList{} << QStringList{"dance"} << 2 << QStringList{} << QStringList{};
}

void TestObdCli::commands()
{
    QFETCH(QStringList, simulator);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, absent);

    ElmSimulator sim;
    QString error;
    QVERIFY2(sim.configure(simulator, error), qPrintable(error));
    QVERIFY(sim.open());
    sim.serve();
    runObd(sim.devicePath(), arguments, exitCode, lines, absent);
}

// The same commands with the adapter on Wi-Fi: the simulator listening on TCP on this machine.
void TestObdCli::commandsOverTcp_data()
{
    QTest::addColumn<QStringList>("simulator");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("absent");

    QTest::newRow("status") << QStringList{} << QStringList{"status"}
                            << QStringList{"PORT:\t127.0.0.1:", "ELM:\tELM327 v1.5", "OBD:\tCAN (11 bit ID, 500 kb)",
                                           "ECU:\t7E8h 7E9h ", "DTC:\t3"}
                            << QStringList{};
    QTest::newRow("pids, answers in pieces")
        << QStringList{"--split", "3"} << QStringList{"pids", "--select", "05", "--cycles", "2"}
        << QStringList{QString::fromUtf8("05\tEngine coolant temperature\tETC\t90[°C]"),
                       QString::fromUtf8("05\tEngine coolant temperature\tETC\t90[°C]")}
        << QStringList{"0C\t"};
    QTest::newRow("codes, KWP car") << QStringList{"--protocol", "5"} << QStringList{"codes"}
                                    << QStringList{"P0171", " System Too Lean (Bank 1)", "P0300", "P0133"}
                                    << QStringList{"P0700"};
}

void TestObdCli::commandsOverTcp()
{
    QFETCH(QStringList, simulator);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, absent);

    ElmSimulator sim;
    QString error;
    QVERIFY2(sim.configure(simulator + QStringList{"--tcp", "127.0.0.1:0"}, error), qPrintable(error));
    QVERIFY2(sim.listen(sim.tcp, error), qPrintable(error));
    sim.serve();
    runObd(sim.servedAddress(), arguments, 0, lines, absent);
}

// `kavelo-sim elm --tcp` as a script starts it: the address it prints is the one to give; a
// second command is served once the first has left; the simulator stopped, nothing answers.
void TestObdCli::simulatorProgramOnTcp()
{
    QProcess sim;
    sim.start(QStringLiteral(KAVELO_SIM), {"elm", "--tcp", "127.0.0.1:0"});
    QVERIFY(sim.waitForStarted());
    QTRY_VERIFY(sim.canReadLine());
    const QStringList served = QString::fromUtf8(sim.readLine()).trimmed().split(QLatin1Char('\t'));
    QCOMPARE(served.size(), 2);
    QVERIFY(served[0].startsWith(QStringLiteral("127.0.0.1:")));
    QCOMPARE(served[1], QStringLiteral("0"));  // no port number: an address
    for (int run = 0; run < 2; ++run)
        runObd(served[0], {"status"}, 0, {"PORT:\t" + served[0], "ELM:\tELM327 v1.5", "DTC:\t3"}, {});
    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
    runObd(served[0], {"status"}, 1, {}, {"PORT:"});
}

// No adapter at the address: a one-line error within seconds, exit code 1.
void TestObdCli::noAdapterAtTheAddress_data()
{
    QTest::addColumn<bool>("listening");  // a socket there that never answers, or nothing
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("withinMs");
    QTest::newRow("nobody listening") << false << "the connection was refused" << 3000;
    QTest::newRow("nobody answers") << true << "no answer within 5 s" << 8000;
}

void TestObdCli::noAdapterAtTheAddress()
{
    QFETCH(bool, listening);
    QFETCH(QString, message);
    QFETCH(int, withinMs);
    Unanswering nobody;
    const quint16 port = listening ? nobody.port() : freeLocalPort();
    QVERIFY(port);
    const QString address = localAddress(port);
    QProcess cli;
    QElapsedTimer clock;
    clock.start();
    cli.start(QStringLiteral(KAVELO_CLI), {"obd", "--elm-port", address, "status"});
    QVERIFY(cli.waitForFinished(withinMs + 5000));
    QVERIFY(clock.elapsed() < withinMs);
    QCOMPARE(cli.exitCode(), 1);
    QCOMPARE(QString::fromUtf8(cli.readAllStandardError()),
             QStringLiteral("kavelo-cli: cannot connect to %1: %2\n").arg(address, message));
}

// Each command prints in one language: English without --lang, Polish with --lang pl; the
// reader's fixed Polish rows, the codes' headings, their descriptions and the command's own lines
// all follow it.
void TestObdCli::oneLanguageAtATime_data()
{
    QTest::addColumn<QStringList>("simulator");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("foreign");  // none of these may appear
    // Words only Polish would print here, and words only English would.
    const QString polish =
        QString::fromUtf8("[ąćęłńóśźżĄĆĘŁŃÓŚŹŻ]|\\b(brak|zapalony|zgaszony|Mieszanka|rząd|Błędy)\\b");
    const QString english = QStringLiteral("\\b(Stored|Pending|Permanent|Trouble|codes|cleared|System|Lean|Bank|"
                                           "Misfire|Catalyst|Sensor|on|off|no|answers|ignition)\\b");
    for (const QString& action : {QStringLiteral("status"), QStringLiteral("codes"), QStringLiteral("clear")}) {
        QTest::addRow("%s, English", qPrintable(action)) << QStringList{} << QStringList{action} << polish;
        QTest::addRow("%s, Polish", qPrintable(action))
            << QStringList{} << QStringList{action, "--lang", "pl"} << english;
    }
    QTest::newRow("no car, English") << QStringList{"--no-car"} << QStringList{"status"} << polish;
    QTest::newRow("no car, Polish") << QStringList{"--no-car"} << QStringList{"status", "--lang", "pl"} << english;
}

void TestObdCli::oneLanguageAtATime()
{
    QFETCH(QStringList, simulator);
    QFETCH(QStringList, arguments);
    QFETCH(QString, foreign);
    ElmSimulator sim;
    QString error;
    QVERIFY2(sim.configure(simulator, error), qPrintable(error));
    QVERIFY(sim.open());
    sim.serve();
    QProcess cli;
    cli.start(QStringLiteral(KAVELO_CLI), QStringList{"obd", "--elm-port", sim.devicePath()} + arguments);
    QVERIFY(cli.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(cli.state() == QProcess::NotRunning, 90000);
    const QString printed =
        QString::fromUtf8(cli.readAllStandardOutput()) + QString::fromUtf8(cli.readAllStandardError());
    QVERIFY2(printed.count(QLatin1Char('\n')) >= 2, qPrintable(printed));
    const QRegularExpressionMatch m =
        QRegularExpression(foreign, QRegularExpression::UseUnicodePropertiesOption).match(printed);
    QVERIFY2(!m.hasMatch(), qPrintable(QStringLiteral("\"%1\" in:\n%2").arg(m.captured(), printed)));
}

QTEST_GUILESS_MAIN(TestObdCli)
#include "tst_obdcli.moc"
