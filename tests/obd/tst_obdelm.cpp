// The OBD reader over a real pseudo-terminal against the ELM327 simulator: discovery, PID polling,
// reading and clearing trouble codes, on CAN and KWP cars and on misbehaving adapters.
#include <QtTest/QtTest>

#include <QtCore/QElapsedTimer>
#include <QtCore/QThread>

#include "base/OwnTexts.h"
#include "link/PortNames.h"
#include "link/Tsterownik.h"
#include "obd/Telmobd.h"
#include "sim/elm/ElmSimulator.h"

namespace {

// The reader and a simulated adapter on one pseudo-terminal; time is driven by the reader's tick.
class Bench {
public:
    explicit Bench(const QStringList& options)
    {
        QString error;
        // The reader's ticks are the test's: the answers come at once.
        configured = sim.configure(options + QStringList{QStringLiteral("--no-wire-timing")}, error);
        opened = configured && sim.open();
        obd.timer()->stop();
        obd.sterownik = &link;
        link.timer()->stop();
        obd.locale = QLocale::c();
        obd.OnTekst = [this](QObject*, const QString& text, TColor colour) {
            if (colour == TObd::kErrorColour) errors << text;
        };
        if (opened) portOpened = obd.PortOpen(PortNames::numberForDevice(sim.devicePath()));
    }

    // One tick of the reader; then the adapter answers. The kernel hands bytes between the two
    // sides of a pseudo-terminal asynchronously, so each side waits (in real time, a few
    // milliseconds at most) until what the other just wrote has arrived: a busy machine must not
    // turn into time-outs in the reader's simulated time.
    void tick()
    {
        const int sent = obd.sentCount;
        obd.OnTimer1();
        const bool justSent = obd.sentCount != sent;
        const qsizetype before = sim.received.size();
        QElapsedTimer clock;
        clock.start();
        int written = sim.poll();
        while (justSent && sim.received.size() == before && clock.elapsed() < 2000) {
            QThread::usleep(100);
            written += sim.poll();
        }
        clock.restart();
        while (written > 0 && obd.PortInQueCount() <= 0 && clock.elapsed() < 2000) QThread::usleep(100);
    }

    bool runUntil(const std::function<bool()>& done, int limit = 3000)
    {
        for (int i = 0; i < limit; ++i) {
            if (done()) return true;
            tick();
        }
        return done();
    }

    // The code box without descriptions, and the descriptions of one code.
    QStringList codes() const
    {
        QStringList shown;
        for (const auto& line : obd.panels.codeBox)
            if (!line.defaultColour) shown << line.text.trimmed();
        return shown;
    }
    QStringList descriptionsOf(const QString& code) const
    {
        QStringList found;
        bool after = false;
        for (const auto& line : obd.panels.codeBox) {
            if (!line.defaultColour) after = line.text == code;
            else if (after) found << line.text;
        }
        return found;
    }

    void readCodes()
    {
        obd.WcisnietoPrzycisk(3);
        QVERIFY(runUntil([&] { return obd.state == 3000; }));
        QVERIFY(runUntil([&] { return obd.state == 1000 || obd.state == 1001; }));
    }

    ElmSimulator sim;
    TSterownik link;
    TObd obd;
    QStringList errors;
    bool configured = false;
    bool opened = false;
    bool portOpened = false;
};

const QString kStored = QStringLiteral("Stored Trouble Codes  /  Błędy zarejestrowane :");
const QString kPending = QStringLiteral("Pending Trouble Codes  /  Błędy oczekujące :");
const QString kPermanent = QStringLiteral("Permanent Trouble Codes  /  Błędy permanentne :");

}  // namespace

class TestObdElm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void discovery_data();
    void discovery();
    void canCarPollsReadsAndClears();
    void kwpCarReadsAndClears();
    void codesWithoutTableEntryAreDescribed_data();
    void codesWithoutTableEntryAreDescribed();
    void splitRepliesAndAutomaticSearch();
    void adapterWithoutCar();
    void adapterThatStopsAnswering();
};

void TestObdElm::discovery_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("protocolRow");
    QTest::addColumn<QString>("ecuRow");
    QTest::addColumn<int>("primary");
    QTest::newRow("CAN 11 bit") << QStringList{} << "CAN (11 bit ID, 500 kb)"
                                << "7E8h 7E9h " << 0x7E8;
    QTest::newRow("CAN 29 bit") << QStringList{"--protocol", "7"} << "CAN (29 bit ID, 500 kb)"
                                << "10h 18h " << 0x10;
    QTest::newRow("CAN 11 bit 250k") << QStringList{"--protocol", "8"} << "CAN (11 bit ID, 250 kb)"
                                     << "7E8h 7E9h " << 0x7E8;
    QTest::newRow("J1850 PWM") << QStringList{"--protocol", "1"} << "SAE J1850 PWM"
                               << "10h 1Ah " << 0x10;
    QTest::newRow("ISO 9141") << QStringList{"--protocol", "3"} << "ISO 9141-2 (KL)"
                              << "10h 1Ah " << 0x10;
    QTest::newRow("KWP slow") << QStringList{"--protocol", "4"} << "ISO 14230-4 (KWP slow init)"
                              << "10h 1Ah " << 0x10;
    // The gearbox answers first, the engine (with the fuel trims) second: the engine is primary.
    QTest::newRow("trims decide the primary")
        << QStringList{"--ecu", "7E9:01,0D", "--ecu", "7EA:01,03,06,07,0C"} << "CAN (11 bit ID, 500 kb)"
        << "7E9h 7EAh " << 0x7EA;
}

void TestObdElm::discovery()
{
    QFETCH(QStringList, options);
    QFETCH(QString, protocolRow);
    QFETCH(QString, ecuRow);
    QFETCH(int, primary);
    Bench bench(options);
    QVERIFY(bench.portOpened);
    QVERIFY(bench.runUntil([&] { return bench.obd.state == 1000; }));
    const auto& status = bench.obd.panels.status;
    QCOMPARE(status[ObdPanels::RowElm], QStringLiteral("ELM327 v1.5"));
    QCOMPARE(status[ObdPanels::RowPwr], QStringLiteral("12.6V"));
    QCOMPARE(status[ObdPanels::RowObd], protocolRow);
    QCOMPARE(status[ObdPanels::RowEcu], ecuRow);
    QCOMPARE(bench.obd.primaryEcu, primary);
    QVERIFY(bench.obd.pidy[0x03].supported);
    QVERIFY(!bench.errors.contains(QStringLiteral("Przekroczenie czasu")));
}

void TestObdElm::canCarPollsReadsAndClears()
{
    Bench bench({});
    QVERIFY(bench.runUntil([&] { return bench.obd.state == 1000; }));
    TObd& obd = bench.obd;
    QCOMPARE(obd.panels.status[ObdPanels::RowDtc], QStringLiteral("3"));
    QCOMPARE(obd.panels.status[ObdPanels::RowMil], QStringLiteral("zapalony"));

    // Polling with engine speed and vehicle speed added to the fuel PIDs.
    obd.PrzelaczPid(0x0C);
    obd.PrzelaczPid(0x0D);
    QVERIFY(
        bench.runUntil([&] { return !obd.panels.pidValues[0x0C].isEmpty() && !obd.panels.pidValues[0x07].isEmpty(); }));
    QVERIFY(
        QRegularExpression(QStringLiteral("^\\d+(\\.\\d+)?\\[rpm\\]$")).match(obd.panels.pidValues[0x0C]).hasMatch());
    QCOMPARE(obd.panels.pidValues[0x03], QStringLiteral("CL"));
    QCOMPARE(obd.panels.pidValues[0x07], QStringLiteral("3.1[%]"));
    QVERIFY(obd.panels.pidValues[0x05].isEmpty());  // supported, not selected
    // The fuel system and the trims reach the controller link's OBD snapshot.
    const auto& snapshot = bench.link.mem.obdStatus;
    QCOMPARE(snapshot[5], uint8_t(0x02));
    QCOMPARE(snapshot[8], uint8_t(0x84));
    QCOMPARE(snapshot[10], uint8_t(0x7C));
    QVERIFY(snapshot[7] != 0 && snapshot[9] != 0);
    QCOMPARE(bench.link.commandPending(TSterownik::CmdLiveWithObd), true);

    bench.readCodes();
    QCOMPARE(bench.codes(), (QStringList{kStored, "P0171", "P0300", "P0420", kPending, "P0133", kPermanent, "P0420"}));
    QCOMPARE(bench.descriptionsOf(QStringLiteral("P0171")).value(0), QStringLiteral(" System Too Lean (Bank 1)"));
    QCOMPARE(bench.descriptionsOf(QStringLiteral("P0171")).size(), 2);  // English, then Polish

    QCOMPARE(obd.panels.status[ObdPanels::RowDtc], QStringLiteral("3"));
    obd.WcisnietoPrzycisk(4);
    QVERIFY(bench.runUntil([&] { return obd.state == 4001; }));
    // The clear is followed by the status and the codes read again, without another press.
    QVERIFY(bench.runUntil([&] { return obd.state == 3000; }));
    QVERIFY(bench.runUntil([&] { return obd.state == 1001; }));
    QCOMPARE(obd.panels.status[ObdPanels::RowDtc], QStringLiteral("0"));
    QCOMPARE(bench.codes(), (QStringList{kStored, kPending, kPermanent, "P0420"}));
    bench.readCodes();
    QCOMPARE(bench.codes(), (QStringList{kStored, kPending, kPermanent, "P0420"}));
    QVERIFY(!bench.errors.contains(QStringLiteral("Przekroczenie czasu")));
}

void TestObdElm::kwpCarReadsAndClears()
{
    Bench bench({"--protocol", "5", "--stored", "P0171,P0300,P0420,P2097", "--pending", "1A=P0700"});
    QVERIFY(bench.runUntil([&] { return bench.obd.state == 1000; }));
    TObd& obd = bench.obd;
    QCOMPARE(obd.panels.status[ObdPanels::RowObd], QStringLiteral("ISO 14230-4 (KWP fast init)"));
    QCOMPARE(obd.panels.status[ObdPanels::RowDtc], QStringLiteral("4"));
    QVERIFY(bench.runUntil([&] { return !obd.panels.pidValues[0x06].isEmpty(); }));
    QCOMPARE(bench.link.mem.obdStatus[8], uint8_t(0x84));

    bench.readCodes();
    // Four codes in two KWP lines; the gearbox's pending code is not the engine's.
    QCOMPARE(bench.codes(),
             (QStringList{kStored, "P0171", "P0300", "P0420", "P2097", kPending, "P0133", kPermanent, "P0420"}));
    QCOMPARE(bench.descriptionsOf(QStringLiteral("P2097")).value(0),
             QStringLiteral(" Post Catalyst Fuel Trim System Too Rich"));

    obd.WcisnietoPrzycisk(4);
    QVERIFY(bench.runUntil([&] { return obd.state == 4001; }));
    bench.readCodes();
    QCOMPARE(bench.codes(), (QStringList{kStored, kPending, kPermanent, "P0420"}));
}

void TestObdElm::codesWithoutTableEntryAreDescribed_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("English") << int(TextTable::English);
    QTest::newRow("Polish") << int(TextTable::Polish);
    QTest::newRow("Russian") << int(TextTable::Russian);
    QTest::newRow("Spanish") << int(TextTable::Spanish);
}

// The car makers' own codes have no line in the generic tables: the code box says where their
// meaning is found, in the window's language, instead of leaving the code bare. A generic code the
// table lacks says that; a described code keeps its table lines only.
void TestObdElm::codesWithoutTableEntryAreDescribed()
{
    QFETCH(int, language);
    const int before = programLanguage();
    programLanguage() = language;
    Bench bench({"--stored", "P1234,B1001,U2100,U0001,P0171"});
    QVERIFY(bench.runUntil([&] { return bench.obd.state == 1000; }));
    bench.readCodes();
    programLanguage() = before;
    QCOMPARE(bench.codes().mid(0, 6), (QStringList{kStored, "P1234", "B1001", "U2100", "U0001", "P0171"}));
    const QString maker = ownTexts().text(OwnText::DtcManufacturerSpecific, language);
    const QString missing = ownTexts().text(OwnText::DtcNotInTable, language);
    QVERIFY(!maker.isEmpty() && !missing.isEmpty() && maker != missing);
    if (language == TextTable::English)
        QCOMPARE(maker, QStringLiteral("manufacturer-specific code: see the car maker's documentation"));
    for (const char* code : {"P1234", "B1001", "U2100"})
        QCOMPARE(bench.descriptionsOf(QLatin1String(code)), QStringList{maker});
    QCOMPARE(bench.descriptionsOf(QStringLiteral("U0001")), QStringList{missing});
    QCOMPARE(bench.descriptionsOf(QStringLiteral("P0171")).value(0), QStringLiteral(" System Too Lean (Bank 1)"));
    QCOMPARE(bench.descriptionsOf(QStringLiteral("P0171")).size(), 2);
}

void TestObdElm::splitRepliesAndAutomaticSearch()
{
    // Every answer in four pieces; an adapter that searches after a failed try and marks the
    // protocol it found with "A"; 29-bit CAN with enough codes for two consecutive frames.
    Bench bench({"--protocol", "9", "--auto-search", "--split", "4", "--stored",
                 "P0105,P0340,P1120,P0121,P0221,U0155,C0035,B0001,P0300"});
    QVERIFY(bench.runUntil([&] { return bench.obd.state == 1000; }));
    TObd& obd = bench.obd;
    QCOMPARE(obd.protocol, 9);
    QCOMPARE(obd.panels.status[ObdPanels::RowObd], QStringLiteral("CAN (29 bit ID, 250 kb)"));
    QVERIFY(bench.sim.received.contains("ATTP6\r"));
    QVERIFY(!bench.sim.received.contains("ATTP7\r"));  // the first try found the car
    bench.readCodes();
    QCOMPARE(bench.codes().mid(0, 10),
             (QStringList{kStored, "P0105", "P0340", "P1120", "P0121", "P0221", "U0155", "C0035", "B0001", "P0300"}));
    QVERIFY(!bench.errors.contains(QStringLiteral("Przekroczenie czasu")));
}

void TestObdElm::adapterWithoutCar()
{
    Bench bench({"--no-car"});
    QVERIFY(bench.runUntil([&] { return bench.obd.state == 1000; }));
    const auto& status = bench.obd.panels.status;
    QCOMPARE(status[ObdPanels::RowElm], QStringLiteral("ELM327 v1.5"));
    // The adapter answers, no engine computer does: no protocol, "?".
    QCOMPARE(status[ObdPanels::RowObd], QStringLiteral("?"));
    QVERIFY(status[ObdPanels::RowEcu].isEmpty());
    QVERIFY(bench.errors.contains(QStringLiteral("nieznany protokół")));
    // Nothing decodes: the eleventh failure starts the search again.
    QVERIFY(bench.runUntil([&] { return bench.obd.state == 3; }, 200));
}

void TestObdElm::adapterThatStopsAnswering()
{
    Bench bench({"--silent-after", "4"});
    QVERIFY(bench.runUntil([&] { return bench.obd.state == 105; }));
    // ATH1 gets no answer: a time-out, the pause, then the adapter search from the start.
    QVERIFY(bench.runUntil([&] { return bench.obd.state == 100; }));
    QCOMPARE(bench.errors, QStringList{QStringLiteral("Przekroczenie czasu")});
    QCOMPARE(bench.obd.panels.status[ObdPanels::RowElm], QStringLiteral("szukanie interfejsu"));
    QVERIFY(bench.runUntil([&] { return bench.obd.state == 3; }));
    QCOMPARE(bench.obd.panels.status[ObdPanels::RowElm], QStringLiteral("brak interfejsu"));
}

QTEST_GUILESS_MAIN(TestObdElm)
#include "tst_obdelm.moc"
