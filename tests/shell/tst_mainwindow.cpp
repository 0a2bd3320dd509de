// The main window as a widget: start without preferences, saving at close, the watchdog against a
// simulated controller on a pseudo-terminal, commands with scripted confirmations, keys and link events.
#include <QtCore/QDate>
#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtCore/QSettings>
#include <QtCore/QTemporaryDir>
#include <QtGui/QScreen>
#include <QtTest/QtTest>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QSplitter>
#include <QtWidgets/QToolButton>

#include <array>

#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "charts/TableGrid.h"
#include "charts/Tgrafika.h"
#include "editor/Tnastawy.h"
#include "link/PortNames.h"
#include "link/Tsterownik.h"
#include "shell/CommandBar.h"
#include "shell/MainMenu.h"
#include "shell/ReadingsPanel.h"
#include "shell/SidePanel.h"
#include "shell/TabRows.h"
#include "shell/Unitmain.h"
#include "shell/WorkPages.h"
#include "sim/controller/ControllerSim.h"
#include "sim/pty/PtyPort.h"
#include "ui/PanelSplitter.h"
#include "ui/StringGrid.h"

namespace {

QString polish(int id) { return programTexts().text(id, TextTable::Polish); }

QColor windowText() { return QApplication::palette().color(QPalette::Active, QPalette::WindowText); }
QColor buttonText(const QWidget* w) { return w->palette().color(QPalette::ButtonText); }

// Presses a side panel's splitter bar and drags it `dx` pixels.
void dragBar(QWidget* bar, int dx)
{
    const QPoint from(1, bar->height() / 2);
    QTest::mousePress(bar, Qt::LeftButton, {}, from);
    QTest::mouseMove(bar, from + QPoint(dx / 2, 0));
    QTest::mouseMove(bar, from + QPoint(dx, 0));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, from + QPoint(dx, 0));
}

// The client area resized to `size` (the menu bar stays above it).
void resizeClient(TForm1& f, QSize size)
{
    f.resize(size + QSize(0, f.menuBar()->height()));
    QTRY_COMPARE(f.clientSize(), size);
}

// A main window whose preferences live in a temporary folder and whose questions are scripted.
struct Window {
    QTemporaryDir dir;
    ScriptedPrompt answers;
    TForm1 form;

    QString storePath() const { return dir.filePath(QStringLiteral("ZorUDU.conf")); }
    std::unique_ptr<QSettings> store() const { return std::make_unique<QSettings>(storePath(), QSettings::IniFormat); }

    explicit Window(const std::function<void(QSettings&)>& seed = {})
    {
        if (seed) {
            auto s = store();
            seed(*s);
        }
        const QString path = storePath();
        form.openPreferences = [path] { return std::make_unique<QSettings>(path, QSettings::IniFormat); };
        form.prompt = &answers;
        form.Sterownik1->timer()->stop();
        form.FormCreate();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }
};

}  // namespace

class TstMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(programTexts().load()); }

    void firstStartWithoutPreferences()
    {
        Window w;
        TForm1& f = w.form;
        QCOMPARE(f.language, int(TextTable::Polish));
        QCOMPARE(f.theme, 3);
        QCOMPARE(f.viewLevel, 1);
        QVERIFY(f.menus()->viewItem(1)->isChecked());
        QVERIFY(f.menus()->colorItem(3)->isChecked());
        QVERIFY(f.menus()->langItem(1)->isChecked());
        QCOMPARE(f.Sterownik1->portNumber, 1);
        QCOMPARE(f.menus()->MenuFile()->title(), polish(1100));
        QCOMPARE(f.tabs()->row1()[0]->text(), polish(1200) + QStringLiteral(" [F1]"));
        QCOMPARE(f.clientSize(), QSize(740, 417));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        // Centred: equal gaps on both sides (the platform may add a frame of a few pixels).
        const QRect g = f.frameGeometry();
        QVERIFY(std::abs((g.left() - screen.left()) - (screen.right() - g.right())) <= 4);
        QVERIFY(std::abs((g.top() - screen.top()) - (screen.bottom() - g.bottom())) <= 4);
        QCOMPARE(f.palette.background, QColor(210, 210, 210));
        QVERIFY(f.windowTitle().startsWith(QStringLiteral("KAVELO v")));
    }

    // A panel added later joins with one registration: the window's language, theme, live frames
    // and link events reach it with nothing else changed.
    void newPanelFollowsTheWindow()
    {
        struct Caption : QLabel, Panel {
            explicit Caption(QWidget* parent) : QLabel(parent) {}
            void relabel() override { setText(TextById(1100)); }
            void applyColours(const ThemePalette& palette) override
            {
                QPalette p = this->palette();
                p.setColor(QPalette::WindowText, palette.title);
                setPalette(p);
            }
            void liveFrame(const LiveFrame& frame) override { states << frame.workState(); }
            void linkEvent(int kind, int code, int, int) override { events << QPair<int, int>(kind, code); }
            QList<int> states;
            QList<QPair<int, int>> events;
        };
        Window w;
        TForm1& f = w.form;
        auto* caption = new Caption(&f);
        f.panels.add(caption);

        f.menus()->langItem(0)->trigger();
        QCOMPARE(caption->text(), programTexts().text(1100, TextTable::English));
        f.menus()->langItem(1)->trigger();
        QCOMPARE(caption->text(), polish(1100));

        for (int theme : {0, 5}) {
            f.menus()->colorItem(theme)->trigger();
            QCOMPARE(caption->palette().color(QPalette::WindowText), f.palette.title);
        }

        std::array<uint8_t, LiveFrame::kSize> bytes{};
        bytes[3] = 0x90;
        bytes[10] = 0x06;
        bytes[11] = 0x03;
        f.LiveFrameReceived(LiveFrame(bytes.data(), 92));
        QCOMPARE(caption->states, QList<int>{0x306});
        f.LinkEvent(kEventCalibration, 2, 512, 0);
        QVERIFY(caption->events.contains(QPair<int, int>(kEventCalibration, 2)));
    }

    void preferencesAreSavedAtClose()
    {
        Window w([](QSettings& s) {
            s.setValue(QStringLiteral("Comm"), 7);
            s.setValue(QStringLiteral("ElmComm"), 8);
            s.setValue(QStringLiteral("Comp"), 9);  // out of range: theme 3, written back as 3
        });
        TForm1& f = w.form;
        QCOMPARE(f.theme, 3);
        f.menus()->langItem(0)->trigger();
        QCOMPARE(f.menus()->MenuFile()->title(), programTexts().text(1100, TextTable::English));
        f.menus()->viewItem(2)->trigger();
        f.portOverride = 400;  // a port given for this run is not remembered
        f.Sterownik1->portNumber = 400;
        for (int c = 0; c < f.Sterownik1->channels().size(); ++c)
            if (f.Sterownik1->channels()[c].id == 1404) f.Sterownik1->setChannelColour(c, Rgb(1, 2, 3));
        f.close();
        auto s = w.store();
        QCOMPARE(s->value(QStringLiteral("Comm")).toInt(), 7);
        QCOMPARE(s->value(QStringLiteral("ElmComm")).toInt(), 8);
        QCOMPARE(s->value(QStringLiteral("Comp")).toInt(), 3);
        QCOMPARE(s->value(QStringLiteral("Lang")).toInt(), 0);
        QCOMPARE(s->value(QStringLiteral("View")).toInt(), 2);
        QCOMPARE(s->value(QStringLiteral("WState")).toInt(), 0);
        QCOMPARE(s->value(QStringLiteral("WWidth")).toInt(), f.frameGeometry().width());
        QCOMPARE(s->value(QStringLiteral("Color1404")).toInt(), 1 + 256 * 2 + 65536 * 3);

        // The next start takes them all back.
        Window again([&](QSettings& n) {
            for (const QString& k : s->allKeys()) n.setValue(k, s->value(k));
        });
        QCOMPARE(again.form.language, 0);
        QCOMPARE(again.form.viewLevel, 2);
        QCOMPARE(again.form.Sterownik1->portNumber, 7);
        for (const TWykres& ch : again.form.Sterownik1->channels())
            if (ch.id == 1404) QCOMPARE(ch.colour, Rgb(1, 2, 3));
    }

    void watchdogShowsNoConnectionAndReopens()
    {
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        sim.setWireTiming(false);  // the ticks are the test's: the replies come at once
        sim.attach(&pty);
        pty.setWatching(false);
        Window w;
        TForm1& f = w.form;
        f.Sterownik1->portNumber = PortNames::numberForDevice(pty.devicePath());

        // Port closed: shown at the next tick, reopened when the second comes round.
        f.Timer1Timer();
        QCOMPARE(f.commands()->PanelStatus()->text(), polish(1240));
        QCOMPARE(f.commands()->PanelStatus()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QVERIFY(!f.Sterownik1->PortConnected());
        for (int i = 0; i < 9; ++i) f.Timer1Timer();
        QVERIFY(f.Sterownik1->PortConnected());

        // Open but silent: more than 10 unanswered frames.
        f.commands()->PanelStatus()->clear();
        f.Sterownik1->unanswered = 10;
        f.Timer1Timer();
        QVERIFY(f.commands()->PanelStatus()->text().isEmpty());
        f.Sterownik1->unanswered = 11;
        f.Timer1Timer();
        QCOMPARE(f.commands()->PanelStatus()->text(), polish(1240));

        // Disconnected through the menu: no reopening any more.
        f.MenuConnClick();
        QAction* connect = f.menus()->MenuConn()->actions().first();
        QCOMPARE(connect->text(), polish(1119));
        connect->trigger();
        QVERIFY(!f.Sterownik1->PortConnected());
        QCOMPARE(f.connTag, -1);
        for (int i = 0; i < 25; ++i) f.Timer1Timer();
        QVERIFY(!f.Sterownik1->PortConnected());
        f.MenuConnClick();
        QCOMPARE(f.menus()->MenuConn()->actions().first()->text(), polish(1118));
    }

    // Save settings proposes the bar code and the date, and the status panel confirms the file for
    // a few seconds, also without a controller (the watchdog's "no connection" waits meanwhile).
    void savingSettingsConfirmsInTheStatusPanel()
    {
        Window w;
        TForm1& f = w.form;
        f.connTag = -1;  // no port to reopen: the watchdog only reports
        const QByteArray code("KV2204117");
        std::copy(code.begin(), code.end(), f.Sterownik1->mem.identity.begin() + 6);
        const QString target = w.dir.filePath(QStringLiteral("saved.set"));
        w.answers.fileAnswers = {target};
        f.menus()->MenuFileSave()->trigger();
        QCOMPARE(w.answers.dialogs.size(), 1);
        QCOMPARE(w.answers.dialogs[0].fileName,
                 QStringLiteral("KV2204117_") + QDate::currentDate().toString(Qt::ISODate) + QStringLiteral(".set"));
        QVERIFY(QFileInfo::exists(target));
        const QString confirmed = TForm1::TextById(OwnText::SettingsSaved).arg(QDir::toNativeSeparators(target));
        QCOMPARE(f.commands()->PanelStatus()->text(), confirmed);
        f.Timer1Timer();  // no controller: the watchdog's tick
        QCOMPARE(f.commands()->PanelStatus()->text(), confirmed);
        QTRY_COMPARE_WITH_TIMEOUT(
            [&] {
                f.Timer1Timer();
                return f.commands()->PanelStatus()->text();
            }(),
            polish(1240), 6000);

        // Cancelled: nothing is confirmed.
        f.commands()->PanelStatus()->clear();
        f.menus()->MenuFileSave()->trigger();
        QVERIFY(f.commands()->PanelStatus()->text().isEmpty());
    }

    void factorySettingsAskFirst()
    {
        Window w;
        TForm1& f = w.form;
        f.SpeedButton1Click(0);
        QPushButton* factory = f.commands()->button(3);
        QVERIFY(factory->isVisible());
        QCOMPARE(factory->text(), polish(1260));
        const int def = f.pages()->Nastawy()->catalogue().descriptor(10).def;
        f.Sterownik1->mem.settingsBlock()[10] = uint8_t(def + 1);

        w.answers.yesNoAnswers = {false};
        QTest::mouseClick(factory, Qt::LeftButton);
        QCOMPARE(w.answers.questions.size(), 1);
        QVERIFY(w.answers.questions[0].endsWith(polish(2100)));
        QCOMPARE(int(f.Sterownik1->mem.settingsBlock()[10]), def + 1);
        QCOMPARE(int(f.Sterownik1->commandPending(TSterownik::CmdFactorySettings)), 0);

        w.answers.yesNoAnswers = {true};
        QTest::mouseClick(factory, Qt::LeftButton);
        QCOMPARE(int(f.Sterownik1->mem.settingsBlock()[10]), def);
        QCOMPARE(int(f.Sterownik1->commandPending(TSterownik::CmdFactorySettings)), 1);
    }

    void calibrationStartsStopsAndReports()
    {
        Window w;
        TForm1& f = w.form;
        QTest::keyClick(&f, Qt::Key_F2);
        QCOMPARE(f.pages()->topTab(), 1);
        QVERIFY(f.pages()->Nastawy()->isVisible());
        QCOMPARE(f.pages()->Nastawy()->page(), 1);
        QCOMPARE(f.commands()->button(3)->text(), polish(1261) + QStringLiteral("  [Enter]"));

        QTest::mouseClick(f.commands()->button(3), Qt::LeftButton);  // the link reports stage 1
        QVERIFY(f.Sterownik1->liveRequestBits() & 1);
        QCOMPARE(f.commands()->button(3)->text(), polish(1263) + QStringLiteral("  [Enter]"));
        QVERIFY(f.commands()->ProgressBar1()->isVisible());
        f.LinkEvent(kEventCalibration, 2, 512, 0);
        QCOMPARE(f.commands()->ProgressBar1()->value(), 512);

        QTest::keyClick(&f, Qt::Key_Return);  // Enter stops it: stage 5, silently
        QVERIFY(!(f.Sterownik1->liveRequestBits() & 1));
        QVERIFY(!f.commands()->ProgressBar1()->isVisible());
        QVERIFY(w.answers.messages.isEmpty());

        // The box comes after the tick that raised the event has returned.
        f.LinkEvent(kEventCalibration, 3, 1024, 0);
        QVERIFY(w.answers.messages.isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(w.answers.messages.size(), 1);
        QCOMPARE(w.answers.messages[0].text.count(QLatin1Char('\n')), 2);
        QCOMPARE(w.answers.messages[0].icon, Prompt::Icon::Information);
        f.LinkEvent(kEventCalibration, 4, 0, 0);
        QCoreApplication::processEvents();
        QCOMPARE(w.answers.messages.size(), 2);
        QCOMPARE(w.answers.messages.last().text, polish(1292));
        QCOMPARE(w.answers.messages.last().icon, Prompt::Icon::Error);
    }

    void functionKeysStepPages()
    {
        Window w;
        TForm1& f = w.form;
        QTest::keyClick(&f, Qt::Key_F3);
        QCOMPARE(f.pages()->topTab(), 2);
        QCOMPARE(f.pages()->mapPage(), 0);
        QCOMPARE(f.pages()->Nastawy()->page(), 20);
        QCOMPARE(f.commands()->button(0)->text(), polish(1268));
        QTest::keyClick(&f, Qt::Key_F3);
        QCOMPARE(f.pages()->mapPage(), 1);
        QTest::keyClick(&f, Qt::Key_F3);
        QCOMPARE(f.pages()->mapPage(), 2);
        QVERIFY(f.commands()->button(1)->isHidden());

        // Basic view: F6 still reaches the hidden fourth OBD page; changing the view leaves it.
        f.menus()->viewItem(0)->trigger();
        QTest::keyClick(&f, Qt::Key_F6);
        QCOMPARE(f.pages()->topTab(), 5);
        for (int i = 0; i < 3; ++i) QTest::keyClick(&f, Qt::Key_F6);
        QCOMPARE(f.pages()->obdPage(), 3);
        QVERIFY(f.tabs()->row3()[3]->isHidden());
        f.menus()->viewItem(1)->trigger();
        QCOMPARE(f.pages()->obdPage(), 0);

        // Developer keys do nothing outside developer mode.
        QTest::keyClick(&f, Qt::Key_K);
        QCOMPARE(f.theme, 3);
        f.developerMode = 1;
        QTest::keyClick(&f, Qt::Key_K);
        QCOMPARE(f.theme, 4);
    }

    // Keys typed into the table view's header editor go to the editor only: Space, L and R do not
    // act as window shortcuts; once the editor has closed they do again.
    void headerEditorKeepsItsKeys()
    {
        Window w;
        TForm1& f = w.form;
        QTest::keyClick(&f, Qt::Key_F3);
        QTest::mouseClick(f.tabs()->row2()[1], Qt::LeftButton);
        QCOMPARE(f.pages()->mapPage(), 1);
        auto* grid = f.findChild<TableGrid*>(QStringLiteral("GrafikaTableGrid"));
        QVERIFY(grid && grid->isVisible());
        QLineEdit* box = f.pages()->Grafika1()->focusBox();
        QTest::mouseClick(grid, Qt::LeftButton, {}, grid->cellRect(2, 0).center());
        QVERIFY(box->hasFocus());
        const int left = int(f.leftPanel()->collapsed()), right = int(f.rightPanel()->collapsed());
        f.Sterownik1->cancelCommand(TSterownik::CmdAutoFuelChange);

        QTest::keyClicks(box, QStringLiteral("L R"));
        QCOMPARE(box->text(), QStringLiteral("L R"));
        QCOMPARE(int(f.Sterownik1->commandPending(TSterownik::CmdAutoFuelChange)), 0);
        QCOMPARE(int(f.leftPanel()->collapsed()), left);
        QCOMPARE(int(f.rightPanel()->collapsed()), right);
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("1500"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(int(f.Sterownik1->mem.settings[241]), 30);
        QCOMPARE(grid->text(2, 0), QStringLiteral("1500"));

        // The editor has closed: the same keys are shortcuts again.
        QVERIFY(!f.pages()->Grafika1()->editingInPlace());
        QTest::keyClick(box, Qt::Key_Space);
        QCOMPARE(int(f.Sterownik1->commandPending(TSterownik::CmdAutoFuelChange)), 1);
    }

    void themeReachesTheEditor()
    {
        Window w;
        TForm1& f = w.form;
        f.menus()->colorItem(5)->trigger();
        QCOMPARE(f.palette.background, QColor(0, 0, 0));
        QCOMPARE(f.QWidget::palette().color(QPalette::Window), QColor(0, 0, 0));
        QCOMPARE(f.pages()->Nastawy()->image().pixelColor(1, f.pages()->Nastawy()->height() - 2), QColor(0, 0, 0));
        // The menu bar stays in the platform's colours, so its captions remain readable.
        const QPalette bar = f.menuBar()->palette();
        QCOMPARE(bar.color(QPalette::Window), QApplication::palette().color(QPalette::Window));
        QCOMPARE(bar.color(QPalette::ButtonText), QApplication::palette().color(QPalette::ButtonText));
        f.menus()->colorItem(2)->trigger();
        QCOMPARE(f.pages()->Nastawy()->image().pixelColor(1, f.pages()->Nastawy()->height() - 2),
                 QColor(240, 240, 240));
        // A theme changes colours only: the editor keeps the window's font, whose widths its
        // labels are fitted to, and the splitter above the bottom strip takes the bar colour.
        QCOMPARE(f.pages()->Nastawy()->font().family(), f.font().family());
        QCOMPARE(f.pages()->splitBottom()->handle(1)->palette().color(QPalette::Window), QColor(190, 190, 190));
        QVERIFY(f.pages()->splitBottom()->handle(1)->autoFillBackground());
    }

    void liveFramesAndIdentification()
    {
        Window w;
        TForm1& f = w.form;
        std::array<uint8_t, LiveFrame::kSize> rx{};
        rx[3] = 0x90;
        rx[13] = 0x20 | 0x01;  // top level LED and the lowest LED red
        rx[14] = 0x02;         // fuel LED green
        f.LiveFrameReceived(LiveFrame(rx.data(), 128));
        QImage img = f.readings()->Image1->pixmap().toImage();
        QCOMPARE(img.pixelColor(15, 16), QColor(0, 160, 0));
        QCOMPARE(img.pixelColor(15, 76), QColor(200, 0, 0));
        QCOMPARE(img.pixelColor(74, 16), QColor(0, 160, 0));
        QCOMPARE(img.pixelColor(15, 31), QColor(0, 0, 0));
        QCOMPARE(f.commands()->PanelStatus()->text(), f.Sterownik1->StrStanPracy(0, 1));

        // The same LED bytes again do not redraw the picture.
        const qint64 drawn = f.readings()->Image1->pixmap().cacheKey();
        f.LiveFrameReceived(LiveFrame(rx.data(), 128));
        QCOMPARE(f.readings()->Image1->pixmap().cacheKey(), drawn);
        rx[13] = 0x20;
        f.LiveFrameReceived(LiveFrame(rx.data(), 128));
        QVERIFY(f.readings()->Image1->pixmap().cacheKey() != drawn);
        img = f.readings()->Image1->pixmap().toImage();
        QCOMPARE(img.pixelColor(15, 16), QColor(0, 160, 0));
        QCOMPARE(img.pixelColor(15, 76), QColor(0, 0, 0));

        // A current error colours the Diagnostics tab red.
        rx[11] = 0x08;
        f.LiveFrameReceived(LiveFrame(rx.data(), 128));
        QCOMPARE(f.tabs()->row1()[3]->palette().color(QPalette::ButtonText), QColor(255, 0, 0));

        f.Sterownik1->mem.identity[5] = 0;
        f.LinkEvent(kEventFrameReceived, 0x81, 0, 128);
        QCOMPARE(f.commands()->PanelStatus()->text(), polish(1241));
        QVERIFY(f.windowTitle().startsWith(f.baseCaption + QStringLiteral("  -  ")));
        QVERIFY(f.tabs()->row3()[1]->isHidden());
        f.LinkEvent(kEventLinkStarted, 0, 0, 0);
        QCOMPARE(f.windowTitle(), f.baseCaption);
        f.Sterownik1->loadedFileName = QStringLiteral("/tmp/car.set");
        f.LinkEvent(kEventFileLoaded, 0, 0, 0);
        QCOMPARE(f.windowTitle(), f.baseCaption + QStringLiteral(" - [/tmp/car.set]"));
        QCOMPARE(f.connTag, -1);
    }

    void bootloaderWithoutUpdateIsReported()
    {
        Window w;
        TForm1& f = w.form;
        f.Sterownik1->mem.identity[5] = 1;
        f.Sterownik1->flashing = true;  // an update in progress: no message
        f.LinkEvent(kEventFrameReceived, 0x81, 0, 80);
        QCoreApplication::processEvents();
        QVERIFY(w.answers.messages.isEmpty());
        f.Sterownik1->flashing = false;
        f.LinkEvent(kEventFrameReceived, 0x81, 0, 80);
        QTRY_COMPARE(w.answers.messages.size(), 1);
        QCOMPARE(w.answers.messages[0].caption, QStringLiteral("KAVELO"));
        QCOMPARE(w.answers.messages[0].text, polish(1365));
        QCOMPARE(w.answers.messages[0].icon, Prompt::Icon::Error);
        // A yes/no question answers with the standard codes.
        w.answers.yesNoAnswers = {true, false};
        QCOMPARE(f.AskUser(2100, TForm1::kAskYesNo), 6);
        QCOMPARE(f.AskUser(2100, TForm1::kAskYesNo), 7);
        QCOMPARE(w.answers.questions.last(), QStringLiteral("KAVELO: ") + polish(2100));
    }

    void sidePanelsCollapseExpandAndDrag()
    {
        Window w;
        TForm1& f = w.form;
        f.menus()->viewItem(2)->trigger();
        QTest::mouseClick(f.tabs()->row1()[4], Qt::LeftButton);  // Oscilloscope: the left panel may show
        QVERIFY(f.leftPanel()->isVisible());
        // It starts collapsed to its 14-pixel handle, with its splitter bar beside it.
        QCOMPARE(f.leftPanel()->width(), 14);
        QVERIFY(f.leftPanel()->handle()->isVisible());
        QCOMPARE(static_cast<QToolButton*>(f.leftPanel()->handle())->text(), QStringLiteral(">"));
        QVERIFY(!f.leftPanel()->body()->isVisible());
        QVERIFY(f.leftPanel()->bar()->isVisible());
        dragBar(f.leftPanel()->bar(), 60);  // a collapsed panel is not dragged open
        QTRY_COMPARE(f.leftPanel()->width(), 14);

        QTest::mouseClick(f.leftPanel()->handle(), Qt::LeftButton);
        QTRY_COMPARE(f.leftPanel()->width(), 180);
        QCOMPARE(int(f.leftPanel()->collapsed()), 0);
        QVERIFY(f.leftPanel()->hideButton()->isVisible());
        QVERIFY(!f.leftPanel()->handle()->isVisible());
        dragBar(f.leftPanel()->bar(), 40);
        QTRY_COMPARE(f.leftPanel()->width(), 220);
        dragBar(f.leftPanel()->bar(), -400);
        QTRY_COMPARE(f.leftPanel()->width(), 30);
        // Resizing the window gives the panels their computed widths again.
        resizeClient(f, QSize(1000, 600));
        QTRY_COMPARE(f.leftPanel()->width(), 180);
        QTest::keyClick(&f, Qt::Key_L);
        QTRY_COMPARE(f.leftPanel()->width(), 14);
        QCOMPARE(int(f.leftPanel()->collapsed()), 1);

        // The right panel: 20 % of the client width, dragged wider by moving its bar left.
        QCOMPARE(f.rightPanel()->width(), 200);
        QCOMPARE(f.commands()->PanelStatus()->width(), 200);
        dragBar(f.rightPanel()->bar(), -50);
        QTRY_COMPARE(f.rightPanel()->width(), 250);
        QCOMPARE(f.commands()->PanelStatus()->width(), 200);
        QTest::mouseClick(f.rightPanel()->hideButton(), Qt::LeftButton);
        QTRY_COMPARE(f.rightPanel()->width(), 14);
        QVERIFY(f.rightPanel()->handle()->isVisible());
        QCOMPARE(static_cast<QToolButton*>(f.rightPanel()->handle())->text(), QStringLiteral("<"));
        QVERIFY(!f.readings()->Image1->isVisible());
        resizeClient(f, QSize(1366, 700));
        QTRY_COMPARE(f.rightPanel()->width(), 14);  // a collapsed panel stays collapsed
        QCOMPARE(f.commands()->PanelStatus()->width(), 260);
        QTest::keyClick(&f, Qt::Key_R);
        QTRY_COMPARE(f.rightPanel()->width(), 260);
        QVERIFY(f.readings()->Image1->isVisible());

        // Basic view: right panel expanded without its button, no left panel even on its tabs.
        QTest::mouseClick(f.rightPanel()->hideButton(), Qt::LeftButton);
        f.menus()->viewItem(0)->trigger();
        QTRY_COMPARE(f.rightPanel()->width(), 260);
        QVERIFY(!f.rightPanel()->hideButton()->isVisible());
        QTest::mouseClick(f.tabs()->row1()[1], Qt::LeftButton);
        QVERIFY(!f.leftPanel()->isVisible());
        QVERIFY(!f.leftPanel()->bar()->isVisible());
    }

    void bottomStripSpansTheCentreBelowTheLeftPanel()
    {
        Window w;
        TForm1& f = w.form;
        f.menus()->viewItem(2)->trigger();
        QTest::mouseClick(f.tabs()->row1()[1], Qt::LeftButton);  // Calibration: editor in the strip, list at the left
        QTest::mouseClick(f.leftPanel()->handle(), Qt::LeftButton);
        QTRY_COMPARE(f.leftPanel()->width(), 180);
        QTRY_COMPARE(f.pages()->PanelNasInfoObd()->height(), 80);
        QCOMPARE(f.pages()->PanelNasInfoObd()->width(), f.findChild<QWidget*>(QStringLiteral("PanelCenter"))->width());
        const int leftBottom = f.leftPanel()->mapTo(&f, QPoint(0, f.leftPanel()->height())).y();
        const int stripTop = f.pages()->PanelNasInfoObd()->mapTo(&f, QPoint(0, 0)).y();
        QVERIFY(leftBottom <= stripTop);
        QCOMPARE(f.pages()->Nastawy()->parentWidget(), f.pages()->PanelNasInfoObd());
    }

    void barsFollowTheClientSize_data()
    {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<int>("side");
        QTest::addColumn<int>("bar");
        QTest::addColumn<int>("fontSize");
        QTest::newRow("design") << QSize(740, 417) << 180 << 28 << 8;
        QTest::newRow("899 x 550") << QSize(899, 550) << 180 << 28 << 8;
        QTest::newRow("1366 x 768") << QSize(1366, 768) << 260 << 32 << 10;
    }
    void barsFollowTheClientSize()
    {
        QFETCH(QSize, client);
        QFETCH(int, side);
        QFETCH(int, bar);
        QFETCH(int, fontSize);
        Window w;
        TForm1& f = w.form;
        QTest::mouseClick(f.tabs()->row1()[1], Qt::LeftButton);  // Calibration: the main button alone, with progress
        f.commands()->ProgressBar1()->show();
        resizeClient(f, client);
        QCOMPARE(f.rightPanel()->width(), side);
        QCOMPARE(f.commands()->PanelStatus()->geometry(), QRect(f.commands()->width() - side, 0, side, bar));
        QCOMPARE(f.commands()->height(), bar);
        QCOMPARE(f.tabs()->PanelTopTab1()->height(), bar);
        QCOMPARE(f.tabs()->row1()[5]->geometry(),
                 QRect(5 * (f.tabs()->PanelTopTab1()->width() / 6), 0, f.tabs()->PanelTopTab1()->width() / 6, bar));
        QCOMPARE(f.commands()->button(3)->font().pointSize(), fontSize);
        QCOMPARE(f.commands()->button(3)->height(), bar);
        QCOMPARE(f.commands()->button(3)->geometry().right() + 1, f.commands()->PanelStatus()->x() - 8);
        QCOMPARE(f.commands()->button(3)->width(),
                 QFontMetrics(f.commands()->button(3)->font()).horizontalAdvance(f.commands()->button(3)->text()) +
                     120);
        QCOMPARE(f.commands()->ProgressBar1()->width(), f.commands()->button(3)->x() - 12);
        QCOMPARE(f.commands()->ProgressBar1()->height(), bar - 4);
    }

    void windowKeepsItsMinimumSize()
    {
        Window w;
        TForm1& f = w.form;
        f.resize(300, 200);
        QTRY_VERIFY(f.frameGeometry().width() >= 640);
        // Below the menu bar the design client area remains.
        QTRY_VERIFY(f.clientSize().height() >= TForm1::kDesignHeight);
        QCOMPARE(f.size(), f.minimumSize());
    }

    // Without a link the readings grid is still laid out for its width (no live frame does it), and
    // each name ends before its unit: nothing overlaps; the line over it says where to connect.
    void readingsLaidOutWithoutALink()
    {
        Window w;
        TForm1& f = w.form;
        ReadingsPanel* r = f.readings();
        StringGrid* g = r->StringGridParametry;
        QVERIFY(!f.Sterownik1->alive());
        QVERIFY(r->NoLinkHint->isVisible());
        for (const QSize size : {QSize(740, 417), QSize(1200, 800), QSize(640, 480)}) {
            f.resize(size);
            QTRY_COMPARE(g->colWidth(0) + g->colWidth(1) + 1, g->width());
            QVERIFY(g->rowCount() > 3);
        }
    }

    // At the smallest window every top tab's caption fits its button in every language: where "[F5]"
    // does not fit at the smallest font, the caption is the tab's name and the key its tooltip.
    void topTabCaptionsFitTheSmallestWindow()
    {
        Window w;
        TForm1& f = w.form;
        f.resize(300, 200);
        QTRY_VERIFY(f.frameGeometry().width() >= 640);
        for (int language = 0; language < 4; ++language) {
            f.menus()->langItem(language)->trigger();
            for (int i = 0; i < 6; ++i) {
                QToolButton* b = f.tabs()->row1()[i];
                const QString where = QStringLiteral("language %1, tab %2: ").arg(language).arg(i) + b->text();
                QVERIFY2(QFontMetrics(b->font()).horizontalAdvance(b->text()) <= b->width() - 2, qPrintable(where));
                QVERIFY2(b->text().startsWith(programTexts().text(1200 + i, language)), qPrintable(where));
                QCOMPARE(b->toolTip(), QStringLiteral("F%1").arg(i + 1));
            }
            // The map pages: whole, or ending in "…" with the whole name in the tooltip.
            const int ids2[5] = {1210, 1211, 1212, 1213, 1214};
            for (int i = 0; i < 5; ++i) {
                QToolButton* b = f.tabs()->row2()[i];
                const QString name = programTexts().text(ids2[i], language);
                QVERIFY2(QFontMetrics(b->font()).horizontalAdvance(b->text()) <= b->width() - 2, qPrintable(b->text()));
                if (b->text() != name) {
                    QVERIFY2(b->text().endsWith(QChar(0x2026)), qPrintable(b->text()));
                    QCOMPARE(b->toolTip(), name);
                }
            }
        }
        // A wide window shows the keys again.
        f.resize(1366, 768);
        QTRY_COMPARE(f.tabs()->row1()[4]->text(), programTexts().text(1204, 3) + QStringLiteral(" [F5]"));
    }

    void storedOuterBoundsComeBack()
    {
        const QRect bounds(40, 30, 900, 600);
        Window w([&](QSettings& s) {
            for (const char* k : {"Comm", "ElmComm"}) s.setValue(QLatin1String(k), 1);
            s.setValue(QStringLiteral("Comp"), 3);
            s.setValue(QStringLiteral("Lang"), 1);
            s.setValue(QStringLiteral("View"), 1);
            s.setValue(QStringLiteral("WTop"), bounds.top());
            s.setValue(QStringLiteral("WLeft"), bounds.left());
            s.setValue(QStringLiteral("WWidth"), bounds.width());
            s.setValue(QStringLiteral("WHeight"), bounds.height());
        });
        QTRY_COMPARE(w.form.frameGeometry(), bounds);
        w.form.close();
        auto s = w.store();
        QCOMPARE(s->value(QStringLiteral("WWidth")).toInt(), bounds.width());
        QCOMPARE(s->value(QStringLiteral("WHeight")).toInt(), bounds.height());
        QCOMPARE(s->value(QStringLiteral("WLeft")).toInt(), bounds.left());
    }

    // Command buttons of every tab and page: caption ID (0 hidden), tag and font colour.
    void commandButtonsPerPage_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("page");
        QTest::addColumn<QList<int>>("captions");
        QTest::addColumn<QList<int>>("tags");
        QTest::addColumn<QList<QColor>>("colours");
        const QColor red(255, 0, 0), green(0, 160, 0), purple(128, 0, 128), active(0, 0, 160), none;
        const QColor sys = windowText();
        using I = QList<int>;
        using C = QList<QColor>;
        QTest::newRow("Settings") << 1 << 0 << 0 << I{0, 0, 0, 1260} << I{0, 0, 0, 101} << C{none, none, none, active};
        QTest::newRow("Calibration") << 1 << 1 << 0 << I{0, 0, 0, 1261} << I{0, 0, 0, 201}
                                     << C{none, none, none, active};
        QTest::newRow("Diagnostics") << 1 << 3 << 0 << I{1265, 1266, 0, 1264} << I{402, 403, 0, 401}
                                     << C{sys, sys, none, active};
        QTest::newRow("Oscilloscope") << 1 << 4 << 0 << I{0, 0, 0, 0} << I{0, 0, 0, 0} << C{none, none, none, none};
        QTest::newRow("map 0") << 1 << 2 << 0 << I{1268, 1269, 1271, 0} << I{311, 312, 313, 0}
                               << C{red, green, purple, none};
        QTest::newRow("map 1 full") << 1 << 2 << 1 << I{1268, 1269, 1272, 0} << I{321, 322, 323, 0}
                                    << C{red, green, active, none};
        QTest::newRow("map 1 basic") << 0 << 2 << 1 << I{1272, 0, 0, 0} << I{323, 0, 0, 0}
                                     << C{active, none, none, none};
        QTest::newRow("map 2") << 1 << 2 << 2 << I{1272, 0, 0, 0} << I{331, 0, 0, 0} << C{purple, none, none, none};
        QTest::newRow("map 3") << 1 << 2 << 3 << I{1272, 0, 0, 0} << I{341, 0, 0, 0} << C{purple, none, none, none};
        QTest::newRow("map 4") << 1 << 2 << 4 << I{1272, 0, 0, 0} << I{341, 0, 0, 0} << C{purple, none, none, none};
        QTest::newRow("OBD ELM") << 1 << 5 << 0 << I{1273, 1274, 0, 1118} << I{391, 392, 0, 390}
                                 << C{sys, sys, none, sys};
        QTest::newRow("OBD module") << 1 << 5 << 1 << I{1273, 1274, 0, 0} << I{393, 394, 0, 0}
                                    << C{sys, sys, none, none};
        QTest::newRow("OBD device") << 1 << 5 << 2 << I{1273, 1274, 0, 0} << I{395, 396, 0, 0}
                                    << C{sys, sys, none, none};
        QTest::newRow("OBD RPM corrections")
            << 2 << 5 << 3 << I{1268, 1269, 1272, 0} << I{324, 325, 323, 0} << C{red, green, active, none};
    }
    void commandButtonsPerPage()
    {
        QFETCH(int, view);
        QFETCH(int, tab);
        QFETCH(int, page);
        QFETCH(QList<int>, captions);
        QFETCH(QList<int>, tags);
        QFETCH(QList<QColor>, colours);
        Window w;
        TForm1& f = w.form;
        f.menus()->viewItem(view)->trigger();
        QTest::mouseClick(f.tabs()->row1()[tab], Qt::LeftButton);
        if (tab == 2) QTest::mouseClick(f.tabs()->row2()[page], Qt::LeftButton);
        if (tab == 5) QTest::mouseClick(f.tabs()->row3()[page], Qt::LeftButton);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(f.commands()->button(i)->isVisible(), captions[i] != 0);
            if (!captions[i]) continue;
            QVERIFY(f.commands()->button(i)->text().startsWith(polish(captions[i])));
            QCOMPARE(f.commands()->tag(i), tags[i]);
            QCOMPARE(buttonText(f.commands()->button(i)), colours[i]);
            QCOMPARE(f.commands()->button(i)->y(), 0);
        }
        // Buttons side by side from the left never overlap.
        for (int i = 1; i < 3; ++i)
            if (f.commands()->button(i)->isVisible())
                QVERIFY(f.commands()->button(i)->x() >= f.commands()->button(i - 1)->geometry().right() + 1);
    }

    void pressedTabColourAndAdminMapPages()
    {
        Window w;
        TForm1& f = w.form;
        const QColor active = f.palette.active;
        QTest::mouseClick(f.tabs()->row1()[2], Qt::LeftButton);
        QCOMPARE(buttonText(f.tabs()->row1()[2]), active);
        QCOMPARE(buttonText(f.tabs()->row1()[0]), windowText());
        QCOMPARE(buttonText(f.tabs()->row2()[0]), active);
        // A theme change keeps the highlight, in the new theme's active colour.
        f.menus()->colorItem(5)->trigger();
        QCOMPARE(buttonText(f.tabs()->row1()[2]), f.palette.active);
        // Re-applied after a language or view change without a pressed button: the shown tab keeps the
        // highlight, and only it.
        for (QAction* change : {f.menus()->langItem(0), f.menus()->viewItem(2), f.menus()->viewItem(1)}) {
            change->trigger();
            for (int i = 0; i < 6; ++i)
                QCOMPARE(buttonText(f.tabs()->row1()[i]), i == 2 ? f.palette.active : windowText());
            QCOMPARE(f.pages()->topTab(), 2);
        }

        // One line of map pages outside admin mode; admin mode adds the second line.
        QCOMPARE(f.tabs()->PanelTopTab2()->height(), 25);
        QVERIFY(!f.tabs()->row2()[5]->isVisible() && !f.tabs()->row2()[6]->isVisible());
        f.developerMode = 3;
        QTest::mouseClick(f.tabs()->row1()[2], Qt::LeftButton);
        QTRY_COMPARE(f.tabs()->PanelTopTab2()->height(), 50);
        QVERIFY(f.tabs()->row2()[5]->isVisible() && f.tabs()->row2()[6]->isVisible());
        const int bw = f.tabs()->PanelTopTab2()->width() / 5;
        QCOMPARE(f.tabs()->row2()[5]->geometry(), QRect(0, 25, bw, 25));
        QCOMPARE(f.tabs()->row2()[6]->geometry(), QRect(bw, 25, bw, 25));
        QCOMPARE(f.tabs()->row2()[6]->text(), programTexts().text(1218, TextTable::English));
        QTest::mouseClick(f.tabs()->row2()[5], Qt::LeftButton);
        QCOMPARE(f.pages()->mapPage(), 6);
        QCOMPARE(f.commands()->tag(0), 351);
        QTest::mouseClick(f.tabs()->row2()[6], Qt::LeftButton);
        QCOMPARE(f.commands()->tag(0), 361);
        QCOMPARE(buttonText(f.commands()->button(0)), QColor(128, 0, 128));
        f.developerMode = 1;
        QTest::mouseClick(f.tabs()->row1()[2], Qt::LeftButton);
        QTRY_COMPARE(f.tabs()->PanelTopTab2()->height(), 25);
        QVERIFY(!f.tabs()->row2()[5]->isVisible());
    }

    void splashShowsForFiveTicks()
    {
        Window w;
        TForm1& f = w.form;
        f.Timer2Timer();
        QWidget* logo = f.findChild<QWidget*>(QStringLiteral("FormLogo"));
        QVERIFY(logo && logo->isVisible());
        QCOMPARE(logo->size(), QSize(708, 490));
        for (int i = 0; i < 3; ++i) f.Timer2Timer();
        QVERIFY(logo->isVisible());
        f.Timer2Timer();
        QVERIFY(!logo->isVisible());
        QVERIFY(!f.Timer2->isActive());
    }
};

QTEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
