#include "obd/ObdReplyText.h"

namespace ObdReplyText {

uint32_t TekstNaInt(const QByteArray& text, int pos, int fields)
{
    uint32_t result = 0;
    if (pos < 0) return 0;
    const int end = static_cast<int>(std::min<qsizetype>(text.size(), static_cast<qsizetype>(pos) + 255));
    for (int i = pos; i < end; ++i) {
        const char c = text[i];
        if (c == '\0') break;
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (digit >= 0) {
            result = (result << 4) + static_cast<uint32_t>(digit);
        } else if (c == ' ') {
            if (fields <= 1) break;
            --fields;
        }
    }
    return result;
}

bool CzyBlad(const QByteArray& reply)
{
    return reply.contains("NO DATA") || reply.contains("ERROR") || reply.contains("NO");
}

QByteArray Hex(uint32_t value, int digits)
{
    return QByteArray::number(value, 16).toUpper().rightJustified(digits, '0');
}

int ProtocolNumber(const QByteArray& reply)
{
    QByteArray text = reply;
    if (text.contains("ATDPN")) text.remove(0, 6);
    const qsizetype cr = text.indexOf('\r');
    if (cr >= 0) text.truncate(cr);
    text = text.trimmed();
    // "A6": the adapter found protocol 6 by its automatic search. The mark says how the protocol
    // was chosen, not which one it is.
    if (text.size() >= 2 && text[0] == 'A') text.remove(0, 1);
    if (text.size() == 1 && text[0] >= 'A' && text[0] <= 'C') return text[0] - 'A' + 10;
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    return ok ? number : 0;
}

namespace {

struct ProtocolTexts {
    const char* row;
    const char* log;
};

constexpr ProtocolTexts kProtocols[] = {
    {"SAE J1850 PWM", "SAE J1850 PWM (41.6 Kbaud)"},
    {"SAE J1850 VPW", "SAE J1850 VPW (10.4 Kbaud)"},
    {"ISO 9141-2 (KL)", "ISO 9141-2 (5 baud init, 10.4 Kbaud)"},
    {"ISO 14230-4 (KWP slow init)", "ISO 14230-4 KWP (5 baud init, 10.4 Kbaud)"},
    {"ISO 14230-4 (KWP fast init)", "ISO 14230-4 KWP (fast init, 10.4 Kbaud)"},
    {"CAN (11 bit ID, 500 kb)", "ISO 15765-4 CAN (11 bit ID, 500 Kbaud)"},
    {"CAN (29 bit ID, 500 kb)", "ISO 15765-4 CAN (29 bit ID, 500 Kbaud)"},
    {"CAN (11 bit ID, 250 kb)", "ISO 15765-4 CAN (11 bit ID, 250 Kbaud)"},
    {"CAN (29 bit ID, 250 kb)", "ISO 15765-4 CAN (29 bit ID, 250 Kbaud)"},
    {"CAN (29 bit ID, 250* kb)", "SAE J1939 CAN (29 bit ID, 250* Kbaud)"},
    {"USER1", "USER1 CAN (11* bit ID, 125* Kbaud)"},
    {"USER2", "USER2 CAN (11* bit ID, 50* Kbaud)"},
};

}  // namespace

bool ProtocolKnown(int protocol) { return protocol >= 1 && protocol <= 12; }

QString ProtocolRowText(int protocol)
{
    return ProtocolKnown(protocol) ? QString::fromLatin1(kProtocols[protocol - 1].row) : QStringLiteral("?");
}

QString ProtocolLogText(int protocol)
{
    return ProtocolKnown(protocol) ? QString::fromLatin1(kProtocols[protocol - 1].log)
                                   : QStringLiteral("nieznany protokół");
}

QString LogForm(const QByteArray& bytes)
{
    QByteArray shown = bytes;
    for (char& c : shown)
        if (static_cast<uint8_t>(c) < 16) c = '.';
    return QString::fromLatin1(shown);
}

}  // namespace ObdReplyText
