// The program with both ports given for the session, against the simulated controller and the
// simulated ELM327 adapter on pseudo-terminals: the OBD reader inside the main window finds the
// protocol, reads and clears the car's codes through the window's buttons, polls its PIDs and
// hands the fuel snapshot to the controller; a gas injector switched in the window reaches the
// controller. Also the reader's 0101 status decode, as a table.
#include <QtCore/QElapsedTimer>
#include <QtCore/QSettings>
#include <QtCore/QTemporaryDir>
#include <QtCore/QThread>
#include <QtTest/QtTest>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTextEdit>
#include <QtWidgets/QToolButton>

#include "base/TextTable.h"
#include "link/PortNames.h"
#include "link/Tsterownik.h"
#include "obd/Telmobd.h"
#include "shell/Unitmain.h"
#include "sim/controller/ControllerSim.h"
#include "sim/elm/ElmSimulator.h"
#include "sim/pty/PtyPort.h"
#include "ui/StringGrid.h"

namespace {

// The window started as `kavelo --port CTL --elm-port ELM`, its timers driven by the test.
struct Bench {
    PtyPort pty;
    ControllerSim sim;
    ElmSimulator elm;
    QTemporaryDir dir;
    ScriptedPrompt answers;
    TForm1 form;

    Bench()
    {
        QVERIFY(pty.open());
        sim.setWireTiming(false);  // the ticks are the test's: the replies come at once
        sim.attach(&pty);
        pty.setWatching(false);
        QString error;
        QVERIFY(elm.configure(
            {QStringLiteral("--stored"), QStringLiteral("P0171,P0300"), QStringLiteral("--no-wire-timing")}, error));
        QVERIFY(elm.open());
        const QString path = dir.filePath(QStringLiteral("ZorUDU.conf"));
        form.openPreferences = [path] { return std::make_unique<QSettings>(path, QSettings::IniFormat); };
        form.prompt = &answers;
        form.portOverride = PortNames::numberForDevice(pty.devicePath());
        form.elmPortOverride = PortNames::numberForDevice(elm.devicePath());
        obd().timer()->stop();
        form.FormCreate();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.FormShow();
        form.Timer1->stop();
        form.Timer2->stop();
        link().timer()->stop();
        QVERIFY(link().PortConnected());
        QVERIFY(obd().PortConnected());  // opened at start-up because it was named
        obd().OnTimer0();                // the reader's first tick lays out its panels
        obd().timer()->stop();
    }
    TSterownik& link() { return *form.Sterownik1; }
    TObd& obd() { return *form.ObdPort; }

    // One reader tick and its adapter's answer (waiting, in real time, only for the bytes to cross
    // the pseudo-terminal), then a few controller link ticks and the controller's answers.
    void tick()
    {
        const int sent = obd().sentCount;
        obd().OnTimer1();
        if (obd().sentCount != sent) {
            const qsizetype before = elm.received.size();
            QElapsedTimer clock;
            clock.start();
            int written = elm.poll();
            while (elm.received.size() == before && clock.elapsed() < 2000) {
                QThread::usleep(100);
                written += elm.poll();
            }
            clock.restart();
            while (written > 0 && obd().PortInQueCount() <= 0 && clock.elapsed() < 2000) QThread::usleep(100);
        }
        for (int i = 0; i < 4; ++i) {
            link().Timer1OnTimer();
            sim.poll();
        }
    }
    bool run(const std::function<bool()>& done, int limit = 4000)
    {
        for (int i = 0; i < limit && !done(); ++i) tick();
        return done();
    }
    QPushButton* command(int tag)
    {
        for (int i = 0; i < 4; ++i)
            if (form.commandTags[i] == tag && form.cmd[i]->isVisible()) return form.cmd[i];
        return nullptr;
    }
    QString status(int row) const { return form.StringGridElm->cell(1, row); }
};

}  // namespace

class TstObdWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(programTexts().load()); }

    void status0101_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("read");
        QTest::addColumn<uint>("value");
        QTest::newRow("CAN with headers") << QByteArray("7E8 06 41 01 83 07 65 04 \r\r>") << true << 0x83076504u;
        QTest::newRow("echo first") << QByteArray("0101\r7E8 06 41 01 00 07 65 04 \r\r>") << true << 0x00076504u;
        QTest::newRow("padding after the four bytes")
            << QByteArray("7E8 06 41 01 83 07 65 04 55 55\r>") << true << 0x83076504u;
        QTest::newRow("without headers") << QByteArray("41 01 81 07 E5 00\r\r>") << true << 0x8107E500u;
        QTest::newRow("first computer answers, second follows")
            << QByteArray("7E8 06 41 01 82 07 65 04 \r7E9 06 41 01 00 00 00 00 \r>") << true << 0x82076504u;
        QTest::newRow("short line runs into the next header")
            << QByteArray("48 6B 10 41 01 83\r48 6B 18 41 01 00 07 65 04\r>") << false << 0u;
        QTest::newRow("line ends at the reply's end") << QByteArray("41 01 83 07") << false << 0u;
        QTest::newRow("no data") << QByteArray("NO DATA\r\r>") << false << 0u;
        QTest::newRow("not hexadecimal") << QByteArray("41 01 8G 07 65 04\r>") << false << 0u;
        QTest::newRow("empty") << QByteArray() << false << 0u;
    }
    void status0101()
    {
        QFETCH(QByteArray, reply);
        uint32_t value = 0;
        const bool read = TObd::StatusValue0101(reply, value);
        QTEST(read, "read");
        if (read) QTEST(uint(value), "value");
    }

    void shortStatusLineShowsDashes()
    {
        TObd obd;
        obd.timer()->stop();
        for (QString& s : obd.panels.status) s = QStringLiteral("old");
        obd.reply = "48 6B 10 41 01 83\r48 6B 18 41 01 00 07 65 04\r>";
        obd.StatusDteMil();
        QCOMPARE(obd.panels.status[ObdPanels::RowDtc], QStringLiteral("-"));
        QCOMPARE(obd.panels.status[ObdPanels::RowMil], QStringLiteral("-"));
        QCOMPARE(obd.panels.status[ObdPanels::RowEcu], QStringLiteral("old"));
    }

    void elmPortStaysClosedWithoutTheOption()
    {
        PtyPort pty, elmPty;
        QVERIFY(pty.open());
        QVERIFY(elmPty.open());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ZorUDU.conf"));
        {
            QSettings seed(path, QSettings::IniFormat);
            seed.setValue(QStringLiteral("Comm"), 1);
            seed.setValue(QStringLiteral("ElmComm"), PortNames::numberForDevice(elmPty.devicePath()));
        }
        ScriptedPrompt answers;
        TForm1 form;
        form.openPreferences = [path] { return std::make_unique<QSettings>(path, QSettings::IniFormat); };
        form.prompt = &answers;
        form.portOverride = PortNames::numberForDevice(pty.devicePath());
        form.FormCreate();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.FormShow();
        form.Timer1->stop();
        form.Timer2->stop();
        QCOMPARE(form.ObdPort->portNumber, PortNames::numberForDevice(elmPty.devicePath()));
        QVERIFY(!form.ObdPort->PortConnected());  // remembered, opened only on the fitter's command
        form.row1[5]->setChecked(true);
        form.SpeedButton1Click(5);
        QTest::mouseClick(form.cmd[3], Qt::LeftButton);  // "Connect", tag 390
        QCOMPARE(form.commandTags[3], 390);
        QVERIFY(form.ObdPort->PortConnected());
    }

    void bothSimulators()
    {
        Bench b;
        TForm1& f = b.form;
        // The reader finds the adapter and the protocol; the window turns to the OBD tab.
        QVERIFY(b.run([&] { return f.obdState == 6; }));
        QCOMPARE(b.status(ObdPanels::RowObd), QStringLiteral("CAN (11 bit ID, 500 kb)"));
        QCOMPARE(b.status(ObdPanels::RowElm), QStringLiteral("ELM327 v1.5"));
        QCOMPARE(f.StringGridElm->cell(0, ObdPanels::RowMil), QStringLiteral("MIL:"));
        QCOMPARE(f.topTab, 5);
        QVERIFY(f.StringGridElm->isVisible());
        QVERIFY(b.run([&] { return b.status(ObdPanels::RowDtc) == QStringLiteral("2"); }));
        QCOMPARE(b.status(ObdPanels::RowMil), QStringLiteral("zapalony"));

        // "Read errors" lists the car's stored codes in the code box.
        QPushButton* read = b.command(391);
        QVERIFY(read);
        QCOMPARE(read->text(), TForm1::TextById(1273));
        QTest::mouseClick(read, Qt::LeftButton);
        QVERIFY(b.run([&] { return f.RichEditDtc->toPlainText().contains(QStringLiteral("P0300")); }));
        QVERIFY(f.RichEditDtc->toPlainText().contains(QStringLiteral("P0171")));

        // The PID page shows values of the polled PIDs; the fuel snapshot reaches the controller in
        // the live requests.
        QTest::mouseClick(f.SpeedButton42, Qt::LeftButton);
        QVERIFY(f.StringGridPid->isVisible());
        QCOMPARE(f.StringGridPid->rowCount(), 129);
        QVERIFY(b.run([&] { return !f.StringGridPid->cell(4, 0x06).isEmpty(); }));
        QCOMPARE(f.StringGridPid->cell(1, 0x06), QStringLiteral("on"));
        QVERIFY(b.run([&] {
            return b.link().mem.obdStatus[5] != 0 &&
                   std::equal(b.sim.obdStatus.begin() + 5, b.sim.obdStatus.begin() + 11,
                              b.link().mem.obdStatus.begin() + 5);
        }));

        // A PID toggled with the keyboard joins the polling.
        f.StringGridPid->setFocus();
        f.StringGridPid->row = 0x0C;
        const bool wasSelected = b.obd().pidy[0x0C].selected;
        QTest::keyClick(f.StringGridPid, Qt::Key_Return);
        QCOMPARE(b.obd().pidy[0x0C].selected, !wasSelected);

        // "Clear OBD errors" clears them in the car, without a question.
        QTest::mouseClick(f.SpeedButton41, Qt::LeftButton);
        QTest::mouseClick(b.command(392), Qt::LeftButton);
        QVERIFY(b.run([&] { return b.elm.car.ecus[0].stored.isEmpty(); }));
        QVERIFY(b.answers.questions.isEmpty());

        // A gas injector switched off in the window is switched off in the controller.
        QVERIFY(b.run([&] { return b.link().mem.identity[0] != 0 && b.link().readMask == 0; }));
        f.LayoutRightPanel();
        StringGrid* g = f.StringGridCzasyWtr;
        QVERIFY(g->rowCount() >= 2);
        b.link().mem.settings[56] = 0;
        const uint8_t before = b.sim.engine.enabledInjectors();
        QVERIFY(before & 2);
        const QRect cell = g->cellRect(2, 1);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(cell.right() - 10, cell.center().y()));
        // Acknowledged before the next click (an acknowledgement clears whatever switch is pending).
        QVERIFY(b.run([&] {
            return b.sim.engine.enabledInjectors() == (before & ~2) &&
                   !b.link().commands[TSterownik::CmdInjectorSwitch];
        }));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(cell.right() - 10, cell.center().y()));
        QVERIFY(b.run([&] { return b.sim.engine.enabledInjectors() == before; }));
        f.close();
    }
};

QTEST_MAIN(TstObdWindow)
#include "tst_obd_window.moc"
