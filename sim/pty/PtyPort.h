#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QElapsedTimer>
#include <QtCore/QObject>
#include <QtCore/QString>

#include "sim/pty/WireClock.h"

class QSocketNotifier;
class QTimer;

// The far end of a simulated serial line: the master side of a pseudo-terminal whose device
// (/dev/pts/N) the program under test opens as its serial port. The slave side is held open in raw
// mode, so the line survives the program closing and reopening it.
class PtyPort : public QObject {
    Q_OBJECT
public:
    // How an unplug is made. Hangup keeps the pseudo-terminal and so its number: the program's open
    // port is hung up (reads fail) and opening the device fails until plugIn(). It needs the right to
    // hang up a terminal (root). Reopen closes the pseudo-terminal (the device node vanishes) and
    // takes a new one, with the same number when the kernel still has it free.
    enum class UnplugMethod { Hangup, Reopen };

    explicit PtyPort(QObject* parent = nullptr);
    ~PtyPort() override;

    bool open();
    void close();
    bool isOpen() const { return master_ >= 0; }
    QString devicePath() const { return device_; }

    // Bytes the program has written, collected without waiting. With wire timing, only those that
    // have crossed the line by now; the rest follow (announced through `received` when watched).
    QByteArray readAll();
    // Sends bytes towards the program; with wire timing they are queued and reach it at the line's
    // speed, from the event loop, so the caller never waits.
    void write(const QByteArray& bytes);

    // The line's speed in both directions: 38400 baud, ten bits a byte (WireClock). Off, bytes
    // cross at once. Switching it off hands on what waits.
    void setWireTiming(bool on);
    bool wireTiming() const { return wireTiming_; }

    // With `watch` on, received bytes are announced through `received` from the event loop;
    // tests that drive time themselves call readAll() instead.
    void setWatching(bool watch);

    // Pulls the plug as a USB adapter that is pulled out: the program's open port fails and the
    // device cannot be opened until plugIn(). Hangup is tried first, Reopen when it is not allowed;
    // `preferred` Reopen skips the hangup. False when nothing was plugged in.
    bool unplug(UnplugMethod preferred = UnplugMethod::Hangup);
    // Puts the plug back. The device path is the same unless the Reopen method found its number
    // taken by someone else; then `deviceChanged` announces the new one. False when no
    // pseudo-terminal could be had.
    bool plugIn();
    bool isPlugged() const { return !unplugged_; }
    UnplugMethod lastUnplugMethod() const { return method_; }

Q_SIGNALS:
    void received();
    void deviceChanged(const QString& device);

private:
    bool openSlave();
    bool takeNumber(const QString& wanted);
    QByteArray readNow();
    void writeNow(const QByteArray& bytes);
    // Hands on the bytes due in both directions and sets the timer for the next one.
    void pumpWire();
    void scheduleWire();
    void dropWire();
    qint64 nowNs() const { return clock_.nsecsElapsed(); }

    int master_ = -1;
    int slave_ = -1;
    QString device_;
    QSocketNotifier* notifier_ = nullptr;
    bool watching_ = false;
    bool unplugged_ = false;
    UnplugMethod method_ = UnplugMethod::Hangup;

    bool wireTiming_ = false;
    QElapsedTimer clock_;
    QTimer* wireTimer_ = nullptr;
    WireClock toProgram_, fromProgram_;
    QByteArray outgoing_;  // written by the simulator, not yet across the line
    QByteArray incoming_;  // written by the program, not yet across the line
};
