#pragma once

#include "charts/ChartView.h"

// View 0: the learned petrol and gas map points with their trends over the multiplier curve,
// whose nodes the fitter edits with mouse and keys.
class MultiplierView : public ChartView {
public:
    int plotMargin() const override { return ChartLayout::kMarginWide; }
    int titleTextId() const override { return 1210; }
};
