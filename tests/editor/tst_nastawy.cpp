// The settings editor as a widget: real mouse and key events, checked in the link's memory image.
#include <QtTest/QtTest>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QToolTip>

#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "editor/NastawyLayout.h"
#include "editor/Tnastawy.h"
#include "link/Tsterownik.h"
#include "settings/SettingsPages.h"

namespace {

// An editor on a link without a port, the catalogue registered and its defaults loaded.
struct Fixture {
    TSterownik link;
    SettingsCatalogue catalogue{link.mem, &link};
    QWidget host;
    TNastawy* editor;

    explicit Fixture(int viewLevel = 1, int page = 0)
    {
        link.timer()->stop();
        editor = new TNastawy(link, catalogue, &host);
        editor->RegisterSettings();
        editor->LoadDefaults();
        host.resize(740, 400);
        editor->setGeometry(0, 0, 740, 400);
        host.show();
        editor->SetViewLevel(viewLevel);
        editor->SetPage(page);
        editor->Relayout();
    }
    int byte(int n) { return editor->catalogue().byte(n); }
    const SettingDescriptor& d(int n) { return editor->catalogue().descriptor(n); }
    // Widget position inside cell (column, row) at x position k (2 = value box, 3 = minus, 4 = plus).
    QPoint at(int column, int row, int k)
    {
        const NastawyLayout::Geometry& g = editor->geometry();
        const int x = k == 2 ? g.p(column, 2) + 4 : (g.p(column, k) + g.p(column, k + 1)) / 2;
        return {x, editor->cellRect(column, row).center().y()};
    }
    QPoint find(int index)
    {
        const QList<int>& c = editor->cells();
        const int i = static_cast<int>(c.indexOf(index));
        return {i % 2, i / 2};
    }
    void click(int index, int k)
    {
        const QPoint cell = find(index);
        QTest::mouseClick(editor, Qt::LeftButton, {}, at(cell.x(), cell.y(), k));
    }
};

}  // namespace

class TstNastawy : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(programTexts().load());
        programLanguage() = TextTable::English;
    }

    void geometryArithmetic()
    {
        const NastawyLayout::Geometry g = NastawyLayout::compute(0, 16, 740, 400);
        QCOMPARE(g.rowHeight, 25);
        QCOMPARE(g.columnWidth, 370);
        QCOMPARE(g.button, 25);
        QCOMPARE(g.p(0, 0), 7);
        QCOMPARE(g.p(0, 2), 203);
        QCOMPARE(g.p(0, 3), 309);
        QCOMPARE(g.p(0, 4), 336);
        QCOMPARE(g.p(0, 5), 363);
        QCOMPARE(g.p(0, 6), 177);
        QCOMPARE(g.p(1, 2), 573);
        QCOMPARE(g.p(1, 5), 733);
        // Too many rows: 20-pixel rows and room for the scroll bar.
        const NastawyLayout::Geometry s = NastawyLayout::compute(0, 24, 740, 400);
        QCOMPARE(s.rowHeight, 20);
        QCOMPARE(s.columnWidth, 360);
        QVERIFY(s.scrollBar);
        // Calibration page: fixed 24-pixel rows; buttons at most a tenth of the column.
        const NastawyLayout::Geometry c = NastawyLayout::compute(1, 3, 300, 80);
        QCOMPARE(c.rowHeight, 24);
        QCOMPARE(c.button, 15);
    }

    void labelFontFitting_data()
    {
        // A label 10 pixels wide per point and "Tg" 3 pixels taller than the size.
        QTest::addColumn<int>("labelRoom");
        QTest::addColumn<int>("rowHeight");
        QTest::addColumn<int>("size");
        QTest::newRow("largest size") << 1000 << 40 << 24;
        QTest::newRow("width decides") << 150 << 40 << 14;
        QTest::newRow("narrower, not equal") << 140 << 40 << 13;
        QTest::newRow("row height decides") << 1000 << 20 << 14;
        QTest::newRow("text lower, not equal") << 1000 << 19 << 13;
        QTest::newRow("label never fits") << 60 << 40 << 7;
        QTest::newRow("row never fits") << 1000 << 12 << 7;
    }
    void labelFontFitting()
    {
        QFETCH(int, labelRoom);
        QFETCH(int, rowHeight);
        const auto width = [](int size) { return 10 * size; };
        const auto height = [](int size) { return size + 3; };
        QTEST(NastawyLayout::fitFontSize(labelRoom, rowHeight, width, height), "size");
    }

    void repeatIntervalsAndPopupPlace()
    {
        const int expected[] = {600, 600, 600, 300, 300, 300, 300, 300, 300, 300, 100};
        for (int i = 0; i <= 10; ++i) QCOMPARE(NastawyLayout::repeatInterval(i), expected[i]);
        QCOMPARE(NastawyLayout::repeatInterval(29), 100);
        QCOMPARE(NastawyLayout::repeatInterval(30), 30);
        // Below the cell when it fits, widened to the widest item + 8.
        QCOMPARE(NastawyLayout::popupRect(200, 100, 150, 60, 4, 16, 400), QRect(200, 60, 158, 69));
        // Moved up when it would pass the bottom.
        QCOMPARE(NastawyLayout::popupRect(200, 100, 50, 380, 4, 16, 400), QRect(200, 331, 100, 69));
        // Taller than the editor: at the top with the editor's height.
        QCOMPARE(NastawyLayout::popupRect(200, 100, 50, 60, 30, 16, 400), QRect(200, 0, 100, 400));
    }

    void layoutsByViewLevel_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("hasSetting4");
        QTest::addColumn<int>("rowHeight");
        QTest::newRow("basic") << 0 << 16 << false << 25;
        QTest::newRow("full") << 1 << 19 << false << 21;
        QTest::newRow("advanced") << 2 << 24 << true << 20;
    }
    void layoutsByViewLevel()
    {
        QFETCH(int, level);
        Fixture f(level);
        QTEST(f.editor->rowCount(), "rows");
        QTEST(f.editor->cells().contains(4), "hasSetting4");
        QTEST(f.editor->geometry().rowHeight, "rowHeight");
        QCOMPARE(f.editor->cellAt(0, 0), int(SettingsPages::kPageHeader));
        QVERIFY(f.editor->fontSize() >= 7 && f.editor->fontSize() <= 24);
    }

    // The calibration page's labels in every language end clear of their value boxes: the last six
    // pixels before a box carry no ink of its label (the Spanish "Corrección RPM de ralentí" all but
    // touched its box).
    void calibrationLabelsEndBeforeTheirBoxes_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("width");
        for (int language : {0, 1, 2, 3})
            for (int width : {1100, 860, 640})
                QTest::newRow(qPrintable(QStringLiteral("language %1, %2 wide").arg(language).arg(width)))
                    << language << width;
    }
    void calibrationLabelsEndBeforeTheirBoxes()
    {
        QFETCH(int, language);
        QFETCH(int, width);
        programLanguage() = language;
        Fixture f(1, 1);
        // The window's face where Tahoma is missing (as on the build machines).
        QFont face(QStringLiteral("DejaVu Sans Condensed"));
        face.setPointSize(8);
        f.host.setFont(face);
        f.host.resize(width, 96);
        f.editor->setGeometry(0, 0, width, 96);
        f.editor->Relayout();
        const QImage shot = f.editor->grab().toImage();
        const NastawyLayout::Geometry& g = f.editor->geometry();
        int checked = 0;
        for (int i = 0; i < f.editor->cells().size(); ++i) {
            if (f.editor->cells()[i] <= 0) continue;
            const int column = i % 2;
            const QRect r = f.editor->cellRect(column, i / 2);
            const int p2 = g.p(column, 2);
            const QColor back = shot.pixelColor(p2 - 2, r.top() + 1);
            for (int x = p2 - 6; x < p2; ++x)
                for (int y = r.top() + 2; y < r.bottom() - 1; ++y)
                    QVERIFY2(
                        shot.pixelColor(x, y) == back,
                        qPrintable(QStringLiteral("setting %1: ink at %2,%3").arg(f.editor->cells()[i]).arg(x).arg(y)));
            ++checked;
        }
        QVERIFY(checked >= 5);
        programLanguage() = TextTable::English;
    }

    void plusAndMinusStepThroughTheCatalogue()
    {
        Fixture f;
        const int before = f.byte(3);
        f.click(3, 4);
        QCOMPARE(f.byte(3), before + 1);
        QCOMPARE(f.editor->selectedRow(), f.find(3).y());
        f.click(3, 3);
        f.click(3, 3);
        QCOMPARE(f.byte(3), before - 1);
        QCOMPARE(f.link.mem.settingsBlock()[3], uint8_t(before - 1));
    }

    void holdingRepeatsWithShorterIntervals()
    {
        Fixture f;
        const QPoint cell = f.find(3);
        const int before = f.byte(3);
        QTest::mousePress(f.editor, Qt::LeftButton, {}, f.at(cell.x(), cell.y(), 4));
        QVERIFY(f.editor->repeatTimer()->isActive());
        QCOMPARE(f.editor->repeatTimer()->interval(), 600);
        for (int i = 0; i < 3; ++i) f.editor->RepeatTick();
        QCOMPARE(f.editor->repeatTimer()->interval(), 300);
        for (int i = 3; i < 10; ++i) f.editor->RepeatTick();
        QCOMPARE(f.editor->repeatTimer()->interval(), 100);
        QCOMPARE(f.byte(3), std::min<int>(before + 11, f.d(3).max));
        QTest::mouseRelease(f.editor, Qt::LeftButton, {}, f.at(cell.x(), cell.y(), 4));
        QVERIFY(!f.editor->repeatTimer()->isActive());
        QCOMPARE(f.editor->repeatTimer()->interval(), 600);
        QCOMPARE(f.editor->repeatCount(), 0);
    }

    void limitStopsTheRepeatAndBeeps()
    {
        Fixture f;
        f.editor->catalogue().SetValue(3, f.d(3).max - 1);
        const QPoint cell = f.find(3);
        QTest::mousePress(f.editor, Qt::LeftButton, {}, f.at(cell.x(), cell.y(), 4));
        QCOMPARE(f.byte(3), int(f.d(3).max));
        const int beeps = f.editor->beepCount;
        f.editor->RepeatTick();
        QCOMPARE(f.byte(3), int(f.d(3).max));
        QVERIFY(!f.editor->repeatTimer()->isActive());
        QCOMPARE(f.editor->beepCount, beeps + 1);
        QTest::mouseRelease(f.editor, Qt::LeftButton, {}, f.at(cell.x(), cell.y(), 4));
    }

    void refusedCellsDoNothing()
    {
        // Setting 2 is locked while setting 1 is 6 or less: drawn disabled, clicks ignored.
        Fixture f;
        f.editor->catalogue().SetValue(1, 0);
        const int before = f.byte(2);
        const int selected = f.editor->selectedRow();
        f.click(2, 4);
        QCOMPARE(f.byte(2), before);
        QCOMPARE(f.editor->selectedRow(), selected);
        const QPoint cell = f.find(2);
        const QPoint box = f.at(cell.x(), cell.y(), 2);
        ThemePalette t = ComputePalette(3, SystemColours::fromPalette(QApplication::palette()));
        QCOMPARE(f.editor->image().pixelColor(box.x() + 30, box.y()), t.disabledBackground);

        // The calibration page at view level 0 shows values but takes no change.
        Fixture g(0, 1);
        const int v = g.byte(86);
        g.click(86, 4);
        QCOMPARE(g.byte(86), v);
    }

    void listPopupSetsTheChosenValue()
    {
        Fixture f;
        f.click(1, 4);
        QListWidget* list = f.editor->listPopup();
        QVERIFY(list && list->isVisible());
        QCOMPARE(list->count(), f.d(1).max - f.d(1).min + 1);
        QCOMPARE(list->currentRow(), f.byte(1) - f.d(1).min);
        const QPoint cell = f.find(1);
        QCOMPARE(list->geometry().left(), f.editor->geometry().p(cell.x(), 2));
        QCOMPARE(list->geometry().top(), f.editor->cellRect(cell.x(), cell.y()).bottom() + 1);
        QCOMPARE(list->item(2)->text(), f.editor->catalogue().ValueText(1, f.d(1).min + 2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
        QVERIFY(!list->isVisible());
        QCOMPARE(f.byte(1), f.d(1).min + 2);
    }

    void yesNoToggles()
    {
        Fixture f;
        const int n = 21;
        QCOMPARE(f.d(n).cls(), int(kClassYesNo));
        const int before = f.byte(n);
        f.click(n, 4);
        QCOMPARE(f.byte(n), before == 0 ? 1 : 0);
        f.click(n, 4);
        QCOMPARE(f.byte(n), before);
    }

    void keyboardMovesAndSteps()
    {
        Fixture f;
        f.editor->setFocus();
        const int beeps = f.editor->beepCount;
        QTest::keyClick(f.editor, Qt::Key_Up);  // row 1 is the first selectable row
        QCOMPARE(f.editor->selectedRow(), 1);
        QCOMPARE(f.editor->beepCount, beeps + 1);
        QTest::keyClick(f.editor, Qt::Key_Down);
        QTest::keyClick(f.editor, Qt::Key_Down);
        QCOMPARE(f.editor->selectedRow(), 3);
        QCOMPARE(f.editor->cellAt(0, 3), 3);
        const int before = f.byte(3);
        QTest::keyClick(f.editor, Qt::Key_Right);
        QCOMPARE(f.byte(3), before + 1);
        QTest::keyClick(f.editor, Qt::Key_Left);
        QTest::keyClick(f.editor, Qt::Key_Left);
        QCOMPARE(f.byte(3), before - 1);
        for (int i = 0; i < 30; ++i) QTest::keyClick(f.editor, Qt::Key_Down);
        QCOMPARE(f.editor->selectedRow(), f.editor->rowCount() - 1);
    }

    void valueChangedInTheImageShowsAtTheNextPaint()
    {
        // A controller reply or the factory settings change the memory image directly; the main
        // window then only asks the editor to repaint.
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.host));
        f.editor->repaint();
        const QImage before = f.editor->image();
        f.link.mem.settingsBlock()[50] = uint8_t(f.byte(50) + 10);
        f.editor->repaint();
        const QImage painted = f.editor->image();
        QVERIFY(painted != before);
        f.editor->SetPage(0);  // a full re-layout draws the same picture
        QCOMPARE(painted, f.editor->image());
    }

    // A label cut for want of room (a narrow editor at the smallest font) keeps its whole text in
    // the tooltip over its cell and in the editor's accessible name while its cell is selected; in a
    // wide editor no label of the page is cut, those before a detail button included.
    void cutLabelsKeepTheirWholeText_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("cut");
        for (int language : {0, 1, 2, 3}) {
            QTest::newRow(qPrintable(QStringLiteral("language %1, narrow").arg(language))) << language << 520 << true;
            QTest::newRow(qPrintable(QStringLiteral("language %1, wide").arg(language))) << language << 1800 << false;
        }
    }
    void cutLabelsKeepTheirWholeText()
    {
        QFETCH(int, language);
        QFETCH(int, width);
        QFETCH(bool, cut);
        programLanguage() = language;
        Fixture f(1);
        QFont face(QStringLiteral("DejaVu Sans Condensed"));
        face.setPointSize(8);
        f.host.setFont(face);
        f.host.resize(width, 500);
        f.editor->setGeometry(0, 0, width, 500);
        f.editor->Relayout();
        int cutLabels = 0;
        for (int i = 0; i < f.editor->cells().size(); ++i) cutLabels += f.editor->labelCut(i % 2, f.editor->cells()[i]);
        QCOMPARE(cutLabels > 0, cut);

        // Switching to gas above a temperature: one of the longest labels in every language.
        const int n = 51;
        const QString whole = f.editor->catalogue().LabelText(n);
        const QPoint cell = f.find(n);
        QCOMPARE(f.editor->labelCut(cell.x(), n), cut);
        f.click(n, 2);
        QCOMPARE(f.editor->accessibleName(), whole);
        const QRect r = f.editor->cellRect(cell.x(), cell.y());
        const QPoint over(f.editor->geometry().p(cell.x(), 0) + 10, r.center().y());
        QHelpEvent help(QEvent::ToolTip, over, f.editor->mapToGlobal(over));
        QCoreApplication::sendEvent(f.editor, &help);
        QVERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text().startsWith(whole), cut);
        QVERIFY(QToolTip::text().endsWith(TextById(OwnText::EditorHint)));
        QToolTip::hideText();
        programLanguage() = TextTable::English;
    }

    // The editor takes no typed numbers: a digit shows how a value is changed, and changes nothing.
    void digitsShowHowToChangeAValue()
    {
        Fixture f(1);
        f.editor->setFocus();
        f.click(1, 2);
        const QByteArray before(reinterpret_cast<const char*>(f.link.mem.settingsBlock()), 256);
        QTest::keyClick(f.editor, Qt::Key_5);
        QVERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), TextById(OwnText::EditorHint));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(f.link.mem.settingsBlock()), 256), before);
        QToolTip::hideText();
    }

    void injectorCorrectionsCaptionTurnsRed()
    {
        Fixture f(0);
        const QPoint cell = f.find(SettingsPages::kInjectorCorrections);
        const QRect r = f.editor->cellRect(cell.x(), cell.y());
        const auto redPixels = [&] {
            int n = 0;
            const QImage& img = f.editor->image();
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x < f.editor->geometry().p(cell.x(), 2); ++x)
                    if (img.pixelColor(x, y) == QColor(255, 0, 0)) ++n;
            return n;
        };
        for (int i = 0; i < 8; ++i) f.link.mem.settingsBlock()[216 + i] = 128;
        f.editor->update();
        f.editor->SetPage(0);
        QCOMPARE(redPixels(), 0);
        f.link.mem.settingsBlock()[217] = 130;
        f.editor->SetPage(0);
        QVERIFY(redPixels() > 0);
    }
};

QTEST_MAIN(TstNastawy)
#include "tst_nastawy.moc"
