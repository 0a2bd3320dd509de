#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QString>

#include <optional>
#include <unordered_map>

// Trouble codes in their five-character form and their descriptions from the two tables built into
// the program (900 English for every letter, 901 Polish for P codes).
namespace ObdTroubleCodes {

// "P2097" for 0x2097, "U0155" for 0xC155: the top two bits choose the letter P, C, B or U, the low
// 14 bits are four upper-case hexadecimal digits.
QString CodeText(uint16_t code);

// Whether `code` ("P1234") lies in a range the car makers fill with codes of their own (P1xxx,
// P30xx..P33xx, and B, C and U codes whose first digit is 1, 2 or 3): the generic tables cannot
// describe such a code, only the car maker's documentation can.
bool ManufacturerSpecific(const QString& code);

// Converts description bytes stored in code page 1250: ASCII stays, the 18 Polish letters become
// those letters, every other byte above 0x7F becomes "/" and its decimal value.
QString FromCp1250(const QByteArray& bytes);

// The description of `code` in a table in its stored form ("CODE description" per line, CR LF):
// the text after the five code characters (starting with the separating space) up to the line end,
// converted from code page 1250. Only entries at a line start match; the first one wins, and the
// last one counts even without a line end.
std::optional<QString> Description(const QByteArray& table, const QString& code);

// A description table with the line start of each code found once, so that a reply naming many
// codes does not search the whole table for each of them. Answers as Description does.
class DescriptionIndex {
public:
    DescriptionIndex() = default;
    explicit DescriptionIndex(QByteArray table);
    bool isEmpty() const { return table_.isEmpty(); }
    std::optional<QString> find(const QString& code) const;

private:
    QByteArray table_;
    std::unordered_map<uint64_t, qsizetype> entries_;  // five code bytes -> first line start
};

}  // namespace ObdTroubleCodes
