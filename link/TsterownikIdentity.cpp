// Identity of the connected controller, its running times and the change history.
#include <cstring>

#include "link/IdentityReader.h"
#include "link/Regions.h"
#include "link/Tsterownik.h"

namespace {

constexpr int kHistoryEntries = 32;
constexpr int kEntrySize = 8;

}  // namespace

// The identity texts are read from the image by IdentityReader, the one reader of the identity block.
QString TSterownik::StrWersjaSterownika() const { return IdentityReader(mem).model(); }
QString TSterownik::StrKodKreskowy() const { return IdentityReader(mem).barCode(); }
QString TSterownik::StrDataProdukcji() const { return IdentityReader(mem).productionDate(); }
QString TSterownik::StrWersjaCyframi(int parts) const { return IdentityReader(mem).firmware(parts); }
QString TSterownik::StrIleWtryskiwaczy() const { return IdentityReader(mem).injectorCount(); }
QString TSterownik::StrCzasNaBenzynie() const { return IdentityReader(mem).petrolRunningTime(); }
QString TSterownik::StrCzasNaGazie() const { return IdentityReader(mem).gasRunningTime(); }
QString TSterownik::StrCzasPrzegladu() const { return IdentityReader(mem).timeToService(); }

QString TSterownik::StrIdentWlasny() const
{
    const uint32_t n = workshopId[0];
    const uint8_t b[4] = {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
    return identityNumberText(b);
}

QString TSterownik::StrHistoria(int column, int entry) const { return IdentityReader(mem).historyCell(column, entry); }

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
    const uint8_t* serial = mem.identity.data() + IdentityReader::kSerial;
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
