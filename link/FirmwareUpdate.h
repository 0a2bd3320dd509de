#pragma once

#include <QtCore/QString>

#include <functional>

#include "base/Prompt.h"

class TSterownik;

// Replacing the controller's firmware: the image is checked against the identified hardware,
// loaded into the link's firmware buffer, and sent block by block by the link's scheduler once
// the controller has entered its bootloader.
namespace FirmwareUpdate {

constexpr int kMaxFileSize = 65536;  // the file must be smaller than the firmware buffer

// Reads and checks `path` against the identified controller without changing anything: 0, or the
// code of the error box `start` would give.
int check(const TSterownik& link, const QString& path);

// Reads and checks `path`, and on success asks the link to enter the bootloader and flash it.
// Returns 0, or the code of the error box: 141 unreadable, 142 too large, 143 not a firmware
// file, 144 firmware for other hardware. Nothing changes in the link on an error.
int start(TSterownik& link, const QString& path);

// Percentage of the 224 blocks acknowledged so far.
int percent(const TSterownik& link);

// Dialog settings of the firmware file dialog; `programFolder` is where the program lives.
Prompt::FileDialog dialog(const QString& programFolder);

}  // namespace FirmwareUpdate

// The whole user-side operation: file dialog, checks with their error boxes, then `beforeStart`
// (the backup of the configuration the update may lose), the start, and `showProgress` (the modal
// progress window), which returns when that window closes. A refused file takes no backup.
void Aktualizacja(TSterownik& link, Prompt& prompt, const QString& programFolder,
                  const std::function<void()>& showProgress, const std::function<void()>& beforeStart = {});
