#pragma once

#include <QtCore/QString>

// The nozzle calculator's arithmetic: the gas-injector nozzle bore (or, for the injectors sold in
// colour-coded classes, the class to fit) from the engine data and the installation settings.
namespace NozzleCalc {

// Working pressures of the calculator's list: 0.90 .. 2.20 bar in steps of 0.10.
constexpr int kPressureCount = 14;
extern const double kTermA[kPressureCount];  // mm, added by the general formula
extern const double kTermB[kPressureCount];  // mm, added by the formula of injector types 1..4

// Cylinder counts offered by the list, by index.
constexpr int kCylinderCount = 9;
extern const int kCylinders[kCylinderCount];

// What the fitter has chosen. A list index of -1 means the list has no selection (a stored value
// outside the list's range); the computation then gives no result.
struct Input {
    int power = 100;         // as shown, in HP or kW
    bool kw = false;         // the unit list shows kW
    int cylinders = 4;       // 1..12
    int pressureIndex = 1;   // 0..13
    int fuelIndex = 0;       // 0 LPG, 1 CNG
    int injectionIndex = 0;  // 0 sequential, 1 semi-sequential, 2 full group
    int injectorType = 1;    // value of setting 24 (1..26), -1 none
};

// Nozzle classes of the colour-coded injectors, -1 when the result is a diameter.
enum NozzleClass { kNoClass = -1, kClassC = 0, kClassB = 1, kClassA = 2, kClassAPlus = 3 };

struct Result {
    bool valid = false;
    double diameter = 0;  // mm
    int nozzleClass = kNoClass;
};

Result Compute(const Input& in);
// The class name ("C black", "B red", "A green", "A+ blue").
QString ClassName(int nozzleClass);
// Text of the result box: the class name, or the diameter with one decimal in the user's locale;
// empty without a result.
QString ResultText(const Result& r);
// First working-pressure item: the one nearest to the installation's pressure (setting 86 in
// 0.01 bar), kept within the list.
int InitialPressureIndex(int setting86);

}  // namespace NozzleCalc
