#include "settings/InjectorTypes.h"

namespace {

constexpr InjectorType kInjectorTypes[InjectorTypes::kCount] = {
    {"", {0, 128, 128, 100}},
    {"Torvane 1.9 Ohm", {18, 140, 168, 50}},
    {"Napoleon", {22, 144, 168, 50}},
    {"ORVA 3 Ohm", {27, 136, 188, 65}},
    {"ORVA 2 Ohm", {22, 120, 176, 65}},
    {"Valtek 3 Ohm", {27, 136, 188, 65}},
    {"Valtek 1 Ohm", {17, 108, 160, 65}},
    {"OMVL/OMVL Fast", {20, 136, 164, 50}},
    {"Hana 3 Ohm", {18, 152, 192, 50}},
    {"Hana 1.9 Ohm", {16, 140, 168, 60}},
    {"Hana 1.3 Ohm", {16, 140, 168, 60}},
    {"Matrix", {11, 132, 143, 40}},
    {"Keihin", {17, 128, 152, 70}},
    {"RAIL IG1 3 Ohm", {27, 136, 188, 65}},
    {"RAIL IG1 2 Ohm", {22, 120, 176, 65}},
    {"RAIL IG5 3 Ohm", {27, 136, 188, 65}},
    {"RAIL IG5 2 Ohm", {22, 120, 176, 65}},
    {"RAIL IG3 Horizon 2.8 Ohm", {27, 136, 188, 65}},
    {"RAIL IG3 Horizon 2 Ohm", {22, 120, 176, 65}},
    {"RAIL IG2 3 Ohm", {27, 136, 188, 65}},
    {"RAIL IG2 2 Ohm", {22, 120, 176, 65}},
    {"AEB R4S 2 Ohm", {22, 120, 176, 65}},
    {"Zavoli Pan 3 Ohm", {27, 136, 188, 65}},
    {"PlaniJet", {20, 100, 228, 50}},
    {"MegicJet", {13, 126, 188, 70}},
    {"APIS SOLO FAST 1.6 Ohm", {22, 120, 176, 65}},
    {"r > 10 Ohm (PWM 100%)", {30, 168, 128, 100}},
};

constexpr const char* kObdProtocols[ObdProtocols::kCount] = {
    "",
    "",
    "ISO 15765-4 CAN 11/500",
    "ISO 15765-4 CAN 29/500",
    "ISO 15765-4 CAN 11/250",
    "ISO 15765-4 CAN 29/250",
    "ISO 14230-4 KWP fast init.",
    "ISO 14230-4 KWP slow init.",
    "ISO 9141-2",
    "SEA J1850 PWM",
    "SEA J1850 VPW",
};

}  // namespace

const InjectorType& InjectorTypes::row(int row)
{
    if (row < 0 || row >= kCount) return kInjectorTypes[0];
    return kInjectorTypes[row];
}

const char* ObdProtocols::name(int n)
{
    if (n < 0 || n >= kCount) return "";
    return kObdProtocols[n];
}
