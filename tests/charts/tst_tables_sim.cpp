// The program against the simulated controller on a pseudo-terminal: edits made on the Map page's
// RPM correction table and correction curve reach the controller's memory.
#include <QtCore/QSettings>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QToolButton>

#include "base/TextTable.h"
#include "charts/CorrectionCurve.h"
#include "charts/CorrectionView.h"
#include "charts/TableGrid.h"
#include "charts/Tgrafika.h"
#include "link/PortNames.h"
#include "link/Tsterownik.h"
#include "shell/CommandBar.h"
#include "shell/TabRows.h"
#include "shell/Unitmain.h"
#include "shell/WorkPages.h"
#include "sim/controller/ControllerSim.h"
#include "sim/pty/PtyPort.h"
#include "tests/WindowSimRig.h"

namespace {

// The main window connected to the simulated controller, with the link's ticks driven by the test.
struct Bench : WindowSimRig {
    Bench()
    {
        start();
        form.pages()->Grafika1()->refreshTimer()->stop();
    }
    void click(QToolButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center()); }
};

}  // namespace

class TstTablesSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tableAndCurveEditsReachTheController()
    {
        Bench b;
        TSterownik& link = b.link();
        QVERIFY(b.settled());
        b.click(b.form.tabs()->row1()[2]);  // Map
        b.click(b.form.tabs()->row2()[1]);  // RPM corrections
        TGrafika* chart = b.form.pages()->Grafika1();
        QVERIFY(chart->isVisible());
        QCOMPARE(chart->view(), 1);
        auto* grid = b.form.pages()->PanelChart()->findChild<TableGrid*>(QStringLiteral("GrafikaTableGrid"));
        QVERIFY(grid && grid->isVisible());

        // The engine's cell gets the live marker; + raises the RPM correction there.
        QVERIFY(b.run([&] { return grid->liveCell().valid(); }));
        const GridGeometry::Cell live = grid->liveCell();
        const int i = GridGeometry::tableIndex(live.column, live.row);
        uint8_t* table = link.mem.block(MemoryImage::RpmCorrection1);
        const int expected = table[i] + 1;
        QTest::keyClick(grid, Qt::Key_Plus);
        QCOMPARE(int(table[i]), expected);
        QVERIFY(b.run([&] { return b.sim.region(0xEB)[i] == expected && (link.writeMask & 0x8) == 0; }));

        // A selected cell raised with Ctrl+Up.
        QTest::mouseClick(grid, Qt::LeftButton, {}, grid->cellRect(9, 2).center());
        QTest::keyClick(grid, Qt::Key_Up, Qt::ControlModifier);
        const int j = GridGeometry::tableIndex(9, 2);
        const int raised = table[j];
        QVERIFY(b.run([&] { return b.sim.region(0xEB)[j] == raised && (link.writeMask & 0x8) == 0; }));

        // The gas-temperature curve: a point added with the right button reaches the controller.
        b.click(b.form.tabs()->row2()[3]);
        QCOMPARE(chart->view(), 3);
        QVERIFY(!grid->isVisible());
        QVERIFY(b.run([&] { return (link.readMask & 0x400) == 0; }));
        auto* view = static_cast<CorrectionView*>(chart->currentView());
        const ChartLayout::Plot& p = chart->plot();
        QTest::mouseClick(chart, Qt::RightButton, {},
                          QPoint(CorrectionCurve::xToPixel(p, view->axis(), 170), p.bottom - p.height / 2));
        QTest::keyClick(chart->focusBox(), Qt::Key_Up);
        const uint8_t* curve = link.mem.block(MemoryImage::GasTempCorrection);
        const int k = view->selectedPoint();
        QVERIFY(k > 0 && k < 7);
        const int x = CorrectionCurve::x(curve, k), y = CorrectionCurve::y(curve, k);
        QVERIFY(b.run([&] {
            const uint8_t* far = b.sim.region(0xAA);
            return far[2 + 2 * k] == x && far[3 + 2 * k] == y && far[x] == curve[x] && (link.writeMask & 0x400) == 0;
        }));

        // "Clear corrections" asks first: No keeps the curve, Yes resets it on the controller too.
        QPushButton* clear = b.form.commands()->button(0);
        QVERIFY(clear->isVisible());
        b.answers.yesNoAnswers = {false, true};
        QTest::mouseClick(clear, Qt::LeftButton, {}, clear->rect().center());
        QCOMPARE(b.answers.questions.size(), 1);
        QCOMPARE(CorrectionCurve::usedCount(curve), 3);
        QTest::mouseClick(clear, Qt::LeftButton, {}, clear->rect().center());
        QCOMPARE(CorrectionCurve::usedCount(curve), 2);
        QVERIFY(b.run([&] {
            const uint8_t* far = b.sim.region(0xAA);
            return CorrectionCurve::usedCount(far) == 2 && far[x] == 128 && (link.writeMask & 0x400) == 0;
        }));
        b.form.close();
    }
};

QTEST_MAIN(TstTablesSim)
#include "tst_tables_sim.moc"
