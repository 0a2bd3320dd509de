// The correction curves and the table views as widgets: real mouse and key events on the chart,
// its grids and its focus box, checked in the link's memory image and its write requests.
#include <QtTest/QtTest>
#include <QtWidgets/QLineEdit>

#include <array>
#include <memory>

#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "charts/CorrectionView.h"
#include "charts/TableGrid.h"
#include "charts/TableView.h"
#include "charts/Tgrafika.h"
#include "link/LoopbackBackend.h"
#include "link/Tsterownik.h"

using GridGeometry::Cell;

namespace {

// Hands every key press of the watched widgets to the chart first, as the main window does.
class KeyPreview : public QObject {
public:
    explicit KeyPreview(TGrafika* chart) : chart_(chart) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(event);
            chart_->KeyDown(k->key(), k->modifiers());
        }
        return false;
    }

private:
    TGrafika* chart_;
};

// Counts the paint events a widget receives.
struct PaintCount : QObject {
    explicit PaintCount(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) ++count;
        return false;
    }
    int count = 0;
};

// A chart on a 1000 x 700 panel over a link on the in-memory line (connected, so that writes are
// requested), with breakpoints, tables and curves as a controller holds them.
struct Rig {
    TSterownik link;
    QWidget panel;
    TGrafika* chart = nullptr;
    std::unique_ptr<KeyPreview> preview;

    explicit Rig(int view, int level = 1)
    {
        link.timer()->stop();
        link.setBackend(std::make_unique<LoopbackBackend>());
        link.PortOpen(1);
        MemoryImage& m = link.mem;
        for (int k = 0; k < 16; ++k) m.settings[240 + k] = uint8_t(12 + 6 * k);   // 600 .. 5100 rpm
        for (int l = 0; l < 16; ++l) m.settings[224 + l] = uint8_t(10 + 10 * l);  // 0.10 .. 1.60 bar
        std::memset(m.block(MemoryImage::RpmCorrection1), 100, 256);
        std::memset(m.block(MemoryImage::Enrichment), 128, 256);
        for (int i = 0; i < 256; ++i) m.block(MemoryImage::GasInjectionDelay)[i] = ReferenceTables::delayDefault(i);
        for (int b : {8, 9, 10}) ReferenceTables::defaultCorrectionCurve(m.block(b), b);
        panel.resize(1000, 700);
        chart = new TGrafika(&panel);
        chart->Sterownik = &link;
        chart->AttachToPanel(&panel);
        chart->refreshTimer()->stop();
        preview = std::make_unique<KeyPreview>(chart);
        chart->focusBox()->installEventFilter(preview.get());
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        chart->SetViewLevel(level);
        chart->show();
        chart->SetView(view);
        if (TableGrid* g = table()) g->installEventFilter(preview.get());
        // The reads the view asked for have completed.
        link.readMask = 0;
        link.writeMask = 0;
    }
    ~Rig() { delete chart; }
    TableGrid* table() { return panel.findChild<TableGrid*>(QStringLiteral("GrafikaTableGrid")); }
    TableGrid* map() { return panel.findChild<TableGrid*>(QStringLiteral("GrafikaMapGrid")); }
    TableView* tableView() { return static_cast<TableView*>(chart->currentView()); }
    uint8_t* rpmCorrection() { return link.mem.block(MemoryImage::RpmCorrection1); }
    void clickCell(TableGrid* g, int column, int row, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseClick(g, Qt::LeftButton, mods, g->cellRect(column, row).center());
    }
    void live(int c, int l, int petrolTime = 0)
    {
        std::array<uint8_t, 128> frame{};
        frame[15] = uint8_t(c);
        frame[16] = uint8_t(l);
        frame[19] = uint8_t(petrolTime);
        chart->ShowLiveData(LiveFrame(frame.data(), int(frame.size())));
    }
};

}  // namespace

class TstChartTables : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        QVERIFY(programTexts().load());
    }

    void correctionPointByMouseAndKeys()
    {
        Rig rig(2);
        auto* view = static_cast<CorrectionView*>(rig.chart->currentView());
        uint8_t* r = rig.link.mem.block(MemoryImage::ReducerTempCorrection);
        const ChartLayout::Plot& p = rig.chart->plot();
        const CorrectionCurve::Axis& a = view->axis();

        // Right button on the curve at 32 degrees C (x 160): a new point on the curve.
        const QPoint at(CorrectionCurve::xToPixel(p, a, 160), CorrectionCurve::yToPixel(p, 128));
        QTest::mouseClick(rig.chart, Qt::RightButton, {}, at);
        QVERIFY(rig.chart->hasChartFocus());
        QCOMPARE(view->selectedPoint(), 1);
        QCOMPARE(CorrectionCurve::x(r, 1), 160);
        QCOMPARE(CorrectionCurve::y(r, 1), 128);
        QVERIFY(rig.link.writeMask & 0x200);

        // Up raises the selected point by one step, and the table follows.
        rig.link.writeMask = 0;
        QTest::keyClick(rig.chart->focusBox(), Qt::Key_Up);
        QCOMPARE(CorrectionCurve::y(r, 1), 129);
        QCOMPARE(int(r[160]), 129);
        QCOMPARE(int(r[98]), 128);
        QVERIFY(rig.link.writeMask & 0x200);
        // The selected point of the focused chart is drawn yellow.
        const QPoint drawn(CorrectionCurve::xToPixel(p, a, 160), CorrectionCurve::yToPixel(p, 129));
        QCOMPARE(rig.chart->frameImage().pixel(drawn), qRgb(255, 255, 0));

        QTest::keyClick(rig.chart->focusBox(), Qt::Key_Left);
        QCOMPARE(CorrectionCurve::x(r, 1), 159);
        QCOMPARE(int(r[159]), 129);
        QTest::keyClick(rig.chart->focusBox(), Qt::Key_Delete);
        QCOMPARE(CorrectionCurve::usedCount(r), 2);
        QCOMPARE(view->selectedPoint(), 0);
        QCOMPARE(int(r[159]), 128);
        // End point 0 cannot move: beep, nothing changes.
        const int beeps = rig.chart->beepCount;
        QTest::keyClick(rig.chart->focusBox(), Qt::Key_Right);
        QCOMPARE(rig.chart->beepCount, beeps + 1);
        QCOMPARE(CorrectionCurve::x(r, 0), 98);

        // A left click away from every point selects none.
        QTest::mouseClick(rig.chart, Qt::LeftButton, {}, QPoint(p.left + p.width / 2, p.top() + 5));
        QCOMPARE(view->selectedPoint(), -1);
    }

    void keysWithoutFocusChangeNothing()
    {
        Rig rig(4);
        uint8_t* r = rig.link.mem.block(MemoryImage::GasPressureCorrection);
        rig.chart->focusBox()->clearFocus();
        QVERIFY(!rig.chart->hasChartFocus());
        rig.chart->KeyDown(Qt::Key_Up, {});
        QCOMPARE(CorrectionCurve::y(r, 0), 128);
        QCOMPARE(rig.link.writeMask, 0u);
    }

    void regionWithoutCurveGetsTheDefault()
    {
        Rig rig(3);
        uint8_t* r = rig.link.mem.block(MemoryImage::GasTempCorrection);
        std::memset(r, 0, 256);
        r[2] = 120;
        r[3] = 140;
        rig.chart->Render();
        QCOMPARE(CorrectionCurve::usedCount(r), 2);
        QCOMPARE(int(r[0]), 10);
        QCOMPARE(CorrectionCurve::x(r, 7), 228);
        QCOMPARE(int(r[255]), 128);
        QVERIFY(rig.link.writeMask & 0x400);
        // "Clear corrections" in view 3 resets the same curve.
        r[3] = 150;
        rig.chart->ClearCorrection();
        QCOMPARE(CorrectionCurve::y(r, 0), 128);
    }

    // The live marker stays inside its cell: a marker that moves repaints only the old and the new
    // cell, so any pixel it drew on the grid lines would stay behind on the screen.
    void liveMarkerStaysInsideItsCell()
    {
        TableGrid g;
        g.setPitch(40, 16);
        g.setLineColours(QColor(128, 128, 128), QColor(240, 240, 240));
        g.resize(17 * 40 + 4, 17 * 16 + 4);
        g.setCell(3, 5, QString(), qRgb(255, 255, 255), qRgb(0, 0, 0));
        g.setLiveCell(Cell{3, 5});
        const QImage img = g.grab().toImage();
        const QRect r = g.cellRect(3, 5);
        bool marked = false;
        for (int y = r.top(); y <= r.bottom(); ++y)
            marked = marked || img.pixelColor(r.left() + r.height() / 2, y) == QColor(255, 0, 255);
        QVERIFY(marked);
        for (int x = r.left() - 1; x <= r.right() + 1; ++x)
            QCOMPARE(img.pixelColor(x, r.bottom() + 1), QColor(128, 128, 128));
        for (int y = r.top() - 1; y <= r.bottom() + 1; ++y) {
            QCOMPARE(img.pixelColor(r.left() - 1, y), QColor(128, 128, 128));
            QCOMPARE(img.pixelColor(r.right() + 1, y), QColor(128, 128, 128));
        }
    }

    void tableCellEditRepaintsOnlyThatCell()
    {
        Rig rig(1);
        TableGrid* g = rig.table();
        QVERIFY(g && g->isVisible());
        QVERIFY(rig.map() && rig.map()->isVisible());
        rig.clickCell(g, 3, 5);
        QVERIFY(g->hasFocus());
        QCOMPARE(g->selection(), QRect(3, 5, 1, 1));
        // Both grids share the axes: the map grid shows the same selection.
        QCOMPARE(rig.map()->mirroredSelection(), QRect(3, 5, 1, 1));
        QCoreApplication::processEvents();
        const int painted = g->paintedCells;
        QTest::keyClick(g, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(int(rig.rpmCorrection()[GridGeometry::tableIndex(3, 5)]), 101);
        QCOMPARE(g->text(3, 5), QStringLiteral("1"));
        QVERIFY(rig.link.writeMask & 0x8);
        QCoreApplication::processEvents();
        QCOMPARE(g->paintedCells - painted, 1);

        // A range selected with Shift, then Ctrl+Down over it.
        rig.clickCell(g, 5, 6, Qt::ShiftModifier);
        QCOMPARE(g->selection(), QRect(QPoint(3, 5), QPoint(5, 6)));
        QTest::keyClick(g, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(int(rig.rpmCorrection()[GridGeometry::tableIndex(3, 5)]), 100);
        QCOMPARE(int(rig.rpmCorrection()[GridGeometry::tableIndex(5, 6)]), 99);
        QCOMPARE(int(rig.rpmCorrection()[GridGeometry::tableIndex(6, 6)]), 100);

        // Alt+Up over the whole table stops at the limit and asks for no write when nothing moved.
        std::memset(rig.rpmCorrection(), 150, 256);
        rig.link.writeMask = 0;
        QTest::keyClick(g, Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(int(rig.rpmCorrection()[0]), 150);
        QCOMPARE(rig.link.writeMask, 0u);
    }

    // The one-second refresh of a table that did not change repaints no cell and leaves the control
    // as it is; a new background (another theme) is still copied and shown.
    void refreshOfAnUnchangedTableRepaintsNothing()
    {
        Rig rig(1);
        TableGrid* g = rig.table();
        QCoreApplication::processEvents();
        PaintCount paints(rig.chart);
        const int painted = g->paintedCells;
        rig.chart->Render();
        QCoreApplication::processEvents();
        QCOMPARE(g->paintedCells, painted);
        QCOMPARE(paints.count, 0);

        ThemePalette palette;
        palette.background = QColor(1, 2, 3);
        rig.chart->setThemePalette(palette);
        rig.chart->BuildBackground();
        rig.chart->Render();
        QCOMPARE(rig.chart->frameImage().pixelColor(1, 1), QColor(1, 2, 3));
        QCoreApplication::processEvents();
        QCOMPARE(rig.chart->grab().toImage().pixelColor(1, 1), QColor(1, 2, 3));
        QVERIFY(g->paintedCells > painted);
    }

    void plusAndMinusFollowTheLiveCell()
    {
        Rig rig(1);
        TableGrid* g = rig.table();
        // + before any live cell does nothing.
        QTest::keyClick(g, Qt::Key_Plus);
        QCOMPARE(rig.link.writeMask, 0u);
        rig.live(2, 4);
        QCOMPARE(g->liveCell(), (Cell{3, 12}));
        QCOMPARE(rig.map()->liveCell(), (Cell{3, 12}));
        QTest::keyClick(g, Qt::Key_Plus);
        QTest::keyClick(g, Qt::Key_Plus);
        QCOMPARE(int(rig.rpmCorrection()[16 * 2 + 4]), 102);
        QCOMPARE(g->text(3, 12), QStringLiteral("2"));
        QVERIFY(rig.link.writeMask & 0x8);
        QTest::keyClick(g, Qt::Key_Minus);
        QCOMPARE(int(rig.rpmCorrection()[16 * 2 + 4]), 101);
        // A frame naming a cell outside the table has no live cell, and + touches nothing.
        const std::array<uint8_t, 256> before = [&] {
            std::array<uint8_t, 256> t;
            std::memcpy(t.data(), rig.rpmCorrection(), 256);
            return t;
        }();
        rig.live(16, 4);
        QVERIFY(!g->liveCell().valid());
        QTest::keyClick(g, Qt::Key_Plus);
        QCOMPARE(std::memcmp(before.data(), rig.rpmCorrection(), 256), 0);
    }

    void breakpointsTypedIntoHeaders()
    {
        Rig rig(1);
        TableGrid* g = rig.table();
        QLineEdit* box = rig.chart->focusBox();
        rig.clickCell(g, 2, 0);
        QVERIFY(box->hasFocus());
        QCOMPARE(box->text(), QStringLiteral("900"));
        QCOMPARE(box->geometry().topLeft(), g->geometry().topLeft() + g->cellRect(2, 0).topLeft() + QPoint(2, 2));
        QTest::keyClicks(box, QStringLiteral("12000"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(int(rig.link.mem.settings[241]), 200);
        QCOMPARE(g->text(2, 0), QStringLiteral("10000"));
        QCOMPARE(rig.map()->text(2, 0), QStringLiteral("10000"));
        QVERIFY(rig.link.writeMask & 0x1);
        QVERIFY(box->width() <= 1);

        rig.clickCell(g, 0, 16);
        QTest::keyClicks(box, QStringLiteral("0,5"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(int(rig.link.mem.settings[224]), 50);
        QCOMPARE(g->text(0, 16), QStringLiteral("0.50"));
        // Text that is no number keeps the breakpoint.
        rig.clickCell(g, 0, 15);
        QTest::keyClicks(box, QStringLiteral("x"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(int(rig.link.mem.settings[225]), 20);
        // A press on a body cell closes the editor without storing anything.
        rig.clickCell(g, 0, 14);
        QVERIFY(box->hasFocus());
        rig.clickCell(g, 4, 4);
        QVERIFY(box->width() <= 1);
        QCOMPARE(int(rig.link.mem.settings[226]), 30);
        // So does a change to another view: the text typed so far is dropped.
        rig.clickCell(g, 3, 0);
        QTest::keyClicks(box, QStringLiteral("3000"));
        rig.chart->SetView(6);
        QVERIFY(box->width() <= 1);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(int(rig.link.mem.settings[242]), 24);
    }

    void loadAxisSwitch()
    {
        Rig rig(1);
        TableGrid* g = rig.table();
        rig.clickCell(g, 0, 0);
        QCOMPARE(int(rig.link.mem.settings[76]), 1);
        QVERIFY(rig.link.writeMask & 0x1);
        // The re-read waits 200 ms on a timer while the link goes on; the test ends the wait.
        QTimer* wait = rig.tableView()->grids().axisReread;
        QVERIFY(wait && wait->isActive());
        QCOMPARE(wait->interval(), 200);
        QCOMPARE(rig.link.readMask & 0x18, 0u);
        wait->stop();
        rig.tableView()->AxisSwitchReread(*rig.chart);
        QCOMPARE(rig.link.readMask & 0x18, 0x18u);
        QCOMPARE(g->text(0, 0), QStringLiteral("ms/rpm"));
        QCOMPARE(g->text(0, 1), QStringLiteral("25.6"));
        QCOMPARE(g->text(0, 16), QStringLiteral("1.6"));
        // Row headers are read-only now, and the map grid no longer mirrors the selection.
        rig.clickCell(g, 0, 5);
        QVERIFY(rig.chart->focusBox()->width() <= 1);
        rig.clickCell(g, 3, 3);
        QVERIFY(rig.map()->mirroredSelection().isEmpty());
        // The live marker of the table follows the petrol time's 1.6 ms bin.
        rig.live(2, 4, 40);
        QCOMPARE(g->liveCell(), (Cell{3, 16 - 2}));
        QCOMPARE(rig.map()->liveCell(), (Cell{3, 12}));
    }

    void mapViewsAndF8()
    {
        Rig rig(1);
        TableGrid* m = rig.map();
        uint8_t* petrol = rig.link.mem.map(MemoryImage::PetrolMap);
        uint8_t* gas = rig.link.mem.map(MemoryImage::GasMap);
        petrol[16 * 2 + 4] = 50;
        gas[16 * 2 + 4] = 40;
        rig.chart->Render();
        QCOMPARE(m->text(3, 12), QStringLiteral("+1.0"));
        QCOMPARE(m->background(3, 12), qRgb(255, 255, 210));
        rig.chart->KeyDown(Qt::Key_F8, {});
        QVERIFY(m->text(0, 0).endsWith(QStringLiteral(" [F8]")));
        QCOMPARE(m->text(3, 12), QStringLiteral("5.0"));
        QCOMPARE(m->background(0, 5), qRgb(255, 190, 190));
        // A press on the map grid's corner is F8 too.
        QTest::mouseClick(m, Qt::LeftButton, {}, m->cellRect(0, 0).center());
        QCOMPARE(m->text(3, 12), QStringLiteral("4.0"));
        // Basic view: the table alone.
        rig.chart->SetViewLevel(0);
        QVERIFY(!m->isVisible());
        QVERIFY(rig.table()->isVisible());
    }

    // One line under the table grid names the table's keys, as they act: + and - (the live cell)
    // only where they do something, in the RPM correction table; the line stays inside the chart and
    // no grid covers it.
    void keysHintUnderTheTable_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("level");
        QTest::newRow("RPM corrections under the maps") << 1 << 1;
        QTest::newRow("RPM corrections alone") << 1 << 0;
        QTest::newRow("OBD corrections") << 5 << 2;
        QTest::newRow("delay") << 6 << 1;
        QTest::newRow("enrichment") << 7 << 1;
    }
    void keysHintUnderTheTable()
    {
        QFETCH(int, view);
        QFETCH(int, level);
        Rig rig(view, level);
        TableView* v = rig.tableView();
        const bool liveCellKeys = view == 1 || view == 5;
        const QString hint = TextById(liveCellKeys ? OwnText::TableKeysLiveCell : OwnText::TableKeys);
        QVERIFY(!hint.isEmpty());
        QCOMPARE(v->keysHint(), hint);
        QCOMPARE(rig.table()->keysHint, hint);
        QCOMPARE(ownTexts().text(liveCellKeys ? OwnText::TableKeysLiveCell : OwnText::TableKeys, TextTable::English),
                 QString(liveCellKeys ? "+ / \u2212: the cell the engine is running in   \u00b7   " : "") +
                     "Ctrl+Up / Ctrl+Down: the selected cells   \u00b7   Alt+Up / Alt+Down: the whole table");

        const QRect line = v->keysHintRect(*rig.chart);
        const QPoint origin = rig.chart->pos();
        QVERIFY(line.top() > rig.table()->geometry().translated(-origin).bottom());
        QVERIFY(line.bottom() < rig.chart->height());
        QVERIFY(line.height() >= 14);
        if (rig.map() && rig.map()->isVisible()) QVERIFY(!rig.map()->geometry().translated(-origin).intersects(line));
        // The line is drawn there: pixels off the background.
        const QImage& background = rig.chart->backgroundImage();
        int text = 0;
        for (int y = line.top(); y <= line.bottom(); ++y)
            for (int x = line.left(); x <= line.right(); ++x)
                text += background.pixelColor(x, y) != rig.chart->backgroundColour();
        QVERIFY(text > 50);

        if (!liveCellKeys) {
            // + and - do nothing in the delay and enrichment tables, so the line does not offer them.
            rig.live(2, 4);
            QTest::keyClick(rig.table(), Qt::Key_Plus);
            QTest::keyClick(rig.table(), Qt::Key_Minus);
            QCOMPARE(rig.link.writeMask, 0u);
        }
    }

    void delayAndEnrichment()
    {
        Rig rig(7);
        QVERIFY(!rig.map() || !rig.map()->isVisible());
        TableGrid* g = rig.table();
        rig.clickCell(g, 8, 8);
        QTest::keyClick(g, Qt::Key_Up, Qt::AltModifier);
        for (int i = 0; i < 256; ++i) QCOMPARE(int(rig.link.mem.block(MemoryImage::Enrichment)[i]), 129);
        QVERIFY(rig.link.writeMask & 0x2000);
        QCOMPARE(g->text(8, 8), QStringLiteral("1"));
        // No header editing here: a header press only leaves the focus box parked.
        rig.clickCell(g, 2, 0);
        QVERIFY(rig.chart->focusBox()->width() <= 1);

        rig.chart->SetView(6);
        QVERIFY(rig.link.readMask & 0x1000);
        rig.link.readMask = 0;
        std::memset(rig.link.mem.block(MemoryImage::GasInjectionDelay), 255, 256);
        rig.chart->Render();
        QCOMPARE(g->text(1, 1), QStringLiteral("25.5"));
        rig.clickCell(g, 1, 1);
        rig.link.writeMask = 0;
        QTest::keyClick(g, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(rig.link.writeMask, 0u);
        QTest::keyClick(g, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(int(rig.link.mem.block(MemoryImage::GasInjectionDelay)[15]), 254);
        QVERIFY(rig.link.writeMask & 0x1000);

        // A chart too small for cells of one pixel: the grid takes no presses.
        rig.panel.resize(30, 30);
        rig.chart->Rebuild();
        const QRect before = g->selection();
        QTest::mouseClick(g, Qt::LeftButton, {}, QPoint(0, 0));
        QCOMPARE(g->selection(), before);
        QVERIFY(!g->cellAt(QPoint(0, 0)).valid());
        rig.panel.resize(1000, 700);
        rig.chart->Rebuild();

        // Leaving the table views hides the grids.
        rig.chart->SetView(2);
        QVERIFY(!g->isVisible());
        rig.chart->SetView(5);
        QVERIFY(g->isVisible());
        rig.chart->HideChart();
        QVERIFY(!g->isVisible());
    }
};

QTEST_MAIN(TstChartTables)
#include "tst_chart_tables.moc"
