#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QList>
#include <QtCore/QString>

#include <cstdint>
#include <map>
#include <utility>

class ControllerMemory;

// The simulated controller's memory as text, for comparing it with the PC's image after a run:
//   region E8 <512 hex digits>      one line per region, named by its read command
//   figure <name> <number>          counters of the run (requests, damaged bytes, unplugs, ...)
// Lines starting with '#' are comments.
namespace MemoryDump {

struct Contents {
    std::map<uint8_t, QByteArray> regions;  // 256 bytes each, by read command
    std::map<QString, qint64> figures;
};

QByteArray write(ControllerMemory& memory, const QList<std::pair<const char*, qint64>>& figures = {});

// False, with the line at fault in `error`, on anything that is not a complete dump: a region
// line with a wrong length or a non-hex digit, a region named twice, an unknown line, a region
// missing.
bool read(const QByteArray& text, Contents& contents, QString& error);

}  // namespace MemoryDump
