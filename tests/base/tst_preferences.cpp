// Preferences in a real QSettings store in a temporary folder: the stored order, the stop at the
// first missing value, the clamps, and the round trip.
#include <QtCore/QSettings>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#include "base/Platform.h"
#include "base/Preferences.h"

class TstPreferences : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<QSettings> store()
    {
        return std::make_unique<QSettings>(dir_.filePath(QStringLiteral("ZorUDU.conf")), QSettings::IniFormat);
    }
    // A complete store as a previous session left it.
    void writeFull(QSettings& s)
    {
        Preferences p;
        p.comm = 7;
        p.elmComm = 65;
        p.elmAddress = QStringLiteral("192.168.0.10:35000");
        p.elmOverNetwork = true;
        p.theme = 4;
        p.language = 2;
        p.view = 0;
        p.bounds = QRect(30, 20, 800, 600);
        p.windowState = 0;
        for (size_t i = 0; i < p.colours.size(); ++i) p.colours[i] = int(i) * 1000;
        p.write(s, true);
    }

private Q_SLOTS:
    void init() { store()->clear(); }

    void emptyStoreKeepsEveryDefault()
    {
        Preferences p;
        p.read(*store());
        QCOMPARE(p.comm, 1);
        QCOMPARE(p.elmComm, 1);
        QCOMPARE(p.elmAddress, QString());
        QVERIFY(!p.elmOverNetwork);
        QCOMPARE(p.theme, 3);
        QCOMPARE(p.language, 1);
        QCOMPARE(p.view, 1);
        QVERIFY(!p.hasBounds);
        QVERIFY(!p.hasState);
        QCOMPARE(p.colours[0], -1);
    }

    void roundTrip()
    {
        {
            auto s = store();
            writeFull(*s);
        }
        Preferences p;
        p.read(*store());
        QCOMPARE(p.comm, 7);
        QCOMPARE(p.elmComm, 65);
        QCOMPARE(p.elmAddress, QStringLiteral("192.168.0.10:35000"));
        QVERIFY(p.elmOverNetwork);
        QCOMPARE(p.theme, 4);
        QCOMPARE(p.language, 2);
        QCOMPARE(p.view, 0);
        QVERIFY(p.hasBounds);
        QCOMPARE(p.bounds, QRect(30, 20, 800, 600));
        QVERIFY(p.hasState);
        QCOMPARE(p.colours[33], 33000);
        QCOMPARE(store()->value(QStringLiteral("Color1608")).toInt(), 33000);
        QCOMPARE(store()->value(QStringLiteral("Color1501")).toInt(), 18000);
    }

    // A missing or non-integer value ends the reading: later values keep their defaults.
    void stopsAtFirstMissing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("replacement");  // invalid = removed
        QTest::addColumn<int>("expectView");
        QTest::addColumn<bool>("expectBounds");
        QTest::addColumn<bool>("expectColours");
        QTest::newRow("View missing") << "View" << QVariant() << 1 << false << false;
        QTest::newRow("View not a number") << "View" << QVariant(QStringLiteral("x")) << 1 << false << false;
        QTest::newRow("WHeight missing") << "WHeight" << QVariant() << 0 << false << false;
        QTest::newRow("WState missing") << "WState" << QVariant() << 0 << true << false;
        QTest::newRow("Color1400 missing") << "Color1400" << QVariant() << 0 << true << false;
    }
    void stopsAtFirstMissing()
    {
        QFETCH(QString, name);
        QFETCH(QVariant, replacement);
        QFETCH(int, expectView);
        QFETCH(bool, expectBounds);
        QFETCH(bool, expectColours);
        {
            auto s = store();
            writeFull(*s);
            if (replacement.isValid()) s->setValue(name, replacement);
            else s->remove(name);
        }
        Preferences p;
        p.read(*store());
        QCOMPARE(p.comm, 7);
        QCOMPARE(p.language, 2);
        QCOMPARE(p.view, expectView);
        QCOMPARE(p.hasBounds, expectBounds);
        QCOMPARE(p.colours[5] == 5000, expectColours);
    }

    void clampsAndNegativeColours_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("theme");
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("view");
        QTest::newRow("Comp 9") << "Comp" << 9 << 3 << 2 << 0;
        QTest::newRow("Comp -1") << "Comp" << -1 << 3 << 2 << 0;
        QTest::newRow("Comp 5") << "Comp" << 5 << 5 << 2 << 0;
        QTest::newRow("Lang 4") << "Lang" << 4 << 4 << 1 << 0;
        QTest::newRow("View 3") << "View" << 3 << 4 << 2 << 1;
        QTest::newRow("View 2") << "View" << 2 << 4 << 2 << 2;
    }
    void clampsAndNegativeColours()
    {
        QFETCH(QString, name);
        QFETCH(int, stored);
        {
            auto s = store();
            writeFull(*s);
            s->setValue(name, stored);
            s->setValue(QStringLiteral("Color1402"), -1);
        }
        Preferences p;
        p.read(*store());
        QTEST(p.theme, "theme");
        QTEST(p.language, "language");
        QTEST(p.view, "view");
        QCOMPARE(p.colours[1], -1);    // a negative colour keeps the built-in one
        QCOMPARE(p.colours[2], 2000);  // and the reading goes on after it
    }

    // The Wi-Fi adapter's address is read whatever the stored order holds; "on the network" needs
    // an address to go to.
    void wifiAddressOutsideStoredOrder_data()
    {
        QTest::addColumn<QVariant>("address");
        QTest::addColumn<QVariant>("network");
        QTest::addColumn<QString>("expectAddress");
        QTest::addColumn<bool>("expectNetwork");
        QTest::newRow("address, network")
            << QVariant(QStringLiteral("10.0.0.5:35000")) << QVariant(1) << QStringLiteral("10.0.0.5:35000") << true;
        QTest::newRow("address kept, serial chosen")
            << QVariant(QStringLiteral("10.0.0.5:35000")) << QVariant(0) << QStringLiteral("10.0.0.5:35000") << false;
        QTest::newRow("network without address") << QVariant() << QVariant(1) << QString() << false;
        QTest::newRow("network not a number")
            << QVariant(QStringLiteral("10.0.0.5:35000")) << QVariant(QStringLiteral("yes"))
            << QStringLiteral("10.0.0.5:35000") << false;
    }
    void wifiAddressOutsideStoredOrder()
    {
        QFETCH(QVariant, address);
        QFETCH(QVariant, network);
        {
            auto s = store();
            if (address.isValid()) s->setValue(QStringLiteral("ElmAddress"), address);
            s->setValue(QStringLiteral("ElmNetwork"), network);
        }
        Preferences p;
        p.read(*store());  // no "Comm": the stored order ends at once
        QTEST(p.elmAddress, "expectAddress");
        QTEST(p.elmOverNetwork, "expectNetwork");
        QCOMPARE(p.comm, 1);
    }

    void maximisedWindowKeepsStoredBounds()
    {
        {
            auto s = store();
            writeFull(*s);
            Preferences p;
            p.read(*s);
            p.bounds = QRect(0, 0, 1920, 1080);
            p.windowState = 2;
            p.write(*s, false);
        }
        Preferences p;
        p.read(*store());
        QCOMPARE(p.bounds, QRect(30, 20, 800, 600));
        QCOMPARE(p.windowState, 2);
    }

    void developerModeOnlyForOne_data()
    {
        QTest::addColumn<QVariant>("dev");
        QTest::addColumn<bool>("on");
        QTest::newRow("absent") << QVariant() << false;
        QTest::newRow("1") << QVariant(1) << true;
        QTest::newRow("2") << QVariant(2) << false;
        QTest::newRow("text") << QVariant(QStringLiteral("yes")) << false;
    }
    void developerModeOnlyForOne()
    {
        QFETCH(QVariant, dev);
        auto s = store();
        if (dev.isValid()) s->setValue(QStringLiteral("Dev"), dev);
        QTEST(Preferences::developerMode(*s), "on");
    }

    void machineIdentityFromMachineId_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<uint>("id");
        QTest::newRow("machine-id") << QByteArray("4c4c4544004a3510804bb4c04f4e4e33\n") << 0x4c4c4544u;
        QTest::newRow("short") << QByteArray("abc") << 0u;
        QTest::newRow("not hex") << QByteArray("zzzzzzzz00") << 0u;
        QTest::newRow("empty") << QByteArray() << 0u;
    }
    void machineIdentityFromMachineId()
    {
        QFETCH(QByteArray, text);
        QTEST(uint(Platform::MachineIdentityFromText(text)), "id");
    }
};

QTEST_GUILESS_MAIN(TstPreferences)
#include "tst_preferences.moc"
