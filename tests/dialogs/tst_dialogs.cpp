// The dialogs as widgets, opened from the settings editor with real clicks: what they show, what a
// click changes in the memory image and the settings write it raises, modality, theme and language.
#include <QtCore/QLocale>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QToolButton>

#include "DialogBench.h"
#include "base/OwnTexts.h"
#include "dialogs/LevelSensor.h"
#include "dialogs/SeqGrid.h"
#include "dialogs/Unitcal.h"
#include "dialogs/Unitinj.h"
#include "dialogs/Unitlevel.h"
#include "dialogs/Unitnastaw.h"
#include "dialogs/Unitseq.h"
#include "shell/MainMenu.h"
#include "shell/WindowDialogs.h"
#include "ui/UpDown.h"

namespace {

QString caption(int id) { return QStringLiteral("KAVELO - ") + TForm1::TextById(id); }

// One step of a closed list through the keyboard, as the fitter would pick the next item.
void nextItem(QComboBox* list)
{
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
}

QColor textColour(const QLineEdit* box) { return box->palette().color(QPalette::Text); }

// A live frame as the link hands it to the fan-out: 128 bytes.
std::array<uint8_t, 128> liveFrame() { return {}; }

// Pixels of `colour` inside `r` of a widget's picture.
int countPixels(QWidget* w, const QRect& r, const QColor& colour)
{
    const QImage img = w->grab().toImage();
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (img.pixelColor(x, y) == colour) ++n;
    return n;
}

}  // namespace

class TstDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void calculator()
    {
        DialogBench b;
        SettingsCatalogue& cat = b.editor()->catalogue();
        QVERIFY(cat.SetValue(24, 5));  // "Valtek 3 Ohm"
        QVERIFY(cat.SetValue(86, 100));
        QVERIFY(b.run([&] { return b.link().writeMask == 0; }));
        const std::array<uint8_t, 256> before = [&] {
            std::array<uint8_t, 256> a{};
            std::copy_n(b.settings(), 256, a.begin());
            return a;
        }();

        b.clickInjectorsCell(true);
        TFormCal* cal = b.form.dialogs()->FormCal();
        QVERIFY(cal->isVisible());
        QCOMPARE(QApplication::activeModalWidget(), cal);
        QCOMPARE(cal->windowTitle(), caption(1380));
        QCOMPARE(cal->size(), QSize(520, 460));
        QCOMPARE(cal->ComboPressure->currentText(), QStringLiteral("1.00"));
        QCOMPARE(cal->ComboPressure->count(), 14);
        QCOMPARE(cal->ComboInjector->currentText(), cat.ValueText(24, 5));
        QCOMPARE(cal->LabelInjector->text(), cat.LabelText(24));
        QCOMPARE(cal->EditPower->text(), QStringLiteral("100"));
        QCOMPARE(cal->EditResult->text(), QStringLiteral("1.9"));
        QVERIFY(cal->LabelMm->isVisible());

        // 100 kW instead of HP: 2.424375 mm.
        nextItem(cal->ComboUnit);
        QCOMPARE(cal->ComboUnit->currentIndex(), 1);
        QCOMPARE(cal->EditResult->text(), QStringLiteral("2.4"));
        // One more kW from the up-down.
        QTest::mouseClick(cal->UpDown1->upButton(), Qt::LeftButton);
        QCOMPARE(cal->EditPower->text(), QStringLiteral("101"));
        // The colour-coded "Hana 3 Ohm" names a class and hides "[mm]"; the lists change no setting.
        nextItem(cal->ComboUnit);  // stays at kW (last item)
        cal->ComboInjector->setFocus();
        for (int i = 0; i < 3; ++i) QTest::keyClick(cal->ComboInjector, Qt::Key_Down);
        QCOMPARE(cal->ComboInjector->currentIndex() + 1, 8);
        // 101 kW: 2.4457 mm, class A.
        QCOMPARE(cal->EditResult->text(), QStringLiteral("A green"));
        QVERIFY(!cal->LabelMm->isVisible());
        nextItem(cal->ComboFuel);
        nextItem(cal->ComboInjection);
        QVERIFY(std::equal(before.begin(), before.end(), b.settings()));
        QCOMPARE(b.link().writeMask & 1, 0u);

        QTest::mouseClick(cal->BitBtn1, Qt::LeftButton);
        QVERIFY(!cal->isVisible());

        // Reopened: the power stays, the unit is HP again.
        b.clickInjectorsCell(true);
        QVERIFY(cal->isVisible());
        QCOMPARE(cal->EditPower->text(), QStringLiteral("101"));
        QCOMPARE(cal->ComboUnit->currentIndex(), 0);
        cal->accept();
    }

    // A stored value outside a list leaves the list without a selection and the result empty until
    // the fitter picks an item; the stored byte stays as it was. The first pressure item is the
    // one nearest to the installation's pressure.
    void calculatorWithForeignValues()
    {
        DialogBench b;
        b.settings()[24] = 40;
        b.settings()[86] = 215;
        b.clickInjectorsCell(true);
        TFormCal* cal = b.form.dialogs()->FormCal();
        QVERIFY(cal->isVisible());
        QCOMPARE(cal->ComboPressure->currentText(), QStringLiteral("2.20"));
        QCOMPARE(cal->ComboInjector->currentIndex(), -1);
        QCOMPARE(cal->EditResult->text(), QString());
        QCOMPARE(int(b.settings()[24]), 40);
        QCOMPARE(b.link().writeMask & 1, 0u);
        nextItem(cal->ComboInjector);
        QVERIFY(cal->ComboInjector->currentIndex() >= 0);
        QVERIFY(!cal->EditResult->text().isEmpty());
        QCOMPARE(int(b.settings()[24]), 40);
        cal->accept();
    }

    void assignment()
    {
        DialogBench b;
        SettingsCatalogue& cat = b.editor()->catalogue();
        QVERIFY(cat.SetValue(8, 0));  // sequential pattern 1, 2, 4, 8
        QCOMPARE(int(b.settings()[31]), 0xF0);

        b.clickDetail(8);
        TFormSeq* seq = b.form.dialogs()->FormSeq();
        QVERIFY(seq->isVisible());
        QCOMPARE(QApplication::activeModalWidget(), seq);
        QCOMPARE(seq->windowTitle(), caption(1375));
        QCOMPARE(seq->size(), QSize(450, 540));
        // Four injectors: a 5 x 5 grid at 152, the switch-off row at 180, "PETROL" at 64, 221.
        QCOMPARE(seq->StringGrid1->geometry(), QRect(152, TFormSeq::kGridTop, 5 * 29, 5 * 29));
        QCOMPARE(seq->StringGrid2->x(), 180);
        QCOMPARE(seq->StringGrid2->size(), QSize(4 * 29, 29));
        QCOMPARE(seq->LabelPetrol->pos(), QPoint(64, 221));
        QCOMPARE(seq->LabelPetrol->text(), TForm1::TextById(1244));
        QCOMPARE(seq->ComboBox1->currentText(), cat.ValueText(8, 0));

        // Gas injector 2 moves to petrol input 1.
        b.link().cancelCommand(TSterownik::CmdInjectorSwitch);
        b.link().writeMask = 0;
        QTest::mouseClick(seq->StringGrid1, Qt::LeftButton, {}, seq->StringGrid1->cellRect(2, 1).center());
        QCOMPARE(int(b.settings()[32]), 3);
        QCOMPARE(int(b.settings()[33]), 0);
        QCOMPARE(int(b.settings()[31]), 0xF0);
        QVERIFY(b.link().writeMask & 1);
        QCOMPARE(int(b.link().commandPending(TSterownik::CmdInjectorSwitch)), 1);
        // Petrol input 2 now drives nothing: its row header is crossed; input 1's is not.
        const QColor cross(180, 0, 0);
        QVERIFY(countPixels(seq->StringGrid1, seq->StringGrid1->cellRect(0, 2), cross) > 20);
        QCOMPARE(countPixels(seq->StringGrid1, seq->StringGrid1->cellRect(0, 1), cross), 0);
        QCOMPARE(seq->StringGrid1->grab().toImage().pixelColor(seq->StringGrid1->cellRect(2, 1).center()),
                 QColor(Qt::black));

        // Clicking the black cell switches gas injector 2 off: its column header is crossed.
        QTest::mouseClick(seq->StringGrid1, Qt::LeftButton, {}, seq->StringGrid1->cellRect(2, 1).center());
        QCOMPARE(int(b.settings()[32]), 1);
        QCOMPARE(int(b.settings()[31]), 0xF2);
        QCOMPARE(int(b.link().injectorsEnabled()) & 2, 0);
        QVERIFY(countPixels(seq->StringGrid1, seq->StringGrid1->cellRect(2, 0), cross) > 20);
        QVERIFY(countPixels(seq->StringGrid2, seq->StringGrid2->cellRect(1, 0), cross) > 20);
        // The crossed switch-off cell puts it back on the diagonal.
        QTest::mouseClick(seq->StringGrid2, Qt::LeftButton, {}, seq->StringGrid2->cellRect(1, 0).center());
        QCOMPARE(int(b.settings()[33]), 2);
        QCOMPARE(int(b.settings()[31]), 0xF0);
        QCOMPARE(int(b.link().injectorsEnabled()) & 2, 2);

        // The injection type list rewrites the pattern and the switching type follows.
        nextItem(seq->ComboBox1);
        QCOMPARE(int(b.settings()[8]), 1);
        QCOMPARE(int(b.settings()[56]), 1);
        QCOMPARE(int(b.settings()[32]), 0x05);
        QCOMPARE(int(b.settings()[33]), 0x0A);
        QCOMPARE(seq->ComboBox2->currentIndex(), 1);
        // Grey pattern cell (row 2, even column), white elsewhere outside the assignment.
        b.settings()[33] = 0;  // uncover the pattern under the black cell
        seq->StringGrid1->update();
        const QImage img = seq->StringGrid1->grab().toImage();
        QCOMPARE(img.pixelColor(seq->StringGrid1->cellRect(2, 2).center()), QColor(225, 225, 225));
        QCOMPARE(img.pixelColor(seq->StringGrid1->cellRect(2, 2).topLeft()), QColor(Qt::white));
        QCOMPARE(img.pixelColor(seq->StringGrid1->cellRect(1, 2).center()), QColor(Qt::white));
        b.settings()[33] = 0x0A;
        nextItem(seq->ComboBox2);
        QCOMPARE(int(b.settings()[56]), 2);
        QCOMPARE(int(b.settings()[8]), 1);
        seq->accept();
    }

    // The main window hands live frames to the assignment dialog only while it is shown.
    void injectionTypeDetection()
    {
        DialogBench b;
        SettingsCatalogue& cat = b.editor()->catalogue();
        QVERIFY(cat.SetValue(8, 0));
        TFormSeq* seq = b.form.dialogs()->FormSeq();
        std::array<uint8_t, 128> f = liveFrame();
        f[17] = 80;  // 800 rpm
        f[19] = 30;  // 3.0 ms
        f[21] = 0x01;
        b.form.LiveFrameReceived(LiveFrame(f.data(), 92));
        QCOMPARE(seq->detected(), int(TFormSeq::kNotDetected));

        b.clickDetail(8);
        QVERIFY(seq->isVisible());
        QCOMPARE(seq->EditDetected->text(), TForm1::TextById(1377));
        b.form.LiveFrameReceived(LiveFrame(f.data(), 92));
        QCOMPARE(seq->EditDetected->text(), cat.ValueText(8, 0));
        f[21] = 0x0F;
        b.form.LiveFrameReceived(LiveFrame(f.data(), 92));
        QCOMPARE(seq->EditDetected->text(), cat.ValueText(8, 2));
        f[21] = 0x01;
        f[17] = 200;  // 2000 rpm: left as it was
        b.form.LiveFrameReceived(LiveFrame(f.data(), 92));
        QCOMPARE(seq->EditDetected->text(), cat.ValueText(8, 2));
        seq->accept();
        // The box keeps its text between openings.
        b.clickDetail(8);
        QCOMPARE(seq->EditDetected->text(), cat.ValueText(8, 2));
        seq->accept();
    }

    void levelSensor()
    {
        DialogBench b;
        SettingsCatalogue& cat = b.editor()->catalogue();
        QVERIFY(cat.SetValue(40, 0));  // 44, 39, 20, 8
        QCOMPARE(b.link().liveRequestBits() & 2, 0);

        b.clickDetail(40);
        TFormLevel* level = b.form.dialogs()->FormLevel();
        QVERIFY(level->isVisible());
        QCOMPARE(QApplication::activeModalWidget(), level);
        QCOMPARE(level->windowTitle(), caption(1372));
        QCOMPARE(level->size(), QSize(600, 400));
        QCOMPARE(b.link().liveRequestBits() & 2, 2);
        QCOMPARE(level->Edits[0]->text(), QStringLiteral("0.88"));
        for (QLineEdit* e : level->Edits) QCOMPARE(textColour(e), QColor(0, 0, 0));
        for (const QColor& c : level->leds()) QCOMPARE(c, LevelSensor::kLedOff);

        // Setting 43 raised from 20 to 40 with the up-down: the boxes of 42 and 43 turn red.
        b.link().writeMask = 0;
        for (int i = 0; i < 20; ++i) QTest::mouseClick(level->UpDowns[2]->upButton(), Qt::LeftButton);
        QCOMPARE(int(b.settings()[43]), 40);
        QVERIFY(b.link().writeMask & 1);
        QCOMPARE(level->Edits[2]->text(), QStringLiteral("0.80"));
        QCOMPARE(textColour(level->Edits[0]), QColor(0, 0, 0));
        QCOMPARE(textColour(level->Edits[1]), QColor(255, 0, 0));
        QCOMPARE(textColour(level->Edits[2]), QColor(255, 0, 0));
        QCOMPARE(textColour(level->Edits[3]), QColor(0, 0, 0));

        // Type 1: the thresholds take its defaults; the up-downs follow after the wait.
        nextItem(level->ComboBox1);
        QCOMPARE(int(b.settings()[40]), 1);
        QCOMPARE(int(b.settings()[41]), 8);
        QCOMPARE(int(b.settings()[44]), 44);
        QVERIFY(level->typeTimer()->isActive());
        QCOMPARE(level->typeTimer()->interval(), 100);
        QCOMPARE(level->UpDowns[2]->position(), 40);
        level->typeTimer()->stop();
        level->TypeChangeDone();
        QCOMPARE(level->UpDowns[2]->position(), 39);
        QCOMPARE(level->Edits[0]->text(), QStringLiteral("0.16"));
        for (QLineEdit* e : level->Edits) QCOMPARE(textColour(e), QColor(0, 0, 0));
        QTest::mouseClick(level->UpDowns[0]->upButton(), Qt::LeftButton);
        QCOMPARE(int(b.settings()[41]), 9);

        // Live frames: an open sensor and all LEDs on are drawn on the very first frame.
        std::array<uint8_t, 128> f = liveFrame();
        f[13] = 0xFF;
        f[50] = 255;
        b.form.LiveFrameReceived(LiveFrame(f.data(), 92));
        QCOMPARE(level->EditVoltage->text(), QStringLiteral("5.10"));
        for (const QColor& c : level->leds()) QCOMPARE(c, LevelSensor::kLedLit);
        f[13] = 0x01;
        f[50] = 125;
        b.form.LiveFrameReceived(LiveFrame(f.data(), 92));
        QCOMPARE(level->EditVoltage->text(), QStringLiteral("2.50"));
        QCOMPARE(level->leds()[4], LevelSensor::kLedReserve);
        QCOMPARE(level->leds()[0], LevelSensor::kLedOff);
        QCOMPARE(level->grab().toImage().pixelColor(30, 30 + 4 * 60), LevelSensor::kLedReserve);

        // The simulated controller's readings arrive through the link while the dialog is open.
        QVERIFY(b.run([&] { return level->EditVoltage->text() == QStringLiteral("2.40"); }));

        QTest::mouseClick(level->BitBtn1, Qt::LeftButton);
        QVERIFY(!level->isVisible());
        QCOMPARE(b.link().liveRequestBits() & 2, 0);
        // Closed: frames no longer reach it.
        f[50] = 10;
        b.form.LiveFrameReceived(LiveFrame(f.data(), 92));
        QCOMPARE(level->EditVoltage->text(), QStringLiteral("2.40"));
    }

    void corrections()
    {
        DialogBench b;
        b.clickInjectorsCell(false);
        TFormInj* inj = b.form.dialogs()->FormInj();
        QVERIFY(inj->isVisible());
        QCOMPARE(QApplication::activeModalWidget(), inj);
        QCOMPARE(inj->windowTitle(), caption(1281));
        QCOMPARE(inj->size(), QSize(350, 230));
        for (int i = 0; i < 8; ++i) QCOMPARE(inj->Edits[i]->isVisible(), i < 4);

        b.link().writeMask = 0;
        QCOMPARE(int(b.settings()[218]), 128);
        QTest::mouseClick(inj->UpDowns[2]->upButton(), Qt::LeftButton);
        QCOMPARE(int(b.settings()[218]), 129);
        QVERIFY(b.link().writeMask & 1);
        QCOMPARE(inj->Edits[2]->text(), b.editor()->catalogue().ValueText(218));
        QVERIFY(inj->Edits[2]->text().contains(QStringLiteral("0.025")));
        QCOMPARE(inj->Units[2]->text(), TForm1::TextById(1053));
        // The range ends at 78 .. 178; a press at the end still stores (and writes) the value.
        QCOMPARE(inj->UpDowns[0]->minimum(), 78);
        QCOMPARE(inj->UpDowns[0]->maximum(), 178);
        inj->accept();

        b.link().injectorCount = 6;
        b.clickInjectorsCell(false);
        QCOMPARE(inj->size(), QSize(350, 290));
        for (int i = 0; i < 8; ++i) QCOMPARE(inj->Edits[i]->isVisible(), i < 6);
        QCOMPARE(inj->UpDowns[2]->position(), 129);
        inj->accept();
        b.link().injectorCount = 5;  // not a count the dialog knows: the rows stay
        b.clickInjectorsCell(false);
        QCOMPARE(inj->size(), QSize(350, 290));
        inj->accept();
        b.link().injectorCount = 8;
        b.clickInjectorsCell(false);
        QCOMPARE(inj->size(), QSize(350, 350));
        for (QLineEdit* e : inj->Edits) QVERIFY(e->isVisible());
        inj->accept();
    }

    void settingGroups()
    {
        DialogBench b;
        SettingsCatalogue& cat = b.editor()->catalogue();
        TFormNastaw* group = b.form.dialogs()->FormNastaw();
        QVERIFY(cat.SetValue(98, 4));
        QVERIFY(cat.SetValue(99, 4));
        QVERIFY(cat.SetValue(96, 1));

        b.clickDetail(96);
        QVERIFY(group->isVisible());
        QCOMPARE(QApplication::activeModalWidget(), group);
        QCOMPARE(group->windowTitle(), QStringLiteral("KAVELO"));
        QCOMPARE(group->size(), QSize(420, 208));
        QVERIFY(group->ComboBox1->isVisible());
        QCOMPARE(group->ComboBox1->count(), 4);
        QCOMPARE(group->ComboBox1->currentIndex(), 1);
        QCOMPARE(group->Labels[1]->text(), cat.LabelText(99));
        QCOMPARE(group->Labels[2]->text(), cat.LabelText(98));
        QVERIFY(!group->Edits[0]->isVisible());
        QCOMPARE(group->UpDowns[1]->tag, 99);
        QCOMPARE(group->UpDowns[2]->tag, 98);
        QCOMPARE(group->UpDowns[2]->maximum(), 7);

        // Volume 4 -> 5 sounds the speaker; brightness does not.
        b.link().cancelCommand(TSterownik::CmdSpeakerTest);
        b.link().writeMask = 0;
        QTest::mouseClick(group->UpDowns[1]->upButton(), Qt::LeftButton);
        QCOMPARE(int(b.settings()[99]), 5);
        QVERIFY(b.link().writeMask & 1);
        QCOMPARE(int(b.link().commandPending(TSterownik::CmdSpeakerTest)), 0);
        QTest::mouseClick(group->UpDowns[2]->upButton(), Qt::LeftButton);
        QCOMPARE(int(b.settings()[98]), 5);
        QCOMPARE(group->Edits[2]->text(), cat.ValueText(98));
        QCOMPARE(int(b.link().commandPending(TSterownik::CmdSpeakerTest)), 1);
        nextItem(group->ComboBox1);
        QCOMPARE(int(b.settings()[96]), 2);
        group->accept();

        // Opened from 63: three rows, no list.
        b.clickDetail(63);
        QVERIFY(group->isVisible());
        QVERIFY(!group->ComboBox1->isVisible());
        QCOMPARE(group->UpDowns[0]->tag, 63);
        QCOMPARE(group->UpDowns[1]->tag, 64);
        QCOMPARE(group->UpDowns[2]->tag, 69);
        QCOMPARE(group->Labels[0]->text(), cat.LabelText(63) + QStringLiteral(" ") + TForm1::TextById(1051));
        QCOMPARE(group->Labels[1]->text(), cat.LabelText(64) + QStringLiteral(" ") + TForm1::TextById(1055));
        const int before = b.settings()[63];
        QTest::mouseClick(group->UpDowns[0]->downButton(), Qt::LeftButton);
        QCOMPARE(int(b.settings()[63]), before - 1);
        QCOMPARE(group->Edits[0]->text(), cat.ValueText(63));
        group->accept();

        // Opened from 57: the list of its first three values and the reducer temperature.
        QVERIFY(cat.SetValue(57, 0));
        b.clickDetail(57);
        QVERIFY(group->isVisible());
        QCOMPARE(group->ComboBox1->count(), 3);
        QCOMPARE(group->UpDowns[1]->tag, 58);
        QVERIFY(!group->Edits[2]->isVisible());
        QVERIFY(!group->Labels[2]->isVisible());
        QCOMPARE(group->Labels[1]->text(), cat.LabelText(58) + QStringLiteral(" ") + TForm1::TextById(1054));
        nextItem(group->ComboBox1);
        QCOMPARE(int(b.settings()[57]), 1);
        group->accept();
    }

    // Every value box beside an up-down takes a number typed into it, with real clicks and keys:
    // the click focuses the box and selects its value, Enter takes the number (and leaves the
    // dialog open), the box shows the value as it shows an arrow's step. A number beyond the limits
    // and digits typed into a yes/no box change nothing and say so by the box.
    void typingIntoValueBoxes()
    {
        DialogBench b;
        SettingsCatalogue& cat = b.editor()->catalogue();
        const auto type = [](QLineEdit* box, const QString& text) {
            if (!box->window()->isActiveWindow()) {
                box->window()->activateWindow();
                QTRY_VERIFY(box->window()->isActiveWindow());
            }
            if (!box->hasFocus()) {
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
                QVERIFY(box->hasFocus());
            }
            QCOMPARE(box->selectedText(), box->text());
            QTest::keyClicks(box, text);
            QTest::keyClick(box, Qt::Key_Return);
        };

        // The calculator's engine power: a plain number, recomputed at once.
        QVERIFY(cat.SetValue(24, 5));
        QVERIFY(cat.SetValue(86, 100));
        b.clickInjectorsCell(true);
        TFormCal* cal = b.form.dialogs()->FormCal();
        QCOMPARE(cal->EditResult->text(), QStringLiteral("1.9"));
        cal->BitBtn1->setFocus();  // so that the click is what gives the box the focus
        type(cal->EditPower, QStringLiteral("200"));
        QVERIFY(cal->isVisible());
        QCOMPARE(cal->UpDown1->position(), 200);
        QCOMPARE(cal->EditPower->text(), QStringLiteral("200"));
        QCOMPARE(cal->EditResult->text(), QStringLiteral("3.4"));  // 50 HP a cylinder: 3.125 + 0.2 + 0.1
        type(cal->EditPower, QStringLiteral("2000"));
        QCOMPARE(cal->UpDown1->position(), 200);
        QCOMPARE(cal->EditPower->text(), QStringLiteral("200"));
        QCOMPARE(cal->UpDown1->lastHint(), TForm1::TextById(OwnText::TypedOutOfRange).arg(25).arg(1000));
        QTest::keyClick(cal->EditPower, Qt::Key_Up);
        QCOMPARE(cal->EditPower->text(), QStringLiteral("201"));
        // Typed and left by a click on OK: the number is taken before the dialog closes.
        QTest::keyClicks(cal->EditPower, QStringLiteral("90"));
        QTest::mouseClick(cal->BitBtn1, Qt::LeftButton);
        QVERIFY(!cal->isVisible());
        QCOMPARE(cal->UpDown1->position(), 90);

        // The level sensor's thresholds show volts: the volts typed are stored as the byte.
        QVERIFY(cat.SetValue(40, 0));
        b.clickDetail(40);
        TFormLevel* level = b.form.dialogs()->FormLevel();
        b.link().writeMask = 0;
        type(level->Edits[2], QStringLiteral("0,5"));
        QCOMPARE(int(b.settings()[43]), 25);
        QVERIFY(b.link().writeMask & 1);
        QCOMPARE(level->Edits[2]->text(), QStringLiteral("0.50"));
        QCOMPARE(level->UpDowns[2]->position(), 25);
        level->accept();

        // An injector correction shows milliseconds around 128.
        b.clickInjectorsCell(false);
        TFormInj* inj = b.form.dialogs()->FormInj();
        type(inj->Edits[1], QStringLiteral("-0.25"));
        QCOMPARE(int(b.settings()[217]), 118);
        QCOMPARE(inj->Edits[1]->text(), cat.ValueText(217));
        inj->accept();

        // A group: the pressure in bar is taken, the yes/no row takes no digits.
        b.clickDetail(63);
        TFormNastaw* group = b.form.dialogs()->FormNastaw();
        type(group->Edits[0], QStringLiteral("0.75"));
        QCOMPARE(int(b.settings()[63]), 75);
        const int off = b.settings()[69];
        const QString shown = group->Edits[2]->text();
        type(group->Edits[2], QStringLiteral("1"));
        QCOMPARE(int(b.settings()[69]), off);
        QCOMPARE(group->Edits[2]->text(), shown);
        QCOMPARE(group->UpDowns[2]->lastHint(), TForm1::TextById(OwnText::TypedNoDigits));
        group->accept();
    }

    // Language and theme changed while a dialog is open reach it at once.
    void languageAndThemeWhileOpen()
    {
        DialogBench b;
        b.form.MenuLang0Click(0);
        b.form.MenuColor0Click(0);
        b.clickDetail(8);
        TFormSeq* seq = b.form.dialogs()->FormSeq();
        QVERIFY(seq->isVisible());
        const QString englishCaption = seq->windowTitle();
        const QString englishItem = seq->ComboBox1->itemText(0);
        b.form.MenuLang0Click(1);
        QVERIFY(seq->isVisible());
        QCOMPARE(seq->windowTitle(), caption(1375));
        QVERIFY(seq->windowTitle() != englishCaption);
        QCOMPARE(seq->ComboBox1->itemText(0), b.editor()->catalogue().ValueText(8, 0));
        QVERIFY(seq->ComboBox1->itemText(0) != englishItem);
        QCOMPARE(seq->LabelPetrol->text(), TForm1::TextById(1244));

        b.form.MenuColor0Click(4);  // Black scheme
        QCOMPARE(seq->palette().color(QPalette::Window), b.form.palette.background);
        QCOMPARE(seq->palette().color(QPalette::WindowText), b.form.palette.dialogText);
        QCOMPARE(seq->StringGrid1->grab().toImage().pixelColor(seq->StringGrid1->cellRect(0, 0).center()),
                 b.form.palette.background);
        seq->accept();
    }

    // Without a settings catalogue, or with an injector count the grid has no layout for, a dialog
    // closes at once.
    // In a dark theme the threshold boxes take the theme's field and text (not white with black text);
    // a threshold out of order stays red.
    void levelSensorFollowsTheDarkTheme()
    {
        DialogBench b;
        SettingsCatalogue& cat = b.editor()->catalogue();
        QVERIFY(cat.SetValue(40, 0));
        b.clickDetail(40);
        TFormLevel* level = b.form.dialogs()->FormLevel();
        QVERIFY(level->isVisible());
        b.form.menus()->colorItem(5)->trigger();
        QVERIFY(b.form.palette.field.lightness() < 128);
        for (int i = 0; i < 20; ++i) QTest::mouseClick(level->UpDowns[2]->upButton(), Qt::LeftButton);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(level->Edits[i]->palette().color(QPalette::Base), b.form.palette.field);
            QCOMPARE(textColour(level->Edits[i]), i == 1 || i == 2 ? QColor(255, 0, 0) : b.form.palette.text);
        }
        level->close();
    }

    void closesAtOnce()
    {
        DialogBench b;
        TFormSeq* seq = b.form.dialogs()->FormSeq();
        b.link().injectorCount = 5;
        b.clickDetail(8);
        QVERIFY(!seq->isVisible());
        b.link().injectorCount = 4;
        for (EditorDialog* d : std::initializer_list<EditorDialog*>{
                 b.form.dialogs()->FormCal(), b.form.dialogs()->FormSeq(), b.form.dialogs()->FormLevel(),
                 b.form.dialogs()->FormInj(), b.form.dialogs()->FormNastaw()}) {
            d->Catalogue = nullptr;
            QVERIFY(!d->Open());
            QVERIFY(!d->isVisible());
        }
        QCOMPARE(b.link().liveRequestBits() & 2, 0);
    }
};

QTEST_MAIN(TstDialogs)
#include "tst_dialogs.moc"
