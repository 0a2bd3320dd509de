// The workshop session against the simulated controller on a pseudo-terminal: the reconnect
// watchdog (driven tick by tick), the one rule of a live link, and the clean-up after a stopped
// calibration fed from the link's live replies.
#include <QtTest/QSignalSpy>
#include <QtTest/QtTest>

#include <functional>
#include <memory>

#include "base/TextTable.h"
#include "link/LoopbackBackend.h"
#include "link/PortNames.h"
#include "session/WorkshopSession.h"
#include "sim/controller/ControllerSim.h"
#include "sim/pty/PtyPort.h"

namespace {

// A session whose link's port names the simulated controller's pseudo-terminal; nothing is open
// yet and no timer runs: the test ticks the link, the simulator and the watchdog itself.
struct SessionRig {
    PtyPort pty;
    ControllerSim sim;
    WorkshopSession session;
    TSterownik& link = session.link();
    QSignalSpy alive{&session, &WorkshopSession::aliveChanged};
    QSignalSpy lost{&session, &WorkshopSession::portLost};
    QSignalSpy reopened{&session, &WorkshopSession::reopenTried};

    bool start()
    {
        if (!pty.open()) return false;
        sim.setWireTiming(false);  // the ticks are the test's: the replies come at once
        sim.attach(&pty);
        pty.setWatching(false);
        link.timer()->stop();
        session.obd().PortClose();
        link.portNumber = PortNames::numberForDevice(pty.devicePath());
        return link.portNumber > 0;
    }
    // Link ticks and simulator turns until `done`, at most `limit` of them.
    bool run(const std::function<bool()>& done, int limit = 4000)
    {
        for (int i = 0; i < limit && !done(); ++i) {
            link.Timer1OnTimer();
            sim.poll();
        }
        return done();
    }
    // `n` watchdog ticks; the number of them that tried to reopen the port.
    int watchdog(int n)
    {
        const qsizetype before = reopened.size();
        for (int i = 0; i < n; ++i) session.watchdogTick();
        return int(reopened.size() - before);
    }
    // The controller identified itself since the port was (re)opened.
    bool identified()
    {
        return run([&] {
            return !link.justOpened && link.mem.identity[0] != 0 && link.linkMask == 0 && link.unanswered == 0;
        });
    }
};

}  // namespace

class TstWorkshopSession : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(programTexts().load()); }

    // The one rule of a live link: the port open and no more than 10 requests in a row unanswered.
    // The link refuses writes by it, and the session's watchdog reports it.
    void aliveRule_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("unanswered");
        QTest::addColumn<bool>("alive");
        QTest::newRow("open, answering") << true << 0 << true;
        QTest::newRow("open, 10 unanswered") << true << 10 << true;
        QTest::newRow("open, 11 unanswered") << true << 11 << false;
        QTest::newRow("open, silent for long") << true << 255 << false;
        QTest::newRow("closed, answering") << false << 0 << false;
    }
    void aliveRule()
    {
        QFETCH(bool, open);
        QFETCH(int, unanswered);
        QFETCH(bool, alive);
        WorkshopSession session;
        TSterownik& link = session.link();
        link.timer()->stop();
        link.setBackend(std::make_unique<LoopbackBackend>());
        QSignalSpy changes(&session, &WorkshopSession::aliveChanged);
        session.reconnect = false;
        if (open) QVERIFY(session.openPort(1));
        link.unanswered = unanswered;

        QCOMPARE(link.alive(), alive);
        session.watchdogTick();
        QCOMPARE(session.linkAlive(), alive);
        QCOMPARE(changes.size(), alive ? 1 : 0);  // the session starts out not alive
        // Writes wait for a live link.
        link.ZapiszDoSterownika(0x1000);
        QCOMPARE(link.writeMask, alive ? 0x1000u : 0u);
    }

    // A closed port is opened on the watchdog tick that completes a second, not before; the link
    // is reported alive once the controller answers, and a port that went away is reported lost and
    // opened again on the next full second once the device is back.
    void lostPortIsReopenedOnTheSecond()
    {
        SessionRig r;
        QVERIFY(r.start());
        QCOMPARE(r.watchdog(WorkshopSession::kTicksPerSecond - 1), 0);
        QVERIFY(!r.link.PortConnected());
        QCOMPARE(r.watchdog(1), 1);
        QCOMPARE(r.reopened.last().at(0).toBool(), true);
        QVERIFY(r.link.PortConnected());
        QVERIFY(r.alive.isEmpty());  // the tick that reopened it saw it closed

        QVERIFY(r.identified());
        QCOMPARE(r.watchdog(1), 0);
        QCOMPARE(r.alive.size(), 1);
        QCOMPARE(r.alive.last().at(0).toBool(), true);
        QVERIFY(r.session.linkAlive());

        // Unplugged: the link sees the device gone, the next tick reports it; opening fails while
        // the device is away and is tried once a second only.
        QVERIFY(r.pty.unplug());
        QVERIFY(r.run([&] { return !r.link.PortConnected(); }, 400));
        QCOMPARE(r.watchdog(1), 0);
        QCOMPARE(r.lost.size(), 1);
        QCOMPARE(r.alive.last().at(0).toBool(), false);
        // Two ticks of this second have passed: the tenth comes seven ticks later.
        QCOMPARE(r.watchdog(WorkshopSession::kTicksPerSecond - 3), 0);
        QCOMPARE(r.watchdog(1), 1);
        QCOMPARE(r.reopened.last().at(0).toBool(), false);
        QCOMPARE(r.watchdog(WorkshopSession::kTicksPerSecond - 1), 0);

        QVERIFY(r.pty.plugIn());
        QCOMPARE(r.watchdog(1), 1);
        QCOMPARE(r.reopened.last().at(0).toBool(), true);
        QVERIFY(r.identified());
        r.watchdog(1);
        QVERIFY(r.session.linkAlive());
        QCOMPARE(r.lost.size(), 1);
    }

    // A controller that stops answering is not alive although its port is open: after more than
    // 10 unanswered requests the watchdog reports it and opens the port again once a second.
    // With reconnecting off (the fitter disconnected) nothing is reopened.
    void silentControllerIsNotAlive()
    {
        SessionRig r;
        QVERIFY(r.start());
        QVERIFY(r.session.openPort(-1));
        QVERIFY(r.identified());
        r.watchdog(1);
        QVERIFY(r.session.linkAlive());

        r.sim.faults.silent = true;
        QVERIFY(r.run([&] { return r.link.unanswered == 10; }, 2000));
        r.watchdog(1);
        QVERIFY(r.session.linkAlive());
        QVERIFY(r.run([&] { return r.link.unanswered == 11; }, 400));
        QVERIFY(r.link.PortConnected());
        const int ticksIntoSecond = 2;  // the two ticks above
        r.session.reconnect = false;
        QCOMPARE(r.watchdog(3 * WorkshopSession::kTicksPerSecond), 0);
        QVERIFY(!r.session.linkAlive());
        QCOMPARE(r.alive.last().at(0).toBool(), false);
        QVERIFY(r.lost.isEmpty());

        r.session.reconnect = true;
        QCOMPARE(r.watchdog(WorkshopSession::kTicksPerSecond - ticksIntoSecond - 1), 0);
        QCOMPARE(r.watchdog(1), 1);
        QCOMPARE(r.reopened.last().at(0).toBool(), true);
        r.sim.faults.silent = false;
        QVERIFY(r.identified());
        r.watchdog(1);
        QVERIFY(r.session.linkAlive());
    }

    // A calibration stopped by the fitter starts the session's clean-up, which follows the live
    // replies until the controller is on petrol with every gas injector of the installation on.
    void stoppedCalibrationIsCleanedUp()
    {
        SessionRig r;
        QVERIFY(r.start());
        QVERIFY(r.session.openPort(-1));
        QVERIFY(
            r.run([&] { return r.link.mem.identity[0] != 0 && r.link.readMask == 0 && r.link.writeMask == 0; }, 40000));
        QList<int> reports;
        QList<int> liveReplies;
        r.session.OnZdarzenie = [&](int kind, int code, int, int) {
            if (kind == kEventCalibration) reports.append(code);
            // Whoever builds on the session sees every live reply, before the clean-up takes it.
            if (kind == kEventFrameReceived && code >= 0x90 && code <= 0x9F) liveReplies.append(code);
        };
        r.session.StartStopCalibration();
        QVERIFY(r.link.liveRequestBits() & 1);
        r.run([] { return false; }, 400);
        // Halfway: the controller has been sent to gas and some injectors are off.
        r.sim.engine.automaticFuelChange();
        r.sim.engine.setEnabledInjectors(0x01);
        r.run([] { return false; }, 80);
        const uint8_t all = static_cast<uint8_t>(~r.link.mem.settings[31]);
        QVERIFY(r.sim.engine.fuel() != EngineModel::Petrol || r.sim.engine.enabledInjectors() != (all & 0x0F));

        r.session.StartStopCalibration();
        QCOMPARE(reports.last(), 5);
        QVERIFY(r.session.RestoringAfterCalibration());
        liveReplies.clear();
        QVERIFY(r.run([&] { return !r.session.RestoringAfterCalibration(); }, 40000));
        QVERIFY(!liveReplies.isEmpty());
        QVERIFY(r.session.petrolRestore().Restored());
        QCOMPARE(int(r.sim.engine.fuel()), int(EngineModel::Petrol));
        QCOMPARE(int(r.sim.engine.enabledInjectors()), int(all & 0x0F));

        // A new calibration takes over from a clean-up still running.
        r.session.StartStopCalibration();
        r.run([] { return false; }, 200);
        r.session.StartStopCalibration();
        QVERIFY(r.session.RestoringAfterCalibration());
        r.session.StartStopCalibration();
        QVERIFY(!r.session.RestoringAfterCalibration());
        QVERIFY(r.link.liveRequestBits() & 1);
    }

    // A calibration stopped half-way names the settings it has changed so far; going back writes
    // the settings from before it, keeping leaves the controller as the calibration left it.
    void stoppedCalibrationCanGoBack_data()
    {
        QTest::addColumn<bool>("goBack");
        QTest::newRow("keep") << false;
        QTest::newRow("go back") << true;
    }
    void stoppedCalibrationCanGoBack()
    {
        QFETCH(bool, goBack);
        SessionRig r;
        QVERIFY(r.start());
        QVERIFY(r.session.openPort(-1));
        QVERIFY(
            r.run([&] { return r.link.mem.identity[0] != 0 && r.link.readMask == 0 && r.link.writeMask == 0; }, 40000));
        const auto before = r.link.mem.settings;
        auto changedSoFar = [&] {
            for (int i = 1; i < 256; ++i)
                if (r.link.mem.settings[static_cast<size_t>(i)] != before[static_cast<size_t>(i)]) return true;
            return false;
        };
        r.session.StartStopCalibration();
        QVERIFY(r.run(changedSoFar, 40000));
        QVERIFY(r.session.calibrationChanges().isEmpty());  // still running
        r.session.StartStopCalibration();
        const QList<int> changes = r.session.calibrationChanges();
        QVERIFY(!changes.isEmpty());
        for (int index : changes) QVERIFY(r.link.mem.settings[static_cast<size_t>(index)] != before[index]);
        const auto calibrated = r.link.mem.settings;
        if (goBack) r.session.revertCalibration();
        QVERIFY(r.session.calibrationChanges().isEmpty() || !goBack);
        QVERIFY(r.run(
            [&] {
                return r.link.writeMask == 0 && r.link.readMask == 0 &&
                       !r.link.commandPending(TSterownik::CmdSettingsWrite) && !r.session.RestoringAfterCalibration();
            },
            40000));
        const auto& expected = goBack ? before : calibrated;
        for (int index : changes) QCOMPARE(int(r.sim.settings()[index]), int(expected[static_cast<size_t>(index)]));
    }
};

QTEST_GUILESS_MAIN(TstWorkshopSession)
#include "tst_workshop_session.moc"
