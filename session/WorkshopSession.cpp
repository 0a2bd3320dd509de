#include "session/WorkshopSession.h"

#include <cstring>

WorkshopSession::WorkshopSession(QObject* parent)
    : QObject(parent), catalogue_(link_.mem, &link_), backups_(link_), petrolRestore_(link_)
{
    link_.setObjectName(QStringLiteral("Sterownik1"));
    link_.OnZdarzenie = [this](int kind, int code, int value, int length) { linkEvent(kind, code, value, length); };
    catalogue_.RegisterSettings();
    // The clean-up after a calibration follows the live replies the link hands on.
    connect(&link_, &TSterownik::liveFrame, this, [this](const LiveFrame& frame) {
        if (petrolRestore_.Active()) petrolRestore_.liveReply(frame);
    });
    // The OBD reader hands its fuel snapshot to the controller link.
    obd_.setObjectName(QStringLiteral("Obd1"));
    obd_.sterownik = &link_;
}

WorkshopSession::~WorkshopSession()
{
    // The members go in reverse order (the OBD reader first, the link last); no event may reach a
    // handler of whoever built on the session meanwhile.
    link_.OnZdarzenie = nullptr;
    obd_.sterownik = nullptr;
}

void WorkshopSession::linkEvent(int kind, int code, int value, int length)
{
    backups_.LinkEvent(kind, code);
    if (kind == kEventCalibration) {
        // Started (1): what it may change is kept. Finished (3): what it set stays.
        if (code == 1) {
            std::memcpy(beforeCalibration_.data(), link_.mem.settingsBlock(), beforeCalibration_.size());
            calibrationUnfinished_ = false;
        }
        if (code == 3) calibrationUnfinished_ = false;
        // Stopped by the fitter (5) or aborted by the controller (4): back to petrol with all
        // injectors; whoever built on the session may ask whether to keep what it set.
        if (code == 4 || code == 5) {
            calibrationUnfinished_ = true;
            petrolRestore_.Start();
        }
    }
    if (OnZdarzenie) OnZdarzenie(kind, code, value, length);
}

QList<int> WorkshopSession::calibrationChanges() const
{
    QList<int> changed;
    if (!calibrationUnfinished_) return changed;
    // Byte 0 is the checksum, computed afresh for every write.
    for (int i = 1; i < MemoryImage::kRegionSize; ++i)
        if (link_.mem.settings[static_cast<size_t>(i)] != beforeCalibration_[static_cast<size_t>(i)]) changed << i;
    return changed;
}

void WorkshopSession::revertCalibration()
{
    if (!calibrationUnfinished_) return;
    calibrationUnfinished_ = false;
    std::memcpy(link_.mem.settingsBlock() + 1, beforeCalibration_.data() + 1, beforeCalibration_.size() - 1);
    link_.ZapiszDoSterownika(0x1);
}

bool WorkshopSession::openPort(int number)
{
    const bool opened = link_.PortOpen(number);
    portWasOpen_ = opened;
    return opened;
}

void WorkshopSession::StartStopCalibration()
{
    if (!link_.liveRequestHeld(kLiveRequestCalibration)) petrolRestore_.Stop();
    link_.StartStopKalibracji();
}

bool WorkshopSession::watchdogTick()
{
    const bool secondEnded = ++watchdogTicks_ >= kTicksPerSecond;
    if (secondEnded) watchdogTicks_ = 0;
    const bool connected = link_.PortConnected();
    if (portWasOpen_ && !connected) Q_EMIT portLost();
    portWasOpen_ = connected;
    const bool alive = link_.alive();
    if (alive != alive_) {
        alive_ = alive;
        Q_EMIT aliveChanged(alive);
    }
    // Once a second, not at every tick: opening a port that is not there takes time, and a
    // controller that was just unplugged needs a moment before its device is back.
    if (!alive && secondEnded && reconnect) {
        const bool opened = openPort(-1);
        Q_EMIT reopenTried(opened);
    }
    return secondEnded;
}
