// kavelo-cli's controller commands, run as a fitter runs them, against the simulated controller on
// a pseudo-terminal served from this test's event loop.
#include <QtTest/QtTest>

#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>

#include <csignal>

#include "base/OwnTexts.h"
#include "sim/controller/ControllerSim.h"
#include "sim/pty/PtyPort.h"

class TstCliController : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A line that damages or loses bytes still gets the answers; a controller that never answers
    // gives a one-line error naming the device and exit code 1.
    void commandsOnAFaultyLine_data()
    {
        QTest::addColumn<double>("corrupt");
        QTest::addColumn<double>("drop");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expected");  // on standard output, or on standard error for exit 1
        QTest::newRow("info, damaged bytes") << 0.01 << 0.0 << false << "info" << 0 << "Bar code:\tKV";
        QTest::newRow("info, lost bytes") << 0.0 << 0.01 << false << "info" << 0 << "Bar code:\tKV";
        QTest::newRow("errors, silent controller")
            << 0.0 << 0.0 << true << "errors" << 1 << "no reply from the controller on ";
        // Clearing the simulator's stored errors leaves none, and the command says so in its language.
        QTest::newRow("clear-errors, none left") << 0.0 << 0.0 << false << "clear-errors" << 0
                                                 << ownTexts().text(OwnText::NoErrorsStored, TextTable::English);
    }
    void commandsOnAFaultyLine()
    {
        QFETCH(double, corrupt);
        QFETCH(double, drop);
        QFETCH(bool, silent);
        QFETCH(QString, command);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.faults = {silent, corrupt, drop};
        sim.attach(&pty);

        QProcess cli;
        cli.start(QStringLiteral(KAVELO_CLI), {command, QStringLiteral("--port"), pty.devicePath()});
        QVERIFY(cli.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(cli.state() == QProcess::NotRunning, 60000);
        const QString out = QString::fromUtf8(cli.readAllStandardOutput());
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        QCOMPARE(cli.exitCode(), exitCode);
        if (exitCode == 0) {
            QVERIFY2(out.contains(expected), qPrintable(out + err));
        } else {
            QVERIFY2(err.contains(expected + pty.devicePath()), qPrintable(err));
            QVERIFY(out.isEmpty());
        }
    }

    // A wrong output path or a port that cannot be opened is refused at once with its reason: the output
    // path before the port (the port here does not exist, and the error is still the path's), the port
    // with what is wrong with it.
    void refusedBeforeTheController_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("expected");  // lines of standard error, each contained
        const QString noPort = QStringLiteral("/dev/ttyUSB127");
        QTest::newRow("read-settings to a folder") << QStringList{"read-settings", "--port", noPort, "@"}
                                                   << QStringList{"cannot write @: it is a folder", "Error code 121"};
        QTest::newRow("read-settings into a missing folder")
            << QStringList{"read-settings", "--port", noPort, "@/none/car.set"}
            << QStringList{"/none does not exist", "Error code 121"};
        QTest::newRow("record into a missing folder") << QStringList{"record", "--port", noPort, "@/none/drive.osc"}
                                                      << QStringList{"/none does not exist", "Error code 131"};
        QTest::newRow("port without a device")
            << QStringList{"info", "--port", noPort} << QStringList{"cannot open " + noPort + ": no such device"};
    }
    void refusedBeforeTheController()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        for (QString& a : args) a.replace(QLatin1Char('@'), dir.path());
        for (QString& e : expected) e.replace(QLatin1Char('@'), dir.path());
        QElapsedTimer clock;
        clock.start();
        QProcess cli;
        cli.start(QStringLiteral(KAVELO_CLI), args);
        QVERIFY(cli.waitForFinished(30000));
        QVERIFY2(clock.elapsed() < 3000, "the command waited for a controller");
        QCOMPARE(cli.exitCode(), 1);
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        for (const QString& e : expected) QVERIFY2(err.contains(e), qPrintable(err));
        QVERIFY(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    }

    // Ctrl+C in the middle of a per-cylinder gas phase: the controller runs on gas with only the
    // first cylinders' gas injectors on. The command leaves it on petrol with every gas injector
    // of the installation on, and says it stopped.
    void ctrlCLeavesThePetrolAndAllInjectors()
    {
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.settings()[82] |= 1;    // one cylinder after another
        sim.settings()[31] = 0xF8;  // of four cylinders, the fourth stays on petrol
        sim.memory.sealSettings();
        sim.attach(&pty);

        QProcess cli;
        cli.start(QStringLiteral(KAVELO_CLI),
                  {QStringLiteral("calibrate"), QStringLiteral("--port"), pty.devicePath()});
        QVERIFY(cli.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(sim.engine.fuel() == EngineModel::Gas && sim.engine.enabledInjectors() == 0x01,
                                 120000);
        QCOMPARE(cli.state(), QProcess::Running);
        ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
        QTRY_VERIFY_WITH_TIMEOUT(cli.state() == QProcess::NotRunning, 30000);

        const QString out = QString::fromUtf8(cli.readAllStandardOutput());
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 1);
        QVERIFY2(out.endsWith(QStringLiteral("stopped\n")), qPrintable(out));
        QCOMPARE(sim.engine.fuel(), EngineModel::Petrol);
        QCOMPARE(int(sim.engine.enabledInjectors()), 0x07);
    }
};

QTEST_GUILESS_MAIN(TstCliController)
#include "tst_cli_controller.moc"
