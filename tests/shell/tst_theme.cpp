// Colour themes and the main window's sizing arithmetic.
#include <QtGui/QFont>
#include <QtGui/QFontMetrics>
#include <QtTest/QtTest>

#include "shell/FrameLayout.h"
#include "shell/Theme.h"

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

    void sidePanelsAndBars_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("side");
        QTest::addColumn<int>("bar");
        QTest::addColumn<int>("font");
        QTest::newRow("740x417") << 740 << 417 << 180 << 28 << 8;
        QTest::newRow("899 wide") << 899 << 550 << 180 << 28 << 8;
        QTest::newRow("1366x768") << 1366 << 768 << 260 << 32 << 10;
        QTest::newRow("551 high") << 1000 << 551 << 200 << 32 << 10;
    }
    void sidePanelsAndBars()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QTEST(FrameLayout::sidePanelWidth(width), "side");
        QTEST(FrameLayout::barHeight(height), "bar");
        QTEST(FrameLayout::commandFontSize(height), "font");
    }

    void commandButtons()
    {
        // The main button alone: caption + 120 wide, 8 pixels left of the status panel, and the
        // progress bar 12 pixels short of it.
        auto b = FrameLayout::layoutCommandButtons({false, false, false, true}, {0, 0, 0, 100}, 560);
        QCOMPARE(b.width[3], 220);
        QCOMPARE(b.left[3], 332);
        QCOMPARE(b.progressWidth, 320);

        // Three at the left and the main one at the right while they fit.
        b = FrameLayout::layoutCommandButtons({true, true, false, true}, {50, 60, 0, 70}, 560);
        QCOMPARE(b.left[0], 8);
        QCOMPARE(b.left[1], 86);
        QCOMPARE(b.width[3], 90);
        QCOMPARE(b.left[3], 462);
        QCOMPARE(b.progressWidth, -1);

        // All four in a narrow window: compacted to caption + 4 side by side.
        b = FrameLayout::layoutCommandButtons({true, true, true, true}, {120, 130, 140, 100}, 500);
        QCOMPARE(b.width, (std::array<int, 4>{124, 134, 144, 104}));
        QCOMPARE(b.left, (std::array<int, 4>{0, 126, 262, 408}));

        // The same four with room to spare keep their spacing.
        b = FrameLayout::layoutCommandButtons({true, true, true, true}, {120, 130, 140, 100}, 1000);
        QCOMPARE(b.left, (std::array<int, 4>{8, 156, 314, 872}));
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
        QTEST(FrameLayout::draggedPanelWidth(start, delta, neighbour, 30), "width");
    }

    void minimumWindow_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<int>("menuBar");
        QTest::addColumn<QSize>("minimum");
        // A frame of 8 x 44 with a 19-pixel menu bar: exactly the design client area at 640 x 480.
        QTest::newRow("reference frame") << QSize(8, 44) << 19 << QSize(632, 436);
        // A taller frame: the outer 640 x 480 decides.
        QTest::newRow("tall frame") << QSize(16, 60) << 22 << QSize(624, 420);
        // No frame at all: the design client area below the menu bar is the floor, not 480.
        QTest::newRow("no frame") << QSize(0, 0) << 22 << QSize(640, 439);
    }
    void minimumWindow()
    {
        QFETCH(QSize, frame);
        QFETCH(int, menuBar);
        QTEST(FrameLayout::minimumWindowSize(frame, QSize(740, 417), menuBar), "minimum");
    }

    void tabRowFontFitting()
    {
        const QStringList captions{QStringLiteral("Settings [F1]"), QStringLiteral("Oscilloscope [F5]")};
        const auto width = [](const QString& text, int size) { return text.size() * size; };
        QCOMPARE(FrameLayout::fitFontSize(captions, 17 * 14, 14, 7, width), 14);
        QCOMPARE(FrameLayout::fitFontSize(captions, 17 * 10, 14, 7, width), 10);
        QCOMPARE(FrameLayout::fitFontSize(captions, 17 * 10 - 1, 14, 7, width), 9);
        QCOMPARE(FrameLayout::fitFontSize(captions, 50, 14, 7, width), 6);
    }
};

QTEST_MAIN(TstTheme)
#include "tst_theme.moc"
