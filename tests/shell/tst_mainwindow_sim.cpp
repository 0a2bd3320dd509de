// The program against the simulated controller on a pseudo-terminal: a setting changed with the
// mouse in the settings editor reaches the controller, and a firmware update started from the
// Device menu runs with its modal progress window until the controller reports the new version.
#include <QtCore/QFile>
#include <QtCore/QSettings>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLabel>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>

#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "dialogs/Unitprog.h"
#include "editor/Tnastawy.h"
#include "link/PortNames.h"
#include "link/Tsterownik.h"
#include "shell/CommandBar.h"
#include "shell/MainMenu.h"
#include "shell/ReadingsPanel.h"
#include "shell/TabRows.h"
#include "shell/Unitmain.h"
#include "shell/WindowDialogs.h"
#include "shell/WorkPages.h"
#include "sim/controller/ControllerSim.h"
#include "sim/controller/FirmwareImage.h"
#include "sim/pty/PtyPort.h"
#include "tests/WindowSimRig.h"
#include "ui/StringGrid.h"

namespace {

// The main window connected to the simulated controller, with the link's ticks driven by the test.
struct Bench : WindowSimRig {
    Bench() { start(); }
};

}  // namespace

class TstMainWindowSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // After connecting, the status panel counts the regions read, then says the controller is
    // read, then goes back to the work state.
    void readProgressInTheStatusPanel()
    {
        Bench b;
        TSterownik& link = b.link();
        QStringList shown;
        const auto note = [&] {
            const QString t = b.form.commands()->PanelStatus()->text();
            if (shown.isEmpty() || shown.last() != t) shown << t;
        };
        QVERIFY(b.run([&] {
            note();
            return link.mem.identity[0] != 0 && !link.bulkReading() && link.readMask == 0;
        }));
        const QString total = QString::number(link.bulkReadTotal());
        QVERIFY(link.bulkReadTotal() > 10);
        QCOMPARE(link.bulkReadTaken(), link.bulkReadTotal());
        const QString reading = TextById(OwnText::ReadingController);
        int last = -1;
        for (const QString& t : shown) {
            for (int k = 0; k <= link.bulkReadTotal(); ++k)
                if (t == reading.arg(k).arg(total)) {
                    QVERIFY2(k >= last, qPrintable(shown.join(QLatin1Char('|'))));  // it only goes up
                    last = k;
                }
        }
        QVERIFY2(last >= 0, qPrintable(shown.join(QLatin1Char('|'))));
        QVERIFY(b.run([&] { return b.form.commands()->PanelStatus()->text() == TextById(OwnText::ControllerRead); }));
        QVERIFY(b.run([&] {
            return b.form.commands()->PanelStatus()->text() == link.StrStanPracy(link.lastLiveFrame().workState(), 1);
        }));
        b.form.close();
    }

    // Unplugged, the readings panel does not keep the last live values: the readings, injection times
    // and LEDs are emptied and a line says where to connect; plugged in again, the values come back.
    void readingsEmptiedWhileThereIsNoLink()
    {
        Bench b;
        ReadingsPanel* r = b.form.readings();
        StringGrid* g = r->StringGridParametry;
        const auto watchdog = [&](int n) {
            for (int i = 0; i < n; ++i) {
                b.form.Timer1Timer();
                b.form.Timer1->stop();
                b.ticks(4);
            }
        };
        const auto valuesShown = [&] {
            int shown = 0;
            for (int k = 0; k < g->rowCount(); ++k) shown += !g->cell(1, k).isEmpty();
            return shown;
        };
        QVERIFY(b.settled());
        watchdog(20);
        QVERIFY(valuesShown() > 3);
        QVERIFY(r->NoLinkHint->isHidden());
        QVERIFY(r->ledsDrawn()[0] >= 0);

        QVERIFY(b.pty.unplug());
        for (int i = 0; i < 200 && r->linkShown(); ++i) watchdog(1);
        QVERIFY(!r->linkShown());
        QCOMPARE(valuesShown(), 0);
        QVERIFY(r->NoLinkHint->isVisible());
        QCOMPARE(r->NoLinkHint->text(), TextById(OwnText::NoLinkHint).arg(TextById(1117), TextById(1118)));
        QCOMPARE(r->ledsDrawn()[0], -1);
        for (int row = 0; row < r->StringGridCzasyWtr->rowCount(); ++row)
            QVERIFY(r->StringGridCzasyWtr->cell(1, row).isEmpty());

        QVERIFY(b.pty.plugIn());
        for (int i = 0; i < 400 && (!r->linkShown() || valuesShown() < 4); ++i) watchdog(1);
        QVERIFY(r->linkShown());
        QVERIFY(r->NoLinkHint->isHidden());
        QVERIFY(valuesShown() > 3);
        b.form.close();
    }

    // The window's first paint, before the controller has said how many injectors it drives, shows no
    // injector rows (the link's stand-in count is 8); once identified, one row per injector of this
    // four-cylinder controller.
    void injectorRowsOnlyOnceTheControllerIsIdentified()
    {
        struct FourCylinders : WindowSimRig {
            FourCylinders()
            {
                sim.identity.version[1] = 4;
                sim.configure();
                start();
            }
        } b;
        ReadingsPanel* r = b.form.readings();
        QCOMPARE(r->StringGridCzasyWtr->rowCount(), 0);
        QVERIFY(r->StringGridCzasyWtr->isHidden());
        b.form.grab();  // the first paint
        QVERIFY(b.run([&] { return b.link().mem.identity[0] != 0; }));
        QCOMPARE(r->StringGridCzasyWtr->rowCount(), 4);
        QVERIFY(r->StringGridCzasyWtr->isVisible());
        QVERIFY(b.settled());
        QCOMPARE(r->StringGridCzasyWtr->rowCount(), 4);
        b.form.close();
    }

    void settingChangedInTheEditorReachesTheController()
    {
        Bench b;
        TSterownik& link = b.link();
        QVERIFY(b.settled());
        QCOMPARE(b.form.commands()->PanelStatus()->text().isEmpty(), false);

        // Press the plus button of setting 3 on the Settings page.
        TNastawy* editor = b.form.pages()->Nastawy();
        QVERIFY(editor->isVisible());
        const int i = static_cast<int>(editor->cells().indexOf(3));
        QVERIFY(i >= 0);
        const int column = i % 2, row = i / 2;
        const auto& g = editor->geometry();
        const QPoint plus((g.p(column, 4) + g.p(column, 5)) / 2, editor->cellRect(column, row).center().y());
        const int before = b.sim.settings()[3];
        QCOMPARE(int(link.mem.settingsBlock()[3]), before);
        QTest::mouseClick(editor, Qt::LeftButton, {}, plus);
        // One step up, kept within the setting's limits by the catalogue.
        const SettingDescriptor& d = editor->catalogue().descriptor(3);
        const int expected = std::clamp(before + 1, int(d.min), int(d.max));
        QCOMPARE(int(link.mem.settingsBlock()[3]), expected);
        QVERIFY(expected != before);
        QVERIFY(link.writeMask & 1);
        QVERIFY(b.run([&] { return b.sim.settings()[3] == expected && (link.writeMask & 1) == 0; }));
        b.form.close();
    }

    // A setting changed in the editor while the plug is out stays on screen; when the controller
    // is back and read, the window asks, and Yes sends the change. Changed again before the
    // settings are read, it is held, said in the status panel, and sent once they are read.
    void editsWithThePlugOutAreAskedAbout()
    {
        Bench b;
        TSterownik& link = b.link();
        QVERIFY(b.settled());
        TNastawy* editor = b.form.pages()->Nastawy();
        const int i = static_cast<int>(editor->cells().indexOf(3));
        QVERIFY(i >= 0);
        const auto& g = editor->geometry();
        const QPoint plus((g.p(i % 2, 4) + g.p(i % 2, 5)) / 2, editor->cellRect(i % 2, i / 2).center().y());
        const SettingDescriptor& d = editor->catalogue().descriptor(3);
        const int before = b.sim.settings()[3];
        const int port = link.portNumber;

        link.PortClose();  // the plug is out
        QTest::mouseClick(editor, Qt::LeftButton, {}, plus);
        const int edited = std::clamp(before + 1, int(d.min), int(d.max));
        QVERIFY(edited != before);
        QCOMPARE(int(link.mem.settingsBlock()[3]), edited);
        QCOMPARE(link.unsentEditsMask(), 0x1u);

        b.answers.yesNoAnswers = {true};
        QVERIFY(link.PortOpen(port));
        // The question comes once the settings are read; the box runs after the link's tick.
        QVERIFY(b.run([&] {
            QCoreApplication::processEvents();
            return !b.answers.questions.isEmpty();
        }));
        const QString asked = b.answers.questions.first();
        QVERIFY2(asked.contains(TextById(OwnText::UnsentEdits).arg(TextById(OwnText::RegionSettings))),
                 qPrintable(asked));
        QVERIFY(!asked.contains(TextById(OwnText::UnsentForOther)));  // the same controller
        QVERIFY(b.run([&] { return b.sim.settings()[3] == edited && link.writeMask == 0 && link.readMask == 0; }));

        // Plugged in again and changed before the settings are read: held, shown, then sent.
        link.PortClose();
        QVERIFY(link.PortOpen(port));
        QVERIFY(b.run([&] { return link.bulkReading() && (link.readMask & 0x1); }));
        QTest::mouseClick(editor, Qt::LeftButton, {}, plus);
        const int again = std::clamp(edited + 1, int(d.min), int(d.max));
        QCOMPARE(link.heldEditsMask(), 0x1u);
        QVERIFY(b.run([&] {
            return b.form.commands()->PanelStatus()->text() ==
                   TextById(OwnText::EditsHeld).arg(TextById(OwnText::RegionSettings));
        }));
        QVERIFY(b.run([&] { return b.sim.settings()[3] == again && link.heldEditsMask() == 0; }));
        QCOMPARE(b.answers.questions.size(), 1);
        b.form.close();
    }

    // A calibration that starts a phase over says why on the Calibration tab, in the window's
    // language: here the controller goes over to gas while the petrol time is being measured.
    // Stopping the calibration takes the text away.
    void calibrationRestartSaysWhy()
    {
        Bench b;
        TSterownik& link = b.link();
        QVERIFY(b.settled());
        QTest::keyClick(&b.form, Qt::Key_F2);
        QCOMPARE(b.form.pages()->topTab(), int(TabRows::Calibration));
        CommandBar* bar = b.form.commands();
        QTest::mouseClick(bar->button(CommandBar::kMainButton), Qt::LeftButton);
        QVERIFY(link.liveRequestHeld(kLiveRequestCalibration));
        QVERIFY(b.run([&] { return link.kal.state == 82 || link.kal.state == 18; }));
        QCOMPARE(bar->calibrationNote(), QString());
        b.sim.engine.quickFuelChange();
        const QString why = TextById(OwnText::CalibrationRestartLeftPetrol);
        QVERIFY(b.run([&] { return bar->calibrationNote() == why; }, 400));
        QVERIFY(bar->ProgressBar1()->isVisible());
        QVERIFY(bar->ProgressBar1()->isTextVisible());
        QCOMPARE(bar->ProgressBar1()->text(), why);
        // The text stays while the calibration goes on.
        b.ticks(40);
        QCOMPARE(bar->ProgressBar1()->text(), why);

        b.answers.yesNoAnswers = {true};  // keep what it set so far
        QTest::mouseClick(bar->button(CommandBar::kMainButton), Qt::LeftButton);
        QVERIFY(!link.liveRequestHeld(kLiveRequestCalibration));
        QCOMPARE(bar->calibrationNote(), QString());
        b.form.close();
    }

    void firmwareUpdateFromTheDeviceMenu()
    {
        Bench b;
        TSterownik& link = b.link();
        QVERIFY(b.settled());
        const int date[3] = {26, 3, 14};
        QFile image(b.dir.filePath(QStringLiteral("new.img")));
        QVERIFY(image.open(QIODevice::WriteOnly));
        image.write(FirmwareImage::make(b.sim.identity, 3, 9, date));
        image.close();
        b.answers.fileAnswers << image.fileName();

        // The menu item blocks in the progress window's modal loop; the transfer runs inside it.
        TFormProg* prog = b.form.dialogs()->FormProg();
        bool shownModally = false, stillOpenAt223 = false, closedAt224 = false;
        QString caption, text, percentMidway;
        QSize client;
        QTimer::singleShot(0, &b.form, [&] {
            shownModally = QApplication::activeModalWidget() == prog;
            caption = prog->windowTitle();
            text = prog->Label1->text();
            client = prog->size();
            QVERIFY(b.run([&] { return link.firmwareBlock >= 112; }));
            percentMidway = prog->Label2->text();
            QVERIFY(b.run([&] { return link.firmwareBlock >= 223; }));
            stillOpenAt223 = prog->isVisible();
            QVERIFY(b.run([&] { return link.firmwareBlock == 224; }));
            closedAt224 = !prog->isVisible();
            if (prog->isVisible()) prog->reject();  // never leave the test stuck in the modal loop
        });
        b.form.menus()->MenuFileFirmware()->trigger();

        QCOMPARE(b.answers.dialogs.size(), 1);
        QVERIFY(b.answers.messages.isEmpty());
        QVERIFY(shownModally);
        QCOMPARE(caption, QStringLiteral("KAVELO - ") + TForm1::TextById(1360));
        QCOMPARE(text, TForm1::TextById(1361));
        QCOMPARE(client, QSize(640, 200));
        QCOMPARE(percentMidway, QStringLiteral("50%"));
        QVERIFY(stillOpenAt223);
        QVERIFY(closedAt224);
        QCOMPARE(prog->ProgressBar1->value(), 100);
        QCOMPARE(prog->Label2->text(), QStringLiteral("100%"));
        // Back from the bootloader, the controller reports the version it was given.
        QVERIFY(b.run([&] { return b.sim.mode == 0 && link.mem.identity[5] == 0 && link.mem.identity[60] == 9; }));
        QCOMPARE(b.sim.firmware.size(), FirmwareImage::kBlocks * FirmwareImage::kBlockSize);
        b.form.close();
    }
};

QTEST_MAIN(TstMainWindowSim)
#include "tst_mainwindow_sim.moc"
