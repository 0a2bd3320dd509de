// The multiplier chart against the simulated controller on a pseudo-terminal: it shows the maps the
// controller learned, the cursor follows the engine, and a node raised with the keyboard reaches
// the controller's multiplier.
#include <QtCore/QSettings>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QToolButton>

#include "base/TextTable.h"
#include "charts/MultiplierView.h"
#include "charts/Tgrafika.h"
#include "link/PortNames.h"
#include "link/Tsterownik.h"
#include "shell/TabRows.h"
#include "shell/Unitmain.h"
#include "shell/WorkPages.h"
#include "sim/controller/ControllerSim.h"
#include "sim/pty/PtyPort.h"
#include "tests/WindowSimRig.h"

namespace {

struct Bench : WindowSimRig {
    Bench()
    {
        start(QSize(1000, 700), true);
        form.pages()->Grafika1()->refreshTimer()->stop();
    }
};

}  // namespace

class TstChartSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nodeEditReachesTheController()
    {
        Bench b;
        TSterownik& link = b.link();
        QVERIFY(b.run([&] { return link.mem.identity[0] != 0 && link.readMask == 0 && link.writeMask == 0; }));
        QTest::mouseClick(b.form.tabs()->row1()[2], Qt::LeftButton);
        TGrafika& chart = *b.form.pages()->Grafika1();
        QVERIFY(chart.isVisible());
        QCOMPARE(chart.view(), 0);
        // The link's copy of the multiplier is the controller's.
        const uint8_t* mine = link.mem.block(MemoryImage::Multiplier1);
        uint8_t* theirs = b.sim.region(0xE9);
        QVERIFY(std::equal(mine, mine + 256, theirs));

        // The live cursor follows the engine's petrol time.
        QVERIFY(b.run([&] { return chart.cursorX() >= 0; }));
        const int t = std::min<int>(link.lastLiveFrame().petrolTime(), 200);
        QCOMPARE(chart.cursorX(), chart.plot().left + t * chart.plot().width / 200);

        // Select the end node and raise it by two.
        auto& view = *static_cast<MultiplierView*>(chart.viewAt(0));
        QPoint end;
        QVERIFY(view.nodePosition(chart, 25, end));
        QTest::mouseClick(&chart, Qt::LeftButton, {}, end);
        QCOMPARE(view.selectedNode(), 25);
        const int before = theirs[200];
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        const int expected = std::min(before + 2, (link.mem.settings[80] & 1) ? 250 : 150);
        QCOMPARE(int(mine[200]), expected);
        QVERIFY(b.run([&] { return theirs[200] == expected && link.writeMask == 0; }));
        QVERIFY(std::equal(mine, mine + 256, theirs));
        b.form.close();
    }
};

QTEST_MAIN(TstChartSim)
#include "tst_chart_sim.moc"
