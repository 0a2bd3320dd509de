// The main window's live screens: the arithmetic of the grids and panels as tables, and the window
// itself taking real frames through its link-event handler and real mouse clicks.
#include <QtCore/QSettings>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>
#include <QtWidgets/QLabel>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QTextEdit>
#include <QtWidgets/QToolButton>
#include <QtWidgets/QToolTip>

#include <array>

#include "base/TextTable.h"
#include "link/Tsterownik.h"
#include "obd/Telmobd.h"
#include "scope/Toscyloskop.h"
#include "shell/ChannelList.h"
#include "shell/CommandBar.h"
#include "shell/DiagnosticBoxes.h"
#include "shell/GridLayout.h"
#include "shell/LivePanels.h"
#include "shell/MainMenu.h"
#include "shell/ObdPagesPanel.h"
#include "shell/ReadingsPanel.h"
#include "shell/SidePanel.h"
#include "shell/TabRows.h"
#include "shell/Unitmain.h"
#include "shell/WorkPages.h"
#include "tests/WindowRig.h"
#include "ui/StringGrid.h"

namespace {

QString polish(int id) { return programTexts().text(id, TextTable::Polish); }

// A main window without ports: frames are put into the link's receive buffer and announced
// through the link-event handler, as the link does after verifying them.
struct Window : WindowRig {
    Window()
    {
        link().timer()->stop();
        form.ObdPort->timer()->stop();
        form.FormCreate();
        form.resize(1000, 700);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.SpeedButton1Click(0);
    }
    // The controller identifies itself with `injectors` injectors, as the link reports it.
    void identify(int injectors)
    {
        link().mem.identity[59] = uint8_t(injectors);
        link().ListaParamOdPlytki();
        form.LinkEvent(kEventFrameReceived, 0x81, 0, 128);
    }
    // A live frame of `length` bytes with `bytes` set (offset, value) and the rest 0.
    void live(std::initializer_list<std::pair<int, int>> bytes, int length = 92)
    {
        std::array<uint8_t, LiveFrame::kSize> f{};
        f[3] = 0x90;
        for (const auto& [at, v] : bytes) f[size_t(at)] = uint8_t(v);
        link().liveStatus = {f[10], f[11], f[12]};  // kept by the link's dispatcher
        form.LiveFrameReceived(LiveFrame(f.data(), length));
    }
    void errors(const QByteArray& bytes, int length)
    {
        std::array<uint8_t, LiveFrame::kSize> f{};
        std::copy_n(bytes.begin(), std::min<qsizetype>(bytes.size(), LiveFrame::kSize), f.begin());
        form.ShowErrors(LiveFrame(f.data(), length));
    }
    QColor led(int x, int y) const { return form.readings()->Image1->pixmap().toImage().pixelColor(x, y); }
};

}  // namespace

class TstLivePanels : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(programTexts().load());
        QLocale::setDefault(QLocale::c());
    }

    // ------------------------------------------------------------ pure pieces

    void sizes()
    {
        QCOMPARE(GridLayout::rowHeight(400), 20);
        QCOMPARE(GridLayout::rowHeight(300), 18);
        QCOMPARE(GridLayout::gridHeight(20, 5), 108);
        QCOMPARE(GridLayout::readingsColumns(200), (std::array<int, 2>{130, 69}));
        QCOMPARE(GridLayout::injectionColumns(200, false), (std::array<int, 4>{20, 70, 40, 67}));
        QCOMPARE(GridLayout::injectionColumns(200, true), (std::array<int, 4>{15, 65, 35, 65}));
        QCOMPARE(GridLayout::injectorRows(4, false), 4);
        QCOMPARE(GridLayout::injectorRows(4, true), 1);
        QCOMPARE(GridLayout::injectorRows(12, false), 8);  // identity byte 59 above eight
    }

    void fontFitting_data()
    {
        QTest::addColumn<int>("available");
        QTest::addColumn<int>("rowHeight");
        QTest::addColumn<int>("previous");
        QTest::addColumn<int>("size");
        // Text 10 pixels wide per point size, 2 pixels high per point size; margin 4.
        QTest::newRow("width decides") << 125 << 100 << 9 << 12;   // 120 + 4 < 125
        QTest::newRow("strictly less") << 124 << 100 << 9 << 11;   // 120 + 4 is not < 124
        QTest::newRow("height decides") << 1000 << 21 << 9 << 10;  // 20 < 21
        QTest::newRow("largest first") << 1000 << 100 << 9 << 20;
        QTest::newRow("nothing fits keeps previous") << 50 << 100 << 9 << 9;
    }
    void fontFitting()
    {
        QFETCH(int, available);
        QFETCH(int, rowHeight);
        QFETCH(int, previous);
        const int got = GridLayout::fitFontSize(
            20, 7, previous, available, 4, rowHeight, [](int s) { return 10 * s; }, [](int s) { return 2 * s; });
        QTEST(got, "size");
    }

    void injectorClick_data()
    {
        QTest::addColumn<int>("enabled");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("kept");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("mask");
        QTest::newRow("sequence: one off") << 0xFF << 1 << 0 << 0 << 4 << 0xFD;
        QTest::newRow("sequence: back on") << 0xFD << 1 << 0 << 0 << 4 << 0xFF;
        QTest::newRow("groups: cylinder 2 takes 2, 4, 6, 8") << 0xFF << 1 << 1 << 0 << 8 << 0x55;
        QTest::newRow("groups: cylinder 3 takes 1, 3, 5, 7") << 0xFF << 2 << 1 << 0 << 8 << 0xAA;
        QTest::newRow("all at once") << 0x0F << 0 << 2 << 0 << 4 << 0xF0;
        QTest::newRow("kept on petrol never enabled") << 0xFB << 2 << 0 << 0x04 << 4 << 0xFB;
        QTest::newRow("kept on petrol cleared by any click") << 0xFF << 0 << 0 << 0x08 << 4 << 0xF6;
        QTest::newRow("row beyond the injectors") << 0xFF << 5 << 0 << 0 << 4 << 0xFF;
        QTest::newRow("count above eight: row 7 still works") << 0xFF << 7 << 0 << 0 << 12 << 0x7F;
        QTest::newRow("count above eight: no row 9") << 0xFF << 9 << 0 << 0 << 12 << 0xFF;
    }
    void injectorClick()
    {
        QFETCH(int, enabled);
        QFETCH(int, row);
        QFETCH(int, type);
        QFETCH(int, kept);
        QFETCH(int, count);
        QTEST(int(GridLayout::switchedMask(uint8_t(enabled), row, type, uint8_t(kept), count)), "mask");
    }

    void outputNumbers()
    {
        QCOMPARE(GridLayout::outputNumbers(0x05, 4), QStringLiteral("13"));
        QCOMPARE(GridLayout::outputNumbers(0x0C, 3), QStringLiteral("3"));
        QCOMPARE(GridLayout::outputNumbers(0xFF, 12), QStringLiteral("12345678"));
        QCOMPARE(GridLayout::outputNumbers(0, 8), QString());
    }

    void detailsAndCauses()
    {
        QCOMPARE(LivePanels::detailTextId(10, 0x05), 1813);  // the highest bit with a text
        QCOMPARE(LivePanels::detailTextId(1, 0x06), 1803);
        QCOMPARE(LivePanels::detailTextId(1, 0x01), 0);  // bit 0 of group 1 has none
        QCOMPARE(LivePanels::detailTextId(20, 0xC0), 0);
        QCOMPARE(LivePanels::detailTextId(5, 0xFF), 0);
        QCOMPARE(LivePanels::fuelSwitchTextId(1), 2001);
        QCOMPARE(LivePanels::fuelSwitchTextId(17), 2017);
        QCOMPARE(LivePanels::fuelSwitchTextId(20), 0);
        QCOMPARE(LivePanels::fuelSwitchTextId(32), 2018);
        QCOMPARE(LivePanels::fuelSwitchTextId(35), 2021);
        QCOMPARE(LivePanels::fuelSwitchTextId(36), 0);
        QCOMPARE(TScope::TimeText(12), QStringLiteral("1.2 [s]"));
        QCOMPARE(LivePanels::historyLine(QStringLiteral("1.2 [s]"), QStringLiteral("x")),
                 QStringLiteral("1.2 [s]\t\tx"));
        QCOMPARE(LivePanels::historyLine(QStringLiteral("12.3 [s]"), QStringLiteral("x")),
                 QStringLiteral("12.3 [s]\tx"));
        QCOMPARE(LivePanels::protocolPictureName(-1), QStringLiteral("RC_OBD_OFF"));
        QCOMPARE(LivePanels::protocolPictureName(0), QStringLiteral("RC_OBD_ON"));
        QCOMPARE(LivePanels::protocolPictureName(2), QStringLiteral("RC_OBD_VPW"));
        QCOMPARE(LivePanels::protocolPictureName(5), QStringLiteral("RC_OBD_ISO"));
        QCOMPARE(LivePanels::protocolPictureName(9), QStringLiteral("RC_OBD_CAN"));
        QCOMPARE(LivePanels::protocolPictureName(10), QStringLiteral("RC_OBD_ON"));
    }

    void errorLines_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QStringList>("lines");
        const auto frame = [](std::initializer_list<std::pair<int, int>> bytes) {
            QByteArray f(128, 0);
            for (const auto& [at, v] : bytes) f[at] = char(v);
            return f;
        };
        const QStringList storedHead{QString(), QStringLiteral("\tT1233:"), QString()};
        QTest::newRow("injector faults 1 and 3")
            << frame({{10, 0x05}}) << 70 << false << QStringList{"T1940 1", "T1940 3"};
        QTest::newRow("byte and bit order")
            << frame({{12, 0x80}, {6, 0x02}, {8, 0x01}}) << 70 << false << QStringList{"T1902", "T1921", "T1960 8"};
        QTest::newRow("bits without an error")
            << frame({{7, 0x8C | 0x10}, {9, 0xF1}}) << 70 << false << QStringList{"T1913", "T1931"};
        QTest::newRow("counters") << frame({{13, 2}, {14, 0}, {31, 7}, {23, 9}, {68, 1}}) << 70 << true
                                  << storedHead + QStringList{"2 x T1901", "7 x T1923", "1 x T1960 8"};
        QTest::newRow("counters need the live flag") << frame({{13, 2}}) << 70 << false << QStringList{};
        QTest::newRow("counters past the frame count as 0")
            << frame({{13, 2}, {40, 5}, {50, 6}}) << 45 << true << storedHead + QStringList{"2 x T1901", "5 x T1934"};
        QTest::newRow("error bits past a short frame")
            << frame({{6, 1}, {11, 1}}) << 9 << false << QStringList{"T1901"};
    }
    void errorLines()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, length);
        QFETCH(bool, stored);
        const QStringList got = LivePanels::errorLines(reinterpret_cast<const uint8_t*>(frame.constData()), length,
                                                       stored, [](int id) { return QStringLiteral("T%1").arg(id); });
        QTEST(got, "lines");
    }

    // ------------------------------------------------------------ the window

    // A channel name cut in the readings grid for want of room shows whole in its cell's tooltip;
    // in a wide panel no name is cut and no cell has one.
    void cutReadingNamesHaveTheirTooltip_data()
    {
        QTest::addColumn<int>("panelWidth");
        QTest::addColumn<bool>("cut");
        QTest::newRow("narrow panel") << 110 << true;
        QTest::newRow("wide panel") << 400 << false;
    }
    void cutReadingNamesHaveTheirTooltip()
    {
        QFETCH(int, panelWidth);
        QFETCH(bool, cut);
        programLanguage() = TextTable::Russian;
        Window w;
        w.form.Relabel();
        w.form.resize(1400, 800);
        w.form.rightPanel()->setOpenWidth(panelWidth);
        QCoreApplication::processEvents();
        StringGrid* grid = w.form.readings()->StringGridParametry;
        QStringList names;
        for (int i = 0; i < int(w.link().channels().size()); ++i) names << TextById(w.link().channels()[i].id);
        int tips = 0;
        for (int r = 0; r < grid->rowCount(); ++r) {
            const QPoint at = grid->cellRect(0, r).center();
            QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
            QCoreApplication::sendEvent(grid->viewport(), &help);
            if (!QToolTip::isVisible()) continue;
            ++tips;
            QVERIFY2(names.contains(QToolTip::text()), qPrintable(QToolTip::text()));
            QToolTip::hideText();
        }
        QCOMPARE(tips > 0, cut);
        programLanguage() = TextTable::English;
    }

    void liveFrameUpdatesStatusLedsAndGrids()
    {
        Window w;
        TForm1& f = w.form;
        TSterownik& l = w.link();
        w.identify(4);
        for (int r = 0; r < 4; ++r) l.mem.settings[32 + r] = uint8_t(1 << r);
        f.LayoutRightPanel();
        QCOMPARE(f.readings()->StringGridCzasyWtr->rowCount(), 4);
        QCOMPARE(f.readings()->StringGridParametry->rowCount(), l.PodajIleParamBiez(32));

        // A panel added later (as the chart and the oscilloscope are) sees the grids and LEDs
        // already updated.
        struct Later : Panel {
            std::function<void()> seen;
            void liveFrame(const LiveFrame&) override { seen(); }
        } later;
        QString readingSeen;
        std::array<int, 2> ledsSeen{};
        later.seen = [&] {
            readingSeen = f.readings()->StringGridParametry->cell(1, 0);
            ledsSeen = f.readings()->ledsDrawn();
        };
        f.panels.add(&later);

        // On gas (state 0x306), 820 rpm, petrol 5.00 ms and gas 6.00 ms on cylinder 1, level LED
        // 4 and the fuel LED green.
        w.live({{10, 0x06},
                {11, 0x03},
                {17, 82},
                {60, 1250 & 0xFF},
                {61, 1250 >> 8},
                {62, 1500 & 0xFF},
                {63, 1500 >> 8},
                {13, 0x20},
                {14, 0x02}});
        QCOMPARE(f.commands()->PanelStatus()->text(), polish(l.StanPracyTextId(0x306, 1)));
        QCOMPARE(f.commands()->PanelStatus()->palette().color(QPalette::Window), QColor(0, 160, 0));
        QCOMPARE(f.readings()->StringGridParametry->cell(1, 0), QStringLiteral("820"));
        QCOMPARE(readingSeen, QStringLiteral("820"));
        QCOMPARE(ledsSeen, (std::array<int, 2>{0x20, 0x02}));
        QCOMPARE(f.readings()->StringGridCzasyWtr->cell(1, 0), QStringLiteral("5.00"));
        QCOMPARE(f.readings()->StringGridCzasyWtr->cell(3, 0), QStringLiteral("6.00"));
        QCOMPARE(f.readings()->StringGridCzasyWtr->cell(1, 1), QStringLiteral("0.00"));
        QCOMPARE(w.led(15, 16), QColor(0, 160, 0));  // level 4
        QCOMPARE(w.led(15, 31), QColor(0, 0, 0));    // level 3
        QCOMPARE(w.led(74, 16), QColor(0, 160, 0));  // fuel
        QCOMPARE(f.tabs()->row1()[3]->palette().color(QPalette::ButtonText),
                 f.tabs()->row1()[2]->palette().color(QPalette::ButtonText));

        // The same times are not written again; the same LED bytes are not drawn again.
        f.readings()->StringGridCzasyWtr->setCell(1, 0, QStringLiteral("mark"));
        const qint64 picture = f.readings()->Image1->pixmap().cacheKey();
        w.live({{10, 0x06}, {11, 0x03 | 0x08}, {17, 82}, {60, 1250 & 0xFF}, {61, 1250 >> 8}, {13, 0x20}, {14, 0x02}});
        QCOMPARE(f.readings()->StringGridCzasyWtr->cell(1, 0), QStringLiteral("mark"));
        QCOMPARE(f.readings()->StringGridCzasyWtr->cell(3, 0), QStringLiteral("0.00"));
        QCOMPARE(f.readings()->Image1->pixmap().cacheKey(), picture);
        QCOMPARE(f.tabs()->row1()[3]->palette().color(QPalette::ButtonText), QColor(255, 0, 0));  // a current error

        // An unchanged reading is not set again either; a new set of readings shows every value afresh.
        f.readings()->StringGridParametry->setCell(1, 0, QStringLiteral("mark"));
        w.live({{10, 0x06}, {11, 0x03}, {17, 82}});
        QCOMPARE(f.readings()->StringGridParametry->cell(1, 0), QStringLiteral("mark"));
        l.setChannelShown(l.PodajPozycje(kChannelReadings, 1), kChannelReadings, false);
        f.LayoutRightPanel();
        w.live({{10, 0x06}, {11, 0x03}, {17, 82}});
        QCOMPARE(f.readings()->StringGridParametry->cell(1, 0), QStringLiteral("820"));

        // Lowest LED red, fuel LED off.
        w.live({{13, 0x01}, {14, 0x00}});
        QCOMPARE(w.led(15, 76), QColor(200, 0, 0));
        QCOMPARE(w.led(74, 16), QColor(0, 0, 0));
        QCOMPARE(w.led(15, 16), QColor(0, 0, 0));
        f.panels.remove(&later);  // it goes before the window
    }

    void firstFrameDrawsLedsEvenWhenDark()
    {
        Window w;
        TForm1& f = w.form;
        QCOMPARE(f.readings()->ledsDrawn(), (std::array<int, 2>{-1, -1}));
        // Paint the LED spots so that a frame that draws nothing would leave them visible.
        QImage marked = f.readings()->Image1->pixmap().toImage();
        marked.setPixelColor(15, 16, Qt::yellow);
        f.readings()->Image1->setPixmap(QPixmap::fromImage(marked));
        w.live({{13, 0}, {14, 0}});
        QCOMPARE(f.readings()->ledsDrawn(), (std::array<int, 2>{0, 0}));
        QCOMPARE(w.led(15, 16), QColor(0, 0, 0));
        // A theme change rebuilds the picture and forgets the LEDs.
        f.MenuColor0Click(0);
        QCOMPARE(f.readings()->ledsDrawn(), (std::array<int, 2>{-1, -1}));
    }

    void detailAlternatesEverySecond()
    {
        Window w;
        TForm1& f = w.form;
        f.secondsCounter = 1;
        w.live({{10, 0x02}, {11, 0x03}, {6, 10}, {7, 0x04}});
        QCOMPARE(f.commands()->PanelStatus()->text(), polish(1813));
        QCOMPARE(f.commands()->PanelStatus()->font().pointSize(), 8);
        f.secondsCounter = 2;
        w.live({{10, 0x02}, {11, 0x03}, {6, 10}, {7, 0x04}});
        QCOMPARE(f.commands()->PanelStatus()->text(), polish(w.link().StanPracyTextId(0x302, 1)));
        QCOMPARE(f.commands()->PanelStatus()->font().pointSize(), 10);
    }

    void errorsReplyFillsTheErrorsBox()
    {
        Window w;
        TForm1& f = w.form;
        QByteArray reply(70, 0);
        reply[3] = char(0x82);
        reply[10] = 0x05;
        reply[13] = 3;
        w.errors(reply, 70);
        QCOMPARE(f.pages()->diagnostics()->RichEditBledy()->toPlainText(),
                 polish(1940) + QStringLiteral(" 1\n") + polish(1940) + QStringLiteral(" 3"));
        // With stored counters announced by the latest live frame.
        w.live({{11, 0x10}});
        w.errors(reply, 70);
        QCOMPARE(f.pages()->diagnostics()->RichEditBledy()->toPlainText().split(QLatin1Char('\n')),
                 (QStringList{polish(1940) + QStringLiteral(" 1"), polish(1940) + QStringLiteral(" 3"), QString(),
                              QLatin1Char('\t') + polish(1233) + QLatin1Char(':'), QString(),
                              QStringLiteral("3 x ") + polish(1901)}));
    }

    void historyLines()
    {
        Window w;
        TForm1& f = w.form;
        qint64 samples = 12;
        f.pages()->diagnostics()->timeText = [&] { return TScope::TimeText(samples); };
        w.live({{6, 0xF0}, {7, 5}});
        samples = 123;
        w.live({{6, 0xF0}, {7, 20}});
        w.live({{6, 0xF3}});
        w.live({{6, 0x00}, {7, 5}});  // no event
        QCOMPARE(f.pages()->diagnostics()->RichEditInfo()->toPlainText().split(QLatin1Char('\n')),
                 (QStringList{QStringLiteral("1.2 [s]\t\t") + polish(2005), QStringLiteral("12.3 [s]\t"),
                              QStringLiteral("12.3 [s]\t") + polish(3810)}));
    }

    void clickingAGasInjectorBoxSwitchesIt()
    {
        Window w;
        TForm1& f = w.form;
        TSterownik& l = w.link();
        w.identify(4);
        for (int r = 0; r < 4; ++r) l.mem.settings[32 + r] = uint8_t(1 << r);
        l.mem.settings[56] = 0;
        l.mem.settings[31] = 0;
        l.switchInjectors(0xFF);
        f.LayoutRightPanel();
        StringGrid* g = f.readings()->StringGridCzasyWtr;
        const QRect cell = g->cellRect(2, 1);
        const QPoint box(cell.right() - 2 - 8, cell.center().y());
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, box);
        QCOMPARE(int(l.injectorsEnabled()), 0xFD);
        QCOMPARE(int(l.commandPending(TSterownik::CmdInjectorSwitch)), 1);
        // The number column itself is no switch; a click on the petrol time does nothing either.
        l.cancelCommand(TSterownik::CmdInjectorSwitch);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->cellRect(1, 1).center());
        QCOMPARE(int(l.injectorsEnabled()), 0xFD);
        QCOMPARE(int(l.commandPending(TSterownik::CmdInjectorSwitch)), 0);
        // The tick is drawn only for the enabled injectors.
        const QImage shot = g->viewport()->grab().toImage();
        const auto tickPixels = [&](int row) {
            const QRect c = g->cellRect(2, row);
            const QRect b(c.right() + 1 - 2 - 16, c.top() + (c.height() - 16) / 2, 16, 16);
            int n = 0;
            for (int y = b.top(); y <= b.bottom(); ++y)
                for (int x = b.left(); x <= b.right(); ++x) n += shot.pixelColor(x, y) == QColor(0, 128, 0);
            return n;
        };
        QVERIFY(tickPixels(0) > 20);
        QCOMPARE(tickPixels(1), 0);
    }

    void injectorCountAboveEight()
    {
        Window w;
        TForm1& f = w.form;
        TSterownik& l = w.link();
        w.identify(12);
        for (int r = 0; r < 8; ++r) l.mem.settings[32 + r] = uint8_t(1 << r);
        f.LayoutRightPanel();
        QCOMPARE(f.readings()->StringGridCzasyWtr->rowCount(), 8);
        w.live({{89, 0x10}, {91, 0x20}});  // cylinder 8: the last times in the frame
        QCOMPARE(f.readings()->StringGridCzasyWtr->cell(1, 7), QStringLiteral("16.38"));
        QCOMPARE(f.readings()->StringGridCzasyWtr->cell(3, 7), QStringLiteral("32.77"));
        f.grab();  // every row drawn without reading settings past row 8
    }

    void injectionGridShowsEveryCylinderWhileThereIsRoom()
    {
        Window w;
        TForm1& f = w.form;
        w.identify(8);
        for (int r = 0; r < 8; ++r) w.link().mem.settings[32 + r] = uint8_t(1 << r);
        StringGrid* g = f.readings()->StringGridCzasyWtr;
        const auto settle = [&] {
            f.LayoutRightPanel();
            QCoreApplication::processEvents();
        };
        settle();
        // Room for all eight rows below the readings: no scroll bar, and the pictures stay below.
        QCOMPARE(g->height(), GridLayout::gridHeight(g->defaultRowHeight(), 8));
        QVERIFY(g->verticalScrollBar()->maximum() == 0);
        QVERIFY(g->geometry().bottom() < f.readings()->Image1->geometry().top());
        // A low window: the grid gives way and scrolls; the switch picture stays inside the panel.
        f.resize(1000, 380);
        settle();
        QVERIFY(g->height() < GridLayout::gridHeight(g->defaultRowHeight(), 8));
        QVERIFY(g->verticalScrollBar()->maximum() > 0);
        QVERIFY(f.readings()->Image1->mapTo(f.rightPanel()->body(), QPoint(0, f.readings()->Image1->height())).y() <=
                f.rightPanel()->body()->height());
    }

    void collapsingTheInjectionGrid()
    {
        Window w;
        TForm1& f = w.form;
        w.identify(4);
        f.MenuView0Click(2);
        QVERIFY(f.readings()->BtnParamIng->isVisible());
        QTest::mouseClick(f.readings()->BtnParamIng, Qt::LeftButton);
        QCOMPARE(f.readings()->StringGridCzasyWtr->rowCount(), 1);
        QCOMPARE(f.readings()->BtnParamIng->text(), QStringLiteral("+"));
        f.MenuView0Click(1);  // basic and full views expand it again
        QCOMPARE(f.readings()->StringGridCzasyWtr->rowCount(), 4);
        QVERIFY(f.readings()->BtnParamIng->isHidden());
    }

    void channelList()
    {
        Window w;
        TForm1& f = w.form;
        TSterownik& l = w.link();
        f.MenuView0Click(2);
        f.SetLeftCollapsed(false);
        QTest::keyClick(&f, Qt::Key_F5);
        StringGrid* g = f.channelList();
        QVERIFY(g->isVisible());  // filled as it came into view
        QCOMPARE(g->rowCount(), l.PodajIleParamBiez(1));
        int redraws = 0;
        f.channelList()->onChannelsChanged = [&] { ++redraws; };
        QList<QColor> offered;
        f.channelList()->pickColour = [&](const QColor& c) {
            offered << c;
            return QColor(10, 20, 30);
        };
        // Find a channel the oscilloscope does not draw.
        int row = -1;
        for (int k = 0; k < g->rowCount() && row < 0; ++k)
            if (!(l.channels()[l.PodajPozycje(1, k)].flags & 16)) row = k;
        QVERIFY(row >= 0);
        g->setTopRow(row);
        const TWykres& ch = l.channels()[l.PodajPozycje(1, row)];
        const TColor before = ch.colour;
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->cellRect(0, row).center());
        QVERIFY(offered.isEmpty());  // its swatch does nothing
        QCOMPARE(ch.colour, before);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->cellRect(2, row).center());
        QVERIFY(ch.flags & 16);  // its name ticks it
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->cellRect(0, row).center());
        QCOMPARE(offered.size(), 1);
        QCOMPARE(ch.colour, Rgb(10, 20, 30));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->cellRect(1, row).center());
        QVERIFY(!(ch.flags & 16));
        QCOMPARE(redraws, 3);

        // A language change names the channels again, while the list is in view.
        const int first = l.PodajPozycje(1, 0);
        QCOMPARE(g->cell(2, 0), QLatin1Char(' ') + programTexts().text(l.channels()[first].id, TextTable::Polish));
        f.MenuLang0Click(0);
        QCOMPARE(g->cell(2, 0), QLatin1Char(' ') + programTexts().text(l.channels()[first].id, TextTable::English));
    }

    void obdStateAndCaption()
    {
        Window w;
        TForm1& f = w.form;
        f.LinkEvent(100, 100, 0, 0);  // searching: stays
        QCOMPARE(f.pages()->topTab(), 0);
        QCOMPARE(f.obdState, 0);
        f.LinkEvent(100, 100, 0, -1);  // no adapter: the OBD tab
        QCOMPARE(f.pages()->topTab(), 5);
        QCOMPARE(f.obdState, -1);
        f.SpeedButton1Click(0);
        f.LinkEvent(100, 100, 0, 6);
        QCOMPARE(f.pages()->topTab(), 5);
        QVERIFY(f.obdPages()->isVisible());
        QVERIFY(f.obdPages()->StringGridElm()->isVisible());

        w.link().loadedFileName = QStringLiteral("/tmp/a.set");
        f.LinkEvent(kEventFileLoaded, 0, 0, 0);
        QCOMPARE(f.windowTitle(), f.baseCaption + QStringLiteral(" - [/tmp/a.set]"));
        QCOMPARE(f.connTag, -1);
        f.LinkEvent(kEventLinkStarted, 0, 0, 0);
        QCOMPARE(f.windowTitle(), f.baseCaption);
    }

    void obdPagesOneAndTwoShowOnlyTheCodeBox()
    {
        Window w;
        TForm1& f = w.form;
        QTest::keyClick(&f, Qt::Key_F6);
        QCOMPARE(f.pages()->obdPage(), 0);
        QVERIFY(f.obdPages()->StringGridElm()->isVisible());
        QVERIFY(f.obdPages()->PanelObdTabs()->isVisible());
        QTest::mouseClick(f.obdPages()->SpeedButton42(), Qt::LeftButton);
        QVERIFY(f.obdPages()->StringGridPid()->isVisible());
        QVERIFY(!f.obdPages()->RichEditDtc()->isVisible());
        f.tabs()->row3()[1]->setChecked(true);
        f.SpeedButton31Click(1);
        QVERIFY(f.obdPages()->RichEditDtc()->isVisible());
        QVERIFY(!f.obdPages()->StringGridElm()->isVisible());
        QVERIFY(!f.obdPages()->PanelObdTabs()->isVisible());
        QVERIFY(!f.obdPages()->StringGridPid()->isVisible());
    }
    void obdPanelsFollowTheReader()
    {
        Window w;
        TForm1& f = w.form;
        TObd& obd = *f.ObdPort;
        QTest::keyClick(&f, Qt::Key_F6);
        obd.OnTimer0();  // the reader's first tick: labels, PID grid, empty code box
        obd.timer()->stop();
        StringGrid* status = f.obdPages()->StringGridElm();
        QCOMPARE(status->cell(0, ObdPanels::RowPort), QStringLiteral("PORT:"));
        QCOMPARE(status->cell(0, ObdPanels::RowMil), QStringLiteral("MIL:"));
        obd.Status(ObdPanels::RowDtc, QStringLiteral("2"), false);
        obd.Status(ObdPanels::RowElm, QStringLiteral("ELM327 v1.5"), true);
        QCOMPARE(status->cell(1, ObdPanels::RowElm), QStringLiteral("ELM327 v1.5"));
        QCOMPARE(status->cell(1, ObdPanels::RowDtc), QString());  // cleared below

        // PID grid: a click on the mark toggles a supported PID, a double click elsewhere too;
        // an unsupported one keeps its mark.
        obd.pidy[0x0C].supported = true;
        obd.pidy[0x0D].supported = false;
        obd.panels.pidValues[0x0C] = QStringLiteral("812");
        obd.OpiszPid();
        QTest::mouseClick(f.obdPages()->SpeedButton42(), Qt::LeftButton);
        StringGrid* pids = f.obdPages()->StringGridPid();
        QCOMPARE(pids->rowCount(), 129);
        QCOMPARE(pids->cell(0, 0x0C), QStringLiteral("0C"));
        QCOMPARE(pids->cell(1, 0x0C), QStringLiteral("off"));
        QCOMPARE(pids->cell(1, 0x0D), QStringLiteral("x"));
        pids->setTopRow(0x0A);
        QTest::mouseClick(pids->viewport(), Qt::LeftButton, {}, pids->cellRect(1, 0x0C).center());
        QCOMPARE(pids->cell(1, 0x0C), QStringLiteral("on"));
        QVERIFY(obd.pidy[0x0C].selected);
        QTest::mouseClick(pids->viewport(), Qt::LeftButton, {}, pids->cellRect(1, 0x0D).center());
        QCOMPARE(pids->cell(1, 0x0D), QStringLiteral("x"));
        // Right of the last column is no cell: neither a click nor a double click toggles.
        const QPoint outside(pids->viewport()->width() - 3, pids->cellRect(1, 0x0C).center().y());
        QVERIFY(outside.x() > pids->cellRect(4, 0x0C).right());
        QTest::mouseClick(pids->viewport(), Qt::LeftButton, {}, outside);
        QTest::mouseDClick(pids->viewport(), Qt::LeftButton, {}, outside);
        QVERIFY(obd.pidy[0x0C].selected);
        QTest::mouseClick(pids->viewport(), Qt::LeftButton, {}, pids->cellRect(2, 0x0C).center());
        QVERIFY(obd.pidy[0x0C].selected);  // a single click on the name does nothing
        QTest::mouseDClick(pids->viewport(), Qt::LeftButton, {}, pids->cellRect(2, 0x0C).center());
        QVERIFY(!obd.pidy[0x0C].selected);
        QCOMPARE(pids->cell(4, 0x0C), QString());  // the rebuild empties the values
        const QImage shot = pids->viewport()->grab().toImage();
        const QRect mark = pids->cellRect(1, 0x0D);
        int darkest = 255;
        for (int x = mark.left(); x <= mark.right(); ++x)
            for (int y = mark.top(); y <= mark.bottom(); ++y) darkest = std::min(darkest, shot.pixelColor(x, y).red());
        QVERIFY(darkest >= 192 && darkest < 250);  // an unsupported PID drawn in light grey

        // The code box follows the reader's lines and is emptied by a double click.
        QTest::mouseClick(f.obdPages()->SpeedButton41(), Qt::LeftButton);
        QVERIFY(f.obdPages()->RichEditDtc()->isVisible());
        for (int i = 0; i < 60; ++i)
            obd.panels.codeBox.append(
                {QStringLiteral("P%1").arg(i, 4, 10, QLatin1Char('0')), TObd::kCodeColour, false, 0});
        Q_EMIT obd.codeBoxChanged();
        QCOMPARE(f.obdPages()->RichEditDtc()->toPlainText().split(QLatin1Char('\n')).size(), 60);
        QVERIFY(f.obdPages()->RichEditDtc()->verticalScrollBar()->value() > 0);
        QCOMPARE(f.obdPages()->RichEditDtc()->verticalScrollBar()->value(),
                 f.obdPages()->RichEditDtc()->verticalScrollBar()->maximum());
        QTest::mouseDClick(f.obdPages()->RichEditDtc()->viewport(), Qt::LeftButton);
        QVERIFY(f.obdPages()->RichEditDtc()->toPlainText().isEmpty());
        QVERIFY(obd.panels.codeBox.isEmpty());
    }

    // The OBD panel takes the window's language and theme through the window's panel list: the
    // codes tab's caption, the colours of its boxes and grids, and the pressed tab, re-applied by
    // the theme change, in the new theme's active colour.
    void obdPanelFollowsLanguageAndTheme()
    {
        Window w;
        TForm1& f = w.form;
        ObdPagesPanel& obd = *f.obdPages();
        QTest::keyClick(&f, Qt::Key_F6);
        for (int lang : {0, 2, 1}) {
            f.menus()->langItem(lang)->trigger();
            QCOMPARE(obd.SpeedButton41()->text(), programTexts().text(1232, lang));
        }
        for (int theme : {5, 2}) {
            f.menus()->colorItem(theme)->trigger();
            const ThemePalette& t = f.palette;
            QCOMPARE(obd.palette().color(QPalette::Window), t.background);
            QCOMPARE(obd.RichEditDtc()->palette().color(QPalette::Base), t.field);
            QCOMPARE(obd.RichEditDtc()->palette().color(QPalette::Text), t.text);
            QCOMPARE(obd.StringGridElm()->viewport()->grab().toImage().pixelColor(2, 2), t.field);
            QCOMPARE(obd.SpeedButton41()->palette().color(QPalette::ButtonText), t.active);
        }
    }
};

QTEST_MAIN(TstLivePanels)
#include "tst_live_panels.moc"
