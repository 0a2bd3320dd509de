#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>

#include <functional>

// Entry points of the simulators in kavelo-sim; each runs until the process is stopped.
int runControllerSimulator(QStringList args);
// Writes a firmware image for the simulated controller; returns at once.
int runMakeFirmwareImage(QStringList args);

// Prints "DEVICE<TAB>PORT-NUMBER" on its own line and flushes it, so that scripts can read it. A
// simulator on TCP prints its "HOST:PORT" as the device, with port number 0 (it has none).
void printServedPort(const QString& device);

// Runs `action` from the event loop whenever the process gets SIGUSR1.
void onDumpSignal(std::function<void()> action);
