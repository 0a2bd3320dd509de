// The settings the windows change by meaning, on a link whose port is open on the in-memory line so
// that the writes are raised as on a connected controller: what each change writes, what a take
// from a file brings along, and indices outside the settings that change nothing.
#include <QtTest/QtTest>

#include <memory>

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
};

QTEST_GUILESS_MAIN(TstNamedSettings)
#include "tst_named_settings.moc"
