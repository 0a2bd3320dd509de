#pragma once

#include <QtCore/QStringList>

// kavelo-cli commands: each takes the arguments after its name and returns the exit code
// (0 success, 1 the device or file said no, 2 bad arguments).
struct CliCommand {
    const char* name;
    const char* usage;
    int (*run)(const QStringList& args);
};

int cmdPorts(const QStringList& args);
int cmdText(const QStringList& args);
int cmdShowSettings(const QStringList& args);
int cmdReadSettings(const QStringList& args);
int cmdWriteSettings(const QStringList& args);
int cmdGet(const QStringList& args);
int cmdSet(const QStringList& args);
int cmdObd(const QStringList& args);
// The controller link: identity and history, live readings, errors, autocalibration.
int cmdInfo(const QStringList& args);
int cmdLive(const QStringList& args);
int cmdErrors(const QStringList& args);
int cmdClearErrors(const QStringList& args);
int cmdCalibrate(const QStringList& args);
int cmdFirmware(const QStringList& args);
// Oscilloscope recordings: record from the controller, describe a file, export it as CSV.
int cmdRecord(const QStringList& args);
int cmdOscInfo(const QStringList& args);
int cmdOsc2Csv(const QStringList& args);
// Automatic backups and comparing configurations.
int cmdBackups(const QStringList& args);
int cmdDiff(const QStringList& args);
// The tune assistant: the multiplier proposed from the car's own evidence.
int cmdTune(const QStringList& args);
