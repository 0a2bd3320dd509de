// Correction curves: the recompute of the table from the points, the keyboard and mouse edits and
// the pixel mapping, as tables of cases over a real 256-byte region.
#include <QtTest/QtTest>

#include <array>
#include <cstring>

#include "charts/CorrectionCurve.h"

using namespace CorrectionCurve;

namespace {

using Region = std::array<uint8_t, 256>;

// A region of block 9 with the given eight points (x0, y0, ... x7, y7) and every table entry at
// `fill`, so that entries a recompute leaves alone stay recognisable.
Region makeRegion(const QList<int>& points, int fill = 7)
{
    Region r{};
    r[0] = 9;
    for (int i = 0; i < 16 && i < points.size(); ++i) r[2 + i] = static_cast<uint8_t>(points[i]);
    std::memset(r.data() + kTableStart, fill, 256 - kTableStart);
    return r;
}

QList<int> pointsOf(const Region& r)
{
    QList<int> p;
    for (int i = 0; i < 16; ++i) p << r[2 + i];
    return p;
}

const QList<int> kDefault{98, 128, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 228, 128};
const QList<int> kSlope{98, 128, 148, 192, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 228, 128};

}  // namespace

class TstCurves : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recompute_data()
    {
        QTest::addColumn<QList<int>>("points");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QList<int>>("pointsAfter");
        QTest::addColumn<int>("selectedAfter");
        QTest::addColumn<QList<int>>("entries");  // (index, value) pairs of the region after

        QTest::newRow("default curve fills the table flat")
            << kDefault << -1 << kDefault << -1
            << QList<int>{0, 9, 1, 0, 50, 128, 97, 128, 98, 128, 200, 128, 255, 128};
        QTest::newRow("interpolates and extends from both ends")
            << kSlope << -1 << kSlope << -1
            << QList<int>{50, 128, 98, 128, 99, 129, 123, 160, 148, 192, 188, 160, 228, 128, 255, 128};
        QTest::newRow("sort moves the selection with its point")
            << QList<int>{98, 128, 180, 150, 120, 100, 0, 0, 0, 0, 0, 0, 0, 0, 228, 128} << 2
            << QList<int>{98, 128, 120, 100, 180, 150, 0, 0, 0, 0, 0, 0, 0, 0, 228, 128} << 1
            << QList<int>{120, 100, 150, 125, 180, 150};
        QTest::newRow("sort skips free points and starts again")
            << QList<int>{98, 128, 200, 140, 0, 0, 110, 120, 150, 130, 0, 0, 0, 0, 228, 128} << 1
            << QList<int>{98, 128, 110, 120, 0, 0, 150, 130, 200, 140, 0, 0, 0, 0, 228, 128} << 4
            << QList<int>{110, 120, 150, 130, 200, 140};
        // A region with a free last point: the table above the last point in use stays as it was
        // and the header with its points is never overwritten.
        QTest::newRow("free end point 7 leaves the region whole")
            << QList<int>{98, 128, 150, 160, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0} << -1
            << QList<int>{98, 128, 150, 160, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0} << -1
            << QList<int>{0, 9, 2, 98, 3, 128, 50, 128, 97, 128, 124, 144, 150, 160, 151, 7, 255, 7};
        QTest::newRow("free end point 0 extends nothing below")
            << QList<int>{0, 0, 120, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 228, 128} << -1
            << QList<int>{0, 0, 120, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 228, 128} << -1
            << QList<int>{50, 7, 119, 7, 120, 100, 228, 128, 255, 128};
        QTest::newRow("a point below the table writes from entry 50 on")
            << QList<int>{20, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 228, 128} << -1
            << QList<int>{20, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 228, 128} << -1
            << QList<int>{2, 20, 20, 0, 49, 0, 50, 104, 228, 128};
    }
    void recompute()
    {
        QFETCH(QList<int>, points);
        QFETCH(int, selected);
        QFETCH(QList<int>, pointsAfter);
        QFETCH(int, selectedAfter);
        QFETCH(QList<int>, entries);
        Region r = makeRegion(points);
        QCOMPARE(CorrectionCurve::recompute(r.data(), selected), selectedAfter);
        QCOMPARE(pointsOf(r), pointsAfter);
        for (int i = 0; i + 1 < entries.size(); i += 2) {
            QVERIFY2(r[entries[i]] == entries[i + 1],
                     qPrintable(QStringLiteral("entry %1 is %2").arg(entries[i]).arg(r[entries[i]])));
        }
    }

    void clearResetsToTwoPoints_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("block");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::newRow("reducer temperature") << 2 << 9 << 98 << 228;
        QTest::newRow("gas temperature") << 3 << 10 << 98 << 228;
        QTest::newRow("gas pressure") << 4 << 8 << 50 << 250;
    }
    void clearResetsToTwoPoints()
    {
        QFETCH(int, view);
        QFETCH(int, block);
        QFETCH(int, start);
        QFETCH(int, end);
        Region r;
        r.fill(0xA5);
        clear(r.data(), *axisOfView(view));
        QCOMPARE(int(r[0]), block);
        QCOMPARE(usedCount(r.data()), 2);
        QCOMPARE(x(r.data(), 0), start);
        QCOMPARE(x(r.data(), 7), end);
        for (int i = 1; i < kTableStart; ++i)
            if (i != 2 && i != 3 && i != 16 && i != 17) QCOMPARE(int(r[i]), 0);
        for (int i = kTableStart; i < 256; ++i) QCOMPARE(int(r[i]), 128);
    }

    void edits_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QList<int>>("points");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("result");  // Edit
        QTest::addColumn<int>("selectedAfter");
        QTest::addColumn<QList<int>>("pointsAfter");
        const int none = int(Edit::None), render = int(Edit::Render), recompute = int(Edit::Recompute),
                  beep = int(Edit::Beep);
        const QList<int> gap{98, 128, 120, 140, 0, 0, 150, 150, 0, 0, 0, 0, 0, 0, 228, 128};
        const QList<int> full{98, 128, 100, 128, 110, 128, 120, 128, 130, 128, 140, 128, 150, 128, 228, 128};

        QTest::newRow("page up from none selects point 0") << "pageup" << gap << -1 << render << 0 << gap;
        QTest::newRow("page up skips a free point") << "pageup" << gap << 1 << render << 3 << gap;
        QTest::newRow("page up above 6 beeps") << "pageup" << gap << 7 << beep << 7 << gap;
        QTest::newRow("page down skips a free point") << "pagedown" << gap << 3 << render << 1 << gap;
        QTest::newRow("page down from 0 beeps") << "pagedown" << gap << 0 << beep << 0 << gap;
        QTest::newRow("page down from none beeps") << "pagedown" << gap << -1 << beep << -1 << gap;

        QTest::newRow("up with none selected raises every point, +50 % stays")
            << "up" << QList<int>{98, 128, 130, 192, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 228, 64} << -1 << recompute << -1
            << QList<int>{98, 129, 130, 192, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 228, 65};
        QTest::newRow("down keeps -50 %")
            << "down" << QList<int>{98, 128, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 228, 64} << 7 << recompute << 7
            << QList<int>{98, 128, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 228, 64};
        QTest::newRow("up on a free selected point does nothing") << "up" << gap << 2 << none << 2 << gap;

        QTest::newRow("left moves a point")
            << "left" << gap << 1 << recompute << 1
            << QList<int>{98, 128, 119, 140, 0, 0, 150, 150, 0, 0, 0, 0, 0, 0, 228, 128};
        QTest::newRow("left onto the neighbour selects it")
            << "left" << QList<int>{98, 128, 99, 140, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 228, 128} << 1 << render << 0
            << QList<int>{98, 128, 99, 140, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 228, 128};
        QTest::newRow("left at the axis start beeps")
            << "left" << QList<int>{98, 128, 98, 140, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 228, 128} << 1 << beep << 1
            << QList<int>{98, 128, 98, 140, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 228, 128};
        QTest::newRow("left on an end point beeps") << "left" << gap << 0 << beep << 0 << gap;
        QTest::newRow("right moves a point")
            << "right" << gap << 3 << recompute << 3
            << QList<int>{98, 128, 120, 140, 0, 0, 151, 150, 0, 0, 0, 0, 0, 0, 228, 128};
        QTest::newRow("right onto point 7 selects it")
            << "right" << QList<int>{98, 128, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 227, 130, 228, 128} << 6 << render << 7
            << QList<int>{98, 128, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 227, 130, 228, 128};
        QTest::newRow("right on point 7 beeps") << "right" << gap << 7 << beep << 7 << gap;

        // Point 2 is the first free one: halfway between point 1 and point 3, on the curve.
        QTest::newRow("insert halves the gap after the last point in a row")
            << "insert" << gap << -1 << recompute << 2
            << QList<int>{98, 128, 120, 140, 135, 145, 150, 150, 0, 0, 0, 0, 0, 0, 228, 128};
        QTest::newRow("insert after points 1 and 2 uses the next point in use")
            << "insert" << QList<int>{98, 128, 120, 140, 150, 150, 0, 0, 0, 0, 0, 0, 0, 0, 228, 128} << -1 << recompute
            << 3 << QList<int>{98, 128, 120, 140, 150, 150, 189, 139, 0, 0, 0, 0, 0, 0, 228, 128};
        QTest::newRow("insert with 1..6 in use beeps") << "insert" << full << 2 << beep << 2 << full;

        QTest::newRow("delete selects the nearest point below")
            << "delete" << gap << 3 << recompute << 1
            << QList<int>{98, 128, 120, 140, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 228, 128};
        QTest::newRow("delete an end point beeps") << "delete" << gap << 0 << beep << 0 << gap;
        QTest::newRow("delete with none selected beeps") << "delete" << gap << -1 << beep << -1 << gap;

        QTest::newRow("right click takes the first free point on the curve")
            << "add160" << gap << -1 << recompute << 2
            << QList<int>{98, 128, 120, 140, 160, 147, 150, 150, 0, 0, 0, 0, 0, 0, 228, 128};
        QTest::newRow("right click with every point in use does nothing") << "add160" << full << 2 << none << 2 << full;
        // Past the axis end the point stays at the end (its low 8 bits would put it at the start).
        QTest::newRow("right click past the axis end stays at the end")
            << "add300" << gap << -1 << recompute << 2
            << QList<int>{98, 128, 120, 140, 255, 128, 150, 150, 0, 0, 0, 0, 0, 0, 228, 128};
    }
    void edits()
    {
        QFETCH(QString, op);
        QFETCH(QList<int>, points);
        QFETCH(int, selected);
        QFETCH(int, result);
        QFETCH(int, selectedAfter);
        QFETCH(QList<int>, pointsAfter);
        Region r = makeRegion(points);
        fillTable(r.data());
        const Axis& a = *axisOfView(2);
        Edit e = Edit::None;
        if (op == "pageup") e = nextPoint(r.data(), selected);
        if (op == "pagedown") e = previousPoint(r.data(), selected);
        if (op == "up") e = raise(r.data(), selected, 1);
        if (op == "down") e = raise(r.data(), selected, -1);
        if (op == "left") e = moveLeft(r.data(), a, selected);
        if (op == "right") e = moveRight(r.data(), a, selected);
        if (op == "insert") e = insertPoint(r.data(), selected);
        if (op == "delete") e = deletePoint(r.data(), selected);
        if (op.startsWith(QLatin1String("add"))) e = addPointAt(r.data(), op.mid(3).toInt(), selected);
        QCOMPARE(int(e), result);
        QCOMPARE(selected, selectedAfter);
        QCOMPARE(pointsOf(r), pointsAfter);
    }

    // A point added on the curve lies on it: the table comes out the same.
    void pointAddedOnTheCurveKeepsIt()
    {
        Region r = makeRegion(kSlope);
        fillTable(r.data());
        const Region before = r;
        int selected = -1;
        QCOMPARE(addPointAt(r.data(), 123, selected), Edit::Recompute);
        QCOMPARE(y(r.data(), selected), 160);
        selected = CorrectionCurve::recompute(r.data(), selected);
        QCOMPARE(std::memcmp(r.data() + kTableStart, before.data() + kTableStart, 256 - kTableStart), 0);
    }

    void pointNearPress_data()
    {
        QTest::addColumn<int>("t");
        QTest::addColumn<int>("v");
        QTest::addColumn<int>("point");
        QTest::newRow("on point 1") << 148 << 192 << 1;
        QTest::newRow("within 4 of both") << 152 << 188 << 1;
        QTest::newRow("too far in y") << 148 << 187 << -1;
        QTest::newRow("too far in x") << 153 << 192 << -1;
        QTest::newRow("end point") << 100 << 130 << 0;
    }
    void pointNearPress()
    {
        QFETCH(int, t);
        QFETCH(int, v);
        QFETCH(int, point);
        const Region r = makeRegion(kSlope);
        QCOMPARE(pointNear(r.data(), t, v), point);
    }

    void pixelMapping()
    {
        // 1380 x 1080 control: plot 1300 x 1017 from x 40, bottom 1042.
        Plot p;
        p.bottom = 1042;
        p.width = 1300;
        p.height = 1017;
        const Axis& gasTemp = *axisOfView(3);
        const Axis& pressure = *axisOfView(4);
        // 20 degrees C is x 148, 50/130 of the plot from its left edge.
        QCOMPARE(cursorPixel(p, gasTemp, 148), 40 + 500);
        QCOMPARE(xToPixel(p, gasTemp, 148), 40 + 500 + 1);
        QCOMPARE(pixelToX(p, gasTemp, 541), 148);
        QCOMPARE(yToPixel(p, 64), 1043);
        QCOMPARE(yToPixel(p, 192), 26);
        QCOMPARE(pixelToY(p, 1042), 64);
        QCOMPARE(pixelToY(p, 25), 192);
        // Below -30 degrees C at the left edge, above 100 at the right.
        QCOMPARE(cursorPixel(p, *axisOfView(2), 90), 40);
        QCOMPARE(cursorPixel(p, *axisOfView(2), 240), 1340);
        QCOMPARE(cursorPixel(p, pressure, 20), 40);
        QCOMPARE(cursorPixel(p, pressure, 250), 1340);
        QVERIFY(contains(p, 40, 25) && contains(p, 1340, 1042));
        QVERIFY(!contains(p, 39, 500) && !contains(p, 500, 1043));
        // A plot below one pixel takes no presses.
        Plot narrow = p, low = p;
        narrow.width = 0;
        low.height = 0;
        QVERIFY(!contains(narrow, 40, 25) && !contains(low, 40, 1042));
    }
};

QTEST_GUILESS_MAIN(TstCurves)
#include "tst_curves.moc"
