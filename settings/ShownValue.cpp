#include "settings/ShownValue.h"

#include <QtCore/QLocale>

#include <cmath>

namespace ShownValue {

namespace {

QString normalised(const QString& text)
{
    QString t = text.simplified().toCaseFolded();
    t.replace(QChar(0x03A9).toCaseFolded(), QLatin1String("ohm"));
    return t;
}

// The shown number of `raw` before it is rounded to the shown decimals.
double shownNumber(const Rule& rule, int raw) { return (raw - rule.bias) * rule.scale + rule.offset; }

// Whether `raw` shows as `value` at the rule's decimals (decimals 0 show the exact number).
bool showsAs(const Rule& rule, int raw, double value)
{
    const double shown = shownNumber(rule, raw);
    if (rule.decimals == 0) return std::abs(shown - value) <= 1e-9 * std::max(1.0, std::abs(value));
    const double p = std::pow(10.0, rule.decimals);
    return std::llround(shown * p) == std::llround(value * p);
}

Parsed parseNumber(const Rule& rule, const QString& text)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(value)) return {Outcome::NotANumber, -1};
    if (rule.current >= rule.min && rule.current <= rule.max && showsAs(rule, rule.current, value))
        return {Outcome::Taken, rule.current};
    const double steps = (value - rule.offset) / rule.scale + rule.bias;
    // Far outside any byte: no rounding of a huge number is attempted.
    if (!(steps > rule.min - 1.0 && steps < rule.max + 1.0)) return {Outcome::OutOfLimits, -1};
    const int raw = static_cast<int>(std::lround(steps));
    if (raw < rule.min || raw > rule.max) return {Outcome::OutOfLimits, -1};
    return {showsAs(rule, raw, value) ? Outcome::Taken : Outcome::Rounded, raw};
}

Parsed parseChoice(const Rule& rule, const QString& text)
{
    const QString wanted = normalised(text);
    if (wanted.isEmpty()) return {Outcome::NoSuchChoice, -1};
    for (int i = 0; i < rule.choices.size() && rule.min + i <= rule.max; ++i)
        if (normalised(rule.choices[i]) == wanted) return {Outcome::Taken, rule.min + i};
    return {Outcome::NoSuchChoice, -1};
}

}  // namespace

Parsed parse(const Rule& rule, const QString& text)
{
    switch (rule.kind) {
        case Rule::Number: return rule.scale > 0 ? parseNumber(rule, text) : Parsed{};
        case Rule::Choice: return parseChoice(rule, text);
        case Rule::None: break;
    }
    return {};
}

}  // namespace ShownValue
