// The pieces every widget uses: the colour themes, the side-panel splitter's drag and the string
// grid's cell hit tests.
#include <QtTest/QtTest>

#include "ui/GridCells.h"
#include "ui/PanelSplitter.h"
#include "ui/Theme.h"

namespace {
SystemColours fixedSystem()
{
    SystemColours s;
    s.buttonFace = QColor(240, 240, 240);
    s.buttonText = QColor(0, 0, 0);
    s.window = QColor(255, 255, 255);
    s.windowText = QColor(0, 0, 0);
    s.windowFrame = QColor(100, 100, 100);
    s.menuHighlight = QColor(51, 153, 255);
    s.highlightText = QColor(255, 255, 255);
    return s;
}
}  // namespace

class TstTheme : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void shade_data()
    {
        QTest::addColumn<QColor>("in");
        QTest::addColumn<int>("amount");
        QTest::addColumn<QColor>("out");
        QTest::newRow("grey -50") << QColor(210, 210, 210) << -50 << QColor(160, 160, 160);
        QTest::newRow("black -20") << QColor(0, 0, 0) << -20 << QColor(0, 0, 0);
        QTest::newRow("clamped +10") << QColor(250, 240, 5) << 10 << QColor(255, 250, 15);
    }
    void shade()
    {
        QFETCH(QColor, in);
        QFETCH(int, amount);
        QTEST(ShadeColor(in, amount), "out");
    }

    void palettes_data()
    {
        QTest::addColumn<int>("theme");
        QTest::addColumn<QColor>("background");
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("darkShade");
        QTest::addColumn<QColor>("valueBackground");
        QTest::addColumn<QColor>("editorBackground");
        QTest::addColumn<QColor>("cursor");
        QTest::addColumn<QColor>("buttonBorder");
        // Windows scheme follows the platform: background = button face, shades derived from it.
        QTest::newRow("0 Windows-White") << 0 << QColor(240, 240, 240) << QColor(0, 0, 0) << QColor(190, 190, 190)
                                         << QColor(255, 255, 255) << QColor(255, 255, 255) << QColor(255, 255, 0)
                                         << QColor(100, 100, 100);
        QTest::newRow("3 Grey-Black") << 3 << QColor(210, 210, 210) << QColor(0, 0, 0) << QColor(160, 160, 160)
                                      << QColor(230, 230, 230) << QColor(210, 210, 210) << QColor(255, 255, 255)
                                      << QColor(0, 0, 0);
        QTest::newRow("2 Grey-White") << 2 << QColor(210, 210, 210) << QColor(0, 0, 0) << QColor(160, 160, 160)
                                      << QColor(255, 255, 255) << QColor(240, 240, 240) << QColor(255, 255, 0)
                                      << QColor(0, 0, 0);
        // Black panels with grey text, dark plots and a white marker.
        QTest::newRow("5 Black-Black") << 5 << QColor(0, 0, 0) << QColor(192, 192, 192) << QColor(30, 30, 30)
                                       << QColor(0, 0, 0) << QColor(0, 0, 0) << QColor(255, 255, 255)
                                       << QColor(80, 80, 80);
        QTest::newRow("4 Black-White") << 4 << QColor(0, 0, 0) << QColor(192, 192, 192) << QColor(30, 30, 30)
                                       << QColor(50, 50, 50) << QColor(30, 30, 30) << QColor(255, 255, 0)
                                       << QColor(80, 80, 80);
    }
    void palettes()
    {
        QFETCH(int, theme);
        const ThemePalette t = ComputePalette(theme, fixedSystem());
        QTEST(t.background, "background");
        QTEST(t.text, "text");
        QTEST(t.darkShade, "darkShade");
        QTEST(t.valueBackground, "valueBackground");
        QTEST(t.editorBackground, "editorBackground");
        QTEST(t.chart.cursor, "cursor");
        QTEST(t.chart.buttonBorder, "buttonBorder");
        QCOMPARE(t.scope.cursor, t.chart.cursor);
        QCOMPARE(t.chart.plotBackground, theme % 2 ? QColor(50, 50, 50) : QColor(240, 240, 240));
    }

    void windowsSchemeFollowsPlatformChange()
    {
        SystemColours s = fixedSystem();
        s.buttonFace = QColor(100, 120, 140);
        const ThemePalette t = ComputePalette(0, s);
        QCOMPARE(t.background, QColor(100, 120, 140));
        QCOMPARE(t.bar, QColor(80, 100, 120));
        QCOMPARE(t.brightShade, QColor(130, 150, 170));
    }

    void draggedSidePanel_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("neighbour");
        QTest::addColumn<int>("width");
        QTest::newRow("wider") << 180 << 40 << 400 << 220;
        QTest::newRow("narrower") << 180 << -100 << 400 << 80;
        QTest::newRow("not below 30") << 180 << -170 << 400 << 30;
        QTest::newRow("neighbour keeps 30") << 180 << 500 << 400 << 550;
        QTest::newRow("no room at all") << 20 << 10 << 20 << 20;
    }
    void draggedSidePanel()
    {
        QFETCH(int, start);
        QFETCH(int, delta);
        QFETCH(int, neighbour);
        QTEST(PanelSplitter::draggedPanelWidth(start, delta, neighbour, 30), "width");
    }

    void hitTests_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("topRow");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        // Columns 20, 70, 40, 50 wide; rows 21 pixels apart, 8 of them.
        QTest::newRow("first cell") << 0 << 0 << 0 << 0 << 0;
        QTest::newRow("last pixel of column 0") << 19 << 20 << 0 << 0 << 0;
        QTest::newRow("first pixel of column 1, row 1") << 20 << 21 << 0 << 1 << 1;
        QTest::newRow("switch column") << 100 << 150 << 0 << 2 << 7;
        QTest::newRow("right of every column") << 500 << 5 << 0 << 3 << 0;
        QTest::newRow("below the last row") << 30 << 168 << 0 << 1 << -1;
        QTest::newRow("scrolled by two") << 30 << 43 << 2 << 1 << 4;
        QTest::newRow("left of the grid") << -1 << -1 << 0 << -1 << -1;
    }
    void hitTests()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, topRow);
        QTEST(GridCells::columnAt({20, 70, 40, 50}, 0, x), "col");
        QTEST(GridCells::rowAt(21, topRow, y, 8), "row");
    }
};

QTEST_MAIN(TstTheme)
#include "tst_theme.moc"
