// The settings the windows change by meaning, on a link whose port is open on the in-memory line so
// that the writes are raised as on a connected controller: what each change writes, what a take
// from a file brings along, and indices outside the settings that change nothing. Then the byte each
// reading comes from, and the multiplier nodes' slots and their limit.
#include <QtTest/QtTest>

#include <functional>
#include <memory>
#include <utility>

#include "link/LoopbackBackend.h"
#include "link/Tsterownik.h"
#include "settings/ConfigDiff.h"
#include "settings/NamedSettings.h"

namespace {

struct Rig {
    TSterownik link;
    Rig()
    {
        link.timer()->stop();
        link.setBackend(std::make_unique<LoopbackBackend>());
        link.PortOpen(1);
        link.writeMask = 0;
    }
};

const ConfigDiff::Region* regionOf(uint32_t mask)
{
    for (const ConfigDiff::Region& r : ConfigDiff::regions())
        if (r.mask == mask) return &r;
    return nullptr;
}

}  // namespace

class TstNamedSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void changesAreWritten()
    {
        Rig r;
        NamedSettings s(r.link);
        s.setServiceMark(0x1234);
        QCOMPARE(int(r.link.mem.settings[101]), 0x34);
        QCOMPARE(int(r.link.mem.settings[102]), 0x12);
        QVERIFY(s.serviceReminder());
        QCOMPARE(r.link.writeMask, 0x1u);

        r.link.writeMask = 0;
        s.switchLoadAxis();
        QVERIFY(s.rpmCorrectionOverTime());
        s.switchLoadAxis();
        QVERIFY(!s.rpmCorrectionOverTime());
        QCOMPARE(r.link.writeMask, 0x1u);

        s.setRpmBreakpoint(15, 200);
        s.setLoadBreakpoint(0, 7);
        QCOMPARE(int(r.link.mem.settings[255]), 200);
        QCOMPARE(int(r.link.mem.settings[224]), 7);
        QCOMPARE(int(s.rpmBreakpoint(15)), 200);
        QCOMPARE(int(s.loadBreakpoint(0)), 7);
    }

    // Indices outside an accessor's range read 0 and change nothing, the neighbouring settings
    // included.
    void outsideTheRange()
    {
        Rig r;
        NamedSettings s(r.link);
        const auto before = r.link.mem.settings;
        for (int i : {-1, NamedSettings::kInjectors}) {
            s.setInjectorOutputs(i, 0xFF);
            QCOMPARE(int(s.injectorOutputs(i)), 0);
        }
        for (int i : {-1, NamedSettings::kBreakpoints}) {
            s.setRpmBreakpoint(i, 0xFF);
            s.setLoadBreakpoint(i, 0xFF);
            QCOMPARE(int(s.rpmBreakpoint(i)), 0);
            QCOMPARE(int(s.loadBreakpoint(i)), 0);
        }
        MemoryImage file = r.link.mem;
        file.settings.fill(0xAA);
        for (int i : {-1, MemoryImage::kSettingsIndexCount}) s.takeSetting(file, i);
        QVERIFY(r.link.mem.settings == before);
        QCOMPARE(r.link.writeMask, 0u);
    }

    void takeSetting_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<uint32_t>("written");
        QTest::newRow("controller setting") << 3 << 0x1u;
        QTest::newRow("last controller setting") << 255 << 0x1u;
        QTest::newRow("kept by the PC only") << 257 << 0u;
    }
    void takeSetting()
    {
        QFETCH(int, index);
        QFETCH(uint32_t, written);
        Rig r;
        MemoryImage file = r.link.mem;
        file.settings[size_t(index)] = 77;
        NamedSettings(r.link).takeSetting(file, index);
        QCOMPARE(int(r.link.mem.settings[size_t(index)]), 77);
        QCOMPARE(r.link.writeMask, written);
    }

    // A multiplier brings the node slots of its own bank along (and so writes the settings too);
    // any other region brings only its bytes.
    void takeRegion_data()
    {
        QTest::addColumn<uint32_t>("mask");
        QTest::addColumn<int>("nodes");  // first node slot brought along, -1 none
        QTest::newRow("multiplier bank 1") << 0x2u << MemoryImage::kNodesBank1;
        QTest::newRow("multiplier bank 2") << 0x4u << MemoryImage::kNodesBank2;
        QTest::newRow("gas map") << 0x20000u << -1;
    }
    void takeRegion()
    {
        QFETCH(uint32_t, mask);
        QFETCH(int, nodes);
        Rig r;
        const ConfigDiff::Region* region = regionOf(mask);
        QVERIFY(region);
        MemoryImage file = r.link.mem;
        ConfigDiff::regionBytes(file, *region)[40] = 120;
        for (int bank : {MemoryImage::kNodesBank1, MemoryImage::kNodesBank2})
            std::fill_n(file.settings.begin() + bank, MemoryImage::kNodeSlots, uint8_t(50));
        const auto before = r.link.mem.settings;
        NamedSettings(r.link).takeRegion(file, *region);
        QCOMPARE(int(ConfigDiff::regionBytes(r.link.mem, *region)[40]), 120);
        for (int bank : {MemoryImage::kNodesBank1, MemoryImage::kNodesBank2})
            for (int slot : {bank, bank + MemoryImage::kNodeSlots - 1})
                QCOMPARE(int(r.link.mem.settings[size_t(slot)]), bank == nodes ? 50 : int(before[size_t(slot)]));
        QCOMPARE(r.link.writeMask, nodes >= 0 ? mask | 0x1u : mask);
    }

    // Each reading accessor against an image whose settings byte i holds i: the value read names
    // the byte it came from.
    void layoutOfAKnownImage_data()
    {
        QTest::addColumn<std::function<int(const SettingsReader&)>>("read");
        QTest::addColumn<int>("expected");
        using R = const SettingsReader&;
        QTest::newRow("first node of bank 1") << std::function([](R s) { return int(s.multiplierNode(0)); }) << 190;
        QTest::newRow("end node of bank 1") << std::function([](R s) { return int(s.multiplierNode(25)); }) << 215;
        QTest::newRow("first node of bank 2") << std::function([](R s) { return int(s.multiplierNode(0, 2)); }) << 164;
        QTest::newRow("end node of bank 2") << std::function([](R s) { return int(s.multiplierNode(25, 2)); }) << 189;
        QTest::newRow("pressure scale") << std::function([](R s) { return s.pressureScale(); }) << 239;
        QTest::newRow("load breakpoint 0") << std::function([](R s) { return int(s.loadBreakpoint(0)); }) << 224;
        QTest::newRow("rpm breakpoint 15") << std::function([](R s) { return int(s.rpmBreakpoint(15)); }) << 255;
        QTest::newRow("petrol time") << std::function([](R s) { return s.petrolTime(); }) << 83;
        QTest::newRow("switch-over temperature") << std::function([](R s) { return s.switchOverTemperature(); }) << 51;
        QTest::newRow("minimum gas temperature") << std::function([](R s) { return s.minimumGasTemperature(); }) << 62;
        QTest::newRow("minimum gas pressure") << std::function([](R s) { return s.minimumGasPressure(); }) << 63;
        QTest::newRow("injector 8's outputs") << std::function([](R s) { return int(s.injectorOutputs(7)); }) << 39;
        QTest::newRow("switching type") << std::function([](R s) { return s.switchingType(); }) << 56;
        // 80 = 0b1010000: bit 0 clear, the normal scale; 81 and 10 are non-zero; 4 is not 2.
        QTest::newRow("wide scale") << std::function([](R s) { return int(s.wideMultiplierScale()); }) << 0;
        QTest::newRow("adaptation") << std::function([](R s) { return int(s.adaptationOn()); }) << 1;
        QTest::newRow("any engine") << std::function([](R s) { return int(s.anyEngineType()); }) << 1;
        QTest::newRow("voltage load") << std::function([](R s) { return int(s.loadIsVoltage()); }) << 0;
    }
    void layoutOfAKnownImage()
    {
        QFETCH(std::function<int(const SettingsReader&)>, read);
        MemoryImage image;
        for (int i = 0; i < MemoryImage::kSettingsIndexCount; ++i) image.settings[size_t(i)] = uint8_t(i);
        QTEST(read(SettingsReader(image)), "expected");
    }

    // The scale bit and the load signal's voltage value flip what the charts draw.
    void flags()
    {
        MemoryImage image;
        const SettingsReader s(image);
        image.settings[NamedSettings::kMultiplierScale] = 0xFE;
        QVERIFY(!s.wideMultiplierScale());
        image.settings[NamedSettings::kMultiplierScale] = 0x01;
        QVERIFY(s.wideMultiplierScale());
        image.settings[NamedSettings::kLoadSignal] = 2;
        QVERIFY(s.loadIsVoltage());
        image.settings[NamedSettings::kLoadSignal] = 3;
        QVERIFY(!s.loadIsVoltage());
    }

    // A node outside the 26 slots or the two banks reads 0, and setting it changes no byte; nodes
    // are set without a write, the caller writes them with the recomputed multiplier.
    void multiplierNodesOutsideTheRange()
    {
        Rig r;
        NamedSettings s(r.link);
        const auto before = r.link.mem.settings;
        for (const auto& [slot, bank] : {std::pair{-1, 1}, {26, 1}, {-1, 2}, {26, 2}, {0, 0}, {0, 3}}) {
            s.setMultiplierNode(slot, 0x77, bank);
            QCOMPARE(int(s.multiplierNode(slot, bank)), 0);
        }
        QCOMPARE(s.multiplierNodeCount(0), 0);
        QVERIFY(r.link.mem.settings == before);
        s.setMultiplierNode(3, 40);
        s.setMultiplierNode(3, 41, 2);
        QCOMPARE(int(r.link.mem.settings[MemoryImage::kNodesBank1 + 3]), 40);
        QCOMPARE(int(r.link.mem.settings[MemoryImage::kNodesBank2 + 3]), 41);
        QCOMPARE(r.link.writeMask, 0u);
    }

    // The nodes a proposal brings are placed as a node edit leaves them: inside the axis, sorted,
    // each once, in the last user slots, the end node at the axis' end; more than 24 are refused
    // and change nothing.
    void placeMultiplierNodes_data()
    {
        QTest::addColumn<QList<int>>("positions");
        QTest::addColumn<bool>("placed");
        QTest::addColumn<QList<int>>("inner");  // slots 1..24 after, when placed
        QTest::newRow("sorted into the last slots") << QList<int>{60, 20, 40} << true << QList<int>{20, 40, 60};
        QTest::newRow("start, end, beyond and twice dropped")
            << QList<int>{0, 200, 250, -5, 30, 30} << true << QList<int>{30};
        QTest::newRow("none") << QList<int>{} << true << QList<int>{};
        QList<int> full, over;
        for (int p = 1; p <= 24; ++p) full << 5 * p;
        over = full;
        over << 199;
        QTest::newRow("24 user nodes, the most") << full << true << full;
        QTest::newRow("25 user nodes refused") << over << false << QList<int>{};
    }
    void placeMultiplierNodes()
    {
        QFETCH(QList<int>, positions);
        QFETCH(bool, placed);
        QFETCH(QList<int>, inner);
        Rig r;
        NamedSettings s(r.link);
        for (int k = 0; k < NamedSettings::kMultiplierNodeSlots; ++k)
            s.setMultiplierNode(k, uint8_t(k == 25 ? 200 : k));
        const auto before = r.link.mem.settings;
        QCOMPARE(s.placeMultiplierNodes(std::vector<int>(positions.begin(), positions.end()), 200), placed);
        QCOMPARE(r.link.writeMask, 0u);
        if (!placed) {
            QVERIFY(r.link.mem.settings == before);
            return;
        }
        NamedSettings::MultiplierNodeSlots expected{};
        for (qsizetype i = 0; i < inner.size(); ++i) expected[size_t(25 - inner.size() + i)] = uint8_t(inner[i]);
        expected[25] = 200;
        QCOMPARE(s.multiplierNodes(), expected);
        QCOMPARE(s.multiplierNodeCount(), 2 + int(inner.size()));
        // Bank 2 stays as it was.
        QVERIFY(std::equal(before.begin() + MemoryImage::kNodesBank2, before.begin() + MemoryImage::kNodesBank1,
                           r.link.mem.settings.begin() + MemoryImage::kNodesBank2));
    }
};

QTEST_GUILESS_MAIN(TstNamedSettings)
#include "tst_named_settings.moc"
