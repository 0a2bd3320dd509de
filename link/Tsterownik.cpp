#include "link/Tsterownik.h"

#include "link/Regions.h"

#include <QtCore/QCoreApplication>

#include <algorithm>
#include <cstring>

TSterownik::TSterownik(QObject* owner) : TSerial(owner), timer_(new QTimer(this))
{
    // Precise and never restarted: four ticks make the 100 ms between live frames, and a tick
    // that comes late does not push every later one back.
    timer_->setInterval(25);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &TSterownik::Timer1OnTimer);

    mem.settings.fill(0);
    mem.identity.fill(0);
    std::fill(mem.identity.begin() + 66, mem.identity.begin() + 70, 0x80);
    std::memset(mem.block(MemoryImage::History), 0, MemoryImage::kRegionSize);
    for (auto& m : mem.maps) m.fill(0);
    std::memset(mem.block(MemoryImage::GasInjectionDelay), 0, MemoryImage::kRegionSize);
    std::memset(mem.block(MemoryImage::Enrichment), 128, MemoryImage::kRegionSize);
    UtworzWykresy();
    KasujMnoznik();
    KasujKorOdObr();
    KasujKorekty();
    // The defaults are the PC's starting point, not changes to send.
    writeMask = 0;
    timer_->start();
}

TSterownik::~TSterownik()
{
    timer_->stop();
    disconnect(timer_, nullptr, this, nullptr);
    ZamnkijOscyloskop();
    PortClose();
}

void TSterownik::log(const QString& text, TColor colour)
{
    if (OnTekst) OnTekst(this, text, colour);
}

void TSterownik::zdarzenie(int kind, int code, int value, int length)
{
    if (OnZdarzenie) OnZdarzenie(kind, code, value, length);
}

void TSterownik::CzytajZeSterownika(uint32_t mask)
{
    queueReads(mask);
    readMask |= mask;
}

void TSterownik::queueReads(uint32_t mask)
{
    for (int i = 0; i < kRegionCount; ++i) {
        const uint32_t bit = kRegions[i].mask;
        // A region with edits held keeps the copy from before them.
        if ((mask & bit) && !(readMask & bit) && !(heldEdits_ & bit))
            std::memcpy(readStartCopy_[static_cast<size_t>(i)].data(), mem.region(bit), MemoryImage::kRegionSize);
    }
}

TSterownik::EditOutcome TSterownik::ZapiszDoSterownika(uint32_t mask)
{
    if (!alive()) {
        // Working without a controller: the edit is the fitter's until one is connected and asked.
        unsentEdits_ |= mask;
        return EditOutcome::Unsent;
    }
    if (mask & unreadable_) {
        refuseEdits(mask & unreadable_);
        return EditOutcome::Refused;
    }
    // A region being read back after a write is known to the PC: the edit goes out, and its own
    // read-back follows. One still being read is not: the edit waits for the read.
    if (const uint32_t hold = mask & readMask & ~readBack_ & ~heldEdits_) {
        heldEdits_ |= hold;
        if (OnTekst)
            for (const RegionInfo& r : kRegions)
                if (hold & r.mask) log(regionLogLine(r.writeLog, "\n  ", " - zmiana czeka na odczyt"), Rgb(0, 0, 0));
    }
    const uint32_t send = mask & ~heldEdits_;
    writeMask |= send;
    // A new edit of a region the controller did not keep tries again.
    unwritable_ &= ~send;
    for (int i = 0; i < kRegionCount; ++i)
        if (send & kRegions[i].mask) repairs_[static_cast<size_t>(i)] = 0;
    return (mask & heldEdits_) ? EditOutcome::Held : EditOutcome::Sent;
}

void TSterownik::refuseEdits(uint32_t mask)
{
    for (int i = 0; i < kRegionCount; ++i) {
        const RegionInfo& r = kRegions[i];
        if (!(mask & r.mask)) continue;
        // The region shows again what the PC had before the edit: a read never confirmed it.
        std::memcpy(mem.region(r.mask), readStartCopy_[static_cast<size_t>(i)].data(), MemoryImage::kRegionSize);
        if (OnTekst) log(regionLogLine(r.writeLog, "\n  ", " - zmiana odrzucona, region nieczytelny"), Rgb(255, 0, 0));
    }
    heldEdits_ &= ~mask;
}

void TSterownik::settleUnsentEdits(bool send)
{
    const uint32_t mask = unsentEdits_ & controllerCopyMask_;
    unsentEdits_ &= ~mask;
    controllerCopyMask_ &= ~mask;
    if (send) {
        // The fitter chose the PC's regions whole. A read of one started since the question (the
        // controller identified once more meanwhile) would hold the write and lay the controller's
        // bytes under it wherever the PC's copy equals its copy from before that read, which is
        // every byte: the multiplier would come back with the PC's node times over the
        // controller's values. The read is given up; the write's own read-back follows.
        for (int i = 0; i < kRegionCount; ++i) {
            const uint32_t bit = kRegions[i].mask;
            if ((mask & bit) && (readMask & bit) && !(readBack_ & bit)) endRead(i);
        }
        heldEdits_ &= ~mask;
        ZapiszDoSterownika(mask);
        return;
    }
    for (int i = 0; i < kRegionCount; ++i)
        if (mask & kRegions[i].mask)
            std::memcpy(mem.region(kRegions[i].mask), controllerCopy_[static_cast<size_t>(i)].data(),
                        MemoryImage::kRegionSize);
    if (mask & 0x1) ListaRpmLamMafAfr();
}

void TSterownik::switchInjectors(uint8_t mask)
{
    enabledInjectors_ = mask;
    requestCommand(CmdInjectorSwitch);
}

uint32_t TSterownik::pendingCommands() const
{
    uint32_t bits = 0;
    for (int c = 0; c < CommandCount; ++c)
        if (commands_[c]) bits |= 1u << c;
    return bits;
}

void TSterownik::setObdSnapshotByte(int index, uint8_t value)
{
    if (index >= 0 && index < static_cast<int>(mem.obdStatus.size())) mem.obdStatus[static_cast<size_t>(index)] = value;
}

bool TSterownik::alive() const
{
    // Asking the port whether it is connected notices a device that went away; that is no change
    // of the link's state as callers see it.
    return unanswered <= kUnansweredLimit && const_cast<TSterownik*>(this)->PortConnected();
}

void TSterownik::replaceReadMask(uint32_t mask)
{
    // Whatever was read before may have changed (a reset, a loaded file, another controller):
    // every region starts its confirmation afresh.
    const uint32_t stillUnreadable = unreadable_ & ~mask;
    resetReadConfirmation();
    unreadable_ = stillUnreadable;
    // Read-backs of acknowledged writes go on: what was written is still to be compared.
    queueReads(mask);
    readMask = mask | (readMask & (kHistoryMask | readBack_));
}

void TSterownik::resetReadConfirmation()
{
    candidateMask_ = 0;
    disagreements_.fill(0);
    unreadable_ = 0;
}

void TSterownik::RozkazDoSterownika(uint32_t mask) { linkMask |= mask; }

void TSterownik::Timer1OnTimer()
{
    if (!PortConnected() || busy) return;
    if (justOpened) {
        justOpened = false;
        linkMask = 1;
        commands_[CmdFirmwarePending] = 0;
        flashing = false;
        inFlight_ = 0;
        injectorSwitchInFlight_ = false;
        resetReadConfirmation();
        identityCandidateSize_ = 0;
        bulkRead_ = answered_ = false;
        ticksSinceSend_ = ticksSinceLive_ = 0;
        zdarzenie(kEventLinkStarted, 0, 0, 0);
    }
    busy = true;
    slotTick(OdbiorRx());
    busy = false;
}

// --- resets

void TSterownik::KasujMnoznik()
{
    std::memset(mem.block(MemoryImage::Multiplier1), 100, MemoryImage::kRegionSize);
    std::memset(mem.block(MemoryImage::Multiplier2), 100, MemoryImage::kRegionSize);
    uint8_t* s = mem.settingsBlock();
    std::memset(s + MemoryImage::kNodesBank1, 0, MemoryImage::kNodeSlots - 1);
    std::memset(s + MemoryImage::kNodesBank2, 0, MemoryImage::kNodeSlots - 1);
    s[MemoryImage::kNodesBank1 + 25] = mem.timeAxisMax;
    s[MemoryImage::kNodesBank2 + 25] = mem.timeAxisMax;
    writeMask |= 0x7;
}

void TSterownik::KasujKorOdObr()
{
    std::memset(mem.block(MemoryImage::RpmCorrection1), 100, MemoryImage::kRegionSize);
    std::memset(mem.block(MemoryImage::RpmCorrection2), 100, MemoryImage::kRegionSize);
    writeMask |= 0x18;
}

void TSterownik::KasujKorekty()
{
    for (int b :
         {MemoryImage::GasPressureCorrection, MemoryImage::ReducerTempCorrection, MemoryImage::GasTempCorrection})
        ReferenceTables::defaultCorrectionCurve(mem.block(b), b);
    writeMask |= 0x100 | 0x200 | 0x400;
}

void TSterownik::KasujMapeEcuBen()
{
    mem.maps[MemoryImage::PetrolMap].fill(0);
    writeMask |= 0x10000;
    // Setting 79 (blockade) belongs to the learned petrol map.
    if (mem.settings[79] != 0) {
        mem.settings[79] = 0;
        writeMask |= 0x1;
    }
}

void TSterownik::KasujMapeEcuGaz()
{
    mem.maps[MemoryImage::GasMap].fill(0);
    writeMask |= 0x20000;
}

void TSterownik::KasujMapeOdbBen()
{
    mem.maps[MemoryImage::ObdPetrol1].fill(0);
    mem.maps[MemoryImage::ObdPetrol2].fill(0);
    writeMask |= 0x100000 | 0x400000;
}

void TSterownik::KasujMapeObdGaz()
{
    mem.maps[MemoryImage::ObdGas1].fill(0);
    mem.maps[MemoryImage::ObdGas2].fill(0);
    writeMask |= 0x200000 | 0x800000;
}

void TSterownik::KasujOpoznienia()
{
    uint8_t* d = mem.block(MemoryImage::GasInjectionDelay);
    for (int i = 0; i < MemoryImage::kRegionSize; ++i) d[i] = ReferenceTables::delayDefault(i);
    ZapiszDoSterownika(0x1000);
}

void TSterownik::KasujWzbogacenie()
{
    std::memset(mem.block(MemoryImage::Enrichment), 128, MemoryImage::kRegionSize);
    ZapiszDoSterownika(0x2000);
}

void TSterownik::NastawyFabryczne()
{
    KasujMnoznik();
    KasujKorOdObr();
    KasujKorekty();
    writeMask |= 0x1;
    commands_[CmdFactorySettings] = 1;
}

void TSterownik::injectorAssignmentChanged()
{
    // Running on gas, the fuel changes quickly so that the new assignment takes at once.
    if (liveStatus[0] != 0) requestCommand(CmdQuickFuelChange);
    requestCommand(CmdInjectorSwitch);
}
