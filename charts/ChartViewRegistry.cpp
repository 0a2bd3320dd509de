#include "charts/ChartViewRegistry.h"

#include "charts/CorrectionView.h"
#include "charts/MultiplierView.h"
#include "charts/TableView.h"

namespace ChartViews {

Set Create()
{
    Set views;
    views[0] = std::make_unique<MultiplierView>();
    // The table views share their two grids.
    auto grids = std::make_shared<TableGrids>();
    views[1] = std::make_unique<TableView>(1, grids);
    views[2] = std::make_unique<CorrectionView>(2);
    views[3] = std::make_unique<CorrectionView>(3);
    views[4] = std::make_unique<CorrectionView>(4);
    views[5] = std::make_unique<TableView>(5, grids);
    views[6] = std::make_unique<TableView>(6, grids);
    views[7] = std::make_unique<TableView>(7, grids);
    return views;
}

bool Exists(int view)
{
    if (view == -1) return true;
    if (view < 0 || view >= kCount) return false;
    // Which numbers are filled does not depend on the chart; a throwaway set answers it.
    static const std::array<bool, kCount> filled = [] {
        std::array<bool, kCount> f{};
        const Set probe = Create();
        for (int i = 0; i < kCount; ++i) f[i] = probe[i] != nullptr;
        return f;
    }();
    return filled[view];
}

}  // namespace ChartViews
