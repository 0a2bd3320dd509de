// Table views: grid geometry and hit tests, cell texts and colours, edits within their limits and
// the breakpoints typed into the headers, as tables of cases.
#include <QtTest/QtTest>

#include <array>

#include "charts/GridGeometry.h"
#include "charts/TableValues.h"

using namespace TableValues;
using GridGeometry::Cell;

class TstTables : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void layout()
    {
        // One grid in 1390 x 1080: C = 1380 / 17, F = (1060 - 18) / 17 (the keys' line below).
        const GridGeometry::Layout one = GridGeometry::compute(1390, 1080, 100, 50, false);
        QCOMPARE(one.column, 81);
        QCOMPARE(one.row, 61);
        QCOMPARE(one.left, 105);
        QCOMPARE(one.tableTop, 66);
        QCOMPARE(one.width(), 17 * 81 + 4);
        QCOMPARE(one.height(), 17 * 61 + 4);
        // Two grids: each gets half the height less the titles and the keys' line.
        const GridGeometry::Layout two = GridGeometry::compute(1390, 1080, 100, 50, true);
        QCOMPARE(two.row, 28);
        QCOMPARE(two.mapTop, 66);
        QCOMPARE(two.tableTop, 50 + 540 + 21);
        // The keys' line fits under the table grid, inside the control, at every height.
        for (const bool twoGrids : {false, true})
            for (int h = 100; h <= 1200; h += 7) {
                const GridGeometry::Layout g = GridGeometry::compute(800, h, 0, 0, twoGrids);
                QVERIFY2(g.hintTop() >= g.tableTop + g.height() && g.hintTop() + GridGeometry::kHintHeight <= h,
                         qPrintable(QString::number(h)));
            }
        QVERIFY(one.usable() && two.usable());
        // Cells below one pixel.
        QVERIFY(!GridGeometry::compute(43, 1080, 0, 0, false).usable());
        QVERIFY(!GridGeometry::compute(1390, 40, 0, 0, false).usable());
        QVERIFY(!GridGeometry::compute(1390, 100, 0, 0, true).usable());
    }

    void hit_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::newRow("corner") << 1390 << 0 << 0 << 0 << 0;
        QTest::newRow("last pixel of the corner") << 1390 << 80 << 60 << 0 << 0;
        QTest::newRow("first body cell") << 1390 << 81 << 61 << 1 << 1;
        QTest::newRow("last cell") << 1390 << 17 * 81 - 1 << 17 * 61 - 1 << 16 << 16;
        QTest::newRow("right margin is no cell") << 1390 << 17 * 81 << 10 << -1 << -1;
        QTest::newRow("bottom margin is no cell") << 1390 << 10 << 17 * 61 + 3 << -1 << -1;
        QTest::newRow("left of the grid") << 1390 << -1 << 10 << -1 << -1;
        QTest::newRow("cells below one pixel") << 43 << 0 << 0 << -1 << -1;
    }
    void hit()
    {
        QFETCH(int, width);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, column);
        QFETCH(int, row);
        const Cell c = GridGeometry::hit(GridGeometry::compute(width, 1080, 0, 0, false), x, y);
        QCOMPARE(c.column, column);
        QCOMPARE(c.row, row);
    }

    void cellsAndTableBytes()
    {
        QCOMPARE(GridGeometry::tableIndex(1, 16), 0);
        QCOMPARE(GridGeometry::tableIndex(1, 1), 15);
        QCOMPARE(GridGeometry::tableIndex(16, 16), 240);
        QCOMPARE(GridGeometry::tableIndex(16, 1), 255);
        QCOMPARE(GridGeometry::tableIndex(0, 5), -1);
        QCOMPARE(GridGeometry::tableIndex(17, 1), -1);
        QCOMPARE(GridGeometry::tableIndex(3, 0), -1);
        QCOMPARE(GridGeometry::cellOfLive(0, 0), (Cell{1, 16}));
        QCOMPARE(GridGeometry::cellOfLive(15, 15), (Cell{16, 1}));
        // A live cell outside the table is no live cell.
        QVERIFY(!GridGeometry::cellOfLive(16, 0).valid());
        QVERIFY(!GridGeometry::cellOfLive(3, 255).valid());
        QVERIFY(!GridGeometry::cellOfLive(-1, 3).valid());
        QCOMPARE(GridGeometry::fitFontSize(25, 5, 4, [](int s) { return s <= 9; }), 9);
        QCOMPARE(GridGeometry::fitFontSize(25, 5, 4, [](int) { return false; }), 4);
    }

    void rpmBreakpointText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("old");
        QTest::addColumn<int>("stored");
        QTest::newRow("5000 rpm") << "5000" << 10 << 100;
        QTest::newRow("rounds down to 50 rpm") << "1049" << 10 << 20;
        QTest::newRow("below 50 rpm") << "30" << 10 << 1;
        QTest::newRow("negative") << "-5" << 10 << 1;
        QTest::newRow("10000 rpm") << "10000" << 10 << 200;
        QTest::newRow("above 10000 is 10000, not 1000") << "12000" << 10 << 200;
        QTest::newRow("not a number keeps the old") << "abc" << 37 << 37;
        QTest::newRow("empty keeps the old") << "" << 37 << 37;
        QTest::newRow("a fraction is not a whole number") << "1500.5" << 37 << 37;
    }
    void rpmBreakpointText()
    {
        QFETCH(QString, text);
        QFETCH(int, old);
        QFETCH(int, stored);
        QCOMPARE(int(rpmBreakpoint(text, uint8_t(old))), stored);
    }

    void loadBreakpointText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("old");
        QTest::addColumn<bool>("voltage");
        QTest::addColumn<int>("stored");
        QTest::newRow("comma as decimal point") << "0,5" << 10 << false << 50;
        QTest::newRow("0.29 stores 29") << "0.29" << 10 << false << 29;
        QTest::newRow("0.57 stores 57") << "0.57" << 10 << false << 57;
        QTest::newRow("2.55 stores 255") << "2.55" << 10 << false << 255;
        QTest::newRow("above 2.55") << "3" << 10 << false << 255;
        QTest::newRow("below 0.01") << "0.001" << 10 << false << 1;
        QTest::newRow("negative") << "-1" << 10 << false << 1;
        QTest::newRow("leading number of the text") << "0.5 bar" << 10 << false << 50;
        QTest::newRow("not a number keeps the old") << "abc" << 37 << false << 37;
        QTest::newRow("zero keeps the old") << "0" << 37 << false << 37;
        QTest::newRow("empty keeps the old") << "" << 37 << false << 37;
        QTest::newRow("volts are halved") << "1.5" << 10 << true << 75;
        QTest::newRow("volts above 5.10") << "6" << 10 << true << 255;
        QTest::newRow("volts not a number") << "x" << 37 << true << 37;
    }
    void loadBreakpointText()
    {
        QFETCH(QString, text);
        QFETCH(int, old);
        QFETCH(bool, voltage);
        QFETCH(int, stored);
        QCOMPARE(int(loadBreakpoint(text, uint8_t(old), voltage)), stored);
    }

    void headers()
    {
        QCOMPARE(rpmHeader(100), QStringLiteral("5000"));
        QCOMPARE(loadHeader(75, true), QStringLiteral("1.50"));
        QCOMPARE(loadHeader(50, false), QStringLiteral("0.50"));
        QCOMPARE(timeBinHeader(15), QStringLiteral("25.6"));
        QCOMPARE(timeBinHeader(0), QStringLiteral("1.6"));
        QLocale::setDefault(QLocale(QLocale::Polish));
        QCOMPARE(loadHeader(50, false), QStringLiteral("0,50"));
        QCOMPARE(cellText(Table::Delay, 25), QStringLiteral("2,5"));
        QLocale::setDefault(QLocale::c());
    }

    void stepLive()
    {
        std::array<uint8_t, 256> t;
        t.fill(100);
        t[16 * 3 + 4] = 149;
        QVERIFY(stepLiveCell(t.data(), 3, 4, 1));
        QCOMPARE(int(t[52]), 150);
        QVERIFY(!stepLiveCell(t.data(), 3, 4, 1));
        QCOMPARE(int(t[52]), 150);
        t[52] = 51;
        QVERIFY(stepLiveCell(t.data(), 3, 4, -1));
        QVERIFY(!stepLiveCell(t.data(), 3, 4, -1));
        QCOMPARE(int(t[52]), 50);
        // A live cell outside the table changes nothing and indexes nothing past it.
        const auto before = t;
        QVERIFY(!stepLiveCell(t.data(), 16, 0, 1));
        QVERIFY(!stepLiveCell(t.data(), 0, 16, 1));
        QVERIFY(!stepLiveCell(t.data(), -1, 0, -1));
        QVERIFY(t == before);
    }

    void stepSelection()
    {
        std::array<uint8_t, 256> t;
        t.fill(150);
        // Alt+Up with every RPM correction at 150 changes nothing.
        QVERIFY(!stepRange(t.data(), limitsOf(Table::RpmCorrection), 1, 1, 16, 16, 1));
        t.fill(100);
        QVERIFY(stepRange(t.data(), limitsOf(Table::RpmCorrection), 2, 3, 3, 4, 1));
        for (int i = 0; i < 256; ++i) {
            const bool inside = i == 28 || i == 29 || i == 44 || i == 45;
            QCOMPARE(int(t[i]), inside ? 101 : 100);
        }
        // A range reaching into the headers is clipped to the body.
        t.fill(0);
        QVERIFY(!stepRange(t.data(), limitsOf(Table::Delay), 0, 0, 20, 20, -1));
        QVERIFY(stepRange(t.data(), limitsOf(Table::Enrichment), 0, 0, 20, 20, 1));
        for (uint8_t v : t) QCOMPARE(int(v), 1);
        t.fill(255);
        QVERIFY(!stepRange(t.data(), limitsOf(Table::Delay), 1, 1, 16, 16, 1));
    }

    void texts()
    {
        QCOMPARE(cellText(Table::RpmCorrection, 93), QStringLiteral("-7"));
        QCOMPARE(cellText(Table::RpmCorrection, 100), QStringLiteral("0"));
        QCOMPARE(cellText(Table::Delay, 25), QStringLiteral("2.5"));
        QCOMPARE(cellText(Table::Enrichment, 120), QStringLiteral("-8"));
        QCOMPARE(cellColour(Table::RpmCorrection, 110), qRgb(255, 225, 225));
        QCOMPARE(cellColour(Table::RpmCorrection, 90), qRgb(225, 225, 255));
        QCOMPARE(cellColour(Table::RpmCorrection, 100), qRgb(255, 255, 255));
        QCOMPARE(cellColour(Table::Enrichment, 110), qRgb(255, 255, 255));
        QCOMPARE(writeMaskOf(tableOfView(1)), 0x8u);
        QCOMPARE(writeMaskOf(tableOfView(5)), 0x8u);
        QCOMPARE(writeMaskOf(tableOfView(6)), 0x1000u);
        QCOMPARE(writeMaskOf(tableOfView(7)), 0x2000u);
    }

    void mapCells_data()
    {
        QTest::addColumn<bool>("obd");
        QTest::addColumn<int>("mapView");
        QTest::addColumn<int>("petrol");
        QTest::addColumn<int>("gas");
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("background");
        QTest::addColumn<uint>("colour");
        const uint pink = qRgb(255, 190, 190), green = qRgb(190, 255, 190), both = qRgb(255, 255, 210),
                   grey = qRgb(235, 235, 235), black = qRgb(0, 0, 0);
        QTest::newRow("petrol") << false << 0 << 55 << 0 << "5.5" << pink << black;
        QTest::newRow("petrol not learned") << false << 0 << 0 << 40 << "" << grey << black;
        QTest::newRow("gas") << false << 1 << 0 << 40 << "4.0" << green << black;
        QTest::newRow("difference below the threshold")
            << false << 2 << 50 << 40 << "+1.0" << both << qRgb(128, 128, 128);
        QTest::newRow("petrol longer") << false << 2 << 52 << 40 << "+1.2" << both << qRgb(176, 0, 0);
        QTest::newRow("gas longer") << false << 2 << 40 << 52 << "-1.2" << both << qRgb(0, 0, 236);
        QTest::newRow("equal") << false << 2 << 40 << 40 << "0.0" << both << qRgb(128, 128, 128);
        QTest::newRow("only petrol") << false << 2 << 40 << 0 << "" << pink << black;
        QTest::newRow("only gas") << false << 2 << 0 << 40 << "" << green << black;
        QTest::newRow("neither") << false << 2 << 0 << 0 << "" << grey << black;
        QTest::newRow("obd petrol") << true << 0 << 141 << 0 << "10.2" << pink << black;
        QTest::newRow("obd gas below zero") << true << 1 << 0 << 121 << "-5.5" << green << black;
        QTest::newRow("obd difference at its threshold")
            << true << 2 << 140 << 134 << "+4.7" << both << qRgb(176, 0, 0);
        QTest::newRow("obd difference below it") << true << 2 << 138 << 134 << "+3.1" << both << qRgb(128, 128, 128);
    }
    void mapCells()
    {
        QFETCH(bool, obd);
        QFETCH(int, mapView);
        QFETCH(int, petrol);
        QFETCH(int, gas);
        QFETCH(QString, text);
        QFETCH(uint, background);
        QFETCH(uint, colour);
        const MapCell c = mapCell(obd, mapView, petrol, gas);
        QCOMPARE(c.text, text);
        QCOMPARE(c.background, QRgb(background));
        QCOMPARE(c.textColour, QRgb(colour));
    }
};

QTEST_GUILESS_MAIN(TstTables)
#include "tst_tables.moc"
