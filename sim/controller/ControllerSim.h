#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QElapsedTimer>
#include <QtCore/QObject>

#include <array>
#include <cstdint>
#include <functional>

#include "sim/controller/ControllerIdentity.h"
#include "sim/controller/ControllerMemory.h"
#include "sim/controller/EngineModel.h"

class PtyPort;

// The KAVELO controller at the far end of the serial line: answers every request of the link
// from its own memory and engine, with switchable line faults.
class ControllerSim : public QObject {
    Q_OBJECT
public:
    struct Faults {
        bool silent = false;      // takes requests but never answers
        double corruptShare = 0;  // share of reply bytes flipped
        double dropShare = 0;     // share of reply bytes lost
        // Damage that the frame check cannot see: whole, valid frames with wrong data.
        int damagedReads = 0;            // the next region read replies, each with one byte changed
        uint8_t unstableRead = 0;        // read command whose every reply has another byte changed
        uint8_t lostWrite = 0;           // write command acknowledged without being stored
        int damagedWrites = 0;           // the next region writes, each stored with one byte changed
        double requestCorruptShare = 0;  // share of the PC's bytes flipped before they are parsed
        double requestDropShare = 0;     // share of the PC's bytes lost before they are parsed
    };

    // What the line faults did, by direction.
    struct LineDamage {
        qint64 corrupted = 0;
        qint64 dropped = 0;
    };

    explicit ControllerSim(QObject* parent = nullptr);

    // Serves the line of `port` from the event loop (the port's `received` signal).
    void attach(PtyPort* port);
    // Bytes cross the line at its speed (38400 baud) unless switched off: tests that drive time
    // themselves, turn by turn, switch it off. On by default, as on a real adapter.
    void setWireTiming(bool on);
    bool wireTiming() const { return wireTiming_; }
    // Reads what the PC sent on the attached port and answers it; for tests that drive time.
    // A frame left incomplete for kReceiveGapMs is dropped when the next bytes come, as the
    // controller's receiver starts over after a pause on the line: a damaged length byte then costs
    // one frame instead of every request until the false length is filled.
    void poll();
    static constexpr int kReceiveGapMs = 50;

    // Bytes from the PC in, reply bytes out (before line faults).
    QByteArray handle(const QByteArray& incoming);

    // The memory dump (MemoryDump's text form) with the counters below as figures; writeDump
    // replaces `path` whole, so a reader never sees half a dump.
    QByteArray dump();
    bool writeDump(const QString& path);

    ControllerIdentity identity;
    EngineModel engine;
    Faults faults;

    // A car model in place of the engine's own readings (kavelo-sim car). When `step` is set, each
    // live request calls it instead of stepping the engine (it steps the engine itself, as many
    // times as it advances); `fill` then writes the car's readings over the frame's bytes 10..91,
    // and `record`, asked where the controller would report a learned map cell, writes the frame's
    // record bytes 6..9 and tells whether it did.
    struct CarHooks {
        std::function<void()> step;
        std::function<void(uint8_t* frame)> fill;
        std::function<bool(uint8_t* frame)> record;
    };
    CarHooks car;

    // Applies the identity's injector count to the memory and the engine (after options).
    void configure();

    // The controller's memory, by region read command (0xE0..0xE5, 0xE8..0xEC, 0xA7..0xAD).
    uint8_t* region(uint8_t readCommand) { return memory.region(readCommand); }
    uint8_t* settings() { return memory.settings(); }
    ControllerMemory memory;

    int mode = 0;  // 0 application, 1 bootloader
    std::array<uint8_t, 4> adaptation{128, 128, 128, 128};
    std::array<uint8_t, 36> obdStatus{};
    QByteArray firmware;  // blocks received in bootloader mode
    int nextBlock = 0;
    int badFrames = 0;  // frames that failed the checksum
    int requests = 0;   // frames answered or ignored
    // Frames taken as valid although the line had damaged them: the 8-bit sum let them through.
    int damagedFramesTaken = 0;
    // Of them, region writes: their data went into the memory (also the writes `damagedWrites`
    // changed); the dump reports them, so that a soak can see each one repaired.
    int damagedWritesTaken = 0;
    int unplugs = 0;          // times the line was unplugged (counted by whoever pulls it)
    LineDamage toController;  // damage done to the PC's bytes
    LineDamage toPc;          // damage done to the replies

Q_SIGNALS:
    void requestHandled(uint8_t command);

private:
    QByteArray answer(uint8_t command, const QByteArray& payload);
    QByteArray live(uint8_t command, const QByteArray& payload);
    QByteArray reply(uint8_t command, const QByteArray& data);
    // `marks`, when given, gets one byte per byte returned: 1 where the line damaged it.
    QByteArray applyFaults(const QByteArray& bytes, double corrupt, double drop, uint32_t& seed, LineDamage& damage,
                           QByteArray* marks = nullptr);
    void applySettingsToEngine();

    QByteArray input_;
    QByteArray inputDamage_;     // 1 for each byte of input_ that the line damaged
    QByteArray incomingDamage_;  // the same for the bytes poll() hands to handle()
    QElapsedTimer lastBytes_;
    PtyPort* port_ = nullptr;
    bool wireTiming_ = true;
    uint32_t faultSeed_ = 99;
    uint32_t requestFaultSeed_ = 7;
    int liveCount_ = 0;
    uint8_t pendingWriteReport_[2] = {0, 0};  // 0xF1 / 0xF2 report bits to announce
    int pendingMapRecord_ = 0;
    uint32_t damagedReplies_ = 0;  // region read replies damaged so far
};
