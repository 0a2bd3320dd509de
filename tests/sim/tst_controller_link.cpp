// The controller link against the simulated controller over a real pseudo-terminal: the program's
// serial backend on one side, the simulator on the master side, time driven by the test.
#include <QtCore/QMap>
#include <QtTest/QTest>

#include <cstring>
#include <functional>
#include <memory>

#include "link/FrameCodec.h"
#include "link/PortNames.h"
#include "link/QtSerialBackend.h"
#include "link/Regions.h"
#include "link/Tsterownik.h"
#include "sim/car/CarModel.h"
#include "sim/controller/ControllerSim.h"
#include "sim/pty/PtyPort.h"

namespace {

class PtyRig {
public:
    PtyRig()
    {
        link.timer()->stop();
        link.OnZdarzenie = [this](int kind, int code, int value, int) {
            if (kind == kEventCalibration) calibration.append({code, value});
            if (kind == kEventFrameSent) ++sent[code];
            if (kind == kEventCalibrationRestarted) restarts.append(code);
        };
    }

    // Counts the link's log lines that contain `text` from now on.
    void countLog(const QString& text)
    {
        link.OnTekst = [this, text](QObject*, const QString& line, TColor) {
            if (line.contains(text)) ++logged;
        };
    }

    bool start()
    {
        if (!pty.open()) return false;
        sim.setWireTiming(false);  // the ticks are the test's: the replies come at once
        sim.attach(&pty);
        return link.PortOpen(PortNames::numberForDevice(pty.devicePath()));
    }

    // One link tick and the controller's answer; true when `done` held within `ticks`.
    bool runUntil(const std::function<bool()>& done, int ticks)
    {
        for (int i = 0; i < ticks; ++i) {
            link.Timer1OnTimer();
            sim.poll();
            if (done()) return true;
        }
        return false;
    }

    bool connectAndRead()
    {
        return runUntil([this] { return link.mem.identity[38] != 0 && link.readMask == 0 && link.linkMask == 0; },
                        2000);
    }

    bool calibrationEnded() const
    {
        for (const auto& [code, value] : calibration)
            if (code == 3 || code == 4) return true;
        return false;
    }

    PtyPort pty;
    ControllerSim sim;
    TSterownik link;
    QList<std::pair<int, int>> calibration;  // stage codes and values
    QMap<int, int> sent;                     // frames sent per command
    QList<int> restarts;                     // why the calibration started a phase over
    int logged = 0;
};

}  // namespace

class TstControllerLink : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void simulatorAnswersRegionRead()
    {
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.setWireTiming(false);  // the test polls without waiting: the reply comes at once
        sim.attach(&pty);
        QtSerialBackend serial;
        QVERIFY(serial.open(pty.devicePath(), 38400, 8, 0, 1));

        uint8_t frame[FrameCodec::kBufferSize] = {};
        const int total = FrameCodec::buildFrame(frame, FrameCodec::kStartPc, 0xAA, 0);
        FrameCodec::scramble(frame, total);
        QCOMPARE(serial.write(frame, total), total);
        for (int i = 0; i < 50 && sim.requests == 0; ++i) sim.poll();
        QCOMPARE(sim.requests, 1);

        int waiting = 0;
        for (int i = 0; i < 50 && waiting < 262; ++i) waiting = serial.bytesWaiting();
        QCOMPARE(waiting, 262);
        QCOMPARE(serial.read(frame, waiting), 262);
        QCOMPARE(QList<int>({frame[0], frame[2], frame[3]}), QList<int>({0x56, 129, 0xAA}));
        FrameCodec::unscramble(frame, 262);
        QCOMPARE(int(FrameCodec::byteSum(frame, 262)), 0);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(frame + 6), 256),
                 QByteArray(reinterpret_cast<const char*>(sim.region(0xAA)), 256));
        QCOMPARE(int(frame[6]), 10);  // the gas-temperature curve's own block number
    }

    void fullConnectionReadsEveryRegion()
    {
        PtyRig rig;
        // Make the controller's memory differ from the PC's defaults everywhere.
        for (const RegionInfo& r : kRegions) {
            uint8_t* m = rig.sim.region(r.readCommand);
            for (int i = 0; i < 256; ++i) m[i] = static_cast<uint8_t>(m[i] + 3 * i + r.readCommand);
        }
        QVERIFY(rig.start());
        QVERIFY(rig.connectAndRead());
        for (const RegionInfo& r : kRegions) {
            if (!(0xF3079Fu & r.mask)) continue;
            QVERIFY2(std::memcmp(rig.sim.region(r.readCommand), rig.link.mem.region(r.mask), 256) == 0,
                     qPrintable(QString::number(r.readCommand, 16)));
        }
        QCOMPARE(rig.link.StrKodKreskowy(), QString::fromLatin1(rig.sim.identity.barCode));
        QCOMPARE(int(rig.link.injectorCount), rig.sim.identity.injectors());
        QCOMPARE(rig.link.unanswered, 0);

        // Live polling keeps the learned cells of both sides equal.
        QVERIFY(rig.runUntil([] { return false; }, 400) == false);
        for (uint8_t read : {0xE0, 0xE1})
            QVERIFY(std::memcmp(rig.sim.region(read),
                                rig.link.mem.map(read == 0xE0 ? MemoryImage::PetrolMap : MemoryImage::GasMap),
                                256) == 0);
    }

    // Damaged and lost reply bytes: every damaged reply fails its checksum and is logged, the
    // receiver finds the next start byte (also after a frame that lost bytes and waits for more),
    // and the requests are sent again until whole replies come back.
    void linkCopesWithDamagedAndLostBytes_data()
    {
        QTest::addColumn<double>("corrupt");
        QTest::addColumn<double>("drop");
        QTest::newRow("corrupted bytes") << 0.01 << 0.0;
        QTest::newRow("lost bytes") << 0.0 << 0.01;
        QTest::newRow("both") << 0.005 << 0.005;
    }
    void linkCopesWithDamagedAndLostBytes()
    {
        QFETCH(double, corrupt);
        QFETCH(double, drop);
        PtyRig rig;
        uint8_t* settings = rig.sim.settings();
        for (int i = 1; i < 256; ++i) settings[i] = static_cast<uint8_t>(settings[i] + i);
        rig.sim.memory.sealSettings();
        rig.sim.faults.corruptShare = corrupt;
        rig.sim.faults.dropShare = drop;
        rig.countLog(QStringLiteral("błąd sumy"));
        QVERIFY(rig.start());
        const bool read =
            rig.runUntil([&] { return (rig.link.linkMask & 1) == 0 && (rig.link.readMask & 0x1) == 0; }, 40000);
        QVERIFY2(read, qPrintable(QStringLiteral("reads left %1, link requests %2")
                                      .arg(rig.link.readMask, 0, 16)
                                      .arg(rig.link.linkMask)));
        QCOMPARE(rig.link.StrKodKreskowy(), QString::fromLatin1(rig.sim.identity.barCode));
        QVERIFY(std::memcmp(rig.link.mem.settingsBlock(), settings, 256) == 0);
        QVERIFY2(rig.logged > 0, "no checksum error logged");
        QVERIFY2(rig.sent.value(0xE8) > 1, qPrintable(QString::number(rig.sent.value(0xE8))));
    }

    // Replies damaged so that the frame check passes (whole frames with wrong data): no damaged
    // region reaches the image; each is read until two reads agree.
    void damagedReadsAreNotTaken()
    {
        PtyRig rig;
        rig.sim.engine.stopEngine();  // no learned cells: the maps stay as they are
        for (const RegionInfo& r : kRegions) {
            uint8_t* m = rig.sim.region(r.readCommand);
            for (int i = 0; i < 256; ++i) m[i] = static_cast<uint8_t>(m[i] + 5 * i + r.readCommand);
        }
        rig.sim.faults.damagedReads = 2;  // the first two reads of the settings
        rig.countLog(QStringLiteral("nieczytelny"));
        QVERIFY(rig.start());
        QVERIFY(rig.connectAndRead());
        for (const RegionInfo& r : kRegions) {
            if (!(0xF3079Fu & r.mask)) continue;
            QVERIFY2(std::memcmp(rig.sim.region(r.readCommand), rig.link.mem.region(r.mask), 256) == 0,
                     qPrintable(QString::number(r.readCommand, 16)));
            // Two reads each; the settings: two damaged ones, then two that agree.
            QCOMPARE(rig.sent.value(r.readCommand), r.mask == 0x1 ? 4 : 2);
        }
        QCOMPARE(rig.link.unreadableMask(), 0u);
        QCOMPARE(rig.logged, 0);
    }

    // A region whose every reply differs is reported unreadable: the log says so, the PC keeps
    // its copy, and no write of it reaches the controller.
    void unstableRegionIsUnreadable()
    {
        PtyRig rig;
        rig.sim.faults.unstableRead = 0xE9;
        rig.countLog(QStringLiteral("  Odczyt mnożnika bank 1 - odczyty różne, region nieczytelny"));
        const QByteArray pcCopy(reinterpret_cast<const char*>(rig.link.mem.region(0x2)), 256);
        const QByteArray theirs(reinterpret_cast<const char*>(rig.sim.region(0xE9)), 256);
        QVERIFY(rig.start());
        QVERIFY(rig.connectAndRead());
        QCOMPARE(rig.link.unreadableMask(), 0x2u);
        QCOMPARE(rig.logged, 1);
        QCOMPARE(rig.sent.value(0xE9), 5);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(rig.link.mem.region(0x2)), 256), pcCopy);
        // An edit of it is refused where the fitter sees it: taken back, in red.
        rig.link.mem.region(0x2)[5] = 77;
        rig.logged = 0;
        rig.countLog(QStringLiteral("Zapis mnożnika bank 1 - zmiana odrzucona, region nieczytelny"));
        QCOMPARE(rig.link.ZapiszDoSterownika(0x2), TSterownik::EditOutcome::Refused);
        QCOMPARE(rig.logged, 1);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(rig.link.mem.region(0x2)), 256), pcCopy);
        rig.link.KasujMnoznik();  // sets the bits directly
        QVERIFY(rig.runUntil(
            [&] { return rig.link.writeMask == 0 && !rig.link.commandPending(TSterownik::CmdSettingsWrite); }, 400));
        QCOMPARE(rig.sent.value(0xF9), 0);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(rig.sim.region(0xE9)), 256), theirs);
        QVERIFY(rig.sent.value(0xF8) > 0);  // the readable regions are still written
    }

    // Every acknowledged write is read back: a write the controller stored damaged goes out again
    // until it reads back as sent; one it never keeps is given up after three repairs, said in red
    // and as a link event, and a new edit of the region tries again.
    void writesAreReadBack_data()
    {
        QTest::addColumn<int>("damagedWrites");
        QTest::addColumn<int>("lostWrite");
        QTest::addColumn<int>("repairs");
        QTest::addColumn<uint>("unwritable");
        QTest::newRow("stored as sent") << 0 << 0 << 0 << 0u;
        QTest::newRow("stored damaged once") << 1 << 0 << 1 << 0u;
        QTest::newRow("stored damaged twice") << 2 << 0 << 2 << 0u;
        QTest::newRow("never stored") << 0 << 0xF1 << 3 << 0x20000u;
    }
    void writesAreReadBack()
    {
        QFETCH(int, damagedWrites);
        QFETCH(int, lostWrite);
        QFETCH(int, repairs);
        QFETCH(uint, unwritable);
        PtyRig rig;
        rig.sim.engine.stopEngine();  // no learned cells: the gas map changes only by the writes
        QVERIFY(rig.start());
        QVERIFY(rig.connectAndRead());
        int notKeptEvents = 0;
        rig.link.OnZdarzenie = [&](int kind, int code, int, int) {
            if (kind == kEventFrameSent) ++rig.sent[code];
            if (kind == kEventRegionUnwritable && code == 0x20000) ++notKeptEvents;
        };
        QStringList red;
        rig.link.OnTekst = [&](QObject*, const QString& line, TColor colour) {
            if (colour == Rgb(255, 0, 0)) red << line.trimmed();
        };
        rig.sim.faults.damagedWrites = damagedWrites;
        rig.sim.faults.lostWrite = static_cast<uint8_t>(lostWrite);
        uint8_t* map = rig.link.mem.region(0x20000);
        for (int i = 0; i < 256; ++i) map[i] = static_cast<uint8_t>(i % 7 + 1);
        const QByteArray wanted(reinterpret_cast<const char*>(map), 256);
        rig.link.ZapiszDoSterownika(0x20000);
        QVERIFY(rig.runUntil([&] { return rig.link.writeMask == 0 && rig.link.readMask == 0; }, 2000));

        QCOMPARE(rig.link.writeRepairs(), std::min(repairs, TSterownik::kWriteRepairLimit));
        QCOMPARE(rig.link.unwritableMask(), unwritable);
        QCOMPARE(rig.sent.value(0xF1), 1 + repairs);
        QCOMPARE(rig.link.readBackMask(), 0u);
        // The PC's image keeps what the fitter wanted either way.
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(map), 256), wanted);
        QCOMPARE(red.count(QStringLiteral("Zapis mapy gazu - odczyt po zapisie różny, zapis ponowiony")),
                 std::min(repairs, TSterownik::kWriteRepairLimit));
        QCOMPARE(red.count(QStringLiteral("Zapis mapy gazu - odczyt po zapisie różny, region niezapisany")),
                 unwritable ? 1 : 0);
        QCOMPARE(notKeptEvents, unwritable ? 1 : 0);
        if (!unwritable) {
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(rig.sim.region(0xE1)), 256), wanted);
            return;
        }
        // The controller keeps writes again: the next edit of the region tries, and succeeds.
        rig.sim.faults.lostWrite = 0;
        map[3] = 99;
        rig.link.ZapiszDoSterownika(0x20000);
        QCOMPARE(rig.link.unwritableMask(), 0u);
        QVERIFY(rig.runUntil([&] { return rig.link.writeMask == 0 && rig.link.readMask == 0; }, 2000));
        QCOMPARE(int(rig.sim.region(0xE1)[3]), 99);
        QCOMPARE(rig.link.unwritableMask(), 0u);
    }

    // An edit made after connecting, before its region is read, is held: once the controller's
    // copy is in, the edited byte goes over it and out; the bytes not edited stay the controller's.
    // The identity is taken from two agreeing replies, so it is asked twice.
    void editBeforeTheReadIsHeld()
    {
        PtyRig rig;
        rig.sim.engine.stopEngine();
        for (int i = 1; i < 256; ++i) rig.sim.settings()[i] = static_cast<uint8_t>(i * 3);
        rig.sim.memory.sealSettings();
        const QByteArray theirs(reinterpret_cast<const char*>(rig.sim.settings()), 256);
        QVERIFY(rig.start());
        QVERIFY(rig.runUntil([&] { return rig.link.linkMask == 2; }, 400));
        QCOMPARE(rig.sent.value(0x81), 2);
        QVERIFY(rig.link.readMask & 0x1);
        rig.link.mem.settings[90] = 150;
        QCOMPARE(rig.link.ZapiszDoSterownika(0x1), TSterownik::EditOutcome::Held);
        QCOMPARE(rig.link.heldEditsMask(), 0x1u);
        QVERIFY(rig.runUntil([&] { return rig.sim.settings()[90] == 150 && rig.link.readMask == 0; }, 2000));
        QCOMPARE(rig.link.heldEditsMask(), 0u);
        for (int i = 1; i < 256; ++i)
            if (i != 90) QCOMPARE(rig.sim.settings()[i], static_cast<uint8_t>(theirs[i]));
        QCOMPARE(int(rig.link.mem.settings[91]), int(static_cast<uint8_t>(theirs[91])));
    }

    // An edit made while no controller answers stays in the image; when the controller is back
    // and read, the fitter is asked, and the answer sends the edit or takes the controller's value.
    // The same when the port stayed open and the controller only fell silent (restarted, or its
    // plug pulled behind the adapter): it is identified again when it answers.
    void editsMadeUnpluggedAreAskedAbout_data()
    {
        QTest::addColumn<bool>("send");
        QTest::addColumn<bool>("silent");
        QTest::newRow("port closed, send them") << true << false;
        QTest::newRow("port closed, take the controller's") << false << false;
        QTest::newRow("controller silent, send them") << true << true;
        QTest::newRow("controller silent, take the controller's") << false << true;
    }
    void editsMadeUnpluggedAreAskedAbout()
    {
        QFETCH(bool, send);
        QFETCH(bool, silent);
        PtyRig rig;
        rig.sim.engine.stopEngine();
        QVERIFY(rig.start());
        QVERIFY(rig.connectAndRead());
        const int theirs = rig.sim.settings()[90];
        const int port = rig.link.portNumber;
        // A write queued just before the plug came out is as unacknowledged as the edit after it.
        // The enrichment is outside the reading after identification: it is read for the question.
        uint8_t* enrichment = rig.link.mem.region(0x2000);
        const int theirEnrichment = rig.sim.region(0xAD)[3];
        enrichment[3] = static_cast<uint8_t>(theirEnrichment + 9);
        QCOMPARE(rig.link.ZapiszDoSterownika(0x2000), TSterownik::EditOutcome::Sent);
        if (silent) {
            rig.sim.faults.silent = true;
            QVERIFY(rig.runUntil([&] { return !rig.link.alive(); }, 400));
        } else {
            rig.link.PortClose();  // the plug is out
        }
        rig.link.mem.settings[90] = static_cast<uint8_t>(theirs + 7);
        QCOMPARE(rig.link.ZapiszDoSterownika(0x1), TSterownik::EditOutcome::Unsent);
        QCOMPARE(rig.link.unsentEditsMask(), 0x1u);
        QCOMPARE(rig.link.writeMask & 0x2000u, 0x2000u);  // the enrichment's write still waits

        QList<std::pair<int, int>> asked;
        rig.link.OnZdarzenie = [&](int kind, int code, int value, int) {
            if (kind == kEventUnsentEdits) asked.append({code, value});
        };
        if (silent) rig.sim.faults.silent = false;
        else QVERIFY(rig.link.PortOpen(port));
        QVERIFY(rig.runUntil([&] { return !asked.isEmpty(); }, 2000));
        QCOMPARE(asked.first(), std::make_pair(0x2001, 0));  // the same controller as before
        QCOMPARE(int(rig.link.mem.settings[90]), theirs + 7);
        rig.link.settleUnsentEdits(send);
        QVERIFY(rig.runUntil(
            [&] {
                return rig.link.readMask == 0 && rig.link.writeMask == 0 &&
                       !rig.link.commandPending(TSterownik::CmdSettingsWrite);
            },
            2000));
        QCOMPARE(rig.link.unsentEditsMask(), 0u);
        QCOMPARE(int(rig.sim.settings()[90]), send ? theirs + 7 : theirs);
        QCOMPARE(int(rig.link.mem.settings[90]), send ? theirs + 7 : theirs);
        QCOMPARE(int(rig.sim.region(0xAD)[3]), send ? theirEnrichment + 9 : theirEnrichment);
        QCOMPARE(int(enrichment[3]), send ? theirEnrichment + 9 : theirEnrichment);
        QCOMPARE(asked.size(), 1);
    }

    // The question comes when the last region edited offline has been read, whichever way its
    // read ends: here the enrichment, still to be read back when the plug came out, is edited
    // again once the controller is back, so its read ends in a write; the settings are asked about.
    void editsAskedAboutWhenTheLastOneIsEditedAgain()
    {
        PtyRig rig;
        rig.sim.engine.stopEngine();
        QVERIFY(rig.start());
        QVERIFY(rig.connectAndRead());
        const int port = rig.link.portNumber;
        const int theirs = rig.sim.settings()[90];
        uint8_t* enrichment = rig.link.mem.region(0x2000);
        enrichment[3] = static_cast<uint8_t>(enrichment[3] + 9);
        QCOMPARE(rig.link.ZapiszDoSterownika(0x2000), TSterownik::EditOutcome::Sent);
        QVERIFY(rig.runUntil([&] { return rig.link.readBackMask() & 0x2000; }, 400));
        rig.link.PortClose();  // the plug is out before the read-back
        rig.link.mem.settings[90] = static_cast<uint8_t>(theirs + 7);
        QCOMPARE(rig.link.ZapiszDoSterownika(0x1), TSterownik::EditOutcome::Unsent);
        enrichment[4] = static_cast<uint8_t>(enrichment[4] + 5);
        QCOMPARE(rig.link.ZapiszDoSterownika(0x2000), TSterownik::EditOutcome::Unsent);

        QList<int> asked;
        rig.link.OnZdarzenie = [&](int kind, int code, int, int) {
            if (kind == kEventUnsentEdits) asked.append(code);
        };
        QVERIFY(rig.link.PortOpen(port));
        // The settings are read (the controller's copy kept for the question), the enrichment not yet.
        QVERIFY(rig.runUntil(
            [&] { return !(rig.link.linkMask & 1) && !(rig.link.readMask & 0x1) && (rig.link.readMask & 0x2000); },
            2000));
        enrichment[5] = static_cast<uint8_t>(enrichment[5] + 3);
        rig.link.ZapiszDoSterownika(0x2000);
        QVERIFY(rig.runUntil([&] { return !asked.isEmpty(); }, 2000));
        QCOMPARE(asked, QList<int>{0x1});
        rig.link.settleUnsentEdits(true);
        QVERIFY(rig.runUntil(
            [&] {
                return rig.link.readMask == 0 && rig.link.writeMask == 0 &&
                       !rig.link.commandPending(TSterownik::CmdSettingsWrite);
            },
            2000));
        QCOMPARE(int(rig.sim.settings()[90]), theirs + 7);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(rig.sim.region(0xAD)), 256),
                 QByteArray(reinterpret_cast<const char*>(enrichment), 256));
        QCOMPARE(rig.link.unsentEditsMask(), 0u);
    }

    // A multiplier edit is its node times in the settings and its values in bank 1. Edited while
    // the controller was gone, it is asked about once the controller is back; when the controller
    // is identified once more before the fitter answers (restarted again, or the plug pulled and
    // put back), the answer "send" still sends both regions whole, as the PC holds them: a fresh
    // controller (every value 1.00) must not keep its values under the PC's node times.
    void offlineMultiplierGoesOutWhole_data()
    {
        QTest::addColumn<bool>("portReopened");
        QTest::newRow("controller silent again while asked") << false;
        QTest::newRow("port reopened while asked") << true;
    }
    void offlineMultiplierGoesOutWhole()
    {
        QFETCH(bool, portReopened);
        PtyRig rig;
        rig.sim.engine.stopEngine();
        QVERIFY(rig.start());
        QVERIFY(rig.connectAndRead());
        const int port = rig.link.portNumber;
        rig.link.PortClose();  // the controller is stopped

        uint8_t* slots = rig.link.mem.settingsBlock() + MemoryImage::kNodesBank1;
        uint8_t* table = rig.link.mem.block(MemoryImage::Multiplier1);
        slots[23] = 40;
        slots[24] = 90;
        for (const auto& [at, value] : {std::pair{0, 120}, {40, 130}, {90, 110}, {200, 105}})
            table[at] = static_cast<uint8_t>(value);
        rig.link.WyliczMnoznik(1, 1, 255);
        QCOMPARE(rig.link.ZapiszDoSterownika(3), TSterownik::EditOutcome::Unsent);
        const QByteArray nodes(reinterpret_cast<const char*>(slots), MemoryImage::kNodeSlots);
        const QByteArray values(reinterpret_cast<const char*>(table), 256);

        // Started again with fresh memory.
        rig.sim.memory = ControllerMemory();
        rig.sim.configure();
        QList<int> asked;
        rig.link.OnZdarzenie = [&](int kind, int code, int, int) {
            if (kind == kEventUnsentEdits) asked.append(code);
        };
        QVERIFY(rig.link.PortOpen(port));
        QVERIFY(rig.runUntil([&] { return !asked.isEmpty(); }, 2000));
        QCOMPARE(asked.first(), 0x3);

        // Identified once more while the question is on the screen; answered "send" while the
        // multiplier is being read again.
        if (portReopened) {
            QVERIFY(rig.link.PortOpen(port));
        } else {
            rig.sim.faults.silent = true;
            QVERIFY(rig.runUntil([&] { return !rig.link.alive(); }, 400));
            rig.sim.faults.silent = false;
        }
        QVERIFY(rig.runUntil(
            [&] { return !(rig.link.linkMask & 1) && !(rig.link.readMask & 0x1) && (rig.link.readMask & 0x2); }, 2000));
        rig.link.settleUnsentEdits(true);
        QVERIFY(rig.runUntil(
            [&] {
                return rig.link.readMask == 0 && rig.link.writeMask == 0 &&
                       !rig.link.commandPending(TSterownik::CmdSettingsWrite);
            },
            3000));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(rig.sim.settings() + MemoryImage::kNodesBank1),
                            MemoryImage::kNodeSlots),
                 nodes);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(rig.sim.region(0xE9)), 256), values);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(table), 256), values);
        QCOMPARE(rig.link.unsentEditsMask(), 0u);
        QCOMPARE(rig.link.heldEditsMask(), 0u);
    }

    // A setting changed while the settings frame is on the line reaches the controller: the
    // acknowledgement of the earlier frame does not end the write.
    void editWhileTheSettingsAreOnTheLine()
    {
        PtyRig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.connectAndRead());
        rig.link.mem.settings[90] = 120;
        rig.link.ZapiszDoSterownika(0x1);
        QVERIFY(rig.runUntil([&] { return rig.sent.value(0xF8) == 1; }, 400));
        rig.link.mem.settings[92] = 121;  // the frame is sent, its acknowledgement not yet taken
        rig.link.ZapiszDoSterownika(0x1);
        QVERIFY(rig.runUntil(
            [&] { return rig.link.writeMask == 0 && !rig.link.commandPending(TSterownik::CmdSettingsWrite); }, 400));
        QCOMPARE(rig.sent.value(0xF8), 2);
        QCOMPARE(int(rig.sim.settings()[90]), 120);
        QCOMPARE(int(rig.sim.settings()[92]), 121);
    }

    // Two quick toggles of one gas injector: the second is asked for while the first switch frame
    // is on the line, and the controller ends with the second.
    void secondInjectorToggleReachesTheController()
    {
        PtyRig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.connectAndRead());
        const uint8_t before = rig.link.injectorsEnabled();
        rig.link.switchInjectors(static_cast<uint8_t>(before & ~0x2));
        rig.link.requestCommand(TSterownik::CmdInjectorSwitch);
        QVERIFY(rig.runUntil([&] { return rig.sent.value(0x86) == 1; }, 400));
        rig.link.switchInjectors(before);  // the frame is sent, its acknowledgement not yet taken
        rig.link.requestCommand(TSterownik::CmdInjectorSwitch);
        QVERIFY(rig.runUntil([&] { return !rig.link.commandPending(TSterownik::CmdInjectorSwitch); }, 400));
        QCOMPARE(rig.sent.value(0x86), 2);
        QCOMPARE(int(rig.sim.engine.enabledInjectors()), int(before));
        QVERIFY(rig.runUntil([&] { return rig.sent.value(0x90) >= 10; }, 400));
        QCOMPARE(int(rig.link.injectorsEnabled()), int(before));
    }

    // A controller that takes requests and never answers: the unanswered counter climbs past 10
    // and writes are refused; once it answers again the link identifies it and writes reach it.
    void silentControllerRefusesWritesUntilItAnswers()
    {
        PtyRig rig;
        rig.sim.faults.silent = true;
        QVERIFY(rig.start());
        QVERIFY(rig.runUntil([&] { return rig.link.unanswered > 10; }, 400));
        QVERIFY(rig.runUntil([&] { return rig.link.unanswered > 20; }, 400));
        QVERIFY(rig.sim.requests > 20);  // the requests do reach the controller
        QCOMPARE(rig.link.linkMask & 1, 1u);
        rig.link.mem.settings[90] = 140;
        rig.link.ZapiszDoSterownika(0x1);
        QCOMPARE(rig.link.writeMask, 0u);

        rig.sim.faults.silent = false;
        QVERIFY(rig.connectAndRead());
        QCOMPARE(rig.link.unanswered, 0);
        rig.link.mem.settings[90] = 140;
        rig.link.ZapiszDoSterownika(0x1);
        QCOMPARE(rig.link.writeMask, 0x1u);
        QVERIFY(rig.runUntil([&] { return rig.sim.settings()[90] == 140; }, 400));
    }

    void autocalibrationFinishes()
    {
        PtyRig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.connectAndRead());
        QVERIFY(rig.link.StartStopKalibracji());
        QVERIFY(rig.runUntil([&] { return rig.calibrationEnded(); }, 60000));
        QCOMPARE(rig.calibration.first().first, 1);
        QList<int> codes;
        for (const auto& [code, value] : rig.calibration)
            if (code != 2) codes.append(code);
        QCOMPARE(codes, QList<int>({1, 3}));
        int highest = 0;
        for (const auto& [code, value] : rig.calibration) highest = std::max(highest, value);
        QVERIFY2(highest >= 768, qPrintable(QString::number(highest)));
        QCOMPARE(rig.link.liveRequestBits() & 1, 0);

        // The idle corrections found are the ones that match this engine, and the controller has them.
        const int found = rig.link.mem.settings[90];
        QVERIFY2(std::abs(found - rig.sim.engine.matchingIdleCorrection()) <= 3, qPrintable(QString::number(found)));
        QCOMPARE(int(rig.link.mem.settings[92]), found);
        QVERIFY(rig.runUntil(
            [&] { return rig.link.writeMask == 0 && !rig.link.commandPending(TSterownik::CmdSettingsWrite); }, 400));
        QCOMPARE(int(rig.sim.settings()[90]), found);
        QCOMPARE(int(rig.sim.settings()[83]), int(rig.link.mem.settings[83]));
    }

    // A car being driven (the demo's drive cycle, the car model's lap) idles steadily while the
    // PC calibrates: the calibration finishes without starting a phase over, and the car drives on
    // once it has.
    void calibrationHoldsASteadyIdle_data()
    {
        QTest::addColumn<bool>("carModel");
        QTest::newRow("drive cycle") << false;
        QTest::newRow("car model, ten steps a request") << true;
    }
    void calibrationHoldsASteadyIdle()
    {
        QFETCH(bool, carModel);
        PtyRig rig;
        std::unique_ptr<CarModel> car;
        if (carModel) {
            car = std::make_unique<CarModel>(rig.sim, nullptr);
            car->setTimeScale(10);
        } else {
            rig.sim.engine.setDriveCycle(true);
        }
        const auto onTheRoad = [&] { return (car ? car->rpm() : rig.sim.engine.rpm()) > 1500; };
        QVERIFY(rig.start());
        QVERIFY(rig.connectAndRead());
        QVERIFY(rig.runUntil(onTheRoad, 2000));
        QVERIFY(rig.link.StartStopKalibracji());
        QVERIFY2(rig.runUntil([&] { return rig.calibrationEnded(); }, 60000),
                 qPrintable(QStringLiteral("stuck in state %1").arg(rig.link.kal.state)));
        QList<int> codes;
        for (const auto& [code, value] : rig.calibration)
            if (code != 2) codes.append(code);
        QCOMPARE(codes, QList<int>({1, 3}));
        QCOMPARE(rig.restarts, QList<int>());
        QVERIFY(rig.runUntil(onTheRoad, 4000));
    }

    // A controller is not always where the calibration left it: an earlier session may have left it
    // on gas with injectors off, and it changes fuel on its own (to gas once warm, back to petrol
    // on a fault), also just as the calibration asks for a change. The fuel change toggles, so a
    // blind request would undo the controller's own change and leave the calibration waiting.
    void calibrationCopesWithTheControllersOwnFuelChanges_data()
    {
        QTest::addColumn<bool>("leftOnGas");
        QTest::addColumn<int>("atState");    // calibration state at which the controller acts, -1 none
        QTest::addColumn<int>("fuelThere");  // the controller's fuel it acts on
        QTest::addColumn<bool>("toGas");     // it goes over to gas, or back to petrol
        QTest::newRow("left on gas with one injector") << true << -1 << 0 << false;
        QTest::newRow("to gas by itself before the change is asked") << false << 97 << int(EngineModel::Petrol) << true;
        QTest::newRow("back to petrol by itself while switching to gas")
            << false << 98 << int(EngineModel::Switching) << false;
        QTest::newRow("to gas by itself while going back to petrol")
            << false << 129 << int(EngineModel::Petrol) << true;
    }
    void calibrationCopesWithTheControllersOwnFuelChanges()
    {
        QFETCH(bool, leftOnGas);
        QFETCH(int, atState);
        QFETCH(int, fuelThere);
        QFETCH(bool, toGas);
        PtyRig rig;
        rig.sim.settings()[31] = 0xF8;  // of four cylinders, the fourth stays on petrol
        rig.sim.memory.sealSettings();
        if (leftOnGas) {
            rig.sim.engine.quickFuelChange();
            rig.sim.engine.setEnabledInjectors(0x01);
        }
        QVERIFY(rig.start());
        QVERIFY(rig.connectAndRead());
        QVERIFY(rig.link.StartStopKalibracji());
        bool acted = atState < 0;
        const bool ended = rig.runUntil(
            [&] {
                if (!acted && rig.link.kal.state == atState && rig.sim.engine.fuel() == fuelThere) {
                    acted = true;
                    if (toGas) rig.sim.engine.automaticFuelChange();  // what the controller does when warm
                    else rig.sim.engine.switchToPetrol(3);
                }
                return rig.calibrationEnded();
            },
            60000);
        QVERIFY2(ended, qPrintable(QStringLiteral("stuck in state %1").arg(rig.link.kal.state)));
        QVERIFY(acted);
        QList<int> codes;
        for (const auto& [code, value] : rig.calibration)
            if (code != 2) codes.append(code);
        QCOMPARE(codes, QList<int>({1, 3}));
        QCOMPARE(rig.sim.engine.fuel(), EngineModel::Petrol);
        QCOMPARE(int(rig.sim.engine.enabledInjectors()), 0x07);
        const int found = rig.link.mem.settings[90];
        QVERIFY2(std::abs(found - rig.sim.engine.matchingIdleCorrection()) <= 3, qPrintable(QString::number(found)));
    }

    void calibrationAbortsWhenTheEngineStops()
    {
        PtyRig rig;
        QVERIFY(rig.start());
        QVERIFY(rig.connectAndRead());
        rig.link.StartStopKalibracji();
        QVERIFY(!rig.runUntil([&] { return rig.calibrationEnded(); }, 400));
        rig.sim.engine.stopEngine();
        QVERIFY(rig.runUntil([&] { return rig.calibrationEnded(); }, 400));
        QList<int> codes;
        for (const auto& [code, value] : rig.calibration)
            if (code != 2) codes.append(code);
        QCOMPARE(codes, QList<int>({1, 4}));
    }
};

QTEST_GUILESS_MAIN(TstControllerLink)
#include "tst_controller_link.moc"
