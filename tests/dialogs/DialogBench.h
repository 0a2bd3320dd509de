#pragma once

// The main window connected to the simulated controller on a pseudo-terminal, with the link's
// ticks driven by the test, and the places on the settings editor that open the dialogs.
#include <QtCore/QSettings>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#include "base/Prompt.h"
#include "base/TextTable.h"
#include "editor/Tnastawy.h"
#include "link/PortNames.h"
#include "link/Tsterownik.h"
#include "settings/SettingsPages.h"
#include "shell/Unitmain.h"
#include "shell/WorkPages.h"
#include "sim/controller/ControllerSim.h"
#include "sim/pty/PtyPort.h"
#include "tests/WindowSimRig.h"

struct DialogBench : WindowSimRig {
    explicit DialogBench(int injectors = 4)
    {
        sim.identity.version[1] = injectors;
        sim.configure();
        start();
        QVERIFY(settled());
        QVERIFY(editor()->isVisible());
    }
    ~DialogBench() { form.close(); }

    TNastawy* editor() { return form.pages()->Nastawy(); }
    uint8_t* settings() { return link().mem.settingsBlock(); }

    // Column and row of the editor cell holding `code`.
    QPoint cell(int code)
    {
        const int i = static_cast<int>(editor()->cells().indexOf(code));
        if (i < 0) return {-1, -1};
        return {i % 2, i / 2};
    }
    // Clicks the detail button of setting `index`.
    void clickDetail(int index)
    {
        const QPoint c = cell(index);
        QVERIFY(c.x() >= 0);
        const auto& g = editor()->geometry();
        const QPoint at((g.p(c.x(), 6) + g.p(c.x(), 7)) / 2, editor()->cellRect(c.x(), c.y()).center().y());
        QTest::mouseClick(editor(), Qt::LeftButton, {}, at);
    }
    // Clicks the injectors cell: its left part (corrections) or its right part (calculator).
    void clickInjectorsCell(bool calculator)
    {
        const QPoint c = cell(SettingsPages::kInjectorCorrections);
        QVERIFY(c.x() >= 0);
        const auto& g = editor()->geometry();
        const int x = calculator ? g.p(c.x(), 2) + 10 : g.p(c.x(), 2) - 10;
        QTest::mouseClick(editor(), Qt::LeftButton, {}, QPoint(x, editor()->cellRect(c.x(), c.y()).center().y()));
    }
};
