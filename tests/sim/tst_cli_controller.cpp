// kavelo-cli's controller commands, run as a fitter runs them, against the simulated controller on
// a pseudo-terminal served from this test's event loop.
#include <QtTest/QtTest>

#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>

#include <csignal>
#include <cstring>

#include "link/SettingsFile.h"
#include "link/Tsterownik.h"
#include "sim/controller/ControllerSim.h"
#include "sim/controller/FirmwareImage.h"
#include "sim/pty/PtyPort.h"

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs one kavelo-cli command against the controller served on `pty`.
Run runCli(PtyPort& pty, QStringList args)
{
    args << QStringLiteral("--port") << pty.devicePath();
    QProcess cli;
    cli.start(QStringLiteral(KAVELO_CLI), args);
    Run r;
    if (!cli.waitForStarted()) return r;
    QElapsedTimer t;
    t.start();
    // The simulator answers from this event loop while the command runs.
    while (cli.state() != QProcess::NotRunning && t.elapsed() < 120000) QTest::qWait(10);
    r.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    r.out = QString::fromUtf8(cli.readAllStandardOutput());
    r.err = QString::fromUtf8(cli.readAllStandardError());
    return r;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

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
        QTest::newRow("errors, silent controller") << 0.0 << 0.0 << true << "errors" << 1
                                                   << "no reply from the controller on ";
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

    // A firmware update reports success only once its history entry is acknowledged: the
    // controller's history then carries the firmware mark, and `info` shows it.
    void firmwareIsRecordedBeforeSuccess()
    {
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.engine.stopEngine();
        const QByteArray theirs = QByteArray::fromHex("0817030100000001" "0418040200000002");
        std::memcpy(sim.region(0xA7), theirs.constData(), theirs.size());
        sim.attach(&pty);
        QTemporaryDir dir;
        const int date[3] = {26, 12, 9};
        const QString image = dir.filePath(QStringLiteral("new.img"));
        QVERIFY(writeFile(image, FirmwareImage::make(sim.identity, 3, 7, date)));

        const Run update = runCli(pty, {QStringLiteral("firmware"), image});
        QCOMPARE(update.exitCode, 0);
        QVERIFY2(update.out.contains(QStringLiteral("recorded in the change history")), qPrintable(update.out + update.err));
        const uint8_t* h = sim.region(0xA7);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(h), 16), theirs);
        QCOMPARE(h[16] & 0x1, 0x1);

        const Run info = runCli(pty, {QStringLiteral("info")});
        QCOMPARE(info.exitCode, 0);
        // Entry 3: the date, then "v" under firmware.
        QVERIFY2(info.out.contains(QRegularExpression(QStringLiteral("\\n3\\t20\\d+\\.\\d+\\.\\d+\\tv\\t"))), qPrintable(info.out));
    }

    // write-settings succeeds only when the read-back after the load matches what was written,
    // region by region; a region the controller did not keep is named, exit 1.
    void writeSettingsChecksTheReadBack_data()
    {
        QTest::addColumn<int>("lostWrite");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expected");
        QTest::newRow("kept") << 0 << 0 << "read back: settings, multiplier bank 1";
        QTest::newRow("multiplier not kept")
            << 0xF9 << 1 << "does not hold what was written: multiplier bank 1";
        QTest::newRow("settings not kept") << 0xF8 << 1 << "does not hold what was written: settings";
    }
    void writeSettingsChecksTheReadBack()
    {
        QFETCH(int, lostWrite);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("car.set"));
        {
            TSterownik pc;  // the PC's defaults, then a few changes of the fitter's
            pc.mem.settings[90] = 135;
            std::memset(pc.mem.region(0x2), 112, 256);
            QVERIFY(writeFile(file, SettingsFile::encode(pc.mem)));
        }
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.engine.stopEngine();
        sim.faults.lostWrite = static_cast<uint8_t>(lostWrite);
        sim.attach(&pty);
        const Run r = runCli(pty, {QStringLiteral("write-settings"), file});
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2((exitCode == 0 ? r.out : r.err).contains(expected), qPrintable(r.out + r.err));
        if (exitCode == 0) QCOMPARE(int(sim.region(0xE9)[7]), 112);
    }

    // read-settings saves only what two agreeing reads confirmed; a region whose reads never
    // agree is named, exit 1, and no file is written.
    void readSettingsSavesOnlyConfirmedReads_data()
    {
        QTest::addColumn<int>("damaged");
        QTest::addColumn<int>("unstable");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("damaged replies") << 3 << 0 << 0;
        QTest::newRow("a region never the same") << 0 << 0xEA << 1;
    }
    void readSettingsSavesOnlyConfirmedReads()
    {
        QFETCH(int, damaged);
        QFETCH(int, unstable);
        QFETCH(int, exitCode);
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.engine.stopEngine();
        for (int i = 1; i < 256; ++i) sim.settings()[i] = static_cast<uint8_t>(sim.settings()[i] + i);
        sim.memory.sealSettings();
        sim.faults.damagedReads = damaged;
        sim.faults.unstableRead = static_cast<uint8_t>(unstable);
        sim.attach(&pty);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("read.set"));
        const Run r = runCli(pty, {QStringLiteral("read-settings"), file});
        QCOMPARE(r.exitCode, exitCode);
        if (exitCode == 0) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            QCOMPARE(bytes.mid(512, 256), QByteArray(reinterpret_cast<const char*>(sim.settings()), 256));
            QCOMPARE(bytes.mid(768, 256), QByteArray(reinterpret_cast<const char*>(sim.region(0xE9)), 256));
        } else {
            QVERIFY2(r.err.contains(QStringLiteral("unreadable on %1 (the reads did not agree): multiplier bank 2")
                                        .arg(pty.devicePath())),
                     qPrintable(r.err));
            QVERIFY(!QFile::exists(file));
        }
    }

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

QTEST_GUILESS_MAIN(TstCliController)
#include "tst_cli_controller.moc"
