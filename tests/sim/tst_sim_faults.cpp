// The simulated controller's own faults and tools: a line that damages the PC's bytes too, a plug
// that is pulled and put back under the same device, and the memory dump that a soak compares.
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#include <csignal>
#include <cstring>

#include "link/FrameCodec.h"
#include "link/PortNames.h"
#include "link/QtSerialBackend.h"
#include "link/Regions.h"
#include "link/Tsterownik.h"
#include "sim/controller/ControllerSim.h"
#include "sim/controller/MemoryDump.h"
#include "sim/pty/PtyPort.h"
#include "tests/SimLine.h"

Q_DECLARE_METATYPE(PtyPort::UnplugMethod)

class TstSimFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // What the PC sends crosses the faulty line before the controller parses it: damaged requests
    // fail the controller's checksum and go unanswered; the replies stay whole when only the
    // PC's direction is faulty.
    void requestFaultsDamageWhatThePcSends_data()
    {
        QTest::addColumn<double>("corrupt");
        QTest::addColumn<double>("drop");
        QTest::newRow("whole line") << 0.0 << 0.0;
        QTest::newRow("corrupted bytes") << 0.05 << 0.0;
        QTest::newRow("lost bytes") << 0.0 << 0.05;
    }
    void requestFaultsDamageWhatThePcSends()
    {
        QFETCH(double, corrupt);
        QFETCH(double, drop);
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.faults.requestCorruptShare = corrupt;
        sim.faults.requestDropShare = drop;
        sim.setWireTiming(false);  // the ticks are the test's: the replies come at once
        sim.attach(&pty);
        QtSerialBackend serial;
        QVERIFY(serial.open(pty.devicePath(), 38400, 8, 0, 1));

        // Settings reads: 4-byte requests, 262-byte replies, ten at a time so that the line's
        // buffer never fills.
        constexpr int kRequests = 300;
        QByteArray batch;
        for (int i = 0; i < 10; ++i) batch += pcRequest(0xE8);
        QByteArray replies;
        for (int sent = 0; sent < kRequests; sent += 10) {
            QCOMPARE(serial.write(reinterpret_cast<const uint8_t*>(batch.constData()), static_cast<int>(batch.size())),
                     static_cast<int>(batch.size()));
            for (int quiet = 0; quiet < 20;) {
                sim.poll();
                const int n = serial.bytesWaiting();
                if (n <= 0) {
                    ++quiet;
                    QTest::qWait(1);
                    continue;
                }
                quiet = 0;
                QByteArray chunk(n, '\0');
                chunk.truncate(serial.read(reinterpret_cast<uint8_t*>(chunk.data()), n));
                replies += chunk;
            }
        }

        const qint64 damaged = sim.toController.corrupted + sim.toController.dropped;
        QCOMPARE(damaged > 0, corrupt + drop > 0);
        QCOMPARE(sim.toController.corrupted > 0, corrupt > 0);
        QCOMPARE(sim.toController.dropped > 0, drop > 0);
        QCOMPARE(sim.toPc.corrupted + sim.toPc.dropped, qint64(0));
        QVERIFY(sim.damagedFramesTaken <= sim.requests);
        if (damaged == 0) {
            QCOMPARE(sim.requests, kRequests);
            QCOMPARE(sim.badFrames, 0);
            QCOMPARE(sim.damagedFramesTaken, 0);
        } else {
            // A damaged frame goes unanswered; one whose length byte suffered makes the controller
            // wait for a long frame that swallows the next requests, as a real one does.
            QVERIFY2(sim.requests > 0 && sim.requests < kRequests, qPrintable(QString::number(sim.requests)));
            QVERIFY(sim.badFrames > 0);
        }
        // Every answer comes back whole.
        QCOMPARE(replies.size(), qsizetype(sim.requests) * 262);
        for (qsizetype at = 0; at < replies.size(); at += 262) {
            uint8_t frame[262];
            std::memcpy(frame, replies.constData() + at, 262);
            FrameCodec::unscramble(frame, 262);
            QCOMPARE(int(FrameCodec::byteSum(frame, 262)), 0);
            QCOMPARE(int(frame[3]), 0xE8);
        }
    }

    // Pulling the plug: the program's open port fails as an unplugged adapter's does, the device
    // cannot be opened while the plug is out, and it comes back under the same path.
    void unplugAndPlugInKeepTheDevice_data()
    {
        QTest::addColumn<PtyPort::UnplugMethod>("method");
        QTest::newRow("hang-up") << PtyPort::UnplugMethod::Hangup;
        QTest::newRow("reopen") << PtyPort::UnplugMethod::Reopen;
    }
    void unplugAndPlugInKeepTheDevice()
    {
        QFETCH(PtyPort::UnplugMethod, method);
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.attach(&pty);
        const QString device = pty.devicePath();
        QtSerialBackend serial;
        QVERIFY(serial.open(device, 38400, 8, 0, 1));

        QVERIFY(pty.unplug(method));
        if (method == PtyPort::UnplugMethod::Hangup && pty.lastUnplugMethod() != method)
            QSKIP("hanging up a terminal needs root here");
        QVERIFY(!pty.isPlugged());
        QVERIFY(!pty.unplug(method));  // already out
        QVERIFY(seesDeviceGone(serial));
        const bool hungUp = method == PtyPort::UnplugMethod::Hangup;
        if (hungUp) {
            QtSerialBackend other;
            QVERIFY(!other.open(device, 38400, 8, 0, 1));
        }

        QSignalSpy changed(&pty, &PtyPort::deviceChanged);
        QVERIFY(pty.plugIn());
        QVERIFY(pty.isPlugged());
        if (hungUp || changed.isEmpty()) {
            QCOMPARE(pty.devicePath(), device);
            QCOMPARE(changed.count(), 0);
        } else {
            // Another program took the freed number meanwhile: the new device is announced.
            QCOMPARE(changed.first().first().toString(), pty.devicePath());
        }
        QVERIFY(serial.open(pty.devicePath(), 38400, 8, 0, 1));
        const QByteArray ask = pcRequest(0x81);
        QCOMPARE(serial.write(reinterpret_cast<const uint8_t*>(ask.constData()), static_cast<int>(ask.size())),
                 static_cast<int>(ask.size()));
        QTRY_VERIFY_WITH_TIMEOUT((sim.poll(), serial.bytesWaiting() > 0), 2000);
        QCOMPARE(sim.requests, 1);
    }

    // The link sees the port vanish, is reopened by its port number (as the window's watchdog
    // does) and identifies the controller again.
    void linkReconnectsUnderTheSamePortNumber()
    {
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.setWireTiming(false);  // the ticks are the test's: the replies come at once
        sim.attach(&pty);
        TSterownik link;
        link.timer()->stop();
        const int number = PortNames::numberForDevice(pty.devicePath());
        QVERIFY(link.PortOpen(number));
        auto runUntil = [&](const std::function<bool()>& done) {
            for (int i = 0; i < 4000; ++i) {
                link.Timer1OnTimer();
                sim.poll();
                if (done()) return true;
            }
            return false;
        };
        auto identifiedAndRead = [&] { return link.mem.identity[38] != 0 && link.readMask == 0 && link.linkMask == 0; };
        QVERIFY(runUntil(identifiedAndRead));

        QVERIFY(pty.unplug());
        QVERIFY(runUntil([&] { return !link.PortConnected(); }));
        QVERIFY(!link.PortOpen(-1));
        QVERIFY(pty.plugIn());
        link.mem.identity.fill(0);
        QVERIFY(link.PortOpen(-1));
        QCOMPARE(link.portNumber, number);
        QVERIFY(runUntil(identifiedAndRead));
        QCOMPARE(link.StrKodKreskowy(), QString::fromLatin1(sim.identity.barCode));
    }

    // The dump holds every region and the run's figures; anything that is not a whole dump is
    // refused with the line at fault.
    void dumpHoldsEveryRegion()
    {
        ControllerSim sim;
        for (uint8_t command : ControllerMemory::kRegionCommands)
            for (int i = 0; i < 256; ++i) sim.region(command)[i] = static_cast<uint8_t>(i * command + 1);
        sim.requests = 12;
        sim.toController.dropped = 3;
        MemoryDump::Contents contents;
        QString error;
        QVERIFY2(MemoryDump::read(sim.dump(), contents, error), qPrintable(error));
        QCOMPARE(contents.regions.size(), size_t(18));
        for (uint8_t command : ControllerMemory::kRegionCommands)
            QCOMPARE(contents.regions[command], QByteArray(reinterpret_cast<const char*>(sim.region(command)), 256));
        QCOMPARE(contents.figures[QStringLiteral("requests")], 12);
        QCOMPARE(contents.figures[QStringLiteral("dropped-to-controller")], 3);
    }

    void damagedDumpIsRefused_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("error");
        QTest::newRow("short region") << QByteArray("region E8 ") << QByteArray("region E8 00") << "512 hex digits";
        QTest::newRow("not hex") << QByteArray("region E9 6464") << QByteArray("region E9 6G64") << "hex digit";
        QTest::newRow("unknown region") << QByteArray("region E0") << QByteArray("region 42") << "unknown region";
        QTest::newRow("twice") << QByteArray("region E1") << QByteArray("region E0") << "named twice";
        QTest::newRow("missing") << QByteArray("region AD") << QByteArray("# AD") << "region AD missing";
        QTest::newRow("unknown line") << QByteArray("figure requests") << QByteArray("figur requests")
                                      << "unknown line";
        QTest::newRow("figure not a number")
            << QByteArray("figure requests 0") << QByteArray("figure requests x") << "takes a number";
    }
    void damagedDumpIsRefused()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, error);
        ControllerSim sim;
        QByteArray text = sim.dump();
        QVERIFY(text.contains(from));
        text.replace(text.indexOf(from), from.size(), to);
        MemoryDump::Contents contents;
        QString why;
        QVERIFY(!MemoryDump::read(text, contents, why));
        QVERIFY2(why.contains(error), qPrintable(why));
    }

    // kavelo-sim writes the dump on SIGUSR1 and again when it is stopped; bad options say why.
    void simulatorDumpsOnSignalAndExit()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("memory.txt"));
        QProcess sim;
        sim.start(QStringLiteral(KAVELO_SIM), {QStringLiteral("controller"), QStringLiteral("--dump-on-exit"), file,
                                               QStringLiteral("--corrupt"), QStringLiteral("0.01")});
        QVERIFY(sim.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), 10000);
        const QString device = QString::fromUtf8(sim.readLine()).section(QLatin1Char('\t'), 0, 0);
        QVERIFY(device.startsWith(QLatin1String("/dev/pts/")));
        QVERIFY(!QFile::exists(file));
        ::kill(static_cast<pid_t>(sim.processId()), SIGUSR1);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(file), 10000);
        QFile::remove(file);
        sim.terminate();
        QVERIFY(sim.waitForFinished(10000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
        QFile dumped(file);
        QVERIFY(dumped.open(QIODevice::ReadOnly));
        MemoryDump::Contents contents;
        QString error;
        QVERIFY2(MemoryDump::read(dumped.readAll(), contents, error), qPrintable(error));
        ControllerMemory fresh;
        QCOMPARE(contents.regions[0xE8], QByteArray(reinterpret_cast<const char*>(fresh.settings()), 256));
        QCOMPARE(contents.figures[QStringLiteral("requests")], 0);

        for (const QStringList& bad : {QStringList{QStringLiteral("--unplug-every"), QStringLiteral("0")},
                                       QStringList{QStringLiteral("--dump-on-exit")}}) {
            QProcess wrong;
            wrong.start(QStringLiteral(KAVELO_SIM), QStringList{QStringLiteral("controller")} + bad);
            QVERIFY(wrong.waitForFinished(10000));
            QCOMPARE(wrong.exitCode(), 2);
            QVERIFY(wrong.readAllStandardError().contains(bad.first().toUtf8()));
        }
    }
};

QTEST_GUILESS_MAIN(TstSimFaults)
#include "tst_sim_faults.moc"
