#pragma once

#include <QtCore/QString>

#include "tune/MultiplierChange.h"

// The records of multiplier changes on disk: one file per controller, named by its serial number, in
// the tune folder beside the backups (".../ORVA/Kavelo II/Tune/SERIAL.mult"). Two runs of the
// command line (an apply, then a later proposal) and the window share them.
namespace MultiplierChangeFile {

// The folder below the documents folder; empty when `documentsFolder` is.
QString rootFolder(const QString& documentsFolder);
QString pathOf(const QString& root, const QString& serial);

// None when there is no record, Unreadable when the file is there but holds no whole record.
MultiplierChange::Stored load(const QString& root, const QString& serial, MultiplierChange::Record& record);
// Saves atomically, making the folder when needed; false when it could not be saved.
bool save(const QString& root, const QString& serial, const MultiplierChange::Record& record);

}  // namespace MultiplierChangeFile
