#pragma once

#include <QtCore/QList>

// The pages of the settings editor as cell maps: two cells per row, row-major. A cell holds a
// settings index (0..303) or one of the negative codes below.
namespace SettingsPages {

enum Cell {
    kEmpty = -1,
    kPageHeader = -2,
    kInjectorsCaption = -3,
    kSensorsCaption = -4,
    kToGasCaption = -5,
    kToPetrolCaption = -6,
    kHeaderEnd = -7,
    kGroupEnd = -8,
    kInjectorCorrections = -10,
};

// Pages: 0 main settings (its layout depends on the view level 0..2), 1 calibration,
// 20 map collection, 50 and 51 OBD. An unknown page gives an empty list.
QList<int> layout(int page, int viewLevel);

// The pages in the order a full listing shows them: 0 (at view level 2), 1, 20, 50, 51.
QList<int> pages();

}  // namespace SettingsPages
