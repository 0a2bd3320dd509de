// Reply-text parsers of the OBD reader, on the reply texts an ELM327 gives.
#include <QtTest/QtTest>

#include "base/OwnTexts.h"
#include "link/Tsterownik.h"
#include "obd/ObdDiscovery.h"
#include "obd/ObdPidCatalogue.h"
#include "obd/ObdReplyText.h"
#include "obd/ObdTroubleCodes.h"
#include "obd/Telmobd.h"

namespace {

// "\r" in the table texts stands for the adapter's carriage return.
QByteArray r(const char* text) { return QByteArray(text); }

QStringList codeBoxTexts(const TObd& obd)
{
    QStringList texts;
    for (const auto& line : obd.panels.codeBox) texts << line.text;
    return texts;
}

}  // namespace

class TestObdParsers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tekstNaInt_data();
    void tekstNaInt();
    void errorReply_data();
    void errorReply();
    void protocolNumber_data();
    void protocolNumber();
    void ecuDiscovery_data();
    void ecuDiscovery();
    void pidSupportBitmap();
    void pidDecoding_data();
    void pidDecoding();
    void pidNegativeAnswerOfOtherEcuIsPassedOver();
    void longPidNeverDecodesOnCan();
    void catalogue();
    void nextPidOrder();
    void fuelSnapshotReachesTheLink();
    void troubleCodes_data();
    void troubleCodes();
    void troubleCodeCountFromTheLine_data();
    void troubleCodeCountFromTheLine();
    void codeText_data();
    void codeText();
    void manufacturerRanges_data();
    void manufacturerRanges();
    void descriptions_data();
    void descriptions();
    void embeddedTablesDescribeCodes();
    void statusRows_data();
    void statusRows();
    void parsersSurviveArbitraryBytes();
    void frameCountBeyondTheReply_data();
    void frameCountBeyondTheReply();
};

void TestObdParsers::tekstNaInt_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("pos");
    QTest::addColumn<int>("fields");
    QTest::addColumn<uint>("expected");
    const QByteArray line = "7E8 06 41 00 BF 9F B9 93 \r\r>";
    QTest::newRow("identifier") << line << 0 << 1 << 0x7E8u;
    QTest::newRow("two fields") << line << 7 << 2 << 0x4100u;
    QTest::newRow("four support bytes") << line << 13 << 4 << 0xBF9FB993u;
    QTest::newRow("last field before CR and prompt") << QByteArray("1A F8\r\r>") << 0 << 2 << 0x1AF8u;
    QTest::newRow("lower case digits") << QByteArray("bf 9f") << 0 << 2 << 0xBF9Fu;
    QTest::newRow("wider than 32 bits wraps") << QByteArray("11 22 33 44 55 ") << 0 << 5 << 0x22334455u;
    QTest::newRow("stops at NUL") << QByteArray("12\0 34", 6) << 0 << 2 << 0x12u;
    QTest::newRow("position past the end") << line << 500 << 4 << 0u;
    QTest::newRow("negative position") << line << -3 << 4 << 0u;
}

void TestObdParsers::tekstNaInt()
{
    QFETCH(QByteArray, text);
    QFETCH(int, pos);
    QFETCH(int, fields);
    QFETCH(uint, expected);
    QCOMPARE(ObdReplyText::TekstNaInt(text, pos, fields), expected);
}

void TestObdParsers::errorReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("error");
    QTest::newRow("no data") << r("0100\rNO DATA\r\r>") << true;
    QTest::newRow("bus init error") << r("BUS INIT: ...ERROR\r\r>") << true;
    QTest::newRow("can error") << r("CAN ERROR\r\r>") << true;
    QTest::newRow("data") << r("7E8 06 41 00 BF 9F B9 93 \r\r>") << false;
    QTest::newRow("empty after a time-out") << QByteArray() << false;
    QTest::newRow("unable to connect is not one") << r("UNABLE TO CONNECT\r\r>") << false;
}

void TestObdParsers::errorReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, error);
    QCOMPARE(ObdReplyText::CzyBlad(reply), error);
}

void TestObdParsers::protocolNumber_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("protocol");
    QTest::addColumn<QString>("row");
    QTest::newRow("plain") << r("6\r\r>") << 6 << "CAN (11 bit ID, 500 kb)";
    QTest::newRow("with echo") << r("ATDPN\r5\r\r>") << 5 << "ISO 14230-4 (KWP fast init)";
    QTest::newRow("automatic search mark") << r("A6\r\r>") << 6 << "CAN (11 bit ID, 500 kb)";
    QTest::newRow("mark with echo") << r("ATDPN\rA3\r\r>") << 3 << "ISO 9141-2 (KL)";
    QTest::newRow("J1939 letter") << r("A\r\r>") << 10 << "CAN (29 bit ID, 250* kb)";
    // No protocol (the adapter answered and no engine computer did): "?".
    QTest::newRow("not a number") << r("?\r\r>") << 0 << "?";
    QTest::newRow("empty") << QByteArray() << 0 << "?";
}

void TestObdParsers::protocolNumber()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, protocol);
    QFETCH(QString, row);
    TObd obd;
    obd.reply = reply;
    QList<TColor> colours;
    obd.OnTekst = [&](QObject*, const QString&, TColor c) { colours << c; };
    obd.StatusProtokol();
    QCOMPARE(obd.protocol, protocol);
    QCOMPARE(obd.panels.status[ObdPanels::RowObd], row);
    QCOMPARE(colours.value(0), protocol == 0 ? TObd::kErrorColour : TObd::kInfoColour);
}

void TestObdParsers::ecuDiscovery_data()
{
    QTest::addColumn<int>("protocol");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("primary");
    QTest::newRow("J1850 VPW") << 2 << r("48 6B 11 41 00 80 00 00 00 50 \r48 6B 1F 41 00 BE 1F B8 11 6F \r\r>")
                               << "11h 1Fh " << 0x1F;
    QTest::newRow("KWP") << 4 << r("86 F1 11 41 00 80 00 00 00 50 \r86 F1 1F 41 00 BE 1F B8 11 6F \r\r>") << "11h 1Fh "
                         << 0x1F;
    QTest::newRow("CAN 11 bit, two ECUs")
        << 6 << r("7E8 06 41 00 BF 9F B9 93 \r7E9 06 41 00 98 18 80 11 \r\r>") << "7E8h 7E9h " << 0x7E8;
    QTest::newRow("CAN 11 bit 250k") << 8 << r("7E8 06 41 00 BF 9F B9 93 \r7E9 06 41 00 98 18 80 11 \r\r>")
                                     << "7E8h 7E9h " << 0x7E8;
    QTest::newRow("CAN 29 bit") << 7 << r("18 DA F1 10 06 41 00 BF 9F B9 93 \r18 DA F1 11 06 41 00 98 18 80 11 \r\r>")
                                << "10h 11h " << 0x10;
    QTest::newRow("single ECU without line end") << 6 << r("7E8 06 41 00 BF 9F B9 93 ..>") << "7E8h " << 0x7E8;
    QTest::newRow("no trims: the first ECU")
        << 6 << r("7E8 06 41 00 80 00 00 01 \r7E9 06 41 00 80 00 00 00 \r>") << "7E8h 7E9h " << 0x7E8;
    QTest::newRow("shorter than 20 characters") << 6 << r("7E8 06 41 00 BF \r>") << "" << 0;
    QTest::newRow("a foreign line ends the search")
        << 4 << r("86 F1 11 41 00 80 00 00 00 50 \rSTOPPED HERE AND NOW \r86 F1 1F 41 00 BE 1F B8 11 6F \r>") << "11h "
        << 0x11;
    QTest::newRow("protocol without layout") << 10 << r("7E8 06 41 00 BF 9F B9 93 \r\r>") << "" << 0;
}

void TestObdParsers::ecuDiscovery()
{
    QFETCH(int, protocol);
    QFETCH(QByteArray, reply);
    QFETCH(QString, list);
    QFETCH(int, primary);
    TObd obd;
    obd.protocol = protocol;
    obd.reply = reply;
    obd.SzukajEcu();
    QCOMPARE(obd.panels.status[ObdPanels::RowEcu], list);
    QCOMPARE(obd.primaryEcu, primary);
    QCOMPARE(obd.reply, reply);  // left whole for the support bitmap that follows
}

void TestObdParsers::pidSupportBitmap()
{
    TObd obd;
    obd.protocol = 6;
    obd.primaryEcu = 0x7E8;
    obd.pidy[0x50].supported = true;  // from an earlier discovery; cleared by a new one
    obd.reply = "7E8 06 41 00 BF 9F B9 93 \r7E9 06 41 00 98 18 80 11 \r\r>";
    obd.PIDsupported(0);
    const QList<int> expected = {0x00, 0x01, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0C, 0x0D, 0x0E,
                                 0x0F, 0x10, 0x11, 0x13, 0x14, 0x15, 0x18, 0x19, 0x1C, 0x1F, 0x20};
    QList<int> supported;
    for (int i = 0; i < obd.pidy.size(); ++i)
        if (obd.pidy[i].supported) supported << i;
    QCOMPARE(supported, expected);

    // The last bitmap ends at PID 80, the catalogue's last entry.
    obd.reply = "7E8 06 41 60 00 00 00 01 \r>";
    obd.PIDsupported(0x60);
    QVERIFY(obd.pidy[0x80].supported);
    QVERIFY(!obd.pidy[0x7F].supported);
}

void TestObdParsers::pidDecoding_data()
{
    QTest::addColumn<int>("pidNumber");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("text");
    QTest::newRow("rpm") << 0x0C << r("1A F8") << "1726[rpm]";
    QTest::newRow("rpm quarter") << 0x0C << r("1A F9") << "1726.25[rpm]";
    QTest::newRow("coolant") << 0x05 << r("7B") << QString::fromUtf8("83[°C]");
    QTest::newRow("trim zero") << 0x06 << r("80") << "0.0[%]";
    QTest::newRow("trim negative") << 0x07 << r("70") << "-12.5[%]";
    QTest::newRow("throttle full") << 0x11 << r("FF") << "100.0[%]";
    QTest::newRow("monitor status without lamp bit") << 0x01 << r("83 07 65 04") << "3";
    QTest::newRow("freeze DTC") << 0x02 << r("01 33") << "307";
    QTest::newRow("fuel system closed loop") << 0x03 << r("02 00") << "CL";
    QTest::newRow("fuel system unknown") << 0x03 << r("03 00") << "";
    QTest::newRow("fuel pressure") << 0x0A << r("64") << "300[kPa]";
    QTest::newRow("speed") << 0x0D << r("32") << "50[km/h]";
    QTest::newRow("timing advance") << 0x0E << r("85") << QString::fromUtf8("2.5[°]");
    QTest::newRow("MAF") << 0x10 << r("01 2C") << "3[g/sec]";
    QTest::newRow("MAF fraction") << 0x10 << r("01 2D") << "3.01[g/sec]";
    QTest::newRow("secondary air") << 0x12 << r("02") << "Downstream of catalytic converter";
    QTest::newRow("O2 sensors present") << 0x13 << r("33") << "B1:3 B2:3";
    QTest::newRow("O2 voltage") << 0x14 << r("5A 80") << "0.45[V]";
    QTest::newRow("OBD standard") << 0x1C << r("06") << "EOBD (Europe)";
    QTest::newRow("OBD standard reserved") << 0x1C << r("0E") << "Reserved";
    QTest::newRow("OBD standard last") << 0x1C << r("21") << "Heavy Duty Euro OBD Stage VI (HD EOBD-IV)";
    QTest::newRow("O2 sensors present 4 banks") << 0x1D << r("E4") << "B1:0 B2:1 B3:2 B4:3";
    QTest::newRow("run time") << 0x1F << r("01 00") << "256[sec]";
    QTest::newRow("no decoder, 2 bytes") << 0x22 << r("00 0A") << "0x0A[kPa]";
    QTest::newRow("no decoder, 4 bytes") << 0x24 << r("80 00 7F FF") << "0x80007FFF";
    QTest::newRow("formula -1, 5 bytes, low 32 bits") << 0x64 << r("11 22 33 44 55") << "0x22334455[%]";
}

void TestObdParsers::pidDecoding()
{
    QFETCH(int, pidNumber);
    QFETCH(QByteArray, data);
    QFETCH(QString, text);
    TObd obd;
    obd.locale = QLocale::c();
    obd.protocol = 6;
    obd.primaryEcu = 0x7E8;
    obd.currentPid = pidNumber;
    const int bytes = obd.pidy[pidNumber].bytes;
    obd.reply = "7E8 0" + QByteArray::number(bytes + 2) + " 41 " + ObdReplyText::Hex(pidNumber) + " " + data + " \r\r>";
    QCOMPARE(obd.WyswietlPid(), 1);
    QCOMPARE(obd.panels.pidValues[pidNumber], text);
}

void TestObdParsers::pidNegativeAnswerOfOtherEcuIsPassedOver()
{
    TObd obd;
    obd.locale = QLocale::c();
    obd.protocol = 4;
    obd.primaryEcu = 0x1F;
    obd.currentPid = 0x07;
    obd.reply = "83 F1 11 7F 01 12 1E \r83 F1 1F 41 07 81 4E \r\r>";
    QCOMPARE(obd.WyswietlPid(), 1);
    QCOMPARE(obd.panels.pidValues[0x07], QStringLiteral("0.8[%]"));

    // The locale's decimal separator, never a thousands separator.
    obd.locale = QLocale(QLocale::Polish);
    QCOMPARE(obd.WyswietlPid(), 1);
    QCOMPARE(obd.panels.pidValues[0x07], QStringLiteral("0,8[%]"));
    obd.protocol = 6;
    obd.primaryEcu = 0x7E8;
    obd.currentPid = 0x0C;
    obd.reply = "7E8 04 41 0C FF FF \r\r>";
    QCOMPARE(obd.WyswietlPid(), 1);
    QCOMPARE(obd.panels.pidValues[0x0C], QStringLiteral("16383,75[rpm]"));
}

void TestObdParsers::longPidNeverDecodesOnCan()
{
    TObd obd;
    obd.protocol = 6;
    obd.primaryEcu = 0x7E8;
    obd.currentPid = 0x68;  // 7 bytes: a first frame and a consecutive frame
    obd.reply = "7E8 10 09 41 68 01 02 03 04 \r7E8 21 05 06 07 00 00 00 00 \r\r>";
    obd.panels.pidValues[0x68] = QStringLiteral("old");
    QCOMPARE(obd.WyswietlPid(), 0);
    QCOMPARE(obd.panels.pidValues[0x68], QStringLiteral("old"));
    // A wrong length byte or another ECU's line decodes to nothing as well.
    obd.currentPid = 0x0C;
    obd.reply = "7E8 03 41 0C 1A \r7E9 04 41 0C 1A F8 \r\r>";
    QCOMPARE(obd.WyswietlPid(), 0);
}

void TestObdParsers::catalogue()
{
    TObd obd;
    QCOMPARE(obd.pidy.size(), 129);
    QCOMPARE(obd.pidy[0x14].name, QStringLiteral("Bank 1 Sensor 1: Oxygen sensor voltage"));
    QCOMPARE(obd.pidy[0x1B].shortName, QStringLiteral("O2 B2S4"));
    QCOMPARE(obd.pidy[0x1C].name, QStringLiteral("OBD standards this vehicle conforms to"));
    QCOMPARE(obd.pidy[0x24].name, QStringLiteral("O2S1_WR_lambda(1)"));
    QCOMPARE(obd.pidy[0x3B].shortName, QStringLiteral("O2 S8"));
    QCOMPARE(obd.pidy[0x3D].shortName, QStringLiteral("CAT TEMP21"));
    QCOMPARE(obd.pidy[0x3E].name, QStringLiteral("Catalyst Temperature Bank 2, Sensor 1"));
    QCOMPARE(obd.pidy[0x3E].shortName, QStringLiteral("CAT TEMP12"));
    QCOMPARE(obd.pidy[0x40].name, QStringLiteral("PIDs supported 41-60"));
    QCOMPARE(obd.pidy[0x4B].name, QStringLiteral("Accelerator pedal position F"));
    QCOMPARE(obd.pidy[0x60].name, QStringLiteral("PIDs supported 61-80"));
    QCOMPARE(obd.pidy[0x7F].bytes, 13);
    QCOMPARE(obd.pidy[0x80].name, QStringLiteral("PIDs supported 81-A0"));
    for (int i = 0; i < obd.pidy.size(); ++i) {
        QVERIFY(!obd.pidy[i].supported);
        QCOMPARE(obd.pidy[i].selected, i == 3 || (i >= 6 && i <= 9));
        QCOMPARE(obd.pidy[i].gridRow, i);
    }
}

void TestObdParsers::nextPidOrder()
{
    TObd obd;
    obd.locale = QLocale::c();
    for (int p : {0x03, 0x05, 0x06, 0x0C}) obd.pidy[p].supported = true;
    obd.pidy[0x0C].selected = true;
    obd.currentPid = 0;
    QList<int> order;
    for (int i = 0; i < 6; ++i) {
        obd.KolejnyPid();
        order << obd.currentPid;
    }
    // Supported and selected only (05 is not selected), ascending, wrapping round.
    QCOMPARE(order, (QList<int>{0x03, 0x06, 0x0C, 0x03, 0x06, 0x0C}));
    // Nothing supported and selected: nothing sent, the current PID stays.
    for (auto& p : obd.pidy) p.selected = false;
    obd.currentPid = 0x06;
    obd.KolejnyPid();
    QCOMPARE(obd.currentPid, 0x06);
    // An out-of-range index starts again from 0.
    obd.pidy[0x05].selected = true;
    obd.currentPid = 500;
    obd.KolejnyPid();
    QCOMPARE(obd.currentPid, 0x05);
}

void TestObdParsers::fuelSnapshotReachesTheLink()
{
    TSterownik link;
    link.mem.obdStatus.fill(0xEE);
    TObd obd;
    obd.sterownik = &link;
    obd.protocol = 6;
    obd.primaryEcu = 0x7E8;
    const struct {
        int pid;
        const char* reply;
    } replies[] = {{0x03, "7E8 04 41 03 02 04 \r>"},
                   {0x06, "7E8 03 41 06 00 \r>"},
                   {0x07, "7E8 03 41 07 85 \r>"},
                   {0x08, "7E8 03 41 08 7F \r>"},
                   {0x09, "7E8 03 41 09 01 \r>"}};
    for (const auto& step : replies) {
        obd.currentPid = step.pid;
        obd.reply = step.reply;
        QCOMPARE(obd.WyswietlPid(), 1);
    }
    const std::array<uint8_t, 7> expected = {0x02, 0x04, 0x01, 0x85, 0x7F, 0x01, 0x00};
    QCOMPARE(std::memcmp(link.mem.obdStatus.data() + 5, expected.data(), expected.size()), 0);
    QCOMPARE(link.mem.obdStatus[4], uint8_t(0xEE));
    QCOMPARE(link.mem.obdStatus[12], uint8_t(0xEE));
    QCOMPARE(link.commandPending(TSterownik::CmdLiveWithObd), true);

    // A PID that does not decode changes nothing and raises no flag.
    link.cancelCommand(TSterownik::CmdLiveWithObd);
    obd.currentPid = 0x06;
    obd.reply = "NO DATA\r\r>";
    QCOMPARE(obd.WyswietlPid(), 0);
    QCOMPARE(link.commandPending(TSterownik::CmdLiveWithObd), false);
}

void TestObdParsers::troubleCodes_data()
{
    QTest::addColumn<int>("protocol");
    QTest::addColumn<int>("ecu");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QStringList>("codes");  // header marker "#", then the codes in order
    const QString stored = QStringLiteral("\tStored Trouble Codes  /  Błędy zarejestrowane :");
    const QString pending = QStringLiteral("\tPending Trouble Codes  /  Błędy oczekujące :");
    const QString permanent = QStringLiteral("\tPermanent Trouble Codes  /  Błędy permanentne :");
    QTest::newRow("KWP, other ECU not read")
        << 4 << 0x1F << 0x43 << r("87 F1 1F 43 20 97 00 00 00 00 83 \r87 F1 11 43 00 00 00 00 00 00 D3 \r\r>")
        << QStringList{stored, "P2097"};
    QTest::newRow("KWP, two lines") << 4 << 0x10 << 0x43
                                    << r("87 F1 10 43 01 20 02 20 01 05 B5 \r87 F1 10 43 03 00 00 00 00 00 D6 \r\r>")
                                    << QStringList{stored, "P0120", "P0220", "P0105", "P0300"};
    QTest::newRow("ISO 9141, none") << 3 << 0x10 << 0x43 << r("48 6B 10 43 00 00 00 00 00 00 A8 \r\r>")
                                    << QStringList{stored};
    QTest::newRow("J1850, other ECU only")
        << 2 << 0x10 << 0x43 << r("48 6B 11 43 01 00 00 00 00 00 A8 \r\r>") << QStringList{};
    QTest::newRow("CAN, multi-frame, other ECU not read")
        << 6 << 0x7E8 << 0x43
        << r("7E8 10 08 43 03 C1 55 C1 01 \r7E8 21 C1 21 00 00 00 00 00 \r7E9 04 43 01 C0 73 \r\r>")
        << QStringList{stored, "U0155", "U0101", "U0121"};
    QTest::newRow("CAN, pending none") << 6 << 0x7E8 << 0x47 << r("7E8 02 47 00 00 00 00 00 00 \r\r>")
                                       << QStringList{pending};
    QTest::newRow("CAN, two consecutive frames")
        << 6 << 0x7E8 << 0x47
        << r("7E8 10 0E 47 06 01 20 02 20 \r7E8 21 01 05 03 00 01 10 04 \r7E8 22 43 05 03 00 01 10 04 \r\r>")
        << QStringList{pending, "P0120", "P0220", "P0105", "P0300", "P0110", "P0443"};
    QTest::newRow("CAN 29 bit, multi-frame")
        << 7 << 0x10 << 0x43 << r("18 DA F1 10 10 0C 43 05 01 05 03 40 \r18 DA F1 10 21 11 20 01 21 02 21 00 \r\r>")
        << QStringList{stored, "P0105", "P0340", "P1120", "P0121", "P0221"};
    QTest::newRow("CAN, one code") << 6 << 0x7E8 << 0x47 << r("7E8 04 47 01 10 55 00 00 00 \r\r>")
                                   << QStringList{pending, "P1055"};
    QTest::newRow("CAN, two codes") << 6 << 0x7E8 << 0x4A << r("7E8 06 4A 02 03 00 04 20 00 \r\r>")
                                    << QStringList{permanent, "P0300", "P0420"};
    QTest::newRow("CAN, no answer") << 6 << 0x7E8 << 0x43 << r("NO DATA\r\r>") << QStringList{};
    QTest::newRow("CAN, missing consecutive frame")
        << 6 << 0x7E8 << 0x43 << r("7E8 10 08 43 03 C1 55 C1 01 \r\r>") << QStringList{stored, "U0155", "U0101"};
    QTest::newRow("CAN, unknown frame") << 6 << 0x7E8 << 0x43 << r("7E8 05 43 01 01 00 \r\r>") << QStringList{stored};
    QTest::newRow("J1939 writes nothing") << 10 << 0x7E8 << 0x43 << r("7E8 04 43 01 C0 73 \r\r>") << QStringList{};
}

void TestObdParsers::troubleCodes()
{
    QFETCH(int, protocol);
    QFETCH(int, ecu);
    QFETCH(int, mode);
    QFETCH(QByteArray, reply);
    QFETCH(QStringList, codes);
    TObd obd;
    obd.protocol = protocol;
    obd.primaryEcu = ecu;
    obd.reply = reply;
    obd.KodyBledow(static_cast<unsigned char>(mode));
    QStringList shown;
    for (const auto& line : obd.panels.codeBox) {
        if (line.defaultColour) continue;  // descriptions, checked below
        shown << line.text;
        QCOMPARE(line.colour, line.text.startsWith(QLatin1Char('\t')) ? TObd::kHeaderColour : TObd::kCodeColour);
    }
    QCOMPARE(shown, codes);
}

// The code count of a first frame comes off the line: a field that lost its spaces reads as a
// huge number. Every loop stays within the reply actually held: the codes shown are the ones the
// reply carries, and the consecutive-frame search ends with the reply.
void TestObdParsers::troubleCodeCountFromTheLine_data()
{
    QTest::addColumn<QByteArray>("count");
    QTest::newRow("spaces lost") << r("03017101");
    QTest::newRow("largest positive") << r("7FFFFFFF");
    QTest::newRow("all bits") << r("FFFFFFFF");
}

void TestObdParsers::troubleCodeCountFromTheLine()
{
    QFETCH(QByteArray, count);
    TObd obd;
    obd.protocol = 6;
    obd.primaryEcu = 0x7E8;
    obd.reply = "7E8 10 08 43 " + count + " C1 55 C1 01 \r7E8 21 C1 21 00 00 00 00 00 \r\r>";
    const qsizetype held = obd.reply.size();
    int logLines = 0;
    obd.OnTekst = [&](QObject*, const QString&, TColor) { ++logLines; };
    obd.KodyBledow(0x43);
    int codes = 0;
    for (const auto& line : obd.panels.codeBox)
        codes += !line.defaultColour && !line.text.startsWith(QLatin1Char('\t'));
    QVERIFY2(codes <= held / 6, qPrintable(QString::number(codes)));
    // Two lines per consecutive frame looked for, the count, the reply, one per code.
    QVERIFY2(logLines <= 2 * (held / 7 + 1) + 2 + codes, qPrintable(QString::number(logLines)));
    QVERIFY(!obd.panels.codeBox.isEmpty());  // the stored-codes header
}

void TestObdParsers::codeText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("P") << 0x2097 << "P2097";
    QTest::newRow("C") << 0x4035 << "C0035";
    QTest::newRow("B") << 0x8001 << "B0001";
    QTest::newRow("U") << 0xC155 << "U0155";
    QTest::newRow("highest") << 0xFFFF << "U3FFF";
}

void TestObdParsers::codeText()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(ObdTroubleCodes::CodeText(static_cast<uint16_t>(code)), text);
}

void TestObdParsers::manufacturerRanges_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("maker");
    QTest::newRow("P0") << "P0171" << false;
    QTest::newRow("P1") << "P1234" << true;
    QTest::newRow("P1 last") << "P1FFF" << true;
    QTest::newRow("P2") << "P2097" << false;
    QTest::newRow("P30") << "P3000" << true;
    QTest::newRow("P33") << "P33FF" << true;
    QTest::newRow("P34") << "P3400" << false;
    QTest::newRow("B0") << "B0001" << false;
    QTest::newRow("B1") << "B1001" << true;
    QTest::newRow("B3") << "B3FFF" << true;
    QTest::newRow("C0") << "C0035" << false;
    QTest::newRow("C2") << "C2000" << true;
    QTest::newRow("C3") << "C3100" << true;
    QTest::newRow("U0") << "U0155" << false;
    QTest::newRow("U1") << "U1000" << true;
    QTest::newRow("U2") << "U2100" << true;
    QTest::newRow("too short") << "P12" << false;
    QTest::newRow("empty") << "" << false;
}

void TestObdParsers::manufacturerRanges()
{
    QFETCH(QString, code);
    QFETCH(bool, maker);
    QCOMPARE(ObdTroubleCodes::ManufacturerSpecific(code), maker);
}

void TestObdParsers::descriptions_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("description");  // "<none>" when there is no entry
    const QByteArray table = "P0001 First\r\nP0002 Says \x93quoted\x94\r\nP0003 Obw\xf3"
                             "d \xa3\xb9"
                             "cze\x9c\r\n"
                             "C1293 Code C1291 Set in Previous Ignition Cycle\r\nP0001 Duplicate\r\nU0155 Last";
    QTest::newRow("first entry") << table << "P0001"
                                 << " First";
    QTest::newRow("0x93 and 0x94") << table << "P0002"
                                   << " Says /147quoted/148";
    QTest::newRow("Polish letters") << table << "P0003" << QString::fromUtf8(" Obwód Łącześ");
    QTest::newRow("last entry without line end") << table << "U0155"
                                                 << " Last";
    QTest::newRow("code named in another description") << table << "C1291"
                                                       << "<none>";
    QTest::newRow("absent") << table << "B0001"
                            << "<none>";
    QTest::newRow("empty table") << QByteArray() << "P0001"
                                 << "<none>";
    QByteArray all;
    for (int b = 0x80; b <= 0xFF; ++b) all.append(static_cast<char>(b));
    QTest::newRow("every high byte") << QByteArray("P0004 ") + all << "P0004" << []() {
        QString s = QStringLiteral(" ");
        const QString polish = QString::fromUtf8("ŚŹśźŁĄŻłążĆĘŃÓćęńó");
        const int codes[] = {0x8C, 0x8F, 0x9C, 0x9F, 0xA3, 0xA5, 0xAF, 0xB3, 0xB9,
                             0xBF, 0xC6, 0xCA, 0xD1, 0xD3, 0xE6, 0xEA, 0xF1, 0xF3};
        for (int b = 0x80; b <= 0xFF; ++b) {
            const int* at = std::find(std::begin(codes), std::end(codes), b);
            s += at != std::end(codes) ? QString(polish[int(at - codes)]) : "/" + QString::number(b);
        }
        return s;
    }();
}

void TestObdParsers::descriptions()
{
    QFETCH(QByteArray, table);
    QFETCH(QString, code);
    QFETCH(QString, description);
    const std::optional<QString> found = ObdTroubleCodes::Description(table, code);
    QCOMPARE(found.value_or(QStringLiteral("<none>")), description);
    // The index the reader builds once per table answers the same.
    const std::optional<QString> indexed = ObdTroubleCodes::DescriptionIndex(table).find(code);
    QCOMPARE(indexed.value_or(QStringLiteral("<none>")), description);
}

void TestObdParsers::embeddedTablesDescribeCodes()
{
    // The tables built into the program: English for every letter, Polish for P codes.
    TObd obd;
    obd.protocol = 6;
    obd.primaryEcu = 0x7E8;
    obd.reply = "7E8 10 08 43 03 01 71 01 00 \r7E8 21 C1 55 00 00 00 00 00 \r\r>";
    obd.KodyBledow(0x43);
    const QStringList lines = codeBoxTexts(obd);
    QCOMPARE(lines.size(), 1 + 3 + 3 + 2);  // header; P0171 and P0100 in both languages; U0155 in English
    QCOMPARE(lines[1], QStringLiteral("P0171"));
    QCOMPARE(lines[2], QStringLiteral(" System Too Lean (Bank 1)"));
    QVERIFY2(lines[3].contains(QString::fromUtf8("uboga")), qPrintable(lines[3]));
    QCOMPARE(lines[4], QStringLiteral("P0100"));
    QCOMPARE(lines[7], QStringLiteral("U0155"));
    QCOMPARE(lines[8], QStringLiteral(" Lost Communication With Instrument Panel Cluster (IPC) Control Module"));
    QVERIFY(obd.panels.codeBox[8].defaultColour);
}

void TestObdParsers::statusRows_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::newRow("reset") << r("ATZ") << r("ATZ\r\rELM327 v1.5\r\r>") << int(ObdPanels::RowElm) << "ELM327 v1.5";
    QTest::newRow("no adapter") << r("ATZ") << r("ATZ\r\r?\r\r>") << int(ObdPanels::RowElm) << "brak interfejsu";
    QTest::newRow("time-out") << r("ATZ") << QByteArray() << int(ObdPanels::RowElm) << "brak interfejsu";
    QTest::newRow("voltage") << r("ATRV") << r("ATRV\r12.6V\r\r>") << int(ObdPanels::RowPwr) << "12.6V";
    QTest::newRow("voltage without echo") << r("ATRV") << r("14.1V\r\r>") << int(ObdPanels::RowPwr) << "14.1V";
    QTest::newRow("no voltage") << r("ATRV") << r("ATRV\r?\r\r>") << int(ObdPanels::RowPwr) << "-";
    QTest::newRow("lamp on") << r("0101") << r("7E8 06 41 01 83 07 65 04 \r\r>") << int(ObdPanels::RowMil)
                             << "zapalony";
    QTest::newRow("three codes") << r("0101") << r("7E8 06 41 01 83 07 65 04 \r\r>") << int(ObdPanels::RowDtc) << "3";
    QTest::newRow("lamp off") << r("0101") << r("0101\r7E8 06 41 01 00 07 65 04 \r\r>") << int(ObdPanels::RowMil)
                              << "zgaszony";
    QTest::newRow("no codes") << r("0101") << r("7E8 06 41 01 00 07 65 04 \r\r>") << int(ObdPanels::RowDtc) << "0";
    QTest::newRow("no status") << r("0101") << r("NO DATA\r\r>") << int(ObdPanels::RowMil) << "-";
}

void TestObdParsers::statusRows()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QFETCH(int, row);
    QFETCH(QString, text);
    TObd obd;
    for (QString& s : obd.panels.status) s = QStringLiteral("old");
    obd.reply = reply;
    if (command == "ATZ") obd.StatusElm();
    else if (command == "ATRV") obd.StatusVoltage();
    else obd.StatusDteMil();
    QCOMPARE(obd.panels.status[row], text);
    if (command == "ATZ") {  // the reset clears every row below the adapter's
        for (int r = ObdPanels::RowPwr; r < ObdPanels::RowCount; ++r) QVERIFY(obd.panels.status[r].isEmpty());
        QCOMPARE(obd.panels.status[ObdPanels::RowPort], QStringLiteral("old"));
    }
}

void TestObdParsers::parsersSurviveArbitraryBytes()
{
    // Random replies, and the mangled forms of real ones: no crash, no read past the text.
    QRandomGenerator rng(1979);
    const QByteArray alphabet = "0123456789ABCDEF 7E8\r>18DAF1 10 21 43 47 41 00";
    TObd obd;
    for (int round = 0; round < 3000; ++round) {
        QByteArray text;
        const int length = static_cast<int>(rng.bounded(80));
        for (int i = 0; i < length; ++i)
            text.append(round % 3 == 0 ? static_cast<char>(rng.bounded(256))
                                       : alphabet[static_cast<int>(rng.bounded(alphabet.size()))]);
        obd.protocol = static_cast<int>(rng.bounded(13));
        obd.primaryEcu = round % 2 ? 0x7E8 : 0x10;
        for (const unsigned char mode : {0x43, 0x47, 0x4A}) {
            obd.reply = text;
            obd.KodyBledow(mode);
        }
        obd.reply = text;
        obd.SzukajEcu();
        obd.PIDsupported(0x20 * static_cast<int>(rng.bounded(4)));
        obd.currentPid = static_cast<int>(rng.bounded(129));
        obd.WyswietlPid();
        obd.StatusProtokol();
        obd.StatusDteMil();
        obd.StatusVoltage();
        obd.StatusElm();
        const std::optional<QString> d = ObdTroubleCodes::Description(text, QStringLiteral("P0001"));
        if (d) QVERIFY(text.startsWith("P0001") || text.contains("\nP0001") || text.contains("\rP0001"));
        // Whatever came in, the box holds only section headers, well-formed codes and descriptions.
        static const QRegularExpression codeForm(QStringLiteral("^[PCBU][0-3][0-9A-F]{3}$"));
        for (const auto& line : obd.panels.codeBox) {
            if (line.defaultColour) continue;
            if (line.colour == TObd::kHeaderColour) QVERIFY(line.text.startsWith(QLatin1Char('\t')));
            else QVERIFY2(codeForm.match(line.text).hasMatch(), qPrintable(line.text));
        }
        QCOMPARE(obd.panels.status[ObdPanels::RowEcu].count(QStringLiteral("h ")), obd.ecuCount);
        obd.panels.codeBox.clear();
    }
}

void TestObdParsers::frameCountBeyondTheReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    // Count fields that lost their spaces on the line, or came in damaged.
    QTest::newRow("spaces lost") << r("7E8 10 0A 43 03017101 33 \r7E8 21 00 00 00 00 00 00 00 \r\r>");
    QTest::newRow("largest positive") << r("7E8 10 0A 43 7FFFFFFF 01 33 \r\r>");
    QTest::newRow("negative") << r("7E8 10 0A 43 80000001 01 33 \r\r>");
}

void TestObdParsers::frameCountBeyondTheReply()
{
    // The count of a multi-frame reply is the car's word: the reader walks only the frames and codes
    // that the reply actually holds (one log line per code or frame, not one per counted frame).
    QFETCH(QByteArray, reply);
    TObd obd;
    obd.protocol = 6;
    obd.primaryEcu = 0x7E8;
    obd.reply = reply;
    int logLines = 0;
    obd.OnTekst = [&logLines](QObject*, const QString&, TColor) { ++logLines; };
    obd.KodyBledow(0x43);
    QVERIFY2(logLines <= reply.size(), qPrintable(QString::number(logLines)));
    QVERIFY(obd.panels.codeBox.size() <= 1 + 3 * reply.size() / 6);
}

QTEST_GUILESS_MAIN(TestObdParsers)
#include "tst_obdparsers.moc"
