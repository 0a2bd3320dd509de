#include "session/WorkshopSession.h"

WorkshopSession::WorkshopSession(QObject* parent)
    : QObject(parent), catalogue_(link_), backups_(link_), petrolRestore_(link_)
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
    // Stopped by the fitter (5) or aborted by the controller (4): back to petrol with all injectors.
    if (kind == kEventCalibration && (code == 4 || code == 5)) petrolRestore_.Start();
    if (OnZdarzenie) OnZdarzenie(kind, code, value, length);
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
