#include "dialogs/NozzleCalc.h"

#include <QtCore/QLocale>

#include <algorithm>

namespace NozzleCalc {

const double kTermA[kPressureCount] = {0.15,  0.10,  0.00,  -0.05, -0.10, -0.15, -0.20,
                                       -0.20, -0.25, -0.25, -0.25, -0.30, -0.30, -0.30};
const double kTermB[kPressureCount] = {0.40, 0.35, 0.30, 0.25,  0.20,  0.15,  0.10,
                                       0.05, 0.00, 0.00, -0.05, -0.05, -0.10, -0.10};
const int kCylinders[kCylinderCount] = {1, 2, 3, 4, 5, 6, 8, 10, 12};

Result Compute(const Input& in)
{
    Result r;
    if (in.pressureIndex < 0 || in.pressureIndex >= kPressureCount || in.fuelIndex < 0 || in.injectionIndex < 0 ||
        in.injectorType < 1 || in.cylinders < 1)
        return r;
    double p = in.power;
    if (in.kw) p *= 1.3596;
    p /= in.cylinders;
    const int t = in.injectorType;
    double d;
    if (t >= 1 && t <= 4) d = (p * 0.3 + 14) * 0.1 + kTermB[in.pressureIndex];
    else d = p * 0.0625 + 0.2 + kTermA[in.pressureIndex];
    if (in.fuelIndex != 0) d += 0.2;  // CNG
    if (in.injectionIndex == 1) d -= 0.1;
    else if (in.injectionIndex == 2) d -= 0.2;
    if (t == 1) d += 0.2;
    r.valid = true;
    r.diameter = d;
    if (t >= 8 && t <= 10) r.nozzleClass = d < 2 ? kClassC : d < 2.4 ? kClassB : d < 3 ? kClassA : kClassAPlus;
    return r;
}

QString ClassName(int nozzleClass)
{
    switch (nozzleClass) {
        case kClassC: return QStringLiteral("C black");
        case kClassB: return QStringLiteral("B red");
        case kClassA: return QStringLiteral("A green");
        case kClassAPlus: return QStringLiteral("A+ blue");
        default: return {};
    }
}

QString ResultText(const Result& r)
{
    if (!r.valid) return {};
    if (r.nozzleClass != kNoClass) return ClassName(r.nozzleClass);
    return QLocale().toString(r.diameter, 'f', 1);
}

int InitialPressureIndex(int setting86)
{
    // Item i stands for (i + 9) tenths of a bar; the setting is in hundredths.
    return std::clamp((setting86 + 5) / 10 - 9, 0, kPressureCount - 1);
}

}  // namespace NozzleCalc
