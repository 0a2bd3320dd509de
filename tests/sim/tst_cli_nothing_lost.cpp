// kavelo-cli against the simulated controller on a pseudo-terminal: a command reports success
// only when the controller holds what it was given (firmware history entry, settings read back)
// and a read-settings file holds only reads that two agreeing replies confirmed.
#include <QtTest/QtTest>

#include <QtCore/QEventLoop>
#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>

#include <cstring>

#include "link/Regions.h"
#include "link/SettingsFile.h"
#include "link/Tsterownik.h"
#include "sim/controller/ControllerSim.h"
#include "sim/controller/FirmwareImage.h"
#include "sim/pty/PtyPort.h"
#include "tests/CliRun.h"

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

class TstCliNothingLost : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A firmware update reports success only once its history entry is acknowledged: the
    // controller's history then carries the firmware mark, and `info` shows it.
    void firmwareIsRecordedBeforeSuccess()
    {
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.engine.stopEngine();
        const QByteArray theirs = QByteArray::fromHex("0817030100000001"
                                                      "0418040200000002");
        std::memcpy(sim.region(0xA7), theirs.constData(), theirs.size());
        sim.setWireTiming(false);  // what is kept, not how long it takes: the replies come at once
        sim.attach(&pty);
        QTemporaryDir dir;
        const int date[3] = {26, 12, 9};
        const QString image = dir.filePath(QStringLiteral("new.img"));
        QVERIFY(writeFile(image, FirmwareImage::make(sim.identity, 3, 7, date)));

        const CliRun update = runCli(pty, {QStringLiteral("firmware"), image});
        QCOMPARE(update.exitCode, 0);
        QVERIFY2(update.out.contains(QStringLiteral("recorded in the change history")),
                 qPrintable(update.out + update.err));
        const uint8_t* h = sim.region(0xA7);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(h), 16), theirs);
        QCOMPARE(h[16] & 0x1, 0x1);

        const CliRun info = runCli(pty, {QStringLiteral("info")});
        QCOMPARE(info.exitCode, 0);
        // Entry 3: the date, then "v" under firmware.
        QVERIFY2(info.out.contains(QRegularExpression(QStringLiteral("\\n3\\t20\\d+\\.\\d+\\.\\d+\\tv\\t"))),
                 qPrintable(info.out));
    }

    // write-settings succeeds only when the read-back after the load matches what was written,
    // region by region; a region the controller did not keep is named, exit 1.
    void writeSettingsChecksTheReadBack_data()
    {
        QTest::addColumn<int>("lostWrite");
        QTest::addColumn<int>("damagedWrites");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expected");
        QTest::newRow("kept") << 0 << 0 << 0 << "read back: settings, multiplier bank 1";
        // The first region writes are stored damaged (the settings, then the maps from the file):
        // each is read back, found different and written again.
        QTest::newRow("stored damaged, repaired") << 0 << 3 << 0 << "read back: settings, multiplier bank 1";
        QTest::newRow("multiplier not kept") << 0xF9 << 0 << 1 << "does not hold what was written: multiplier bank 1";
        QTest::newRow("settings not kept") << 0xF8 << 0 << 1 << "does not hold what was written: settings";
        QTest::newRow("petrol map not kept") << 0xF0 << 0 << 1 << "does not hold what was written: petrol map";
    }
    void writeSettingsChecksTheReadBack()
    {
        QFETCH(int, lostWrite);
        QFETCH(int, damagedWrites);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("car.set"));
        {
            TSterownik pc;  // the PC's defaults, then a few changes of the fitter's
            pc.mem.settings[90] = 135;
            std::memset(pc.mem.region(0x2), 112, 256);
            for (int i = 0; i < 256; ++i) pc.mem.region(0x10000)[i] = static_cast<uint8_t>(i % 50 + 1);
            QVERIFY(writeFile(file, SettingsFile::encode(pc.mem)));
        }
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.engine.stopEngine();
        sim.faults.lostWrite = static_cast<uint8_t>(lostWrite);
        sim.faults.damagedWrites = damagedWrites;
        sim.setWireTiming(false);  // what is kept, not how long it takes: the replies come at once
        sim.attach(&pty);
        const CliRun r = runCli(pty, {QStringLiteral("write-settings"), file});
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2((exitCode == 0 ? r.out : r.err).contains(expected), qPrintable(r.out + r.err));
        if (exitCode != 0) return;
        QCOMPARE(int(sim.region(0xE9)[7]), 112);
        QCOMPARE(sim.damagedWritesTaken, damagedWrites);
        // The maps the file wrote hold the file's bytes: their writes were read back too.
        MemoryImage fromFile;
        QCOMPARE(SettingsFile::load(file, fromFile), 0);
        for (const RegionInfo& reg : kRegions)
            if (reg.mask == 0x10000 || reg.mask == 0x20000)
                QVERIFY2(std::memcmp(sim.region(reg.readCommand), fromFile.region(reg.mask), 256) == 0, reg.name);
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
        sim.setWireTiming(false);  // what is kept, not how long it takes: the replies come at once
        sim.attach(&pty);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("read.set"));
        const CliRun r = runCli(pty, {QStringLiteral("read-settings"), file});
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
};

QTEST_GUILESS_MAIN(TstCliNothingLost)
#include "tst_cli_nothing_lost.moc"
