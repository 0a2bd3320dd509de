// Discovery and PID decoding of the OBD reader.
#include "obd/ObdDiscovery.h"
#include "obd/ObdReplyText.h"
#include "obd/Telmobd.h"

using ObdReplyText::Hex;

void TObd::StatusProtokol()
{
    protocol = ObdReplyText::ProtocolNumber(reply);
    Status(ObdPanels::RowObd, ObdReplyText::ProtocolRowText(protocol), false);
    DoOnTekst(ObdReplyText::ProtocolLogText(protocol),
              ObdReplyText::ProtocolKnown(protocol) ? kInfoColour : kErrorColour);
}

void TObd::StatusEcu() { SzukajEcu(); }

void TObd::SzukajEcu()
{
    const ObdDiscovery::EcuList found = ObdDiscovery::SzukajEcu(reply, protocol);
    ecuCount = found.count;
    primaryEcu = found.primary;
    Status(ObdPanels::RowEcu, found.list, false);
    DoOnTekst(QStringLiteral("ECU: ") + found.list, kInfoColour);
    DoOnTekst(QStringLiteral("ECU: ") + QString::fromLatin1(Hex(static_cast<uint32_t>(primaryEcu))) +
                  QStringLiteral("h"),
              kInfoColour);
}

int TObd::SzukajEcuPid(unsigned char pidNumber) const
{
    if (pidNumber >= pidy.size()) return -1;
    return ObdDiscovery::SzukajEcuPid(reply, protocol, primaryEcu, pidNumber, pidy[pidNumber].bytes);
}

bool TObd::SzukajEcuMode(unsigned char mode) { return ObdDiscovery::SzukajEcuMode(reply, protocol, primaryEcu, mode); }

void TObd::DodajPid(int bytes, const QString& name, const QString& shortName, const QString& unit, int formula)
{
    pid entry = ObdPidCatalogue::MakePid(bytes, name, shortName, unit, formula);
    entry.gridRow = static_cast<int>(pidy.size());
    pidy.append(entry);
    panels.pidValues.append(QString());
}

void TObd::PIDsupported(int first)
{
    if (first < 0 || first + 32 >= pidy.size()) return;
    if (first == 0) {
        for (int i = 1; i < pidy.size(); ++i) pidy[i].supported = false;
        pidy[0].supported = true;
    }
    const int pos = SzukajEcuPid(static_cast<unsigned char>(first));
    if (pos < 0) return;
    const uint32_t bits = TekstNaInt(pos, 4);
    for (int i = 0; i < 32; ++i) pidy[first + 1 + i].supported = (bits >> (31 - i)) & 1;
    DoOnTekst(QStringLiteral("PIDs supported 0x") + QString::fromLatin1(Hex(bits, 4)), kInfoColour);
}

void TObd::KolejnyPid()
{
    const int count = static_cast<int>(pidy.size());
    if (count == 0) return;
    if (currentPid < 0 || currentPid >= count) currentPid = 0;
    int found = -1;
    for (int i = currentPid + 1; i < count && found < 0; ++i)
        if (pidy[i].supported && pidy[i].selected) found = i;
    for (int i = 0; i <= currentPid && found < 0; ++i)
        if (pidy[i].supported && pidy[i].selected) found = i;
    if (found < 0) return;
    currentPid = found;
    Nadaj(QByteArray("01") + Hex(static_cast<uint32_t>(found)) + "\r");
}

int TObd::WyswietlPid()
{
    if (currentPid < 0 || currentPid >= pidy.size()) return 0;
    const int pos = SzukajEcuPid(static_cast<unsigned char>(currentPid));
    if (pos < 0) return 0;
    const pid& entry = pidy[currentPid];
    const uint32_t value = TekstNaInt(pos, entry.bytes);
    const uint32_t a = TekstNaInt(pos, 1);

    if (sterownik) {
        // The snapshot sits at bytes 5..11 of the OBD status block; the gas controller reads a
        // zero trim as "no data", so a real trim of 0 is sent as 1.
        switch (currentPid) {
            case 0x03:
                sterownik->setObdSnapshotByte(5, static_cast<uint8_t>(value >> 8));
                sterownik->setObdSnapshotByte(6, static_cast<uint8_t>(value & 0xFF));
                break;
            case 0x06:
            case 0x07:
            case 0x08:
            case 0x09:
                sterownik->setObdSnapshotByte(7 + currentPid - 0x06, value == 0 ? 1 : static_cast<uint8_t>(value));
                break;
            default: break;
        }
        sterownik->setObdSnapshotByte(11, 0);
        sterownik->requestLiveWithObd();
    }

    QString text = ObdPidCatalogue::ValueText(entry.formula, value, a, entry.bytes, locale);
    if (!entry.unit.isEmpty()) text += QLatin1Char('[') + entry.unit + QLatin1Char(']');
    if (entry.gridRow >= 0 && entry.gridRow < panels.pidValues.size()) {
        panels.pidValues[entry.gridRow] = text;
        Q_EMIT pidGridChanged();
    }
    return 1;
}
