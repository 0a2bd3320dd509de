#pragma once

#include <QtCore/QString>
#include <cstdint>

#include <string>

#include "base/OwnTexts.h"

// The transferable 256-byte regions in the order the scheduler serves them: writes (after the
// settings) and reads both follow this order.
struct RegionInfo {
    uint32_t mask;
    uint8_t readCommand;
    uint8_t writeCommand;
    const char* readLog;   // UTF-8 log text of the read request
    const char* writeLog;  // UTF-8 log text of the write
    bool recordsHistory;   // a write of this region is a configuration change
    const char* name;      // English name for the command line's messages
    int textId;            // its name in the window's language (the program's own texts)
};

inline constexpr RegionInfo kRegions[] = {
    {0x1, 0xE8, 0xF8, "\n  Odczyt nastaw", "\n  Zapis nastaw", true, "settings", OwnText::RegionSettings},
    {0x2, 0xE9, 0xF9, "\n  Odczyt mnożnika bank 1", "\n  Zapis mnożnika bank 1", true, "multiplier bank 1",
     OwnText::RegionMultiplier1},
    {0x4, 0xEA, 0xFA, "\n  Odczyt mnożnika bank 2", "\n  Zapis mnożnika bank 2", true, "multiplier bank 2",
     OwnText::RegionMultiplier2},
    {0x8, 0xEB, 0xFB, "\n  Odczyt korekty od obrotów bank 1", "\n  Zapis korekty od obrotów bank 1", true,
     "RPM correction bank 1", OwnText::RegionRpm1},
    {0x10, 0xEC, 0xFC, "\n  Odczyt korekty od obrotów bank 2", "\n  Zapis korekty od obrotów bank 2", true,
     "RPM correction bank 2", OwnText::RegionRpm2},
    {0x10000, 0xE0, 0xF0, "\n  Odczyt mapy czasów wtrysku benzyny", "\n  Zapis mapy benzyny", false, "petrol map",
     OwnText::RegionPetrolMap},
    {0x20000, 0xE1, 0xF1, "\n  Odczyt mapy czasów wtrysku gazu", "\n  Zapis mapy gazu", false, "gas map",
     OwnText::RegionGasMap},
    {0x100000, 0xE2, 0xF2, "\n  Odczyt mapy obd benzyna bank 1", "\n  Zapis mapy kor. obd ben 1", false,
     "OBD petrol map bank 1", OwnText::RegionObdPetrol1},
    {0x200000, 0xE3, 0xF3, "\n  Odczyt mapy obd gaz bank 1", "\n  Zapis mapy kor. obd gaz 1", false,
     "OBD gas map bank 1", OwnText::RegionObdGas1},
    {0x400000, 0xE4, 0xF4, "\n  Odczyt mapy obd benzyna bank 2", "\n  Zapis mapy kor. obd ben 2", false,
     "OBD petrol map bank 2", OwnText::RegionObdPetrol2},
    {0x800000, 0xE5, 0xF5, "\n  Odczyt mapy obd gaz bank 2", "\n  Zapis mapy kor. obd gaz 2", false,
     "OBD gas map bank 2", OwnText::RegionObdGas2},
    {0x80, 0xA7, 0xC7, "\n  Odczyt historii", "\n  Zapis historii", false, "change history", OwnText::RegionHistory},
    {0x100, 0xA8, 0xC8, "\n  Odczyt korekt od cis. gazu", "\n  Zapis korekty od cis. gazu", true,
     "gas-pressure correction", OwnText::RegionGasPressure},
    {0x200, 0xA9, 0xC9, "\n  Odczyt korekt od temp. red.", "\n  Zapis korekty od temp. red.", true,
     "reducer-temperature correction", OwnText::RegionReducerTemp},
    {0x400, 0xAA, 0xCA, "\n  Odczyt korekt od temp. gazu", "\n  Zapis korekty od temp. gazu", true,
     "gas-temperature correction", OwnText::RegionGasTemp},
    {0x800, 0xAB, 0xCB, "\n  Odczyt emulatora ciś. listwy", "\n  Zapis emulatora ciś. listwy", true,
     "rail-pressure emulator", OwnText::RegionRailEmulator},
    {0x1000, 0xAC, 0xCC, "\n  Odczyt opóźnienia wtr. gazu", "\n  Zapis opóźnienia wtr. gazu", true,
     "gas injection delay", OwnText::RegionInjectionDelay},
    {0x2000, 0xAD, 0xCD, "\n  Odczyt wzbogacania-zubożania", "\n  Zapis wzbogacania-zubożania", true,
     "enrichment/leaning", OwnText::RegionEnrichment},
};

// The change history's region: its writes merge with the controller's own history.
inline constexpr uint32_t kHistoryMask = 0x80;

inline constexpr int kRegionCount = static_cast<int>(sizeof kRegions / sizeof kRegions[0]);

// Position in kRegions of a one-bit mask; -1 when the mask names no region.
inline int regionIndex(uint32_t maskBit)
{
    for (int i = 0; i < kRegionCount; ++i)
        if (kRegions[i].mask == maskBit) return i;
    return -1;
}

// A log line about a region: its read or write log text (`request`) without the line break in
// front, after `lead`, with `outcome` behind ("  Zapis nastaw - zmiana czeka na odczyt").
inline QString regionLogLine(const char* request, const char* lead, const char* outcome)
{
    return QLatin1String(lead) + QString::fromUtf8(request).trimmed() + QString::fromUtf8(outcome);
}

// Names of the regions of `mask`, in table order, joined with ", ".
inline std::string regionNames(uint32_t mask)
{
    std::string out;
    for (const RegionInfo& r : kRegions) {
        if (!(mask & r.mask)) continue;
        if (!out.empty()) out += ", ";
        out += r.name;
    }
    return out;
}

// Region of a read or write command; nullptr when the command names none.
inline const RegionInfo* regionOfCommand(uint8_t command)
{
    for (const RegionInfo& r : kRegions)
        if (r.readCommand == command || r.writeCommand == command) return &r;
    return nullptr;
}

// Names of the regions of `mask` in the window's language, in table order, joined with ", ".
inline QString regionTexts(uint32_t mask)
{
    QString out;
    for (const RegionInfo& r : kRegions) {
        if (!(mask & r.mask)) continue;
        if (!out.isEmpty()) out += QStringLiteral(", ");
        out += TextById(r.textId);
    }
    return out;
}
