#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QString>

#include "link/MemoryImage.h"

// The settings file (".set"): a 16-byte header ("set file", version 1) and the regions of the
// memory image at fixed offsets, 4096 bytes in all. Pure reading and writing; no dialogs.
namespace SettingsFile {

constexpr int kSize = 4096;
constexpr int kHeaderSize = 16;
constexpr int kVersion = 1;

// Results; the error numbers are the ones the user sees ("Error code 121").
enum Result {
    Ok = 0,
    CannotCreate = 121,
    CannotOpen = 122,
    NotSettingsFile = 123,
};

// The whole file for `mem`.
QByteArray encode(const MemoryImage& mem);
// Takes the file's regions into `mem`, except the change history, which stays as the controller
// reported it. A wrong header or a size other than 4096 bytes gives NotSettingsFile and changes
// nothing.
Result decode(const QByteArray& bytes, MemoryImage& mem);

// Writes the file through the atomic save: a failed save, or a target that is not a regular file,
// leaves what was there as it was. CannotCreate on any failure.
Result save(const QString& path, const MemoryImage& mem);
// CannotOpen when the path is not a regular file or cannot be opened, otherwise as decode.
Result load(const QString& path, MemoryImage& mem);

}  // namespace SettingsFile
