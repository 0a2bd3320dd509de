#include "settings/SettingsCatalogue.h"

#include <algorithm>
#include <cmath>

#include "base/NumberLocale.h"
#include "base/TextTable.h"
#include "link/SettingsActions.h"
#include "settings/InjectorTypes.h"

namespace {

constexpr int kTextYes = 1080;
constexpr int kTextNo = 1081;
constexpr int kTextValvetronic = 3103;
constexpr int kTextObdOff = 4091;
constexpr int kTextObdAutomatic = 4092;
constexpr double kAdaptationStep = 0.02;

// A number as the settings show it: decimals 0 in the shortest general form (15 significant
// digits, no exponent for our ranges), 1..4 fixed with halves rounded away from zero.
QString formatNumber(double v, int decimals)
{
    if (v == 0) v = 0;  // no "-0"
    if (decimals == 0) return WithDecimalPoint(QString::number(v, 'g', 15));
    const double p = std::pow(10.0, decimals);
    // Scaled bytes such as 16 x 0.0078125 land exactly on a half; show them rounded up in size.
    const double rounded = std::round(v * p) / p;
    return WithDecimalPoint(QString::number(rounded, 'f', decimals));
}

}  // namespace

SettingsCatalogue::SettingsCatalogue(MemoryImage& image, SettingsActions* actions) : image_(image), actions_(actions) {}

uint8_t* SettingsCatalogue::bytes() { return image_.settings.data(); }

int SettingsCatalogue::byte(int index) const
{
    if (index < 0 || index >= kIndexCount) return 0;
    return image_.settings[static_cast<size_t>(index)];
}

const SettingDescriptor& SettingsCatalogue::descriptor(int index) const
{
    static const SettingDescriptor kNone{};
    if (index < 0 || index >= kIndexCount) return kNone;
    return descriptors_[static_cast<size_t>(index)];
}

void SettingsCatalogue::DefineSetting(int index, int label, const int options[10], int max, int def, int min, int kind,
                                      double scale, int unit)
{
    if (index < 0 || index >= kIndexCount) return;
    SettingDescriptor d;
    d.label = label;
    if (options) std::copy(options, options + 10, d.options.begin());
    d.max = static_cast<uint8_t>(max);
    d.def = static_cast<uint8_t>(def);
    d.min = static_cast<uint8_t>(min);
    d.kind = static_cast<uint8_t>(kind);
    d.scale = scale;
    d.unit = static_cast<uint8_t>(unit);
    descriptors_[static_cast<size_t>(index)] = d;
}

void SettingsCatalogue::LoadDefaults()
{
    uint8_t* s = bytes();
    for (int i = 0; i < kIndexCount; ++i) s[i] = descriptors_[static_cast<size_t>(i)].def;
}

void SettingsCatalogue::setView(int page, int viewLevel)
{
    page_ = page;
    viewLevel_ = viewLevel;
}

QString SettingsCatalogue::LabelText(int index) const
{
    const int label = descriptor(index).label;
    return label ? TextById(label) : QString();
}

QString SettingsCatalogue::UnitText(int index) const
{
    const int unit = descriptor(index).unit;
    return unit ? TextById(1049 + unit) : QString();
}

QString SettingsCatalogue::ValueText(int index, int raw)
{
    if (index < 0 || index >= kIndexCount) return {};
    const SettingDescriptor& d = descriptors_[static_cast<size_t>(index)];
    if (raw == -1) raw = byte(index);

    switch (d.cls()) {
        case kClassYesNo: return TextById(raw != 0 ? kTextYes : kTextNo);
        case kClassHeader: return QStringLiteral("-");
        case kClassList: {
            // A list byte outside its options (an old file, a foreign controller) is put right
            // here, so that what is shown is also what gets written back.
            if (raw < d.min) {
                SetValue(index, d.min);
                raw = d.min;
            } else if (raw > d.max) {
                SetValue(index, d.max);
                raw = d.max;
            }
            auto option = [&](int v) { return v >= 0 && v < 10 && d.options[v] ? TextById(d.options[v]) : QString(); };
            QString text;
            if (index == 4 && raw == 2)
                text = option(raw) + QStringLiteral(" (") + TextById(kTextValvetronic) + QStringLiteral(")");
            else if (index == 24) text = QString::fromUtf8(InjectorTypes::row(raw).name);
            else if (index == 109 || index == 257)
                text = raw == 0   ? TextById(kTextObdOff)
                       : raw == 1 ? TextById(kTextObdAutomatic)
                                  : QString::fromUtf8(ObdProtocols::name(raw));
            else text = option(raw);
            if (index == 24 || index == 40 || index == 45 || index == 46) {
                const qsizetype at = text.indexOf(QLatin1String("Ohm"));
                if (at >= 0) text.replace(at, 3, QChar(0x03A9));
            }
            return text;
        }
        default: {
            if (d.decimals() >= 5) return {};
            double v = d.cls() == kClassSigned ? raw - 128 : raw;
            v *= d.scale;
            v += shownOffset(index);
            return formatNumber(v, d.decimals());
        }
    }
}

double SettingsCatalogue::shownOffset(int index) const
{
    // Idle corrections are shown with the adaptation the controller has learned on top.
    if (index == 90) return 1 + (image_.identity[66] - 128) * kAdaptationStep;
    if (index == 92) return 1 + (image_.identity[68] - 128) * kAdaptationStep;
    return 0;
}

ShownValue::Rule SettingsCatalogue::ShownRule(int index)
{
    ShownValue::Rule rule;
    if (index < 0 || index >= kIndexCount) return rule;
    const SettingDescriptor& d = descriptors_[static_cast<size_t>(index)];
    rule.min = d.min;
    rule.max = d.max;
    rule.current = byte(index);
    switch (d.cls()) {
        case kClassHeader: break;
        case kClassYesNo:
        case kClassList:
            rule.kind = ShownValue::Rule::Choice;
            // Within the limits showing a value changes nothing.
            for (int raw = d.min; raw <= d.max; ++raw) rule.choices << ValueText(index, raw);
            break;
        default:
            if (d.scale <= 0 || d.decimals() >= 5) break;  // shown as 0 or not at all: nothing to type
            rule.kind = ShownValue::Rule::Number;
            rule.scale = d.scale;
            rule.bias = d.cls() == kClassSigned ? 128 : 0;
            rule.offset = shownOffset(index);
            rule.decimals = d.decimals();
            break;
    }
    return rule;
}

uint32_t SettingsCatalogue::ChangeWrites(int index) { return index == 81 ? 0x7 : 0x1; }

bool SettingsCatalogue::IsLocked(int index) const
{
    const int rpmSignal = byte(1);
    switch (index) {
        case 2: return rpmSignal <= 6;
        case 3: return rpmSignal == 7;
        case 4: return rpmSignal != 7;
        case 68: return rpmSignal == 7;
        default: return false;
    }
}

bool SettingsCatalogue::Refuses(int index) const { return IsLocked(index) || (viewLevel_ == 0 && page_ == 1); }

bool SettingsCatalogue::SetValue(int index, int raw)
{
    if (index < 0 || index >= kIndexCount) return false;
    if (Refuses(index)) {
        if (OnBeep) OnBeep();
        return false;
    }
    const SettingDescriptor& d = descriptors_[static_cast<size_t>(index)];
    const int value = std::clamp(raw, static_cast<int>(d.min), static_cast<int>(d.max));
    bytes()[index] = static_cast<uint8_t>(value);
    applySideEffects(index, value);
    if (actions_) actions_->regionsChanged(0x1);
    if (OnRepaint) OnRepaint();
    return true;
}

void SettingsCatalogue::applySideEffects(int index, int value)
{
    uint8_t* s = bytes();
    switch (index) {
        case 1: {
            static constexpr uint8_t kDivider[8] = {1, 2, 3, 4, 5, 6, 8, 1};
            s[2] = value < 8 ? kDivider[value] : 116;
            if (value == 7) {  // the injectors give the RPM signal
                s[60] = 0;
                s[65] = 50;
                s[57] = 1;
                s[68] = 0;
            } else {
                s[4] = 0;
                s[65] = 5;
                s[68] = 1;
            }
            break;
        }
        case 4:
            if (value == 2) {  // MAF: the load axis is no longer a pressure
                resetLoadBreakpoints();
                s[10] = 0;
            }
            if (actions_) actions_->referenceCorrectionChanged();
            break;
        case 8: {
            const int injectors = actions_ ? actions_->gasInjectors() : 8;
            const int mask = injectors == 6 ? 63 : injectors == 4 ? 15 : 255;
            if (value == 0) {
                for (int i = 0; i < 8; ++i) s[32 + i] = static_cast<uint8_t>((1 << i) & mask);
            } else if (value == 1) {
                s[32] = static_cast<uint8_t>(mask & 0x55);
                s[33] = static_cast<uint8_t>(mask & 0xAA);
                for (int i = 34; i <= 39; ++i) s[i] = 0;
            } else {
                s[32] = static_cast<uint8_t>(mask);
                for (int i = 33; i <= 39; ++i) s[i] = 0;
            }
            s[56] = static_cast<uint8_t>(value);
            if (actions_) actions_->injectorAssignmentChanged();
            break;
        }
        case 10:
            // Standard engine, or MAF on the RPM wire: the default axis; a turbo engine then gets
            // the turbo axis up to 2 bar, MAF or not.
            if (value == 0 || s[4] == 2) resetLoadBreakpoints();
            if (value == 1)
                for (int i = 0; i < 16; ++i) s[224 + i] = static_cast<uint8_t>((200 * i + 200) / 16);
            if (actions_) actions_->referenceCorrectionChanged();
            break;
        case 12:
            if (value == 0 && actions_) actions_->injectorSwitchAsked();
            break;
        case 24: {
            const InjectorType& row = InjectorTypes::row(value);
            for (int i = 0; i < 4; ++i) s[25 + i] = row.values[i];
            break;
        }
        case 40: {
            static constexpr uint8_t kLevelPoints[4][4] = {
                {44, 39, 20, 8}, {8, 20, 39, 44}, {58, 54, 40, 11}, {11, 40, 54, 58}};
            if (value >= 0 && value < 4)
                for (int i = 0; i < 4; ++i) s[41 + i] = kLevelPoints[value][i];
            break;
        }
        case 81:
            // Writes the multiplier banks as well: ChangeWrites names them.
            if (value == 0 && actions_) actions_->adaptationCleared();
            break;
        case 85:
        case 86:
            if (actions_) actions_->referenceCorrectionChanged();
            break;
        default: break;
    }
}
