// The simulated wire: bytes cross the pseudo-terminal at the line's 38400 baud (ten bits a byte)
// unless the simulator is told otherwise, and the controller link on its own timer against it: the
// bulk read back to back with live frames between the reads, then a live request every four ticks.
#include <QtCore/QProcess>
#include <QtTest/QtTest>

#include <memory>

#include "link/FrameCodec.h"
#include "link/PortNames.h"
#include "link/QtSerialBackend.h"
#include "link/Tsterownik.h"
#include "sim/controller/ControllerSim.h"
#include "sim/elm/ElmSimulator.h"
#include "sim/pty/PtyPort.h"
#include "sim/pty/WireClock.h"
#include "tests/SimLine.h"

namespace {

// The simulated controller on a pseudo-terminal, in this process or as kavelo-sim.
struct Controller {
    PtyPort pty;
    ControllerSim sim;
    QProcess program;
    QString device;

    bool start(bool asProgram, bool wire)
    {
        if (!asProgram) {
            if (!pty.open()) return false;
            sim.setWireTiming(wire);
            sim.attach(&pty);
            device = pty.devicePath();
            return true;
        }
        QStringList args{QStringLiteral("controller")};
        if (!wire) args << QStringLiteral("--no-wire-timing");
        program.start(QStringLiteral(KAVELO_SIM), args);
        if (!program.waitForStarted()) return false;
        QElapsedTimer t;
        t.start();
        while (!program.canReadLine() && t.elapsed() < 10000) program.waitForReadyRead(100);
        device = QString::fromUtf8(program.readLine()).section(QLatin1Char('\t'), 0, 0).trimmed();
        return !device.isEmpty();
    }
    ~Controller()
    {
        if (program.state() == QProcess::NotRunning) return;
        program.terminate();
        program.waitForFinished(5000);
    }
};

}  // namespace

class TstWireTiming : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Thirty settings reads asked at once: 7860 reply bytes take at least their time on the line
    // (2.05 s at 38400 baud) and, as the pace is kept by a clock, not much more; told not to
    // time the wire, the simulator answers them at once.
    void repliesCrossAtTheLinesSpeed_data()
    {
        QTest::addColumn<bool>("asProgram");
        QTest::addColumn<bool>("wire");
        QTest::newRow("simulator, wire") << false << true;
        QTest::newRow("simulator, no wire") << false << false;
        QTest::newRow("kavelo-sim, wire") << true << true;
        QTest::newRow("kavelo-sim --no-wire-timing") << true << false;
    }
    void repliesCrossAtTheLinesSpeed()
    {
        QFETCH(bool, asProgram);
        QFETCH(bool, wire);
        Controller controller;
        QVERIFY(controller.start(asProgram, wire));
        QtSerialBackend serial;
        QVERIFY(serial.open(controller.device, 38400, 8, 0, 1));

        constexpr int kReads = 30, kReply = 262;
        QByteArray batch;
        for (int i = 0; i < kReads; ++i) batch += pcRequest(0xE8);
        QElapsedTimer t;
        t.start();
        QCOMPARE(serial.write(reinterpret_cast<const uint8_t*>(batch.constData()), static_cast<int>(batch.size())),
                 static_cast<int>(batch.size()));
        QByteArray replies;
        while (replies.size() < kReads * kReply && t.elapsed() < 20000) {
            QTest::qWait(5);
            const int n = serial.bytesWaiting();
            if (n <= 0) continue;
            QByteArray chunk(n, '\0');
            const int got = serial.read(reinterpret_cast<uint8_t*>(chunk.data()), n);
            replies += chunk.left(std::max(got, 0));
        }
        const qint64 ms = t.elapsed();
        QCOMPARE(replies.size(), kReads * kReply);
        for (int i = 0; i < kReads; ++i) {
            QByteArray frame = replies.mid(i * kReply, kReply);
            FrameCodec::unscramble(reinterpret_cast<uint8_t*>(frame.data()), kReply);
            QCOMPARE(int(uint8_t(frame[3])), 0xE8);
            QCOMPARE(int(FrameCodec::byteSum(reinterpret_cast<const uint8_t*>(frame.constData()), kReply)), 0);
        }
        const qint64 lineMs = WireClock::nanosFor(kReads * kReply) / 1'000'000;
        if (wire) {
            QVERIFY2(ms >= lineMs && ms < 2 * lineMs, qPrintable(QString::number(ms)));
        } else {
            QVERIFY2(ms < lineMs / 2, qPrintable(QString::number(ms)));
        }
    }

    // What the program sends crosses the line at its speed too: a settings write (262 bytes) is
    // taken by the controller no sooner than its last byte has crossed.
    void requestsCrossAtTheLinesSpeed_data()
    {
        QTest::addColumn<bool>("wire");
        QTest::newRow("wire") << true;
        QTest::newRow("no wire") << false;
    }
    void requestsCrossAtTheLinesSpeed()
    {
        QFETCH(bool, wire);
        Controller controller;
        QVERIFY(controller.start(false, wire));
        QtSerialBackend serial;
        QVERIFY(serial.open(controller.device, 38400, 8, 0, 1));
        uint8_t frame[FrameCodec::kBufferSize] = {};
        const int total = FrameCodec::buildFrame(frame, FrameCodec::kStartPc, 0xF8, 258);
        FrameCodec::scramble(frame, total);
        QSignalSpy handled(&controller.sim, &ControllerSim::requestHandled);
        QElapsedTimer t;
        t.start();
        QCOMPARE(serial.write(frame, total), total);
        QTRY_COMPARE_WITH_TIMEOUT(handled.count(), 1, 5000);
        const qint64 ms = t.elapsed();
        QCOMPARE(handled.first().first().value<uint8_t>(), uint8_t(0xF8));
        const qint64 lineMs = WireClock::nanosFor(total) / 1'000'000;
        if (wire) QVERIFY2(ms >= lineMs, qPrintable(QString::number(ms)));
        QCOMPARE(controller.sim.requests, 1);
    }

    void elmOption()
    {
        ElmSimulator elm;
        QVERIFY(elm.wireTiming());
        QString error;
        QVERIFY(elm.configure({QStringLiteral("--no-wire-timing")}, error));
        QVERIFY(!elm.wireTiming());
        QVERIFY(elm.configure({}, error));
        QVERIFY(elm.wireTiming());
    }

    // The link on its own 25 ms timer against the controller at the line's speed, counted in its
    // ticks: the whole controller read (every region twice, in table order) within 240 ticks, at
    // most three reads without a live request between them, and afterwards a live request every
    // four ticks.
    void linkOnItsOwnTimer()
    {
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.engine.stopEngine();  // no learned cells: every second read agrees with the first
        sim.attach(&pty);
        QVERIFY(sim.wireTiming());
        TSterownik link;
        int tick = 0;
        connect(link.timer(), &QTimer::timeout, this, [&] { ++tick; });
        QList<std::pair<int, int>> sent;  // command, tick
        link.OnZdarzenie = [&](int kind, int code, int, int) {
            if (kind == kEventFrameSent) sent.append({code, tick});
        };
        QVERIFY(link.PortOpen(PortNames::numberForDevice(pty.devicePath())));
        auto complete = [&] {
            return link.mem.identity[0] != 0 && link.readMask == 0 && link.linkMask == 0 && !link.bulkReading();
        };
        QTRY_VERIFY_WITH_TIMEOUT(complete(), 30000);
        const int done = tick;
        QVERIFY2(done <= 240, qPrintable(QString::number(done)));
        QTRY_VERIFY_WITH_TIMEOUT(tick >= done + 100, 30000);

        const auto isLive = [](int c) { return c >= 0x90 && c <= 0x9F; };
        QList<int> reads;
        int inARow = 0;
        QList<int> liveAfter;
        for (const auto& [command, at] : sent) {
            if (at > done) {
                if (isLive(command)) liveAfter.append(at);
                continue;
            }
            if (command == 0x81) continue;  // asked until the controller answers
            inARow = isLive(command) ? 0 : inARow + 1;
            QVERIFY2(inARow <= 3, qPrintable(QStringLiteral("tick %1").arg(at)));
            if (!isLive(command)) reads.append(command);
        }
        QList<int> expected = {0x82};
        for (int c : {0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xA7, 0xA8, 0xA9, 0xAA})
            expected << c << c;
        QCOMPARE(reads, expected);
        // Every frame after the read is a live request; most four ticks apart, none late by more
        // than a slot (a tick the machine was too busy for).
        QCOMPARE(liveAfter.size(),
                 int(std::count_if(sent.begin(), sent.end(), [&](const auto& s) { return s.second > done; })));
        int even = 0;
        for (int i = 1; i < liveAfter.size(); ++i) {
            const int gap = liveAfter[i] - liveAfter[i - 1];
            QVERIFY2(gap >= 4 && gap <= 8, qPrintable(QString::number(gap)));
            even += gap == 4;
        }
        QVERIFY2(even * 5 >= (liveAfter.size() - 1) * 4, qPrintable(QString::number(even)));
    }
};

QTEST_GUILESS_MAIN(TstWireTiming)
#include "tst_wire_timing.moc"
