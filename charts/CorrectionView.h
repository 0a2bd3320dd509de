#pragma once

#include "charts/ChartView.h"
#include "charts/CorrectionCurve.h"

// Views 2, 3 and 4: the correction curve of the reducer temperature, the gas temperature or the gas
// pressure, with its points edited by mouse and keys. Every edit recomputes the region's table and
// asks the link to write the region.
class CorrectionView : public ChartView {
public:
    explicit CorrectionView(int view);

    int titleTextId() const override;
    void selected(TGrafika& chart) override;
    void buildBackground(TGrafika& chart, QPainter& p) override;
    void render(TGrafika& chart, QPainter& p) override;
    void liveData(TGrafika& chart, const LiveFrame& frame) override;
    void mousePress(TGrafika& chart, QPoint pos, Qt::MouseButton button) override;
    int hitTest(const TGrafika& chart, QPoint pos) const override;
    void keyDown(TGrafika& chart, int key, Qt::KeyboardModifiers shift) override;
    void clearCorrection(TGrafika& chart) override;

    int selectedPoint() const { return selected_; }
    const CorrectionCurve::Axis& axis() const { return axis_; }

private:
    uint8_t* region(const TGrafika& chart) const;
    // Sorts and fills the table, asks for the region's write and renders.
    void recomputeAndWrite(TGrafika& chart);
    void apply(TGrafika& chart, CorrectionCurve::Edit edit);

    const CorrectionCurve::Axis& axis_;
    int selected_ = -1;
};
