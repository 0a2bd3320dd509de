#pragma once

#include <QtCore/QStringList>

// kavelo-sim elm [options]: serves an ELM327 adapter and a car until the process is stopped.
int runElmSimulator(QStringList args);
