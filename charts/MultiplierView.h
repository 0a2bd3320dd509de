#pragma once

#include <QtGui/QColor>
#include <QtGui/QPolygon>

#include <array>
#include <optional>

#include "charts/ChartView.h"
#include "charts/MultiplierNodes.h"
#include "tune/MultiplierProposal.h"

class TSterownik;

// View 0: the learned petrol and gas map points with their trends over the multiplier curve,
// whose nodes the fitter edits with mouse and keys. Every edit recomputes multiplier bank 1 and
// asks the link to write it with the settings block (mask 3).
class MultiplierView : public ChartView {
public:
    // The map colours.
    static constexpr QRgb kPetrol = 0xFF0000;
    static constexpr QRgb kGas = 0x00A000;
    static constexpr QRgb kDifference = 0x0274FD;

    MultiplierView();

    int plotMargin() const override { return ChartLayout::kMarginWide; }
    int titleTextId() const override { return 1210; }
    void buildBackground(TGrafika& chart, QPainter& p) override;
    void render(TGrafika& chart, QPainter& p) override;
    void liveData(TGrafika& chart, const LiveFrame& frame) override;
    void mousePress(TGrafika& chart, QPoint pos, Qt::MouseButton button) override;
    int hitTest(const TGrafika& chart, QPoint pos) const override;
    void keyDown(TGrafika& chart, int key, Qt::KeyboardModifiers shift) override;

    // Selected node slot 0..25, or -1 for none; kept across view changes.
    int selectedNode() const { return selected_; }
    void setSelectedNode(int slot) { selected_ = slot; }
    // Where node slot k is drawn (false when the slot is empty or beyond the axis).
    bool nodePosition(const TGrafika& chart, int slot, QPoint& at) const;
    // Where the shift buttons are: raise all nodes and lower all nodes.
    static QRect raiseButton(int controlWidth, int controlHeight);
    static QRect lowerButton(int controlWidth, int controlHeight);

    // Sort, separate, recompute the table, request its write (mask 3) and render.
    void Recompute(TGrafika& chart);

    // The tune assistant on this chart: T proposes new node values from the learned maps (shown
    // dashed over the curve, with the node table), A applies the proposal shown (a backup first,
    // then the write of the settings block and multiplier bank 1), Escape discards it. These keys
    // work with or without the chart's focus; the node keys need it.
    static constexpr int kProposeKey = Qt::Key_T;
    static constexpr int kApplyKey = Qt::Key_A;
    const MultiplierProposal::Proposal* proposal() const { return proposal_ ? &*proposal_ : nullptr; }
    void Propose(TGrafika& chart);
    // False when there is nothing to apply or the link takes no write now (the proposal stays).
    bool ApplyProposal(TGrafika& chart);
    void DiscardProposal(TGrafika& chart);
    // Where the node table is drawn (empty without a proposal), and the legend with the lines under it.
    QRect proposalTableRect() const { return tableRect_; }
    QRect legendRect() const { return legendRect_; }

private:
    void act(TGrafika& chart, MultiplierNodes::Outcome outcome);
    void drawMap(TGrafika& chart, QPainter& p, const uint8_t* map, QColor colour);
    void drawDifference(TGrafika& chart, QPainter& p);
    void drawCurve(TGrafika& chart, QPainter& p);
    void drawFit(TGrafika& chart, QPainter& p, int n, int degree, int width, const QColor& colour);
    void drawDeviation(TGrafika& chart, QPainter& p);
    void drawProposal(TGrafika& chart, QPainter& p);

    std::optional<MultiplierProposal::Proposal> proposal_;
    QRect tableRect_;
    QRect legendRect_;

    int selected_ = 0;
    // One render's trend candidates (the 256 cells of one map at most) and the trend polyline,
    // kept from render to render so that drawing allocates nothing.
    std::array<int, 256> xs_{};
    std::array<int, 256> ys_{};
    QPolygon line_;
    QPolygon shifted_;
};
