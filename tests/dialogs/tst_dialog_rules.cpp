// The dialogs' rules as tables: the nozzle computation, the injector assignment's click logic and
// injector mask, the injection-type detection over frame sequences, the level thresholds' order and
// the switch LEDs.
#include <QtCore/QLocale>
#include <QtTest/QtTest>

#include "dialogs/InjectorAssignment.h"
#include "dialogs/LevelSensor.h"
#include "dialogs/NozzleCalc.h"

using Bytes = std::array<uint8_t, 9>;
using Petrol = std::array<uint8_t, 8>;
using Frames = std::vector<std::vector<uint8_t>>;
Q_DECLARE_METATYPE(NozzleCalc::Input)
Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(Petrol)
Q_DECLARE_METATYPE(Frames)

namespace {

// 100 HP, 4 cylinders, 1.00 bar, LPG, sequential, with injector type `t`.
NozzleCalc::Input engine(int t)
{
    NozzleCalc::Input in;
    in.power = 100;
    in.kw = false;
    in.cylinders = 4;
    in.pressureIndex = 1;
    in.fuelIndex = 0;
    in.injectionIndex = 0;
    in.injectorType = t;
    return in;
}

// Sequential pattern of `n` injectors: settings 31..39.
Bytes sequential(int n)
{
    Bytes b{};
    for (int i = 0; i < n; ++i) b[1 + i] = uint8_t(1 << i);
    b[0] = uint8_t(((1 << n) - 1) ^ 0xFF);
    return b;
}

// A live frame at `rpm` with petrol injection time `time` (0.1 ms) and the petrol inputs `inputs`.
std::vector<uint8_t> frame(int rpm, int time, uint8_t inputs)
{
    std::vector<uint8_t> f(128, 0);
    f[17] = uint8_t((rpm / 10) & 0xFF);
    f[18] = uint8_t((rpm / 10) >> 8);
    f[19] = uint8_t(time);
    f[21] = inputs;
    return f;
}

}  // namespace

class TstDialogRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void nozzle_data()
    {
        QTest::addColumn<NozzleCalc::Input>("input");
        QTest::addColumn<double>("diameter");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("mmShown");
        NozzleCalc::Input in;
        QTest::newRow("Valtek 3 Ohm") << engine(5) << 1.8625 << "1.9" << true;
        QTest::newRow("ORVA 3 Ohm") << engine(3) << 2.5 << "2.5" << true;
        QTest::newRow("Hana 3 Ohm: class C") << engine(8) << 1.8625 << "C black" << false;
        in = engine(5);
        in.kw = true;
        QTest::newRow("100 kW, Valtek") << in << 2.424375 << "2.4" << true;
        QTest::newRow("Torvane adds 0.2 to formula B") << engine(1) << 2.7 << "2.7" << true;
        in = engine(5);
        in.fuelIndex = 1;
        QTest::newRow("CNG adds 0.2") << in << 2.0625 << "2.1" << true;
        in = engine(5);
        in.injectionIndex = 1;
        QTest::newRow("semi-sequential takes 0.1") << in << 1.7625 << "1.8" << true;
        in = engine(5);
        in.injectionIndex = 2;
        QTest::newRow("full group takes 0.2") << in << 1.6625 << "1.7" << true;
        in = engine(9);
        in.power = 120;
        QTest::newRow("Hana 1.9 Ohm, 2.18 mm: class B") << in << 2.175 << "B red" << false;
        in = engine(9);
        in.kw = true;
        QTest::newRow("Hana 1.9 Ohm, 2.42 mm: class A") << in << 2.424375 << "A green" << false;
        in = engine(10);
        in.power = 150;
        QTest::newRow("Hana 1.3 Ohm, 2.64 mm: class A") << in << 2.64375 << "A green" << false;
        in = engine(10);
        in.power = 200;
        in.fuelIndex = 1;
        QTest::newRow("Hana 1.3 Ohm, 3.63 mm: class A+") << in << 3.625 << "A+ blue" << false;
        in = engine(8);
        in.power = 128;        // exactly 2.0 mm: the comparison is strict, so class B
        in.pressureIndex = 6;  // term A -0.20
        QTest::newRow("exactly 2 mm is class B") << in << 2.0 << "B red" << false;
        in = engine(5);
        in.cylinders = 12;
        in.pressureIndex = 13;
        in.power = 1000;
        QTest::newRow("12 cylinders, 2.20 bar") << in << 1000.0 / 12 * 0.0625 + 0.2 - 0.30 << "5.1" << true;
    }
    void nozzle()
    {
        QFETCH(NozzleCalc::Input, input);
        QFETCH(double, diameter);
        QFETCH(QString, text);
        QFETCH(bool, mmShown);
        const NozzleCalc::Result r = NozzleCalc::Compute(input);
        QVERIFY(r.valid);
        QVERIFY(qAbs(r.diameter - diameter) < 1e-9);
        QCOMPARE(NozzleCalc::ResultText(r), text);
        QCOMPARE(r.nozzleClass == NozzleCalc::kNoClass, mmShown);
    }

    // A list without a selection gives no result rather than reading a table at index -1.
    void nozzleWithoutSelection_data()
    {
        QTest::addColumn<NozzleCalc::Input>("input");
        NozzleCalc::Input in = engine(5);
        in.pressureIndex = -1;
        QTest::newRow("pressure") << in;
        in = engine(5);
        in.fuelIndex = -1;
        QTest::newRow("fuel") << in;
        in = engine(5);
        in.injectionIndex = -1;
        QTest::newRow("injection") << in;
        in = engine(5);
        in.injectorType = -1;
        QTest::newRow("injector") << in;
        in = engine(5);
        in.pressureIndex = 14;
        QTest::newRow("pressure past the table") << in;
    }
    void nozzleWithoutSelection()
    {
        QFETCH(NozzleCalc::Input, input);
        const NozzleCalc::Result r = NozzleCalc::Compute(input);
        QVERIFY(!r.valid);
        QCOMPARE(NozzleCalc::ResultText(r), QString());
    }

    void initialPressure_data()
    {
        QTest::addColumn<int>("setting86");
        QTest::addColumn<int>("index");
        QTest::newRow("1.00 bar") << 100 << 1;
        QTest::newRow("2.15 bar rounds to 2.20") << 215 << 13;
        QTest::newRow("1.24 bar") << 124 << 3;
        QTest::newRow("1.25 bar") << 125 << 4;
        QTest::newRow("0 clamps to 0.90") << 0 << 0;
        QTest::newRow("2.55 clamps to 2.20") << 255 << 13;
        QTest::newRow("0.90 bar") << 90 << 0;
    }
    void initialPressure()
    {
        QFETCH(int, setting86);
        QFETCH(int, index);
        QCOMPARE(NozzleCalc::InitialPressureIndex(setting86), index);
    }

    // Clicks on the assignment grid (column = gas injector, row = petrol input) or, with row 0, on
    // the switch-off row (column 0-based).
    void assignmentClicks_data()
    {
        QTest::addColumn<Bytes>("before");
        QTest::addColumn<int>("enabledBefore");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<Bytes>("after");
        QTest::addColumn<int>("enabledAfter");
        QTest::newRow("4: gas 2 moves to petrol 1")
            << sequential(4) << 0x0F << 2 << 1 << Bytes{0xF0, 3, 0, 4, 8, 0, 0, 0, 0} << 0x0F;
        QTest::newRow("4: black cell clears, injector off")
            << sequential(4) << 0x0F << 3 << 3 << Bytes{0xF4, 1, 2, 0, 8, 0, 0, 0, 0} << 0x0B;
        QTest::newRow("4: switch-off cell puts gas 3 back on the diagonal")
            << Bytes{0xF4, 1, 2, 0, 8, 0, 0, 0, 0} << 0x0B << 2 << 0 << sequential(4) << 0x0F;
        QTest::newRow("4: switch-off cell switches gas 1 off")
            << sequential(4) << 0x0F << 0 << 0 << Bytes{0xF1, 0, 2, 4, 8, 0, 0, 0, 0} << 0x0E;
        QTest::newRow("4: off injector assigned to another input")
            << Bytes{0xF4, 1, 2, 0, 8, 0, 0, 0, 0} << 0x0B << 3 << 4 << Bytes{0xF0, 1, 2, 0, 12, 0, 0, 0, 0} << 0x0F;
        QTest::newRow("6: gas 6 to petrol 5")
            << sequential(6) << 0x3F << 6 << 5 << Bytes{0xC0, 1, 2, 4, 8, 0x30, 0, 0, 0} << 0x3F;
        QTest::newRow("6: semi pattern, gas 2 joins petrol 1")
            << Bytes{0xC0, 0x15, 0x2A, 0, 0, 0, 0, 0, 0} << 0x3F << 2 << 1 << Bytes{0xC0, 0x17, 0x28, 0, 0, 0, 0, 0, 0}
            << 0x3F;
        QTest::newRow("8: gas 8 to petrol 1")
            << sequential(8) << 0xFF << 8 << 1 << Bytes{0x00, 0x81, 2, 4, 8, 16, 32, 64, 0} << 0xFF;
        QTest::newRow("8: full group, clear gas 5") << Bytes{0x00, 0xFF, 0, 0, 0, 0, 0, 0, 0} << 0xFF << 5 << 1
                                                    << Bytes{0x10, 0xEF, 0, 0, 0, 0, 0, 0, 0} << 0xEF;
        QTest::newRow("8: switch-off cell 8 back to petrol 8")
            << Bytes{0x80, 1, 2, 4, 8, 16, 32, 64, 0} << 0x7F << 7 << 0 << sequential(8) << 0xFF;
    }
    void assignmentClicks()
    {
        QFETCH(Bytes, before);
        QFETCH(int, enabledBefore);
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(Bytes, after);
        QFETCH(int, enabledAfter);
        InjectorAssignment::State s{before, uint8_t(enabledBefore)};
        if (row == 0) InjectorAssignment::ClickSwitchOff(s, column);
        else InjectorAssignment::ClickCell(s, column, row);
        QCOMPARE(s.bytes, after);
        QCOMPARE(int(s.enabled), enabledAfter);
        // Every gas injector is driven by at most one petrol input.
        for (int g = 0; g < 8; ++g) {
            int drivers = 0;
            for (int r = 1; r <= 8; ++r) drivers += s.bytes[r] >> g & 1;
            QVERIFY(drivers <= 1);
        }
        QCOMPARE(InjectorAssignment::OffMask(s), s.bytes[0]);
    }

    void detection_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<Petrol>("petrol");
        QTest::addColumn<Frames>("frames");
        QTest::addColumn<int>("previous");
        QTest::addColumn<int>("shown");
        const Petrol seq4{1, 2, 4, 8, 0, 0, 0, 0};
        const Petrol seq8{1, 2, 4, 8, 16, 32, 64, 128};
        using namespace InjectorAssignment;
        QTest::newRow("4: one input pulsing") << 4 << seq4 << Frames{frame(800, 30, 0x04)} << -3 << int(kSequential);
        QTest::newRow("4: all four pulsing") << 4 << seq4 << Frames{frame(800, 30, 0x0F)} << -3 << int(kFullGroup);
        QTest::newRow("4: two pulsing") << 4 << seq4 << Frames{frame(800, 30, 0x05)} << -3 << int(kSemiSequential);
        QTest::newRow("4: none pulsing") << 4 << seq4 << Frames{frame(800, 30, 0x00)} << -3 << int(kUnknown);
        QTest::newRow("4: bits past n do not count")
            << 4 << seq4 << Frames{frame(800, 30, 0xF1)} << -3 << int(kSequential);
        QTest::newRow("2000 rpm keeps the text")
            << 4 << seq4 << Frames{frame(2000, 30, 0x0F)} << int(kSequential) << int(kSequential);
        QTest::newRow("1990 rpm is judged")
            << 4 << seq4 << Frames{frame(1990, 59, 0x0F)} << int(kSequential) << int(kFullGroup);
        QTest::newRow("6.0 ms keeps the text")
            << 4 << seq4 << Frames{frame(800, 60, 0x01)} << int(kFullGroup) << int(kFullGroup);
        QTest::newRow("last judged frame wins")
            << 4 << seq4 << Frames{frame(800, 30, 0x0F), frame(800, 30, 0x02), frame(3000, 30, 0x0F)} << -3
            << int(kSequential);
        QTest::newRow("8: full group wiring, one input pulsing is full group")
            << 8 << Petrol{0xFF, 0, 0, 0, 0, 0, 0, 0} << Frames{frame(800, 30, 0x01)} << -3 << int(kFullGroup);
        QTest::newRow("8: three of eight") << 8 << seq8 << Frames{frame(700, 25, 0x0B)} << -3 << int(kSemiSequential);
        QTest::newRow("6: semi wiring, both pulsing")
            << 6 << Petrol{0x15, 0x2A, 0, 0, 0, 0, 0, 0} << Frames{frame(700, 25, 0x03)} << -3 << int(kFullGroup);
        QTest::newRow("5 injectors: nothing shown") << 5 << seq8 << Frames{frame(800, 30, 0x01)} << -3 << -3;
        QTest::newRow("short frame ignored")
            << 4 << seq4 << Frames{std::vector<uint8_t>(21, 0)} << int(kFullGroup) << int(kFullGroup);
    }
    void detection()
    {
        QFETCH(int, n);
        QFETCH(Petrol, petrol);
        QFETCH(Frames, frames);
        QFETCH(int, previous);
        QFETCH(int, shown);
        QCOMPARE(InjectorAssignment::DetectSequence(frames, n, petrol, previous), shown);
    }

    void thresholdOrder_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QList<int>>("thresholds");
        QTest::addColumn<int>("red");
        QTest::newRow("type 0 defaults") << 0 << QList<int>{44, 39, 20, 8} << 0;
        QTest::newRow("type 0, 43 raised to 40") << 0 << QList<int>{44, 39, 40, 8} << 0b0110;
        QTest::newRow("type 0, equal neighbours") << 0 << QList<int>{44, 44, 20, 20} << 0;
        QTest::newRow("type 0, 44 above 43") << 0 << QList<int>{44, 39, 20, 21} << 0b1100;
        QTest::newRow("type 1 defaults") << 1 << QList<int>{8, 20, 39, 44} << 0;
        QTest::newRow("type 1, growing order is wrong") << 1 << QList<int>{44, 39, 20, 8} << 0b1111;
        QTest::newRow("type 2 defaults") << 2 << QList<int>{58, 54, 40, 11} << 0;
        QTest::newRow("type 2, 41 below 42") << 2 << QList<int>{50, 54, 40, 11} << 0b0011;
        QTest::newRow("type 3 defaults") << 3 << QList<int>{11, 40, 54, 58} << 0;
        QTest::newRow("type 3, middle pair") << 3 << QList<int>{11, 55, 54, 58} << 0b0110;
        QTest::newRow("type 3, two broken pairs") << 3 << QList<int>{60, 40, 54, 10} << 0b1111;
    }
    void thresholdOrder()
    {
        QFETCH(int, type);
        QFETCH(QList<int>, thresholds);
        QFETCH(int, red);
        std::array<uint8_t, 4> t{};
        for (int i = 0; i < 4; ++i) t[i] = uint8_t(thresholds[i]);
        QCOMPARE(LevelSensor::OutOfOrder(type, t), red);
    }

    void leds_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<QList<QColor>>("leds");
        const QColor on = LevelSensor::kLedLit, off = LevelSensor::kLedOff, red = LevelSensor::kLedReserve;
        QTest::newRow("0x3C: four levels") << 0x3C << QList<QColor>{on, on, on, on, off};
        QTest::newRow("0x01: reserve red") << 0x01 << QList<QColor>{off, off, off, off, red};
        QTest::newRow("0x03: reserve green wins") << 0x03 << QList<QColor>{off, off, off, off, on};
        QTest::newRow("0x24: level 4 and level 1") << 0x24 << QList<QColor>{on, off, off, on, off};
        QTest::newRow("0xFF") << 0xFF << QList<QColor>{on, on, on, on, on};
        QTest::newRow("0x00") << 0x00 << QList<QColor>{off, off, off, off, off};
    }
    void leds()
    {
        QFETCH(int, byte);
        QFETCH(QList<QColor>, leds);
        std::array<uint8_t, LiveFrame::kSize> frame{};
        frame[13] = uint8_t(byte);
        const std::array<QColor, 5> got = LevelSensor::Leds(LiveFrame(frame.data(), LiveFrame::kSize).switchLeds());
        for (int i = 0; i < 5; ++i) QCOMPARE(got[i], leds[i]);
    }
};

QTEST_GUILESS_MAIN(TstDialogRules)
#include "tst_dialog_rules.moc"
