#include "sim/controller/ControllerSim.h"

#include <QtCore/QSaveFile>

#include <algorithm>
#include <cstring>

#include "sim/controller/FirmwareImage.h"
#include "sim/controller/MemoryDump.h"
#include "sim/controller/SimFrames.h"
#include "sim/pty/PtyPort.h"

namespace {
constexpr uint8_t kReply = 'V';
constexpr uint8_t kObdReport = '6';
constexpr int kCauseFactorySettings = 17;
}  // namespace

ControllerSim::ControllerSim(QObject* parent) : QObject(parent) { configure(); }

void ControllerSim::configure()
{
    memory.setInjectorCount(identity.injectors());
    engine.setInjectorCount(identity.injectors());
    engine.setEnabledInjectors(static_cast<uint8_t>(~settings()[31]));
    applySettingsToEngine();
}

void ControllerSim::attach(PtyPort* port)
{
    port_ = port;
    port_->setWireTiming(wireTiming_);
    port_->setWatching(true);
    connect(port_, &PtyPort::received, this, &ControllerSim::poll);
}

void ControllerSim::setWireTiming(bool on)
{
    wireTiming_ = on;
    if (port_) port_->setWireTiming(on);
}

void ControllerSim::poll()
{
    if (!port_) return;
    const QByteArray in = port_->readAll();
    if (in.isEmpty()) return;
    if (!input_.isEmpty() && lastBytes_.isValid() && lastBytes_.elapsed() > kReceiveGapMs) {
        input_.clear();
        inputDamage_.clear();
        ++badFrames;
    }
    lastBytes_.start();
    // The PC's bytes cross the same faulty line before the controller sees them.
    const QByteArray out = handle(applyFaults(in, faults.requestCorruptShare, faults.requestDropShare,
                                              requestFaultSeed_, toController, &incomingDamage_));
    if (!out.isEmpty()) port_->write(applyFaults(out, faults.corruptShare, faults.dropShare, faultSeed_, toPc));
}

QByteArray ControllerSim::applyFaults(const QByteArray& bytes, double corrupt, double drop, uint32_t& seed,
                                      LineDamage& damage, QByteArray* marks)
{
    if (marks) marks->clear();
    if (corrupt <= 0 && drop <= 0) return bytes;
    bool lostBefore = false;
    auto chance = [&] {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) / double(1u << 24);
    };
    QByteArray out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        if (chance() < drop) {
            ++damage.dropped;
            lostBefore = true;
            continue;
        }
        bool damaged = lostBefore;
        lostBefore = false;
        if (chance() < corrupt) {
            c = static_cast<char>(c ^ 0x5A);
            ++damage.corrupted;
            damaged = true;
        }
        out.append(c);
        // The byte after a lost one marks the gap: a frame that spans it is damaged too.
        if (marks) marks->append(damaged ? '\1' : '\0');
    }
    return out;
}

QByteArray ControllerSim::dump()
{
    return MemoryDump::write(memory, {{"requests", requests},
                                      {"bad-frames", badFrames},
                                      {"damaged-frames-taken", damagedFramesTaken},
                                      {"damaged-writes-taken", damagedWritesTaken},
                                      {"unplugs", unplugs},
                                      {"corrupted-to-controller", toController.corrupted},
                                      {"dropped-to-controller", toController.dropped},
                                      {"corrupted-to-pc", toPc.corrupted},
                                      {"dropped-to-pc", toPc.dropped}});
}

bool ControllerSim::writeDump(const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(dump());
    return file.commit();
}

QByteArray ControllerSim::handle(const QByteArray& incoming)
{
    input_.append(incoming);
    // Which of the bytes the line damaged (none when they did not come through poll()).
    if (incomingDamage_.size() == incoming.size()) inputDamage_.append(incomingDamage_);
    else inputDamage_.append(QByteArray(incoming.size(), '\0'));
    incomingDamage_.clear();
    QByteArray out;
    for (;;) {
        const qsizetype before = input_.size();
        const auto request = SimFrames::takeRequest(input_, &badFrames);
        const qsizetype consumed = before - input_.size();
        if (request) {
            // The frame is the end of what was taken; bytes skipped before it do not count.
            const qsizetype frame = 4 + request->payload.size();
            if (inputDamage_.left(consumed).right(frame).contains('\1')) {
                ++damagedFramesTaken;
                if (ControllerMemory::readCommandOfWrite(request->command) >= 0 && request->payload.size() >= 258)
                    ++damagedWritesTaken;
            }
        }
        inputDamage_.remove(0, consumed);
        if (!request) break;
        ++requests;
        if (!faults.silent) out.append(answer(request->command, request->payload));
        Q_EMIT requestHandled(request->command);
    }
    return out;
}

QByteArray ControllerSim::reply(uint8_t command, const QByteArray& data)
{
    QByteArray payload(2, '\0');
    payload.append(data);
    return SimFrames::encode(kReply, command, payload);
}

void ControllerSim::applySettingsToEngine() { engine.setIdleCorrections(settings()[90], settings()[92]); }

QByteArray ControllerSim::answer(uint8_t command, const QByteArray& payload)
{
    const QByteArray data = payload.mid(2);
    if (mode == 0 && command >= 0x90 && command <= 0x97) return live(command, payload);

    if (mode == 1) {
        // The bootloader knows identification, firmware blocks and the way back.
        switch (command) {
            case 0x81: {
                QByteArray id = identity.bytes(1, adaptation.data());
                return SimFrames::encode(kReply, 0x81, id.mid(4));
            }
            case 0xFF: {
                if (payload.size() < 258) return {};
                const int block = static_cast<uint8_t>(payload[0]) | (static_cast<uint8_t>(payload[1]) << 8);
                if (block == nextBlock) {
                    firmware.append(data.left(256));
                    ++nextBlock;
                }
                // A repeated block (its acknowledgement was lost) is acknowledged again.
                if (block <= nextBlock - 1) return reply(0xFF, {});
                return {};
            }
            case 0x8F:
                // Only a complete image is started; otherwise the bootloader stays in charge.
                if (nextBlock >= FirmwareImage::kBlocks) {
                    FirmwareImage::applyVersion(firmware, identity);
                    mode = 0;
                }
                return reply(0x8F, {});
            default: return {};
        }
    }

    switch (command) {
        case 0x81: {
            QByteArray id = identity.bytes(0, adaptation.data());
            return SimFrames::encode(kReply, 0x81, id.mid(4));
        }
        case 0x82: {
            QByteArray list(reinterpret_cast<const char*>(memory.currentErrors.data()), 7);
            list.append(reinterpret_cast<const char*>(memory.errorCounters.data()), 56);
            return reply(0x82, list);
        }
        case 0x83:
            memory.clearErrors();
            pendingWriteReport_[0] |= 0x8;
            return reply(0x83, {});
        case 0x84: engine.automaticFuelChange(); return reply(0x84, {});
        case 0x85: engine.quickFuelChange(); return reply(0x85, {});
        case 0x86:
            if (!data.isEmpty()) engine.setEnabledInjectors(static_cast<uint8_t>(data[0]));
            return reply(0x86, {});
        case 0x87:
        case 0x88: return reply(command, {});
        case 0x89:
            // The PC has just written its defaults or a loaded file; they stay, only the
            // learned adaptation starts again.
            adaptation.fill(128);
            if (engine.fuel() != EngineModel::Petrol) engine.switchToPetrol(kCauseFactorySettings);
            pendingWriteReport_[0] |= 0x1;
            return reply(0x89, {});
        case 0x8E:
            mode = 1;
            firmware.clear();
            nextBlock = 0;
            return reply(0x8E, {});
        default: break;
    }

    if (uint8_t* r = region(command)) {
        QByteArray data(reinterpret_cast<const char*>(r), 256);
        if (faults.damagedReads > 0 || (faults.unstableRead != 0 && command == faults.unstableRead)) {
            if (faults.damagedReads > 0) --faults.damagedReads;
            // Another byte each time, so that no two damaged replies agree.
            const uint32_t n = damagedReplies_++;
            const int at = static_cast<int>((n * 37 + 11) % 256);
            data[at] = static_cast<char>(data[at] ^ static_cast<char>(1 + n % 255));
        }
        return reply(command, data);
    }
    const int read = ControllerMemory::readCommandOfWrite(command);
    if (read >= 0 && region(static_cast<uint8_t>(read))) {
        if (data.size() >= 256 && command != faults.lostWrite) {
            uint8_t* stored = region(static_cast<uint8_t>(read));
            std::memcpy(stored, data.constData(), 256);
            if (faults.damagedWrites > 0) {
                // A byte of the data (never the settings' checksum byte) stored wrong.
                --faults.damagedWrites;
                ++damagedWritesTaken;
                const uint32_t n = damagedReplies_++;
                stored[1 + (n * 37 + 11) % 255] ^= static_cast<uint8_t>(1 + n % 255);
            }
            if (command == 0xF8) {
                applySettingsToEngine();
                pendingWriteReport_[1] |= 0x1;
            } else {
                pendingWriteReport_[1] |= 0x20;
            }
        }
        return reply(command, {});
    }
    return {};  // unknown requests go unanswered, as the controller does
}

QByteArray ControllerSim::live(uint8_t command, const QByteArray& payload)
{
    if (command & 0x04 && payload.size() >= 8) {
        // The PC's OBD snapshot: fuel system status and trims for the controller's own use.
        for (int i = 0; i < 6; ++i) obdStatus[5 + i] = static_cast<uint8_t>(payload[2 + i]);
    }
    // Bit 0: the PC is calibrating.
    engine.setCalibrating(command & 0x01);
    if (car.step) car.step();
    else engine.step();
    ++liveCount_;
    uint8_t f[128] = {};
    engine.fillLiveFrame(f);
    if (car.fill) car.fill(f);
    // Record bytes 6..9: a fuel-switch event first, then memory-write reports, adaptation and
    // learned map cells in turn.
    if (const int cause = engine.takeSwitchCause()) {
        f[6] = 0xF0;
        f[7] = static_cast<uint8_t>(cause);
    } else if (pendingWriteReport_[0] || pendingWriteReport_[1]) {
        const bool eeprom = pendingWriteReport_[0] != 0;
        f[6] = eeprom ? 0xF1 : 0xF2;
        f[7] = pendingWriteReport_[eeprom ? 0 : 1];
        pendingWriteReport_[eeprom ? 0 : 1] = 0;
    } else if (engine.fuel() == EngineModel::Gas && liveCount_ % 50 == 0) {
        // The controller learns a little on gas: bank 1 and bank 2 adaptation in turn.
        const bool bank1 = (liveCount_ / 50) % 2 == 1;
        uint8_t* a = adaptation.data() + (bank1 ? 0 : 2);
        a[0] = static_cast<uint8_t>(std::clamp(a[0] + 1, 118, 138));
        f[6] = bank1 ? 0xF3 : 0xF4;
        f[7] = a[0];
        f[8] = a[1];
    } else if (car.record && car.record(f)) {
        // The car's controller learned a map cell and reports it.
    } else if (!car.record && engine.running() && liveCount_ % 10 == 5) {
        const bool gas = engine.fuel() == EngineModel::Gas;
        const int cell = f[15] * 16 + f[16] + (pendingMapRecord_++ % 3);
        f[6] = 0;
        f[7] = gas ? 3 : 0;
        f[8] = static_cast<uint8_t>(cell);
        f[9] = static_cast<uint8_t>(std::max(1, engine.petrolTime(0) * 4 / 100));
        uint8_t* map = region(gas ? 0xE1 : 0xE0);
        map[f[8]] = f[9];
    } else {
        const auto fuel = engine.fuel();
        f[6] = fuel == EngineModel::Waiting ? 20 : fuel == EngineModel::Switching ? 10 : 1;
        f[7] = fuel == EngineModel::Waiting ? 0x04 : fuel == EngineModel::Switching ? 0x01 : 0;
    }
    // Low gas pressure is a current error while it lasts.
    if (engine.fuel() == EngineModel::Mix) memory.raiseError(9 - 6, 1);
    else memory.clearError(9 - 6, 1);
    if (memory.anyCurrentError()) f[11] |= 0x08;
    if (memory.anyStoredError()) f[11] |= 0x10;
    obdStatus[11] = 2;
    std::memcpy(f + 92, obdStatus.data(), 36);
    QByteArray frame = SimFrames::encode(kReply, command, QByteArray(reinterpret_cast<const char*>(f + 4), 124));
    // Every twentieth poll the controller also reports its OBD link state on its own.
    if (liveCount_ % 20 == 0) {
        QByteArray report(2, '\0');
        report.append(reinterpret_cast<const char*>(obdStatus.data()), 36);
        frame.append(SimFrames::encode(kObdReport, 0x70, report));
    }
    return frame;
}
