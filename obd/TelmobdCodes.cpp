// Trouble codes of the OBD reader: stored, pending and permanent codes of the primary ECU.
#include <algorithm>

#include "base/OwnTexts.h"
#include "base/Tools.h"
#include "obd/ObdReplyText.h"
#include "obd/ObdTroubleCodes.h"
#include "obd/Telmobd.h"

using ObdReplyText::Hex;

namespace {

QString header(unsigned char mode)
{
    switch (mode) {
        case 0x43: return QString::fromUtf8(ObdPanels::kStoredHeading);
        case 0x47: return QString::fromUtf8(ObdPanels::kPendingHeading);
        case 0x4A: return QString::fromUtf8(ObdPanels::kPermanentHeading);
        default: return {};
    }
}

}  // namespace

void TObd::appendCode(const QString& text, TColor colour, bool defaultColour, int table)
{
    panels.codeBox.append({text, colour, defaultColour, table});
    Q_EMIT codeBoxChanged();
}

void TObd::ClearCodeBox()
{
    panels.codeBox.clear();
    Q_EMIT codeBoxChanged();
}

void TObd::KodyBledow(unsigned char mode)
{
    if (protocol >= 1 && protocol <= 5) KodyBledowISO(mode);
    else if (protocol >= 6 && protocol <= 9) KodyBledowCAN(mode);
}

void TObd::KodyBledowISO(unsigned char mode)
{
    bool first = true;
    while (SzukajEcuMode(mode)) {
        if (first) {
            first = false;
            const QString h = header(mode);
            if (!h.isEmpty()) appendCode(h, kHeaderColour, false);
        }
        // Each line carries up to three codes; 00 00 fills the unused places.
        for (int i = 0; i < 3; ++i) {
            const int code = static_cast<int>(TekstNaInt(0, 2));
            if (code == 0) break;
            KodyBledowCyfra(code);
            if (reply.size() < 6) break;
        }
        if (reply.size() < 7) break;
    }
}

void TObd::KodyBledowCAN(unsigned char mode)
{
    if (!SzukajEcuMode(mode)) return;
    const QString h = header(mode);
    if (!h.isEmpty()) appendCode(h, kHeaderColour, false);

    const QByteArray mm = Hex(mode);
    int count = 0;
    if (reply.startsWith("02 " + mm + " 00")) {
        count = 0;
        reply.remove(0, 9);
    } else if (reply.startsWith("04 " + mm + " 01")) {
        count = 1;
        reply.remove(0, 9);
    } else if (reply.startsWith("06 " + mm + " 02")) {
        count = 2;
        reply.remove(0, 9);
    } else if (reply.startsWith("10") && reply.mid(6).startsWith(mm)) {
        // A first frame: two codes here, up to three and a half in each consecutive frame, whose
        // headers are cut out so that the codes join up.
        // The count comes off the line: a field that lost its spaces ("03017101") reads as a
        // huge number. No loop below runs further than the reply actually held allows.
        const uint32_t field = TekstNaInt(9, 1);
        reply.remove(0, 12);
        if (field == 0) return;
        // Each code takes "XX XX " (6 characters) of the reply; one more than fit is harmless.
        const qsizetype fitting = reply.size() / 6 + 1;
        count = static_cast<int>(std::min<qsizetype>(field, fitting));
        const bool can29 = protocol == 7 || protocol == 9;
        // Every consecutive frame starts a line with its header (at least "7E8 21 "): the reply
        // cannot hold more of them than that.
        const qsizetype framesHeld = reply.size() / 7 + 1;
        for (int k = 0; k < (count - 2) * 2.0 / 7.0 && k < framesHeld; ++k) {
            const QByteArray pattern = Hex(static_cast<uint32_t>(primaryEcu)) + " 2" + QByteArray::number(k + 1);
            const qsizetype q0 = reply.indexOf(pattern);
            DoOnTekst(QString::fromLatin1(pattern), kInfoColour);
            DoOnTekst(QString::number(q0 + 1), kInfoColour);
            if (q0 < 0) continue;
            // Remove the line break, the frame's header and the space after it.
            const qsizetype lead = can29 ? 10 : 1;
            const qsizetype from = std::max<qsizetype>(0, q0 - lead);
            reply.remove(from, q0 - from + pattern.size() + 1);
        }
    } else {
        return;
    }

    DoOnTekst(QString::number(count), kSentColour);
    DoOnTekst(ObdReplyText::LogForm(reply), kSentColour);
    for (int i = 0; i < count && !reply.isEmpty(); ++i) {
        const int code = static_cast<int>(TekstNaInt(0, 2));
        if (code == 0) break;
        KodyBledowCyfra(code);
    }
}

void TObd::KodyBledowCyfra(int code)
{
    const QString text = ObdTroubleCodes::CodeText(static_cast<uint16_t>(code));
    DoOnTekst(text, kErrorColour);
    appendCode(text, kCodeColour, false);
    reply.remove(0, 6);
    bool described = KodyBledowOpis(text, kResourceDtcEnglish);
    if (text.startsWith(QLatin1Char('P'))) described = KodyBledowOpis(text, kResourceDtcPolish) || described;
    // A code neither table describes still gets a line, in the window's language, saying where its
    // meaning is found: a bare code looked like a reading that had lost its text.
    if (!described)
        appendCode(TextById(ObdTroubleCodes::ManufacturerSpecific(text) ? OwnText::DtcManufacturerSpecific
                                                                        : OwnText::DtcNotInTable),
                   0, true);
}

const ObdTroubleCodes::DescriptionIndex& TObd::descriptionTable(int table)
{
    const int i = table == kResourceDtcPolish ? 1 : 0;
    if (!tablesLoaded_[i]) {
        tables_[i] = ObdTroubleCodes::DescriptionIndex(ResourceBytes(table));
        tablesLoaded_[i] = true;
    }
    return tables_[i];
}

bool TObd::KodyBledowOpis(const QString& code, int table)
{
    const ObdTroubleCodes::DescriptionIndex& index = descriptionTable(table);
    if (index.isEmpty()) return false;
    const std::optional<QString> text = index.find(code);
    if (text) appendCode(*text, 0, true, table);
    return text.has_value();
}
