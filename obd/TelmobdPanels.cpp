// The status rows and the PID grid of the OBD reader, as data for whichever view shows them.
#include "base/OwnTexts.h"
#include "obd/ObdReplyText.h"
#include "obd/Telmobd.h"

QString ObdPanels::inLanguage(const QString& text, int language)
{
    static const struct {
        const char* fixed;
        int id;
    } kTexts[] = {
        {kNoConnection, OwnText::ObdNoConnection},
        {kNoAdapter, OwnText::ObdNoAdapter},
        {kSearchingAdapter, OwnText::ObdSearching},
        {kNoProtocol, OwnText::ObdNoProtocol},
        {kLampOn, OwnText::ObdLampOn},
        {kLampOff, OwnText::ObdLampOff},
        {kStoredHeading, OwnText::ObdStoredCodes},
        {kPendingHeading, OwnText::ObdPendingCodes},
        {kPermanentHeading, OwnText::ObdPermanentCodes},
    };
    for (const auto& t : kTexts) {
        const QString fixed = QString::fromUtf8(t.fixed);
        if (text != fixed) continue;
        // A heading keeps its place in the box: the tab before it.
        const QString lead = fixed.startsWith(QLatin1Char('\t')) ? QStringLiteral("\t") : QString();
        return lead + ownTexts().text(t.id, language);
    }
    return text;
}

void TObd::Status(int row, const QString& text, bool clearBelow)
{
    if (row < 0 || row >= ObdPanels::RowCount) return;
    panels.status[row] = text;
    if (clearBelow)
        for (int r = row + 1; r < ObdPanels::RowCount; ++r) panels.status[r].clear();
    Q_EMIT statusChanged();
}

void TObd::StatusElm()
{
    const qsizetype at = reply.indexOf("ELM");
    if (at < 0) {
        Status(ObdPanels::RowElm, QString::fromUtf8(ObdPanels::kNoAdapter), true);
        return;
    }
    QByteArray id = reply.mid(at);
    const qsizetype cr = id.indexOf('\r');
    if (cr >= 0) id.truncate(cr);
    const QString text = QString::fromLatin1(id);
    DoOnTekst(text, kInfoColour);
    Status(ObdPanels::RowElm, text, true);
}

void TObd::StatusVoltage()
{
    QByteArray text = reply;
    if (text.contains("ATRV")) text.remove(0, 5);
    if (text.contains('?')) {
        Status(ObdPanels::RowPwr, QStringLiteral("-"), false);
        DoOnTekst(QStringLiteral("nie odczytano napięcia"), kErrorColour);
        return;
    }
    const qsizetype cr = text.indexOf('\r');
    if (cr >= 0) text.truncate(cr);
    const QString voltage = QString::fromLatin1(text);
    Status(ObdPanels::RowPwr, voltage, false);
    DoOnTekst(voltage, kInfoColour);
}

bool TObd::StatusValue0101(const QByteArray& reply, uint32_t& value)
{
    QByteArray text = reply;
    if (text.contains("0101")) text.remove(0, 5);
    const qsizetype at = text.indexOf("41 01");
    if (at < 0) return false;
    // Exactly the four data bytes on the line that holds "41 01": a shorter line must not take its
    // missing bytes from the next line's header.
    qsizetype end = text.indexOf('\r', at);
    if (end < 0) end = text.size();
    const QList<QByteArray> fields = text.mid(at + 5, end - at - 5).simplified().split(' ');
    if (fields.size() < 4) return false;
    value = 0;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const uint byte = fields[i].toUInt(&ok, 16);
        if (!ok || fields[i].size() != 2) return false;
        value = value << 8 | byte;
    }
    return true;
}

void TObd::StatusDteMil()
{
    uint32_t value = 0;
    if (!StatusValue0101(reply, value)) {
        Status(ObdPanels::RowDtc, QStringLiteral("-"), false);
        Status(ObdPanels::RowMil, QStringLiteral("-"), false);
        DoOnTekst(QStringLiteral("nie odczytano statusu"), kErrorColour);
        return;
    }
    Status(ObdPanels::RowDtc, QString::number((value >> 24) & 0x7F), false);
    Status(ObdPanels::RowMil, QString::fromUtf8((value & 0x80000000u) ? ObdPanels::kLampOn : ObdPanels::kLampOff),
           false);
    DoOnTekst(QStringLiteral("status 0x") + QString::fromLatin1(ObdReplyText::Hex(value, 4)), kInfoColour);
}

QString TObd::PidMark(int row) const
{
    if (row < 0 || row >= pidy.size()) return {};
    const pid& entry = pidy[row];
    if (!entry.supported) return QStringLiteral("x");
    return entry.selected ? QStringLiteral("on") : QStringLiteral("off");
}

void TObd::OpiszPid()
{
    panels.pidValues = QStringList(pidy.size(), QString());
    for (int i = 0; i < pidy.size(); ++i) pidy[i].gridRow = i;
    Q_EMIT pidGridChanged();
}

void TObd::PrzelaczPid(int row)
{
    if (row >= 0 && row < pidy.size() && pidy[row].supported) pidy[row].selected = !pidy[row].selected;
    OpiszPid();
}
