#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QString>

#include <cstdint>

#include "link/MemoryImage.h"

// The oscilloscope recording file (".osc"): a 4096-byte head holding the memory image when the
// recording started ("osc file", 1, 1, then the regions at fixed offsets), followed by 128-byte
// samples, oldest first. The number of samples is not stored: it follows from the file size, an
// incomplete last record ignored. Pure encoding and decoding plus the bounded load; no dialogs.
namespace OscFile {

constexpr int kHeadSize = 4096;
constexpr int kSampleSize = 128;
constexpr int kMaxSamples = 36000;  // what the oscilloscope's buffer holds: one hour at 10 a second

// Results; the error numbers are the ones the user sees ("Error code 133").
enum Result {
    Ok = 0,
    CannotCreate = 131,
    CannotOpen = 132,
    NotRecording = 133,
    AppendFailed = 134,
    CsvFailed = 135,
};

// Which parts of the head a decode takes into the image.
enum class HeadParts {
    // What loading a recording restores: the settings block, both multiplier banks, both RPM
    // correction banks, the three correction curves and the six maps. The identity block, the
    // change history and the reserved blocks stay as the connected controller reported them.
    Restored,
    // Everything the head holds, for looking at a recording on its own (the command line).
    Everything,
};

// The head for `mem`: exactly 4096 bytes.
QByteArray encodeHead(const MemoryImage& mem);
// True when `bytes` (of `size` bytes) starts with a whole head of a recording.
bool isRecording(const uint8_t* bytes, qint64 size);
// Takes the head into `mem`: NotRecording (nothing changed) unless isRecording.
Result decodeHead(const uint8_t* bytes, qint64 size, MemoryImage& mem, HeadParts parts);
// Whole samples in a file of `fileSize` bytes (0 for a file without a whole head).
qint64 sampleCount(qint64 fileSize);

// Loads `path`: the head into `mem` and at most `capacity` samples into `samples`, `count` set to
// the number of whole samples read. The file is checked before anything is taken: CannotOpen or
// NotRecording leave `mem`, `samples` and `count` as they were.
Result load(const QString& path, MemoryImage& mem, HeadParts parts, uint8_t* samples, int capacity, int& count);
// Reads only the head of `path` into `mem` (Everything) and tells how many samples follow.
Result loadHead(const QString& path, MemoryImage& mem, qint64& samples);

}  // namespace OscFile
