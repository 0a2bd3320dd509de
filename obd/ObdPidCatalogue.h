#pragma once

#include <QtCore/QLocale>
#include <QtCore/QString>
#include <QtCore/QVector>

#include <cstdint>

// One mode-01 PID of the catalogue; the index of an entry is its PID number.
struct pid {
    int bytes = 0;  // data bytes of the PID's reply, after the 41 and PID bytes
    QString name;
    QString shortName;
    QString unit;
    int formula = -1;  // decoding formula code; -1 = none (shown in hexadecimal)
    int gridRow = 0;   // row of the PID grid that shows it
    bool supported = false;
    bool selected = false;
};

namespace ObdPidCatalogue {

constexpr int kCount = 129;  // PIDs 0x00..0x80

// An entry with its reply size, texts and formula; not yet supported or selected.
pid MakePid(int bytes, const QString& name, const QString& shortName, const QString& unit, int formula);

// The 129 entries 0x00..0x80 in PID order, with the default selection: the fuel-system status and
// the four fuel trims (03, 06..09), which the gas controller needs.
QVector<pid> Build();

// Display text of a decoded value by formula (without the unit). `value` is the PID's data bytes
// read as one number (most significant first), `a` its first data byte, `bytes` the entry's byte
// count (the digit count of the hexadecimal fallback). Decimals use `locale`'s separator.
QString ValueText(int formula, uint32_t value, uint32_t a, int bytes, const QLocale& locale);

// Name of the OBD standard reported by PID 1C; "Reserved" for values without one.
QString ObdStandardName(uint32_t value);

}  // namespace ObdPidCatalogue
