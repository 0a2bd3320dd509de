#include "settings/SettingsPages.h"

namespace SettingsPages {

namespace {

constexpr int H = kPageHeader, E = kEmpty, HE = kHeaderEnd, GE = kGroupEnd;

}  // namespace

// The rows of each page, two columns to a row, as the editor lays them out; kept in rows for reading.
// clang-format off
QList<int> layout(int page, int viewLevel)
{
    switch (page) {
        case 0:
            if (viewLevel <= 0)
                return {H, H, 1, 8, 2, 10, 3, E, HE, HE,
                        kInjectorsCaption, kSensorsCaption, 20, 40, 24, 45, kInjectorCorrections, 46, GE, GE,
                        kToGasCaption, kToPetrolCaption, 50, 60, 51, 61, 54, 62, 55, 63, GE, GE};
            if (viewLevel == 1)
                return {H, H, 1, 8, 2, 10, 3, 11, HE, HE,
                        kInjectorsCaption, kSensorsCaption, 20, 40, 24, 45, 21, 46, kInjectorCorrections, 47, GE, GE,
                        kToGasCaption, kToPetrolCaption, 50, 60, 51, 61, 54, 62, 55, 63, 56, 70, 57, 96, GE, GE};
            return {H, H, 1, 8, 2, 10, 3, 11, 4, 12, 5, 68, HE, HE,
                    kInjectorsCaption, kSensorsCaption, 20, 40, 24, 45, 21, 46, kInjectorCorrections, 47, GE, GE,
                    kToGasCaption, kToPetrolCaption, 50, 60, 51, 61, 52, 62, 53, 63, 54, 65, 55, 66, 59, 67,
                    56, 70, 57, 96, GE, GE};
        case 1: return {86, 90, 85, E, 83, 82};
        case 20: return {79, 90, 78, 81, 77, E};
        case 50: return {E, E, 257, 260, 103, 261, 104, 262, E, 263, 81, 265, 106, 267, 107, 269, E, E};
        case 51: return {E, E, 109, 112, 103, 113, 104, 114, E, 115, 81, 117, 106, 119, 107, 121, E, E};
        default: return {};
    }
}
// clang-format on

QList<int> pages() { return {0, 1, 20, 50, 51}; }

}  // namespace SettingsPages
