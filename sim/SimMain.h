#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>

#include <functional>

class ControllerSim;

// Entry points of the simulators in kavelo-sim; each runs until the process is stopped.
// `alongside`, when given, is called once the controller's port is printed, before the event loop
// runs: it adds what serves beside the controller (the car's adapter) and returns 0, or the exit code.
int runControllerSimulator(QStringList args, const std::function<int(ControllerSim&)>& alongside = {});
// kavelo-sim car: one car behind the controller's plug and the ELM327 adapter's.
int runCarSimulator(QStringList args);
// Writes a firmware image for the simulated controller; returns at once.
int runMakeFirmwareImage(QStringList args);

// Prints "DEVICE<TAB>PORT-NUMBER" on its own line and flushes it, so that scripts can read it. A
// simulator on TCP prints its "HOST:PORT" as the device, with port number 0 (it has none).
void printServedPort(const QString& device);

// Runs `action` from the event loop whenever the process gets SIGUSR1.
void onDumpSignal(std::function<void()> action);
