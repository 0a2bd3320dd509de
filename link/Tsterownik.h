#pragma once

#include <QtCore/QFile>
#include <QtCore/QString>
#include <QtCore/QTimer>
#include <QtCore/QVector>

#include <array>
#include <bit>
#include <cstdint>
#include <functional>
#include <memory>

#include "link/ChannelTable.h"
#include "link/FrameCodec.h"
#include "link/LinkEvents.h"
#include "link/LiveFrame.h"
#include "link/MemoryImage.h"
#include "link/ObdSnapshotSink.h"
#include "link/SettingsActions.h"
#include "link/Tserial.h"

// Bits of the live request that ask the controller for extra live data while someone needs it.
enum LiveRequest : int {
    kLiveRequestCalibration = 0x1,  // the autocalibration is running
    kLiveRequestLevelSensor = 0x2,  // the level-sensor dialog is open
};

// Change kinds recorded in the controller's change history.
enum HistoryKind { kHistoryFirmware = 0, kHistoryFactory = 1, kHistoryErrorsCleared = 2, kHistoryConfig = 3 };

// The controller link: frames, the 25 ms polling scheduler, the dispatcher of replies, and the
// PC-side copy of the controller's memory with everything derived from it.
class Prompt;

class TSterownik : public TSerial, public ObdSnapshotSink, public SettingsActions {
    Q_OBJECT
public:
    // One-shot commands, each a flag until the controller acknowledges it.
    enum Command {
        CmdLiveWithObd,
        CmdClearErrors,
        CmdAutoFuelChange,
        CmdQuickFuelChange,
        CmdInjectorSwitch,
        CmdSpeakerTest,
        CmdLeakTest,
        CmdFactorySettings,
        CmdJumpToBootloader,
        CmdReturnFromBootloader,
        CmdFirmwarePending,
        CmdSettingsWrite,
        CommandCount
    };

    explicit TSterownik(QObject* owner = nullptr);
    ~TSterownik() override;

    // --- requests (Czytaj/Zapisz/Rozkaz take masks of regions)
    void CzytajZeSterownika(uint32_t mask);
    // What happens to an edit handed to ZapiszDoSterownika. No edit is dropped without a word:
    // - Sent: the write is queued (also while the region is read back after a write);
    // - Held: the region is being read; the edited bytes are laid over the controller's copy once
    //   it is read, and then written (a log line says so, `heldEditsMask` shows it);
    // - Unsent: no controller answers; the edit stays in the image, and when a controller is
    //   identified and read, `kEventUnsentEdits` asks the fitter to send or drop it;
    // - Refused: the region's reads never agreed; the edit is taken back (red log line).
    enum class EditOutcome { Sent, Held, Unsent, Refused };
    EditOutcome ZapiszDoSterownika(uint32_t mask);
    // Edits waiting for their region's read, and edits made with no controller answering.
    uint32_t heldEditsMask() const { return heldEdits_; }
    uint32_t unsentEditsMask() const { return unsentEdits_; }
    // The fitter's answer to kEventUnsentEdits: send the regions as the PC holds them, or take the
    // controller's copies that were read meanwhile.
    void settleUnsentEdits(bool send);
    void RozkazDoSterownika(uint32_t mask);
    // Replaces the pending reads (identification, the factory-settings reply, a connected file
    // load). A history read that has not arrived yet stays pending: changes recorded meanwhile wait
    // for it. So do the read-backs of acknowledged writes.
    void replaceReadMask(uint32_t mask);
    // A change-history entry or clearing waits to be written or for the controller's acknowledgement.
    bool historyWritePending() const;
    // Regions whose reads never agreed twice: not taken into the image, their writes refused.
    uint32_t unreadableMask() const { return unreadable_; }
    // Regions written, acknowledged, and being read back to see that the controller stored them.
    uint32_t readBackMask() const { return readBack_; }
    // Regions that still read back different from what was written after the write was sent
    // again kWriteRepairLimit times: the controller does not keep them. A new edit tries again.
    uint32_t unwritableMask() const { return unwritable_; }
    // Writes sent again because their read-back differed (the line damaged a stored write).
    int writeRepairs() const { return writeRepairs_; }
    static constexpr int kWriteRepairLimit = 3;
    // The link is alive: the port is open and the controller answered one of its last 10 requests.
    bool alive() const;
    // Nothing of `regions` waits to be read; without an argument, nothing at all waits to be read
    // or identified.
    bool readsDone(uint32_t regions) const { return (readMask & regions) == 0; }
    bool readsDone() const { return readMask == 0 && linkMask == 0; }
    uint32_t pendingReads() const { return readMask; }
    // The regions whose writes wait to go out or for their acknowledgement (the settings block's
    // write may also wait as its own command).
    uint32_t pendingWrites() const { return writeMask | (commandPending(CmdSettingsWrite) ? 0x1u : 0u); }
    bool writesPending(uint32_t regions = ~0u) const { return (pendingWrites() & regions) != 0; }
    // Every write has reached the controller and read back the same, the history's included.
    bool writesSettled() const
    {
        return !writesPending() && !historyWritePending() && readBack_ == 0 && (readMask & 0x80) == 0;
    }

    // --- verbs for the windows, the OBD reader and the command line: they ask, the link sends
    // Asks for the one-shot command `c`; it stays pending until the controller acknowledges it.
    void requestCommand(Command c) { commands_[c] = 1; }
    // Takes back a command the controller has not acknowledged yet.
    void cancelCommand(Command c) { commands_[c] = 0; }
    bool commandPending(Command c) const { return commands_[c] != 0; }
    // The commands still pending, bit c for Command c.
    uint32_t pendingCommands() const;
    // Drops the pending reads of `mask` (a command that needs only some regions).
    void dropReads(uint32_t mask) { readMask &= ~mask; }
    // Switches the gas injectors to `mask` (bit n = injector n + 1 on) and asks for the switch.
    void switchInjectors(uint8_t mask);
    // The gas injectors switched on: as last asked for, or as the last live reply reported.
    uint8_t injectorsEnabled() const { return enabledInjectors_; }
    // A live-request bit held for as long as the window that needs it is open.
    void holdLiveRequest(LiveRequest bit) { liveRequestBits_ |= bit; }
    void releaseLiveRequest(LiveRequest bit) { liveRequestBits_ &= ~bit; }
    bool liveRequestHeld(LiveRequest bit) const { return liveRequestBits_ & bit; }
    int liveRequestBits() const { return liveRequestBits_; }
    // The diagnostic channels join the oscilloscope list and the readings selection while on.
    void setDiagnosticChannels(bool on) { channels_.setDiagnostic(on); }
    bool diagnosticChannels() const { return channels_.diagnostic(); }
    // The live channel table, read-only: channels are shown, hidden and coloured through the verbs.
    const QVector<TWykres>& channels() const { return channels_.channels(); }
    // The channel table with the views that show each channel, for the CSV export.
    const ChannelTable& channelTable() const { return channels_; }
    // Shows or hides channel `channel` (an index of `channels()`) in the views of `view`.
    void setChannelShown(int channel, int view, bool shown);
    void toggleChannelShown(int channel, int view);
    void setChannelColour(int channel, TColor colour);
    // Transmission-log detail: every live reply, every OBD status reply.
    void setVerboseLive(bool on) { verboseLive_ = on ? 1 : 0; }
    void setVerboseObd(bool on) { verboseObd_ = on ? 1 : 0; }
    bool verboseLive() const { return verboseLive_ != 0; }
    bool verboseObd() const { return verboseObd_ != 0; }
    // One byte of the OBD status block sent with "live with OBD" (`index` 0..35; others ignored).
    void setObdSnapshotByte(int index, uint8_t value) override;
    // The next live request goes out as "live with OBD", carrying the block.
    void requestLiveWithObd() override { requestCommand(CmdLiveWithObd); }

    // --- what a change of a setting asks of the controller (the settings catalogue over `mem`)
    MemoryImage& settingsImage() override { return mem; }
    void regionsChanged(uint32_t mask) override { ZapiszDoSterownika(mask); }
    void referenceCorrectionChanged() override { ObliczKorekteOdniesienia(); }
    void adaptationCleared() override { DodajAdaptacje(); }
    void injectorAssignmentChanged() override;
    void injectorSwitchAsked() override { requestCommand(CmdInjectorSwitch); }
    int gasInjectors() const override { return injectorCount; }

    // --- the tick and its parts
    void Timer1OnTimer();
    // The regular send slot: one frame (or a wait) every four ticks, five after a frame the
    // controller stores or acts on (TsterownikScheduler.cpp).
    void NadawanieTx();
    void AnalizaOdbioru(int length);
    int OdbiorRx();
    void RamkaAll(uint8_t start, uint8_t command, int length);
    void Ramka(int command, int length);

    // --- resets of the memory image (they set write bits; sending waits for the scheduler)
    void KasujMnoznik();
    void KasujKorOdObr();
    void KasujKorekty();
    void KasujMapeEcuBen();
    void KasujMapeEcuGaz();
    void KasujMapeOdbBen();
    void KasujMapeObdGaz();
    void KasujOpoznienia();
    void KasujWzbogacenie();
    void NastawyFabryczne();
    void CzytajBledyObd(int) {}
    void KasujBledyObd(int) {}

    // --- live channels
    void UtworzWykresy();
    void DodajWykres(int id, int unit, int type, int offset, double scale, int decimals, TColor colour, double gain,
                     int flags);
    void ListaRpmLamMafAfr();
    void ListaParamOdPlytki();
    int PodajIleParamBiez(int mask) const;
    int PodajPozycje(int mask, int n) const;
    // Text of reading n of the channels of `mask` in the last verified live frame (ChannelDecoder).
    QString StrParamBiez(int mask, int n) const;
    // The same for a live frame handed on by the link (the readings grid takes it from the frame).
    QString StrParamBiez(int mask, int n, const LiveFrame& frame) const;
    QString StrStanPracy(int state, int mode) const;  // returns the text through the language table
    int StanPracyTextId(int state, int mode) const;   // language text ID of the work state, 0 = none
    TColor KolorStanuPracy(int state) const;

    // --- identity, running times and change history
    QString StrWersjaSterownika() const;
    QString StrKodKreskowy() const;
    QString StrDataProdukcji() const;
    QString StrWersjaCyframi(int parts) const;
    QString StrIleWtryskiwaczy() const;
    QString StrCzasNaBenzynie() const;
    QString StrCzasNaGazie() const;
    QString StrCzasPrzegladu() const;
    QString StrIdentWlasny() const;
    QString StrHistoria(int column, int entry) const;
    void HistoriaZmian(int kind);
    void HistoriaZmianKasuj();

    // --- autocalibration and adaptation
    bool StartStopKalibracji();
    // Why a calibration started a phase over (kEventCalibrationRestarted's code and value), in the
    // fitter's words and the program's language.
    static QString calibrationRestartText(int reason, int value);
    void EtapyKalibracji();
    void WykonajAdaptacje() {}
    void ObliczKorekteOdniesienia();
    void DodajAdaptacje();
    void WyliczMnoznik(int mode, int low, int high);

    // --- oscilloscope recording file (TsterownikScope.cpp)
    // Asks for a file name and starts a recording: the head from the memory image, then the first
    // `count` samples; the file stays open for appending. "Error code 131" when it cannot be made.
    void ZapiszOscyloskop(Prompt& prompt, const uint8_t* samples, int count);
    // The same without asking: 0, or 131 (no recording is open then).
    int ZapiszOscyloskop(const QString& path, const uint8_t* samples, int count);
    // Appends sample `index` of `samples` to the open recording: 0 (also with none open), or 134
    // when the write failed, which closes the recording.
    int DopiszOscyloskop(const uint8_t* samples, int index);
    void ZamnkijOscyloskop();
    bool RecordingOpen() const { return recording_ != nullptr; }
    // Asks for a recording and loads it: its head into the memory image, at most 36000 samples into
    // `samples`. Returns the number of samples loaded, 0 on cancel or refusal ("Error code 132",
    // "133"). A refused file leaves the port, the memory image and `samples` as they were.
    int CzytajOscyloskop(Prompt& prompt, uint8_t* samples);
    // The same without asking: 0, 132 or 133; `count` gets the number of samples loaded.
    int CzytajOscyloskop(const QString& path, uint8_t* samples, int& count);

    // --- events
    TTekstEvent OnTekst;
    TZdarzenieEvent OnZdarzenie;

    // --- state (read by the windows and the command line; changed through the verbs above)
    MemoryImage mem;
    uint8_t txBuffer[FrameCodec::kBufferSize]{};
    uint32_t readMask = 0;
    uint32_t writeMask = 0;
    uint32_t linkMask = 0;  // bit 0 identification, bit 1 error list
    bool flashing = false;
    int firmwareBlock = 0;  // next firmware block to send while flashing
    int tickCounter = 0;
    int slotCounter = 0;
    int waitCounter = 0;
    int unanswered = 0;
    // More requests than this unanswered in a row: the controller is silent (see alive()).
    static constexpr int kUnansweredLimit = 10;
    bool busy = false;
    uint8_t injectorCount = 8;
    std::array<uint8_t, 3> liveStatus{};
    // PC identity number, then today's year - 2000, month and day.
    std::array<uint32_t, 4> workshopId{};
    QString documentsFolder;
    QString loadedFileName;
    uint8_t twoLambdas = 0;

    // Calibration state.
    struct Calibration {
        int state = 0;
        int progress = 0;
        int counter = 0;
        int cylinder = 0;
        int noRpmCount = 0;
        int badTimeCount = 0;
        int timeFilter = 0;
        int pressureFilter = 0;
        int savedTime = 0;
    } kal;

    QTimer* timer() const { return timer_; }

    // The last error-list reply (0x82) as a value, for the Diagnostics tab and the command line.
    const LiveFrame& errorList() const { return errorList_; }
    // The last verified live reply; all zeros before the first.
    const LiveFrame& lastLiveFrame() const { return lastLive_; }

    // The reading of the whole controller after its identification is under way: its reads go out
    // back to back, with live requests between them.
    bool bulkReading() const { return bulkRead_; }
    // Its progress: the regions of it taken so far (both reads agreeing), and all of them.
    int bulkReadTaken() const { return std::popcount(bulkMask_ & ~readMask); }
    int bulkReadTotal() const { return std::popcount(bulkMask_); }
    // The clock that stamps each live frame's receive time (LiveFrame::receivedAt, milliseconds):
    // a steady clock unless replaced (a benchmark that drives the ticks faster than time passes).
    void setReceiveClock(std::function<qint64()> clock) { receiveClock_ = std::move(clock); }

Q_SIGNALS:
    // Each verified live reply (0x90..0x9F, more than the head), once, after its link event.
    void liveFrame(const LiveFrame& frame);

private:
    void log(const QString& text, TColor colour);
    void zdarzenie(int kind, int code, int value, int length);
    void sendRegion(uint8_t command, const uint8_t* region);
    void sendSettings();
    bool dispatchReply(int length, bool& writeRxLine);
    void calibrationReport(int code, int value);
    // A phase started over: said in the log and by kEventCalibrationRestarted.
    void calibrationRestart(int reason, int value);
    // Applies the history changes not yet acknowledged to the history just read.
    void recordPendingHistory();
    // Adds one change kind to the history in the image; false when it was already there.
    bool applyHistoryKind(int kind);
    // Reads of `mask` are queued: a copy of each region not already being read is kept, so that
    // edits held meanwhile can be told from what the PC had.
    void queueReads(uint32_t mask);
    // Takes back the edits of the regions of `mask` (their read never agreed): red log line.
    void refuseEdits(uint32_t mask);
    // An identification reply (in rxBuffer, `length` bytes): true when it agrees with the one
    // before, so that the identity may be taken; otherwise it waits for the next one.
    bool confirmIdentity(int length);
    // A read reply of region `index` (of kRegions): taken only when two reads agree.
    bool confirmRead(int index, const uint8_t* data);
    // A confirmed read of a region written before: compared with what was written; a difference
    // sends the write again, or after kWriteRepairLimit repairs marks the region unwritable.
    void checkReadBack(int index, const uint8_t* data);
    // `data` is what was last sent for region `index` (the settings without their checksum byte).
    bool matchesSent(int index, const uint8_t* data) const;
    // A write of `mask` waits to go out or to be acknowledged.
    bool pendingWriteOf(uint32_t mask) const;
    // A written region starts its read-back (the write was acknowledged unchanged).
    void startReadBack(int index);
    // The read of region `index` is over, taken or given up: nothing is asked for it any more and
    // no first reply waits for a second one.
    void endRead(int index);
    // A region edited offline stopped waiting for its read (taken, given up or written over): once
    // none waits, kEventUnsentEdits asks the fitter about those whose controller's copy was taken.
    void unsentRegionDone();
    void takeRead(int index, const uint8_t* data);
    // The write acknowledgement of region `index`: false when the region changed after its frame
    // was sent, so that it goes out again.
    bool writeDone(int index);
    void rememberSent(int index, const uint8_t* bytes, int offset);
    void resetReadConfirmation();

    // The receive buffer: the frame being received, then the verified reply being applied.
    uint8_t rxBuffer[FrameCodec::kBufferSize]{};
    std::array<uint8_t, CommandCount> commands_{};
    int liveRequestBits_ = 0;  // LiveRequest bits
    uint8_t verboseLive_ = 0;
    uint8_t verboseObd_ = 0;
    uint8_t enabledInjectors_ = 255;
    ChannelTable channels_;

    QTimer* timer_ = nullptr;
    LiveFrame errorList_;
    LiveFrame lastLive_;
    std::function<qint64()> receiveClock_;

    // --- the send slot (TsterownikScheduler.cpp)
    // One tick of the slot clock after the receiver's turn (`received`: what OdbiorRx returned).
    void slotTick(int received);
    // During the bulk read, at the tick that verified the reply to the last request: the next
    // read, or a live request when one is due, goes out at once. False when it must wait for the slot.
    bool quickSlot();
    // The reads go back to back (quickSlot): during the bulk read, and while written regions are
    // read back.
    bool quickReads() const;
    // A live request is due during the bulk read: another read would keep the live frames apart
    // longer than kLiveGapTicks.
    bool liveDue() const;
    // Something other than reads waits to be sent (an identification, a command, a write the
    // scheduler would send now, a firmware block): the bulk read gives way to the regular slots.
    bool workWaiting() const;
    void sendLive(bool withObd);
    void sendNextRead();
    // Called for every frame sent (RamkaAll).
    void noteRequestSent(uint8_t command);
    // Called for every verified, recognised reply (AnalizaOdbioru).
    void noteReply(uint8_t command);
    int slotTicks_ = 4;        // ticks of the slot under way
    int ticksSinceSend_ = 0;   // since the last frame went out
    int ticksSinceLive_ = 0;   // since the last live request went out
    int readTicks_ = 3;        // ticks the last read took from request to verified reply
    uint8_t lastRequest_ = 0;  // command of the last frame sent
    bool answered_ = false;    // the reply to the last frame has arrived, verified
    bool bulkRead_ = false;
    uint32_t bulkMask_ = 0;  // the regions of the bulk read under way or last done
    int headHeld_ = 0;
    int payloadNeeded_ = 0;

    // History changes the controller has not acknowledged yet. While the history is being read
    // they wait; after every history read they are applied again to what the controller reported,
    // so that neither a replaced image nor a re-identification loses them.
    uint8_t historyKinds_ = 0;
    bool historyClearPending_ = false;
    // Serial number (identity bytes 22..34) of the controller last identified: pending history
    // changes belong to it and are dropped when another controller answers on the port.
    std::array<uint8_t, 13> historyOwner_{};
    bool historyOwnerKnown_ = false;
    // At an identification in application mode: drops pending history changes of another controller.
    void keepHistoryForSameController();

    // Read confirmation: the first reply of a read waits here until a second one agrees.
    static constexpr int kRegionSlots = 18;  // entries of kRegions
    std::array<std::array<uint8_t, MemoryImage::kRegionSize>, kRegionSlots> readCandidate_{};
    uint32_t candidateMask_ = 0;
    std::array<uint8_t, kRegionSlots> disagreements_{};
    uint32_t unreadable_ = 0;
    // Identification: the first reply waits here for a second one that agrees (size 0: none).
    std::array<uint8_t, MemoryImage::kIdentitySize> identityCandidate_{};
    int identityCandidateSize_ = 0;
    bool replyHeld_ = false;  // the reply being applied waits for its confirmation: no event

    // Writes on the line: what was sent, to see at the acknowledgement whether it is still current.
    std::array<std::array<uint8_t, MemoryImage::kRegionSize>, kRegionSlots> sentCopy_{};
    uint32_t inFlight_ = 0;
    // Read-back of acknowledged writes: the regions being read back (their expected bytes are the
    // sent copy), the repairs of each, the regions given up on, and the repairs in all.
    uint32_t readBack_ = 0;
    std::array<uint8_t, kRegionSlots> repairs_{};
    uint32_t unwritable_ = 0;
    int writeRepairs_ = 0;
    // Edits held and unsent (ZapiszDoSterownika): the regions as they were when their reads were
    // queued, and, for unsent edits, the controller's copies read after it was identified.
    std::array<std::array<uint8_t, MemoryImage::kRegionSize>, kRegionSlots> readStartCopy_{};
    std::array<std::array<uint8_t, MemoryImage::kRegionSize>, kRegionSlots> controllerCopy_{};
    uint32_t heldEdits_ = 0;
    uint32_t unsentEdits_ = 0;
    uint32_t controllerCopyMask_ = 0;  // the unsent regions whose controller copy has been read
    bool unsentForOtherController_ = false;
    std::unique_ptr<QFile> recording_;  // the open oscilloscope recording, none at start
    // The injector mask of the last switch frame sent: an acknowledgement clears the switch only
    // while the mask asked for is still the one that went out.
    uint8_t injectorSwitchSent_ = 0;
    bool injectorSwitchInFlight_ = false;
};
