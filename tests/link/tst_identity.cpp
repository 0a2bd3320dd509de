// The identity texts of the connected controller and the change history it keeps.
#include <QtTest/QTest>

#include <cstring>

#include "link/Tsterownik.h"

namespace {

void fillIdentity(TSterownik& link)
{
    auto& id = link.mem.identity;
    id.fill(0);
    std::memcpy(id.data() + 6, "KV2P0042137815\0\0", 16);
    for (int i = 0; i < 13; ++i) id[22 + i] = static_cast<uint8_t>(0x40 + i);
    id[38] = 2;
    id[46] = 15;
    id[47] = 3;
    id[48] = 7;
    id[50] = 0x12;
    id[51] = 0x03;
    id[52] = 0xAB;
    id[53] = 1;
    id[58] = 2;
    id[59] = 4;
    id[60] = 31;
    id[62] = 26;
    id[63] = 1;
    id[64] = 9;
    for (int i = 66; i < 70; ++i) id[i] = 0x80;
    // 812 h 20 min 34 s on petrol, 2417 h 50 min 11 s on gas.
    id[70] = 1234 & 0xFF;
    id[71] = 1234 >> 8;
    id[72] = 812 & 0xFF;
    id[73] = 812 >> 8;
    id[74] = 3011 & 0xFF;
    id[75] = 3011 >> 8;
    id[76] = 2417 & 0xFF;
    id[77] = 2417 >> 8;
}

QByteArray entry(const TSterownik& link, int n)
{
    return QByteArray(reinterpret_cast<const char*>(link.mem.block(MemoryImage::History) + 8 * n), 8);
}

}  // namespace

class TstIdentity : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void texts()
    {
        TSterownik link;
        fillIdentity(link);
        QCOMPARE(link.StrWersjaSterownika(), QStringLiteral("KAVELO PRO+"));
        QCOMPARE(link.StrKodKreskowy(), QStringLiteral("KV2P0042137815"));
        QCOMPARE(link.StrDataProdukcji(), QStringLiteral("2015.03.07"));
        QCOMPARE(link.StrIleWtryskiwaczy(), QStringLiteral("4"));
        QCOMPARE(link.StrCzasNaBenzynie(), QStringLiteral("812:20:34"));
        QCOMPARE(link.StrCzasNaGazie(), QStringLiteral("2417:50:11"));
        link.mem.identity[38] = 1;
        QCOMPARE(link.StrWersjaSterownika(), QStringLiteral("KAVELO ECO+"));

        // Missing data gives empty texts.
        link.mem.identity.fill(0);
        QCOMPARE(link.StrWersjaSterownika(), QString());
        QCOMPARE(link.StrDataProdukcji(), QString());
        QCOMPARE(link.StrIleWtryskiwaczy(), QString());
        QCOMPARE(link.StrKodKreskowy(), QString());
        QCOMPARE(link.StrCzasNaGazie(), QStringLiteral("0:00:00"));
        // A bar code that fills all 16 bytes ends at the field's end.
        std::memset(link.mem.identity.data() + 6, 'Z', 16);
        link.mem.identity[22] = 'Q';
        QCOMPARE(link.StrKodKreskowy(), QString(16, QLatin1Char('Z')));
    }

    void versionLine_data()
    {
        QTest::addColumn<int>("parts");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("line");
        QTest::newRow("digits") << 0x0E << 0 << "B.2.4.31  (2026.01.09)  ";
        QTest::newRow("build number") << 0x1 << 0 << "31  ";
        QTest::newRow("hardware") << 0x10 << 0 << "12.03.AB  ";
        QTest::newRow("bar code") << 0x20 << 0 << "Kod=KV2P0042137815 ";
        QTest::newRow("serial number") << 0x40 << 0 << "NS=40 41 42 43 44 45 46 47 48 49 4A 4B 4C ";
        QTest::newRow("memory dump") << 0x80 << 0 << "Eep=80 80 80 80 D2 04 2C 03 C3 0B 71 09 ";
        QTest::newRow("bootloader") << 0xFF << 1 << "";
    }
    void versionLine()
    {
        QFETCH(int, parts);
        QFETCH(int, mode);
        QFETCH(QString, line);
        TSterownik link;
        fillIdentity(link);
        link.mem.identity[5] = static_cast<uint8_t>(mode);
        QCOMPARE(link.StrWersjaCyframi(parts), line);
    }

    void versionLineWithoutVersion()
    {
        TSterownik link;
        fillIdentity(link);
        link.mem.identity[60] = 0;
        link.mem.identity[62] = 0;
        QCOMPARE(link.StrWersjaCyframi(0x0F), QString());
    }

    void timeToService_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("gasHours");
        QTest::addColumn<QString>("text");
        QTest::newRow("due later") << 3000 << 2417 << "583:00:00";
        QTest::newRow("due now") << 2417 << 2417 << "0:00:00";
        QTest::newRow("overdue never negative") << 2000 << 2417 << "0:00:00";
    }
    void timeToService()
    {
        QFETCH(int, interval);
        QFETCH(int, gasHours);
        QFETCH(QString, text);
        TSterownik link;
        link.mem.settings[101] = static_cast<uint8_t>(interval & 0xFF);
        link.mem.settings[102] = static_cast<uint8_t>(interval >> 8);
        link.mem.identity[76] = static_cast<uint8_t>(gasHours & 0xFF);
        link.mem.identity[77] = static_cast<uint8_t>(gasHours >> 8);
        QCOMPARE(link.StrCzasPrzegladu(), text);
    }

    void ownIdentity()
    {
        TSterownik link;
        link.workshopId[0] = 0x0A1B2C3D;
        QCOMPARE(link.StrIdentWlasny(), QStringLiteral("0A1B-2C3D"));
    }

    void historySameDayAndPcMerge()
    {
        TSterownik link;
        link.workshopId = {0x0A1B2C3D, 26, 5, 14};
        link.HistoriaZmian(kHistoryConfig);
        QCOMPARE(link.writeMask, 0x80u);
        link.writeMask = 0;
        link.HistoriaZmian(kHistoryConfig);
        link.HistoriaZmian(kHistoryConfig);
        QCOMPARE(link.writeMask, 0u);  // nothing new to record
        link.HistoriaZmian(kHistoryErrorsCleared);
        QCOMPARE(entry(link, 0), QByteArray::fromHex("0C1A050E0A1B2C3D"));
        QCOMPARE(entry(link, 1), QByteArray(8, '\0'));
        QCOMPARE(link.writeMask, 0x80u);

        QCOMPARE(link.StrHistoria(0, 0), QStringLiteral("2026.5.14"));
        QCOMPARE(link.StrHistoria(1, 0), QString());
        QCOMPARE(link.StrHistoria(3, 0), QStringLiteral("v"));
        QCOMPARE(link.StrHistoria(4, 0), QStringLiteral("v"));
        QCOMPARE(link.StrHistoria(5, 0), QStringLiteral("0A1B-2C3D"));
        QCOMPARE(link.StrHistoria(6, 0), QString());
        QCOMPARE(link.StrHistoria(0, 1), QString());
        QCOMPARE(link.StrHistoria(5, 1), QString());
        QCOMPARE(link.StrHistoria(0, 32), QString());

        // Another day, then another PC: each starts its own entry.
        link.workshopId = {0x0A1B2C3D, 26, 5, 15};
        link.HistoriaZmian(kHistoryConfig);
        link.workshopId = {0x11111111, 26, 5, 15};
        link.HistoriaZmian(kHistoryConfig);
        QCOMPARE(entry(link, 1), QByteArray::fromHex("081A050F0A1B2C3D"));
        QCOMPARE(entry(link, 2), QByteArray::fromHex("081A050F11111111"));
    }

    void fullHistoryKeepsTheFirstEntry()
    {
        TSterownik link;
        uint8_t* h = link.mem.block(MemoryImage::History);
        for (int n = 0; n < 32; ++n) {
            h[8 * n] = 0x8;
            h[8 * n + 1] = 20;
            h[8 * n + 2] = 1;
            h[8 * n + 3] = static_cast<uint8_t>(n + 1);
        }
        link.workshopId = {0xFEEDBEEF, 26, 5, 14};
        link.HistoriaZmian(kHistoryFactory);
        QCOMPARE(int(h[3]), 1);      // entry 0 stays
        QCOMPARE(int(h[8 + 3]), 3);  // entry 1 (day 2) is gone
        QCOMPARE(int(h[8 * 30 + 3]), 32);
        QCOMPARE(entry(link, 31), QByteArray::fromHex("021A050EFEEDBEEF"));

        // The last entry now matches today and this PC: a further kind joins it.
        link.HistoriaZmian(kHistoryConfig);
        QCOMPARE(entry(link, 31), QByteArray::fromHex("0A1A050EFEEDBEEF"));
        QCOMPARE(int(h[8 * 30 + 3]), 32);

        link.writeMask = 0;
        link.HistoriaZmianKasuj();
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(h), 256), QByteArray(256, '\0'));
        QCOMPARE(link.writeMask, 0x80u);
    }
};

QTEST_GUILESS_MAIN(TstIdentity)
#include "tst_identity.moc"
