// The program with both ports given for the session, against the simulated controller and the
// simulated ELM327 adapter on pseudo-terminals: the OBD reader inside the main window finds the
// protocol, reads and clears the car's codes through the window's buttons, polls its PIDs and
// hands the fuel snapshot to the controller; a gas injector switched in the window reaches the
// controller. Also the reader's 0101 status decode, as a table, and the ELM menu's Wi-Fi adapter
// against the simulator on TCP.
#include <QtCore/QElapsedTimer>
#include <QtCore/QSettings>
#include <QtCore/QTemporaryDir>
#include <QtCore/QThread>
#include <QtTest/QtTest>
#include <QtWidgets/QMenu>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTextEdit>
#include <QtWidgets/QToolButton>
#include <QtWidgets/QToolTip>

#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "link/PortAddress.h"
#include "link/PortNames.h"
#include "link/Tsterownik.h"
#include "obd/Telmobd.h"
#include "shell/CommandBar.h"
#include "shell/MainMenu.h"
#include "shell/ObdPagesPanel.h"
#include "shell/ReadingsPanel.h"
#include "shell/TabRows.h"
#include "shell/Unitmain.h"
#include "shell/WorkPages.h"
#include "sim/controller/ControllerSim.h"
#include "sim/elm/ElmSimulator.h"
#include "sim/pty/PtyPort.h"
#include "tests/NetRig.h"
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
            if (form.commands()->tag(i) == tag && form.commands()->button(i)->isVisible())
                return form.commands()->button(i);
        return nullptr;
    }
    QString status(int row) const { return form.obdPages()->StringGridElm()->cell(1, row); }
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
        form.tabs()->row1()[5]->setChecked(true);
        form.SpeedButton1Click(5);
        QTest::mouseClick(form.commands()->button(3), Qt::LeftButton);  // "Connect", tag 390
        QCOMPARE(form.commands()->tag(3), 390);
        QVERIFY(form.ObdPort->PortConnected());
    }

    // The ELM menu's "Wi-Fi adapter..." asks for the address (the common one offered), connects
    // the reader there, and the pages fill from the simulator on TCP; the simulator pulled away
    // shows as a lost adapter; the OBD tab's Connect button goes to the address again, and the
    // next start remembers it.
    // A Wi-Fi adapter that cannot be used says why on the OBD page and in the log, in the
    // window's language, and the PORT row shows the address tried, not the one before: a refused
    // connection at once, an address where nobody answers once the connection is given up.
    void wifiFailuresSayWhy()
    {
        const QString refused = localAddress(freeLocalPort());
        Unanswering nobody;
        QVERIFY(nobody.port() != 0);
        const QString silent = localAddress(nobody.port());
        PtyPort pty;
        QVERIFY(pty.open());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ZorUDU.conf"));
        ScriptedPrompt answers;
        TForm1 f;
        f.openPreferences = [path] { return std::make_unique<QSettings>(path, QSettings::IniFormat); };
        f.prompt = &answers;
        f.portOverride = PortNames::numberForDevice(pty.devicePath());
        f.FormCreate();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.FormShow();
        f.Timer1->stop();
        f.Timer2->stop();
        f.MenuLang0Click(TextTable::Spanish);
        QStringList log;
        f.ObdPort->OnTekst = [&](QObject*, const QString& line, TColor) { log << line; };
        const auto status = [&](int row) { return f.obdPages()->StringGridElm()->cell(1, row); };
        const auto connectTo = [&](const QString& address) {
            Q_EMIT f.menus()->MenuElm()->aboutToShow();
            for (QAction* a : f.menus()->MenuElm()->actions())
                if (a->objectName() == QLatin1String("MenuElmWifi")) {
                    answers.lineAnswers << address;
                    a->trigger();
                }
        };

        connectTo(refused);
        const QString no = TForm1::TextById(OwnText::WifiRefused);
        QCOMPARE(no, QStringLiteral("conexión rechazada"));
        QTRY_COMPARE_WITH_TIMEOUT(status(ObdPanels::RowElm), no, 5000);
        QCOMPARE(status(ObdPanels::RowPort), refused);
        QVERIFY2(log.contains(TForm1::TextById(OwnText::WifiFailed).arg(refused, no)), qPrintable(log.join('\n')));

        log.clear();
        QElapsedTimer clock;
        clock.start();
        connectTo(silent);
        QTRY_COMPARE_WITH_TIMEOUT(status(ObdPanels::RowPort), silent, 10000);
        const QString prefix = TForm1::TextById(OwnText::WifiNoAnswer).section(QStringLiteral("%1"), 0, 0);
        QTRY_VERIFY_WITH_TIMEOUT(status(ObdPanels::RowElm).startsWith(prefix), 10000);
        // The seconds waited, as the fitter's clock saw them: the connection's own limit.
        const QString shown = status(ObdPanels::RowElm).mid(prefix.size()).section(QLatin1Char(' '), 0, 0);
        const double seconds = f.ObdPort->locale.toDouble(shown);
        QVERIFY2(seconds >= 4.9 && seconds * 1000 <= clock.elapsed() + 100, qPrintable(shown));
        QCOMPARE(status(ObdPanels::RowPort), silent);
        QVERIFY(log.contains(TForm1::TextById(OwnText::WifiFailed).arg(silent, status(ObdPanels::RowElm))));
        f.close();
    }

    void wifiAdapter()
    {
        auto elm = std::make_unique<ElmSimulator>();
        QString error;
        QVERIFY(elm->configure({"--stored", "P0171,P0300", "--tcp", "127.0.0.1:0"}, error));
        QVERIFY2(elm->listen(elm->tcp, error), qPrintable(error));
        elm->serve();
        const QString address = elm->servedAddress();
        PtyPort pty;
        QVERIFY(pty.open());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ZorUDU.conf"));
        ScriptedPrompt answers;
        auto form = std::make_unique<TForm1>();
        TForm1& f = *form;
        f.openPreferences = [path] { return std::make_unique<QSettings>(path, QSettings::IniFormat); };
        f.prompt = &answers;
        f.portOverride = PortNames::numberForDevice(pty.devicePath());
        f.FormCreate();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.FormShow();
        f.Timer1->stop();
        f.Timer2->stop();
        QVERIFY(!f.ObdPort->PortConnected());

        const auto wifiItem = [&]() -> QAction* {
            Q_EMIT f.menus()->MenuElm()->aboutToShow();
            for (QAction* a : f.menus()->MenuElm()->actions())
                if (a->objectName() == QLatin1String("MenuElmWifi")) return a;
            return nullptr;
        };
        const auto status = [&](int row) { return f.obdPages()->StringGridElm()->cell(1, row); };
        QAction* item = wifiItem();
        QVERIFY(item);
        QCOMPARE(item->text(), TForm1::TextById(OwnText::WifiAdapter));
        QVERIFY(!item->isChecked());

        // Something that is no address is refused with a message; nothing is opened.
        answers.lineAnswers << QStringLiteral("192.168.0.300:35000");
        item->trigger();
        QCOMPARE(answers.messages.size(), 1);
        QCOMPARE(answers.messages[0].text,
                 TForm1::TextById(OwnText::WifiAddressBad).arg(QStringLiteral("192.168.0.300:35000")));
        QVERIFY(!f.ObdPort->overNetwork());
        QVERIFY(!f.ObdPort->PortConnected());

        answers.lineAnswers << address;
        wifiItem()->trigger();
        QCOMPARE(answers.lineInitials,
                 QStringList(2, QString::fromLatin1(PortAddress::kDefault)));  // the common address offered
        QCOMPARE(f.ObdPort->address, address);
        QVERIFY(f.ObdPort->PortConnected());
        QTRY_COMPARE_WITH_TIMEOUT(status(ObdPanels::RowElm), QStringLiteral("ELM327 v1.5"), 20000);
        QCOMPARE(status(ObdPanels::RowPort), address);
        QTRY_COMPARE_WITH_TIMEOUT(status(ObdPanels::RowDtc), QStringLiteral("2"), 30000);
        QCOMPARE(status(ObdPanels::RowObd), QStringLiteral("CAN (11 bit ID, 500 kb)"));
        QCOMPARE(f.obdState, 6);
        item = wifiItem();
        QVERIFY(item->isChecked());
        QCOMPARE(item->text(), TForm1::TextById(OwnText::WifiAdapter) + QLatin1Char(' ') + address);

        // The simulator pulled away: the link is lost as when a serial adapter is unplugged.
        elm.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!f.ObdPort->PortConnected(), 5000);
        // The PORT row keeps the address, the next row says the adapter went away.
        QTRY_COMPARE_WITH_TIMEOUT(f.obdState, -1, 20000);
        QCOMPARE(status(ObdPanels::RowPort), address);
        QVERIFY2(QStringList({TForm1::TextById(OwnText::WifiClosed), TForm1::TextById(OwnText::WifiLost)})
                     .contains(status(ObdPanels::RowElm)),
                 qPrintable(status(ObdPanels::RowElm)));
        QVERIFY(wifiItem()->text().endsWith(address + QStringLiteral(" (*)")));

        // The adapter back on the same address: the OBD tab's Connect button goes there.
        elm = std::make_unique<ElmSimulator>();
        QVERIFY(elm->listen(address, error));
        elm->serve();
        f.tabs()->row1()[5]->setChecked(true);
        f.SpeedButton1Click(5);
        QCOMPARE(f.commands()->tag(3), 390);
        QTest::mouseClick(f.commands()->button(3), Qt::LeftButton);  // "Connect"
        QVERIFY(f.ObdPort->PortConnected());
        QCOMPARE(f.ObdPort->portName, address);
        QTRY_VERIFY_WITH_TIMEOUT(elm->hasClient(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(status(ObdPanels::RowElm), QStringLiteral("ELM327 v1.5"), 20000);

        // Closing remembers the address as the adapter's port; the next start offers it again.
        f.close();
        form.reset();
        {
            QSettings stored(path, QSettings::IniFormat);
            QCOMPARE(stored.value(QStringLiteral("ElmAddress")).toString(), address);
            QCOMPARE(stored.value(QStringLiteral("ElmNetwork")).toInt(), 1);
        }
        TForm1 next;
        next.openPreferences = [path] { return std::make_unique<QSettings>(path, QSettings::IniFormat); };
        next.prompt = &answers;
        next.FormCreate();
        QCOMPARE(next.ObdPort->address, address);
        QVERIFY(!next.ObdPort->PortConnected());  // opened on the fitter's command, as a serial port
    }

    void bothSimulators()
    {
        Bench b;
        TForm1& f = b.form;
        // The reader finds the adapter and the protocol; the window turns to the OBD tab.
        QVERIFY(b.run([&] { return f.obdState == 6; }));
        QCOMPARE(b.status(ObdPanels::RowObd), QStringLiteral("CAN (11 bit ID, 500 kb)"));
        QCOMPARE(b.status(ObdPanels::RowElm), QStringLiteral("ELM327 v1.5"));
        QCOMPARE(f.obdPages()->StringGridElm()->cell(0, ObdPanels::RowMil), QStringLiteral("MIL:"));
        QCOMPARE(f.pages()->topTab(), 5);
        QVERIFY(f.obdPages()->StringGridElm()->isVisible());
        QVERIFY(b.run([&] { return b.status(ObdPanels::RowDtc) == QStringLiteral("2"); }));
        QCOMPARE(b.status(ObdPanels::RowMil), QStringLiteral("zapalony"));

        // The row keeps the reader's own Polish text; its tooltip says it in the window's language,
        // and a row of the adapter's own text has none.
        StringGrid* statusGrid = f.obdPages()->StringGridElm();
        QCOMPARE(statusGrid->cell(1, ObdPanels::RowMil), QStringLiteral("zapalony"));
        const int language = programLanguage();
        programLanguage() = TextTable::English;
        const QPoint mil = statusGrid->cellRect(1, ObdPanels::RowMil).center();
        QHelpEvent help(QEvent::ToolTip, mil, statusGrid->viewport()->mapToGlobal(mil));
        QApplication::sendEvent(statusGrid->viewport(), &help);
        QCOMPARE(QToolTip::text(), QStringLiteral("on"));
        QCOMPARE(f.obdPages()->statusTip(ObdPanels::RowElm), QString());
        programLanguage() = TextTable::Spanish;
        QCOMPARE(f.obdPages()->statusTip(ObdPanels::RowMil), QStringLiteral("encendida"));
        programLanguage() = TextTable::Polish;
        QCOMPARE(f.obdPages()->statusTip(ObdPanels::RowMil), QString());
        programLanguage() = language;

        // "Read errors" lists the car's stored codes in the code box.
        QPushButton* read = b.command(391);
        QVERIFY(read);
        QCOMPARE(read->text(), TForm1::TextById(1273));
        QTest::mouseClick(read, Qt::LeftButton);
        QVERIFY(b.run([&] { return f.obdPages()->RichEditDtc()->toPlainText().contains(QStringLiteral("P0300")); }));
        QVERIFY(f.obdPages()->RichEditDtc()->toPlainText().contains(QStringLiteral("P0171")));

        // The PID page shows values of the polled PIDs; the fuel snapshot reaches the controller in
        // the live requests.
        QTest::mouseClick(f.obdPages()->SpeedButton42(), Qt::LeftButton);
        QVERIFY(f.obdPages()->StringGridPid()->isVisible());
        QCOMPARE(f.obdPages()->StringGridPid()->rowCount(), 129);
        QVERIFY(b.run([&] { return !f.obdPages()->StringGridPid()->cell(4, 0x06).isEmpty(); }));
        QCOMPARE(f.obdPages()->StringGridPid()->cell(1, 0x06), QStringLiteral("on"));
        QVERIFY(b.run([&] {
            return b.link().mem.obdStatus[5] != 0 &&
                   std::equal(b.sim.obdStatus.begin() + 5, b.sim.obdStatus.begin() + 11,
                              b.link().mem.obdStatus.begin() + 5);
        }));

        // A PID toggled with the keyboard joins the polling.
        f.obdPages()->StringGridPid()->setFocus();
        f.obdPages()->StringGridPid()->row = 0x0C;
        const bool wasSelected = b.obd().pidy[0x0C].selected;
        QTest::keyClick(f.obdPages()->StringGridPid(), Qt::Key_Return);
        QCOMPARE(b.obd().pidy[0x0C].selected, !wasSelected);

        // "Clear OBD errors" clears them in the car, without a question.
        QTest::mouseClick(f.obdPages()->SpeedButton41(), Qt::LeftButton);
        QTest::mouseClick(b.command(392), Qt::LeftButton);
        QVERIFY(b.run([&] { return b.elm.car.ecus[0].stored.isEmpty(); }));
        QVERIFY(b.answers.questions.isEmpty());

        // A gas injector switched off in the window is switched off in the controller.
        QVERIFY(b.run([&] { return b.link().mem.identity[0] != 0 && b.link().readMask == 0; }));
        f.LayoutRightPanel();
        StringGrid* g = f.readings()->StringGridCzasyWtr;
        QVERIFY(g->rowCount() >= 2);
        b.link().mem.settings[56] = 0;
        const uint8_t before = b.sim.engine.enabledInjectors();
        QVERIFY(before & 2);
        const QRect cell = g->cellRect(2, 1);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(cell.right() - 10, cell.center().y()));
        // Acknowledged before the next click (an acknowledgement clears whatever switch is pending).
        QVERIFY(b.run([&] {
            return b.sim.engine.enabledInjectors() == (before & ~2) &&
                   !b.link().commandPending(TSterownik::CmdInjectorSwitch);
        }));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(cell.right() - 10, cell.center().y()));
        QVERIFY(b.run([&] { return b.sim.engine.enabledInjectors() == before; }));
        f.close();
    }
};

QTEST_MAIN(TstObdWindow)
#include "tst_obd_window.moc"
