#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>

// Entry points of the simulators in kavelo-sim; each runs until the process is stopped.
int runControllerSimulator(QStringList args);
// Writes a firmware image for the simulated controller; returns at once.
int runMakeFirmwareImage(QStringList args);

// Prints "DEVICE<TAB>PORT-NUMBER" on its own line and flushes it, so that scripts can read it.
void printServedPort(const QString& device);
