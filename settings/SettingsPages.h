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

// The pages: the main settings (its layout depends on the view level 0..2), the calibration, the
// map collection, and the OBD pages of bank 1 and bank 2.
enum Page {
    kMainPage = 0,
    kCalibrationPage = 1,
    kMapCollectionPage = 20,
    kObdBank1Page = 50,
    kObdBank2Page = 51,
};

// The cells of `page`; an unknown page gives an empty list.
QList<int> layout(int page, int viewLevel);

// The pages in the order a full listing shows them: 0 (at view level 2), 1, 20, 50, 51.
QList<int> pages();

}  // namespace SettingsPages
