// Comparing two configurations: settings with their texts, map and correction cells, identical
// images; and the backup store's rules on real files.
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "link/ConfigBackups.h"
#include "link/SettingsFile.h"
#include "link/Tsterownik.h"
#include "settings/ConfigDiff.h"
#include "settings/SettingsCatalogue.h"

namespace {

// A configuration as the program holds it after start-up: factory settings and default curves.
MemoryImage defaults()
{
    TSterownik link;
    SettingsCatalogue catalogue(link.mem, &link);
    catalogue.RegisterSettings();
    catalogue.LoadDefaults();
    for (int n = 8; n <= 10; ++n) ReferenceTables::defaultCorrectionCurve(link.mem.block(n), n);
    link.mem.identity[22] = 0x12;  // a serial number
    link.mem.identity[34] = 0xAB;
    return link.mem;
}

}  // namespace

class TstConfigDiff : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(programTexts().load());
        programLanguage() = TextTable::English;
    }

    // One change in B and what the comparison reports for it.
    void compare_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("settings");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("textA");
        QTest::addColumn<QString>("textB");
        QTest::addColumn<int>("regionName");
        QTest::addColumn<int>("cells");
        QTest::addColumn<double>("largest");
        QTest::addColumn<bool>("otherBytes");
        QTest::newRow("identical") << "" << 0 << ""
                                   << ""
                                   << "" << 0 << 0 << 0.0 << false;
        QTest::newRow("RPM signal level") << "setting 3 60" << 1 << "RPM signal level"
                                          << "3.00"
                                          << "3.60" << 0 << 0 << 0.0 << false;
        // The text of setting 4 = 2 names the valve control that the value implies.
        QTest::newRow("load signal (dependent text)") << "setting 4 2" << 1 << ""
                                                      << ""
                                                      << "Valvectronic" << 0 << 0 << 0.0 << false;
        QTest::newRow("multiplier node slot") << "setting 200 7" << 1 << "Multiplier bank 1, node 11"
                                              << "0"
                                              << "7" << 0 << 0 << 0.0 << false;
        QTest::newRow("RPM breakpoint (catalogue scale)") << "setting 242 30" << 1 << "RPM breakpoint 3"
                                                          << "1200"
                                                          << "1500" << 0 << 0 << 0.0 << false;
        QTest::newRow("reserved byte") << "setting 14 5" << 1 << "Reserved byte 14"
                                       << "0"
                                       << "5" << 0 << 0 << 0.0 << false;
        QTest::newRow("petrol map cell") << "petrol 53 25" << 0 << ""
                                         << ""
                                         << "" << int(OwnText::RegionPetrolMap) << 1 << 2.5 << false;
        QTest::newRow("RPM correction cells") << "rpm1 2" << 0 << ""
                                              << ""
                                              << "" << int(OwnText::RegionRpm1) << 2 << 7.0 << false;
        QTest::newRow("curve point only") << "point 9" << 0 << ""
                                          << ""
                                          << "" << int(OwnText::RegionReducerTemp) << 0 << 0.0 << true;
        QTest::newRow("curve table") << "curve 100 138" << 0 << ""
                                     << ""
                                     << "" << int(OwnText::RegionGasPressure) << 1 << 7.8125 << false;
    }
    void compare()
    {
        QFETCH(QString, change);
        QFETCH(int, settings);
        QFETCH(QString, label);
        QFETCH(QString, textA);
        QFETCH(QString, textB);
        QFETCH(int, regionName);
        QFETCH(int, cells);
        QFETCH(double, largest);
        QFETCH(bool, otherBytes);
        const MemoryImage a = defaults();
        MemoryImage b = a;
        const QStringList w = change.split(QLatin1Char(' '));
        if (w[0] == QLatin1String("setting")) b.settings[w[1].toUInt()] = uint8_t(w[2].toInt());
        if (w[0] == QLatin1String("petrol")) b.maps[MemoryImage::PetrolMap][w[1].toUInt()] = uint8_t(w[2].toInt());
        if (w[0] == QLatin1String("rpm1")) {
            b.block(MemoryImage::RpmCorrection1)[0] = 107;
            b.block(MemoryImage::RpmCorrection1)[255] = 97;
        }
        if (w[0] == QLatin1String("point")) b.block(MemoryImage::ReducerTempCorrection)[4] = 120;
        if (w[0] == QLatin1String("curve"))
            b.block(MemoryImage::GasPressureCorrection)[w[1].toInt()] = uint8_t(w[2].toInt());

        const MemoryImage before = b;
        const ConfigDiff::Result diff = ConfigDiff::compare(a, b);
        QCOMPARE(diff.equal(), change.isEmpty());
        QCOMPARE(diff.settings.size(), settings);
        if (settings) {
            const ConfigDiff::Setting& s = diff.settings.first();
            QCOMPARE(s.index, w[1].toInt());
            if (!label.isEmpty()) QCOMPARE(s.label, label);
            if (!textA.isEmpty()) QCOMPARE(s.textA, textA);
            QVERIFY2(s.textB.contains(textB), qPrintable(s.textB));
        }
        QCOMPARE(diff.regions.size(), regionName ? 1 : 0);
        if (regionName) {
            const ConfigDiff::RegionChange& r = diff.regions.first();
            QCOMPARE(ConfigDiff::regions()[r.region].nameId, regionName);
            QCOMPARE(r.cells, cells);
            QCOMPARE(r.largest, largest);
            QCOMPARE(r.otherBytes, otherBytes);
        }
        // Showing the texts never corrects either image.
        QVERIFY(std::memcmp(&before.settings, &b.settings, sizeof b.settings) == 0);
    }

    // Every setting differing at once: no two lines of the list carry the same caption, in any language.
    void everyCaptionOnce()
    {
        const MemoryImage a = defaults();
        MemoryImage b = a;
        for (uint8_t& byte : b.settings) byte = uint8_t(byte + 1);
        for (int language = 0; language < 4; ++language) {
            programLanguage() = language;
            const ConfigDiff::Result diff = ConfigDiff::compare(a, b);
            QVERIFY(diff.settings.size() > 100);
            QSet<QString> seen;
            for (const ConfigDiff::Setting& s : diff.settings) {
                QVERIFY2(!seen.contains(s.label), qPrintable(QString::number(s.index) + QLatin1Char(' ') + s.label));
                seen.insert(s.label);
            }
        }
        programLanguage() = TextTable::Polish;
    }

    // A list byte outside its options is shown corrected but stays as it was in the image.
    void outOfRangeListByteStaysInTheImage()
    {
        MemoryImage a = defaults();
        MemoryImage b = a;
        b.settings[4] = 250;
        const ConfigDiff::Result diff = ConfigDiff::compare(a, b);
        QCOMPARE(diff.settings.size(), 1);
        QCOMPARE(int(b.settings[4]), 250);
    }

    void heatMapCells()
    {
        MemoryImage a = defaults();
        MemoryImage b = a;
        b.maps[MemoryImage::GasMap][16 * 3 + 5] = 30;
        a.maps[MemoryImage::GasMap][16 * 3 + 5] = 40;
        const ConfigDiff::Region& gas = ConfigDiff::regions()[8];
        QCOMPARE(gas.nameId, int(OwnText::RegionGasMap));
        const auto d = ConfigDiff::cellDifferences(a, b, gas);
        QCOMPARE(d[16 * 3 + 5], -1.0);
        QCOMPARE(d[0], 0.0);
    }

    // Backups: the first is written, an unchanged one is not (running times do not count), a
    // changed one is, and only the newest 50 stay.
    void backupRules()
    {
        QTemporaryDir dir;
        MemoryImage mem = defaults();
        const QDateTime t0(QDate(2026, 12, 10), QTime(9, 0, 0));
        const auto first = ConfigBackups::save(dir.path(), mem, t0);
        QCOMPARE(first.outcome, ConfigBackups::Written);
        QVERIFY(first.path.endsWith(QStringLiteral("/120000000000000000000000AB/2026-12-10_09-00-00.set")));
        mem.identity[72] = 5;  // an hour more on petrol
        QCOMPARE(ConfigBackups::save(dir.path(), mem, t0.addSecs(60)).outcome, ConfigBackups::Unchanged);
        mem.settings[3] = 61;
        const auto changed = ConfigBackups::save(dir.path(), mem, t0);  // the same second as the first
        QCOMPARE(changed.outcome, ConfigBackups::Written);
        QVERIFY(changed.path.endsWith(QStringLiteral("2026-12-10_09-00-00-2.set")));
        QCOMPARE(ConfigBackups::controllers(dir.path()), QStringList{QStringLiteral("120000000000000000000000AB")});

        for (int i = 0; i < 60; ++i) {
            mem.settings[5] = uint8_t(i);
            QCOMPARE(ConfigBackups::save(dir.path(), mem, t0.addDays(1).addSecs(i)).outcome, ConfigBackups::Written);
        }
        const auto kept = ConfigBackups::list(dir.path(), QStringLiteral("120000000000000000000000AB"));
        QCOMPARE(kept.size(), ConfigBackups::kKeep);
        QCOMPARE(kept.first().when, t0.addDays(1).addSecs(10));
        QCOMPARE(kept.last().when, t0.addDays(1).addSecs(59));
        MemoryImage back;
        QCOMPARE(SettingsFile::load(kept.last().path, back), SettingsFile::Ok);
        QCOMPARE(int(back.settings[5]), 59);

        MemoryImage anonymous;  // no serial number: nothing to file it under
        QCOMPARE(ConfigBackups::save(dir.path(), anonymous, t0).outcome, ConfigBackups::NoSerial);
    }
};

QTEST_GUILESS_MAIN(TstConfigDiff)
#include "tst_config_diff.moc"
