#include <QtTest/QtTest>

#include "link/LoopbackBackend.h"
#include "link/Tsterownik.h"

// The controller memory image: its start-up defaults, the resets and the reference tables.
class TestMemoryImage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void blocksAreContiguous();
    void startUpDefaults();
    void resets_data();
    void resets();
    void petrolMapResetClearsBlockadeOnlyWhenSet();
    void pressureReference_data();
    void pressureReference();
    void gasTemperatureReference();
    void delayDefaults();
};

void TestMemoryImage::blocksAreContiguous()
{
    MemoryImage m;
    for (int b = MemoryImage::kFirstBlock; b <= MemoryImage::kLastBlock; ++b)
        QCOMPARE(m.block(b), m.block(MemoryImage::Multiplier1) + (b - 3) * 256);
    QVERIFY(m.block(2) == nullptr);
    QVERIFY(m.block(14) == nullptr);
    QCOMPARE(m.region(0x80), m.block(7));
    QCOMPARE(m.region(0x1000), m.block(12));
    QCOMPARE(m.region(0x200000), m.map(MemoryImage::ObdGas1));
    QVERIFY(m.region(0x40) == nullptr);
    // Live-data selectors: 0 petrol, 1 OBD petrol 1, 2 OBD petrol 2, 3 gas, 4 OBD gas 1, 5 OBD gas 2.
    QCOMPARE(m.mapOfSelector(2), m.map(MemoryImage::ObdPetrol2));
    QCOMPARE(m.mapOfSelector(3), m.map(MemoryImage::GasMap));
    QVERIFY(m.mapOfSelector(6) == nullptr);
    QCOMPARE(m.reservedB(), m.settingsBlock() + 256);
}

void TestMemoryImage::startUpDefaults()
{
    TSterownik link;
    const MemoryImage& m = link.mem;
    QCOMPARE(link.writeMask, 0u);  // defaults are not sent
    QCOMPARE(m.timeAxisMax, uint8_t(200));
    for (int i = 0; i < 256; ++i) {
        QCOMPARE(m.block(MemoryImage::Multiplier1)[i], uint8_t(100));
        QCOMPARE(m.block(MemoryImage::RpmCorrection2)[i], uint8_t(100));
        QCOMPARE(m.block(MemoryImage::Enrichment)[i], uint8_t(128));
        QCOMPARE(m.block(MemoryImage::GasInjectionDelay)[i], uint8_t(0));
        QCOMPARE(m.maps[MemoryImage::PetrolMap][i], uint8_t(0));
    }
    for (int i = 66; i <= 69; ++i) QCOMPARE(m.identity[i], uint8_t(0x80));
    // Multiplier nodes: the start node at 0 and the end node at the time-axis maximum.
    QCOMPARE(m.settings[215], uint8_t(200));
    QCOMPARE(m.settings[189], uint8_t(200));
    QCOMPARE(m.settings[190], uint8_t(0));
    // Correction curves: first and last point, block number in byte 0, 128 from byte 50.
    const uint8_t* pressure = m.block(MemoryImage::GasPressureCorrection);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(pressure), 18),
             QByteArray::fromHex("0800 3280 0000 0000 0000 0000 0000 0000 fa80"));
    const uint8_t* gasTemp = m.block(MemoryImage::GasTempCorrection);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(gasTemp), 18),
             QByteArray::fromHex("0a00 6280 0000 0000 0000 0000 0000 0000 e480"));
    QCOMPARE(gasTemp[49], uint8_t(0));
    QCOMPARE(gasTemp[50], uint8_t(128));
    QCOMPARE(gasTemp[255], uint8_t(128));
}

void TestMemoryImage::resets_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<uint>("bits");
    QTest::newRow("KasujMnoznik") << 0 << 0x7u;
    QTest::newRow("KasujKorOdObr") << 1 << 0x18u;
    QTest::newRow("KasujKorekty") << 2 << 0x700u;
    QTest::newRow("KasujMapeEcuGaz") << 3 << 0x20000u;
    QTest::newRow("KasujMapeOdbBen") << 4 << 0x500000u;
    QTest::newRow("KasujMapeObdGaz") << 5 << 0xA00000u;
    QTest::newRow("NastawyFabryczne") << 6 << 0x71Fu;
    QTest::newRow("KasujOpoznienia") << 7 << 0x1000u;
    QTest::newRow("KasujWzbogacenie") << 8 << 0x2000u;
}

void TestMemoryImage::resets()
{
    QFETCH(int, which);
    QFETCH(uint, bits);
    TSterownik link;
    link.timer()->stop();
    link.setBackend(std::make_unique<LoopbackBackend>());
    QVERIFY(link.PortOpen(1));  // the two table resets go through the write request, which needs a link
    MemoryImage& m = link.mem;
    for (auto& map : m.maps) map.fill(7);
    for (auto& b : m.blocks) b.fill(9);
    m.settings.fill(5);
    switch (which) {
        case 0: link.KasujMnoznik(); break;
        case 1: link.KasujKorOdObr(); break;
        case 2: link.KasujKorekty(); break;
        case 3: link.KasujMapeEcuGaz(); break;
        case 4: link.KasujMapeOdbBen(); break;
        case 5: link.KasujMapeObdGaz(); break;
        case 6: link.NastawyFabryczne(); break;
        case 7: link.KasujOpoznienia(); break;
        case 8: link.KasujWzbogacenie(); break;
    }
    QCOMPARE(link.writeMask, bits);
    QCOMPARE(link.commandPending(TSterownik::CmdFactorySettings), bool(which == 6));
    switch (which) {
        case 0:
        case 6:
            QCOMPARE(m.block(MemoryImage::Multiplier2)[17], uint8_t(100));
            QCOMPARE(m.settings[200], uint8_t(0));
            QCOMPARE(m.settings[215], m.timeAxisMax);
            QCOMPARE(m.settings[189], m.timeAxisMax);
            QCOMPARE(m.settings[216], uint8_t(5));  // past the node slots nothing changes
            break;
        case 3:
            QCOMPARE(m.maps[MemoryImage::GasMap][100], uint8_t(0));
            QCOMPARE(m.maps[MemoryImage::PetrolMap][100], uint8_t(7));
            break;
        case 4:
            QCOMPARE(m.maps[MemoryImage::ObdPetrol2][3], uint8_t(0));
            QCOMPARE(m.maps[MemoryImage::ObdGas1][3], uint8_t(7));
            break;
        case 7: QCOMPARE(m.block(MemoryImage::GasInjectionDelay)[1], uint8_t(4)); break;
        case 8: QCOMPARE(m.block(MemoryImage::Enrichment)[77], uint8_t(128)); break;
        default: break;
    }
}

void TestMemoryImage::petrolMapResetClearsBlockadeOnlyWhenSet()
{
    TSterownik link;
    link.mem.settings[79] = 0;
    link.KasujMapeEcuBen();
    QCOMPARE(link.writeMask, 0x10000u);
    link.writeMask = 0;
    link.mem.settings[79] = 3;
    link.KasujMapeEcuBen();
    QCOMPARE(link.writeMask, 0x10001u);
    QCOMPARE(link.mem.settings[79], uint8_t(0));
}

void TestMemoryImage::pressureReference_data()
{
    QTest::addColumn<int>("i");
    QTest::addColumn<int>("value");
    QTest::newRow("0") << 0 << 255;
    QTest::newRow("70") << 70 << 255;
    QTest::newRow("71") << 71 << 252;
    QTest::newRow("139") << 139 << 128;
    QTest::newRow("140") << 140 << 128;
    QTest::newRow("280") << 280 << 64;
    QTest::newRow("511") << 511 << 35;
    QTest::newRow("512") << 512 << -1;
    QTest::newRow("-1") << -1 << -1;
}

void TestMemoryImage::pressureReference()
{
    QFETCH(int, i);
    QFETCH(int, value);
    QCOMPARE(ReferenceTables::CzytajKorOdCis(i), value);
}

void TestMemoryImage::gasTemperatureReference()
{
    using ReferenceTables::CzytajKorOdTempGazu;
    QCOMPARE(CzytajKorOdTempGazu(-1), -1);
    QCOMPARE(CzytajKorOdTempGazu(256), -1);
    QCOMPARE(CzytajKorOdTempGazu(0), 65);
    QCOMPARE(CzytajKorOdTempGazu(79), 65);
    QCOMPARE(CzytajKorOdTempGazu(80), 66);
    QCOMPARE(CzytajKorOdTempGazu(84), 67);
    QCOMPARE(CzytajKorOdTempGazu(101), 81);
    QCOMPARE(CzytajKorOdTempGazu(102), 83);  // 82 is not in the table
    QCOMPARE(CzytajKorOdTempGazu(255), 159);
    // Never falls as the index grows, and the 18-wide run of 128 sits in the middle.
    int run128 = 0;
    for (int i = 1; i < 256; ++i) {
        QVERIFY(CzytajKorOdTempGazu(i) >= CzytajKorOdTempGazu(i - 1));
        run128 += CzytajKorOdTempGazu(i) == 128;
    }
    QCOMPARE(run128, 18);
}

void TestMemoryImage::delayDefaults()
{
    using ReferenceTables::delayDefault;
    const int row0[] = {2, 4, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32, 34};
    for (int c = 0; c < 16; ++c) QCOMPARE(int(delayDefault(c)), row0[c]);
    for (int c = 0; c < 16; ++c) QCOMPARE(int(delayDefault(15 * 16 + c)), 2);
    QCOMPARE(int(delayDefault(5 * 16 + 6)), 4);
    QCOMPARE(int(delayDefault(5 * 16 + 9)), 12);
}

QTEST_GUILESS_MAIN(TestMemoryImage)
#include "tst_memory_image.moc"
