// The dispatcher: applies each verified controller frame to the link state and the memory image.
#include <algorithm>
#include <cstring>

#include "link/Regions.h"
#include "link/Tsterownik.h"

namespace {
constexpr TColor kRequestColour = Rgb(192, 192, 192);
constexpr TColor kReportColour = Rgb(0, 0, 0);
constexpr TColor kErrorColour = Rgb(255, 0, 0);
constexpr int kData = 6;                // data bytes start behind the head and the prefix
constexpr int kLiveFrameReadings = 92;  // live readings end where the OBD status block begins
// Reads of one region that may disagree before it is reported unreadable: five reads at most.
constexpr int kReadDisagreementLimit = 4;
static_assert(kRegionCount == 18, "the link keeps one confirmation slot per region");

struct WriteReport {
    uint8_t record;
    uint8_t bit;
    const char* text;
};

// Memory-write reports that live replies carry in their record bytes.
constexpr WriteReport kWriteReports[] = {
    {0xF1, 0x1, "Zapis eeprom - dane"},      {0xF1, 0x2, "Zapis eeprom - mapy"},
    {0xF1, 0x4, "Zapis eeprom - błędy"},     {0xF1, 0x8, "Zapis eeprom - kasuj błędy"},
    {0xF2, 0x1, "Zapis flash - nastawy"},    {0xF2, 0x2, "Zapis flash - kor.czas"},
    {0xF2, 0x4, "Zapis flash - kor.czas"},   {0xF2, 0x8, "Zapis flash - kor.obr.1"},
    {0xF2, 0x10, "Zapis flash - kor.obr.2"}, {0xF2, 0x20, "Zapis flash - his/kor"},
};

const char* obdStateText(uint8_t state)
{
    switch (state) {
        case 1: return " + len + TRAN:";
        case 2: return " + PID:";
        case 4: return " + ECU:";
        case 8: return " + SUP:";
        case 16: return " + LST:";
        case 32: return " + DTC:";
        default: return "";
    }
}
}  // namespace

bool TSterownik::dispatchReply(int length, bool& writeRxLine)
{
    const uint8_t start = rxBuffer[0];
    const uint8_t command = rxBuffer[3];
    uint8_t* data = rxBuffer + kData;
    const int dataLength = length - kData;

    auto unknown = [&] {
        if (OnTekst) log(QStringLiteral("\n Nie rozpoznany rozkaz"), kErrorColour);
        return false;
    };

    if (start == FrameCodec::kStartObd) {
        if (command != 0x70) return unknown();
        if (dataLength > 0)
            std::memcpy(mem.obdStatus.data(), data, std::min<int>(dataLength, MemoryImage::kObdStatusSize));
        writeRxLine = OnTekst && verboseObd_ == 1;
        if (writeRxLine)
            log(QStringLiteral("\n Stan pracy obd") + QLatin1String(obdStateText(dataLength > 11 ? data[11] : 0)),
                kRequestColour);
        return true;
    }

    if (command >= 0x90 && command <= 0x9F) {
        // Views read fixed offsets up to byte 91: a short reply must not show the bytes of an
        // older frame as current readings.
        if (length < kLiveFrameReadings) std::memset(rxBuffer + length, 0, kLiveFrameReadings - length);
        liveStatus = {rxBuffer[10], rxBuffer[11], rxBuffer[12]};
        // A reply to a request sent before the user stopped must not start the calibration over.
        if ((command & 1) && (liveRequestBits_ & kLiveRequestCalibration)) EtapyKalibracji();
        if (!commands_[CmdInjectorSwitch]) enabledInjectors_ = rxBuffer[22];
        if (data[0] == 0 && data[3] != 0) {
            if (uint8_t* map = mem.mapOfSelector(data[1])) {
                map[data[2]] = data[3];
                // A map read waiting for its confirming read learns the cell too: the controller's
                // copy has changed since the first read, and the second read will show it.
                // So does a read-back waiting to compare what was written: the cell was learned after.
                for (int i = 0; i < kRegionCount; ++i) {
                    if (mem.region(kRegions[i].mask) != map) continue;
                    if (candidateMask_ & kRegions[i].mask) readCandidate_[static_cast<size_t>(i)][data[2]] = data[3];
                    if (readBack_ & kRegions[i].mask) sentCopy_[static_cast<size_t>(i)][data[2]] = data[3];
                }
            }
        }
        if (data[0] == 0xF1 || data[0] == 0xF2) {
            if (OnTekst)
                for (const WriteReport& r : kWriteReports)
                    if (r.record == data[0] && (data[1] & r.bit)) log(QString::fromUtf8(r.text), kReportColour);
        } else if (data[0] == 0xF3 || data[0] == 0xF4) {
            // Taken whether or not the log is watched: the adaptation display reads them.
            const int at = data[0] == 0xF3 ? 66 : 68;
            mem.identity[at] = data[1];
            mem.identity[at + 1] = data[2];
        }
        std::memcpy(rxBuffer + 92, mem.obdStatus.data(), MemoryImage::kObdStatusSize);
        writeRxLine = verboseLive_ == 1;
        return true;
    }

    if (start != FrameCodec::kStartReply || command < 0x80) return unknown();

    switch (command) {
        case 0x80:
            if (verboseLive_ == 1 && OnTekst) log(QStringLiteral("\n Stan pracy komp"), kRequestColour);
            return true;
        case 0x81: {
            // The identity drives the channel table, the caption and the change history's owner: it
            // is taken only when two replies agree (from the mode byte on: the head differs).
            if (!confirmIdentity(length)) {
                replyHeld_ = true;
                return true;
            }
            linkMask &= ~1u;
            mem.identity.fill(0);
            std::fill(mem.identity.begin() + 66, mem.identity.begin() + 70, 0x80);
            // A longer reply still identifies the controller: its first 128 bytes are the block.
            std::memcpy(mem.identity.data(), rxBuffer, std::min<int>(length, MemoryImage::kIdentitySize));
            if (rxBuffer[5] == 0) {
                keepHistoryForSameController();
                // Writes still waiting from before (the link was lost before they were
                // acknowledged) are edits the controller may not have: asked about with the rest.
                const uint32_t waiting = (writeMask | (commands_[CmdSettingsWrite] ? 0x1u : 0u)) & ~kHistoryMask;
                unsentEdits_ |= waiting;
                writeMask &= ~waiting;
                // A frame sent before the silence is answered by nobody now: its region is read.
                inFlight_ &= ~waiting;
                commands_[CmdSettingsWrite] = 0;
                ListaParamOdPlytki();
                linkMask |= 2;
                // A new reading of the whole controller: nothing read before counts as confirmed.
                resetReadConfirmation();
                // Regions edited meanwhile are read too (also those outside the usual reading),
                // so that the question can offer the controller's values.
                const uint32_t reads = 0xF3079Fu | unsentEdits_;
                readMask = 0;
                queueReads(reads);
                readMask = reads;
                // The reads go out back to back until every region is taken (TsterownikScheduler.cpp).
                bulkRead_ = true;
                bulkMask_ = readMask;
            } else if (rxBuffer[5] == 1 && commands_[CmdFirmwarePending]) {
                flashing = true;
            }
            return true;
        }
        case 0x82: linkMask &= ~2u; return true;
        case 0x83:
            commands_[CmdClearErrors] = 0;
            linkMask |= 2;
            return true;
        case 0x84: commands_[CmdAutoFuelChange] = 0; return true;
        case 0x85: commands_[CmdQuickFuelChange] = 0; return true;
        case 0x86:
            // A switch asked for after the frame went out (a second toggle) is sent again. The
            // sent mask is kept: a late repeat of this acknowledgement must not clear a newer one.
            if (!injectorSwitchInFlight_ || enabledInjectors_ == injectorSwitchSent_) commands_[CmdInjectorSwitch] = 0;
            return true;
        case 0x87: commands_[CmdSpeakerTest] = 0; return true;
        case 0x88: commands_[CmdLeakTest] = 0; return true;
        case 0x89:
            commands_[CmdFactorySettings] = 0;
            replaceReadMask(0x71F);
            return true;
        case 0x8E:
        case 0x8F: return true;
        case 0xF8:
            // Changed after its frame was sent: the settings go out again.
            if (writeDone(0)) {
                commands_[CmdSettingsWrite] = 0;
                startReadBack(0);
            }
            return true;
        case 0xFF:
            ++firmwareBlock;
            if (firmwareBlock >= MemoryImage::kFirmwareBlocks) {
                flashing = false;
                commands_[CmdFirmwarePending] = 0;
                commands_[CmdReturnFromBootloader] = 1;
            }
            return true;
        default: break;
    }

    const RegionInfo* r = regionOfCommand(command);
    if (!r) return unknown();
    const int index = regionIndex(r->mask);
    if (command == r->writeCommand) {
        // An edit made while the frame was on the line keeps the write pending.
        if (writeDone(index)) {
            writeMask &= ~r->mask;
            startReadBack(index);
            if (r->mask == 0x80) {
                historyKinds_ = 0;
                historyClearPending_ = false;
            }
        }
        return true;
    }
    // A read reply carries the whole region behind the prefix. A shorter one would mix old and
    // new bytes in the image: it is not taken and the read stays pending, so it is asked again.
    if (dataLength < MemoryImage::kRegionSize) return unknown();
    // A reply nobody asked for (a late repeat) confirms nothing.
    if (readMask & r->mask) confirmRead(index, data);
    return true;
}

bool TSterownik::confirmIdentity(int length)
{
    constexpr int kFrom = 5;
    const int size = std::min<int>(length, MemoryImage::kIdentitySize);
    const bool agrees =
        identityCandidateSize_ == size && std::memcmp(identityCandidate_.data() + kFrom, rxBuffer + kFrom,
                                                      static_cast<size_t>(std::max(size - kFrom, 0))) == 0;
    if (agrees) {
        identityCandidateSize_ = 0;
        return true;
    }
    std::memcpy(identityCandidate_.data(), rxBuffer, static_cast<size_t>(size));
    identityCandidateSize_ = size;
    return false;
}

bool TSterownik::confirmRead(int index, const uint8_t* data)
{
    const RegionInfo& r = kRegions[index];
    auto& candidate = readCandidate_[static_cast<size_t>(index)];
    if (!(candidateMask_ & r.mask)) {
        // A read-back that shows exactly what was written agrees with the copy that was sent: no
        // second read is needed (a damaged reply cannot come out equal to it).
        if ((readBack_ & r.mask) && matchesSent(index, data) && !pendingWriteOf(r.mask) && !(unsentEdits_ & r.mask)) {
            checkReadBack(index, data);
            return true;
        }
        // The first read waits for a second one; the read stays pending, so it follows in the
        // next free slot.
        std::memcpy(candidate.data(), data, MemoryImage::kRegionSize);
        candidateMask_ |= r.mask;
        return false;
    }
    if (std::memcmp(candidate.data(), data, MemoryImage::kRegionSize) == 0) {
        // An edit waiting to go out is newer than what the controller holds: the image keeps it,
        // and its write starts a read-back of its own. The history is the exception: changes
        // recorded meanwhile are applied over the controller's history when it is taken.
        if (pendingWriteOf(r.mask) && r.mask != kHistoryMask) {
            endRead(index);
            readBack_ &= ~r.mask;
            if (unsentEdits_ & r.mask) unsentRegionDone();
            return false;
        }
        if (unsentEdits_ & r.mask) {
            // Edited with no controller answering: the fitter chooses between the two copies (an
            // edit held meanwhile is part of the PC's copy).
            heldEdits_ &= ~r.mask;
            std::memcpy(controllerCopy_[static_cast<size_t>(index)].data(), data, MemoryImage::kRegionSize);
            controllerCopyMask_ |= r.mask;
            endRead(index);
            unsentRegionDone();
            return true;
        }
        if (readBack_ & r.mask) checkReadBack(index, data);
        else takeRead(index, data);
        return true;
    }
    // The two reads differ: a damaged reply got past the frame check. Read again, a few times.
    std::memcpy(candidate.data(), data, MemoryImage::kRegionSize);
    if (++disagreements_[static_cast<size_t>(index)] < kReadDisagreementLimit) return false;
    endRead(index);
    unreadable_ |= r.mask;
    if (OnTekst) log(regionLogLine(r.readLog, "  ", " - odczyty różne, region nieczytelny"), kErrorColour);
    if (heldEdits_ & r.mask) refuseEdits(r.mask);
    if (unsentEdits_ & r.mask) unsentRegionDone();
    return false;
}

bool TSterownik::matchesSent(int index, const uint8_t* data) const
{
    // The settings went out with a fresh checksum byte: only the settings themselves count.
    const int from = kRegions[index].mask == 0x1 ? 1 : 0;
    return std::memcmp(data + from, sentCopy_[static_cast<size_t>(index)].data() + from,
                       static_cast<size_t>(MemoryImage::kRegionSize - from)) == 0;
}

bool TSterownik::pendingWriteOf(uint32_t mask) const
{
    const uint32_t writing = writeMask | inFlight_ | (commands_[CmdSettingsWrite] ? 0x1u : 0u);
    return (writing & mask) != 0;
}

void TSterownik::startReadBack(int index)
{
    const uint32_t bit = kRegions[index].mask;
    // What was written is the fitter's answer to any question about edits made offline.
    const bool wasAwaited = unsentEdits_ & readMask & bit;
    unsentEdits_ &= ~bit;
    controllerCopyMask_ &= ~bit;
    readBack_ |= bit;
    endRead(index);
    readMask |= bit;
    if (wasAwaited) unsentRegionDone();
}

void TSterownik::unsentRegionDone()
{
    const uint32_t offered = unsentEdits_ & controllerCopyMask_;
    if (offered && !(readMask & unsentEdits_))
        zdarzenie(kEventUnsentEdits, static_cast<int>(offered), unsentForOtherController_ ? 1 : 0, 0);
}

void TSterownik::endRead(int index)
{
    const uint32_t bit = kRegions[index].mask;
    readMask &= ~bit;
    candidateMask_ &= ~bit;
    disagreements_[static_cast<size_t>(index)] = 0;
}

void TSterownik::checkReadBack(int index, const uint8_t* data)
{
    const RegionInfo& r = kRegions[index];
    const size_t slot = static_cast<size_t>(index);
    readBack_ &= ~r.mask;
    if (matchesSent(index, data)) {
        repairs_[slot] = 0;
        takeRead(index, data);
        return;
    }
    // The controller stored something else than was sent: the line damaged the write in a way its
    // check did not see. The image keeps what the fitter wanted, and the write goes out again.
    endRead(index);
    if (repairs_[slot] >= kWriteRepairLimit) {
        repairs_[slot] = 0;
        unwritable_ |= r.mask;
        if (OnTekst)
            log(regionLogLine(r.writeLog, "  ", " - odczyt po zapisie różny, region niezapisany"), kErrorColour);
        zdarzenie(kEventRegionUnwritable, static_cast<int>(r.mask), 0, 0);
        return;
    }
    ++repairs_[slot];
    ++writeRepairs_;
    if (OnTekst) log(regionLogLine(r.writeLog, "  ", " - odczyt po zapisie różny, zapis ponowiony"), kErrorColour);
    writeMask |= r.mask;
}

void TSterownik::takeRead(int index, const uint8_t* data)
{
    const RegionInfo& r = kRegions[index];
    uint8_t* image = mem.region(r.mask);
    if (heldEdits_ & r.mask) {
        // The bytes edited while the region was being read go over the controller's copy, and out.
        const uint8_t* before = readStartCopy_[static_cast<size_t>(index)].data();
        for (int i = 0; i < MemoryImage::kRegionSize; ++i)
            if (image[i] == before[i]) image[i] = data[i];
        heldEdits_ &= ~r.mask;
        writeMask |= r.mask;
    } else {
        std::memcpy(image, data, MemoryImage::kRegionSize);
    }
    endRead(index);
    unreadable_ &= ~r.mask;
    if (r.mask == 0x80) recordPendingHistory();
    if (r.mask == 0x1) {
        ListaRpmLamMafAfr();
        const uint8_t sum = FrameCodec::byteSum(data, MemoryImage::kRegionSize);
        if (sum != 0 && OnTekst) log(QString::number(sum) + QStringLiteral("  błąd sumy nastaw"), kErrorColour);
    }
}
