// The tune assistant on the multiplier chart, in the main window with real key events on the
// offscreen platform: T shows the proposal dashed over the curve with its node table, Escape
// discards it without a write, A applies it (the window's backup first, then the write of the
// settings block and multiplier bank 1), with or without a click on the plot first.
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QToolButton>

#include <cmath>

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

struct Window : MapPageWindow {
    // `clickPlot`: give the chart the focus by a press on the plot, as the fitter does; without it
    // the window's first tab button has the focus.
    explicit Window(bool clickPlot = true) : MapPageWindow(seedShortMultiplier)
    {
        TSterownik& l = link();
        if (clickPlot) {
            const ChartLayout::Plot& p = chart().plot();
            QTest::mouseClick(&chart(), Qt::LeftButton, {}, QPoint(p.left + 5, p.top() + 5));
            QVERIFY(chart().hasChartFocus());
        } else {
            form.tabs()->row1()[0]->setFocus();
            QVERIFY(!chart().hasChartFocus());
        }
        l.writeMask = 0;
        // Count the backups the chart asks for, then let the window take them as it does.
        const auto windowBackup = chart().beforeProposalWrite;
        QVERIFY(bool(windowBackup));
        chart().beforeProposalWrite = [this, windowBackup] {
            backupsAsked.append(link().writeMask);
            windowBackup();
        };
    }
    // Pixels of the curve colour in the frame inside `r`.
    int curvePixels(const QRect& r)
    {
        const QImage& img = chart().frameImage();
        const QRgb curve = chart().chartColours().curve.rgb() & 0xFFFFFF;
        int n = 0;
        for (int y = std::max(0, r.top()); y <= std::min(img.height() - 1, r.bottom()); ++y)
            for (int x = std::max(0, r.left()); x <= std::min(img.width() - 1, r.right()); ++x)
                n += (img.pixel(x, y) & 0xFFFFFF) == curve;
        return n;
    }
    QList<uint32_t> backupsAsked;  // the write mask when each backup was asked for
};

}  // namespace

class TstTuneChart : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(programTexts().load());
        programLanguage() = TextTable::English;
    }

    // T draws the proposed curve dashed above the present one (1.10 over 1.00) and the node table;
    // Escape takes both away and nothing is written.
    void proposalShownAndDiscarded()
    {
        Window w;
        const ChartLayout::Plot& p = w.chart().plot();
        const int x = MultiplierGeometry::nodeX(p, 80, 200);
        const int yNow = MultiplierGeometry::nodeY(p, 100, false);
        const int yProposed = MultiplierGeometry::nodeY(p, 110, false);
        const QRect proposedBand(x - 20, yProposed - 2, 40, 5);
        QCOMPARE(w.curvePixels(proposedBand), 0);

        w.key(MultiplierView::kProposeKey);
        const MultiplierProposal::Proposal* proposal = w.view().proposal();
        QVERIFY(proposal);
        QVERIFY(proposal->enough);
        QVERIFY(proposal->changed > 0);
        QVERIFY(proposal->after < proposal->before / 4);
        QVERIFY(w.curvePixels(proposedBand) > 0);
        QVERIFY(w.curvePixels(QRect(x - 20, yNow - 2, 40, 5)) > 0);  // the present curve stays
        const QRect table = w.view().proposalTableRect();
        QVERIFY(!table.isEmpty());
        QVERIFY(w.chart().rect().contains(table));
        QCOMPARE(w.link().writeMask & 3, 0u);

        w.key(Qt::Key_Escape);
        QVERIFY(!w.view().proposal());
        QVERIFY(w.view().proposalTableRect().isEmpty());
        QCOMPARE(w.curvePixels(proposedBand), 0);
        QCOMPARE(w.link().writeMask & 3, 0u);
        QVERIFY(w.backupsAsked.isEmpty());
        QCOMPARE(int(w.table()[80]), 100);
    }

    // A applies: the backup is asked for before the write is raised, the table takes the proposed
    // values, the proposal goes away. A second A with nothing proposed changes nothing.
    void applyKeyWritesAfterTheBackup()
    {
        Window w;
        w.key(MultiplierView::kProposeKey);
        QVERIFY(w.view().proposal());
        const std::array<uint8_t, 256> promised = w.view().proposal()->table;
        w.key(MultiplierView::kApplyKey);
        QCOMPARE(w.backupsAsked, QList<uint32_t>{0u});
        QCOMPARE(w.link().writeMask & 3, 3u);
        QVERIFY(!w.view().proposal());
        for (int t = 0; t < 256; ++t) QCOMPARE(int(w.table()[t]), int(promised[size_t(t)]));
        QVERIFY(std::abs(w.table()[80] - 110) <= 1);

        w.link().writeMask = 0;
        w.key(MultiplierView::kApplyKey);
        QCOMPARE(w.link().writeMask & 3, 0u);
        QCOMPARE(w.backupsAsked.size(), 1);
    }

    // At the window's own sizes the node table leaves the legend and the key line under it clear:
    // neither text shows through the other.
    void nodeTableLeavesTheLegendClear_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("1366 x 768") << QSize(1366, 768);
        QTest::newRow("design size") << QSize(TForm1::kDesignWidth, TForm1::kDesignHeight);
    }
    void nodeTableLeavesTheLegendClear()
    {
        QFETCH(QSize, size);
        Window w;
        w.form.resize(size);
        QCoreApplication::processEvents();
        w.key(MultiplierView::kProposeKey);
        const QRect table = w.view().proposalTableRect();
        const QRect legend = w.view().legendRect();
        QVERIFY(!table.isEmpty());
        QVERIFY(legend.height() > 4 * 20);  // the legend with the deviation and the key line
        QVERIFY2(!table.intersects(legend), qPrintable(QStringLiteral("table %1,%2 %3x%4, legend %5,%6 %7x%8")
                                                           .arg(table.x())
                                                           .arg(table.y())
                                                           .arg(table.width())
                                                           .arg(table.height())
                                                           .arg(legend.x())
                                                           .arg(legend.y())
                                                           .arg(legend.width())
                                                           .arg(legend.height())));
    }

    // The assistant's keys need no click on the plot first: real key presses, the focus on a tab
    // button: propose, discard, propose again and apply.
    void tuneKeysWithoutTheFocus()
    {
        Window w(false);
        w.key(MultiplierView::kProposeKey);
        QVERIFY(w.view().proposal());
        QVERIFY(!w.view().proposalTableRect().isEmpty());
        w.key(Qt::Key_Escape);
        QVERIFY(!w.view().proposal());
        QCOMPARE(w.link().writeMask & 3, 0u);

        w.key(MultiplierView::kProposeKey);
        QVERIFY(w.view().proposal());
        w.key(MultiplierView::kApplyKey);
        QVERIFY(!w.view().proposal());
        QCOMPARE(w.backupsAsked.size(), 1);
        QCOMPARE(w.link().writeMask & 3, 3u);
        QVERIFY(!w.chart().hasChartFocus());
    }
};

QTEST_MAIN(TstTuneChart)
#include "tst_tune_chart.moc"
