#include <QtCore/QRandomGenerator>
#include <QtTest/QtTest>

#include "link/LoopbackBackend.h"
#include "link/Tsterownik.h"
#include "sim/controller/SimFrames.h"

// Reassembly and verification of controller frames, fed through the in-memory line.
class TestReceiver : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void frameArrivesAcrossTicks();
    void largestFrameIsAccepted();
    void overflowLimits_data();
    void overflowLimits();
    void wrongStartByteDiscardsQueue();
    void badChecksumGivesNoRxLine();
    void arbitraryBytesNeverCrash();
    void liveReplyIsHandedOnOnceAsValue();
    void liveFrameReadsZeroOutsideItsBytes_data();
    void liveFrameReadsZeroOutsideItsBytes();
    void namedReadings_data();
    void namedReadings();

private:
    struct Line {
        QString text;
        TColor colour;
    };
    TSterownik* link = nullptr;
    LoopbackBackend* line = nullptr;
    QList<Line> log;
    QList<QList<int>> events;
};

void TestReceiver::init()
{
    link = new TSterownik;
    link->timer()->stop();
    auto backend = std::make_unique<LoopbackBackend>();
    line = backend.get();
    link->setBackend(std::move(backend));
    QVERIFY(link->PortOpen(1));
    log.clear();
    events.clear();
    link->OnTekst = [this](QObject*, const QString& text, TColor colour) { log.append({text, colour}); };
    link->OnZdarzenie = [this](int kind, int code, int value, int length) {
        events.append({kind, code, value, length});
    };
}

void TestReceiver::cleanup()
{
    delete link;
    link = nullptr;
}

void TestReceiver::frameArrivesAcrossTicks()
{
    const QByteArray frame = SimFrames::encode(0x56, 0x82, QByteArray::fromHex("0000 01020304"));
    line->rx = frame.left(3);
    QCOMPARE(link->OdbiorRx(), -1);  // too little for a head
    line->rx.append(frame.mid(3, 3));
    QCOMPARE(link->OdbiorRx(), -2);  // head held
    QCOMPARE(link->OdbiorRx(), -2);  // payload incomplete
    line->rx.append(frame.mid(6));
    QCOMPARE(link->OdbiorRx(), frame.size());
    QVERIFY(line->rx.isEmpty());

    QCOMPARE(log.size(), 1);
    QCOMPARE(log[0].text, QStringLiteral("  RX: 56 %1 03 82   00 00 01 02 03 04")
                              .arg(uint8_t(frame[1]), 2, 16, QLatin1Char('0'))
                              .toUpper());
    QCOMPARE(log[0].colour, Rgb(0, 0, 255));
    QCOMPARE(events, (QList<QList<int>>{{kEventFrameReceived, 0x82, 0, 10}}));
}

void TestReceiver::largestFrameIsAccepted()
{
    QByteArray payload(510, '\0');
    for (int i = 2; i < 258; ++i) payload[i] = static_cast<char>(i);
    const QByteArray frame = SimFrames::encode(0x56, 0xE9, payload);
    QCOMPARE(frame.size(), 514);
    link->readMask = 0x2;
    // The region is taken once a second read agrees with the first.
    for (int n = 0; n < 2; ++n) {
        line->rx = frame;
        QCOMPARE(link->OdbiorRx(), -2);
        QCOMPARE(link->OdbiorRx(), 514);
    }
    QCOMPARE(link->mem.block(MemoryImage::Multiplier1)[255], uint8_t(257 & 0xFF));
    QCOMPARE(link->readMask, 0u);
    QCOMPARE(events.size(), 2);
}

void TestReceiver::overflowLimits_data()
{
    QTest::addColumn<bool>("headHeld");
    QTest::addColumn<int>("waiting");
    QTest::addColumn<bool>("overflow");
    QTest::newRow("1024 waiting, no head") << false << 1024 << true;
    QTest::newRow("1023 waiting, no head") << false << 1023 << false;
    QTest::newRow("1020 waiting behind a head") << true << 1020 << true;
    QTest::newRow("1019 waiting behind a head") << true << 1019 << false;
}

void TestReceiver::overflowLimits()
{
    QFETCH(bool, headHeld);
    QFETCH(int, waiting);
    QFETCH(bool, overflow);
    // Replies always carry the two prefix bytes.
    // Valid frames back to back: the guard still throws them away when too many bytes wait.
    const QByteArray frame = SimFrames::encode(0x56, 0x8E, QByteArray(2, '\0'));
    if (headHeld) {
        line->rx = SimFrames::encode(0x56, 0x82, QByteArray(2, '\0')).left(4);
        QCOMPARE(link->OdbiorRx(), -2);
    }
    QByteArray bytes;
    while (bytes.size() < waiting) bytes.append(frame);
    line->rx = bytes.left(waiting);
    const int r = link->OdbiorRx();
    if (overflow) {
        QCOMPARE(r, -1);
        QVERIFY(line->rx.isEmpty());
        QCOMPARE(log.size(), 1);
        QCOMPARE(log[0].text, QStringLiteral("  przekroczenie bufora"));
        QCOMPARE(log[0].colour, Rgb(255, 0, 0));
        // The head is forgotten: the next frame is read from its own start.
        line->rx = frame;
        QCOMPARE(link->OdbiorRx(), -2);
        QCOMPARE(link->OdbiorRx(), frame.size());
    } else {
        QVERIFY(r == -2 || r > 0);
        QVERIFY(log.isEmpty() || !log[0].text.contains(QStringLiteral("przekroczenie")));
    }
}

void TestReceiver::wrongStartByteDiscardsQueue()
{
    // The PC's own start byte (an echo) is not a reply.
    line->rx = QByteArray::fromHex("65190082") + SimFrames::encode(0x56, 0x8E, QByteArray(2, '\0'));
    QCOMPARE(link->OdbiorRx(), -1);
    QVERIFY(line->rx.isEmpty());
    QCOMPARE(log.size(), 1);
    QCOMPARE(log[0].text, QStringLiteral("  brak bajtu startowego :  65 19 00 82"));
    QCOMPARE(log[0].colour, Rgb(255, 0, 0));
    QVERIFY(events.isEmpty());
}

void TestReceiver::badChecksumGivesNoRxLine()
{
    QByteArray frame = SimFrames::encode(0x56, 0x82, QByteArray::fromHex("00000102"));
    frame[7] = static_cast<char>(frame[7] ^ 0x01);
    line->rx = frame;
    link->unanswered = 5;
    QCOMPARE(link->OdbiorRx(), -2);
    QCOMPARE(link->OdbiorRx(), frame.size());
    QCOMPARE(log.size(), 1);
    QCOMPARE(log[0].text, QStringLiteral("  błąd sumy "));
    QCOMPARE(log[0].colour, Rgb(255, 0, 0));
    QVERIFY(events.isEmpty());
    QCOMPARE(link->unanswered, 5);  // a bad frame is no answer
}

void TestReceiver::arbitraryBytesNeverCrash()
{
    QRandomGenerator random(4711);
    int frames = 0;
    link->OnZdarzenie = [&](int kind, int, int, int length) {
        if (kind == kEventFrameReceived) {
            ++frames;
            QVERIFY(length >= 4 && length <= 514);
        }
    };
    for (int round = 0; round < 3000; ++round) {
        QByteArray chunk(static_cast<int>(random.bounded(0, 700)), '\0');
        for (char& c : chunk) c = static_cast<char>(random.bounded(256));
        // Bias towards reply start bytes so that heads and payloads are exercised, not only discards.
        if (!chunk.isEmpty() && random.bounded(2)) chunk[0] = random.bounded(2) ? 0x56 : 0x36;
        line->rx.append(chunk);
        for (int t = 0; t < 3; ++t) link->OdbiorRx();
    }
    // Then the receiver finds its way back to real frames.
    line->rx.clear();
    const int before = frames;
    for (int t = 0; t < 40 && frames == before; ++t) {
        if (line->rx.isEmpty()) line->rx = SimFrames::encode(0x56, 0x8E, QByteArray(2, '\0'));
        link->OdbiorRx();
    }
    QVERIFY(frames > before);
}

// A live reply reaches the views once, as a copy taken when it was verified, after its link event;
// other replies are no live frames, and an error list is kept as a value of its own.
void TestReceiver::liveReplyIsHandedOnOnceAsValue()
{
    QList<LiveFrame> frames;
    QList<int> eventsBeforeFrame;
    connect(link, &TSterownik::liveFrame, this, [&](const LiveFrame& f) {
        frames.append(f);
        eventsBeforeFrame.append(int(events.size()));
    });
    QByteArray readings(88, '\0');
    for (int i = 0; i < readings.size(); ++i) readings[i] = char(i + 1);
    auto receive = [&](uint8_t command, const QByteArray& payload) {
        line->rx = SimFrames::encode(0x56, command, payload);
        int n = -2;
        for (int t = 0; t < 3 && n < 0; ++t) n = link->OdbiorRx();
        QVERIFY(n > 0);
    };

    receive(0x90, readings);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(eventsBeforeFrame[0], 1);
    const LiveFrame& f = frames[0];
    QCOMPARE(f.length(), 92);
    QCOMPARE(f.command(), uint8_t(0x90));
    QCOMPARE(LiveFrameBytes::byte(f, 4), uint8_t(1));
    QCOMPARE(f.eventCode(), uint8_t(3));
    QCOMPARE(f.workState(), 7 | 8 << 8);
    QCOMPARE(LiveFrameBytes::byte(f, 91), uint8_t(88));
    // The receive buffer is taken by the next reply; the value the views got stays as it was.
    receive(0x82, QByteArray(70, char(0x11)));
    QCOMPARE(frames.size(), 1);
    QCOMPARE(LiveFrameBytes::byte(frames[0], 4), uint8_t(1));
    QCOMPARE(link->errorList().length(), 74);
    QCOMPARE(LiveFrameBytes::byte(link->errorList(), 73), uint8_t(0x11));
    QCOMPARE(LiveFrameBytes::byte(link->errorList(), 74), uint8_t(0));
}

void TestReceiver::liveFrameReadsZeroOutsideItsBytes_data()
{
    QTest::addColumn<int>("available");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("word");
    QTest::newRow("first") << 128 << 0 << 0x00 << 0x0100;
    QTest::newRow("last byte: word has no high byte") << 128 << 127 << 0x7F << 0x7F;
    QTest::newRow("past the end") << 128 << 128 << 0 << 0;
    QTest::newRow("negative") << 128 << -1 << 0 << 0x0000;
    QTest::newRow("short copy ends in zeros") << 10 << 10 << 0 << 0;
    QTest::newRow("short copy keeps its bytes") << 10 << 8 << 8 << 0x0908;
}

void TestReceiver::liveFrameReadsZeroOutsideItsBytes()
{
    QFETCH(int, available);
    QFETCH(int, offset);
    QFETCH(int, byte);
    QFETCH(int, word);
    QByteArray bytes(200, '\0');
    for (int i = 0; i < bytes.size(); ++i) bytes[i] = char(i);
    const LiveFrame f(reinterpret_cast<const uint8_t*>(bytes.constData()), 200, available);
    QCOMPARE(int(LiveFrameBytes::byte(f, offset)), byte);
    QCOMPARE(LiveFrameBytes::word(f, offset), word);
    QCOMPARE(f.length(), 200);
}

// The readings of a live reply by name, each from the bytes the controller puts it in.
void TestReceiver::namedReadings_data()
{
    QTest::addColumn<QList<int>>("bytes");  // offset, value pairs
    QTest::addColumn<QString>("reading");
    QTest::addColumn<int>("value");
    using L = QList<int>;
    QTest::newRow("rpm, 10 rpm a unit") << L{17, 0x2C, 18, 0x01} << "rpm" << 3000;
    QTest::newRow("petrol time") << L{19, 42} << "petrolTime" << 42;
    QTest::newRow("map cell") << L{15, 7, 16, 12} << "cell" << 7 * 16 + 12;
    QTest::newRow("reducer temperature below zero") << L{40, 118} << "reducerTemperature" << -10;
    QTest::newRow("gas temperature") << L{42, 128 + 35} << "gasTemperature" << 35;
    QTest::newRow("manifold pressure") << L{44, 0x10, 45, 0x01} << "manifoldPressure" << 0x110;
    QTest::newRow("gas pressure") << L{48, 0x2C, 49, 0x01} << "gasPressure" << 300;
    QTest::newRow("load voltage") << L{58, 0xE8, 59, 0x03} << "loadVoltage" << 1000;
    QTest::newRow("level sensor") << L{50, 125} << "levelSensor" << 125;
    QTest::newRow("petrol time of cylinder 3") << L{68, 0x34, 69, 0x12} << "petrol3" << 0x1234;
    QTest::newRow("gas time of cylinder 8") << L{90, 0x01, 91, 0x02} << "gas8" << 0x0201;
    QTest::newRow("cylinder 9 does not exist") << L{92, 1, 93, 1} << "gas9" << 0;
    QTest::newRow("engine running: ignition and turning") << L{11, 0x03} << "running" << 1;
    QTest::newRow("ignition only") << L{11, 0x01} << "running" << 0;
    QTest::newRow("error active") << L{11, 0x08} << "errors" << 2;
    QTest::newRow("error noted") << L{11, 0x10} << "errors" << 1;
    QTest::newRow("on petrol") << L{10, 0, 11, 0x03} << "onPetrol" << 1;
    QTest::newRow("on gas") << L{10, 6} << "onPetrol" << 0;
    // Level column top first from bits 5..2 (1001: 9 hundreds), then the reserve and the fuel LED
    // (1 green, 2 red).
    QTest::newRow("switch LEDs") << L{13, 0x24 | 0x01, 14, 0x02} << "leds" << 921;
}

void TestReceiver::namedReadings()
{
    QFETCH(QList<int>, bytes);
    QFETCH(QString, reading);
    std::array<uint8_t, LiveFrame::kSize> raw{};
    for (int i = 0; i + 1 < bytes.size(); i += 2) raw[size_t(bytes[i])] = uint8_t(bytes[i + 1]);
    const LiveFrame f(raw.data(), LiveFrame::kSize);
    const SwitchLeds leds = f.switchLeds();
    const auto colour = [](SwitchLeds::Colour c) { return c == SwitchLeds::Green ? 1 : c == SwitchLeds::Red ? 2 : 0; };
    const QHash<QString, int> got{
        {"rpm", f.rpm()},
        {"petrolTime", f.petrolTime()},
        {"cell", f.rpmCell() * 16 + f.loadCell()},
        {"reducerTemperature", f.reducerTemperature()},
        {"gasTemperature", f.gasTemperature()},
        {"manifoldPressure", f.manifoldPressure()},
        {"gasPressure", f.gasPressure()},
        {"loadVoltage", f.loadVoltage()},
        {"levelSensor", f.levelSensor()},
        {"petrol3", f.petrolInjectionTime(2)},
        {"gas8", f.gasInjectionTime(7)},
        {"gas9", f.gasInjectionTime(8)},
        {"running", f.engineRunning()},
        {"errors", f.errorActive()  ? 2
                   : f.errorNoted() ? 1
                                    : 0},
        {"onPetrol", f.onPetrol()},
        {"leds", (leds.level[0] << 3 | leds.level[1] << 2 | leds.level[2] << 1 | leds.level[3]) * 100 +
                     colour(leds.reserve) * 10 + colour(leds.fuel)},
    };
    QVERIFY2(got.contains(reading), qPrintable(reading));
    QTEST(got.value(reading), "value");
}

QTEST_GUILESS_MAIN(TestReceiver)
#include "tst_receiver.moc"
