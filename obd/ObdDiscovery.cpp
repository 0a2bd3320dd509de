#include "obd/ObdDiscovery.h"

#include "obd/ObdReplyText.h"

using ObdReplyText::Hex;
using ObdReplyText::TekstNaInt;

namespace ObdDiscovery {

namespace {

bool at(const QByteArray& text, int pos, const char* what) { return text.mid(pos).startsWith(what); }

}  // namespace

EcuList SzukajEcu(const QByteArray& reply, int protocol)
{
    EcuList result;
    QByteArray copy = reply;
    while (copy.size() >= 20) {
        int address = 0;
        int support = 0;
        bool accepted = true;
        if (protocol >= 1 && protocol <= 5) {
            if (protocol <= 3 ? !at(copy, 3, "6B") : !at(copy, 0, "86 F1 ")) break;
            copy.remove(0, 6);
            if (!at(copy, 2, " 41 00 ")) break;
            address = static_cast<int>(TekstNaInt(copy, 0, 1));
            support = static_cast<int>(TekstNaInt(copy, 9, 1));
        } else if (protocol >= 6 && protocol <= 9) {
            const qsizetype p = copy.indexOf(" 06 41 00 ");
            if (p < 0) break;
            address = static_cast<int>(TekstNaInt(copy, (protocol == 6 || protocol == 8) ? 0 : 9, 1));
            support = static_cast<int>(TekstNaInt(copy, static_cast<int>(p) + 10, 1));
        } else {
            accepted = false;
        }
        if (accepted) {
            result.list += QString::fromLatin1(Hex(static_cast<uint32_t>(address))) + QStringLiteral("h ");
            if (result.count == 0) result.primary = address;
            if (support & 0x06) result.primary = address;
            ++result.count;
        }
        const qsizetype cr = copy.indexOf('\r');
        if (cr < 0) break;
        copy.remove(0, cr + 1);
    }
    return result;
}

QByteArray PidPattern(int protocol, int ecu, int pid, int bytes)
{
    const QByteArray pp = Hex(static_cast<uint32_t>(pid));
    const QByteArray length = " 0" + QByteArray::number(bytes + 2);
    if (protocol >= 1 && protocol <= 3) return "6B " + Hex(static_cast<uint32_t>(ecu)) + " 41 " + pp;
    if (protocol == 4 || protocol == 5) return "F1 " + Hex(static_cast<uint32_t>(ecu)) + " 41 " + pp;
    if (protocol == 6 || protocol == 8) return Hex(static_cast<uint32_t>(ecu), 3) + length + " 41 " + pp;
    if (protocol == 7 || protocol == 9) return Hex(static_cast<uint32_t>(ecu)) + length + " 41 " + pp;
    return {};
}

int SzukajEcuPid(const QByteArray& reply, int protocol, int ecu, int pid, int bytes)
{
    const QByteArray pattern = PidPattern(protocol, ecu, pid, bytes);
    if (pattern.isEmpty()) return -1;
    const qsizetype q = reply.indexOf(pattern);
    if (q < 0) return -1;
    return static_cast<int>(q + pattern.size() + 1);
}

bool SzukajEcuMode(QByteArray& reply, int protocol, int ecu, int mode)
{
    const QByteArray mm = Hex(static_cast<uint32_t>(mode));
    if (protocol >= 1 && protocol <= 5) {
        const QByteArray pattern = (protocol <= 3 ? "6B " : "F1 ") + Hex(static_cast<uint32_t>(ecu)) + " " + mm;
        const qsizetype q = reply.indexOf(pattern);
        if (q < 0) return false;
        reply.remove(0, q + pattern.size() + 1);
        return true;
    }
    if (protocol >= 6 && protocol <= 9) {
        const QByteArray id = (protocol == 6 || protocol == 8) ? Hex(static_cast<uint32_t>(ecu), 3)
                                                               : "18 DA F1 " + Hex(static_cast<uint32_t>(ecu));
        const qsizetype q = reply.indexOf(id);
        if (q < 0) return false;
        reply.remove(0, q + id.size() + 1);
        // A single frame ("04 43 01 C0 73") or the first frame of a longer reply ("10 08 43 03 ...").
        return at(reply, 3, mm.constData()) || at(reply, 6, mm.constData());
    }
    return false;
}

}  // namespace ObdDiscovery
