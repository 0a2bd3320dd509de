// Backups and comparisons against the simulated controller over pseudo-terminals: the program's
// link leaves one backup after the first complete read, kavelo-cli diff answers for two files and
// for a controller, and kavelo-cli firmware saves a backup before the update.
#include <QtCore/QProcess>
#include <QtCore/QRegularExpression>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#include "link/ConfigBackups.h"
#include "link/PortNames.h"
#include "link/SettingsFile.h"
#include "link/Tsterownik.h"
#include "sim/controller/ControllerSim.h"
#include "sim/pty/PtyPort.h"

namespace {

// Runs kavelo-cli with HOME in `home`, so that its documents folder (and the backups) are there,
// while the simulator answers from this test's event loop.
struct CliRun {
    int exitCode = -1;
    QString out, err;
};

CliRun runCli(const QString& home, const QStringList& args)
{
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(KAVELO_CLI), args);
    CliRun r;
    if (!cli.waitForStarted()) return r;
    QElapsedTimer t;
    t.start();
    while (cli.state() != QProcess::NotRunning && t.elapsed() < 120000) QTest::qWait(5);
    r.exitCode = cli.exitCode();
    r.out = QString::fromUtf8(cli.readAllStandardOutput());
    r.err = QString::fromUtf8(cli.readAllStandardError());
    return r;
}

}  // namespace

class TstBackupsSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Connecting leaves one backup; the link restarting on the same unchanged controller does
    // not write another; a backup before a change (firmware, factory settings) with an edit
    // since then does.
    void firstCompleteReadLeavesOneBackup()
    {
        QTemporaryDir dir;
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.engine.stopEngine();   // nothing learned while the test runs
        sim.setWireTiming(false);  // the ticks are the test's: the replies come at once
        sim.attach(&pty);
        TSterownik link;
        link.timer()->stop();
        AutoBackup backup(link);
        backup.root = dir.path();
        QStringList saved;
        backup.onSaved = [&](const QString& path) { saved << path; };
        link.OnZdarzenie = [&](int kind, int code, int, int) { backup.LinkEvent(kind, code); };
        QVERIFY(link.PortOpen(PortNames::numberForDevice(pty.devicePath())));
        auto run = [&](const std::function<bool()>& done) {
            for (int i = 0; i < 3000; ++i) {
                link.Timer1OnTimer();
                sim.poll();
                if (done()) return true;
            }
            return false;
        };
        QVERIFY(!backup.complete());
        QVERIFY(run([&] { return backup.complete(); }));
        QCOMPARE(saved.size(), 1);
        const QString serial = ConfigBackups::serialOf(link.mem);
        QVERIFY(!serial.isEmpty());
        MemoryImage file;
        QCOMPARE(SettingsFile::load(saved.first(), file), SettingsFile::Ok);
        QVERIFY(std::memcmp(file.settings.data(), sim.settings(), 256) == 0);

        // The same controller once more in this session: no second backup after its read.
        link.RozkazDoSterownika(1);
        link.CzytajZeSterownika(0x1);
        QVERIFY(run([&] { return link.readMask == 0 && link.linkMask == 0; }));
        QCOMPARE(saved.size(), 1);
        QCOMPARE(backup.backupNow().outcome, ConfigBackups::Unchanged);

        link.mem.settings[3] = 61;
        QCOMPARE(backup.backupNow().outcome, ConfigBackups::Written);
        QCOMPARE(ConfigBackups::list(dir.path(), serial).size(), 2);
        backup.enabled = false;
        link.mem.settings[3] = 62;
        QCOMPARE(backup.backupNow().outcome, ConfigBackups::Failed);
        QCOMPARE(ConfigBackups::list(dir.path(), serial).size(), 2);
    }

    // diff of two real files and of a controller with a file: exit 0 equal, 1 different, 2 bad.
    void diffCommand()
    {
        QTemporaryDir home;
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.setWireTiming(false);  // comparing, not timing: the replies come at once
        sim.attach(&pty);
        const QString a = home.filePath(QStringLiteral("a.set"));
        const QString b = home.filePath(QStringLiteral("b.set"));
        CliRun r =
            runCli(home.path(), {QStringLiteral("read-settings"), QStringLiteral("--port"), pty.devicePath(), a});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));

        r = runCli(home.path(), {QStringLiteral("diff"), a, a});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.isEmpty());

        MemoryImage mem;
        QCOMPARE(SettingsFile::load(a, mem), SettingsFile::Ok);
        mem.settings[3] = uint8_t(mem.settings[3] + 10);
        mem.block(MemoryImage::RpmCorrection2)[17] = 120;
        QCOMPARE(SettingsFile::save(b, mem), SettingsFile::Ok);
        r = runCli(home.path(), {QStringLiteral("diff"), QStringLiteral("--lang"), QStringLiteral("en"), a, b});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.out.contains(QStringLiteral("\n3\tRPM signal level\t")), qPrintable(r.out));
        QVERIFY2(r.out.contains(QStringLiteral("RPM correction bank 2\t1 cell, largest 20 [%]")), qPrintable(r.out));

        // The controller against the file it was read into: no setting differs, the PC's own
        // settings of the file (the OBD protocol, 257) included (the controller may have learned a
        // map cell meanwhile); then against the changed file.
        r = runCli(home.path(), {QStringLiteral("diff"), QStringLiteral("--lang"), QStringLiteral("en"),
                                 QStringLiteral("--port"), pty.devicePath(), a});
        QVERIFY2(r.exitCode == 0 || r.exitCode == 1, qPrintable(r.err));
        QVERIFY2(!r.out.contains(QRegularExpression(QStringLiteral("^\\d+\t"), QRegularExpression::MultilineOption)),
                 qPrintable(r.out));
        r = runCli(home.path(), {QStringLiteral("diff"), QStringLiteral("--lang"), QStringLiteral("en"),
                                 QStringLiteral("--port"), pty.devicePath(), b});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.out.contains(QStringLiteral("RPM correction bank 2")), qPrintable(r.out));

        r = runCli(home.path(), {QStringLiteral("diff"), a});
        QCOMPARE(r.exitCode, 2);
        QFile::resize(b, 10);
        r = runCli(home.path(), {QStringLiteral("diff"), a, b});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(QStringLiteral("Error code 123")), qPrintable(r.err));
    }

    // The firmware update from the command line saves the configuration before anything else,
    // even when the image is then refused; backups lists it.
    void firmwareLeavesABackupFirst()
    {
        QTemporaryDir home;
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.setWireTiming(false);  // backups, not timing: the replies come at once
        sim.attach(&pty);
        const QString image = home.filePath(QStringLiteral("new.img"));
        QFile f(image);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(2000, 'x'));  // not a firmware file
        f.close();

        CliRun r = runCli(home.path(), {QStringLiteral("firmware"), QStringLiteral("--port"), pty.devicePath(), image});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Error code 143")), qPrintable(r.err));
        QVERIFY2(r.out.startsWith(QStringLiteral("backup ")), qPrintable(r.out));
        const QString folder = ConfigBackups::rootFolder(home.path() + QStringLiteral("/Documents"));
        const QStringList serials = ConfigBackups::controllers(folder);
        QCOMPARE(serials.size(), 1);

        r = runCli(home.path(), {QStringLiteral("backups")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith(serials.first() + QStringLiteral("\t1\t")), qPrintable(r.out));
        r = runCli(home.path(), {QStringLiteral("backups"), serials.first()});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(QStringLiteral("KAVELO")) && r.out.contains(QStringLiteral("\tfirst\n")),
                 qPrintable(r.out));
        // The listing ends with the bar code on the controller's label, and the bar code names the
        // controller as well as the serial number does.
        r = runCli(home.path(), {QStringLiteral("backups")});
        const QString barCode = r.out.section(QLatin1Char('\n'), 0, 0).section(QLatin1Char('\t'), 3, 3);
        QVERIFY2(barCode.startsWith(QStringLiteral("KV")), qPrintable(r.out));
        const CliRun bySerial = runCli(home.path(), {QStringLiteral("backups"), serials.first()});
        const CliRun byBarCode = runCli(home.path(), {QStringLiteral("backups"), barCode.toLower()});
        QCOMPARE(byBarCode.exitCode, 0);
        QCOMPARE(byBarCode.out, bySerial.out);
        r = runCli(home.path(), {QStringLiteral("backups"), QStringLiteral("0000")});
        QCOMPARE(r.exitCode, 1);
    }
};

QTEST_GUILESS_MAIN(TstBackupsSim)
#include "tst_backups_sim.moc"
