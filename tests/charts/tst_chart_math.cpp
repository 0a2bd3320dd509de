// The multiplier chart's arithmetic: least-squares fits against hand-computed coefficients, where
// items are drawn and where presses land, and the node edits with their recompute steps.
#include <QtTest/QtTest>

#include <array>

#include "charts/LeastSquares.h"
#include "charts/MultiplierGeometry.h"
#include "charts/MultiplierNodes.h"
#include "settings/NamedSettings.h"

using namespace MultiplierGeometry;
using MultiplierNodes::Outcome;

namespace {

// Node slots as a list: slot k holds positions[k]; the remaining slots stay empty.
struct NodeFixture {
    std::array<uint8_t, 26> slots{};
    std::array<uint8_t, 256> table{};
    int selected = 0;
    MultiplierNodes::Nodes nodes{slots.data(), table.data(), selected, 200};

    NodeFixture(std::initializer_list<int> positions, int select)
    {
        int k = 0;
        for (int p : positions) slots[size_t(k++)] = uint8_t(p);
        slots[25] = 200;
        selected = select;
        for (int i = 0; i < 256; ++i) table[size_t(i)] = uint8_t(100);
    }
    QList<int> list() const
    {
        QList<int> out;
        for (uint8_t s : slots) out << s;
        return out;
    }
};

QList<int> slotsOf(std::initializer_list<int> positions)
{
    QList<int> out(26, 0);
    int k = 0;
    for (int p : positions) out[k++] = p;
    out[25] = 200;
    return out;
}

// Slots after a recompute: empty slots first, then the user nodes in order, then the end node.
QList<int> sortedSlots(std::initializer_list<int> users)
{
    QList<int> out(26, 0);
    int k = 25 - int(users.size());
    for (int p : users) out[k++] = p;
    out[25] = 200;
    return out;
}

ChartLayout::Plot plotOf(int width, int height)
{
    ChartLayout::Plot p;
    p.width = width;
    p.height = height;
    p.bottom = height + 25;
    return p;
}

}  // namespace

Q_DECLARE_METATYPE(QList<int>)

class TstChartMath : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fits_data();
    void fits();
    void degenerateFits();
    void straightLine();

    void nodeMappingInvertsTheDrawing();
    void mapPoints_data();
    void mapPoints();
    void trendCandidates_data();
    void trendCandidates();
    void liveCursor_data();
    void liveCursor();
    void nodeTablePlace_data();
    void nodeTablePlace();

    void normalise_data();
    void normalise();
    void keys_data();
    void keys();
    void addAndChange();
    void pick();
};

void TstChartMath::fits_data()
{
    QTest::addColumn<QList<int>>("x");
    QTest::addColumn<QList<int>>("y");
    QTest::addColumn<int>("degree");
    QTest::addColumn<double>("c0");
    QTest::addColumn<double>("c1");
    QTest::addColumn<double>("c2");
    QTest::newRow("exact line y = 1 + 2x") << QList<int>{0, 1, 2} << QList<int>{1, 3, 5} << 1 << 1.0 << 2.0 << 0.0;
    // Sx = 3, Sxx = 5, Sy = 2, Sxy = 3: slope (3*3 - 3*2) / (3*5 - 9) = 1/2, intercept (2 - 3/2) / 3 = 1/6.
    QTest::newRow("line through (0,0) (1,1) (2,1)")
        << QList<int>{0, 1, 2} << QList<int>{0, 1, 1} << 1 << 1.0 / 6 << 0.5 << 0.0;
    QTest::newRow("exact parabola y = x^2")
        << QList<int>{0, 1, 2, 3} << QList<int>{0, 1, 4, 9} << 2 << 0.0 << 0.0 << 1.0;
    // Normal equations: [5 10 30; 10 30 100; 30 100 354] c = [13 43 159], so c = (37/35, -141/70, 13/14).
    QTest::newRow("parabola through five points")
        << QList<int>{0, 1, 2, 3, 4} << QList<int>{1, 0, 1, 3, 8} << 2 << 37.0 / 35 << -141.0 / 70 << 13.0 / 14;
    // Pixel-sized coordinates of a 1920-pixel chart: y = 900 - 0.5 x + 0.0002 x^2 on exact integers.
    QTest::newRow("wide plot, large x") << QList<int>{1000, 1200, 1500, 1800} << QList<int>{600, 588, 600, 648} << 2
                                        << 900.0 << -0.5 << 0.0002;
}

void TstChartMath::fits()
{
    QFETCH(QList<int>, x);
    QFETCH(QList<int>, y);
    QFETCH(int, degree);
    const LeastSquares::Polynomial p = LeastSquares::fit(x.constData(), y.constData(), int(x.size()), degree);
    QFETCH(double, c0);
    QFETCH(double, c1);
    QFETCH(double, c2);
    QVERIFY2(std::abs(p.c[0] - c0) < 1e-6, qPrintable(QString::number(p.c[0], 'g', 17)));
    QVERIFY2(std::abs(p.c[1] - c1) < 1e-9, qPrintable(QString::number(p.c[1], 'g', 17)));
    QVERIFY2(std::abs(p.c[2] - c2) < 1e-12, qPrintable(QString::number(p.c[2], 'g', 17)));
}

// Too few distinct x for the degree: the coefficient without a pivot stays 0 and the rest still
// fits (a horizontal line through the mean; a straight line through the two groups' means).
void TstChartMath::degenerateFits()
{
    const int sameX[] = {50, 50, 50}, ys[] = {10, 20, 60};
    const LeastSquares::Polynomial flat = LeastSquares::fit(sameX, ys, 3, 1);
    QCOMPARE(flat.c[1], 0.0);
    QVERIFY(std::abs(flat.c[0] - 30) < 1e-9);

    const int twoX[] = {0, 0, 10, 10}, y2[] = {4, 6, 24, 26};
    const LeastSquares::Polynomial p = LeastSquares::fit(twoX, y2, 4, 2);
    QCOMPARE(p.c[2], 0.0);
    QVERIFY(std::abs(p.at(0) - 5) < 1e-9);
    QVERIFY(std::abs(p.at(10) - 25) < 1e-9);

    const LeastSquares::Polynomial none = LeastSquares::fit(twoX, y2, 0, 2);
    QCOMPARE(none.at(5), 0.0);
}

void TstChartMath::straightLine()
{
    double slope = 7, intercept = 7;
    const int x[] = {0, 1, 2}, y[] = {0, 1, 1};
    QVERIFY(LeastSquares::line(x, y, 3, slope, intercept));
    QVERIFY(std::abs(slope - 0.5) < 1e-12);
    QVERIFY(std::abs(intercept - 1.0 / 6) < 1e-12);
    const int same[] = {3, 3, 3};
    slope = intercept = 7;
    QVERIFY(!LeastSquares::line(same, y, 3, slope, intercept));
    QCOMPARE(slope, 7.0);
}

// Every node position and value maps back to itself from the pixel it is drawn at, on both scales
// and on narrow and wide plots: a node is picked where it is drawn.
void TstChartMath::nodeMappingInvertsTheDrawing()
{
    for (const auto& [w, h] : {std::pair{600, 300}, std::pair{1800, 1017}, std::pair{250, 140}}) {
        const ChartLayout::Plot p = plotOf(w, h);
        for (int pos = 0; pos <= 200; ++pos) QCOMPARE(pointerTime(p, nodeX(p, pos, 200), 200), pos);
        for (int v = 1; v <= 250; ++v)
            if (h >= 250) QCOMPARE(pointerValue(p, nodeY(p, v, true), true), v);
        for (int v = 50; v <= 150; ++v) QCOMPARE(pointerValue(p, nodeY(p, v, false), false), v);
    }
    // The drawing's own numbers: x = int(pos * width / 200 + left + 1), y = int(bottom - v * h * 0.004 + 1).
    const ChartLayout::Plot p = plotOf(600, 300);
    QCOMPARE(nodeX(p, 0, 200), 41);
    QCOMPARE(nodeX(p, 101, 200), 344);
    QCOMPARE(nodeY(p, 100, true), 325 - 120 + 1);
    QCOMPARE(nodeY(p, 100, false), 325 - 150 + 1);
    QCOMPARE(nodeY(p, 150, false), 26);
}

void TstChartMath::mapPoints_data()
{
    QTest::addColumn<int>("v");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("s");
    QTest::addColumn<int>("r");
    QTest::addColumn<bool>("drawn");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    // Plot 600 x 300, bottom 325. y = int(325 - 300 * b / s * (1 - (16 - r) * 0.1 / 16)).
    QTest::newRow("top RPM cell on its load line") << 100 << 50 << 100 << 16 << true << 340 << 175;
    QTest::newRow("RPM cell 0 a tenth lower") << 100 << 50 << 100 << 0 << true << 340 << 190;
    QTest::newRow("RPM cell 8 half of that") << 100 << 100 << 100 << 8 << true << 340 << int(325 - 300 * 0.95);
    QTest::newRow("not learned") << 0 << 50 << 100 << 8 << false << 0 << 0;
    QTest::newRow("beyond the axis") << 201 << 50 << 100 << 8 << false << 0 << 0;
    QTest::newRow("axis end") << 200 << 50 << 100 << 16 << true << 640 << 175;
    QTest::newRow("pressure scale 0 draws nothing") << 100 << 50 << 0 << 8 << false << 0 << 0;
}

void TstChartMath::mapPoints()
{
    QFETCH(int, v);
    QFETCH(int, b);
    QFETCH(int, s);
    QFETCH(int, r);
    int x = 0, y = 0;
    QTEST(mapPoint(plotOf(600, 300), v, b, s, r, 200, x, y), "drawn");
    QTEST(x, "x");
    QTEST(y, "y");
}

void TstChartMath::trendCandidates_data()
{
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("l");
    QTest::addColumn<int>("v");
    QTest::addColumn<bool>("anyEngine");
    QTest::addColumn<bool>("candidate");
    QTest::newRow("middle cell") << 5 << 5 << 100 << false << true;
    QTest::newRow("RPM cell 1 too low") << 1 << 5 << 100 << false << false;
    QTest::newRow("RPM cell 13 too high") << 13 << 5 << 100 << false << false;
    QTest::newRow("load cell 0") << 5 << 0 << 100 << false << false;
    QTest::newRow("time 179 counts") << 5 << 5 << 179 << false << true;
    QTest::newRow("time 180 does not") << 5 << 5 << 180 << false << false;
    // Standard engine: r must be below 16 - l / 2 unless l is 14 or 15.
    QTest::newRow("standard engine, r 12 at load 9") << 12 << 9 << 100 << false << false;
    QTest::newRow("standard engine, r 11 at load 9") << 11 << 9 << 100 << false << true;
    QTest::newRow("standard engine, r 12 at load 14") << 12 << 14 << 100 << false << true;
    QTest::newRow("other engines take r 12 at load 9") << 12 << 9 << 100 << true << true;
}

void TstChartMath::trendCandidates()
{
    QFETCH(int, r);
    QFETCH(int, l);
    QFETCH(int, v);
    QFETCH(bool, anyEngine);
    QTEST(trendCandidate(r, l, v, anyEngine, 200), "candidate");
}

void TstChartMath::liveCursor_data()
{
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("pressure");
    QTest::addColumn<int>("voltage");
    QTest::addColumn<int>("loadSignal");
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    // Plot 600 x 300 at left 40, bottom 325.
    QTest::newRow("pressure") << 100 << 50 << 0 << 0 << 100 << 340 << 175;
    QTest::newRow("time capped at the axis end") << 255 << 0 << 0 << 0 << 100 << 640 << 325;
    QTest::newRow("pressure capped at the scale") << 0 << 400 << 0 << 0 << 100 << 40 << 25;
    QTest::newRow("voltage, a quarter") << 20 << 0 << 100 << 2 << 100 << 100 << 325 - 75;
    QTest::newRow("voltage capped at 4 S") << 20 << 0 << 900 << 2 << 100 << 100 << 25;
    QTest::newRow("no pressure scale: no horizontal line") << 100 << 50 << 0 << 0 << 0 << 340 << -1;
    QTest::newRow("16-bit pressure") << 0 << 300 << 0 << 0 << 255 << 40 << 325 - 255 * 300 / 255;
}

void TstChartMath::liveCursor()
{
    QFETCH(int, time);
    QFETCH(int, pressure);
    QFETCH(int, voltage);
    QFETCH(int, loadSignal);
    QFETCH(int, scale);
    std::array<uint8_t, 128> frame{};
    MemoryImage image;
    frame[19] = uint8_t(time);
    frame[44] = uint8_t(pressure & 0xFF);
    frame[45] = uint8_t(pressure >> 8);
    frame[58] = uint8_t(voltage & 0xFF);
    frame[59] = uint8_t(voltage >> 8);
    image.settings[4] = uint8_t(loadSignal);
    image.settings[239] = uint8_t(scale);
    const Cursor c = MultiplierGeometry::liveCursor(plotOf(600, 300), LiveFrame(frame.data(), int(frame.size())),
                                                    SettingsReader(image), 200);
    QTEST(c.x, "x");
    QTEST(c.y, "y");
}

void TstChartMath::nodeTablePlace_data()
{
    QTest::addColumn<int>("plotWidth");
    QTest::addColumn<QSize>("table");
    QTest::addColumn<QRect>("legend");
    QTest::addColumn<QPoint>("at");
    // Plot at left 40, top 25; the control is plot width + 120 wide; the legend starts at x 60.
    QTest::newRow("room in the corner") << 900 << QSize(380, 150) << QRect(60, 45, 230, 110) << QPoint(558, 29);
    QTest::newRow("right of the legend") << 500 << QSize(280, 150) << QRect(60, 45, 230, 110) << QPoint(297, 29);
    QTest::newRow("under the legend") << 380 << QSize(380, 150) << QRect(60, 45, 230, 110) << QPoint(38, 160);
    QTest::newRow("wider than the plot: from the left edge")
        << 200 << QSize(380, 150) << QRect(60, 45, 150, 110) << QPoint(0, 160);
    QTest::newRow("legend only three lines: the corner is clear")
        << 500 << QSize(300, 150) << QRect(60, 45, 90, 50) << QPoint(238, 29);
}

void TstChartMath::nodeTablePlace()
{
    QFETCH(int, plotWidth);
    QFETCH(QSize, table);
    QFETCH(QRect, legend);
    const ChartLayout::Plot plot = plotOf(plotWidth, 300);
    const QRect r = MultiplierGeometry::nodeTableRect(plot, table, legend, plotWidth + 120);
    QTEST(r.topLeft(), "at");
    QCOMPARE(r.size(), table);
    QVERIFY(!r.intersects(legend));
    QVERIFY(r.top() >= plot.top());
}

void TstChartMath::normalise_data()
{
    QTest::addColumn<QList<int>>("before");
    QTest::addColumn<int>("selectedBefore");
    QTest::addColumn<QList<int>>("after");
    QTest::addColumn<int>("selectedAfter");
    QTest::newRow("sorted, empty slots first, selection follows its node")
        << slotsOf({0, 150, 0, 50, 100}) << 1 << sortedSlots({50, 100, 150}) << 24;
    QTest::newRow("start and end nodes put back") << slotsOf({7, 60}) << 1 << sortedSlots({60}) << 24;
    QTest::newRow("a tie moves the lower slot's node up by one")
        << slotsOf({0, 80, 80}) << 2 << sortedSlots({80, 81}) << 23;
    QTest::newRow("ties cascade upward") << slotsOf({0, 80, 80, 81}) << 1 << sortedSlots({80, 81, 82}) << 22;
    QTest::newRow("a node on the end node goes down instead")
        << slotsOf({0, 100, 200}) << 2 << sortedSlots({100, 199}) << 24;
    QTest::newRow("a node above the axis ends below the end node")
        << slotsOf({0, 250}) << 1 << sortedSlots({199}) << 24;
    QTest::newRow("a tie just below the end goes down to a free place")
        << slotsOf({0, 197, 199, 199}) << 3 << sortedSlots({197, 198, 199}) << 24;
}

void TstChartMath::normalise()
{
    QFETCH(QList<int>, before);
    QFETCH(int, selectedBefore);
    NodeFixture f({}, selectedBefore);
    for (int k = 0; k < 26; ++k) f.slots[size_t(k)] = uint8_t(before[k]);
    MultiplierNodes::Normalise(f.nodes);
    QTEST(f.list(), "after");
    QTEST(f.selected, "selectedAfter");
    for (int k = 1; k < 25; ++k) QVERIFY(f.slots[size_t(k)] <= 200);
}

void TstChartMath::keys_data()
{
    QTest::addColumn<QList<int>>("before");
    QTest::addColumn<int>("selectedBefore");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QList<int>>("after");
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<int>("outcome");
    const int nothing = int(Outcome::Nothing), render = int(Outcome::Render), recompute = int(Outcome::Recompute),
              beep = int(Outcome::Beep);
    const QList<int> two = slotsOf({0, 50, 120});
    QTest::newRow("next") << two << 1 << "next" << two << 2 << render;
    QTest::newRow("next from none starts at 0") << two << -1 << "next" << two << 0 << render;
    QTest::newRow("next after the end node beeps") << two << 25 << "next" << two << 25 << beep;
    QTest::newRow("previous skips empty slots") << two << 25 << "previous" << two << 2 << render;
    QTest::newRow("previous at the start beeps") << two << 0 << "previous" << two << 0 << beep;
    QTest::newRow("previous with none beeps") << two << -1 << "previous" << two << -1 << beep;
    QTest::newRow("left moves down") << two << 2 << "left" << slotsOf({0, 50, 119}) << 2 << recompute;
    QTest::newRow("left onto a neighbour selects it")
        << slotsOf({0, 50, 51}) << 2 << "left" << slotsOf({0, 50, 51}) << 1 << recompute;
    QTest::newRow("left at position 1 selects the start node")
        << slotsOf({0, 1}) << 1 << "left" << slotsOf({0, 1}) << 0 << recompute;
    QTest::newRow("left on the end node selects slot 24") << two << 25 << "left" << two << 24 << render;
    QTest::newRow("left on the start node does nothing") << two << 0 << "left" << two << 0 << nothing;
    QTest::newRow("right moves up") << two << 1 << "right" << slotsOf({0, 51, 120}) << 1 << recompute;
    QTest::newRow("right onto a neighbour selects it")
        << slotsOf({0, 50, 51}) << 1 << "right" << slotsOf({0, 50, 51}) << 2 << recompute;
    QTest::newRow("right next to the end selects the end node")
        << slotsOf({0, 199}) << 1 << "right" << slotsOf({0, 199}) << 25 << recompute;
    QTest::newRow("right on the start node selects the first user node")
        << slotsOf({0, 0, 70}) << 0 << "right" << slotsOf({0, 0, 70}) << 2 << render;
    QTest::newRow("right on an empty slot does nothing")
        << slotsOf({0}) << 24 << "right" << slotsOf({0}) << 24 << nothing;
    QTest::newRow("insert ten further on") << two << 1 << "insert" << slotsOf({0, 50, 120, 60}) << 3 << recompute;
    QTest::newRow("insert at 19.0 ms does nothing")
        << slotsOf({0, 190}) << 1 << "insert" << slotsOf({0, 190}) << 1 << nothing;
    QTest::newRow("insert with none selected does nothing") << two << -1 << "insert" << two << -1 << nothing;
    QList<int> full = slotsOf({});
    for (int k = 1; k <= 24; ++k) full[k] = 5 * k;
    QTest::newRow("insert with every slot taken beeps") << full << 1 << "insert" << full << 1 << beep;
    QTest::newRow("delete selects the node below") << two << 2 << "delete" << slotsOf({0, 50, 0}) << 1 << recompute;
    QTest::newRow("delete the start node beeps") << two << 0 << "delete" << two << 0 << beep;
    QTest::newRow("delete the end node beeps") << two << 25 << "delete" << two << 25 << beep;
    QTest::newRow("home") << two << 2 << "home" << two << 0 << render;
    QTest::newRow("end") << two << 2 << "end" << two << 25 << render;
}

void TstChartMath::keys()
{
    QFETCH(QList<int>, before);
    QFETCH(int, selectedBefore);
    QFETCH(QString, key);
    NodeFixture f({}, selectedBefore);
    for (int k = 0; k < 26; ++k) f.slots[size_t(k)] = uint8_t(before[k]);
    using namespace MultiplierNodes;
    const std::map<QString, Outcome (*)(Nodes&)> keys = {{"next", Next},   {"previous", Previous}, {"left", Left},
                                                         {"right", Right}, {"insert", Insert},     {"delete", Delete},
                                                         {"home", First},  {"end", Last}};
    const Outcome o = keys.at(key)(f.nodes);
    QTEST(int(o), "outcome");
    QTEST(f.list(), "after");
    QTEST(f.selected, "selectedAfter");
}

void TstChartMath::addAndChange()
{
    // A right click: the first empty user slot, selected; outside 1..199 it beeps.
    NodeFixture f({0, 50}, 1);
    QCOMPARE(MultiplierNodes::AddAt(f.nodes, 80), Outcome::Recompute);
    QCOMPARE(f.list(), slotsOf({0, 50, 80}));
    QCOMPARE(f.selected, 2);
    for (int t : {0, 200, 201, -3}) {
        QCOMPARE(MultiplierNodes::AddAt(f.nodes, t), Outcome::Beep);
        QCOMPARE(f.list(), slotsOf({0, 50, 80}));
    }
    QList<int> fullList = slotsOf({});
    NodeFixture full({}, 1);
    for (int k = 1; k <= 24; ++k) full.slots[size_t(k)] = uint8_t(5 * k);
    QCOMPARE(MultiplierNodes::AddAt(full.nodes, 3), Outcome::Beep);

    // Value changes stay within the scale: 1..250 wide, 50..150 normal.
    f.table[50] = 250;
    f.selected = 1;
    MultiplierNodes::ChangeValue(f.nodes, +1, true);
    QCOMPARE(int(f.table[50]), 250);
    f.table[50] = 150;
    MultiplierNodes::ChangeValue(f.nodes, +1, false);
    QCOMPARE(int(f.table[50]), 150);
    MultiplierNodes::ChangeValue(f.nodes, -1, false);
    QCOMPARE(int(f.table[50]), 149);
    // With none selected every node moves: start, user nodes and end.
    f.selected = -1;
    MultiplierNodes::ChangeValue(f.nodes, -1, false);
    QCOMPARE(int(f.table[0]), 99);
    QCOMPARE(int(f.table[50]), 148);
    QCOMPARE(int(f.table[80]), 99);
    QCOMPARE(int(f.table[200]), 99);
    QCOMPARE(int(f.table[60]), 100);
    // An empty slot selected changes the entry at position 0 (the start node's value).
    f.selected = 24;
    MultiplierNodes::ChangeValue(f.nodes, +1, false);
    QCOMPARE(int(f.table[0]), 100);
}

void TstChartMath::pick()
{
    NodeFixture f({0, 50, 58}, 0);
    f.table[50] = 100;
    f.table[58] = 120;
    // Nearest position within 4, value (as drawn, offset added) within 4.
    QCOMPARE(MultiplierNodes::Pick(f.nodes, 52, 103, 0), 1);
    QCOMPARE(MultiplierNodes::Pick(f.nodes, 56, 120, 0), 2);
    QCOMPARE(MultiplierNodes::Pick(f.nodes, 54, 100, 0), 1);  // a tie goes to the first
    QCOMPARE(MultiplierNodes::Pick(f.nodes, 52, 106, 0), -1);
    QCOMPARE(MultiplierNodes::Pick(f.nodes, 45, 100, 0), -1);
    // With an adaptation offset of +10 the node is drawn, and picked, 10 higher.
    QCOMPARE(MultiplierNodes::Pick(f.nodes, 50, 110, 10), 1);
    QCOMPARE(MultiplierNodes::Pick(f.nodes, 50, 100, 10), -1);
    QCOMPARE(MultiplierNodes::Pick(f.nodes, 198, 100, 0), 25);
}

QTEST_MAIN(TstChartMath)
#include "tst_chart_math.moc"
