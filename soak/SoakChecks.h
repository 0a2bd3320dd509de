#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QString>
#include <QtCore/QStringList>

#include <cstdint>

class MemoryImage;
namespace MemoryDump {
struct Contents;
}

// The end-of-run comparisons of a soak, as pure functions over what the run collected.
namespace SoakChecks {

// Resident memory of this process in kilobytes (/proc/self/statm); 0 where it cannot be read.
qint64 residentKilobytes();

// Growth of resident memory from `before` to `after` in percent.
double growthPercent(qint64 before, qint64 after);

// One region that differs between the controller and the PC's image.
struct RegionMismatch {
    uint8_t readCommand = 0;
    int bytes = 0;    // differing bytes
    int first = -1;   // first differing offset
    int pcValue = 0;  // at `first`
    int controllerValue = 0;
    // Every byte from `first` to the end differs: the trace of a damaged frame taken as whole (the
    // chained scrambling spreads one damaged byte over the rest of the frame).
    bool tail() const { return first >= 0 && bytes == 256 - first; }
    QString describe() const;
};

// Compares every transferable region of the link's image with the controller's dump. The
// settings block is compared with the checksum byte the link sends (it recomputes it on every
// write; the stored byte is stale after edits).
QList<RegionMismatch> compareRegions(const MemoryImage& pc, const MemoryDump::Contents& controller);

}  // namespace SoakChecks
