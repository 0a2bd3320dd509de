// The chart component as a widget in the main window, with real mouse and key events on the
// offscreen platform: the Map page shows the multiplier chart, node edits change the multiplier in
// the memory image and raise its write, the live cursor repaints only its strips, and the
// departures (no pressure scale, the end node, presses where nodes are drawn, a plot of no size).
#include <QtCore/QSettings>
#include <QtCore/QTemporaryDir>
#include <QtGui/QScreen>
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QToolButton>

#include <array>

#include "base/TextTable.h"
#include "charts/MultiplierGeometry.h"
#include "charts/MultiplierView.h"
#include "charts/Tgrafika.h"
#include "link/LoopbackBackend.h"
#include "link/Tsterownik.h"
#include "shell/TabRows.h"
#include "shell/Unitmain.h"
#include "shell/WorkPages.h"
#include "tests/WindowRig.h"
#include "tests/charts/MapPageWindow.h"

namespace {

constexpr int kScale = 239;
constexpr int kNodes = MemoryImage::kNodesBank1;

// Settings and maps of a learned installation: pressure scale 1.00 bar, nodes at 0, 5.0, 10.0 ms
// and the end (sorted, as every recompute leaves them), a rising multiplier, a band of learned petrol and gas cells.
void seed(TSterownik& link)
{
    uint8_t* s = link.mem.settingsBlock();
    for (int l = 0; l < 16; ++l) s[224 + l] = uint8_t(10 + 6 * l);
    s[kScale] = 100;
    s[4] = 0;
    s[80] = 0;
    s[81] = 0;
    s[83] = 0;
    s[10] = 1;
    std::fill(s + kNodes, s + kNodes + 26, 0);
    s[kNodes + 23] = 50;
    s[kNodes + 24] = 100;
    s[kNodes + 25] = 200;
    uint8_t* table = link.mem.block(MemoryImage::Multiplier1);
    table[0] = 90;
    table[50] = 100;
    table[100] = 110;
    table[200] = 120;
    link.WyliczMnoznik(1, 50, 150);
    link.mem.identity[66] = link.mem.identity[67] = 128;
    for (int r = 0; r < 16; ++r)
        for (int l = 0; l < 16; ++l) {
            link.mem.maps[MemoryImage::PetrolMap][16 * r + l] = uint8_t(20 + 8 * l + r);
            link.mem.maps[MemoryImage::GasMap][16 * r + l] = uint8_t(18 + 8 * l + r);
        }
}

// The main window on the Map page, its link on the in-memory line so that writes are requested.
struct Window : MapPageWindow {
    Window() : MapPageWindow(seed) { QCOMPARE(link().readMask, 0u); }
    uint8_t* slots() { return link().mem.settingsBlock() + kNodes; }
    QPoint node(int slot)
    {
        QPoint at;
        if (!view().nodePosition(chart(), slot, at)) qWarning("slot %d is not drawn", slot);
        return at;
    }
    void click(int slot, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(&chart(), button, {}, node(slot));
    }
    // A node edit asks for the settings block and multiplier bank 1 to be written.
    bool writeRaised() const { return (form.Sterownik1->writeMask & 3) == 3; }
    void clearWrites() { link().writeMask = 0; }
};

// Records the areas repainted on a widget.
struct PaintSpy : QObject {
    QList<QRegion> regions;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) regions << static_cast<QPaintEvent*>(e)->region();
        return false;
    }
};

LiveFrame liveFrame(int time, int pressure)
{
    std::array<uint8_t, 128> f{};
    f[19] = uint8_t(time);
    f[44] = uint8_t(pressure & 0xFF);
    f[45] = uint8_t(pressure >> 8);
    return LiveFrame(f.data(), int(f.size()));
}

}  // namespace

class TstGrafika : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(programTexts().load()); }

    void mapPageShowsTheMultiplierChart()
    {
        Window w;
        TGrafika& c = w.chart();
        QCOMPARE(c.view(), 0);
        QCOMPARE(c.parentWidget(), w.form.pages()->PanelChart());
        QCOMPARE(c.geometry(), w.form.pages()->PanelChart()->rect());
        QCOMPARE(c.plot().width, c.width() - 120);
        QCOMPARE(c.plot().top(), 25);
        // Another top tab hides it; back on the Map page it shows again.
        QTest::mouseClick(w.form.tabs()->row1()[0], Qt::LeftButton);
        QVERIFY(!c.isVisible());
        QTest::mouseClick(w.form.tabs()->row1()[2], Qt::LeftButton);
        QVERIFY(c.isVisible());
        QCOMPARE(c.view(), 0);
        // A page without a view yet shows the background only.
        QTest::mouseClick(w.form.tabs()->row2()[2], Qt::LeftButton);
        QVERIFY(c.isVisible());
        QTest::mouseClick(w.form.tabs()->row2()[0], Qt::LeftButton);
        QCOMPARE(c.view(), 0);
        // Resizing rebuilds the background at the next render: same margins, new plot.
        w.form.resize(1100, 760);
        QTRY_COMPARE(c.size(), w.form.pages()->PanelChart()->size());
        c.Render();
        QCOMPARE(c.backgroundImage().size(), c.size());
        QCOMPARE(c.plot().width, c.width() - 120);
        QCOMPARE(c.plot().left, 40);
    }

    void pressSelectsTheNodeWhereItIsDrawn_data()
    {
        QTest::addColumn<bool>("wide");
        QTest::addColumn<int>("adaptation");
        QTest::newRow("normal scale") << false << 0;
        QTest::newRow("wide scale") << true << 0;
        QTest::newRow("normal scale, adaptation +0.20") << false << 10;
        QTest::newRow("wide scale, adaptation -0.12") << true << -6;
    }
    void pressSelectsTheNodeWhereItIsDrawn()
    {
        QFETCH(bool, wide);
        QFETCH(int, adaptation);
        Window w;
        w.link().mem.settingsBlock()[80] = wide ? 1 : 0;
        w.link().mem.identity[67] = uint8_t(128 + adaptation);
        w.chart().Rebuild();
        QVERIFY(!w.chart().hasChartFocus());
        for (int slot : {23, 24, 0, 25}) {
            w.click(slot);
            QCOMPARE(w.view().selectedNode(), slot);
            QVERIFY(w.chart().hasChartFocus());
            QCOMPARE(w.view().hitTest(w.chart(), w.node(slot)), slot);
        }
        // Away from every node: none selected.
        const QPoint far = w.node(23) + QPoint(0, -60);
        QTest::mouseClick(&w.chart(), Qt::LeftButton, {}, far);
        QCOMPARE(w.view().selectedNode(), -1);
    }

    void keysEditNodesAndRaiseTheWrite()
    {
        Window w;
        w.click(23);  // position 50, value 100
        w.clearWrites();
        w.key(Qt::Key_Up);
        QCOMPARE(int(w.table()[50]), 101);
        QVERIFY(w.writeRaised());
        // The line to the neighbours follows the new value: halfway to position 0 (value 90).
        QCOMPARE(int(w.table()[25]), int(90 + 25 * (101 - 90) / 50.0));
        w.clearWrites();
        w.key(Qt::Key_Right);
        QCOMPARE(int(w.slots()[23]), 51);
        QVERIFY(w.writeRaised());
        w.key(Qt::Key_Insert);
        QCOMPARE(int(w.slots()[w.view().selectedNode()]), 61);
        w.key(Qt::Key_Delete);
        // The node below takes the selection.
        QCOMPARE(int(w.slots()[w.view().selectedNode()]), 51);
        QList<int> positions;
        for (int k = 0; k < 26; ++k) positions << w.slots()[k];
        QVERIFY(!positions.contains(61));
        // Page Up and Ctrl+Left walk the nodes.
        w.key(Qt::Key_Home);
        QCOMPARE(w.view().selectedNode(), 0);
        w.key(Qt::Key_PageUp);
        QCOMPARE(int(w.slots()[w.view().selectedNode()]), 51);
        w.key(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(int(w.slots()[w.view().selectedNode()]), 100);
        w.key(Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(int(w.slots()[w.view().selectedNode()]), 51);
        // With none selected, Down lowers every node.
        QTest::mouseClick(&w.chart(), Qt::LeftButton, {}, w.node(23) + QPoint(0, -80));
        QCOMPARE(w.view().selectedNode(), -1);
        const int before[3] = {w.table()[0], w.table()[100], w.table()[200]};
        w.key(Qt::Key_Down);
        QCOMPARE(int(w.table()[0]), before[0] - 1);
        QCOMPARE(int(w.table()[100]), before[1] - 1);
        QCOMPARE(int(w.table()[200]), before[2] - 1);
    }

    void keysWithoutTheFocusChangeNothing()
    {
        Window w;
        w.view().setSelectedNode(23);
        w.form.tabs()->row1()[0]->setFocus();
        QVERIFY(!w.chart().hasChartFocus());
        const QByteArray before(reinterpret_cast<const char*>(w.table()), 256);
        for (int key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Right, Qt::Key_Delete, Qt::Key_Insert})
            w.chart().KeyDown(key, {});
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(w.table()), 256), before);
        QCOMPARE(int(w.slots()[23]), 50);
        QCOMPARE(w.link().writeMask & 3, 0u);
    }

    void rightClickAddsANodeOnTheCurve()
    {
        Window w;
        const ChartLayout::Plot& p = w.chart().plot();
        const int t = 75;
        const int valueBefore = w.table()[t];
        const QPoint at(MultiplierGeometry::nodeX(p, t, 200), MultiplierGeometry::nodeY(p, valueBefore, false));
        QTest::mouseClick(&w.chart(), Qt::RightButton, {}, at);
        const int slot = w.view().selectedNode();
        QCOMPARE(int(w.slots()[slot]), t);
        QCOMPARE(int(w.table()[t]), valueBefore);
        QVERIFY(w.writeRaised());
        // Exactly on an existing node: the two end up 0.1 ms apart.
        QTest::mouseClick(&w.chart(), Qt::RightButton, {}, w.node(slot));
        QList<int> positions;
        for (int k = 0; k < 26; ++k) positions << w.slots()[k];
        QVERIFY(positions.contains(t));
        QVERIFY(positions.contains(t + 1));
        // Beyond the end of the axis (inside the widened plot): a beep, no node.
        const int beeps = w.chart().beepCount;
        QTest::mouseClick(&w.chart(), Qt::RightButton, {}, QPoint(p.right() + 4, at.y()));
        QCOMPARE(w.chart().beepCount, beeps + 1);
        for (int k = 1; k < 25; ++k) QVERIFY(w.slots()[k] < 200);
    }

    // The end node stays at the end of the axis, in the image and in the controller.
    void theEndNodeStaysAtTheEnd()
    {
        Window w;
        w.slots()[24] = 199;
        w.chart().Render();
        w.click(24);
        w.key(Qt::Key_Right);
        QCOMPARE(w.view().selectedNode(), 25);
        QCOMPARE(int(w.slots()[24]), 199);
        QCOMPARE(int(w.slots()[25]), 200);
        // A node pushed onto the end by the ones below it moves down instead.
        w.click(23);
        for (int i = 0; i < 160; ++i) w.key(Qt::Key_Right);
        for (int k = 1; k < 25; ++k) QVERIFY(w.slots()[k] < 200);
        QCOMPARE(int(w.slots()[25]), 200);
    }

    void shiftButtonsMoveTheWholeCurve()
    {
        Window w;
        QVERIFY(!w.chart().hasChartFocus());
        const QRect up = MultiplierView::raiseButton(w.chart().width(), w.chart().height());
        const QRect down = MultiplierView::lowerButton(w.chart().width(), w.chart().height());
        const int before[4] = {w.table()[0], w.table()[50], w.table()[100], w.table()[200]};
        QTest::mouseClick(&w.chart(), Qt::LeftButton, {}, up.center());
        QCOMPARE(int(w.table()[0]), before[0] + 1);
        QCOMPARE(int(w.table()[50]), before[1] + 1);
        QCOMPARE(int(w.table()[200]), before[3] + 1);
        QVERIFY(w.writeRaised());
        QTest::mouseClick(&w.chart(), Qt::LeftButton, {}, down.center());
        QTest::mouseClick(&w.chart(), Qt::LeftButton, {}, down.center());
        QCOMPARE(int(w.table()[100]), before[2] - 1);
    }

    void liveCursorRepaintsOnlyItsStrips()
    {
        Window w;
        TGrafika& c = w.chart();
        QCoreApplication::processEvents();
        PaintSpy spy;
        c.installEventFilter(&spy);
        const int renders = c.renderCount;
        const auto frame = liveFrame(100, 50);
        w.form.panels.liveFrame(LiveFrame(frame.data(), 100));
        const ChartLayout::Plot& p = c.plot();
        QCOMPARE(c.cursorX(), p.left + 100 * p.width / 200);
        QCOMPARE(c.cursorY(), p.bottom - 50 * p.height / 100);
        QTRY_VERIFY(!spy.regions.isEmpty());
        QCOMPARE(c.renderCount, renders);
        const QRect whole = c.rect();
        for (const QRegion& r : spy.regions) {
            int area = 0;
            for (const QRect& s : r) area += s.width() * s.height();
            QVERIFY2(area < whole.width() * whole.height() / 20, "a cursor move repainted far more than its lines");
        }
        // The same position again paints nothing.
        spy.regions.clear();
        w.form.panels.liveFrame(LiveFrame(frame.data(), 100));
        QCoreApplication::processEvents();
        QVERIFY(spy.regions.isEmpty());
        // After a render the cursor is gone and the same reading draws it again.
        c.Render();
        QCOMPARE(c.cursorX(), -1);
        w.form.panels.liveFrame(LiveFrame(frame.data(), 100));
        QVERIFY(c.cursorX() > 0);
        // Hidden, nothing moves.
        QTest::mouseClick(w.form.tabs()->row1()[0], Qt::LeftButton);
        const auto other = liveFrame(20, 10);
        const int x = c.cursorX();
        w.form.panels.liveFrame(LiveFrame(other.data(), 100));
        QCOMPARE(c.cursorX(), x);
        c.removeEventFilter(&spy);
    }

    // On the screen the cursor inverts what lies under it (twice where its lines cross), and a move
    // leaves the old place as the frame has it.
    void cursorInvertsThePixelsUnderIt()
    {
        Window w;
        TGrafika& c = w.chart();
        QCoreApplication::processEvents();  // the pending layout and its render
        const auto frame = liveFrame(150, 80);
        c.ShowLiveData(frame);
        const int x = c.cursorX(), y = c.cursorY();
        const QImage shown = c.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage& f = c.frameImage();
        const QRgb mask = w.form.palette.chart.cursor.rgb() & 0xFFFFFF;
        const ChartLayout::Plot& p = c.plot();
        for (int row : {p.top(), p.top() + 7, y - 1, y + 1, p.bottom})
            QCOMPARE(shown.pixel(x, row) & 0xFFFFFF, (f.pixel(x, row) ^ mask) & 0xFFFFFF);
        for (int col : {p.left, x - 1, x + 1, p.right()})
            QCOMPARE(shown.pixel(col, y) & 0xFFFFFF, (f.pixel(col, y) ^ mask) & 0xFFFFFF);
        QCOMPARE(shown.pixel(x, y), f.pixel(x, y));
        QCOMPARE(shown.pixel(x + 5, y + 5), f.pixel(x + 5, y + 5));
        // What reached the screen through the partial repaints: the old lines restored, the new
        // ones inverted.
        QCoreApplication::processEvents();
        QCOMPARE(c.cursorX(), x);
        const auto elsewhere = liveFrame(40, 20);
        c.ShowLiveData(elsewhere);
        QCoreApplication::processEvents();
        const QPoint origin = c.mapTo(c.window(), QPoint(0, 0));
        const QImage screen =
            c.screen()->grabWindow(c.window()->winId()).toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY(!screen.isNull());
        const auto at = [&](int px, int py) { return screen.pixel(origin.x() + px, origin.y() + py) & 0xFFFFFF; };
        for (int row = p.top(); row <= p.bottom; row += 3)
            if (row != c.cursorY()) QCOMPARE(at(x, row), f.pixel(x, row) & 0xFFFFFF);
        for (int col = p.left; col <= p.right(); col += 5)
            if (col != c.cursorX()) QCOMPARE(at(col, y), f.pixel(col, y) & 0xFFFFFF);
        for (int row = p.top(); row <= p.bottom; row += 3)
            if (row != c.cursorY()) QCOMPARE(at(c.cursorX(), row), (f.pixel(c.cursorX(), row) ^ mask) & 0xFFFFFF);
    }

    // Pressure scale 0: no horizontal cursor and no map points, nothing divided by zero.
    void noPressureScale()
    {
        Window w;
        w.link().mem.settingsBlock()[kScale] = 0;
        w.chart().Rebuild();
        const auto frame = liveFrame(100, 50);
        w.chart().ShowLiveData(frame);
        QVERIFY(w.chart().cursorX() > 0);
        QCOMPARE(w.chart().cursorY(), -1);
        const QImage& img = w.chart().frameImage();
        const ChartLayout::Plot& p = w.chart().plot();
        for (int y = p.top(); y <= p.bottom; ++y)
            for (int x = p.left; x <= p.right(); ++x) {
                const QRgb px = img.pixel(x, y) & 0xFFFFFF;
                QVERIFY2(px != MultiplierView::kPetrol && px != MultiplierView::kGas, "a map point was drawn");
            }
    }

    // The curve and the map points sit where the mapping puts them.
    void pixelsWhereTheMappingSays()
    {
        Window w;
        TGrafika& c = w.chart();
        const ChartLayout::Plot& p = c.plot();
        const QImage& img = c.frameImage();
        const QColor curve = w.form.palette.chart.curve;
        // A node (not focused): filled with the curve colour at its centre.
        QCOMPARE(img.pixelColor(w.node(24)), curve);
        // The curve between nodes at a position of the table.
        const int t = 80;
        QCOMPARE(
            img.pixelColor(MultiplierGeometry::nodeX(p, t, 200), MultiplierGeometry::nodeY(p, w.table()[t], false)),
            curve);
        // A lone learned petrol cell outside every trend (RPM cell 15, load cell 0).
        TSterownik& l = w.link();
        std::fill(l.mem.maps[MemoryImage::PetrolMap].begin(), l.mem.maps[MemoryImage::PetrolMap].end(), 0);
        std::fill(l.mem.maps[MemoryImage::GasMap].begin(), l.mem.maps[MemoryImage::GasMap].end(), 0);
        l.mem.maps[MemoryImage::PetrolMap][16 * 15 + 0] = 150;
        c.Render();
        int x = 0, y = 0;
        QVERIFY(MultiplierGeometry::mapPoint(p, 150, l.mem.settings[224], 100, 15, 200, x, y));
        QCOMPARE(img.pixel(x, y) & 0xFFFFFF, MultiplierView::kPetrol);
        QCOMPARE(img.pixel(x - 1, y - 1) & 0xFFFFFF, MultiplierView::kPetrol);
        QVERIFY((img.pixel(x + 3, y) & 0xFFFFFF) != MultiplierView::kPetrol);
    }

    // The refresh brings the picture up to date with the memory image; after a change made with
    // Shift the next refresh comes sooner.
    void refreshShowsTheMemoryImage()
    {
        Window w;
        TGrafika& c = w.chart();
        const ChartLayout::Plot& p = c.plot();
        const QColor curve = w.form.palette.chart.curve;
        const QPoint at(MultiplierGeometry::nodeX(p, 150, 200), MultiplierGeometry::nodeY(p, 140, false));
        QVERIFY(c.frameImage().pixelColor(at) != curve);
        // A read from the controller replaces the table: shown at the next tick.
        w.slots()[22] = 150;
        w.table()[150] = 140;
        const int renders = c.renderCount;
        c.RefreshTick();
        QCOMPARE(c.renderCount, renders + 1);
        QCOMPARE(c.frameImage().pixelColor(at), curve);
        c.ShortenNextRefresh();
        QCOMPARE(c.refreshTimer()->interval(), 100);
        c.RefreshTick();
        QCOMPARE(c.refreshTimer()->interval(), 1000);
    }

    // The difference trend and its scale belong to the full and advanced views only.
    void differenceOnlyAboveTheBasicView()
    {
        Window w;
        const auto blue = [&] {
            const QImage& img = w.chart().frameImage();
            int n = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) n += (img.pixel(x, y) & 0xFFFFFF) == MultiplierView::kDifference;
            return n;
        };
        w.form.MenuView0Click(1);
        QVERIFY(w.chart().isVisible());
        QVERIFY(blue() > 100);
        w.form.MenuView0Click(0);
        QVERIFY(w.chart().isVisible());
        QCOMPARE(w.chart().viewLevel(), 0);
        QCOMPARE(blue(), 0);
    }

    void viewMinusOneIsBackgroundOnly()
    {
        Window w;
        w.chart().SetView(-1);
        const QImage& img = w.chart().frameImage();
        const QRgb bg = w.form.palette.background.rgb();
        for (int y = 0; y < img.height(); y += 7)
            for (int x = 0; x < img.width(); x += 5) QCOMPARE(img.pixel(x, y), bg);
    }

    void themesColourThePlot_data()
    {
        QTest::addColumn<int>("theme");
        QTest::addColumn<QColor>("plot");
        QTest::newRow("light plot") << 2 << QColor(240, 240, 240);
        QTest::newRow("dark plot") << 5 << QColor(50, 50, 50);
    }
    void themesColourThePlot()
    {
        QFETCH(int, theme);
        Window w;
        w.form.MenuColor0Click(theme);
        const ChartLayout::Plot& p = w.chart().plot();
        QTEST(w.chart().frameImage().pixelColor(p.left + 3, p.top() + 3), "plot");
        QCOMPARE(w.chart().frameImage().pixelColor(2, 2), w.form.palette.background);
    }

    // A plot narrower or lower than a pixel: background only, presses and live frames ignored.
    void plotOfNoSize()
    {
        TSterownik link;
        link.timer()->stop();
        link.setBackend(std::make_unique<LoopbackBackend>());
        QVERIFY(link.PortOpen(1));
        link.timer()->stop();
        seed(link);
        for (const QSize size : {QSize(110, 300), QSize(400, 60), QSize(14, 14)}) {
            QWidget panel;
            panel.resize(size);
            TGrafika chart;
            chart.Sterownik = &link;
            chart.AttachToPanel(&panel);
            panel.show();
            chart.show();
            QVERIFY(QTest::qWaitForWindowExposed(&panel));
            chart.SetView(0);
            QVERIFY(!chart.plot().usable());
            const QImage& img = chart.frameImage();
            QCOMPARE(img.size(), size);
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) QCOMPARE(img.pixelColor(x, y), chart.backgroundColour());
            const auto* view = static_cast<MultiplierView*>(chart.viewAt(0));
            const int selected = view->selectedNode();
            link.writeMask = 0;
            QTest::mouseClick(&chart, Qt::RightButton, {}, QPoint(size.width() / 2, size.height() / 2));
            QTest::mouseClick(&chart, Qt::LeftButton, {}, QPoint(size.width() - 5, size.height() / 2));
            QCOMPARE(view->selectedNode(), selected);
            QCOMPARE(link.writeMask, 0u);
            const auto frame = liveFrame(100, 50);
            chart.ShowLiveData(frame);
            QCOMPARE(chart.cursorX(), -1);
        }
    }
};

QTEST_MAIN(TstGrafika)
#include "tst_grafika.moc"
