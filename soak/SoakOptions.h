#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>

#include <cstdint>

// What one soak run does: how long, how faulty the line is, how often the plug is pulled and how
// often the fitter edits something.
struct SoakOptions {
    QString simulator;  // kavelo-sim to start
    double seconds = 120;
    double corrupt = 0.002;    // share of damaged bytes, each direction
    double drop = 0.002;       // share of lost bytes, each direction
    double unplugEvery = 120;  // seconds; 0: never
    double unplugFor = 2;      // seconds the plug stays out
    int editEveryMs = 1000;
    uint32_t seed = 1;
    QString logFile;     // the link's log lines, when given
    QString workFolder;  // where the memory dump goes; a temporary folder when empty

    // Seconds without edits at the end, so that every write can reach the controller.
    double drainSeconds() const;
    // Seconds after the first whole read before resident memory is taken as the baseline.
    double warmUpSeconds() const;

    // False with `error` set on a bad or unknown option.
    bool parse(QStringList args, QString& error);
    static QString usage();
};
