// Live channels: the table adapted to the controller, lookups, and the formatting of readings.
#include <QtCore/QLocale>
#include <QtTest/QTest>

#include "base/TextTable.h"
#include "link/Tsterownik.h"
#include "tests/link/LinkTestKit.h"

namespace {
constexpr int kOwnFlag = 0x1000;  // a view bit no channel uses: selects one channel for a test
}

class TstChannels : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        programLanguage() = TextTable::English;
        QVERIFY(programTexts().load());
    }

    void reading_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("settings4");     // 255: leave the lambda channel as built
        QTest::addColumn<QByteArray>("bytes");  // pairs: offset, value
        QTest::addColumn<QString>("text");
        auto row = [](const char* name, int channel, std::initializer_list<int> pairs, const char* text,
                      int settings4 = 255) {
            QByteArray b;
            for (int v : pairs) b.append(static_cast<char>(v));
            QTest::newRow(name) << channel << settings4 << b << QString::fromUtf8(text);
        };
        row("speed, general format", 1, {17, 0x52, 18, 0}, "820");
        row("vacuum, two decimals", 3, {44, 34, 45, 0}, "0.34");
        row("gas pressure", 4, {48, 0x2C, 49, 0x01}, "3.00");
        row("reducer temperature", 6, {40, 128 + 56}, "56");
        row("gas temperature below zero", 7, {42, 128 - 12}, "-12");
        row("level sensor byte", 11, {50, 120}, "2.40");
        row("supply in 5 mV", 12, {52, 0xE6, 53, 0x0A}, "13.95");
        row("fuel system closed loop", 13, {97, 2}, "CL");
        row("fuel system fault", 13, {97, 8}, "OL Fault");
        row("fuel system unknown", 16, {98, 3}, "-");
        row("fuel trim absent", 14, {99, 0}, "-");
        row("fuel trim neutral", 14, {99, 128}, "0.0");
        row("fuel trim top", 15, {100, 255}, "99.2");
        row("fuel trim lean", 18, {102, 64}, "-50.0");
        row("petrol time cylinder 1", 19, {60, 0xEE, 61, 0x02}, "3.00");
        row("gas time cylinder 8 ends before the OBD block", 34, {90, 0x10, 91, 0x01, 92, 0xFF}, "1.09");
        row("controller temperature", 35, {54, 0x3A, 55, 0x01}, "41");
        row("multiplier", 37, {31, 115}, "1.15");
        row("signed time", 42, {37, 128 + 10}, "0.250");
        row("pair of times", 43, {38, 12, 39, 250}, "1.2 25.0");
        row("lambda as AFR at zero", 8, {58, 0, 59, 0}, "7.35", 3);
        row("lambda as MAF input", 8, {58, 100, 59, 0}, "0.50", 2);
    }
    void reading()
    {
        QFETCH(int, channel);
        QFETCH(int, settings4);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        TSterownik link;
        if (settings4 != 255) {
            link.mem.settings[4] = static_cast<uint8_t>(settings4);
            link.ListaRpmLamMafAfr();
        }
        std::array<uint8_t, LiveFrame::kSize> frame{};
        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
            frame[static_cast<uint8_t>(bytes[i]) % LiveFrame::kSize] = static_cast<uint8_t>(bytes[i + 1]);
        link.setChannelShown(channel, kOwnFlag, true);
        QCOMPARE(link.StrParamBiez(kOwnFlag, 0, LiveFrame(frame.data(), 92)), text);
    }

    // StrParamBiez reads the live frame the link took last, the same way every time it is asked.
    void readingOfTheLastLiveFrame()
    {
        LinkRig rig;
        rig.open();
        TSterownik& link = rig.link;
        link.setChannelShown(1, kOwnFlag, true);
        QCOMPARE(link.StrParamBiez(kOwnFlag, 0), QStringLiteral("0"));  // no frame yet: zeros
        QByteArray data(86, '\0');                                      // frame bytes 6..91
        data[17 - 6] = 90;
        rig.reply(0x90, data);
        QCOMPARE(link.StrParamBiez(kOwnFlag, 0), QStringLiteral("900"));
        QCOMPARE(link.StrParamBiez(kOwnFlag, 0), QStringLiteral("900"));
        // Computed texts come from the settings.
        link.setChannelShown(36, kOwnFlag, true);
        link.setChannelShown(1, kOwnFlag, false);
        link.mem.settings[89] = 60;
        link.mem.settings[90] = 138;
        QCOMPARE(link.StrParamBiez(kOwnFlag, 0), QStringLiteral("0.040"));
        // Past the last matching channel there is nothing.
        QCOMPARE(link.PodajPozycje(kOwnFlag, 1), int(link.channels().size()));
        QCOMPARE(link.StrParamBiez(kOwnFlag, 1), QString());
    }

    void tableFollowsTheController_data()
    {
        QTest::addColumn<int>("lambdaByte");
        QTest::addColumn<int>("variant");
        QTest::addColumn<int>("injectors");
        QTest::addColumn<QList<int>>("flags");  // channels 8, 9, 10, then 27..34
        QTest::newRow("one lambda, four cylinders") << 2 << 4 << 4 << QList<int>{3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        QTest::newRow("two lambdas, six cylinders") << 3 << 6 << 6 << QList<int>{0, 3, 3, 65, 65, 65, 65, 0, 0, 0, 0};
        QTest::newRow("eight cylinders") << 5 << 8 << 8 << QList<int>{0, 3, 3, 65, 65, 65, 65, 65, 65, 65, 65};
    }
    void tableFollowsTheController()
    {
        QFETCH(int, lambdaByte);
        QFETCH(int, variant);
        QFETCH(int, injectors);
        QFETCH(QList<int>, flags);
        TSterownik link;
        link.mem.identity[42] = static_cast<uint8_t>(lambdaByte);
        link.mem.identity[43] = static_cast<uint8_t>(variant);
        link.mem.identity[59] = static_cast<uint8_t>(injectors);
        link.mem.identity[66] = 77;  // out of range: none
        link.mem.identity[67] = 78;
        link.mem.identity[68] = 178;
        link.mem.identity[69] = 179;
        link.ListaParamOdPlytki();
        QList<int> got = {link.channels()[8].flags, link.channels()[9].flags, link.channels()[10].flags};
        for (int c = 27; c <= 34; ++c) got.append(link.channels()[c].flags);
        QCOMPARE(got, flags);
        QCOMPARE(int(link.injectorCount), injectors);
        QCOMPARE(int(link.twoLambdas), lambdaByte >= 3 ? 1 : 0);
        QCOMPARE(
            QList<int>({link.mem.identity[66], link.mem.identity[67], link.mem.identity[68], link.mem.identity[69]}),
            QList<int>({128, 78, 178, 128}));
    }

    void lambdaChannelFollowsSetting4()
    {
        TSterownik link;
        const int ids[] = {3041, 3042, 3043, 3044};
        for (int v = 0; v < 4; ++v) {
            link.mem.settings[4] = static_cast<uint8_t>(v);
            link.ListaRpmLamMafAfr();
            QCOMPARE(link.channels()[8].id, ids[v]);
            QCOMPARE(link.channels()[8].type, v == 3 ? 24 : 11);
            QCOMPARE(link.channels()[8].unit, v == 3 ? 0 : 1050);
        }
        link.mem.settings[4] = 4;
        link.ListaRpmLamMafAfr();
        QCOMPARE(link.channels()[8].id, 3044);
    }

    void countsAndPositions()
    {
        TSterownik link;
        QCOMPARE(link.channels().size(), 45);
        QCOMPARE(link.PodajIleParamBiez(0x20), 6);  // the readings grid
        QCOMPARE(link.PodajPozycje(0x20, 5), 12);
        QCOMPARE(link.PodajIleParamBiez(0x40), 16);  // injection times
        const int scope = link.PodajIleParamBiez(0x1);
        QCOMPARE(link.PodajIleParamBiez(0x4), 10);
        link.setDiagnosticChannels(true);
        QCOMPARE(link.PodajIleParamBiez(0x1), scope + 10);
        QCOMPARE(link.PodajPozycje(0x1, scope), 35);
        QCOMPARE(link.PodajIleParamBiez(0x20), 6);  // other views never get them
    }

    void workState_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("colour");
        QTest::newRow("no ignition") << 0x206 << 1 << "No ignition" << Rgb(128, 128, 128);
        QTest::newRow("no rotation") << 0x106 << 1 << "No rotation" << Rgb(192, 192, 192);
        QTest::newRow("petrol short") << 0x300 << 0 << "PETROL" << Rgb(255, 0, 0);
        QTest::newRow("petrol long") << 0x300 << 1 << "WORK ON PETROL" << Rgb(255, 0, 0);
        QTest::newRow("waiting") << 0x302 << 1 << "Waiting" << Rgb(255, 128, 64);
        QTest::newRow("switching 4") << 0x304 << 1 << "Switching-over" << Rgb(234, 255, 233);
        QTest::newRow("switching 5") << 0x305 << 0 << "Switching-over" << Rgb(234, 255, 233);
        QTest::newRow("gas") << 0x306 << 0 << "GAS" << Rgb(0, 160, 0);
        QTest::newRow("mix") << 0x307 << 1 << "MIX" << Rgb(0, 128, 255);
        QTest::newRow("no text") << 0x303 << 1 << "" << Rgb(0, 0, 0);
    }
    void workState()
    {
        QFETCH(int, state);
        QFETCH(int, mode);
        QFETCH(QString, text);
        QFETCH(uint, colour);
        TSterownik link;
        QCOMPARE(link.StrStanPracy(state, mode), text);
        QCOMPARE(link.KolorStanuPracy(state), colour);
    }
};

QTEST_GUILESS_MAIN(TstChannels)
#include "tst_channels.moc"
