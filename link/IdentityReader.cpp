#include "link/IdentityReader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kHistoryEntries = 32;
constexpr int kEntrySize = 8;

QString dec(int v) { return QString::number(v); }
QString two(int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); }
QString hex2(int v) { return QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper(); }

QString runningTime(int seconds, int hours)
{
    return dec(hours) + QLatin1Char(':') + two(seconds / 60) + QLatin1Char(':') + two(seconds % 60);
}

}  // namespace

QString identityNumberText(const uint8_t* b)
{
    return hex2(b[0]) + hex2(b[1]) + QLatin1Char('-') + hex2(b[2]) + hex2(b[3]);
}

QString IdentityReader::model() const
{
    switch (mem_.identity[kModel]) {
        case 1: return QStringLiteral("KAVELO ECO+");
        case 2: return QStringLiteral("KAVELO PRO+");
        default: return {};
    }
}

QString IdentityReader::barCode() const
{
    const char* code = reinterpret_cast<const char*>(mem_.identity.data() + kBarCode);
    return QString::fromLatin1(code, static_cast<qsizetype>(strnlen(code, 16)));
}

std::array<uint8_t, 13> IdentityReader::serialBytes() const
{
    std::array<uint8_t, 13> serial{};
    std::copy_n(mem_.identity.begin() + kSerial, serial.size(), serial.begin());
    return serial;
}

QString IdentityReader::serialText() const
{
    QString text;
    bool any = false;
    for (uint8_t b : serialBytes()) {
        any = any || b != 0;
        text += hex2(b);
    }
    return any ? text : QString();
}

QString IdentityReader::productionDate() const
{
    const auto& id = mem_.identity;
    if (id[46] == 0) return {};
    return QStringLiteral("20") + dec(id[46]) + QLatin1Char('.') + two(id[47]) + QLatin1Char('.') + two(id[48]);
}

QString IdentityReader::firmware(int parts) const
{
    const auto& id = mem_.identity;
    if (!inApplication()) return {};
    QString s;
    const QString gap = QStringLiteral("  ");
    if ((parts & 0x1) && id[60]) s += dec(id[60]) + gap;
    if ((parts & 0x2) && id[60]) s += QChar(QLatin1Char('A').unicode() + id[53]) + QLatin1Char('.');
    if ((parts & 0x4) && id[60])
        s += dec(id[58]) + QLatin1Char('.') + dec(id[59]) + QLatin1Char('.') + dec(id[60]) + gap;
    if ((parts & 0x8) && id[62])
        s += QStringLiteral("(20") + dec(id[62]) + QLatin1Char('.') + two(id[63]) + QLatin1Char('.') + two(id[64]) +
             QLatin1Char(')') + gap;
    if (parts & 0x10) s += hex2(id[50]) + QLatin1Char('.') + hex2(id[51]) + QLatin1Char('.') + hex2(id[52]) + gap;
    if (parts & 0x20) s += QStringLiteral("Kod=") + barCode() + QLatin1Char(' ');
    if (parts & 0x40) {
        s += QStringLiteral("NS=");
        for (int i = 22; i <= 34; ++i) s += hex2(id[i]) + QLatin1Char(' ');
    }
    if (parts & 0x80) {
        s += QStringLiteral("Eep=");
        for (int i = 66; i <= 77; ++i) s += hex2(id[i]) + QLatin1Char(' ');
    }
    return s;
}

QString IdentityReader::injectorCount() const { return mem_.identity[59] ? dec(mem_.identity[59]) : QString(); }

QString IdentityReader::petrolRunningTime() const { return runningTime(mem_.identityWord(70), mem_.identityWord(72)); }

QString IdentityReader::gasRunningTime() const { return runningTime(mem_.identityWord(74), mem_.identityWord(76)); }

QString IdentityReader::timeToService() const
{
    const int interval = mem_.settings[101] | (mem_.settings[102] << 8);
    return dec(std::max(0, interval - mem_.identityWord(76))) + QStringLiteral(":00:00");
}

QString IdentityReader::historyCell(int column, int entry) const
{
    if (entry < 0 || entry >= kHistoryEntries) return {};
    const uint8_t* e = mem_.block(MemoryImage::History) + entry * kEntrySize;
    if (column == 0)
        return e[0] ? QStringLiteral("20") + dec(e[1]) + QLatin1Char('.') + dec(e[2]) + QLatin1Char('.') + dec(e[3])
                    : QString();
    if (column >= 1 && column <= 4) return (e[0] >> (column - 1)) & 1 ? QStringLiteral("v") : QString();
    if (column == 5) return e[0] ? identityNumberText(e + 4) : QString();
    return {};
}
