#pragma once

#include <array>
#include <memory>

#include "charts/ChartView.h"

namespace ChartViews {

// View numbers 0..7; -1 is no view (background only).
constexpr int kCount = 8;
using Set = std::array<std::unique_ptr<ChartView>, kCount>;

// Creates one object for every view that exists; numbers without a view stay empty. This is the
// one table where a view joins the chart component (and with it `kavelo --render`). Views that
// share widgets (the table views' two grids) get a shared holder here; views create widgets only
// when first built, never in their constructors.
Set Create();

// Whether `view` is drawable: -1, or a number that Create fills.
bool Exists(int view);

}  // namespace ChartViews
