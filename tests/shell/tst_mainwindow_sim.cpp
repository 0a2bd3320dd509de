// The program against the simulated controller on a pseudo-terminal: a setting changed with the
// mouse in the settings editor reaches the controller.
#include <QtCore/QSettings>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>
#include <QtWidgets/QLabel>

#include "link/PortNames.h"
#include "link/Tsterownik.h"
#include "settings/Tnastawy.h"
#include "shell/TextTable.h"
#include "shell/Unitmain.h"
#include "sim/controller/ControllerSim.h"
#include "sim/pty/PtyPort.h"

class TstMainWindowSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void settingChangedInTheEditorReachesTheController()
    {
        QVERIFY(programTexts().load());
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.attach(&pty);
        pty.setWatching(false);

        QTemporaryDir dir;
        ScriptedPrompt answers;
        TForm1 form;
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
        TSterownik& link = *form.Sterownik1;
        link.timer()->stop();
        QVERIFY(link.PortConnected());

        const auto run = [&](const std::function<bool()>& done) {
            for (int i = 0; i < 40000 && !done(); ++i) {
                link.Timer1OnTimer();
                sim.poll();
            }
            return done();
        };
        QVERIFY(run([&] { return link.mem.identity[0] != 0 && link.readMask == 0 && link.writeMask == 0; }));
        QCOMPARE(form.PanelStatus->text().isEmpty(), false);

        // Press the plus button of setting 3 on the Settings page.
        TNastawy* editor = form.Nastawy;
        QVERIFY(editor->isVisible());
        const int i = static_cast<int>(editor->cells().indexOf(3));
        QVERIFY(i >= 0);
        const int column = i % 2, row = i / 2;
        const auto& g = editor->geometry();
        const QPoint plus((g.p(column, 4) + g.p(column, 5)) / 2, editor->cellRect(column, row).center().y());
        const int before = sim.settings()[3];
        QCOMPARE(int(link.mem.settingsBlock()[3]), before);
        QTest::mouseClick(editor, Qt::LeftButton, {}, plus);
        // One step up, kept within the setting's limits by the catalogue.
        const SettingDescriptor& d = editor->catalogue().descriptor(3);
        const int expected = std::clamp(before + 1, int(d.min), int(d.max));
        QCOMPARE(int(link.mem.settingsBlock()[3]), expected);
        QVERIFY(expected != before);
        QVERIFY(link.writeMask & 1);
        QVERIFY(run([&] { return sim.settings()[3] == expected && (link.writeMask & 1) == 0; }));
        form.close();
    }
};

QTEST_MAIN(TstMainWindowSim)
#include "tst_mainwindow_sim.moc"
