#include "soak/SoakChecks.h"

#include <QtCore/QFile>

#include <cstring>
#include <unistd.h>

#include "link/FrameCodec.h"
#include "link/MemoryImage.h"
#include "link/Regions.h"
#include "sim/controller/MemoryDump.h"

namespace SoakChecks {

qint64 residentKilobytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().simplified().split(' ');
    if (fields.size() < 2) return 0;
    return fields[1].toLongLong() * sysconf(_SC_PAGESIZE) / 1024;
}

double growthPercent(qint64 before, qint64 after)
{
    if (before <= 0) return 0;
    return 100.0 * static_cast<double>(after - before) / static_cast<double>(before);
}

QString RegionMismatch::describe() const
{
    return QStringLiteral("region %1: %2 bytes differ, first at %3 (PC %4, controller %5)")
               .arg(QString::number(readCommand, 16).toUpper())
               .arg(bytes)
               .arg(first)
               .arg(pcValue)
               .arg(controllerValue) +
           (tail() ? QStringLiteral(", every byte to the end: a damaged frame taken whole") : QString());
}

QList<RegionMismatch> compareRegions(const MemoryImage& image, const MemoryDump::Contents& controller)
{
    QList<RegionMismatch> mismatches;
    for (const RegionInfo& r : kRegions) {
        uint8_t pc[MemoryImage::kRegionSize];
        std::memcpy(pc, image.region(r.mask), sizeof pc);
        if (r.mask == 0x1) pc[0] = FrameCodec::checksumFor(pc + 1, MemoryImage::kRegionSize - 1);
        const auto found = controller.regions.find(r.readCommand);
        RegionMismatch m;
        m.readCommand = r.readCommand;
        if (found == controller.regions.end() || found->second.size() != MemoryImage::kRegionSize) {
            m.bytes = MemoryImage::kRegionSize;
            mismatches.append(m);
            continue;
        }
        const auto* sim = reinterpret_cast<const uint8_t*>(found->second.constData());
        for (int i = 0; i < MemoryImage::kRegionSize; ++i) {
            if (pc[i] == sim[i]) continue;
            if (m.bytes++ == 0) {
                m.first = i;
                m.pcValue = pc[i];
                m.controllerValue = sim[i];
            }
        }
        if (m.bytes) mismatches.append(m);
    }
    return mismatches;
}

}  // namespace SoakChecks
