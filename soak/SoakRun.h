#pragma once

#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>
#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QProcess>
#include <QtCore/QRandomGenerator>
#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>

#include <memory>

#include "link/Tsterownik.h"
#include "session/WorkshopSession.h"
#include "settings/SettingsCatalogue.h"
#include "soak/SoakOptions.h"

// One soak run: starts the simulated controller on a faulty line, keeps the controller link
// connected through a workshop session as the main window does (the link's 25 ms timer, the
// session's watchdog on its own 100 ms timer), edits settings and map cells throughout, lets every
// write drain at the end, then compares the controller's memory with the PC's image and prints the
// figures.
class SoakRun : public QObject {
    Q_OBJECT
public:
    explicit SoakRun(SoakOptions options, QObject* parent = nullptr);
    ~SoakRun() override;

    // Starts the simulator and opens its port; false, with the reason on stderr, when it cannot.
    bool start();
    // 0 when every check held, 1 when one failed.
    int exitCode() const { return exitCode_; }

Q_SIGNALS:
    void finished();

private:
    void edit();
    void everySecond();
    void simulatorOutput();
    void simulatorEnded();
    // Ends the run; `drained` is whether the link was quiet when the end was decided.
    void finish(bool drained);
    void print(const char* name, const QString& value);

    // Nothing left to send or to read, on a live line.
    bool quiet() const;
    double elapsed() const { return clock_.elapsed() / 1000.0; }

    SoakOptions options_;
    QTemporaryDir temporary_;
    QString dumpFile_;
    QProcess simulator_;
    WorkshopSession session_;
    TSterownik& link_ = session_.link();
    SettingsCatalogue& catalogue_ = session_.catalogue();
    QList<int> editableSettings_;
    QRandomGenerator random_;
    QTimer watchdogTimer_;
    QTimer editTimer_;
    QTimer secondTimer_;
    QElapsedTimer clock_;
    std::unique_ptr<QFile> log_;

    // Phases.
    double firstReadAt_ = -1;  // seconds when the first whole read ended
    bool editing_ = false;
    bool finishing_ = false;
    double connectedAt_ = 0;  // seconds when the port was last opened; -1 once its reads ended

    // Figures.
    qint64 settingsEdits_ = 0;
    qint64 mapCellEdits_ = 0;
    qint64 editsWithoutWrite_ = 0;
    qint64 editsHeld_ = 0;    // of them: held until their region was read
    qint64 editsUnsent_ = 0;  // made while the link was down, sent after the question
    qint64 editsLost_ = 0;    // neither written nor held: refused
    int unsentQuestions_ = 0;
    qint64 writeFramesSent_ = 0;
    qint64 writeAcks_ = 0;
    qint64 portLost_ = 0;
    qint64 reopenTries_ = 0;
    qint64 reconnects_ = 0;
    qint64 deviceChanges_ = 0;
    qint64 redLogLines_ = 0;
    qint64 residentAfterWarmUp_ = 0;
    double longestRead_ = 0;  // seconds from opening the port to the end of its reads
    int simulatorCrashes_ = 0;
    int exitCode_ = 1;
};
