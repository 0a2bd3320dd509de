// A settings file travels from one simulated controller to another over real pseudo-terminals:
// read and saved from the first, loaded into the second while connected.
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#include <algorithm>
#include <cstring>
#include <functional>

#include "base/TextTable.h"
#include "link/PortNames.h"
#include "link/SettingsFile.h"
#include "link/SettingsFileOps.h"
#include "link/Tsterownik.h"
#include "sim/controller/ControllerSim.h"
#include "sim/pty/PtyPort.h"

namespace {

// A controller on its own pseudo-terminal, and a link connected to it whose time the test drives.
struct Bench {
    PtyPort pty;
    ControllerSim sim;
    TSterownik link;

    bool start()
    {
        link.timer()->stop();
        sim.engine.stopEngine();  // no learned map cells arriving while the test compares maps
        if (!pty.open()) return false;
        sim.setWireTiming(false);  // the ticks are the test's: the replies come at once
        sim.attach(&pty);
        return link.PortOpen(PortNames::numberForDevice(pty.devicePath()));
    }

    // Ticks the link and lets the controller answer until `done` holds.
    bool run(const std::function<bool()>& done)
    {
        for (int i = 0; i < 40000; ++i) {
            if (done()) return true;
            link.Timer1OnTimer();
            sim.poll();
        }
        return done();
    }

    bool idle() const
    {
        return link.pendingCommands() == 0 && link.writeMask == 0 && link.readMask == 0 && link.linkMask == 0;
    }

    bool identifiedAndRead()
    {
        return run([this] { return link.mem.identity[0] != 0 && idle(); });
    }
};

// Region read commands in settings-file order, from the settings block on (offset 512).
const uint8_t kFileRegions[] = {0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xA8, 0xA9, 0xAA, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5};

QByteArray regionOf(ControllerSim& sim, uint8_t command)
{
    return QByteArray(reinterpret_cast<const char*>(sim.region(command)), 256);
}

}  // namespace

class TstSettingsTransfer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(programTexts().load());
        programLanguage() = TextTable::English;
    }

    void fileCarriesOneControllerToAnother()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("car.set"));

        Bench first;
        // A configured controller: every region of the file different, a learned adaptation.
        for (uint8_t c : kFileRegions)
            for (int i = 0; i < 256; ++i) first.sim.region(c)[i] = static_cast<uint8_t>(c * 7 + i * 13 + 1);
        uint8_t* s = first.sim.settings();
        s[90] = 120;
        s[92] = 250;
        first.sim.region(0xE9)[5] = 254;
        first.sim.region(0xEA)[6] = 3;
        unsigned sum = 0;
        for (int i = 1; i < 256; ++i) sum += s[i];
        s[0] = static_cast<uint8_t>(-sum);
        first.sim.adaptation = {138, 130, 128, 120};
        QVERIFY(first.start());
        QVERIFY(first.identifiedAndRead());
        QCOMPARE(ZapiszUstawienia(first.link, file), 0);

        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(bytes.size(), SettingsFile::kSize);
        for (int k = 0; k < 14; ++k)
            QVERIFY2(bytes.mid(512 + 256 * k, 256) == regionOf(first.sim, kFileRegions[k]),
                     qPrintable(QString::number(kFileRegions[k], 16)));
        QCOMPARE(uint8_t(bytes[128 + 66]), uint8_t(138));

        Bench second;
        QStringList options{QStringLiteral("--injectors"), QStringLiteral("6")};
        QString error;
        QVERIFY(second.sim.identity.applyOptions(options, error));
        QVERIFY(second.start());
        QVERIFY(second.identifiedAndRead());
        QCOMPARE(CzytajUstawienia(second.link, file), 0);
        QVERIFY(second.run([&] { return second.idle(); }));

        // Everything arrived as the file holds it, except where the adaptation was folded in:
        // bank 1 idle correction +10, bank 1 multiplier +2, bank 2 multiplier -8 (limited 1..255).
        QByteArray settings = bytes.mid(512, 256);
        settings[90] = static_cast<char>(130);
        settings[92] = static_cast<char>(250);
        unsigned total = 0;
        for (int i = 1; i < 256; ++i) total += uint8_t(settings[i]);
        settings[0] = static_cast<char>(-total);
        QCOMPARE(regionOf(second.sim, 0xE8), settings);
        QByteArray mult1 = bytes.mid(768, 256), mult2 = bytes.mid(1024, 256);
        for (int i = 0; i < 256; ++i) {
            mult1[i] = static_cast<char>(std::clamp(uint8_t(mult1[i]) + 2, 1, 255));
            mult2[i] = static_cast<char>(std::clamp(uint8_t(mult2[i]) - 8, 1, 255));
        }
        QCOMPARE(uint8_t(mult1[5]), uint8_t(255));
        QCOMPARE(uint8_t(mult2[6]), uint8_t(1));
        QCOMPARE(regionOf(second.sim, 0xE9), mult1);
        QCOMPARE(regionOf(second.sim, 0xEA), mult2);
        for (int k = 3; k < 14; ++k)
            QVERIFY2(regionOf(second.sim, kFileRegions[k]) == bytes.mid(512 + 256 * k, 256),
                     qPrintable(QString::number(kFileRegions[k], 16)));
        // The read-back leaves the PC's image as the controller now holds it.
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(second.link.mem.settingsBlock()), 256), settings);
    }

    // A file loaded into a connected controller before its history has been read: the history
    // write waits for that read, and the controller's ten entries stay, with one more for the load.
    void earlyLoadKeepsTheControllersHistory()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("early.set"));
        {
            TSterownik pc;
            pc.mem.settings[90] = 131;
            QCOMPARE(ZapiszUstawienia(pc, file), 0);
        }
        Bench bench;
        QByteArray theirs;
        for (int n = 0; n < 10; ++n) theirs += QByteArray::fromHex("0818010100001100");
        for (int n = 0; n < 10; ++n) theirs[8 * n + 7] = static_cast<char>(n + 1);
        std::memcpy(bench.sim.region(0xA7), theirs.constData(), 80);
        bench.link.workshopId = {0x5EED0001, 26, 5, 14};
        QVERIFY(bench.start());
        // Identified, the first regions being read, the history not yet.
        QVERIFY(bench.run([&] { return bench.link.mem.identity[0] != 0 && !(bench.link.readMask & 0x1); }));
        QVERIFY(bench.link.readMask & 0x80);
        QCOMPARE(CzytajUstawienia(bench.link, file), 0);
        QVERIFY(bench.run([&] { return bench.idle() && !bench.link.historyWritePending(); }));
        QCOMPARE(int(bench.sim.settings()[90]), 131);
        QCOMPARE(regionOf(bench.sim, 0xA7).left(96),
                 theirs + QByteArray::fromHex("0A1A050E5EED0001") + QByteArray(8, '\0'));
        QCOMPARE(regionOf(bench.sim, 0xA7),
                 QByteArray(reinterpret_cast<const char*>(bench.link.mem.region(0x80)), 256));
    }
};

QTEST_GUILESS_MAIN(TstSettingsTransfer)
#include "tst_settings_transfer.moc"
