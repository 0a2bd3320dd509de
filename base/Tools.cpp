#include "base/Tools.h"

#include <QtCore/QFile>

#include <cstring>

QByteArray ResourceBytes(int id)
{
    QFile file(QStringLiteral(":/res/") + QString::number(id));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

int LoadTextResource(int id, QStringList& lines) { return DecodeTextLines(ResourceBytes(id), lines); }

int DecodeTextLines(const QByteArray& bytes, QStringList& lines)
{
    if (bytes.isEmpty()) return 0;
    QString text;
    if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF && static_cast<uint8_t>(bytes[1]) == 0xFE) {
        // A truncated table may end in half a character: only whole UTF-16 units are read.
        const qsizetype units = (bytes.size() - 2) / 2;
        text.resize(units);
        for (qsizetype i = 0; i < units; ++i) {
            const auto lo = static_cast<uint8_t>(bytes[2 + 2 * i]);
            const auto hi = static_cast<uint8_t>(bytes[3 + 2 * i]);
            text[i] = QChar(static_cast<char16_t>(lo | (hi << 8)));
        }
    } else {
        text = QString::fromLatin1(bytes);
    }
    QStringList result = text.split(QLatin1Char('\n'));
    for (QString& line : result)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    if (!result.isEmpty() && result.last().isEmpty()) result.removeLast();
    lines = result;
    return static_cast<int>(bytes.size());
}

int CopyResource(int id, char* buffer, int capacity)
{
    const QByteArray bytes = ResourceBytes(id);
    if (bytes.isEmpty() || bytes.size() > capacity) return 0;
    std::memcpy(buffer, bytes.constData(), static_cast<size_t>(bytes.size()));
    return static_cast<int>(bytes.size());
}
