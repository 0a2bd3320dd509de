// The send-slot scheduler and the reply dispatcher, driven tick by tick on the in-memory line.
#include <QtTest/QTest>

#include <algorithm>
#include <functional>
#include <numeric>

#include "link/Regions.h"
#include "tests/link/LinkTestKit.h"

namespace {

QList<int> withoutLive(const QList<int>& commands)
{
    QList<int> out;
    for (int c : commands)
        if (c >= 0 && (c < 0x90 || c > 0x9F)) out.append(c);
    return out;
}

QString hexList(const QList<int>& commands)
{
    QStringList parts;
    for (int c : commands) parts.append(c < 0 ? QStringLiteral("--") : QString::number(c, 16).toUpper());
    return parts.join(QLatin1Char(' '));
}

// Data of a 128-byte live frame (frame bytes 6..127) with the given frame bytes set.
QByteArray liveData(std::initializer_list<std::pair<int, int>> bytes)
{
    QByteArray f(122, '\0');
    for (auto [at, v] : bytes) f[at - 6] = static_cast<char>(v);
    return f;
}

// The link and the simulated controller tick by tick on the in-memory line, the replies crossing
// it at `bytesPerTick` (96 is the line's 38400 baud: 25 ms / 0.26 ms a byte; 0 at once). Every
// frame sent and every reply taken is recorded with the tick it happened in.
struct TickRig : LinkRig {
    explicit TickRig(int bytesPerTick) : bytesPerTick(bytesPerTick)
    {
        link.OnZdarzenie = [this](int kind, int code, int, int) {
            if (kind == kEventFrameSent) sentAt.append({code, tick});
            if (kind == kEventFrameReceived) receivedAt.append({code, tick});
        };
    }

    void step()
    {
        ++tick;
        const qsizetype n = bytesPerTick > 0 ? std::min<qsizetype>(bytesPerTick, onTheLine.size()) : onTheLine.size();
        line->rx.append(onTheLine.left(n));
        onTheLine.remove(0, n);
        link.Timer1OnTimer();
        if (!line->tx.isEmpty()) onTheLine += sim.handle(line->tx);
        line->tx.clear();
    }
    bool runUntil(const std::function<bool()>& done, int limit = 1000)
    {
        for (int i = 0; i < limit && !done(); ++i) step();
        return done();
    }
    bool readComplete() const
    {
        return link.mem.identity[0] != 0 && link.readMask == 0 && link.linkMask == 0 && !link.bulkReading();
    }
    // Ticks between the live requests sent from tick `from` on.
    QList<int> liveGaps(int from) const
    {
        QList<int> gaps;
        int last = -1;
        for (const auto& [command, at] : sentAt) {
            if (at < from || command < 0x90 || command > 0x9F) continue;
            if (last >= 0) gaps.append(at - last);
            last = at;
        }
        return gaps;
    }
    bool receivedIn(int at) const
    {
        for (const auto& r : receivedAt)
            if (r.second == at) return true;
        return false;
    }

    ControllerSim sim;
    int bytesPerTick;
    int tick = 0;
    QByteArray onTheLine;                   // reply bytes not yet across
    QList<std::pair<int, int>> sentAt;      // command, tick
    QList<std::pair<int, int>> receivedAt;  // command, tick
};

QString gapList(const QList<int>& gaps)
{
    QStringList parts;
    for (int g : gaps) parts.append(QString::number(g));
    return parts.join(QLatin1Char(' '));
}

// Connected, identified and with nothing queued: every slot is a live request.
void idle(LinkRig& rig)
{
    rig.open();
    rig.link.Timer1OnTimer();  // consumes the fresh open
    rig.link.linkMask = 0;
    rig.link.readMask = 0;
}

}  // namespace

class TstScheduler : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void identificationBeforeAnyRead()
    {
        LinkRig rig;
        rig.link.CzytajZeSterownika(0x1);
        QVERIFY(rig.open());
        const QList<int> sent = rig.slots(6);
        QCOMPARE(hexList(sent), hexList(QList<int>(6, 0x81)));
        QCOMPARE(rig.eventsOf(kEventLinkStarted, 0), 1);
        QCOMPARE(rig.link.unanswered, 6);
    }

    void normalSequenceAfterIdentification()
    {
        LinkRig rig;
        ControllerSim sim;
        rig.far = &sim;
        QVERIFY(rig.open());
        QCOMPARE(rig.slot(), 0x81);  // answered by the simulator; the identity waits for a second reply
        QCOMPARE(rig.link.readMask, 0u);
        QCOMPARE(rig.link.mem.identity[38], uint8_t(0));
        QCOMPARE(rig.slot(), 0x81);  // the two replies agree: the identity is taken
        QCOMPARE(rig.link.readMask, 0xF3079Fu);

        const QList<int> sent = rig.slots(72);
        // Each region is read twice in a row: the second read confirms the first.
        QList<int> expected = {0x82};
        for (int c : {0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xA7, 0xA8, 0xA9, 0xAA})
            expected << c << c;
        QCOMPARE(hexList(withoutLive(sent)), hexList(expected));
        // Live requests go between the reads, never more than three reads apart; after the last
        // read nothing but live requests.
        int reads = 0;
        for (int c : sent) {
            reads = c >= 0x90 && c <= 0x9F ? 0 : reads + 1;
            QVERIFY2(reads <= 3, qPrintable(hexList(sent)));
        }
        const qsizetype last = sent.lastIndexOf(0xAA);
        QCOMPARE(hexList(sent.mid(last + 1)), hexList(QList<int>(sent.size() - last - 1, 0x90)));
        QCOMPARE(rig.link.readMask, 0u);
        QCOMPARE(rig.link.unanswered, 0);
    }

    // The bulk read after the identification: each read goes out at the tick that took the reply
    // before it, live requests stay at most ten ticks (250 ms) apart, and the whole controller is
    // read within 180 ticks (4.5 s) on the line's speed; afterwards a live request every four ticks.
    void bulkReadBackToBack_data()
    {
        QTest::addColumn<int>("bytesPerTick");
        QTest::addColumn<int>("ticksAtMost");
        QTest::newRow("38400 baud") << 96 << 180;
        QTest::newRow("replies at once") << 0 << 120;
    }
    void bulkReadBackToBack()
    {
        QFETCH(int, bytesPerTick);
        QFETCH(int, ticksAtMost);
        TickRig rig(bytesPerTick);
        rig.sim.engine.stopEngine();  // no learned cells: every second read agrees with the first
        QVERIFY(rig.open());
        QVERIFY(rig.runUntil([&] { return rig.readComplete(); }));
        QVERIFY2(rig.tick <= ticksAtMost, qPrintable(QString::number(rig.tick)));

        int identified = -1, lastRead = -1;
        for (const auto& [command, at] : rig.receivedAt)
            if (command == 0x81 && identified < 0) identified = at;
        QList<int> reads;
        for (const auto& [command, at] : rig.sentAt) {
            if (at < identified || command == 0x81 || (command >= 0x90 && command <= 0x9F)) continue;
            reads.append(command);
            lastRead = at;
        }
        QList<int> expected = {0x82};
        for (int c : {0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xA7, 0xA8, 0xA9, 0xAA})
            expected << c << c;
        QCOMPARE(hexList(reads), hexList(expected));
        // Every frame of the bulk read went out at a tick that took the reply before it.
        for (const auto& [command, at] : rig.sentAt)
            if (at >= identified && at <= lastRead)
                QVERIFY2(rig.receivedIn(at), qPrintable(QStringLiteral("%1 at tick %2").arg(command, 0, 16).arg(at)));
        for (int gap : rig.liveGaps(identified)) QVERIFY2(gap <= 10, qPrintable(gapList(rig.liveGaps(identified))));

        const int done = rig.tick;
        rig.runUntil([] { return false; }, 100);
        const QList<int> after = rig.liveGaps(done);
        QCOMPARE(gapList(after), gapList(QList<int>(after.size(), 4)));
        QVERIFY(after.size() >= 23);
    }

    // A write keeps the slot the controller has always had, during the bulk read and after it:
    // sent in a regular slot, four ticks after the frame before it, and the next frame thirteen
    // ticks later (its own slot of five ticks, then its two silent slots of four).
    void writesKeepTheirSlot_data()
    {
        QTest::addColumn<bool>("duringBulkRead");
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("command");
        QTest::newRow("enrichment, during the read") << true << 0x2000 << 0xCD;
        QTest::newRow("gas injection delay, during the read") << true << 0x1000 << 0xCC;
        QTest::newRow("enrichment, after") << false << 0x2000 << 0xCD;
        QTest::newRow("settings, after") << false << 0x1 << 0xF8;
        QTest::newRow("petrol map, after") << false << 0x10000 << 0xF0;
    }
    void writesKeepTheirSlot()
    {
        QFETCH(bool, duringBulkRead);
        QFETCH(int, mask);
        QFETCH(int, command);
        TickRig rig(96);
        rig.sim.engine.stopEngine();
        QVERIFY(rig.open());
        if (duringBulkRead) {
            QVERIFY(rig.runUntil([&] { return rig.link.bulkReading() && (rig.link.readMask & 0x2) == 0; }));
        } else {
            QVERIFY(rig.runUntil([&] { return rig.readComplete(); }));
            rig.runUntil([] { return false; }, 7);
        }
        rig.link.ZapiszDoSterownika(static_cast<uint32_t>(mask));
        QVERIFY(rig.runUntil(
            [&] { return rig.link.writeMask == 0 && rig.link.commandPending(TSterownik::CmdSettingsWrite) == false; }));
        rig.runUntil([] { return false; }, 20);
        const qsizetype at =
            std::find_if(rig.sentAt.begin(), rig.sentAt.end(), [&](const auto& s) { return s.first == command; }) -
            rig.sentAt.begin();
        QVERIFY(at > 0 && at + 1 < rig.sentAt.size());
        QCOMPARE(rig.sentAt[at].second - rig.sentAt[at - 1].second, 4);
        QCOMPARE(rig.sentAt[at + 1].second - rig.sentAt[at].second, 13);
        QVERIFY(rig.link.bulkReading() == duringBulkRead || !duringBulkRead);
        QCOMPARE(int(rig.sim.region(regionOfCommand(static_cast<uint8_t>(command))->readCommand)[0]),
                 int(rig.link.mem.region(static_cast<uint32_t>(mask))[0]));
    }

    // Confirming every region read at most doubles the time to read a controller: today's pass
    // is the identification, the error list and 15 region reads in odd slots.
    void connectingTakesAtMostTwiceAsLong()
    {
        LinkRig rig;
        ControllerSim sim;
        rig.far = &sim;
        QVERIFY(rig.open());
        int slots = 0;
        while (slots < 200 && (rig.link.linkMask || rig.link.readMask || rig.link.mem.identity[0] == 0)) {
            rig.slot();
            ++slots;
        }
        const int singlePass = 1 + 2 * (1 + 15);
        QVERIFY2(slots <= 2 * singlePass, qPrintable(QString::number(slots)));
        QVERIFY(slots > singlePass);
    }

    void liveRequestsAlternateAndCarryObdBytes_data()
    {
        QTest::addColumn<int>("liveBits");
        QTest::addColumn<int>("plain");
        QTest::addColumn<int>("withObd");
        QTest::newRow("polling") << 0 << 0x90 << 0x94;
        QTest::newRow("calibrating") << 1 << 0x91 << 0x95;
        QTest::newRow("level sensor dialog") << 2 << 0x92 << 0x96;
    }
    void liveRequestsAlternateAndCarryObdBytes()
    {
        QFETCH(int, liveBits);
        QFETCH(int, plain);
        QFETCH(int, withObd);
        LinkRig rig;
        idle(rig);
        rig.link.holdLiveRequest(LiveRequest(liveBits));
        for (int i = 0; i < 6; ++i) rig.link.mem.obdStatus[5 + i] = static_cast<uint8_t>(0xA0 + i);
        QCOMPARE(hexList(rig.slots(3)), hexList({plain, plain, plain}));

        // The snapshot goes with the next odd slot only; the even slot stays a bare request.
        rig.link.requestCommand(TSterownik::CmdLiveWithObd);
        SimFrames::Request first, second;
        const bool nextIsOdd = (rig.link.slotCounter + 1) & 1;
        QVERIFY(!nextIsOdd);
        QCOMPARE(rig.slot(&first), plain);
        QCOMPARE(first.payload.size(), 0);
        QCOMPARE(rig.slot(&second), withObd);
        QCOMPARE(second.payload.mid(2), QByteArray::fromHex("A0A1A2A3A4A5"));
        QCOMPARE(rig.link.commandPending(TSterownik::CmdLiveWithObd), false);
        QCOMPARE(rig.slot(), plain);
        QCOMPARE(rig.slot(), plain);
    }

    void waitAfterCommand_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("silentSlots");
        QTest::newRow("settings write") << 0xF8 << 2;
        QTest::newRow("multiplier write") << 0xF9 << 2;
        QTest::newRow("petrol map write") << 0xF0 << 2;
        QTest::newRow("enrichment write") << 0xCD << 2;
        QTest::newRow("clear errors") << 0x83 << 4;
        QTest::newRow("jump to bootloader") << 0x8E << 8;
        QTest::newRow("return from bootloader") << 0x8F << 2;
        QTest::newRow("speaker test") << 0x87 << 0;
        QTest::newRow("factory settings") << 0x89 << 0;
    }
    void waitAfterCommand()
    {
        QFETCH(int, command);
        QFETCH(int, silentSlots);
        LinkRig rig;
        idle(rig);
        TSterownik& l = rig.link;
        switch (command) {
            case 0xF8: l.ZapiszDoSterownika(0x1); break;
            case 0xF9: l.ZapiszDoSterownika(0x2); break;
            case 0xF0: l.ZapiszDoSterownika(0x10000); break;
            case 0xCD: l.ZapiszDoSterownika(0x2000); break;
            case 0x83: l.requestCommand(TSterownik::CmdClearErrors); break;
            case 0x8E: l.requestCommand(TSterownik::CmdJumpToBootloader); break;
            case 0x8F: l.requestCommand(TSterownik::CmdReturnFromBootloader); break;
            case 0x87: l.requestCommand(TSterownik::CmdSpeakerTest); break;
            case 0x89: l.requestCommand(TSterownik::CmdFactorySettings); break;
        }
        int sent = 0;
        for (int i = 0; i < 3 && sent != command; ++i) sent = rig.slot();
        QCOMPARE(sent, command);
        int silent = 0;
        while (rig.slot() == -1 && silent < 20) ++silent;
        QCOMPARE(silent, silentSlots);
    }

    void queuedWorkComesInTableOrder()
    {
        LinkRig rig;
        ControllerSim sim;
        rig.far = &sim;
        idle(rig);
        TSterownik& l = rig.link;
        l.workshopId = {0x1234ABCD, 26, 5, 14};
        l.readMask = 0x8 | 0x2000;
        l.linkMask = 2;
        l.writeMask = 0x1 | 0x2 | 0x100 | 0x10000;
        for (auto c : {TSterownik::CmdClearErrors, TSterownik::CmdQuickFuelChange, TSterownik::CmdInjectorSwitch,
                       TSterownik::CmdSpeakerTest, TSterownik::CmdFactorySettings})
            l.requestCommand(c);
        l.switchInjectors(0x05);

        rig.slots(100);
        QList<int> odd;
        for (const auto& [c, slot] : rig.sent) {
            if (c >= 0x90 && c <= 0x9F) continue;
            // Reads back of what was written go back to back, in any slot.
            const RegionInfo* r = regionOfCommand(static_cast<uint8_t>(c));
            if (!(r && r->readCommand == c))
                QVERIFY2(slot & 1, qPrintable(QStringLiteral("%1 in an even slot").arg(c, 0, 16)));
            odd.append(c);
        }
        // Clearing errors asks for the error list again; every region write that counts as a
        // configuration change queues the history write; every acknowledged write is read back,
        // once when the reply shows what was written; the factory-settings reply replaces the
        // pending reads (0x8 and 0x2000) with those of the reset regions (read twice when they
        // were not written), and the read-backs go on. The history's second write (the factory
        // settings' entry) waits for the history's read, and is read back in turn.
        const QList<int> expected = {0x82, 0x83, 0x82, 0x85, 0x86, 0xF8, 0xF9, 0xF0, 0xC7, 0xC8,
                                     0x87, 0x89, 0xE8, 0xE9, 0xEA, 0xEA, 0xEB, 0xEB, 0xEC, 0xEC,
                                     0xE0, 0xA7, 0xC7, 0xA7, 0xA8, 0xA9, 0xA9, 0xAA, 0xAA};
        QCOMPARE(hexList(odd), hexList(expected));
        QCOMPARE(l.readMask, 0u);
        QCOMPARE(sim.engine.enabledInjectors(), uint8_t(0x05));
        // The quick change put the engine on gas; the factory settings put it back on petrol.
        QCOMPARE(sim.engine.fuel(), EngineModel::Petrol);
        // One history entry for the day and this PC: errors cleared, factory settings, configuration.
        const uint8_t* h = sim.region(0xA7);
        QCOMPARE(int(h[0]), 0x2 | 0x4 | 0x8);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(h + 1), 7), QByteArray::fromHex("1A050E1234ABCD"));
        QCOMPARE(int(h[8]), 0);
    }

    void writeHeldWhileItsReadIsPending()
    {
        LinkRig rig;
        ControllerSim sim;
        rig.far = &sim;
        rig.open();
        QCOMPARE(rig.slot(), 0x81);
        QCOMPARE(rig.slot(), 0x81);  // the second reply confirms the identity
        TSterownik& l = rig.link;

        // Multiplier bank 1 is still being read: held until the read is in, then laid over the
        // controller's copy and written; enrichment is not being read: queued at once.
        for (int i = 0; i < 256; ++i) sim.region(0xE9)[i] = static_cast<uint8_t>(90 + i % 20);
        l.mem.region(0x2)[7] = 140;
        QCOMPARE(l.ZapiszDoSterownika(0x2), TSterownik::EditOutcome::Held);
        QCOMPARE(l.ZapiszDoSterownika(0x2000), TSterownik::EditOutcome::Sent);
        QCOMPARE(l.writeMask, 0x2000u);
        QCOMPARE(l.heldEditsMask(), 0x2u);
        for (int i = 0; i < 200 && (l.readMask || l.writeMask); ++i) rig.slot();
        QCOMPARE(l.heldEditsMask(), 0u);
        for (int i = 0; i < 256; ++i) QCOMPARE(int(sim.region(0xE9)[i]), i == 7 ? 140 : 90 + i % 20);
        l.ZapiszDoSterownika(0x2);
        QCOMPARE(l.writeMask & 0x2, 0x2u);

        l.writeMask = 0;
        l.unanswered = 11;
        l.ZapiszDoSterownika(0x4);
        QCOMPARE(l.writeMask, 0u);
        l.unanswered = 10;
        l.ZapiszDoSterownika(0x4);
        QCOMPARE(l.writeMask, 0x4u);
        l.writeMask = 0;
        l.PortClose();
        l.ZapiszDoSterownika(0x4);
        QCOMPARE(l.writeMask, 0u);
    }

    void factoryReplyReplacesReadMask()
    {
        LinkRig rig;
        idle(rig);
        rig.link.readMask = 0x80 | 0x2000 | 0x10000;
        rig.link.requestCommand(TSterownik::CmdFactorySettings);
        rig.reply(0x89, {});
        // The pending history read stays: history changes wait for it.
        QCOMPARE(rig.link.readMask, 0x71Fu | 0x80u);
        QCOMPARE(rig.link.commandPending(TSterownik::CmdFactorySettings), false);
    }

    void settingsWriteSendsFreshChecksum()
    {
        LinkRig rig;
        idle(rig);
        uint8_t* s = rig.link.mem.settingsBlock();
        for (int i = 1; i < 256; ++i) s[i] = static_cast<uint8_t>(i * 7);
        s[0] = 0x55;  // stale after edits
        rig.link.ZapiszDoSterownika(0x1);
        SimFrames::Request sent;
        int c = 0;
        for (int i = 0; i < 3 && c != 0xF8; ++i) c = rig.slot(&sent);
        QCOMPARE(c, 0xF8);
        QCOMPARE(sent.payload.size(), 258);
        const QByteArray block = sent.payload.mid(2);
        QCOMPARE(std::accumulate(block.begin(), block.end(), 0, [](int a, char b) { return a + uint8_t(b); }) & 0xFF,
                 0);
        QCOMPARE(block.mid(1), QByteArray(reinterpret_cast<const char*>(s + 1), 255));
        // Unacknowledged, the write is sent again after its wait.
        QCOMPARE(rig.slots(4), QList<int>({-1, -1, 0x90, 0xF8}));
    }

    void historyChangeWaitsForTheHistoryRead()
    {
        LinkRig rig;
        ControllerSim sim;
        rig.far = &sim;
        // The controller's own history, and an older one left in the PC's image.
        uint8_t* theirs = sim.region(0xA7);
        const QByteArray older = QByteArray::fromHex("0817030100000001"
                                                     "0418040200000002");
        std::memcpy(theirs, older.constData(), older.size());
        std::memset(rig.link.mem.block(MemoryImage::History), 0x77, 8);
        rig.link.workshopId = {0xCAFE0001, 26, 5, 14};

        rig.open();
        QCOMPARE(rig.slot(), 0x81);
        QCOMPARE(rig.slot(), 0x81);  // the second reply confirms the identity
        rig.link.ZapiszDoSterownika(0x2000);
        QList<int> sent;
        for (int i = 0; i < 60; ++i) sent.append(rig.slot());
        const QList<int> work = withoutLive(sent);
        QVERIFY(work.contains(0xCD));
        QVERIFY(work.contains(0xC7));
        QVERIFY2(work.indexOf(0xA7) < work.indexOf(0xC7), qPrintable(hexList(work)));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(theirs), 24),
                 older + QByteArray::fromHex("081A050ECAFE0001"));
    }

    // A history change not yet acknowledged when the port is reopened is written only into the
    // history of the same controller (same serial number), never into another one's.
    void pendingHistoryKeptOnlyForTheSameController_data()
    {
        QTest::addColumn<bool>("same");
        QTest::newRow("same controller") << true;
        QTest::newRow("another controller") << false;
    }
    void pendingHistoryKeptOnlyForTheSameController()
    {
        QFETCH(bool, same);
        const QByteArray theirs = QByteArray::fromHex("0817030100000001"
                                                      "0418040200000002");
        LinkRig rig;
        TSterownik& l = rig.link;
        l.workshopId = {0xCAFE0001, 26, 5, 14};
        ControllerSim first;
        std::memcpy(first.region(0xA7), theirs.constData(), theirs.size());
        rig.far = &first;
        rig.open();
        for (int i = 0; i < 80; ++i) rig.slot();
        QCOMPARE(l.readMask, 0u);

        // The change goes out, but the cable is pulled before the acknowledgement.
        rig.far = nullptr;
        l.HistoriaZmian(kHistoryConfig);
        QList<int> sent;
        for (int i = 0; i < 4; ++i) sent.append(rig.slot());
        QVERIFY2(sent.contains(0xC7), qPrintable(hexList(sent)));
        QVERIFY(l.historyWritePending());

        ControllerSim next;
        if (!same) next.identity.serialNumber = QByteArray::fromHex("4B563230323430333037303939");
        std::memcpy(next.region(0xA7), theirs.constData(), theirs.size());
        rig.far = &next;
        QVERIFY(rig.open());
        for (int i = 0; i < 80; ++i) rig.slot();
        QCOMPARE(l.readMask, 0u);
        QCOMPARE(l.historyWritePending(), false);
        const QByteArray entry = same ? QByteArray::fromHex("081A050ECAFE0001") : QByteArray(8, '\0');
        const QByteArray expected = theirs + entry;
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(next.region(0xA7)), 24), expected);
    }

    // An edit made while its region's write is on the line (sent, not yet acknowledged) goes out
    // again after the acknowledgement, after the usual wait; without an edit the write is done.
    void editWhileTheWriteIsOnTheLine_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("edit");
        QTest::newRow("settings, edited") << 0x1 << 0xF8 << true;
        QTest::newRow("settings, untouched") << 0x1 << 0xF8 << false;
        QTest::newRow("multiplier, edited") << 0x2 << 0xF9 << true;
        QTest::newRow("enrichment, edited") << 0x2000 << 0xCD << true;
        QTest::newRow("petrol map, untouched") << 0x10000 << 0xF0 << false;
    }
    void editWhileTheWriteIsOnTheLine()
    {
        QFETCH(int, mask);
        QFETCH(int, command);
        QFETCH(bool, edit);
        LinkRig rig;
        idle(rig);
        TSterownik& l = rig.link;
        uint8_t* region = l.mem.region(static_cast<uint32_t>(mask));
        l.ZapiszDoSterownika(static_cast<uint32_t>(mask));
        SimFrames::Request first;
        int c = 0;
        for (int i = 0; i < 3 && c != command; ++i) c = rig.slot(&first);
        QCOMPARE(c, command);
        l.writeMask &= ~0x80u;  // the history entry of a configuration write: not looked at here
        if (edit) {
            region[90] = static_cast<uint8_t>(region[90] + 17);
            l.ZapiszDoSterownika(static_cast<uint32_t>(mask));
        }
        rig.reply(static_cast<uint8_t>(command), {});
        SimFrames::Request again;
        QList<int> next;
        for (int i = 0; i < 4; ++i) next.append(rig.slot(&again));
        // Without an edit, the acknowledged write is read back in the next odd slot.
        const int readBack = regionOfCommand(static_cast<uint8_t>(command))->readCommand;
        QCOMPARE(hexList(next), hexList({-1, -1, 0x90, edit ? command : readBack}));
        if (edit) {
            QCOMPARE(int(uint8_t(again.payload[2 + 90])), int(region[90]));
            QVERIFY(uint8_t(first.payload[2 + 90]) != region[90]);
            rig.reply(static_cast<uint8_t>(command), {});
        }
        QCOMPARE(l.writeMask, 0u);
        QCOMPARE(int(l.commandPending(TSterownik::CmdSettingsWrite)), 0);
        QCOMPARE(l.readBackMask(), static_cast<uint32_t>(mask));
        // Nothing but the read-back follows: no write goes out again.
        const QList<int> after = withoutLive(rig.slots(6));
        QVERIFY(!after.isEmpty());
        for (int c : after) QCOMPARE(c, readBack);
    }

    // A second injector switch asked for while the first one's frame is on the line goes out again
    // after the acknowledgement; a repeated acknowledgement of the first frame does not clear it.
    void injectorSwitchWhileTheFirstIsOnTheLine_data()
    {
        QTest::addColumn<int>("second");
        QTest::newRow("toggled back") << 0xFF;
        QTest::newRow("another injector") << 0xF9;
        QTest::newRow("no second switch") << -1;
    }
    void injectorSwitchWhileTheFirstIsOnTheLine()
    {
        QFETCH(int, second);
        LinkRig rig;
        idle(rig);
        TSterownik& l = rig.link;
        l.switchInjectors(0xFD);
        l.requestCommand(TSterownik::CmdInjectorSwitch);
        SimFrames::Request first;
        int c = 0;
        for (int i = 0; i < 3 && c != 0x86; ++i) c = rig.slot(&first);
        QCOMPARE(c, 0x86);
        QCOMPARE(int(uint8_t(first.payload[2])), 0xFD);
        if (second >= 0) {
            l.switchInjectors(static_cast<uint8_t>(second));
            l.requestCommand(TSterownik::CmdInjectorSwitch);
        }
        rig.reply(0x86, {});
        rig.reply(0x86, {});  // a late repeat of the same acknowledgement
        if (second < 0) {
            QCOMPARE(int(l.commandPending(TSterownik::CmdInjectorSwitch)), 0);
            QCOMPARE(hexList(withoutLive(rig.slots(4))), QString());
            return;
        }
        QCOMPARE(int(l.commandPending(TSterownik::CmdInjectorSwitch)), 1);
        SimFrames::Request again;
        c = 0;
        for (int i = 0; i < 3 && c != 0x86; ++i) c = rig.slot(&again);
        QCOMPARE(c, 0x86);
        QCOMPARE(int(uint8_t(again.payload[2])), second);
        rig.reply(0x86, {});
        QCOMPARE(int(l.commandPending(TSterownik::CmdInjectorSwitch)), 0);
        QCOMPARE(int(l.injectorsEnabled()), second);
        QCOMPARE(hexList(withoutLive(rig.slots(4))), QString());
    }

    // A region read is taken only when two reads agree; reads that keep disagreeing make the
    // region unreadable: not taken, logged in red, its writes refused until it is read again.
    void regionReadsConfirmed()
    {
        LinkRig rig;
        idle(rig);
        TSterownik& l = rig.link;
        QStringList red;
        l.OnTekst = [&](QObject*, const QString& text, TColor colour) {
            if (colour == Rgb(255, 0, 0)) red.append(text);
        };
        const auto image = [&](uint32_t mask) {
            return QByteArray(reinterpret_cast<const char*>(l.mem.region(mask)), 256);
        };
        QByteArray a(256, '\x21'), b(256, '\x21');
        b[200] = 0x22;  // one byte damaged in a frame that still passed its check
        l.readMask = 0x2 | 0x4;
        const QByteArray before = image(0x2);
        rig.reply(0xE9, a);
        rig.reply(0xE9, b);
        QCOMPARE(image(0x2), before);
        QCOMPARE(l.readMask, 0x6u);
        rig.reply(0xE9, b);
        QCOMPARE(image(0x2), b);
        QCOMPARE(l.readMask, 0x4u);
        QVERIFY(red.isEmpty());

        // Five reads, no two in a row the same.
        const QByteArray bank2 = image(0x4);
        for (int n = 0; n < 5; ++n) {
            QCOMPARE(l.unreadableMask(), 0u);
            rig.reply(0xEA, QByteArray(256, static_cast<char>(n)));
        }
        QCOMPARE(l.unreadableMask(), 0x4u);
        QCOMPARE(l.readMask, 0u);
        QCOMPARE(image(0x4), bank2);
        QCOMPARE(red, QStringList{QStringLiteral("  Odczyt mnożnika bank 2 - odczyty różne, region nieczytelny")});
        l.ZapiszDoSterownika(0x4);
        QCOMPARE(l.writeMask, 0u);
        l.writeMask = 0x4;  // a reset that sets the bit directly
        rig.line->tx.clear();
        QCOMPARE(hexList(withoutLive(rig.slots(4))), QString());
        QCOMPARE(l.writeMask, 0u);

        // A new identification (two agreeing replies) reads everything again.
        rig.reply(0x81, LinkRig::identification());
        rig.reply(0x81, LinkRig::identification());
        QCOMPARE(l.unreadableMask(), 0u);
        QCOMPARE(l.readMask, 0xF3079Fu);
    }

    // A learned cell reported in a live reply between the two reads of its map is taken into the
    // waiting read too: the second read, which shows the cell, confirms the first.
    void mapCellBetweenTheTwoReads()
    {
        LinkRig rig;
        idle(rig);
        TSterownik& l = rig.link;
        l.readMask = 0x20000;
        QByteArray map(256, '\x10');
        rig.reply(0xE1, map);
        rig.reply(0x90, liveData({{6, 0}, {7, 3}, {8, 0x35}, {9, 41}}));
        map[0x35] = 41;
        rig.reply(0xE1, map);
        QCOMPARE(l.readMask, 0u);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(l.mem.map(MemoryImage::GasMap)), 256), map);
    }

    // History changes recorded before the factory-settings reply replaces the reads wait for the
    // history read, which stays pending, and are written over the controller's own entries.
    void historyChangesSurviveTheFactoryReply()
    {
        LinkRig rig;
        ControllerSim sim;
        rig.far = &sim;
        idle(rig);
        TSterownik& l = rig.link;
        l.workshopId = {0x0BADF00D, 26, 5, 14};
        const QByteArray theirs = QByteArray::fromHex("0817030100000001"
                                                      "0418040200000002"
                                                      "0819050300000003");
        std::memcpy(sim.region(0xA7), theirs.constData(), theirs.size());
        l.readMask = 0x80;
        l.requestCommand(TSterownik::CmdClearErrors);
        l.requestCommand(TSterownik::CmdFactorySettings);
        QList<int> work;
        for (int i = 0; i < 80; ++i) work.append(rig.slot());
        work = withoutLive(work);
        QVERIFY2(work.indexOf(0xA7) < work.indexOf(0xC7) && work.count(0xC7) == 1, qPrintable(hexList(work)));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(sim.region(0xA7)), 40),
                 theirs + QByteArray::fromHex("061A050E0BADF00D") + QByteArray(8, '\0'));
        QVERIFY(!l.historyWritePending());
    }

    void liveReplyRecords_data()
    {
        QTest::addColumn<int>("selector");
        QTest::addColumn<int>("cell");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("map");  // -1: no map changes
        QTest::newRow("petrol") << 0 << 0x35 << 41 << int(MemoryImage::PetrolMap);
        QTest::newRow("obd petrol 1") << 1 << 0x00 << 9 << int(MemoryImage::ObdPetrol1);
        QTest::newRow("obd petrol 2") << 2 << 0xFF << 200 << int(MemoryImage::ObdPetrol2);
        QTest::newRow("gas") << 3 << 0x10 << 55 << int(MemoryImage::GasMap);
        QTest::newRow("obd gas 1") << 4 << 0x21 << 3 << int(MemoryImage::ObdGas1);
        QTest::newRow("obd gas 2") << 5 << 0x7E << 99 << int(MemoryImage::ObdGas2);
        QTest::newRow("value 0 clears nothing") << 0 << 0x35 << 0 << -1;
        QTest::newRow("unknown selector") << 6 << 0x35 << 41 << -1;
    }
    void liveReplyRecords()
    {
        QFETCH(int, selector);
        QFETCH(int, cell);
        QFETCH(int, value);
        QFETCH(int, map);
        LinkRig rig;
        idle(rig);
        for (auto& m : rig.link.mem.maps) m.fill(1);
        const auto before = rig.link.mem.maps;
        rig.reply(0x90, liveData({{6, 0}, {7, selector}, {8, cell}, {9, value}}));
        auto expected = before;
        if (map >= 0) expected[map][cell] = static_cast<uint8_t>(value);
        QVERIFY(rig.link.mem.maps == expected);
        QCOMPARE(rig.eventsOf(kEventFrameReceived, 0x90), 1);
    }

    void liveReplyStatusAdaptationAndObdBlock()
    {
        LinkRig rig;
        idle(rig);
        TSterownik& l = rig.link;
        QVERIFY(!l.OnTekst);
        rig.reply(0x90, liveData({{6, 0xF4}, {7, 140}, {8, 120}, {10, 6}, {11, 3}, {12, 9}, {22, 0x0B}}));
        QCOMPARE(int(l.mem.identity[68]), 140);
        QCOMPARE(int(l.mem.identity[69]), 120);
        QCOMPARE(int(l.mem.identity[66]), 128);
        QCOMPARE(l.liveStatus, (std::array<uint8_t, 3>{6, 3, 9}));
        QCOMPARE(int(l.injectorsEnabled()), 0x0B);

        // The OBD report lands in the block, and every live frame handed on carries it.
        QByteArray report(36, '\0');
        for (int i = 0; i < 36; ++i) report[i] = static_cast<char>(i + 1);
        rig.reply(0x70, report, '6');
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(l.mem.obdStatus.data()), 36), report);
        // A pending injector switch keeps the PC's mask; a short frame shows no stale readings.
        l.requestCommand(TSterownik::CmdInjectorSwitch);
        l.switchInjectors(0x03);
        rig.reply(0x90, QByteArray(16, '\0'));
        QCOMPARE(int(l.injectorsEnabled()), 0x03);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(l.lastLiveFrame().data() + 92), 36), report);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(l.lastLiveFrame().data() + 22), 70), QByteArray(70, '\0'));
    }

    void unansweredCounter()
    {
        LinkRig rig;
        idle(rig);
        TSterownik& l = rig.link;
        rig.slots(5);
        QCOMPARE(l.unanswered, 5);
        // Each request sent since counts; a frame that is not a reply resets nothing.
        rig.reply(0x7A, {});  // not a known reply
        QCOMPARE(l.unanswered, int(rig.sent.size()));
        QByteArray bad = SimFrames::encode('V', 0x90, QByteArray(124, '\0'));
        bad[20] = static_cast<char>(bad[20] ^ 0x10);  // checksum no longer holds
        rig.deliver(bad);
        QCOMPARE(l.unanswered, int(rig.sent.size()));
        QVERIFY(l.unanswered >= 5);
        QCOMPARE(rig.eventsOf(kEventFrameReceived, 0x90), 0);
        rig.reply(0x90, liveData({}));
        QCOMPARE(l.unanswered, 0);
        l.unanswered = 254;
        rig.slots(3);
        QCOMPARE(l.unanswered, 255);
    }

    // An identification reply of 128 bytes or more still identifies the controller: its first 128
    // bytes become the identity block. Taking nothing from it left the cylinder count, the serial
    // number and the adaptation bytes empty while the reading went on as if identified.
    void longIdentificationReply()
    {
        LinkRig rig;
        TSterownik& l = rig.link;
        rig.open();
        QByteArray id = LinkRig::identification(0, 6);  // frame bytes 4..
        const qsizetype shortSize = id.size();
        id.resize(200 - 4);
        for (qsizetype i = shortSize; i < id.size(); ++i) id[i] = static_cast<char>(i);
        for (int i = 22; i <= 34; ++i) id[i - 4] = static_cast<char>('A' + i - 22);  // serial number
        id[67 - 4] = static_cast<char>(140);                                         // bank 1 adaptation
        for (int i = 0; i < 2; ++i) {
            rig.slot();
            rig.deliver(SimFrames::encode('V', 0x81, id));
        }
        QCOMPARE(int(l.mem.identity[43]), 6);
        QCOMPARE(int(l.mem.identity[22]), int('A'));
        QCOMPARE(int(l.mem.identity[34]), int('M'));
        QCOMPARE(int(l.mem.identity[67]), 140);
        QCOMPARE(int(l.mem.identity[127]), 123);  // frame byte 127, the last one the block holds
        QCOMPARE(l.readMask, 0xF3079Fu);          // identified: the whole controller is read
    }

    void regionReadReplies()
    {
        LinkRig rig;
        idle(rig);
        TSterownik& l = rig.link;
        QStringList log;
        l.OnTekst = [&](QObject*, const QString& text, TColor) { log.append(text); };
        l.readMask = 0x1 | 0x400;
        QByteArray curve(256, '\0');
        for (int i = 0; i < 256; ++i) curve[i] = static_cast<char>(255 - i);
        const QByteArray curveBefore(reinterpret_cast<const char*>(l.mem.block(MemoryImage::GasTempCorrection)), 256);
        rig.reply(0xAA, curve);
        // One read is not taken yet: it waits for a second that agrees.
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(l.mem.block(MemoryImage::GasTempCorrection)), 256),
                 curveBefore);
        QCOMPARE(l.readMask, 0x401u);
        rig.reply(0xAA, curve);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(l.mem.block(MemoryImage::GasTempCorrection)), 256), curve);
        QCOMPARE(l.readMask, 0x1u);

        // A short reply is not taken: the image keeps its bytes and the read is asked again.
        const auto settingsBefore = l.mem.settings;
        rig.reply(0xE8, QByteArray(100, '\x11'));
        QVERIFY(l.mem.settings == settingsBefore);
        QCOMPARE(l.readMask, 0x1u);

        // A settings block with a wrong checksum is taken, and the log says so.
        QByteArray block(256, '\0');
        block[4] = 3;  // lambda channel shows the AFR
        block[0] = 1;
        rig.reply(0xE8, block);
        rig.reply(0xE8, block);
        QCOMPARE(l.readMask, 0u);
        QCOMPARE(int(l.mem.settings[4]), 3);
        QCOMPARE(l.channels()[8].id, 3044);
        QVERIFY(log.contains(QStringLiteral("4  błąd sumy nastaw")));
    }
};

QTEST_GUILESS_MAIN(TstScheduler)
#include "tst_scheduler.moc"
