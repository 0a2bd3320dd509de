#include "obd/ObdTroubleCodes.h"

namespace ObdTroubleCodes {

QString CodeText(uint16_t code)
{
    static constexpr char kLetters[] = {'P', 'C', 'B', 'U'};
    return QLatin1Char(kLetters[code >> 14]) +
           QString::number(code & 0x3FFF, 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

bool ManufacturerSpecific(const QString& code)
{
    if (code.size() != 5) return false;
    const QChar letter = code[0], digit = code[1];
    if (letter == QLatin1Char('P'))
        return digit == QLatin1Char('1') || (digit == QLatin1Char('3') && code[2] <= QLatin1Char('3'));
    return (letter == QLatin1Char('B') || letter == QLatin1Char('C') || letter == QLatin1Char('U')) &&
           digit >= QLatin1Char('1') && digit <= QLatin1Char('3');
}

QString FromCp1250(const QByteArray& bytes)
{
    struct Letter {
        uint8_t byte;
        char16_t letter;
    };
    static constexpr Letter kPolish[] = {
        {0x8C, u'Ś'}, {0x8F, u'Ź'}, {0x9C, u'ś'}, {0x9F, u'ź'}, {0xA3, u'Ł'}, {0xA5, u'Ą'},
        {0xAF, u'Ż'}, {0xB3, u'ł'}, {0xB9, u'ą'}, {0xBF, u'ż'}, {0xC6, u'Ć'}, {0xCA, u'Ę'},
        {0xD1, u'Ń'}, {0xD3, u'Ó'}, {0xE6, u'ć'}, {0xEA, u'ę'}, {0xF1, u'ń'}, {0xF3, u'ó'},
    };
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (b < 0x80) {
            text += QLatin1Char(c);
            continue;
        }
        bool found = false;
        for (const Letter& l : kPolish) {
            if (l.byte == b) {
                text += QChar(l.letter);
                found = true;
                break;
            }
        }
        if (!found) text += QLatin1Char('/') + QString::number(b);
    }
    return text;
}

namespace {

// The text after the five code characters at `at`, up to the line end.
QString entryText(const QByteArray& table, qsizetype at)
{
    const qsizetype start = at + 5;
    qsizetype end = start;
    while (end < table.size() && table[end] != '\r' && table[end] != '\n') ++end;
    return FromCp1250(table.mid(start, end - start));
}

uint64_t keyOf(const char* five)
{
    uint64_t key = 0;
    for (int i = 0; i < 5; ++i) key = key << 8 | static_cast<uint8_t>(five[i]);
    return key;
}

}  // namespace

DescriptionIndex::DescriptionIndex(QByteArray table) : table_(std::move(table))
{
    const char* bytes = table_.constData();
    const qsizetype size = table_.size();
    for (qsizetype at = 0; at + 5 <= size;) {
        entries_.try_emplace(keyOf(bytes + at), at);  // the first entry of a code wins
        // Every byte after a line-end character starts a line.
        qsizetype end = at;
        while (end < size && bytes[end] != '\n' && bytes[end] != '\r') ++end;
        at = end + 1;
    }
}

std::optional<QString> DescriptionIndex::find(const QString& code) const
{
    if (code.size() != 5) return std::nullopt;
    const QByteArray key = code.toLatin1();
    const auto entry = entries_.find(keyOf(key.constData()));
    if (entry == entries_.end()) return std::nullopt;
    return entryText(table_, entry->second);
}

std::optional<QString> Description(const QByteArray& table, const QString& code)
{
    return DescriptionIndex(table).find(code);
}

}  // namespace ObdTroubleCodes
