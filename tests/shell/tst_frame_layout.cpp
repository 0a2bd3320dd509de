// The main window's sizing arithmetic: side panels, bars, command buttons, the minimum size and the
// tab rows' font.
#include <QtTest/QtTest>

#include "shell/FrameLayout.h"

class TstFrameLayout : public QObject {
    Q_OBJECT
private Q_SLOTS:
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

QTEST_MAIN(TstFrameLayout)
#include "tst_frame_layout.moc"
