#pragma once

// The main window connected to the simulated controller on a pseudo-terminal, with the link's
// ticks driven by the test: the common start of the window's integration tests.
#include <QtTest/QtTest>

#include <functional>

#include "base/TextTable.h"
#include "link/PortNames.h"
#include "sim/controller/ControllerSim.h"
#include "sim/pty/PtyPort.h"
#include "tests/WindowRig.h"

// The pseudo-terminal and the simulator on it, a base of the rig so that they are made before the
// window and outlive it.
struct SimLine {
    PtyPort pty;
    ControllerSim sim;
};

struct WindowSimRig : SimLine, WindowRig {
    // Attaches the simulator (configure it before), starts the window with preferences in a
    // temporary store and stops its timers. `size`: the window's size, empty for the design size;
    // `activate`: wait until the window is active (for keyboard focus).
    void start(QSize size = {}, bool activate = false)
    {
        QVERIFY(programTexts().load());
        QVERIFY(pty.open());
        sim.setWireTiming(false);  // the ticks are the test's: the replies come at once
        sim.attach(&pty);
        pty.setWatching(false);
        form.portOverride = PortNames::numberForDevice(pty.devicePath());
        form.FormCreate();
        if (size.isValid()) form.resize(size);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        if (activate) {
            form.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&form));
        }
        form.FormShow();
        form.Timer1->stop();
        form.Timer2->stop();
        link().timer()->stop();
        QVERIFY(link().PortConnected());
    }

    // Link ticks and simulator turns until `done`, at most `limit` of them.
    bool run(const std::function<bool()>& done, int limit = 40000)
    {
        for (int i = 0; i < limit && !done(); ++i) ticks(1);
        return done();
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i) {
            link().Timer1OnTimer();
            sim.poll();
        }
    }
    // Identified, every read and write done.
    bool settled()
    {
        return run([&] { return link().mem.identity[0] != 0 && link().readMask == 0 && link().writeMask == 0; });
    }
};
