// The OBD reader's task loop, tick by tick, against scripted adapter replies on the loopback line.
#include <QtTest/QtTest>

#include <functional>

#include "link/LoopbackBackend.h"
#include "link/Tsterownik.h"
#include "obd/Telmobd.h"

namespace {

// The far end of the line: answers each command the reader writes with the handler's text, echoed
// while echo is on and followed by the prompt. A handler that returns a null array stays silent.
class ScriptedAdapter {
public:
    using Handler = std::function<QByteArray(const QByteArray& command)>;

    explicit ScriptedAdapter(TObd& obd) : obd_(obd)
    {
        auto backend = std::make_unique<LoopbackBackend>();
        line = backend.get();
        obd_.setBackend(std::move(backend));
        obd_.timer()->stop();
    }

    // A CAN car (protocol 6) with one engine computer 7E8 and a transmission computer 7E9.
    static QByteArray canCar(const QByteArray& c)
    {
        if (c == "ATZ") return "\rELM327 v1.5";
        if (c == "ATRV") return "12.6V";
        if (c == "ATDPN") return "6";
        if (c.startsWith("AT")) return "OK";
        if (c == "0100" || c == "01001") return "7E8 06 41 00 BE 1F B8 11 00 \r7E9 06 41 00 80 08 00 00 00 ";
        if (c == "0101") return "7E8 06 41 01 82 07 65 04 00 ";
        if (c == "0120") return "7E8 06 41 20 80 00 00 00 00 ";  // only 21
        if (c == "0103") return "7E8 04 41 03 02 00 00 00 00 ";
        if (c == "0106") return "7E8 03 41 06 7E 00 00 00 00 ";
        if (c == "0107") return "7E8 03 41 07 85 00 00 00 00 ";
        if (c == "0108" || c == "0109") return "NO DATA";
        if (c == "010C") return "7E8 04 41 0C 1A F8 00 00 00 ";
        if (c == "03") return "7E8 06 43 02 01 71 03 00 00 ";
        if (c == "07") return "7E8 02 47 00 00 00 00 00 00 ";
        if (c == "0A") return "7E8 04 4A 01 01 71 00 00 00 ";
        if (c == "04") return "7E8 01 44 00 00 00 00 00 00 ";
        return "NO DATA";
    }

    // Answers whatever the reader has written since the last call.
    void serve()
    {
        pending_ += line->tx;
        line->tx.clear();
        qsizetype cr;
        while ((cr = pending_.indexOf('\r')) >= 0) {
            const QByteArray command = pending_.left(cr);
            pending_.remove(0, cr + 1);
            commands << command;
            QByteArray answer = handler(command);
            if (answer.isNull()) continue;
            QByteArray bytes = echo ? command + "\r" : QByteArray();
            bytes += answer + "\r\r>";
            if (command == "ATE0") echo = false;
            if (command == "ATE1" || command == "ATZ") echo = true;
            line->rx += bytes;
        }
    }

    // One tick of the reader, then the adapter answers.
    void tick()
    {
        obd_.OnTimer1();
        serve();
    }

    // Ticks until `done` holds; false when it did not within `limit` ticks.
    bool runUntil(const std::function<bool()>& done, int limit = 2000)
    {
        for (int i = 0; i < limit; ++i) {
            if (done()) return true;
            tick();
        }
        return done();
    }

    int ticksUntil(const std::function<bool()>& done, int limit = 2000)
    {
        for (int i = 0; i < limit; ++i) {
            if (done()) return i;
            tick();
        }
        return -1;
    }

    int countOf(const QByteArray& command) const { return static_cast<int>(commands.count(command)); }

    LoopbackBackend* line = nullptr;
    Handler handler = canCar;
    QList<QByteArray> commands;
    bool echo = true;

private:
    TObd& obd_;
    QByteArray pending_;
};

// The commands of a full initialisation on the CAN car above.
const QList<QByteArray> kCanInitialisation = {
    "ATZ",  "ATE1", "ATL0",  "ATCAF1", "ATH1", "ATM0", "ATRV", "ATTP6", "0100", "ATDPN", "ATM1", "ATST32", "ATAL",
    "ATE0", "ATH1", "01001", "0100",   "0101", "0120", "0103", "0106",  "0107", "0108",  "0109", "ATRV"};

}  // namespace

class TestObdLoop : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initialisationOnCanCar();
    void protocolSearchUntilKwpAnswers();
    void everyProtocolRefused();
    void silentAdapterTimesOut();
    void refusedSetupCommandWaitsAndRestarts();
    void errorReplyDuringDiscoveryRestarts();
    void eleventhPidFailureRestartsSearch();
    void onlySupportedSelectedPidsArePolled();
    void slowProtocolsPauseBetweenRequests();
    void readAndClearCodes();
    void requestDuringInitialisation_data();
    void requestDuringInitialisation();
    void replyAssembledAcrossTicks();
    void fullBufferWithoutPromptIsDropped();
    void staleBytesDoNotPrefixTheNextReply();
    void reopeningRestartsTheLoop();
    void lostPortFallsBackToIdle();
    void pidToggling();
};

void TestObdLoop::initialisationOnCanCar()
{
    TObd obd;
    TSterownik link;
    obd.sterownik = &link;
    obd.locale = QLocale::c();
    ScriptedAdapter elm(obd);
    QList<QList<int>> events;
    obd.OnZdarzenie = [&](int kind, int code, int value, int length) {
        events << QList<int>{kind, code, value, length};
    };
    QStringList log;
    obd.OnTekst = [&](QObject* sender, const QString& text, TColor) {
        QCOMPARE(sender, &obd);
        log << text;
    };

    obd.OnTimer0();
    QVERIFY(obd.PortOpen(385));
    QVERIFY(elm.runUntil([&] { return obd.state == 1000; }));

    QCOMPARE(elm.commands, kCanInitialisation);
    QCOMPARE(obd.panels.status[ObdPanels::RowPort], QStringLiteral("COMM 385"));
    QCOMPARE(obd.panels.status[ObdPanels::RowElm], QStringLiteral("ELM327 v1.5"));
    QCOMPARE(obd.panels.status[ObdPanels::RowPwr], QStringLiteral("12.6V"));
    QCOMPARE(obd.panels.status[ObdPanels::RowObd], QStringLiteral("CAN (11 bit ID, 500 kb)"));
    QCOMPARE(obd.panels.status[ObdPanels::RowEcu], QStringLiteral("7E8h 7E9h "));
    QCOMPARE(obd.panels.status[ObdPanels::RowDtc], QStringLiteral("2"));
    QCOMPARE(obd.panels.status[ObdPanels::RowMil], QStringLiteral("zapalony"));
    QCOMPARE(obd.primaryEcu, 0x7E8);
    QCOMPARE(obd.protocol, 6);
    QCOMPARE(events, (QList<QList<int>>{{100, 100, 0, -1}, {100, 100, 1, 0}, {100, 100, 0, 6}}));
    QVERIFY(log.contains(QStringLiteral("2) połączono385")));
    QVERIFY(log.contains(QStringLiteral("ISO 15765-4 CAN (11 bit ID, 500 Kbaud)")));
    QVERIFY(log.contains(QStringLiteral("ECU: 7E8h")));

    // Start-up reads: the fuel system and trims that answered reach the controller link; the two
    // bank 2 trims said NO DATA and are not marked supported.
    QCOMPARE(link.mem.obdStatus[5], uint8_t(0x02));
    QCOMPARE(link.mem.obdStatus[7], uint8_t(0x7E));
    QCOMPARE(link.mem.obdStatus[8], uint8_t(0x85));
    QCOMPARE(link.commandPending(TSterownik::CmdLiveWithObd), true);
    QVERIFY(obd.pidy[0x21].supported);
    QVERIFY(!obd.pidy[0x08].supported && !obd.pidy[0x09].supported);
    // The grid was rebuilt after the start-up reads: marks follow support, values are empty.
    QCOMPARE(obd.PidMark(0x03), QStringLiteral("on"));
    QCOMPARE(obd.PidMark(0x0C), QStringLiteral("off"));
    QCOMPARE(obd.PidMark(0x08), QStringLiteral("x"));
    QVERIFY(obd.panels.pidValues[0x06].isEmpty());

    // Polling: the selected supported PIDs in turn, one every second tick on CAN.
    elm.commands.clear();
    for (int i = 0; i < 12; ++i) elm.tick();
    QCOMPARE(elm.commands, (QList<QByteArray>{"0103", "0106", "0107", "0103", "0106", "0107"}));
    QCOMPARE(obd.panels.pidValues[0x03], QStringLiteral("CL"));
    QCOMPARE(obd.panels.pidValues[0x06], QStringLiteral("-1.6[%]"));
}

void TestObdLoop::protocolSearchUntilKwpAnswers()
{
    // A KWP car behind an adapter that reports its automatic search: "A5".
    TObd obd;
    ScriptedAdapter elm(obd);
    int tried = 0;
    elm.handler = [&](const QByteArray& c) -> QByteArray {
        if (c.startsWith("ATTP")) tried = c.mid(4).toInt();
        if (c == "ATDPN") return "A5";
        if (c == "0100" && tried != 5) return tried >= 3 ? "BUS INIT: ...ERROR" : "CAN ERROR";
        if (c == "0100" || c == "01001") return "86 F1 10 41 00 BE 1F B8 10 93 ";
        if (c == "0103") return "84 F1 10 41 03 02 00 CB ";
        return ScriptedAdapter::canCar(c);
    };
    QList<int> protocols;
    obd.OnZdarzenie = [&](int, int, int, int length) { protocols << length; };
    obd.PortOpen(385);
    QVERIFY(elm.runUntil([&] { return obd.state == 1000; }));
    QStringList tries;
    for (const QByteArray& c : elm.commands)
        if (c.startsWith("ATTP")) tries << QString::fromLatin1(c);
    QCOMPARE(tries, (QStringList{"ATTP6", "ATTP7", "ATTP2", "ATTP1", "ATTP3", "ATTP4", "ATTP5"}));
    QCOMPARE(obd.protocol, 5);
    QCOMPARE(protocols.last(), 5);
    QCOMPARE(obd.panels.status[ObdPanels::RowObd], QStringLiteral("ISO 14230-4 (KWP fast init)"));
    QCOMPARE(obd.panels.status[ObdPanels::RowEcu], QStringLiteral("10h "));
    QCOMPARE(obd.primaryEcu, 0x10);
    QVERIFY(obd.pidy[0x03].supported);
}

void TestObdLoop::everyProtocolRefused()
{
    TObd obd;
    ScriptedAdapter elm(obd);
    elm.handler = [](const QByteArray& c) -> QByteArray {
        return c == "0100" ? QByteArray("NO DATA") : ScriptedAdapter::canCar(c);
    };
    obd.PortOpen(385);
    QVERIFY(elm.runUntil([&] { return obd.state == 224; }));
    QCOMPARE(elm.countOf("0100"), 11);
    QCOMPARE(obd.panels.status[ObdPanels::RowObd], QStringLiteral("brak protokołu"));
    QCOMPARE(elm.commands.last(), QByteArray("ATM1"));
    QVERIFY(elm.runUntil([&] { return elm.countOf("ATZ") == 3; }));
    // The last try's 0100 was followed by ATM1 then ATZ, then a new search from state 3.
    const int ttp = static_cast<int>(elm.commands.lastIndexOf("ATTP9"));
    QCOMPARE(elm.commands.mid(ttp, 5), (QList<QByteArray>{"ATTP9", "0100", "ATM1", "ATZ", "ATZ"}));
}

void TestObdLoop::silentAdapterTimesOut()
{
    TObd obd;
    ScriptedAdapter elm(obd);
    elm.handler = [](const QByteArray&) { return QByteArray(); };
    QStringList errors;
    obd.OnTekst = [&](QObject*, const QString& text, TColor colour) {
        if (colour == TObd::kErrorColour) errors << text;
    };
    obd.PortOpen(385);
    QVERIFY(elm.runUntil([&] { return elm.countOf("ATZ") == 1; }));
    // 3000 ms for the reply, 5000 ms of pause, then the adapter search again from state 3.
    const int ticks = elm.ticksUntil([&] { return elm.countOf("ATZ") == 2; });
    QCOMPARE(ticks, 30 + 1 + 1 + 50 + 1 + 2 + 1);
    QCOMPARE(errors, QStringList{QStringLiteral("Przekroczenie czasu")});
    QCOMPARE(obd.panels.status[ObdPanels::RowElm], QStringLiteral("szukanie interfejsu"));
    QCOMPARE(elm.commands, (QList<QByteArray>{"ATZ", "ATZ"}));
}

void TestObdLoop::refusedSetupCommandWaitsAndRestarts()
{
    TObd obd;
    ScriptedAdapter elm(obd);
    elm.handler = [](const QByteArray& c) -> QByteArray {
        return c == "ATCAF1" ? QByteArray("?") : ScriptedAdapter::canCar(c);
    };
    obd.PortOpen(385);
    QVERIFY(elm.runUntil([&] { return elm.countOf("ATZ") == 2; }));
    QCOMPARE(elm.commands, (QList<QByteArray>{"ATZ", "ATE1", "ATL0", "ATCAF1", "ATZ"}));
}

void TestObdLoop::errorReplyDuringDiscoveryRestarts()
{
    TObd obd;
    ScriptedAdapter elm(obd);
    int requests = 0;
    elm.handler = [&](const QByteArray& c) -> QByteArray {
        // The try's 0100 answers; the discovery's 0100 after ATE0 does not.
        if (c == "0100" && ++requests == 2) return "NO DATA";
        return ScriptedAdapter::canCar(c);
    };
    obd.PortOpen(385);
    QVERIFY(elm.runUntil([&] { return elm.countOf("ATZ") == 2; }));
    const int second = static_cast<int>(elm.commands.lastIndexOf("ATZ"));
    QCOMPARE(elm.commands.mid(second - 3, 3), (QList<QByteArray>{"ATH1", "01001", "0100"}));
    // Straight to the adapter reset: no 5 s pause, no PORT/ELM restart.
    QVERIFY(obd.panels.status[ObdPanels::RowEcu].isEmpty());
    QVERIFY(elm.runUntil([&] { return obd.state == 1000; }));
}

void TestObdLoop::eleventhPidFailureRestartsSearch()
{
    TObd obd;
    ScriptedAdapter elm(obd);
    bool broken = false;
    elm.handler = [&](const QByteArray& c) -> QByteArray {
        if (broken && c.startsWith("01")) return "NO DATA";
        return ScriptedAdapter::canCar(c);
    };
    obd.PortOpen(385);
    QVERIFY(elm.runUntil([&] { return obd.state == 1000; }));
    broken = true;
    elm.commands.clear();
    QVERIFY(elm.runUntil([&] { return obd.state == 3; }));
    QCOMPARE(elm.commands.size(), 11);
    QCOMPARE(obd.pidFailures, 0);
    // Ten failures then a success start the count again.
    broken = false;
    QVERIFY(elm.runUntil([&] { return obd.state == 1000; }));
    broken = true;
    QVERIFY(elm.runUntil([&] { return obd.pidFailures == 10; }));
    broken = false;
    QVERIFY(elm.runUntil([&] { return obd.pidFailures == 0; }));
    QCOMPARE(obd.state == 1000 || obd.state == 1001, true);
}

void TestObdLoop::onlySupportedSelectedPidsArePolled()
{
    TObd obd;
    ScriptedAdapter elm(obd);
    obd.PortOpen(385);
    QVERIFY(elm.runUntil([&] { return obd.state == 1000; }));
    for (auto& p : obd.pidy) p.selected = false;
    obd.pidy[0x0C].selected = true;  // one PID: requested on every cycle
    elm.commands.clear();
    for (int i = 0; i < 8; ++i) elm.tick();
    QCOMPARE(elm.commands, QList<QByteArray>(4, "010C"));
    QCOMPARE(obd.panels.pidValues[0x0C], QStringLiteral("1726[rpm]"));
    // Nothing selected: nothing is sent, and the last reply is not decoded again as if it were
    // new; eleven empty rounds restart the search.
    TSterownik link;
    obd.sterownik = &link;
    obd.pidy[0x0C].selected = false;
    obd.panels.pidValues[0x0C].clear();
    elm.commands.clear();
    QVERIFY(elm.runUntil([&] { return obd.state == 3; }, 40));
    QVERIFY(elm.commands.isEmpty());
    QVERIFY(obd.panels.pidValues[0x0C].isEmpty());
    QCOMPARE(link.commandPending(TSterownik::CmdLiveWithObd), false);
}

void TestObdLoop::slowProtocolsPauseBetweenRequests()
{
    TObd obd;
    ScriptedAdapter elm(obd);
    obd.PortOpen(385);
    QVERIFY(elm.runUntil([&] { return obd.state == 1000; }));
    // Ticks from one request to the next: CAN asks as soon as the reply is decoded, the older
    // buses (below 6) wait 200 ms first.
    auto period = [&] {
        elm.commands.clear();
        elm.ticksUntil([&] { return elm.commands.size() == 1; });
        return elm.ticksUntil([&] { return elm.commands.size() == 2; });
    };
    QCOMPARE(period(), 2);
    obd.protocol = 3;
    obd.primaryEcu = 0x10;
    elm.handler = [](const QByteArray& c) -> QByteArray { return "48 6B 10 41 " + c.mid(2) + " 00 00 00 00 "; };
    QCOMPARE(period(), 4);
    QCOMPARE(obd.pidFailures, 0);
}

void TestObdLoop::readAndClearCodes()
{
    TObd obd;
    ScriptedAdapter elm(obd);
    obd.PortOpen(385);
    QVERIFY(elm.runUntil([&] { return obd.state == 1000; }));
    obd.panels.codeBox.append({QStringLiteral("old"), 0, true});
    elm.commands.clear();
    obd.WcisnietoPrzycisk(3);
    QVERIFY(elm.runUntil([&] { return obd.state == 1000; }));
    QCOMPARE(elm.commands.mid(elm.commands.indexOf("03")), (QList<QByteArray>{"03", "07", "0A"}));
    QStringList shown;
    for (const auto& line : obd.panels.codeBox)
        if (!line.defaultColour) shown << line.text;
    QCOMPARE(shown, (QStringList{
                        QStringLiteral("\tStored Trouble Codes  /  Błędy zarejestrowane :"), QStringLiteral("P0171"),
                        QStringLiteral("P0300"), QStringLiteral("\tPending Trouble Codes  /  Błędy oczekujące :"),
                        QStringLiteral("\tPermanent Trouble Codes  /  Błędy permanentne :"), QStringLiteral("P0171")}));

    // Clearing is followed by the status (code count and MIL) and the codes read again, so the box
    // shows what is left instead of what was there before; then polling goes on.
    obd.panels.codeBox.append({QStringLiteral("before the clear"), 0, true});
    elm.commands.clear();
    obd.WcisnietoPrzycisk(4);
    QVERIFY(elm.runUntil([&] { return elm.commands.size() >= 6; }));
    const QList<QByteArray> afterClear = elm.commands.mid(0, 5);
    QCOMPARE(afterClear, (QList<QByteArray>{"04", "0101", "03", "07", "0A"}));
    QVERIFY(elm.commands[5].startsWith("01"));  // back to polling
    for (const auto& line : obd.panels.codeBox) QVERIFY(line.text != QStringLiteral("before the clear"));

    obd.WcisnietoPrzycisk(7);  // not a request
    QVERIFY(obd.state == 1000 || obd.state == 1001);
}

void TestObdLoop::requestDuringInitialisation_data()
{
    QTest::addColumn<int>("atState");
    QTest::addColumn<int>("button");
    QTest::addColumn<QList<QByteArray>>("commands");  // sent after the request, up to the first poll
    QTest::newRow("read during the start-up reads") << 402 << 3 << QList<QByteArray>{"03", "07", "0A", "0106"};
    QTest::newRow("read during the adapter set-up") << 104 << 3 << QList<QByteArray>{"03", "07", "0A"};
    QTest::newRow("clear during discovery") << 303 << 4 << QList<QByteArray>{"04"};
    QTest::newRow("restart during polling") << 1001 << 0 << QList<QByteArray>{"ATZ", "ATE1"};
}

void TestObdLoop::requestDuringInitialisation()
{
    QFETCH(int, atState);
    QFETCH(int, button);
    QFETCH(QList<QByteArray>, commands);
    TObd obd;
    ScriptedAdapter elm(obd);
    obd.PortOpen(385);
    QVERIFY(elm.runUntil([&] { return obd.state == atState; }));
    QVERIFY(obd.awaitingReply);
    obd.WcisnietoPrzycisk(button);
    elm.commands.clear();
    // The request waits for the outstanding reply, which is then not read by the request's states.
    QVERIFY(elm.runUntil([&] { return elm.commands.size() == commands.size(); }));
    QCOMPARE(elm.commands, commands);
    if (button == 3) {
        // The codes are read with the protocol known so far: none yet during the adapter set-up.
        QVERIFY(elm.runUntil([&] { return obd.state == 1000 || obd.state == 1001; }));
        QCOMPARE(obd.panels.codeBox.isEmpty(), atState < 300);
        if (atState == 402) {
            QCOMPARE(obd.panels.codeBox.value(1).text, QStringLiteral("P0171"));
            QCOMPARE(obd.panels.pidValues[0x03], QStringLiteral("CL"));
            QVERIFY(obd.panels.pidValues[0x06].isEmpty());  // the reply to 0106 was not decoded
        }
    }
    if (button == 4) QVERIFY(elm.runUntil([&] { return obd.state == 1001; }));
}

void TestObdLoop::replyAssembledAcrossTicks()
{
    TObd obd;
    ScriptedAdapter elm(obd);
    elm.handler = [](const QByteArray&) { return QByteArray(); };
    obd.PortOpen(385);
    QVERIFY(elm.runUntil([&] { return obd.state == 101; }));
    elm.line->rx += "ATZ\r\rELM3";
    elm.tick();
    QVERIFY(obd.awaitingReply);
    elm.line->rx += "27 v2.1\r\r";
    elm.tick();
    QVERIFY(obd.awaitingReply);
    elm.line->rx += ">";
    elm.tick();  // the prompt completes the reply, and the step that follows reads it at once
    QCOMPARE(obd.state, 102);
    QCOMPARE(obd.panels.status[ObdPanels::RowElm], QStringLiteral("ELM327 v2.1"));
    QCOMPARE(elm.commands.last(), QByteArray("ATE1"));

    // A reply of exactly the buffer's size completes.
    elm.line->rx += "OK" + QByteArray(TObd::kRxSize - 3, ' ') + ">";
    elm.tick();
    QCOMPARE(obd.state, 103);
    QCOMPARE(elm.commands.last(), QByteArray("ATL0"));
}

void TestObdLoop::fullBufferWithoutPromptIsDropped()
{
    TObd obd;
    ScriptedAdapter elm(obd);
    elm.handler = [](const QByteArray&) { return QByteArray(); };
    QStringList errors;
    obd.OnTekst = [&](QObject*, const QString& text, TColor colour) {
        if (colour == TObd::kErrorColour) errors << text;
    };
    obd.PortOpen(385);
    QVERIFY(elm.runUntil([&] { return obd.state == 101; }));
    elm.line->rx += QByteArray(TObd::kRxSize + 200, 'x');  // an adapter babbling without a prompt
    elm.tick();
    elm.tick();
    QCOMPARE(obd.rxCount, 200);
    QCOMPARE(errors.size(), 1);
    // The reader still hears the real reply that follows.
    elm.line->rx += "\rELM327 v1.5\r\r>";
    elm.tick();
    QCOMPARE(obd.state, 102);
    QCOMPARE(obd.panels.status[ObdPanels::RowElm], QStringLiteral("ELM327 v1.5"));
}

void TestObdLoop::staleBytesDoNotPrefixTheNextReply()
{
    TObd obd;
    ScriptedAdapter elm(obd);
    elm.handler = [](const QByteArray& c) -> QByteArray {
        return c == "ATE1" ? QByteArray() : ScriptedAdapter::canCar(c);  // ATE1 gets no prompt
    };
    QStringList received;
    obd.OnTekst = [&](QObject*, const QString& text, TColor colour) {
        if (colour == TObd::kReceivedColour) received << text;
    };
    obd.PortOpen(385);
    QVERIFY(elm.runUntil([&] { return obd.state == 102 && obd.awaitingReply; }));
    elm.line->rx += "ATE1\rOK\r";                               // a reply cut short: no prompt
    QVERIFY(elm.runUntil([&] { return !obd.awaitingReply; }));  // the time-out
    QVERIFY(obd.reply.isEmpty());
    QVERIFY(obd.rxCount > 0);
    // An empty reply has no "OK": back to state 3 after the pause. The bytes left from the cut
    // reply are dropped when ATZ is sent, so its reply starts clean.
    received.clear();
    QVERIFY(elm.runUntil([&] { return elm.countOf("ATZ") == 2 && obd.state == 102; }));
    QCOMPARE(received, QStringList{QStringLiteral("ATZ..ELM327 v1.5..>")});
}

void TestObdLoop::reopeningRestartsTheLoop()
{
    TObd obd;
    ScriptedAdapter elm(obd);
    obd.PortOpen(385);
    QVERIFY(elm.runUntil([&] { return obd.state == 1001; }));
    obd.PortOpen(-1);
    elm.tick();
    QCOMPARE(obd.state, 3);
    QCOMPARE(obd.panels.status[ObdPanels::RowPort], QStringLiteral("COMM 385"));
    QVERIFY(obd.panels.status[ObdPanels::RowElm].isEmpty());
    QVERIFY(elm.runUntil([&] { return obd.state == 1000; }));
}

void TestObdLoop::lostPortFallsBackToIdle()
{
    TObd obd;
    ScriptedAdapter elm(obd);
    QList<int> states;
    obd.OnZdarzenie = [&](int, int, int, int length) { states << length; };
    obd.PortOpen(385);
    elm.tick();  // state 2: connected, 500 ms pause
    QCOMPARE(obd.state, 3);
    elm.line->vanish();
    QVERIFY(elm.runUntil([&] { return obd.state == 0; }));
    QCOMPARE(obd.panels.status[ObdPanels::RowPort], QStringLiteral("brak połączenia"));
    QCOMPARE(states, QList<int>{-1});
    for (int i = 0; i < 100; ++i) elm.tick();
    QVERIFY(elm.commands.isEmpty());
}

void TestObdLoop::pidToggling()
{
    TObd obd;
    ScriptedAdapter elm(obd);
    obd.PortOpen(385);
    QVERIFY(elm.runUntil([&] { return obd.state == 1000; }));
    for (int i = 0; i < 6; ++i) elm.tick();
    QVERIFY(!obd.panels.pidValues[0x03].isEmpty());
    // An unsupported entry keeps its selection; the rebuild empties the values all the same.
    obd.PrzelaczPid(0x08);
    QVERIFY(obd.pidy[0x08].selected);
    QVERIFY(obd.panels.pidValues[0x03].isEmpty());
    // A supported one joins the cycle from the next request on.
    obd.PrzelaczPid(0x0C);
    QCOMPARE(obd.PidMark(0x0C), QStringLiteral("on"));
    elm.commands.clear();
    for (int i = 0; i < 8; ++i) elm.tick();
    QVERIFY(elm.commands.contains("010C"));
    obd.PrzelaczPid(0x0C);
    QCOMPARE(obd.PidMark(0x0C), QStringLiteral("off"));
}

QTEST_GUILESS_MAIN(TestObdLoop)
#include "tst_obdloop.moc"
