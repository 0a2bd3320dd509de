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
#include "sim/controller/ControllerSim.h"
#include "sim/pty/PtyPort.h"

struct DialogBench {
    PtyPort pty;
    ControllerSim sim;
    QTemporaryDir dir;
    ScriptedPrompt answers;
    TForm1 form;

    explicit DialogBench(int injectors = 4)
    {
        QVERIFY(programTexts().load());
        sim.identity.version[1] = injectors;
        sim.configure();
        QVERIFY(pty.open());
        sim.attach(&pty);
        pty.setWatching(false);
        const QString path = dir.filePath(QStringLiteral("ZorUDU.conf"));
        form.openPreferences = [path] { return std::make_unique<QSettings>(path, QSettings::IniFormat); };
        form.prompt = &answers;
        form.portOverride = PortNames::numberForDevice(pty.devicePath());
        form.FormCreate();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.FormShow();
        form.Timer1->stop();
        form.Timer2->stop();
        link().timer()->stop();
        QVERIFY(link().PortConnected());
        QVERIFY(settled());
        QVERIFY(editor()->isVisible());
    }
    ~DialogBench() { form.close(); }

    TSterownik& link() { return *form.Sterownik1; }
    TNastawy* editor() { return form.Nastawy; }
    uint8_t* settings() { return link().mem.settingsBlock(); }

    // Link ticks and simulator turns until `done`, at most 40000 of them.
    bool run(const std::function<bool()>& done)
    {
        for (int i = 0; i < 40000 && !done(); ++i) {
            link().Timer1OnTimer();
            sim.poll();
        }
        return done();
    }
    bool settled()
    {
        return run([&] { return link().mem.identity[0] != 0 && link().readMask == 0 && link().writeMask == 0; });
    }

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
