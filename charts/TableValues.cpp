#include "charts/TableValues.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/NumberLocale.h"
#include "charts/GridGeometry.h"

namespace TableValues {

namespace {

constexpr QRgb kEmptyCell = qRgb(235, 235, 235);
constexpr QRgb kBlack = qRgb(0, 0, 0);

// Fixed decimals with the user's decimal separator and no digit grouping.
QString fixed(double v, int decimals) { return WithDecimalPoint(QString::number(v, 'f', decimals)); }

QString mapValue(bool obd, int v)
{
    if (v == 0) return {};
    return obd ? fixed((v - 128) * 0.78125, 1) : fixed(v * 0.1, 1);
}

}  // namespace

Limits limitsOf(Table t) { return t == Table::RpmCorrection ? Limits{50, 150} : Limits{0, 255}; }

uint32_t writeMaskOf(Table t)
{
    switch (t) {
        case Table::RpmCorrection: return 0x8;
        case Table::Delay: return 0x1000;
        case Table::Enrichment: return 0x2000;
    }
    return 0;
}

Table tableOfView(int view)
{
    if (view == 6) return Table::Delay;
    if (view == 7) return Table::Enrichment;
    return Table::RpmCorrection;
}

QString cellText(Table t, int v)
{
    switch (t) {
        case Table::RpmCorrection: return QString::number(v - 100);
        case Table::Delay: return fixed(v * 0.1, 1);
        case Table::Enrichment: return QString::number(v - 128);
    }
    return {};
}

QRgb cellColour(Table t, int v)
{
    if (t != Table::RpmCorrection || v == 100) return qRgb(255, 255, 255);
    const int b = std::max(0, 235 - std::abs(v - 100));
    return v > 100 ? qRgb(255, b, b) : qRgb(b, b, 255);
}

MapCell mapCell(bool obd, int mapView, int petrol, int gas)
{
    if (mapView == 0) {
        if (petrol != 0) return {mapValue(obd, petrol), kPetrolCell, kBlack};
        return {{}, kEmptyCell, kBlack};
    }
    if (mapView == 1) {
        if (gas != 0) return {mapValue(obd, gas), kGasCell, kBlack};
        return {{}, kEmptyCell, kBlack};
    }
    if (petrol != 0 && gas != 0) {
        const int d = petrol - gas;
        const int threshold = obd ? 6 : 11;
        const QRgb colour = d >= threshold ? qRgb(176, 0, 0) : d <= -threshold ? qRgb(0, 0, 236) : qRgb(128, 128, 128);
        QString text = fixed(d * (obd ? 0.78125 : 0.1), 1);
        if (d > 0) text.prepend(QLatin1Char('+'));
        return {text, kBothCell, colour};
    }
    if (petrol != 0) return {{}, kPetrolCell, kBlack};
    if (gas != 0) return {{}, kGasCell, kBlack};
    return {{}, kEmptyCell, kBlack};
}

QRgb mapHeaderColour(int mapView) { return mapView == 0 ? kPetrolCell : mapView == 1 ? kGasCell : qRgb(225, 225, 225); }

bool stepLiveCell(uint8_t* table, int c, int l, int delta)
{
    if (c < 0 || c > 15 || l < 0 || l > 15) return false;
    uint8_t& v = table[16 * c + l];
    if (delta > 0 && v <= 149) {
        ++v;
        return true;
    }
    if (delta < 0 && v >= 51) {
        --v;
        return true;
    }
    return false;
}

bool stepRange(uint8_t* table, Limits lim, int left, int top, int right, int bottom, int delta)
{
    bool changed = false;
    for (int k = std::max(left, 1); k <= std::min(right, 16); ++k)
        for (int r = std::max(top, 1); r <= std::min(bottom, 16); ++r) {
            uint8_t& v = table[GridGeometry::tableIndex(k, r)];
            if (delta > 0 && v < lim.hi) {
                ++v;
                changed = true;
            } else if (delta < 0 && v > lim.lo) {
                --v;
                changed = true;
            }
        }
    return changed;
}

uint8_t rpmBreakpoint(const QString& text, uint8_t old)
{
    bool ok = false;
    long long n = text.trimmed().toLongLong(&ok);
    if (!ok) n = old * 50;
    n = std::clamp<long long>(n, 50, 10000);
    return static_cast<uint8_t>(n / 50);
}

uint8_t loadBreakpoint(const QString& text, uint8_t old, bool voltage)
{
    QString s = text.trimmed();
    const int comma = s.indexOf(QLatin1Char(','));
    if (comma >= 0) s[comma] = QLatin1Char('.');
    // The leading decimal number: an optional sign, digits and one decimal point.
    int end = 0;
    if (end < s.size() && (s[end] == QLatin1Char('-') || s[end] == QLatin1Char('+'))) ++end;
    bool point = false, digits = false;
    for (; end < s.size(); ++end) {
        if (s[end].isDigit() && s[end].unicode() < 128) {
            digits = true;
        } else if (s[end] == QLatin1Char('.') && !point) {
            point = true;
        } else {
            break;
        }
    }
    double value = digits ? s.left(end).toDouble() : 0.0;
    if (voltage) value /= 2;
    if (value == 0) return old;
    value = std::clamp(value, 0.01, 2.55);
    return static_cast<uint8_t>(std::floor(value * 100 + 0.000001));
}

QString rpmHeader(int breakpoint) { return QString::number(breakpoint * 50); }

QString loadHeader(int breakpoint, bool voltage) { return fixed(breakpoint * (voltage ? 0.02 : 0.01), 2); }

QString timeBinHeader(int l) { return fixed((l + 1) * 1.6, 1); }

}  // namespace TableValues
