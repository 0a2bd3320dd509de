// kavelo-cli get and set against the simulated controller on a pseudo-terminal: a setting is
// given as get shows it (its unit, decimals and list texts) or as its stored byte with --raw, a value
// outside the setting's limits is refused before anything is written, and what the program's rules
// change besides is said and reaches the controller.
#include <QtTest/QtTest>

#include <QtCore/QEventLoop>
#include <QtCore/QProcess>
#include <QtCore/QTimer>

#include <cstring>

#include "sim/controller/ControllerSim.h"
#include "sim/pty/PtyPort.h"
#include "tests/CliRun.h"

namespace {

// "51:169 224:12" -> settings bytes.
QList<QPair<int, int>> bytes(const QString& text)
{
    QList<QPair<int, int>> out;
    for (const QString& item : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        out.append({item.section(QLatin1Char(':'), 0, 0).toInt(), item.section(QLatin1Char(':'), 1, 1).toInt()});
    return out;
}

}  // namespace

class TstCliGetSet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void set_data()
    {
        QTest::addColumn<QStringList>("args");  // after "set"
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("controller");    // settings bytes the controller holds afterwards
        QTest::addColumn<QStringList>("expected");  // on standard output, or standard error for exit != 0
        QTest::newRow("a temperature in °C")
            << QStringList{"51", "41"} << 0 << "51:169"
            << QStringList{QString::fromUtf8("\t40 -> 41 [°C]"), QString::fromUtf8("now: 51\t"), "written to "};
        QTest::newRow("a stored byte") << QStringList{"51", "--raw", "169"} << 0 << "51:169"
                                       << QStringList{QString::fromUtf8("40 -> 41 [°C]")};
        QTest::newRow("tenths of a millisecond, decimal comma")
            << QStringList{"23", "2,5"} << 0 << "23:25" << QStringList{"0.0 -> 2.5 [ms]"};
        QTest::newRow("between two steps: the nearest, said")
            << QStringList{"3", "3.01"} << 0 << "3:50"
            << QStringList{"note: 3.01 is not a step of this setting; the nearest is 3.00 [V]"};
        QTest::newRow("a list text, two words unquoted") << QStringList{"56", "at", "the", "same", "time"} << 0
                                                         << "56:2" << QStringList{"In sequence -> At the same time"};
        QTest::newRow("yes or no") << QStringList{"79", "yes"} << 0 << "79:1" << QStringList{"No -> Yes"};
        // Turbo sets the load axis; it is said and it reaches the controller.
        QTest::newRow("a dependent setting")
            << QStringList{"10", "Turbo"} << 0 << "10:1 224:12 239:200"
            << QStringList{"Standard -> Turbo",
                           "also changed by the program's rules:", "Load breakpoint 1\t0.06 -> 0.12"};
        QTest::newRow("injectors give the RPM signal")
            << QStringList{"1", "Injectors"} << 0 << "1:7 2:1 57:1 60:0 65:50 68:0"
            << QStringList{"also changed by the program's rules:", "RPM signal loss time\t0.5 -> 5.0 [sec]",
                           "Enable full petrol injection\tYes -> No"};
        // On a four-cylinder controller: the injector assignment changes and the switch is sent.
        QTest::newRow("petrol injection type")
            << QStringList{"8", "Semi-sequential"} << 0 << "8:1 32:5 33:10 34:0 56:1"
            << QStringList{"Sequential -> Semi-sequential",
                           "also changed by the program's rules:", "command sent: injector switch"};
    }
    void set()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, controller);
        QFETCH(QStringList, expected);
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.engine.stopEngine();
        sim.settings()[51] = 168;  // 40 °C
        sim.memory.sealSettings();
        sim.setWireTiming(false);
        sim.attach(&pty);
        const CliRun r = runCli(pty, QStringList{"set"} + args);
        QVERIFY2(r.exitCode == exitCode, qPrintable(r.out + r.err));
        for (const QString& e : expected) QVERIFY2(r.out.contains(e), qPrintable(e + "\n" + r.out + r.err));
        for (const auto& [index, value] : bytes(controller)) QCOMPARE(int(sim.settings()[index]), value);
        // get reads back the byte the controller now holds.
        const CliRun get = runCli(pty, {"get", args.first()});
        QCOMPARE(get.exitCode, 0);
        QVERIFY2(get.out.contains(QStringLiteral("\traw %1\n").arg(sim.settings()[args.first().toInt()])),
                 qPrintable(get.out));
    }

    // Refusals: nothing is written, the controller keeps its byte, and the error says what the
    // setting takes; a value of the wrong form is refused before the port is opened.
    void refused_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("controller");  // a controller on the port
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expected");
        QTest::newRow("above the limits")
            << QStringList{"51", "100"} << true << 2
            << QString::fromUtf8("100 is outside the limits of setting 51 "
                                 "(Switching to LPG when temp. rises above): 0 .. 90 [°C]");
        QTest::newRow("below the limits") << QStringList{"52", "0"} << true << 2 << "1 .. 60 [sec]";
        QTest::newRow("a stored byte outside")
            << QStringList{"51", "--raw", "41"} << true << 2 << "takes a stored byte 128 .. 218, not 41";
        QTest::newRow("no such text") << QStringList{"20", "Diesel"} << false << 2
                                      << "takes one of: LPG, CNG, not \"Diesel\"";
        QTest::newRow("not a number") << QStringList{"51", "warm"} << false << 2 << "takes 0 .. 90 [°C], not \"warm\"";
        QTest::newRow("a heading") << QStringList{"115", "1"} << false << 2
                                   << "has no value to type; give only a stored byte";
        QTest::newRow("locked by setting 1") << QStringList{"2", "5"} << true << 1 << "cannot be changed now";
    }
    void refused()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, controller);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.engine.stopEngine();
        sim.setWireTiming(false);
        if (controller) sim.attach(&pty);
        const QByteArray before(reinterpret_cast<const char*>(sim.settings()), 256);
        const CliRun r = runCli(pty, QStringList{"set"} + args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(expected), qPrintable(r.err));
        QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(sim.settings()), 256), before);
    }

    // Switching the adaptation off folds the learned values into the multiplier banks: the
    // controller's banks, read before the change, not the program's defaults.
    void adaptationFoldsIntoTheControllersBanks()
    {
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.engine.stopEngine();
        sim.settings()[81] = 1;
        sim.memory.sealSettings();
        for (int i = 0; i < 256; ++i) sim.region(0xE9)[i] = static_cast<uint8_t>(60 + i % 40);
        sim.adaptation = {128, 133, 128, 128};  // bank 1 learned +5
        sim.setWireTiming(false);
        sim.attach(&pty);
        const CliRun r = runCli(pty, {"set", "81", "Off"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
        QVERIFY2(r.out.contains("also written by the program's rules: multiplier bank 1, multiplier bank 2"),
                 qPrintable(r.out));
        QVERIFY2(r.out.contains("command sent: factory settings"), qPrintable(r.out));
        QCOMPARE(int(sim.settings()[81]), 0);
        for (int i = 0; i < 256; ++i) QCOMPARE(int(sim.region(0xE9)[i]), 65 + i % 40);
    }
};

QTEST_GUILESS_MAIN(TstCliGetSet)
#include "tst_cli_get_set.moc"
