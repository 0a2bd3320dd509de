// The settings catalogue's rules: value texts, list correction, refusals, the clamp and every
// dependent setting, over a link on the loopback line so that write requests are real.
#include <QtCore/QLocale>
#include <QtTest/QtTest>

#include <memory>

#include "base/TextTable.h"
#include "link/LoopbackBackend.h"
#include "link/Tsterownik.h"
#include "settings/SettingsCatalogue.h"

namespace {

// "32:1 33:2" -> settings bytes to set or expect.
QList<QPair<int, int>> parseBytes(const QString& text)
{
    QList<QPair<int, int>> out;
    for (const QString& item : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList p = item.split(QLatin1Char(':'));
        out.append({p[0].toInt(), p[1].toInt()});
    }
    return out;
}

}  // namespace

class TstSettingsCatalogue : public QObject {
    Q_OBJECT

    std::unique_ptr<TSterownik> link;
    std::unique_ptr<SettingsCatalogue> cat;
    int beeps = 0;

    uint8_t& s(int index) { return link->mem.settings[static_cast<size_t>(index)]; }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(programTexts().load());
        programLanguage() = TextTable::English;
    }

    void init()
    {
        QLocale::setDefault(QLocale::c());
        link = std::make_unique<TSterownik>();
        link->setBackend(std::make_unique<LoopbackBackend>());
        QVERIFY(link->PortOpen(1));
        cat = std::make_unique<SettingsCatalogue>(link->mem, link.get());
        cat->RegisterSettings();
        cat->LoadDefaults();
        beeps = 0;
        cat->OnBeep = [this] { ++beeps; };
        link->writeMask = 0;
        link->readMask = 0;
    }

    void cleanup()
    {
        cat.reset();
        link.reset();
        QLocale::setDefault(QLocale::c());
    }

    void valueText_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("raw");
        QTest::addColumn<int>("adaptation1");  // identity byte 66
        QTest::addColumn<int>("adaptation2");  // identity byte 68
        QTest::addColumn<QString>("expected");

        QTest::newRow("yes") << 21 << 1 << 128 << 128 << "Yes";
        QTest::newRow("yes any non-zero") << 67 << 7 << 128 << 128 << "Yes";
        QTest::newRow("no") << 21 << 0 << 128 << 128 << "No";
        QTest::newRow("header row") << 115 << 42 << 128 << 128 << "-";
        QTest::newRow("option") << 20 << 1 << 128 << 128 << "CNG";
        QTest::newRow("MAF on the RPM wire") << 4 << 2 << 128 << 128 << "MAF (Valvectronic)";
        QTest::newRow("injector type with Ohm") << 24 << 3 << 128 << 128 << QString::fromUtf8("ORVA 3 Ω");
        QTest::newRow("injector type, last row") << 24 << 26 << 128 << 128 << QString::fromUtf8("r > 10 Ω (PWM 100%)");
        QTest::newRow("injector type without Ohm") << 24 << 11 << 128 << 128 << "Matrix";
        QTest::newRow("level sensor kOhm") << 40 << 2 << 128 << 128 << QString::fromUtf8("50 kΩ growing");
        QTest::newRow("reducer sensor") << 45 << 1 << 128 << 128 << QString::fromUtf8("2.2 kΩ");
        QTest::newRow("OBD protocol off") << 109 << 0 << 128 << 128 << "Off";
        QTest::newRow("OBD protocol automatic") << 257 << 1 << 128 << 128 << "Automatic";
        QTest::newRow("OBD protocol from list") << 109 << 2 << 128 << 128 << "ISO 15765-4 CAN 11/500";
        QTest::newRow("OBD protocol last, block B") << 257 << 10 << 128 << 128 << "SEA J1850 VPW";
        QTest::newRow("general format integer") << 50 << 70 << 128 << 128 << "700";
        QTest::newRow("general format fraction") << 53 << 25 << 128 << 128 << "2.5";
        QTest::newRow("general format small") << 224 << 6 << 128 << 128 << "0.06";
        QTest::newRow("general format no group separator") << 61 << 200 << 128 << 128 << "10000";
        QTest::newRow("signed general") << 22 << 108 << 128 << 128 << "-20";
        QTest::newRow("signed cylinder correction") << 216 << 129 << 128 << 128 << "0.025";
        QTest::newRow("zero scale") << 33 << 2 << 128 << 128 << "0";
        QTest::newRow("one decimal") << 11 << 25 << 128 << 128 << "2.5";
        QTest::newRow("two decimals") << 3 << 50 << 128 << 128 << "3.00";
        QTest::newRow("three decimals signed") << 26 << 127 << 128 << 128 << "-0.025";
        QTest::newRow("half rounds up") << 94 << 16 << 128 << 128 << "0.13";
        QTest::newRow("bit set byte") << 80 << 129 << 128 << 128 << "129";
        QTest::newRow("OBD code cell") << 264 << 33 << 128 << 128 << "33";
        QTest::newRow("idle correction neutral") << 90 << 128 << 128 << 128 << "1.00";
        QTest::newRow("idle correction with bank 1 adaptation") << 90 << 128 << 138 << 128 << "1.20";
        QTest::newRow("bank 2 ignores bank 1 adaptation") << 92 << 118 << 150 << 128 << "0.80";
        QTest::newRow("bank 2 adaptation") << 92 << 128 << 128 << 118 << "0.80";
        QTest::newRow("unregistered, scale 0") << 150 << 9 << 128 << 128 << "0";
    }

    // The text of an explicit raw value and of the stored byte agree.
    void valueText()
    {
        QFETCH(int, index);
        QFETCH(int, raw);
        QFETCH(int, adaptation1);
        QFETCH(int, adaptation2);
        QFETCH(QString, expected);
        link->mem.identity[66] = static_cast<uint8_t>(adaptation1);
        link->mem.identity[68] = static_cast<uint8_t>(adaptation2);
        QCOMPARE(cat->ValueText(index, raw), expected);
        s(index) = static_cast<uint8_t>(raw);
        QCOMPARE(cat->ValueText(index), expected);
        QCOMPARE(cat->ValueText(index, -1), expected);
        QCOMPARE(link->writeMask, 0u);
    }

    void decimalsFiveAndAboveShowNothing()
    {
        for (int decimals = 4; decimals <= 15; ++decimals) {
            cat->DefineSetting(300, 0, nullptr, 255, 0, 0, 0x10 | decimals, 0.5, 1);
            QCOMPARE(cat->ValueText(300, 3).isEmpty(), decimals >= 5);
        }
    }

    void localeDecimalSeparator_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("raw");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pl fixed") << "pl_PL" << 3 << 50 << "3,00";
        QTest::newRow("pl general") << "pl_PL" << 224 << 6 << "0,06";
        QTest::newRow("pl large stays ungrouped") << "pl_PL" << 61 << 200 << "10000";
        QTest::newRow("pl idle correction") << "pl_PL" << 90 << 128 << "1,00";
        QTest::newRow("de negative") << "de_DE" << 26 << 127 << "-0,025";
        QTest::newRow("en_US fixed") << "en_US" << 83 << 61 << "3.05";
    }

    void localeDecimalSeparator()
    {
        QFETCH(QString, locale);
        QFETCH(int, index);
        QFETCH(int, raw);
        QFETCH(QString, expected);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(cat->ValueText(index, raw), expected);
    }

    void listValueOutOfRangeIsCorrected_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("corrected");
        QTest::addColumn<QString>("text");
        QTest::newRow("above max") << 20 << 5 << 1 << "CNG";
        QTest::newRow("below min") << 45 << 0 << 1 << QString::fromUtf8("2.2 kΩ");
        QTest::newRow("injector type 0") << 24 << 0 << 1 << QString::fromUtf8("Torvane 1.9 Ω");
        QTest::newRow("OBD protocol above max") << 109 << 200 << 8 << "ISO 9141-2";
    }

    // Showing an impossible list value rewrites it and queues the settings write.
    void listValueOutOfRangeIsCorrected()
    {
        QFETCH(int, index);
        QFETCH(int, stored);
        QFETCH(int, corrected);
        QFETCH(QString, text);
        s(index) = static_cast<uint8_t>(stored);
        QCOMPARE(cat->ValueText(index), text);
        QCOMPARE(int(s(index)), corrected);
        QCOMPARE(link->writeMask & 1u, 1u);
    }

    void refusals_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("rpmSignal");  // setting 1
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("refused");
        QTest::newRow("divider with coil signal") << 2 << 6 << 0 << 2 << true;
        QTest::newRow("divider with injectors") << 2 << 7 << 0 << 2 << false;
        QTest::newRow("divider from crankshaft") << 2 << 8 << 0 << 2 << false;
        QTest::newRow("signal level with injectors") << 3 << 7 << 0 << 2 << true;
        QTest::newRow("signal level with coils") << 3 << 0 << 0 << 2 << false;
        QTest::newRow("RPM wire with coils") << 4 << 0 << 0 << 2 << true;
        QTest::newRow("RPM wire from crankshaft") << 4 << 8 << 0 << 2 << true;
        QTest::newRow("RPM wire with injectors") << 4 << 7 << 0 << 2 << false;
        QTest::newRow("full petrol with injectors") << 68 << 7 << 0 << 2 << true;
        QTest::newRow("full petrol with coils") << 68 << 1 << 0 << 2 << false;
        QTest::newRow("calibration page at level 0") << 86 << 0 << 1 << 0 << true;
        QTest::newRow("any setting on that page") << 20 << 0 << 1 << 0 << true;
        QTest::newRow("calibration page at level 1") << 86 << 0 << 1 << 1 << false;
        QTest::newRow("main page at level 0") << 86 << 0 << 0 << 0 << false;
    }

    // A refused change beeps and leaves the byte and the write mask alone.
    void refusals()
    {
        QFETCH(int, index);
        QFETCH(int, rpmSignal);
        QFETCH(int, page);
        QFETCH(int, level);
        QFETCH(bool, refused);
        s(1) = static_cast<uint8_t>(rpmSignal);
        cat->setView(page, level);
        const uint8_t before = s(index);
        const int wanted = before < cat->descriptor(index).max ? before + 1 : before - 1;
        QCOMPARE(cat->Refuses(index), refused);
        QCOMPARE(cat->SetValue(index, wanted), !refused);
        QCOMPARE(beeps, refused ? 1 : 0);
        QCOMPARE(int(s(index)), refused ? int(before) : wanted);
        QCOMPARE(link->writeMask & 1u, refused ? 0u : 1u);
    }

    void clamp_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("raw");
        QTest::addColumn<int>("stored");
        QTest::newRow("above max") << 52 << 61 << 60;
        QTest::newRow("below min") << 52 << 0 << 1;
        QTest::newRow("far above a byte") << 50 << 1000 << 255;
        QTest::newRow("negative") << 12 << -5 << 0;
        QTest::newRow("list above max") << 96 << 9 << 3;
        QTest::newRow("block B") << 257 << 11 << 10;
        QTest::newRow("unregistered has limit 0") << 150 << 7 << 0;
    }

    void clamp()
    {
        QFETCH(int, index);
        QFETCH(int, raw);
        QFETCH(int, stored);
        QVERIFY(cat->SetValue(index, raw));
        QCOMPARE(int(s(index)), stored);
    }

    void sideEffects_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("raw");
        QTest::addColumn<int>("injectors");
        QTest::addColumn<int>("liveStatus");
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("flags");  // bits of TSterownik::Command expected set

        const int injSwitch = 1 << TSterownik::CmdInjectorSwitch;
        const int quick = 1 << TSterownik::CmdQuickFuelChange;
        const int factory = 1 << TSterownik::CmdFactorySettings;

        QTest::newRow("1: injectors force their settings") << 1 << 7 << 8 << 0 << "2:9 60:30 65:5 57:0 68:1"
                                                           << "2:1 60:0 65:50 57:1 68:0" << 0;
        QTest::newRow("1: coil signal releases them") << 1 << 3 << 8 << 0 << "1:7 4:2 60:0 65:50 68:0"
                                                      << "2:4 4:0 65:5 68:1 60:0" << 0;
        QTest::newRow("1: 6 coils divider") << 1 << 5 << 8 << 0 << ""
                                            << "2:6" << 0;
        QTest::newRow("1: 8 coils divider") << 1 << 6 << 8 << 0 << ""
                                            << "2:8" << 0;
        QTest::newRow("1: crankshaft divider") << 1 << 8 << 8 << 0 << ""
                                               << "2:116 4:0" << 0;
        QTest::newRow("4: MAF resets the load axis") << 4 << 2 << 8 << 0 << "1:7 10:1 224:99 239:1 94:0"
                                                     << "224:6 231:50 239:100 10:0 94:182" << 0;
        QTest::newRow("4: lambda keeps it") << 4 << 1 << 8 << 0 << "1:7 10:1 224:99 94:0"
                                            << "224:99 10:1 94:255" << 0;
        QTest::newRow("8: sequential on 4 cylinders") << 8 << 0 << 4 << 0 << "32:9 36:9 56:2"
                                                      << "32:1 33:2 34:4 35:8 36:0 37:0 38:0 39:0 56:0" << injSwitch;
        QTest::newRow("8: sequential on 8 cylinders") << 8 << 0 << 8 << 0 << ""
                                                      << "32:1 33:2 34:4 35:8 36:16 37:32 38:64 39:128" << injSwitch;
        QTest::newRow("8: semi-sequential on 6, on gas")
            << 8 << 1 << 6 << 3 << ""
            << "32:21 33:42 34:0 35:0 36:0 37:0 38:0 39:0 56:1" << (injSwitch | quick);
        QTest::newRow("8: full group on 8") << 8 << 2 << 8 << 0 << ""
                                            << "32:255 33:0 39:0 56:2" << injSwitch;
        QTest::newRow("10: turbo load axis")
            << 10 << 1 << 8 << 0 << "94:0"
            << "224:12 225:25 226:37 227:50 228:62 232:112 238:187 239:200 94:255" << 0;
        QTest::newRow("10: turbo with MAF takes the turbo axis") << 10 << 1 << 8 << 0 << "4:2 224:99"
                                                                 << "224:12 225:25 239:200" << 0;
        QTest::newRow("10: standard with MAF resets") << 10 << 0 << 8 << 0 << "4:2 224:99"
                                                      << "224:6 225:12 239:100" << 0;
        QTest::newRow("10: standard resets") << 10 << 0 << 8 << 0 << "224:12 239:200 94:0"
                                             << "224:6 239:100 94:182" << 0;
        QTest::newRow("12: no petrol addition") << 12 << 0 << 8 << 0 << "12:5"
                                                << "12:0" << injSwitch;
        QTest::newRow("12: some petrol addition") << 12 << 5 << 8 << 0 << ""
                                                  << "12:5" << 0;
        QTest::newRow("24: injector type row") << 24 << 3 << 8 << 0 << ""
                                               << "25:27 26:136 27:188 28:65" << 0;
        QTest::newRow("24: last row") << 24 << 26 << 8 << 0 << ""
                                      << "25:30 26:168 27:128 28:100" << 0;
        QTest::newRow("40: 90 Ohm growing") << 40 << 0 << 8 << 0 << "41:1 42:1 43:1 44:1"
                                            << "41:44 42:39 43:20 44:8" << 0;
        QTest::newRow("40: 90 Ohm falling") << 40 << 1 << 8 << 0 << ""
                                            << "41:8 42:20 43:39 44:44" << 0;
        QTest::newRow("40: 50 kOhm growing") << 40 << 2 << 8 << 0 << ""
                                             << "41:58 42:54 43:40 44:11" << 0;
        QTest::newRow("40: 50 kOhm falling") << 40 << 3 << 8 << 0 << ""
                                             << "41:11 42:40 43:54 44:58" << 0;
        QTest::newRow("81: off folds the adaptation in") << 81 << 0 << 8 << 0 << "81:1 90:128 92:100"
                                                         << "90:138 92:95" << factory;
        QTest::newRow("81: map keeps it") << 81 << 1 << 8 << 0 << "90:128 92:100"
                                          << "90:128 92:100" << 0;
        QTest::newRow("85: reference correction") << 85 << 200 << 8 << 0 << "94:0"
                                                  << "94:171" << 0;
        QTest::newRow("86: reference correction") << 86 << 150 << 8 << 0 << "94:0"
                                                  << "94:228" << 0;
    }

    void sideEffects()
    {
        QFETCH(int, index);
        QFETCH(int, raw);
        QFETCH(int, injectors);
        QFETCH(int, liveStatus);
        QFETCH(QString, preset);
        QFETCH(QString, expected);
        QFETCH(int, flags);
        link->injectorCount = static_cast<uint8_t>(injectors);
        link->liveStatus[0] = static_cast<uint8_t>(liveStatus);
        link->mem.identity[66] = 138;  // bank 1 adaptation +10
        link->mem.identity[68] = 123;  // bank 2 adaptation -5
        for (const auto& [i, v] : parseBytes(preset)) s(i) = static_cast<uint8_t>(v);

        QVERIFY(cat->SetValue(index, raw));

        QCOMPARE(int(s(index)), raw);
        for (const auto& [i, v] : parseBytes(expected)) {
            if (s(i) != v) qWarning("setting %d", i);
            QCOMPARE(int(s(i)), v);
        }
        const int set = int(link->pendingCommands() & ~(1u << TSterownik::CmdSettingsWrite));
        QCOMPARE(set, flags);
        QCOMPARE(link->writeMask & 1u, 1u);
        if (flags & (1 << TSterownik::CmdFactorySettings)) {
            // Folding in also clears the adaptation and writes both multipliers.
            QCOMPARE(int(link->mem.identity[66]), 128);
            QCOMPARE(link->writeMask & 7u, 7u);
        }
    }

    // The write is requested through the link, which holds it while the settings are being read
    // (it goes out once they are); the new value stays in the image either way.
    void writeRequestFollowsLinkRules()
    {
        link->readMask = 0;
        int repaints = 0;
        cat->OnRepaint = [&] { ++repaints; };
        QVERIFY(cat->SetValue(52, 10));
        QCOMPARE(link->writeMask, 1u);
        QCOMPARE(repaints, 1);

        link->writeMask = 0;
        link->readMask = 1;
        QVERIFY(cat->SetValue(52, 9));
        QCOMPARE(int(s(52)), 9);
        QCOMPARE(link->writeMask, 0u);
        QCOMPARE(link->heldEditsMask(), 1u);
    }

    void loadDefaultsCoversBlockB()
    {
        link->mem.settings.fill(0xEE);
        cat->LoadDefaults();
        QCOMPARE(link->writeMask, 0u);
        const QList<QPair<int, int>> expected =
            parseBytes("0:0 1:0 2:1 24:1 45:4 58:168 61:200 94:181 150:0 189:200 215:200 216:128 "
                       "224:6 239:100 240:12 250:72 251:80 255:120 256:0 257:1 258:0 303:0");
        for (const auto& [i, v] : expected) QCOMPARE(int(s(i)), v);
    }

    void registerClearsEarlierDefinitions()
    {
        cat->DefineSetting(150, 3010, nullptr, 9, 3, 1, 0x10, 1.0, 1);
        cat->DefineSetting(280, 3010, nullptr, 9, 3, 1, 0x10, 1.0, 1);
        cat->RegisterSettings();
        QCOMPARE(cat->descriptor(150).label, 0);
        QCOMPARE(cat->descriptor(150).max, uint8_t(0));
        QCOMPARE(cat->descriptor(280).label, 3010);  // block B descriptors outlive a re-registration
        QCOMPARE(cat->LabelText(1), QStringLiteral("RPM signal"));
        QCOMPARE(cat->UnitText(3), QStringLiteral("[V]"));
        QCOMPARE(cat->UnitText(1), QString());
    }

    void indicesOutsideTheCatalogue()
    {
        for (int index : {-1, -100, 304, 100000}) {
            QCOMPARE(cat->ValueText(index), QString());
            QCOMPARE(cat->LabelText(index), QString());
            QVERIFY(!cat->SetValue(index, 1));
        }
        QCOMPARE(link->writeMask, 0u);
    }
};

QTEST_GUILESS_MAIN(TstSettingsCatalogue)
#include "tst_settings_catalogue.moc"
