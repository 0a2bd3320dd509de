#include "settings/ConfigDiff.h"

#include <QtCore/QHash>
#include <QtCore/QSet>

#include <cmath>
#include <memory>

#include "base/OwnTexts.h"
#include "base/Plural.h"
#include "base/TextTable.h"
#include "link/Regions.h"
#include "settings/NamedSettings.h"
#include "settings/SettingsCatalogue.h"
#include "settings/SettingsPages.h"

namespace ConfigDiff {

namespace {

constexpr int kUnitMs = 1053;
constexpr int kUnitPercent = 1057;

// A configuration's catalogue over a private copy of its memory image: ValueText may correct a
// list byte that lies outside its options, and that must not touch the compared image.
struct Scratch {
    explicit Scratch(const MemoryImage& source)
    {
        image.settings = source.settings;
        image.identity = source.identity;
        catalogue.RegisterSettings();
    }
    MemoryImage image;
    SettingsCatalogue catalogue{image, nullptr};
};

// Settings indices in the order a full listing shows them: the editor's pages (page 0 at its
// widest view level), then the labelled settings on no page, then unlabelled bytes.
QList<QPair<int, int>> settingsOrder(const SettingsCatalogue& catalogue)
{
    QList<QPair<int, int>> order;
    QSet<int> seen;
    for (int page : SettingsPages::pages()) {
        const int level = page == 0 ? 2 : 1;
        for (int cell : SettingsPages::layout(page, level)) {
            if (cell <= 0 || cell >= SettingsCatalogue::kIndexCount || seen.contains(cell)) continue;
            if (catalogue.descriptor(cell).label == 0) continue;
            order.append({page, cell});
            seen.insert(cell);
        }
    }
    for (int i = 1; i < SettingsCatalogue::kIndexCount; ++i)
        if (!seen.contains(i) && catalogue.descriptor(i).label != 0) order.append({-1, i}), seen.insert(i);
    for (int i = 1; i < SettingsCatalogue::kIndexCount; ++i)
        if (!seen.contains(i)) order.append({-1, i});
    return order;
}

// The name of a settings byte the catalogue leaves unlabelled: its part in the controller's layout,
// or "Reserved byte N" for the bytes that carry nothing the program knows of.
QString unlabelledName(int index)
{
    const auto numbered = [](int id, int n) { return TextById(id).arg(n); };
    using S = NamedSettings;
    const auto within = [index](int first, int count) { return index >= first && index < first + count; };
    if (index >= 25 && index <= 28) return numbered(OwnText::InjectorTypeValue, index - 24);
    if (within(S::kInjectorOutputs, S::kInjectors))
        return numbered(OwnText::InjectorInput, index - S::kInjectorOutputs + 1);
    if (within(S::kLevelThresholds, 4)) return numbered(OwnText::LevelThreshold, index - S::kLevelThresholds + 1);
    if (index >= 116 && index <= 122 && index % 2 == 0) return numbered(OwnText::ObdErrorCode, (index - 116) / 2 + 1);
    if (index >= MemoryImage::kNodesBank2 && index < MemoryImage::kNodesBank1 + MemoryImage::kNodeSlots) {
        const bool bank1 = index >= MemoryImage::kNodesBank1;
        const int slot = index - (bank1 ? MemoryImage::kNodesBank1 : MemoryImage::kNodesBank2);
        return TextById(OwnText::MultiplierNode).arg(slot + 1).arg(bank1 ? 1 : 2);
    }
    if (within(S::kInjectorCorrections, S::kInjectors))
        return numbered(OwnText::InjectorCorrection, index - S::kInjectorCorrections + 1);
    if (within(S::kLoadBreakpoints, S::kBreakpoints))
        return numbered(OwnText::LoadBreakpoint, index - S::kLoadBreakpoints + 1);
    if (within(S::kRpmBreakpoints, S::kBreakpoints))
        return numbered(OwnText::RpmBreakpoint, index - S::kRpmBreakpoints + 1);
    switch (index) {
        case S::kRpmCorrectionOverTime: return TextById(OwnText::RpmCorrectionOverTime);
        case 87: return TextById(OwnText::CalibrationReducerTemp);
        case 88: return TextById(OwnText::CalibrationManifold);
        case 89: return TextById(OwnText::CalibrationIdle);
        case 94: return TextById(OwnText::ReferenceCorrection);
        case S::kServiceReminder: return TextById(OwnText::ServiceReminder);
        case S::kServiceMarkLow:
        case S::kServiceMarkHigh: return numbered(OwnText::ServiceMark, index - S::kServiceReminder);
        default: return numbered(OwnText::ReservedByte, index);
    }
}

// Settings 257..270 are the PC's own copies of the OBD settings 109..122.
constexpr int kPcCopyOffset = 257 - 109;

}  // namespace

QString settingName(const SettingsCatalogue& catalogue, int index)
{
    if (index >= SettingsCatalogue::kControllerCount) {
        const QString reserved = TextById(OwnText::ReservedByte).arg(index);
        const int mirrored = index - kPcCopyOffset;
        if (catalogue.descriptor(index).cls() == 0 || mirrored < 109 || mirrored > 122) return reserved;
        const QString name = settingName(catalogue, mirrored);
        return name == TextById(OwnText::ReservedByte).arg(mirrored) ? reserved : TextById(OwnText::KeptByPc).arg(name);
    }
    const QString label = catalogue.descriptor(index).label ? catalogue.LabelText(index).trimmed() : QString();
    if (label.isEmpty()) return unlabelledName(index);
    // The idle corrections of the two banks share one caption, and so do the OBD error headers.
    if (index == 90 || index == 92) return TextById(OwnText::BankName).arg(label).arg(index == 90 ? 1 : 2);
    if (index >= 115 && index <= 121 && index % 2 == 1)
        return label + QLatin1Char(' ') + QString::number((index - 115) / 2 + 1);
    return label;
}

const QList<Region>& regions()
{
    static const QList<Region> kRegions = {
        {0x2, OwnText::RegionMultiplier1, 0, 256, 0.01, 0, 0, 2},
        {0x4, OwnText::RegionMultiplier2, 0, 256, 0.01, 0, 0, 2},
        {0x8, OwnText::RegionRpm1, 0, 256, 1, 100, kUnitPercent, 0},
        {0x10, OwnText::RegionRpm2, 0, 256, 1, 100, kUnitPercent, 0},
        {0x100, OwnText::RegionGasPressure, 50, 206, 0.78125, 128, kUnitPercent, 1},
        {0x200, OwnText::RegionReducerTemp, 50, 206, 0.78125, 128, kUnitPercent, 1},
        {0x400, OwnText::RegionGasTemp, 50, 206, 0.78125, 128, kUnitPercent, 1},
        {0x10000, OwnText::RegionPetrolMap, 0, 256, 0.1, 0, kUnitMs, 1},
        {0x20000, OwnText::RegionGasMap, 0, 256, 0.1, 0, kUnitMs, 1},
        {0x100000, OwnText::RegionObdPetrol1, 0, 256, 0.78125, 128, kUnitPercent, 1},
        {0x200000, OwnText::RegionObdGas1, 0, 256, 0.78125, 128, kUnitPercent, 1},
        {0x400000, OwnText::RegionObdPetrol2, 0, 256, 0.78125, 128, kUnitPercent, 1},
        {0x800000, OwnText::RegionObdGas2, 0, 256, 0.78125, 128, kUnitPercent, 1},
    };
    return kRegions;
}

uint8_t* regionBytes(MemoryImage& mem, const Region& region) { return mem.region(region.mask); }

const uint8_t* regionBytes(const MemoryImage& mem, const Region& region)
{
    return const_cast<MemoryImage&>(mem).region(region.mask);
}

Result compare(const MemoryImage& a, const MemoryImage& b, bool controllerSettingsOnly)
{
    Result result;
    auto scratchA = std::make_unique<Scratch>(a);
    auto scratchB = std::make_unique<Scratch>(b);
    for (const auto& [page, index] : settingsOrder(scratchA->catalogue)) {
        if (controllerSettingsOnly && index >= SettingsCatalogue::kControllerCount) continue;
        const int rawA = a.settings[static_cast<size_t>(index)];
        const int rawB = b.settings[static_cast<size_t>(index)];
        if (rawA == rawB) continue;
        Setting s{page, index, rawA, rawB, {}, {}, {}, {}};
        const SettingDescriptor& d = scratchA->catalogue.descriptor(index);
        s.label = settingName(scratchA->catalogue, index);
        // A byte the catalogue shows (with its scale and unit) is listed as the editor shows it; the
        // bytes it does not show (bit masks, reserved bytes) as their numbers.
        const bool shown = d.label != 0 || ((d.cls() == kClassNumber || d.cls() == kClassSigned) && d.scale != 0);
        if (shown) {
            s.textA = scratchA->catalogue.ValueText(index, rawA);
            s.textB = scratchB->catalogue.ValueText(index, rawB);
            s.unit = scratchA->catalogue.UnitText(index);
        } else {
            s.textA = QString::number(rawA);
            s.textB = QString::number(rawB);
        }
        result.settings.append(s);
    }
    // Two settings with one caption (the RPM signal's type and its level, say) are told apart by
    // their unit where it differs, else by their number, so that the list never shows one name twice.
    for (int pass = 0; pass < 2; ++pass) {
        QHash<QString, int> captions;
        for (const Setting& s : result.settings) ++captions[s.label];
        for (Setting& s : result.settings) {
            if (captions.value(s.label) < 2) continue;
            if (pass == 0 && !s.unit.isEmpty()) s.label += QLatin1Char(' ') + s.unit;
            if (pass == 1) s.label += QStringLiteral(" (%1)").arg(s.index);
        }
    }

    const QList<Region>& all = regions();
    for (int r = 0; r < all.size(); ++r) {
        const Region& region = all[r];
        const uint8_t* ra = regionBytes(a, region);
        const uint8_t* rb = regionBytes(b, region);
        RegionChange change{r, 0, 0, false};
        for (int i = 0; i < MemoryImage::kRegionSize; ++i) {
            if (ra[i] == rb[i]) continue;
            if (i < region.first || i >= region.first + region.count) {
                change.otherBytes = true;
                continue;
            }
            ++change.cells;
            change.largest = std::max(change.largest, std::abs(rb[i] - ra[i]) * region.scale);
        }
        if (change.cells > 0 || change.otherBytes) result.regions.append(change);
    }
    return result;
}

std::array<double, 256> cellDifferences(const MemoryImage& a, const MemoryImage& b, const Region& region)
{
    std::array<double, 256> d{};
    const uint8_t* ra = regionBytes(a, region);
    const uint8_t* rb = regionBytes(b, region);
    for (int i = region.first; i < region.first + region.count; ++i)
        d[static_cast<size_t>(i)] = (rb[i] - ra[i]) * region.scale;
    return d;
}

QString regionText(const RegionChange& change)
{
    const Region& region = regions()[change.region];
    QString text = TextById(OwnText::CellsDifferCount)
                       .arg(Plural::count(change.cells, OwnText::NounCell))
                       .arg(change.largest, 0, 'f', region.decimals);
    if (region.unitId) text += QLatin1Char(' ') + TextById(region.unitId);
    return text;
}

}  // namespace ConfigDiff
