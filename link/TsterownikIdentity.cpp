// Identity of the connected controller, its running times and the change history.
#include <cstring>

#include "link/Regions.h"
#include "link/Tsterownik.h"

namespace {

constexpr int kHistoryEntries = 32;
constexpr int kEntrySize = 8;

QString dec(int v) { return QString::number(v); }
QString two(int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); }
QString hex2(int v) { return QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper(); }

// Four bytes, most significant first, as "XXXX-XXXX".
QString identNumber(const uint8_t* b) { return hex2(b[0]) + hex2(b[1]) + QLatin1Char('-') + hex2(b[2]) + hex2(b[3]); }

QString runningTime(int seconds, int hours)
{
    return dec(hours) + QLatin1Char(':') + two(seconds / 60) + QLatin1Char(':') + two(seconds % 60);
}

}  // namespace

QString TSterownik::StrWersjaSterownika() const
{
    switch (mem.identity[38]) {
        case 1: return QStringLiteral("KAVELO ECO+");
        case 2: return QStringLiteral("KAVELO PRO+");
        default: return {};
    }
}

QString TSterownik::StrKodKreskowy() const
{
    const char* code = reinterpret_cast<const char*>(mem.identity.data() + 6);
    return QString::fromLatin1(code, static_cast<qsizetype>(strnlen(code, 16)));
}

QString TSterownik::StrDataProdukcji() const
{
    const auto& id = mem.identity;
    if (id[46] == 0) return {};
    return QStringLiteral("20") + dec(id[46]) + QLatin1Char('.') + two(id[47]) + QLatin1Char('.') + two(id[48]);
}

QString TSterownik::StrWersjaCyframi(int parts) const
{
    const auto& id = mem.identity;
    if (id[5] != 0) return {};
    QString s;
    const QString gap = QStringLiteral("  ");
    if ((parts & 0x1) && id[60]) s += dec(id[60]) + gap;
    if ((parts & 0x2) && id[60]) s += QChar(QLatin1Char('A').unicode() + id[53]) + QLatin1Char('.');
    if ((parts & 0x4) && id[60])
        s += dec(id[58]) + QLatin1Char('.') + dec(id[59]) + QLatin1Char('.') + dec(id[60]) + gap;
    if ((parts & 0x8) && id[62])
        s += QStringLiteral("(20") + dec(id[62]) + QLatin1Char('.') + two(id[63]) + QLatin1Char('.') + two(id[64]) +
             QLatin1Char(')') + gap;
    if (parts & 0x10) s += hex2(id[50]) + QLatin1Char('.') + hex2(id[51]) + QLatin1Char('.') + hex2(id[52]) + gap;
    if (parts & 0x20) s += QStringLiteral("Kod=") + StrKodKreskowy() + QLatin1Char(' ');
    if (parts & 0x40) {
        s += QStringLiteral("NS=");
        for (int i = 22; i <= 34; ++i) s += hex2(id[i]) + QLatin1Char(' ');
    }
    if (parts & 0x80) {
        s += QStringLiteral("Eep=");
        for (int i = 66; i <= 77; ++i) s += hex2(id[i]) + QLatin1Char(' ');
    }
    return s;
}

QString TSterownik::StrIleWtryskiwaczy() const { return mem.identity[59] ? dec(mem.identity[59]) : QString(); }

QString TSterownik::StrCzasNaBenzynie() const { return runningTime(mem.identityWord(70), mem.identityWord(72)); }

QString TSterownik::StrCzasNaGazie() const { return runningTime(mem.identityWord(74), mem.identityWord(76)); }

QString TSterownik::StrCzasPrzegladu() const
{
    const int interval = mem.settings[101] | (mem.settings[102] << 8);
    return dec(std::max(0, interval - mem.identityWord(76))) + QStringLiteral(":00:00");
}

QString TSterownik::StrIdentWlasny() const
{
    const uint32_t n = workshopId[0];
    const uint8_t b[4] = {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
    return identNumber(b);
}

QString TSterownik::StrHistoria(int column, int entry) const
{
    if (entry < 0 || entry >= kHistoryEntries) return {};
    const uint8_t* e = mem.block(MemoryImage::History) + entry * kEntrySize;
    if (column == 0)
        return e[0] ? QStringLiteral("20") + dec(e[1]) + QLatin1Char('.') + dec(e[2]) + QLatin1Char('.') + dec(e[3])
                    : QString();
    if (column >= 1 && column <= 4) return (e[0] >> (column - 1)) & 1 ? QStringLiteral("v") : QString();
    if (column == 5) return e[0] ? identNumber(e + 4) : QString();
    return {};
}

void TSterownik::HistoriaZmian(int kind)
{
    if (kind < 0 || kind > 7) return;
    const uint8_t bit = static_cast<uint8_t>(1u << kind);
    // Until the controller's own history has been read, the image holds an older copy (another
    // controller's, or none): writing it back would wipe the controller's history. The change is
    // recorded once the read has arrived.
    if (readMask & kHistoryMask) {
        historyKinds_ |= bit;
        return;
    }
    if (applyHistoryKind(kind)) {
        historyKinds_ |= bit;
        writeMask |= kHistoryMask;
    }
}

bool TSterownik::applyHistoryKind(int kind)
{
    const uint8_t bit = static_cast<uint8_t>(1u << kind);
    uint8_t* h = mem.block(MemoryImage::History);
    const uint32_t pc = workshopId[0];
    const uint8_t stamp[7] = {uint8_t(workshopId[1]),
                              uint8_t(workshopId[2]),
                              uint8_t(workshopId[3]),
                              uint8_t(pc >> 24),
                              uint8_t(pc >> 16),
                              uint8_t(pc >> 8),
                              uint8_t(pc)};
    int n = 0;
    while (n < kHistoryEntries && h[n * kEntrySize] != 0) ++n;

    uint8_t* entry = nullptr;
    if (n > 0 && std::memcmp(h + (n - 1) * kEntrySize + 1, stamp, sizeof stamp) == 0) {
        entry = h + (n - 1) * kEntrySize;
        if (entry[0] & bit) return false;  // already recorded today from this PC
    } else if (n == kHistoryEntries) {
        // Full: entry 0 (the oldest record) stays, entry 1 is dropped, the rest move down.
        std::memmove(h + 1 * kEntrySize, h + 2 * kEntrySize, 30 * kEntrySize);
        entry = h + 31 * kEntrySize;
        std::memset(entry, 0, kEntrySize);
    } else {
        entry = h + n * kEntrySize;
    }
    entry[0] |= bit;
    std::memcpy(entry + 1, stamp, sizeof stamp);
    return true;
}

void TSterownik::recordPendingHistory()
{
    // The image now holds the controller's history: whatever the PC meant to write is applied to
    // it afresh, and only a real change is written.
    writeMask &= ~kHistoryMask;
    if (historyClearPending_) {
        std::memset(mem.block(MemoryImage::History), 0, MemoryImage::kRegionSize);
        writeMask |= kHistoryMask;
    }
    const uint8_t kinds = historyKinds_;
    historyKinds_ = 0;
    for (int kind = 0; kind < 8; ++kind) {
        if (!(kinds & (1u << kind)) || !applyHistoryKind(kind)) continue;
        historyKinds_ |= static_cast<uint8_t>(1u << kind);
        writeMask |= kHistoryMask;
    }
    if (!(writeMask & kHistoryMask)) historyClearPending_ = false;
}

bool TSterownik::historyWritePending() const
{
    return historyKinds_ != 0 || historyClearPending_ || (writeMask & kHistoryMask) != 0;
}

void TSterownik::keepHistoryForSameController()
{
    constexpr int kSerialAt = 22;
    const uint8_t* serial = mem.identity.data() + kSerialAt;
    const bool same = historyOwnerKnown_ && std::memcmp(historyOwner_.data(), serial, historyOwner_.size()) == 0;
    // Changes made on one controller are never written into another one's history.
    if (historyOwnerKnown_ && !same) {
        historyKinds_ = 0;
        historyClearPending_ = false;
        writeMask &= ~kHistoryMask;
        // Nor is what was written to one compared with another one's memory.
        readBack_ = 0;
    }
    // The reading of the whole controller that follows takes what it holds; a region not kept
    // before is tried again by the fitter's next edit.
    unwritable_ = 0;
    repairs_.fill(0);
    // Edits made while no controller answered were meant for the one before: the question says so.
    unsentForOtherController_ = historyOwnerKnown_ && !same;
    std::memcpy(historyOwner_.data(), serial, historyOwner_.size());
    historyOwnerKnown_ = true;
}

void TSterownik::HistoriaZmianKasuj()
{
    historyKinds_ = 0;
    historyClearPending_ = true;
    if (readMask & kHistoryMask) return;  // cleared once the controller's history has arrived
    std::memset(mem.block(MemoryImage::History), 0, MemoryImage::kRegionSize);
    writeMask |= kHistoryMask;
}
