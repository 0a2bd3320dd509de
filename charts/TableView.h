#pragma once

#include <memory>

#include "charts/ChartView.h"
#include "charts/TableGrids.h"
#include "charts/TableValues.h"

class QKeyEvent;

// Views 1, 5, 6 and 7: a 16 x 16 table over RPM and load in the table grid, edited with + / -,
// Ctrl/Alt + arrows and, in views 1 and 5, typed breakpoints and the switch of the load axis; views
// 1 and 5 show the learned (view 1) or OBD (view 5) maps in the map grid above it.
class TableView : public ChartView {
public:
    TableView(int view, std::shared_ptr<TableGrids> grids);

    bool isPlotView() const override { return false; }
    int titleTextId() const override;
    void selected(TGrafika& chart) override;
    void leave(TGrafika& chart, int nextView) override;
    void buildBackground(TGrafika& chart, QPainter& p) override;
    void render(TGrafika& chart, QPainter& p) override;
    bool drawsOnFrame() const override { return false; }
    void liveData(TGrafika& chart, const LiveFrame& frame) override;
    void keyDown(TGrafika& chart, int key, Qt::KeyboardModifiers shift) override;
    bool focusBoxEditing(const TGrafika& chart) const override;
    void refreshTick(TGrafika& chart) override;

    TableGrids& grids() const { return *grids_; }
    // End of the wait after a switch of the load axis: the controller has rebuilt both RPM
    // correction tables for the new axis, read them back and draw the new axis.
    void AxisSwitchReread(TGrafika& chart);
    // Whether the view shows the map grid at all (views 1 and 5).
    bool hasMaps() const { return view_ == 1 || view_ == 5; }
    // The load axis of the RPM correction table is the petrol injection time (settings byte 76).
    bool timeAxis(const TGrafika& chart) const;
    // The line under the table grid that names the keys of the table, in the window's language:
    // + / - on the live cell (RPM correction only), Ctrl+Up/Down on the selection, Alt+Up/Down on
    // the whole table.
    QString keysHint() const;
    // Where that line is drawn on the chart: the strip the layout leaves under the table grid.
    QRect keysHintRect(const TGrafika& chart) const;

private:
    uint8_t* table(const TGrafika& chart) const;
    void createGrids(TGrafika& chart);
    void connectGrids(TGrafika& chart);
    void fillHeaders(TGrafika& chart);
    void fillTableBody(TGrafika& chart);
    void fillMapBody(TGrafika& chart);
    void updateMirror(TGrafika& chart);
    void drawTitles(TGrafika& chart, QPainter& p);
    void drawKeysHint(TGrafika& chart, QPainter& p);
    void tablePress(TGrafika& chart, GridGeometry::Cell cell);
    bool tableKey(TGrafika& chart, QKeyEvent* event);
    void openHeaderEditor(TGrafika& chart, GridGeometry::Cell cell);
    void commitHeader(TGrafika& chart);
    void parkFocusBox(TGrafika& chart);
    void switchLoadAxis(TGrafika& chart);
    void nextMapView(TGrafika& chart);

    int view_;
    TableValues::Table kind_;
    std::shared_ptr<TableGrids> grids_;
    bool boxConnected_ = false;
};
