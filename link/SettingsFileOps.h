#pragma once

#include <QtCore/QString>

#include "base/Prompt.h"

class QDate;
class TSterownik;
struct MemoryImage;

// Saving and loading settings files on the controller link, with the program's dialogs and
// error boxes, and in path-taking forms for scripts and tests.

// Asks for a file name (proposing the controller's bar code and today's date) and saves the memory
// image; a failure is shown as "Error code 121". Returns the file saved, empty when cancelled or
// failed.
QString ZapiszUstawienia(TSterownik& link, Prompt& prompt);
// Asks for a file name and loads it; failures are shown as "Error code 122" or "123".
void CzytajUstawienia(TSterownik& link, Prompt& prompt);

// Saves to `path` without asking: 0, or the error code 121.
int ZapiszUstawienia(TSterownik& link, const QString& path);
// Loads `path` without asking: 0, or the error code 122 or 123 (the image is unchanged then).
// Connected, the loaded regions are queued for writing, followed by the factory-settings command
// and the read-back; disconnected, the file name is remembered and a file-loaded event raised.
int CzytajUstawienia(TSterownik& link, const QString& path);

namespace SettingsFileOps {
// Regions a connected load writes and then reads: settings, both multipliers, both RPM
// corrections, the three correction curves and the six maps.
constexpr unsigned kLoadMask = 0xF3071F;
// A file dialog titled by text `titleId` that starts in `subfolder` of the program's documents
// folder (when it exists) and offers "<text filesTextId> (*.ext)" before all files.
Prompt::FileDialog documentsDialog(const TSterownik& link, int titleId, const QString& subfolder, int filesTextId,
                                   const QString& extension);
// Dialog settings of the save (`save` true) or open dialog.
Prompt::FileDialog dialog(const TSterownik& link, bool save);
// The file name a save proposes: the controller's bar code and the date, "BARCODE_2026-12-11.set"
// (characters a file name cannot hold become "-"); "KAVELO_..." when the image holds no bar code.
QString proposedFileName(const MemoryImage& mem, const QDate& date);
// The text of an error box: "Error code N".
QString errorText(int code);
}  // namespace SettingsFileOps
