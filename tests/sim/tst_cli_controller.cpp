// kavelo-cli calibrate, run as a fitter runs it, against the simulated controller on a
// pseudo-terminal served from this test's event loop.
#include <QtTest/QtTest>

#include <QtCore/QProcess>

#include <csignal>

#include "sim/controller/ControllerSim.h"
#include "sim/pty/PtyPort.h"

class TstCalibrateCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Ctrl+C in the middle of a per-cylinder gas phase: the controller runs on gas with only the
    // first cylinders' gas injectors on. The command leaves it on petrol with every gas injector
    // of the installation on, and says it stopped.
    void ctrlCLeavesThePetrolAndAllInjectors()
    {
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.settings()[82] |= 1;     // one cylinder after another
        sim.settings()[31] = 0xF8;   // of four cylinders, the fourth stays on petrol
        sim.memory.sealSettings();
        sim.attach(&pty);

        QProcess cli;
        cli.start(QStringLiteral(KAVELO_CLI), {QStringLiteral("calibrate"), QStringLiteral("--port"), pty.devicePath()});
        QVERIFY(cli.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(
            sim.engine.fuel() == EngineModel::Gas && sim.engine.enabledInjectors() == 0x01, 120000);
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

QTEST_GUILESS_MAIN(TstCalibrateCli)
#include "tst_calibrate_cli.moc"
