#include <QtTest/QtTest>

#include "link/FrameCodec.h"

// The frame rules checked against frames worked out by hand.
class TestFrameCodec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void checksumOfBareRequests_data();
    void checksumOfBareRequests();
    void oddPayloadIsPaddedAndCovered();
    void scramblingMatchesHandComputation();
    void scramblingRoundTripAndPositionMask();
    void logLineLayout();
};

void TestFrameCodec::checksumOfBareRequests_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("frame");
    // 0x65 + 0x19 + 0x00 + 0x82 = 0x100: the error-list request.
    QTest::newRow("error list") << 0x82 << QByteArray::fromHex("65190082");
    QTest::newRow("identification") << 0x81 << QByteArray::fromHex("651a0081");
    QTest::newRow("settings read") << 0xE8 << QByteArray::fromHex("65b300e8");
    QTest::newRow("live") << 0x90 << QByteArray::fromHex("650b0090");
}

void TestFrameCodec::checksumOfBareRequests()
{
    QFETCH(int, command);
    QFETCH(QByteArray, frame);
    uint8_t buf[8] = {};
    const int total = FrameCodec::buildFrame(buf, 0x65, static_cast<uint8_t>(command), 0);
    QCOMPARE(total, 4);
    QCOMPARE(QByteArray(reinterpret_cast<char*>(buf), total), frame);
    QCOMPARE(FrameCodec::byteSum(buf, total), uint8_t(0));
}

void TestFrameCodec::oddPayloadIsPaddedAndCovered()
{
    // The injector switch: prefix 2 bytes + 1 data byte, padded with what the buffer holds.
    uint8_t buf[16] = {};
    buf[4] = 0x10;
    buf[5] = 0;
    buf[6] = 0x0F;
    buf[7] = 0xAA;  // the pad byte: whatever was there
    const int total = FrameCodec::buildFrame(buf, 0x65, 0x86, 3);
    QCOMPARE(total, 8);
    QCOMPARE(buf[2], uint8_t(2));
    QCOMPARE(buf[7], uint8_t(0xAA));
    QCOMPARE(FrameCodec::byteSum(buf, total), uint8_t(0));
}

void TestFrameCodec::scramblingMatchesHandComputation()
{
    // Plain 65 cs 01 E9 12 00: key0 = cs ^ 0x4D; wire4 = 0x12 ^ key0 ^ (255 - 4); wire5 = 0x00 ^ 0x12 ^ (255 - 5).
    uint8_t buf[8] = {0x65, 0, 1, 0xE9, 0x12, 0x00};
    const int total = FrameCodec::buildFrame(buf, 0x65, 0xE9, 2);
    const uint8_t cs = buf[1];
    QCOMPARE(cs, uint8_t((0x100 - ((0x65 + 1 + 0xE9 + 0x12) & 0xFF)) & 0xFF));
    FrameCodec::scramble(buf, total);
    QCOMPARE(buf[4], uint8_t(0x12 ^ (cs ^ 0x4D) ^ 0xFB));
    QCOMPARE(buf[5], uint8_t(0x00 ^ 0x12 ^ 0xFA));
    QCOMPARE(buf[0], uint8_t(0x65));  // the head is never scrambled
    QCOMPARE(buf[1], cs);
}

void TestFrameCodec::scramblingRoundTripAndPositionMask()
{
    // A 514-byte frame: bytes 4 and 260 share the position mask (255 - i mod 256).
    std::vector<uint8_t> plain(514);
    for (size_t i = 4; i < plain.size(); ++i) plain[i] = static_cast<uint8_t>(i * 7 + 3);
    const int total = FrameCodec::buildFrame(plain.data(), 0x56, 0xE8, 510);
    QCOMPARE(total, 514);
    QCOMPARE(plain[2], uint8_t(255));
    std::vector<uint8_t> wire = plain;
    FrameCodec::scramble(wire.data(), total);
    QCOMPARE(uint8_t(wire[4] ^ plain[4]), uint8_t((plain[1] ^ 0x4D) ^ 0xFB));
    QCOMPARE(uint8_t(wire[260] ^ plain[260]), uint8_t(plain[259] ^ 0xFB));
    std::vector<uint8_t> back = wire;
    FrameCodec::unscramble(back.data(), total);
    QVERIFY(back == plain);
    QCOMPARE(FrameCodec::byteSum(back.data(), total), uint8_t(0));
}

void TestFrameCodec::logLineLayout()
{
    const uint8_t bare[] = {0x65, 0x19, 0x00, 0x82};
    QCOMPARE(FrameCodec::logLine("  TX:", bare, 4), QStringLiteral("  TX: 65 19 00 82  "));
    const uint8_t withPayload[] = {0x56, 0xAB, 0x01, 0x8E, 0x0f, 0xc0};
    QCOMPARE(FrameCodec::logLine("  RX:", withPayload, 6), QStringLiteral("  RX: 56 AB 01 8E   0F C0"));
}

QTEST_GUILESS_MAIN(TestFrameCodec)
#include "tst_frame_codec.moc"
