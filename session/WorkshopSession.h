#pragma once

#include <QtCore/QObject>

#include "link/ConfigBackups.h"
#include "link/LinkEvents.h"
#include "link/LiveRecorder.h"
#include "link/PetrolRestore.h"
#include "link/Tsterownik.h"
#include "obd/Telmobd.h"
#include "settings/SettingsCatalogue.h"

// One workshop session: the controller link with the settings catalogue over its memory image, the
// OBD reader (given the link for its fuel snapshot), the automatic backups and the petrol restore
// after a calibration stop (both fed from the link's events), and the reconnect watchdog. The main
// window, kavelo-cli and kavelo-soak each build on one, so these rules exist once.
class WorkshopSession : public QObject {
    Q_OBJECT
public:
    // Watchdog ticks (100 ms apart) in the second after which a lost link is opened again.
    static constexpr int kTicksPerSecond = 10;

    explicit WorkshopSession(QObject* parent = nullptr);
    ~WorkshopSession() override;

    TSterownik& link() { return link_; }
    const TSterownik& link() const { return link_; }
    TObd& obd() { return obd_; }
    SettingsCatalogue& catalogue() { return catalogue_; }
    AutoBackup& backups() { return backups_; }
    const PetrolRestore& petrolRestore() const { return petrolRestore_; }
    // The recorder that places live frames on a recording's grid (the oscilloscope, `record`).
    LiveRecorder& recorder() { return recorder_; }

    // Every event of the controller link, after the backups and the petrol restore have taken it.
    // The link's own OnZdarzenie belongs to the session.
    TZdarzenieEvent OnZdarzenie;

    // Opens the controller's port (number > 0 selects it first, -1 the remembered one).
    bool openPort(int number);

    // --- calibration
    // Starts or stops the autocalibration. A new calibration takes over from a clean-up still running.
    void StartStopCalibration();
    // The clean-up after a calibration stopped (report 5) or aborted (4) is running: every gas
    // injector back on and the engine back on petrol.
    bool RestoringAfterCalibration() const { return petrolRestore_.Active(); }
    // The settings a calibration that did not finish (stopped or aborted) has changed so far,
    // by index; empty when it changed none or finished.
    QList<int> calibrationChanges() const;
    // Goes back to the settings from before that calibration and writes them.
    void revertCalibration();

    // --- reconnect watchdog
    // One 100 ms step: notes whether the link is alive and, on the tick that completes a second,
    // opens a link that is not alive again under the remembered port (unless `reconnect` is off).
    // Returns true on that tick.
    bool watchdogTick();
    // The link was alive at the last watchdog tick.
    bool linkAlive() const { return alive_; }
    // Off while the fitter has disconnected: a lost link then stays closed.
    bool reconnect = true;

Q_SIGNALS:
    // The link became alive or stopped being alive (seen at a watchdog tick).
    void aliveChanged(bool alive);
    // The port that was open at the previous tick is gone (the device went away).
    void portLost();
    // The watchdog tried to open the port again; `opened` tells whether it did.
    void reopenTried(bool opened);

private:
    void linkEvent(int kind, int code, int value, int length);

    // Declared in the order of construction: everything else holds the link, so it goes last.
    TSterownik link_;
    SettingsCatalogue catalogue_;
    AutoBackup backups_;
    PetrolRestore petrolRestore_;
    TObd obd_;
    LiveRecorder recorder_;

    // The settings block when the last calibration started; `calibrationUnfinished_` holds whether
    // it stopped before its end (a finished one keeps what it set).
    std::array<uint8_t, MemoryImage::kRegionSize> beforeCalibration_{};
    bool calibrationUnfinished_ = false;

    int watchdogTicks_ = 0;
    bool alive_ = false;
    bool portWasOpen_ = false;
};
