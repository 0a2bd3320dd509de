#include "obd/ObdPidCatalogue.h"

namespace ObdPidCatalogue {

pid MakePid(int bytes, const QString& name, const QString& shortName, const QString& unit, int formula)
{
    pid entry;
    entry.bytes = bytes;
    entry.name = name;
    entry.shortName = shortName;
    entry.unit = unit;
    entry.formula = formula;
    return entry;
}

namespace {

void add(QVector<pid>& list, int bytes, const QString& name, const QString& shortName, const QString& unit, int formula)
{
    list.append(MakePid(bytes, name, shortName, unit, formula));
}

QString s(const char* text) { return QString::fromUtf8(text); }

}  // namespace

QVector<pid> Build()
{
    QVector<pid> c;
    c.reserve(kCount);
    const QString none;
    const QString percent = s("%");
    const QString celsius = s("°C");
    add(c, 4, s("PIDs supported 01 - 20"), none, none, 0);
    add(c, 4, s("Monitor status since DTCs cleared."), none, none, 1);
    add(c, 2, s("Freeze DTC"), none, none, 2);
    add(c, 2, s("Fuel system status"), s("Fuel sys"), none, 3);
    add(c, 1, s("Calculated engine load value"), s("Load"), percent, 4);
    add(c, 1, s("Engine coolant temperature"), s("ETC"), celsius, 5);
    add(c, 1, s("Short term fuel Bank 1"), s("SHRT FT1"), percent, 6);
    add(c, 1, s("Long term fuel Bank 1"), s("LONG FT1"), percent, 6);
    add(c, 1, s("Short term fuel Bank 2"), s("SHRT FT2"), percent, 6);
    add(c, 1, s("Long term fuel Bank 2"), s("LONG FT2"), percent, 6);
    add(c, 1, s("Fuel pressure"), s("Fuel P"), s("kPa"), 10);
    add(c, 1, s("Intake manifold absolute pressure"), s("MAP"), s("kPa"), 11);
    add(c, 2, s("Engine RPM"), s("RPM"), s("rpm"), 12);
    add(c, 1, s("Vehicle speed"), s("VSS"), s("km/h"), 11);
    add(c, 1, s("Timing advance"), s("TA"), s("°"), 14);
    add(c, 1, s("Intake air temperature"), s("IAT"), celsius, 5);
    add(c, 2, s("MAF air flow rate"), s("MAF"), s("g/sec"), 16);
    add(c, 1, s("Throttle position"), s("TPS"), percent, 4);
    add(c, 1, s("Commanded secondary air status"), s("Air stat"), none, 18);
    add(c, 1, s("Oxygen sensors present"), s("O2"), none, 19);
    for (int i = 0; i < 8; ++i) {  // 14..1B
        const int bank = i / 4 + 1;
        const int sensor = i % 4 + 1;
        add(c, 2, QStringLiteral("Bank %1 Sensor %2: Oxygen sensor voltage").arg(bank).arg(sensor),
            QStringLiteral("O2 B%1S%2").arg(bank).arg(sensor), s("V"), 20);
    }
    add(c, 1, s("OBD standards this vehicle conforms to"), s("OBDSUP"), none, 28);
    add(c, 1, s("Oxygen sensors present"), s("O2"), none, 29);
    add(c, 1, s("Auxiliary input status"), s("PTO"), none, 30);
    add(c, 2, s("Run time since engine start"), s("Run time"), s("sec"), 31);
    add(c, 4, s("PIDs supported 21-40"), none, none, 32);
    add(c, 2, s("Distance traveled with malfunction indicator (MIL)"), s("MIL dist"), s("km"), 31);
    add(c, 2, s("Fuel Rail Pressure (relative to manifold vacuum)"), s("FRP"), s("kPa"), 34);
    add(c, 2, s("Fuel Rail Pressure (diesel)"), s("FRP"), s("kPa"), 35);
    for (int k = 1; k <= 8; ++k)  // 24..2B
        add(c, 4, QStringLiteral("O2S%1_WR_lambda(1)").arg(k), QStringLiteral("O2 S%1").arg(k), none, 36);
    add(c, 1, s("Commanded EGR"), s("EGR"), percent, 4);
    add(c, 1, s("EGR Error"), s("EGR ERR"), percent, 6);
    add(c, 1, s("Commanded evaporative purge"), s("EVAP"), percent, 4);
    add(c, 1, s("Fuel Level Input"), s("Fuel Lvl"), percent, 4);
    add(c, 1, s("# of warm-ups since codes cleared "), s("Warm ups"), none, 11);
    add(c, 2, s("Distance traveled since codes cleared"), s("Clear Dist"), s("km"), 31);
    add(c, 2, s("Evap. System Vapor Pressure"), s("EVAP P"), s("Pa"), 50);
    add(c, 1, s("Barometric pressure (Absolute) "), s("BARO"), s("kPa"), 11);
    for (int k = 1; k <= 8; ++k)  // 34..3B
        add(c, 4, QStringLiteral("O2S%1_WR_lambda(1)").arg(k), QStringLiteral("O2 S%1").arg(k), none, 52);
    constexpr int kCatalyst[4][2] = {{1, 1}, {1, 2}, {2, 1}, {2, 2}};  // 3C..3F: bank, sensor
    for (const auto& bs : kCatalyst)
        add(c, 2, QStringLiteral("Catalyst Temperature Bank %1, Sensor %2").arg(bs[0]).arg(bs[1]),
            QStringLiteral("CAT TEMP%1%2").arg(bs[1]).arg(bs[0]), celsius, 60);
    add(c, 4, s("PIDs supported 41-60"), none, none, 64);
    add(c, 4, s("Monitor status this drive cycle"), none, none, 65);
    add(c, 2, s("Control module voltage"), s("VPWR"), s("V"), 66);
    add(c, 2, s("Absolute load value"), s("LOAD ABS"), percent, 67);
    add(c, 2, s("Command equivalence ratio"), s("EQ RAT"), none, 68);
    add(c, 1, s("Relative throttle position"), s("TP R"), none, 4);
    add(c, 1, s("Ambient air temperature"), s("AAT"), celsius, 5);
    add(c, 1, s("Absolute throttle position B"), s("TPS B"), percent, 4);
    add(c, 1, s("Absolute throttle position C"), s("TPS C"), percent, 4);
    for (const char x : {'D', 'E', 'F'})  // 49..4B
        add(c, 1, QStringLiteral("Accelerator pedal position %1").arg(QLatin1Char(x)),
            QStringLiteral("APP %1").arg(QLatin1Char(x)), percent, 4);
    add(c, 1, s("Commanded throttle actuator"), none, percent, 4);
    add(c, 2, s("Time run with MIL"), s("MIL TIME"), s("min"), 31);
    add(c, 2, s("Time since trouble codes cleared"), s("CLR TIME"), s("min"), 31);
    add(c, 4, s("Maximum value for equivalence ratio"), none, none, 79);
    add(c, 4, s("Maximum value for air flow rate"), none, s("g/s"), 80);
    add(c, 1, s("Fuel Type"), none, none, 81);
    add(c, 1, s("Ethanol fuel"), none, percent, 4);
    add(c, 2, s("Absoulute Evap system Vapour Pressure"), none, s("kpa"), 83);
    add(c, 2, s("Evap system vapor pressure"), none, s("Pa"), 84);
    add(c, 2, s("Short term secondary O2S trim bank 1,3"), none, percent, 85);
    add(c, 2, s("Long term secondary O2S trim bank 1,3"), none, percent, 85);
    add(c, 2, s("Short term secondary O2S trim bank 2,4"), none, percent, 85);
    add(c, 2, s("Long term secondary O2S trim bank 3,4"), none, percent, 85);
    add(c, 2, s("Fuel rail pressure (absolute)"), s("FRP abs"), s("kPa"), 35);
    add(c, 1, s("Relative accelerator pedal position"), none, percent, 4);
    add(c, 1, s("Hybrid battery pack remaining life"), none, percent, 4);
    add(c, 1, s("Engine oil temperature"), none, celsius, 5);
    add(c, 2, s("Fuel injection timing"), none, s("°"), 93);
    add(c, 2, s("Engine fuel rate"), none, s("L/h"), 94);
    add(c, 1, s("Emission requirements to which vehicle is designed"), none, none, 95);
    add(c, 4, s("PIDs supported 61-80"), none, none, 96);
    add(c, 1, s("Driver's demand engine - percent torque"), none, percent, 97);
    add(c, 1, s("Actual engine - percent torque"), none, percent, 97);
    add(c, 2, s("Engine reference torque"), none, s("Nm"), 31);
    add(c, 5, s("Engine percent torque data"), none, percent, 100);
    add(c, 2, s("Auxiliary input / output supported"), none, none, -1);
    add(c, 5, s("Mass air flow sensor"), none, none, -1);
    add(c, 3, s("Engine coolant temperature"), none, none, -1);
    add(c, 7, s("Intake air temperature sensor"), none, none, -1);
    add(c, 7, s("Commanded EGR and EGR Error"), none, none, -1);
    add(c, 5, s("Commanded Diesel intake air flow control"), none, none, -1);
    add(c, 5, s("Exhaust gas recirculation temperature"), none, none, -1);
    add(c, 5, s("Commanded throttle actuator control"), none, none, -1);
    add(c, 6, s("Fuel pressure control system"), none, none, -1);
    add(c, 5, s("Injection pressure control system"), none, none, -1);
    add(c, 3, s("Turbocharger compressor inlet pressure"), none, none, -1);
    add(c, 9, s("Boost pressure control"), none, none, -1);
    add(c, 5, s("Variable Geometry turbo control"), s("VGT"), none, -1);
    add(c, 5, s("Wastegate control"), none, none, -1);
    add(c, 5, s("Exhaust pressure"), none, none, -1);
    add(c, 5, s("Turbocharger RPM"), none, none, -1);
    add(c, 7, s("Turbocharger temperature"), none, none, -1);
    add(c, 7, s("Turbocharger temperature"), none, none, -1);
    add(c, 5, s("Charge air cooler temperature"), s("CACT"), none, -1);
    add(c, 9, s("Exhaust Gas temperature"), s("EGT"), none, -1);
    add(c, 9, s("Exhaust Gas temperature"), s("EGT"), none, -1);
    add(c, 7, s("Diesel particulate filter"), s("DPF"), none, -1);
    add(c, 7, s("Diesel particulate filter"), s("DPF"), none, -1);
    add(c, 9, s("Diesel particulate filter"), s("DPF"), none, -1);
    add(c, 1, s("NOx NTE control area status"), none, none, -1);
    add(c, 1, s("PM NTE control area status"), none, none, -1);
    add(c, 13, s("Engine run time"), none, none, -1);
    add(c, 4, s("PIDs supported 81-A0"), none, none, -1);
    Q_ASSERT(c.size() == kCount);
    for (int i = 0; i < c.size(); ++i) c[i].gridRow = i;
    for (const int p : {0x03, 0x06, 0x07, 0x08, 0x09}) c[p].selected = true;
    return c;
}

QString ObdStandardName(uint32_t value)
{
    switch (value) {
        case 1: return QStringLiteral("OBD-II as defined by the CARB");
        case 2: return QStringLiteral("OBD as defined by the EPA");
        case 3: return QStringLiteral("OBD and OBD-II");
        case 4: return QStringLiteral("OBD-I");
        case 5: return QStringLiteral("Not OBD compliant");
        case 6: return QStringLiteral("EOBD (Europe)");
        case 7: return QStringLiteral("EOBD and OBD-II");
        case 8: return QStringLiteral("EOBD and OBD");
        case 9: return QStringLiteral("EOBD, OBD and OBD II");
        case 10: return QStringLiteral("JOBD (Japan)");
        case 11: return QStringLiteral("JOBD and OBD II");
        case 12: return QStringLiteral("JOBD and EOBD");
        case 13: return QStringLiteral("JOBD, EOBD, and OBD II");
        case 17: return QStringLiteral("Engine Manufacturer Diagnostics (EMD)");
        case 18: return QStringLiteral("Engine Manufacturer Diagnostics Enhanced (EMD+)");
        case 19: return QStringLiteral("Heavy Duty On-Board Diagnostics (Child/Partial) (HD OBD-C)");
        case 20: return QStringLiteral("Heavy Duty On-Board Diagnostics (HD OBD)");
        case 21: return QStringLiteral("World Wide Harmonized OBD (WWH OBD)");
        case 23: return QStringLiteral("Heavy Duty Euro OBD Stage I without NOx control (HD EOBD-I)");
        case 24: return QStringLiteral("Heavy Duty Euro OBD Stage I with NOx control (HD EOBD-I N)");
        case 25: return QStringLiteral("Heavy Duty Euro OBD Stage II without NOx control (HD EOBD-II)");
        case 26: return QStringLiteral("Heavy Duty Euro OBD Stage II with NOx control (HD EOBD-II N)");
        case 28: return QStringLiteral("Brazil OBD Phase 1 (OBDBr-1)");
        case 29: return QStringLiteral("Brazil OBD Phase 2 (OBDBr-2)");
        case 30: return QStringLiteral("Korean OBD (KOBD)");
        case 31: return QStringLiteral("India OBD I (IOBD I)");
        case 32: return QStringLiteral("India OBD II (IOBD II)");
        case 33: return QStringLiteral("Heavy Duty Euro OBD Stage VI (HD EOBD-IV)");
        default: return QStringLiteral("Reserved");
    }
}

QString ValueText(int formula, uint32_t value, uint32_t a, int bytes, const QLocale& userLocale)
{
    // The locale's decimal separator, but never a thousands separator: 1726.25, not 1,726.25.
    QLocale locale = userLocale;
    if (!(locale.numberOptions() & QLocale::OmitGroupSeparator))
        locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    const auto fixed1 = [&](double v) { return locale.toString(v, 'f', 1); };
    const auto general = [&](double v) { return locale.toString(v, 'g', 15); };
    const auto integer = [&](long long v) { return QString::number(v); };
    const int signedValue = static_cast<int>(value);
    switch (formula) {
        case 1: return integer(a & 0x7F);
        case 2: return integer(signedValue);
        case 3:
            switch (a) {
                case 1: return QStringLiteral("OL");
                case 2: return QStringLiteral("CL");
                case 4: return QStringLiteral("OL Load");
                case 8: return QStringLiteral("OL Fault");
                case 16: return QStringLiteral("CL Error");
                default: return {};
            }
        case 4: return fixed1(signedValue * 100.0 / 255.0);
        case 5: return integer(static_cast<long long>(signedValue) - 40);
        case 6: return fixed1((signedValue - 128) * 100.0 / 128.0);
        case 10: return integer(static_cast<long long>(signedValue) * 3);
        case 11: return integer(signedValue);
        case 12: return general(signedValue / 4.0);
        case 14: return general(signedValue / 2.0 - 64.0);
        case 16: return general(signedValue * 0.01);
        case 18:
            switch (value) {
                case 1: return QStringLiteral("Upstream");
                case 2: return QStringLiteral("Downstream of catalytic converter");
                case 4: return QStringLiteral("From the outside atmosphere or off");
                case 8: return QStringLiteral("Pump commanded on for diagnostics");
                default: return {};
            }
        case 19: return QStringLiteral("B1:%1 B2:%2").arg(value & 0x0F).arg(value >> 4);
        case 20: return general(a * 0.005);
        case 28: return ObdStandardName(value);
        case 29:
            return QStringLiteral("B1:%1 B2:%2 B3:%3 B4:%4")
                .arg(value & 3)
                .arg((value >> 2) & 3)
                .arg((value >> 4) & 3)
                .arg((value >> 6) & 3);
        case 31: return integer(signedValue);
        default:
            return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(bytes, QLatin1Char('0'));
    }
}

}  // namespace ObdPidCatalogue
