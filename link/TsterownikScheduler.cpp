// The send-slot scheduler: which single frame goes out in this slot.
#include <QtCore/QRandomGenerator>

#include <cstring>

#include "link/Regions.h"
#include "link/Tsterownik.h"

namespace {
constexpr TColor kRequestColour = Rgb(192, 192, 192);
constexpr int kPrefix = 2;  // random byte and 0 in front of the data
constexpr int kRegionPayload = kPrefix + MemoryImage::kRegionSize;
}  // namespace

void TSterownik::rememberSent(int index, const uint8_t* bytes, int offset)
{
    const uint32_t bit = kRegions[index].mask;
    std::memcpy(sentCopy_[static_cast<size_t>(index)].data() + offset, bytes + offset,
                static_cast<size_t>(MemoryImage::kRegionSize - offset));
    inFlight_ |= bit;
    // The region changes on the controller: a read reply from before does not confirm anything.
    candidateMask_ &= ~bit;
    disagreements_[static_cast<size_t>(index)] = 0;
}

bool TSterownik::writeDone(int index)
{
    const uint32_t bit = kRegions[index].mask;
    const bool sent = inFlight_ & bit;
    inFlight_ &= ~bit;
    if (!sent) return true;
    // The settings go out with a fresh checksum byte: only the settings themselves count.
    const int from = bit == 0x1 ? 1 : 0;
    return std::memcmp(mem.region(bit) + from, sentCopy_[static_cast<size_t>(index)].data() + from,
                       static_cast<size_t>(MemoryImage::kRegionSize - from)) == 0;
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
    if (waitCounter > 0) {
        --waitCounter;
        return;
    }
    txBuffer[4] = static_cast<uint8_t>(QRandomGenerator::global()->bounded(256));
    txBuffer[5] = 0;

    auto request = [&](const char* text) {
        if (OnTekst) log(QString::fromUtf8(text), kRequestColour);
    };
    auto liveRequest = [&](bool odd) {
        if (verboseLive_ == 1) request("\n  Paramerte bieżące");
        const int command = 0x90 | liveRequestBits_;
        if (odd && commands_[CmdLiveWithObd]) {
            commands_[CmdLiveWithObd] = 0;
            std::memcpy(txBuffer + 6, mem.obdStatus.data() + 5, 6);
            Ramka(command | 0x04, 8);
        } else {
            Ramka(command, 0);
        }
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
        request("\n  Numer seryjny i wersja");
        Ramka(0x81, 0);
        return;
    }
    if ((slotCounter & 1) == 0) {
        liveRequest(false);
        return;
    }

    // Odd slots: commands, then writes, then reads.
    struct SimpleCommand {
        Command flag;
        const char* text;
        uint8_t command;
    };
    if (linkMask & 2) {
        request("\n  Odczyt błędów");
        Ramka(0x82, 0);
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
    for (const RegionInfo& r : kRegions) {
        if (!(readMask & r.mask)) continue;
        request(r.readLog);
        Ramka(r.readCommand, 0);
        return;
    }
    liveRequest(true);
}
