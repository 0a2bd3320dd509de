// The send-slot scheduler: which single frame goes out in this slot.
#include <QtCore/QRandomGenerator>

#include <algorithm>
#include <cstring>

#include "link/Regions.h"
#include "link/Tsterownik.h"

namespace {
constexpr TColor kRequestColour = Rgb(192, 192, 192);
constexpr int kPrefix = 2;  // random byte and 0 in front of the data
constexpr int kRegionPayload = kPrefix + MemoryImage::kRegionSize;

// The slot clock, in 25 ms ticks. A live request, a read or a wait takes four (100 ms: with nothing
// else on the line a live frame every 0.1 s, the oscilloscope's sample time). A frame the
// controller stores or acts on (a write, a firmware block, a command) keeps the five ticks it has
// always had before the next frame.
constexpr int kSlotTicks = 4;
constexpr int kStoreSlotTicks = 5;
// During the bulk read live requests are at most ten ticks (250 ms) apart.
constexpr int kLiveGapTicks = 10;
constexpr int kTickCap = 1000;  // the tick counts stop here: only "long ago" matters beyond

bool isLiveRequest(uint8_t command) { return command >= 0x90 && command <= 0x9F; }
bool isRegionRead(uint8_t command)
{
    const RegionInfo* r = regionOfCommand(command);
    return r && r->readCommand == command;
}
}  // namespace

void TSterownik::noteRequestSent(uint8_t command)
{
    lastRequest_ = command;
    answered_ = false;
    ticksSinceSend_ = 0;
    if (isLiveRequest(command)) ticksSinceLive_ = 0;
}

void TSterownik::noteReply(uint8_t command)
{
    if (command == lastRequest_) answered_ = true;
}

void TSterownik::slotTick(int received)
{
    ++tickCounter;
    ticksSinceSend_ = std::min(ticksSinceSend_ + 1, kTickCap);
    ticksSinceLive_ = std::min(ticksSinceLive_ + 1, kTickCap);
    if (bulkRead_ && readMask == 0 && (linkMask & 3) == 0) bulkRead_ = false;
    if (received > 0 && answered_) {
        answered_ = false;
        if (isRegionRead(lastRequest_)) readTicks_ = ticksSinceSend_;
        if (quickReads() && quickSlot()) return;
    }
    // A reply still coming in holds the slot: no request goes out into it.
    if (tickCounter < slotTicks_ || received == -2) return;
    tickCounter = 0;
    ++slotCounter;
    NadawanieTx();
}

bool TSterownik::quickSlot()
{
    if (waitCounter > 0 || workWaiting() || (readMask == 0 && (linkMask & 2) == 0)) return false;
    tickCounter = 0;
    ++slotCounter;
    if (liveDue()) sendLive(true);
    else sendNextRead();
    return true;
}

bool TSterownik::quickReads() const { return bulkRead_ || (readMask & readBack_) != 0; }

bool TSterownik::liveDue() const
{
    // Also the regular slot that follows a read whose reply never came must still be in time.
    return ticksSinceLive_ + kSlotTicks > kLiveGapTicks || ticksSinceLive_ + readTicks_ > kLiveGapTicks;
}

bool TSterownik::workWaiting() const
{
    if (flashing || (linkMask & 1)) return true;
    for (Command c : {CmdClearErrors, CmdAutoFuelChange, CmdQuickFuelChange, CmdInjectorSwitch, CmdSpeakerTest,
                      CmdLeakTest, CmdFactorySettings, CmdJumpToBootloader, CmdReturnFromBootloader, CmdSettingsWrite})
        if (commands_[c]) return true;
    // The history write waits for the history read: it does not hold up the reads before it.
    const uint32_t held = (readMask & 0x80) ? 0x80u : 0u;
    return (writeMask & ~unreadable_ & ~held) != 0;
}

void TSterownik::sendLive(bool withObd)
{
    slotTicks_ = kSlotTicks;
    if (verboseLive_ == 1 && OnTekst) log(QStringLiteral("\n  Paramerte bieżące"), kRequestColour);
    const int command = 0x90 | liveRequestBits_;
    if (withObd && commands_[CmdLiveWithObd]) {
        commands_[CmdLiveWithObd] = 0;
        std::memcpy(txBuffer + 6, mem.obdStatus.data() + 5, 6);
        Ramka(command | 0x04, 8);
    } else {
        Ramka(command, 0);
    }
}

void TSterownik::sendNextRead()
{
    slotTicks_ = kSlotTicks;
    if (linkMask & 2) {
        if (OnTekst) log(QStringLiteral("\n  Odczyt błędów"), kRequestColour);
        Ramka(0x82, 0);
        return;
    }
    for (const RegionInfo& r : kRegions) {
        if (!(readMask & r.mask)) continue;
        if (OnTekst) log(QString::fromUtf8(r.readLog), kRequestColour);
        Ramka(r.readCommand, 0);
        return;
    }
}

void TSterownik::rememberSent(int index, const uint8_t* bytes, int offset)
{
    const uint32_t bit = kRegions[index].mask;
    std::memcpy(sentCopy_[static_cast<size_t>(index)].data() + offset, bytes + offset,
                static_cast<size_t>(MemoryImage::kRegionSize - offset));
    inFlight_ |= bit;
    // An edit held for the region's read goes out with this frame: nothing is left to lay over it.
    heldEdits_ &= ~bit;
    // The region changes on the controller: a read reply from before does not confirm anything.
    candidateMask_ &= ~bit;
    disagreements_[static_cast<size_t>(index)] = 0;
}

bool TSterownik::writeDone(int index)
{
    const uint32_t bit = kRegions[index].mask;
    const bool sent = inFlight_ & bit;
    inFlight_ &= ~bit;
    return !sent || matchesSent(index, mem.region(bit));
}

void TSterownik::sendRegion(uint8_t command, const uint8_t* region)
{
    if (const RegionInfo* r = regionOfCommand(command)) rememberSent(regionIndex(r->mask), region, 0);
    std::memcpy(txBuffer + 6, region, MemoryImage::kRegionSize);
    Ramka(command, kRegionPayload);
}

void TSterownik::sendSettings()
{
    ListaRpmLamMafAfr();
    const uint8_t* s = mem.settingsBlock();
    rememberSent(0, s, 1);
    // The stored checksum byte may be stale after edits; the controller gets a fresh one.
    txBuffer[6] = FrameCodec::checksumFor(s + 1, MemoryImage::kRegionSize - 1);
    std::memcpy(txBuffer + 7, s + 1, MemoryImage::kRegionSize - 1);
    Ramka(0xF8, kRegionPayload);
}

void TSterownik::NadawanieTx()
{
    // A region whose reads never agreed is not known to the PC: writing it would send bytes the
    // controller never had.
    if (unreadable_) {
        writeMask &= ~unreadable_;
        if (unreadable_ & 0x1) commands_[CmdSettingsWrite] = 0;
    }
    if (writeMask & 0x1) {
        writeMask &= ~0x1u;
        commands_[CmdSettingsWrite] = 1;
    }
    slotTicks_ = kSlotTicks;
    if (waitCounter > 0) {
        --waitCounter;
        return;
    }
    slotTicks_ = kStoreSlotTicks;  // the live requests and reads below take the short slot
    txBuffer[4] = static_cast<uint8_t>(QRandomGenerator::global()->bounded(256));
    txBuffer[5] = 0;

    auto request = [&](const char* text) {
        if (OnTekst) log(QString::fromUtf8(text), kRequestColour);
    };

    if (commands_[CmdJumpToBootloader]) {
        request("\n  Skok do bootloader-a");
        Ramka(0x8E, 0);
        waitCounter = 8;
        commands_[CmdJumpToBootloader] = 0;
        linkMask |= 1;
        HistoriaZmian(kHistoryFirmware);
        return;
    }
    if (commands_[CmdReturnFromBootloader]) {
        request("\n  Powrót z bootloader-a");
        Ramka(0x8F, 0);
        waitCounter = 2;
        commands_[CmdReturnFromBootloader] = 0;
        linkMask |= 1;
        return;
    }
    if (flashing) {
        request("\n  Zapis Flash");
        const int block = std::clamp(firmwareBlock, 0, MemoryImage::kFirmwareBlocks - 1);
        txBuffer[4] = static_cast<uint8_t>(firmwareBlock & 0xFF);
        txBuffer[5] = static_cast<uint8_t>(firmwareBlock >> 8);
        std::memcpy(txBuffer + 6, mem.firmware.data() + MemoryImage::kFirmwareHeader + block * MemoryImage::kRegionSize,
                    MemoryImage::kRegionSize);
        Ramka(0xFF, kRegionPayload);
        return;
    }
    if (linkMask & 1) {
        slotTicks_ = kSlotTicks;
        request("\n  Numer seryjny i wersja");
        Ramka(0x81, 0);
        return;
    }
    // Even slots are live requests; during the bulk read a live request also takes an odd slot
    // that would only read, when the last one is long enough ago.
    const bool odd = slotCounter & 1;
    if (!odd || (quickReads() && !workWaiting() && liveDue())) {
        sendLive(odd);
        return;
    }

    // Odd slots: commands, then writes, then reads.
    struct SimpleCommand {
        Command flag;
        const char* text;
        uint8_t command;
    };
    if (linkMask & 2) {
        sendNextRead();
        return;
    }
    if (commands_[CmdClearErrors]) {
        request("\n  Kasowanie błędów");
        Ramka(0x83, 0);
        waitCounter = 4;
        HistoriaZmian(kHistoryErrorsCleared);
        return;
    }
    static constexpr SimpleCommand kFuelCommands[] = {
        {CmdAutoFuelChange, "\n  Zmiana paliwa automatyczna", 0x84},
        {CmdQuickFuelChange, "\n  Zmiana paliwa szybka", 0x85},
    };
    for (const SimpleCommand& c : kFuelCommands) {
        if (commands_[c.flag]) {
            request(c.text);
            Ramka(c.command, 0);
            return;
        }
    }
    if (commands_[CmdInjectorSwitch]) {
        request("\n  Zmiana załączonych wtryskiwaczy");
        txBuffer[6] = enabledInjectors_;
        injectorSwitchSent_ = enabledInjectors_;
        injectorSwitchInFlight_ = true;
        Ramka(0x86, 3);
        return;
    }
    if (commands_[CmdSettingsWrite]) {
        request(kRegions[0].writeLog);
        sendSettings();
        waitCounter = 2;
        HistoriaZmian(kHistoryConfig);
        return;
    }
    for (const RegionInfo& r : kRegions) {
        if (r.mask == 0x1 || !(writeMask & r.mask)) continue;
        // The history goes back only over the controller's own: it waits for its read.
        if (r.mask == 0x80 && (readMask & 0x80)) continue;
        request(r.writeLog);
        sendRegion(r.writeCommand, mem.region(r.mask));
        waitCounter = 2;
        if (r.recordsHistory) HistoriaZmian(kHistoryConfig);
        return;
    }
    static constexpr SimpleCommand kTests[] = {
        {CmdSpeakerTest, "\n  Test głośnika", 0x87},
        {CmdLeakTest, "\n  Test szczelności", 0x88},
    };
    for (const SimpleCommand& c : kTests) {
        if (commands_[c.flag]) {
            request(c.text);
            Ramka(c.command, 0);
            return;
        }
    }
    if (commands_[CmdFactorySettings]) {
        request("\n  Nastawy fabryczne");
        Ramka(0x89, 0);
        HistoriaZmian(kHistoryFactory);
        return;
    }
    if (readMask) {
        sendNextRead();
        return;
    }
    sendLive(true);
}
