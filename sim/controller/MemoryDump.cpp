#include "sim/controller/MemoryDump.h"

#include <QtCore/QList>

#include <algorithm>
#include <cctype>

#include "sim/controller/ControllerMemory.h"

namespace MemoryDump {

namespace {
bool memoryHasRegion(uint8_t command)
{
    const auto& all = ControllerMemory::kRegionCommands;
    return std::find(all.begin(), all.end(), command) != all.end();
}
}  // namespace

QByteArray write(ControllerMemory& memory, const QList<std::pair<const char*, qint64>>& figures)
{
    QByteArray text = "# kavelo-sim controller memory\n";
    for (uint8_t command : ControllerMemory::kRegionCommands) {
        const QByteArray bytes(reinterpret_cast<const char*>(memory.region(command)), ControllerMemory::kRegionSize);
        text += "region " + QByteArray::number(command, 16).toUpper() + ' ' + bytes.toHex().toUpper() + '\n';
    }
    for (const auto& [name, value] : figures)
        text += "figure " + QByteArray(name) + ' ' + QByteArray::number(value) + '\n';
    return text;
}

bool read(const QByteArray& text, Contents& contents, QString& error)
{
    contents = {};
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QByteArray line = lines[n].trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        const QList<QByteArray> parts = line.split(' ');
        auto fail = [&](const char* why) {
            error = QStringLiteral("line %1: %2").arg(n + 1).arg(QLatin1String(why));
            return false;
        };
        if (parts.size() != 3) return fail("expected three fields");
        bool ok = false;
        if (parts[0] == "region") {
            const uint command = parts[1].toUInt(&ok, 16);
            if (!ok || command > 0xFF || !memoryHasRegion(static_cast<uint8_t>(command))) return fail("unknown region");
            if (parts[2].size() != 2 * ControllerMemory::kRegionSize) return fail("a region takes 512 hex digits");
            for (char c : parts[2])
                if (!std::isxdigit(static_cast<unsigned char>(c))) return fail("not a hex digit");
            if (!contents.regions.emplace(static_cast<uint8_t>(command), QByteArray::fromHex(parts[2])).second)
                return fail("region named twice");
        } else if (parts[0] == "figure") {
            const qint64 value = parts[2].toLongLong(&ok);
            if (!ok) return fail("a figure takes a number");
            contents.figures[QString::fromUtf8(parts[1])] = value;
        } else {
            return fail("unknown line");
        }
    }
    for (uint8_t command : ControllerMemory::kRegionCommands) {
        if (!contents.regions.count(command)) {
            error = QStringLiteral("region %1 missing").arg(QString::number(command, 16).toUpper());
            return false;
        }
    }
    return true;
}

}  // namespace MemoryDump
