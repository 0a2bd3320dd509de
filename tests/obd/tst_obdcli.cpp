// kavelo-cli obd, run as a fitter runs it, against the ELM327 simulator on a pseudo-terminal.
#include <QtTest/QtTest>

#include <QtCore/QProcess>

#include "sim/elm/ElmSimulator.h"

class TestObdCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commands_data();
    void commands();
};

void TestObdCli::commands_data()
{
    QTest::addColumn<QStringList>("simulator");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("lines");  // expected in this order, other lines between allowed
    QTest::addColumn<QStringList>("absent");

    QTest::newRow("status, CAN car")
        << QStringList{} << QStringList{"status"} << 0
        << QStringList{"ELM:\tELM327 v1.5", "PWR:\t12.6V", "OBD:\tCAN (11 bit ID, 500 kb)",
                       "ECU:\t7E8h 7E9h ",  "DTC:\t3",     QString::fromUtf8("MIL:\tzapalony")}
        << QStringList{};
    QTest::newRow("status, KWP car without codes")
        << QStringList{"--protocol", "4", "--stored", "", "--permanent", ""} << QStringList{"status"} << 0
        << QStringList{"OBD:\tISO 14230-4 (KWP slow init)", "ECU:\t10h 1Ah ", "DTC:\t0", "MIL:\tzgaszony"}
        << QStringList{};
    QTest::newRow("pids") << QStringList{} << QStringList{"pids", "--select", "0C,05", "--cycles", "2"} << 0
                          << QStringList{QString::fromUtf8("05\tEngine coolant temperature\tETC\t90[°C]"),
                                         "0C\tEngine RPM\tRPM\t",
                                         QString::fromUtf8("05\tEngine coolant temperature\tETC\t90[°C]")}
                          << QStringList{"03\t"};
    QTest::newRow("codes in both languages")
        << QStringList{} << QStringList{"codes", "--lang", "pl"} << 0
        << QStringList{QString::fromUtf8("\tStored Trouble Codes  /  Błędy zarejestrowane :"),
                       "P0171",
                       " System Too Lean (Bank 1)",
                       QString::fromUtf8(" Mieszanka zbyt uboga (rząd 1)"),
                       "P0300",
                       "P0420",
                       QString::fromUtf8("\tPending Trouble Codes  /  Błędy oczekujące :"),
                       "P0133",
                       QString::fromUtf8("\tPermanent Trouble Codes  /  Błędy permanentne :"),
                       "P0420"}
        << QStringList{"P0700"};
    QTest::newRow("codes in English") << QStringList{"--protocol", "5"} << QStringList{"codes"} << 0
                                      << QStringList{"P0171", " System Too Lean (Bank 1)", "P0300"}
                                      << QStringList{QString::fromUtf8(" Mieszanka zbyt uboga (rząd 1)")};
    QTest::newRow("clear") << QStringList{} << QStringList{"clear"} << 0
                           << QStringList{QString::fromUtf8("\tStored Trouble Codes  /  Błędy zarejestrowane :"),
                                          QString::fromUtf8("\tPending Trouble Codes  /  Błędy oczekujące :"),
                                          QString::fromUtf8("\tPermanent Trouble Codes  /  Błędy permanentne :"),
                                          "P0420"}
                           << QStringList{"P0171", "P0133"};
    QTest::newRow("dead adapter") << QStringList{"--silent-after", "0"} << QStringList{"status"} << 1 << QStringList{}
                                  << QStringList{"PORT:"};
    QTest::newRow("no car") << QStringList{"--no-car"} << QStringList{"status"} << 1
                            << QStringList{"ELM:\tELM327 v1.5", "OBD:\t?", "ECU:\t"} << QStringList{};
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

    QProcess cli;
    cli.start(QStringLiteral(KAVELO_CLI), QStringList{"obd", "--elm-port", sim.devicePath()} + arguments);
    QVERIFY(cli.waitForStarted());
    // The simulator answers from this event loop while the command runs.
    QTRY_VERIFY_WITH_TIMEOUT(cli.state() == QProcess::NotRunning, 90000);
    const QString out = QString::fromUtf8(cli.readAllStandardOutput());
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    QCOMPARE(cli.exitCode(), exitCode);
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

QTEST_GUILESS_MAIN(TestObdCli)
#include "tst_obdcli.moc"
