// The chart component's layout and pixel mapping: plot rectangle, value to pixel and back, grid
// positions.
#include <QtTest/QtTest>

#include "charts/ChartLayout.h"

using namespace ChartLayout;

class TstChartLayout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void plotRectangle_data();
    void plotRectangle();
    void mapping_data();
    void mapping();
    void inverseOfEveryPixel();
    void gridLines();
};

void TstChartLayout::plotRectangle_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("margin");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("bottom");
    QTest::addColumn<bool>("usable");
    QTest::newRow("view 0 at 1920x1080") << 1920 << 1080 << kMarginWide << 1800 << 1017 << 1042 << true;
    QTest::newRow("other views") << 800 << 400 << kMarginNormal << 720 << 337 << 362 << true;
    QTest::newRow("smallest usable") << 121 << 64 << kMarginWide << 1 << 1 << 26 << true;
    QTest::newRow("height 63.5 rule at 63") << 200 << 63 << kMarginNormal << 120 << 0 << 25 << false;
    QTest::newRow("62 truncates toward zero") << 200 << 62 << kMarginNormal << 120 << 0 << 25 << false;
    QTest::newRow("collapsed panel") << 14 << 10 << kMarginWide << -106 << -52 << -27 << false;
    QTest::newRow("exactly the margin") << 120 << 500 << kMarginWide << 0 << 437 << 462 << false;
}

void TstChartLayout::plotRectangle()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(int, margin);
    const Plot p = plotFor(w, h, margin);
    QCOMPARE(p.left, 40);
    QTEST(p.width, "width");
    QTEST(p.height, "height");
    QTEST(p.bottom, "bottom");
    QTEST(p.usable(), "usable");
    if (p.usable()) QCOMPARE(p.top(), 25);
}

void TstChartLayout::mapping_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("v");
    QTest::addColumn<int>("lo");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    // x = 40 + (v - lo) * width / range, y = bottom - v * height / range, truncating.
    QTest::newRow("origin") << 1800 << 1017 << 0 << 0 << 200 << 40 << 1042;
    QTest::newRow("time 10.0 ms") << 1800 << 1017 << 100 << 0 << 200 << 940 << 1042 - 508;
    QTest::newRow("axis end") << 1800 << 1017 << 200 << 0 << 200 << 1840 << 25;
    QTest::newRow("truncation") << 601 << 337 << 1 << 0 << 200 << 43 << 362 - 1;
    QTest::newRow("offset axis") << 720 << 337 << 98 << 98 << 130 << 40 << 362 - 254;
    QTest::newRow("negative truncates toward zero") << 720 << 337 << -1 << 0 << 256 << 38 << 362 + 1;
}

void TstChartLayout::mapping()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, v);
    QFETCH(int, lo);
    QFETCH(int, range);
    Plot p;
    p.width = width;
    p.height = height;
    p.bottom = height + 25;
    QTEST(valueToX(p, v, lo, range), "x");
    QTEST(valueToY(p, v, range), "y");
}

// Every pixel of the axis maps back to the value nearest to it, and every value drawn maps back
// to itself: a press lands where the drawing put the item.
void TstChartLayout::inverseOfEveryPixel()
{
    for (const int width : {120, 601, 1800}) {
        Plot p;
        p.width = width;
        p.height = width / 2;
        p.bottom = p.height + 25;
        for (int v = 0; v <= 200; ++v) {
            if (width >= 200) QCOMPARE(xToValue(p, valueToX(p, v, 0, 200), 0, 200), v);
            if (p.height >= 100) QCOMPARE(yToValue(p, valueToY(p, v / 2, 100), 100), v / 2);
        }
    }
    Plot none;
    QCOMPARE(xToValue(none, 100, 0, 200), 0);
    QCOMPARE(yToValue(none, 100, 200), 0);
}

void TstChartLayout::gridLines()
{
    Plot p;
    p.width = 1800;
    p.height = 1017;
    p.bottom = 1042;
    QCOMPARE(gridLineY(p, 5), 1042 - 508);
    QCOMPARE(gridLineY(p, 9), 1042 - 915);
    QCOMPARE(gridLineX(p, 1), 220);
    QCOMPARE(gridLineX(p, 9), 1660);
    const Box b = frameBox(p);
    QCOMPARE(b.x1, 39);
    QCOMPARE(b.y1, 24);
    QCOMPARE(b.x2, 1841);
    QCOMPARE(b.y2, 1043);
    QCOMPARE(rotatedCaptionY(p, 60), 30 + 508 + 25);
}

QTEST_MAIN(TstChartLayout)
#include "tst_chart_layout.moc"
