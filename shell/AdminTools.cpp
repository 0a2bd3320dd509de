#include "shell/AdminTools.h"

#include <algorithm>

#include "dialogs/Unitadmin.h"
#include "link/Tsterownik.h"
#include "obd/Telmobd.h"
#include "settings/SettingsCatalogue.h"

namespace {

// The regions of the six maps: petrol and gas injection times, the OBD corrections of both banks.
constexpr uint32_t kAllMaps = 0x10000 | 0x20000 | 0x100000 | 0x200000 | 0x400000 | 0x800000;
// What a demonstration map holds.
enum DemoMap { PetrolTimes, GasTimes, PetrolCorrections, GasCorrections };

// Demonstration maps: injection times (the cell byte) rising with engine speed and load, the gas
// times a tenth longer, and learned OBD corrections around the neutral 128 leaning a little at
// high load.
void fillDemoMap(uint8_t* map, DemoMap kind)
{
    for (int rpm = 0; rpm < 16; ++rpm)
        for (int load = 0; load < 16; ++load) {
            const int petrol = 12 + 5 * load + 2 * rpm + (load * rpm) / 8;
            int v = petrol;
            if (kind == GasTimes) v = petrol + petrol / 10;
            if (kind == PetrolCorrections) v = 128 + (load - 6) - rpm / 4;
            if (kind == GasCorrections) v = 128 + (load - 8) / 2 + (rpm % 3) - 1;
            map[16 * rpm + load] = static_cast<uint8_t>(std::clamp(v, 1, 254));
        }
}

}  // namespace

AdminTools::AdminTools(TSterownik& link, TObd& obd, SettingsCatalogue& catalogue, TFormAdmin& log)
    : link_(link), obd_(obd), catalogue_(catalogue), log_(log)
{
}

void AdminTools::line(const QString& text, TColor colour) { log_.AddLine(text, colour); }

void AdminTools::attach(TTekstEvent& handler, TTekstEvent& saved, bool on)
{
    if (on) {
        saved = handler;
        handler = [this, &saved](QObject* sender, const QString& text, TColor colour) {
            line(text, colour);
            if (saved) saved(sender, text, colour);
        };
    } else {
        handler = std::move(saved);
        saved = nullptr;
    }
}

void AdminTools::attachLog(bool on)
{
    attach(link_.OnTekst, savedLinkTekst_, on);
    attach(obd_.OnTekst, savedObdTekst_, on);
}

void AdminTools::fillDemoMaps()
{
    MemoryImage& m = link_.mem;
    fillDemoMap(m.map(MemoryImage::PetrolMap), PetrolTimes);
    fillDemoMap(m.map(MemoryImage::GasMap), GasTimes);
    fillDemoMap(m.map(MemoryImage::ObdPetrol1), PetrolCorrections);
    fillDemoMap(m.map(MemoryImage::ObdGas1), GasCorrections);
    // Bank 2 takes bank 1's corrections.
    fillDemoMap(m.map(MemoryImage::ObdPetrol2), PetrolCorrections);
    fillDemoMap(m.map(MemoryImage::ObdGas2), GasCorrections);
    link_.ZapiszDoSterownika(kAllMaps);
}

void AdminTools::listDefaults()
{
    SettingsCatalogue& c = catalogue_;
    int sum = 0;
    for (int i = 1; i < 256; ++i) sum += c.descriptor(i).def;
    const SettingDescriptor d0 = c.descriptor(0);
    c.DefineSetting(0, d0.label, d0.options.data(), d0.max, static_cast<uint8_t>(-sum), d0.min, d0.kind, d0.scale,
                    d0.unit);
    line(QStringLiteral("  #define nil 0"));
    for (int i = 0; i < SettingsCatalogue::kIndexCount; ++i) {
        const SettingDescriptor& d = c.descriptor(i);
        const bool defined = i == 0 || d.kind != 0 || d.max != 0 || d.label != 0;
        line(QStringLiteral("  #define def%1  %2")
                 .arg(i, 3, 10, QLatin1Char('0'))
                 .arg(defined ? QString::number(d.def) : QStringLiteral("nil")));
    }
}
