// The autocalibration step machine on scripted live replies, and the computations that go with it.
#include <QtTest/QTest>

#include "tests/link/LinkTestKit.h"

namespace {

struct Reading {
    int rpm = 820;
    int petrolTime = 750;  // 4-microsecond units: 3.0 ms, 60 in 0.05 ms units
    int workState = 0;     // 0 petrol, 6 gas
    int gasPressure = 118;
};

// Data of a live reply (frame bytes 6..127) for four cylinders.
QByteArray liveData(const Reading& r)
{
    QByteArray f(122, '\0');
    auto put = [&](int at, int v) { f[at - 6] = static_cast<char>(v & 0xFF); };
    put(10, r.workState);
    put(11, 0x03);
    put(17, r.rpm / 10);
    put(18, (r.rpm / 10) >> 8);
    put(40, 128 + 70);
    put(42, 128 + 30);
    put(44, 34);
    put(48, r.gasPressure);
    for (int c = 0; c < 4; ++c) {
        put(60 + 4 * c, r.petrolTime);
        put(61 + 4 * c, r.petrolTime >> 8);
    }
    return f;
}

class CalibrationRig : public LinkRig {
public:
    CalibrationRig()
    {
        open();
        link.Timer1OnTimer();
        link.linkMask = 0;
        link.readMask = 0;
        link.injectorCount = 4;
    }
    void step(const Reading& r) { reply(0x91, liveData(r)); }
    // Steps until the calibration reaches `state`; false when it does not within `limit` steps.
    bool stepUntil(int state, const Reading& r, int limit = 400)
    {
        for (int i = 0; i < limit && link.kal.state != state; ++i) step(r);
        return link.kal.state == state;
    }
    int reports(int code) const { return eventsOf(kEventCalibration, code); }
};

}  // namespace

class TstCalibration : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startAndStop()
    {
        CalibrationRig rig;
        QVERIFY(rig.link.StartStopKalibracji());
        QCOMPARE(rig.reports(1), 1);
        QCOMPARE(rig.slot(), 0x91);
        QCOMPARE(rig.slot(), 0x91);
        rig.step({});
        QCOMPARE(rig.link.kal.state, 1);
        QCOMPARE(int(rig.link.mem.settings[90]), 128);

        rig.link.mem.settings[90] = 151;  // the user's value after an earlier calibration
        QVERIFY(!rig.link.StartStopKalibracji());
        QCOMPARE(rig.reports(5), 1);
        int live = 0;
        for (int i = 0; i < 6 && (live < 0x90 || live > 0x9F); ++i) live = rig.slot();
        QCOMPARE(live, 0x90);
        // A reply to a request sent just before the stop does not start over with state 0.
        rig.step({});
        QCOMPARE(int(rig.link.mem.settings[90]), 151);
        QCOMPARE(rig.link.kal.state, 0);
        QCOMPARE(rig.reports(2), 1);
    }

    void aborts_data()
    {
        QTest::addColumn<int>("rpm");
        QTest::addColumn<int>("petrolTime");
        QTest::addColumn<int>("stepsToAbort");
        QTest::newRow("engine stopped") << 0 << 750 << 11;
        QTest::newRow("no petrol time") << 820 << 0 << 51;
        QTest::newRow("petrol time above 10 ms") << 820 << 2600 << 51;
    }
    void aborts()
    {
        QFETCH(int, rpm);
        QFETCH(int, petrolTime);
        QFETCH(int, stepsToAbort);
        CalibrationRig rig;
        rig.link.StartStopKalibracji();
        Reading r;
        r.rpm = rpm;
        r.petrolTime = petrolTime;
        for (int i = 1; i < stepsToAbort; ++i) rig.step(r);
        QCOMPARE(rig.reports(4), 0);
        rig.step(r);
        QCOMPARE(rig.reports(4), 1);
        QCOMPARE(rig.link.liveRequestBits() & 1, 0);
        QList<int> calibrationCodes;
        for (const LinkEvent& e : rig.events)
            if (e.kind == kEventCalibration) calibrationCodes.append(e.code);
        QCOMPARE(calibrationCodes.mid(calibrationCodes.size() - 2), QList<int>({4, 2}));
        rig.step(r);  // a late reply changes nothing
        QCOMPARE(rig.reports(4), 1);
    }

    void petrolPhaseThenGasCorrection()
    {
        CalibrationRig rig;
        TSterownik& l = rig.link;
        uint8_t* s = l.mem.settingsBlock();
        s[31] = 0xF0;  // cylinders 5..8 stay on petrol
        l.StartStopKalibracji();
        Reading petrol;
        QVERIFY(rig.stepUntil(96, petrol));
        QCOMPARE(int(s[83]), 60);
        QCOMPARE(QList<int>({s[89], s[90], s[92]}), QList<int>({60, 128, 128}));
        QVERIFY(l.kal.progress >= 250 && l.kal.progress < 512);

        rig.step(petrol);
        QCOMPARE(int(l.injectorsEnabled()), 0x0F);
        QCOMPARE(l.commandPending(TSterownik::CmdInjectorSwitch), true);
        QVERIFY(rig.stepUntil(98, petrol));
        QCOMPARE(l.commandPending(TSterownik::CmdAutoFuelChange), true);  // over to gas

        // On gas the petrol computer adds 1.4 ms: the deviation of 28 units corrects the idle
        // corrections at once and repeats the petrol phase, without a progress report.
        Reading gas = petrol;
        gas.workState = 6;
        gas.petrolTime = 1100;
        rig.step(gas);
        QCOMPARE(l.kal.state, 112);
        l.writeMask = 0;
        l.cancelCommand(TSterownik::CmdSettingsWrite);
        const int progressReports = rig.reports(2);
        rig.step(gas);
        QCOMPARE(QList<int>({s[90], s[92]}), QList<int>({156, 156}));
        QCOMPARE(l.kal.state, 80);
        QCOMPARE(rig.reports(2), progressReports);
        QVERIFY(l.commandPending(TSterownik::CmdSettingsWrite) || (l.writeMask & 1));
        // The measured conditions were taken into the settings.
        QCOMPARE(QList<int>({s[85], s[86], s[87], s[88]}), QList<int>({128 + 30, 118, 128 + 70, 34}));
    }

    void smallDeviationsMoveInSteps_data()
    {
        QTest::addColumn<int>("gasTime");  // 4-us units, petrol time on petrol is 750 (60)
        QTest::addColumn<int>("idleAfter");
        QTest::newRow("6 units rich: half") << 825 << 131;  // t 66, d -6
        QTest::newRow("3 units rich: one") << 787 << 129;   // t 63, d -3
        QTest::newRow("3 units lean: one") << 712 << 127;   // t 57, d 3
        QTest::newRow("matched") << 750 << 128;
    }
    void smallDeviationsMoveInSteps()
    {
        QFETCH(int, gasTime);
        QFETCH(int, idleAfter);
        CalibrationRig rig;
        TSterownik& l = rig.link;
        l.mem.settings[31] = 0xF0;
        l.StartStopKalibracji();
        Reading petrol;
        QVERIFY(rig.stepUntil(98, petrol));
        Reading gas = petrol;
        gas.workState = 6;
        gas.petrolTime = gasTime;
        rig.step(gas);
        QCOMPARE(l.kal.state, 112);
        rig.step(gas);  // counter 0: a correction step
        QCOMPARE(int(l.mem.settings[90]), idleAfter);
        QCOMPARE(int(l.mem.settings[92]), idleAfter);
        QCOMPARE(l.kal.state, 112);
        QCOMPARE(l.kal.counter, gasTime == 750 ? 5 : 1);
        QCOMPARE(l.kal.progress, l.kal.counter / 2 + 256);
    }

    void referenceCorrection_data()
    {
        QTest::addColumn<int>("engineType");
        QTest::addColumn<int>("gasTemp");
        QTest::addColumn<int>("pressure");
        QTest::addColumn<int>("reference");
        QTest::newRow("type 0") << 0 << 146 << 118 << 209;
        QTest::newRow("type 1 limited") << 1 << 146 << 118 << 255;
        QTest::newRow("other type: pressure as it is") << 2 << 100 << 140 << 204;
        QTest::newRow("lowest") << 0 << 0 << 0 << 180;
        QTest::newRow("highest") << 1 << 255 << 255 << 255;
    }
    void referenceCorrection()
    {
        QFETCH(int, engineType);
        QFETCH(int, gasTemp);
        QFETCH(int, pressure);
        QFETCH(int, reference);
        TSterownik link;
        uint8_t* s = link.mem.settingsBlock();
        s[10] = static_cast<uint8_t>(engineType);
        s[85] = static_cast<uint8_t>(gasTemp);
        s[86] = static_cast<uint8_t>(pressure);
        link.ObliczKorekteOdniesienia();
        QCOMPARE(int(s[94]), reference);
    }

    void adaptationFoldedIn()
    {
        LinkRig rig;
        rig.open();
        TSterownik& l = rig.link;
        uint8_t* s = l.mem.settingsBlock();
        uint8_t* bank1 = l.mem.block(MemoryImage::Multiplier1);
        uint8_t* bank2 = l.mem.block(MemoryImage::Multiplier2);

        // Neutral values change nothing, but the writes and the reset command still go out.
        s[90] = 140;
        const auto settingsBefore = l.mem.settings;
        l.DodajAdaptacje();
        QVERIFY(l.mem.settings == settingsBefore);
        QCOMPARE(int(bank1[7]), 100);
        QCOMPARE(l.writeMask, 0x7u);
        QCOMPARE(l.commandPending(TSterownik::CmdFactorySettings), true);

        s[92] = 20;
        bank1[0] = 5;
        bank2[0] = 250;
        l.mem.identity[66] = 140;
        l.mem.identity[67] = 120;
        l.mem.identity[68] = 78;
        l.mem.identity[69] = 178;
        l.DodajAdaptacje();
        QCOMPARE(int(s[90]), 152);
        QCOMPARE(int(s[92]), 0);
        QCOMPARE(QList<int>({bank1[0], bank1[1]}), QList<int>({1, 92}));
        QCOMPARE(QList<int>({bank2[0], bank2[1]}), QList<int>({255, 150}));
        QCOMPARE(QList<int>({l.mem.identity[66], l.mem.identity[67], l.mem.identity[68], l.mem.identity[69]}),
                 QList<int>({128, 128, 128, 128}));
    }

    // Values between nodes, computed by hand: the straight line between the node values, its
    // whole value truncated. Nodes at 0 and 200 (the time-axis maximum), and one in between when
    // its position is not 0.
    void multiplierBetweenNodes_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("middleAt");
        QTest::addColumn<int>("middle");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("j");
        QTest::addColumn<int>("expected");
        QTest::newRow("falling, first step") << 150 << 0 << 0 << 100 << 1 << 149;          // 149.75
        QTest::newRow("falling, middle") << 150 << 0 << 0 << 100 << 100 << 125;            // 125
        QTest::newRow("falling, last step") << 150 << 0 << 0 << 100 << 199 << 100;         // 100.25
        QTest::newRow("rising, first step") << 100 << 0 << 0 << 150 << 1 << 100;           // 100.25
        QTest::newRow("rising, last step") << 100 << 0 << 0 << 150 << 199 << 149;          // 149.75
        QTest::newRow("short falling, 1") << 100 << 3 << 90 << 90 << 1 << 96;              // 96.67
        QTest::newRow("short falling, 2") << 100 << 3 << 90 << 90 << 2 << 93;              // 93.33
        QTest::newRow("short rising, 2") << 90 << 3 << 100 << 100 << 2 << 96;              // 96.67
        QTest::newRow("falling after a node") << 100 << 3 << 200 << 10 << 4 << 199;        // 199.04
        QTest::newRow("falling after a node, end") << 100 << 3 << 200 << 10 << 199 << 10;  // 10.96
    }
    void multiplierBetweenNodes()
    {
        QFETCH(int, first);
        QFETCH(int, middleAt);
        QFETCH(int, middle);
        QFETCH(int, last);
        QFETCH(int, j);
        QFETCH(int, expected);
        TSterownik link;
        uint8_t* bank1 = link.mem.block(MemoryImage::Multiplier1);
        link.KasujMnoznik();
        bank1[0] = static_cast<uint8_t>(first);
        bank1[200] = static_cast<uint8_t>(last);
        if (middleAt) {
            link.mem.settingsBlock()[MemoryImage::kNodesBank1 + 1] = static_cast<uint8_t>(middleAt);
            bank1[middleAt] = static_cast<uint8_t>(middle);
        }
        link.WyliczMnoznik(1, 0, 255);
        QCOMPARE(int(bank1[j]), expected);
    }

    void multiplierFromNodes()
    {
        TSterownik link;
        uint8_t* s = link.mem.settingsBlock();
        uint8_t* bank1 = link.mem.block(MemoryImage::Multiplier1);
        uint8_t* bank2 = link.mem.block(MemoryImage::Multiplier2);
        link.KasujMnoznik();
        bank1[0] = 150;
        bank1[200] = 100;
        link.WyliczMnoznik(1, 0, 255);
        QCOMPARE(int(bank1[100]), 125);
        QCOMPARE(int(bank1[199]), 100);  // 100.25
        QCOMPARE(int(bank1[255]), 100);
        QCOMPARE(int(bank2[100]), 100);  // bank 2 untouched

        // A middle node bends the line; the limits hold; mode 2 copies nodes and table to bank 2.
        s[MemoryImage::kNodesBank1 + 1] = 50;
        bank1[50] = 250;
        link.WyliczMnoznik(2, 0, 200);
        QCOMPARE(int(bank1[25]), 200);  // 150 + 25 x 100 / 50 = 200
        QCOMPARE(int(bank1[40]), 200);  // 230 limited
        QCOMPARE(int(bank1[125]), 175);
        QCOMPARE(int(s[MemoryImage::kNodesBank2 + 1]), 50);
        QCOMPARE(int(s[MemoryImage::kNodesBank2 + 25]), 200);
        QCOMPARE(int(bank2[50]), 250);  // copied before the recomputation
        QCOMPARE(int(bank2[40]), 140);  // the line of the first pass
    }
};

QTEST_GUILESS_MAIN(TstCalibration)
#include "tst_calibration.moc"
