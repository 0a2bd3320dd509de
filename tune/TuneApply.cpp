#include "tune/TuneApply.h"

#include <QtCore/QLocale>

#include <algorithm>

#include "base/OwnTexts.h"
#include "base/Plural.h"
#include "base/TextTable.h"
#include "link/ConfigBackups.h"
#include "link/MemoryImage.h"
#include "link/Tsterownik.h"
#include "settings/NamedSettings.h"
#include "tune/MultiplierChangeFile.h"
#include "tune/MultiplierEvidence.h"

namespace TuneAssistant {

namespace {

static_assert(MultiplierProposal::kSlots == SettingsReader::kMultiplierNodeSlots);

constexpr uint32_t kMultiplierWrite = 0x3;  // settings block and multiplier bank 1

QString fixed(double v, int decimals) { return QLocale().toString(v, 'f', decimals); }
QString ms(int tenths) { return fixed(tenths * 0.1, 1); }

// Nothing proposed while the maps relearn: every node keeps its value, new ones are left out.
void withhold(MultiplierProposal::Proposal& p, const uint8_t* table)
{
    std::vector<MultiplierProposal::Node> kept;
    for (MultiplierProposal::Node n : p.nodes) {
        if (n.added) continue;
        n.proposed = n.present;
        n.thin = true;
        n.follows = n.capped = false;
        kept.push_back(n);
    }
    p.nodes = kept;
    p.after = p.before;
    p.changed = 0;
    p.enough = false;
    std::copy(table, table + 256, p.table.begin());
}

}  // namespace

MultiplierProposal::Limits limitsOf(const MemoryImage& mem)
{
    const bool wide = SettingsReader(mem).wideMultiplierScale();
    MultiplierProposal::Limits l;
    l.lower = wide ? 1 : 50;
    l.upper = wide ? 250 : 150;
    l.max = mem.timeAxisMax;
    return l;
}

MultiplierProposal::Proposal fromImage(const MemoryImage& mem) { return fromImage(mem, learnedOf(mem)); }

MultiplierProposal::Proposal fromImage(const MemoryImage& mem, const MultiplierChange::Learned& m)
{
    const uint8_t* table = mem.block(MemoryImage::Multiplier1);
    const MultiplierEvidence::Evidence e =
        MultiplierEvidence::fromMaps(m.petrol.data(), m.gas.data(), m.obdPetrol.data(), m.obdGas.data(), table);
    const SettingsReader::MultiplierNodeSlots slots = SettingsReader(mem).multiplierNodes();
    return MultiplierProposal::propose(e, slots.data(), table, m.petrol.data(), limitsOf(mem));
}

MultiplierChange::Multiplier multiplierOf(const MemoryImage& mem)
{
    MultiplierChange::Multiplier m;
    m.nodes = SettingsReader(mem).multiplierNodes();
    const uint8_t* table = mem.block(MemoryImage::Multiplier1);
    std::copy(table, table + 256, m.table.begin());
    return m;
}

MultiplierChange::Learned learnedOf(const MemoryImage& mem)
{
    MultiplierChange::Learned l;
    l.petrol = mem.maps[MemoryImage::PetrolMap];
    l.gas = mem.maps[MemoryImage::GasMap];
    l.obdPetrol = mem.maps[MemoryImage::ObdPetrol1];
    l.obdGas = mem.maps[MemoryImage::ObdGas1];
    return l;
}

MultiplierProposal::Proposal forController(const MemoryImage& mem, const QString& records, bool& recordKept)
{
    recordKept = true;
    const QString serial = ConfigBackups::serialOf(mem);
    if (records.isEmpty() || serial.isEmpty()) return fromImage(mem);
    MultiplierChange::Record record;
    const MultiplierChange::Stored stored = MultiplierChangeFile::load(records, serial, record);
    const MultiplierChange::Check check = MultiplierChange::check(stored, record, multiplierOf(mem), learnedOf(mem));
    if (check.save) recordKept = MultiplierChangeFile::save(records, serial, *check.save);
    MultiplierProposal::Proposal p = fromImage(mem, check.usable);
    if (check.status.waiting()) withhold(p, mem.block(MemoryImage::Multiplier1));
    p.relearning = check.status;
    return p;
}

bool recordChange(const QString& records, const MemoryImage& mem, const std::array<uint8_t, 256>& before)
{
    const QString serial = ConfigBackups::serialOf(mem);
    if (records.isEmpty() || serial.isEmpty()) return true;
    return MultiplierChangeFile::save(records, serial,
                                      MultiplierChange::changed(before, multiplierOf(mem), learnedOf(mem)));
}

MultiplierProposal::Proposal fromRecording(const MemoryImage& recorded, const uint8_t* samples, int count,
                                           const MemoryImage& mem)
{
    const MultiplierEvidence::Evidence e =
        MultiplierEvidence::fromSamples(samples, count, 128, recorded.block(MemoryImage::Multiplier1));
    const uint8_t* table = mem.block(MemoryImage::Multiplier1);
    // The span the car drove is the span of its samples' petrol times.
    std::array<uint8_t, 256> driven{};
    for (const auto& c : e.cells) driven[size_t(c.cell)] = static_cast<uint8_t>(std::clamp(c.petrol, 1.0, 255.0));
    const SettingsReader::MultiplierNodeSlots slots = SettingsReader(mem).multiplierNodes();
    return MultiplierProposal::propose(e, slots.data(), table, e.cells.empty() ? nullptr : driven.data(),
                                       limitsOf(mem));
}

bool apply(TSterownik& link, const MultiplierProposal::Proposal& proposal)
{
    if (!proposal.enough || proposal.changed == 0 || !link.alive()) return false;
    MemoryImage& mem = link.mem;
    const MultiplierProposal::Limits limits = limitsOf(mem);
    NamedSettings named(link);
    const SettingsReader::MultiplierNodeSlots before = named.multiplierNodes();
    std::vector<int> positions;
    for (const auto& n : proposal.nodes) positions.push_back(n.position);
    // Sorted as a node edit leaves them: empty slots first, the end node in the last slot.
    if (!named.placeMultiplierNodes(positions, limits.max)) return false;
    uint8_t* table = mem.block(MemoryImage::Multiplier1);
    const auto tableBefore = std::vector<uint8_t>(table, table + 256);
    for (const auto& n : proposal.nodes)
        if (n.position >= 0 && n.position < 256) table[n.position] = static_cast<uint8_t>(n.proposed);
    link.WyliczMnoznik(1, limits.lower, limits.upper);
    if (link.ZapiszDoSterownika(kMultiplierWrite) == TSterownik::EditOutcome::Sent) return true;
    // The link did not take the write now (the regions are being read, or one is unreadable): the
    // image keeps what the controller holds, and the fitter applies the proposal again later.
    named.setMultiplierNodes(before);
    std::copy(tableBefore.begin(), tableBefore.end(), table);
    return false;
}

QString evidenceText(const MultiplierProposal::Node& n)
{
    if (n.thin) return TextById(OwnText::TuneThin);
    QString text = Plural::count(n.cells, OwnText::NounCell) + QStringLiteral(", ") +
                   Plural::count(n.samples, OwnText::NounSample);
    if (n.follows) text = TextById(OwnText::TuneFollows);
    if (n.added) text += QStringLiteral(", ") + TextById(OwnText::TuneAdded);
    if (n.capped) text += QStringLiteral(", ") + TextById(OwnText::TuneCapped);
    return text;
}

QStringList nodeTable(const MultiplierProposal::Proposal& proposal)
{
    QStringList lines;
    lines << QStringList{TextById(OwnText::TuneTime), TextById(OwnText::TunePresent), TextById(OwnText::TuneProposed),
                         TextById(OwnText::TuneChange), TextById(OwnText::TuneEvidenceColumn)}
                 .join(QLatin1Char('\t'));
    for (const auto& n : proposal.nodes) {
        const QString present = n.added ? QStringLiteral("-") : fixed(n.present * 0.01, 2);
        const QString change = n.thin ? QStringLiteral("-")
                                      : (n.change() > 0 ? QStringLiteral("+") : QString()) +
                                            fixed(n.changePercent(), 1) + QStringLiteral(" %");
        lines << QStringList{ms(n.position), present, fixed(n.proposed * 0.01, 2), change, evidenceText(n)}.join(
            QLatin1Char('\t'));
    }
    return lines;
}

QString summaryLine(const MultiplierProposal::Proposal& p)
{
    // Fixed form, read by scripts: the C locale's numbers, in English.
    return QStringLiteral("deviation %1 % -> %2 % (%3 changed)")
        .arg(p.before, 0, 'f', 1)
        .arg(p.after, 0, 'f', 1)
        .arg(Plural::count(p.changed, OwnText::NounNode, TextTable::English));
}

QString missingText(const MultiplierProposal::Proposal& p)
{
    if (p.relearning.waiting()) return relearningText(p.relearning);
    QStringList ranges;
    for (const auto& [from, to] : p.missing) ranges << ms(from) + QLatin1Char('-') + ms(to) + QStringLiteral(" ms");
    return TextById(OwnText::TuneNotEnough)
        .arg(ranges.isEmpty() ? QStringLiteral("-") : ranges.join(QStringLiteral(", ")));
}

QString relearningText(const MultiplierChange::Status& s)
{
    // "of 1 cell", "z 1 komórki", "из 21 ячейки": the noun after "of" is singular where a count's is.
    const bool one = Plural::form(s.stale, programLanguage()) == Plural::One;
    const int id = one ? OwnText::TuneRelearningOne : OwnText::TuneRelearning;
    const QString line = TextById(id).arg(s.relearned).arg(s.stale).arg(s.needed);
    if (s.state != MultiplierChange::State::Unknown) return line;
    return TextById(OwnText::TuneChangedElsewhere) + QLatin1Char(' ') + line;
}

}  // namespace TuneAssistant
