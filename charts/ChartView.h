#pragma once

#include <QtCore/QPoint>
#include <QtCore/Qt>

#include <cstdint>

#include "charts/ChartLayout.h"
#include "link/LiveFrame.h"

class QPainter;
class TGrafika;

// One view of the chart component (the multiplier chart, the correction curves, the tables).
// TGrafika owns one object per view number and runs the shared cycle around it: it builds the
// background (fill, and for plot views the plot frame with its nine dotted horizontal lines), copies
// it for the render (once per background for views that draw nothing on it), draws the live cursor and routes mouse,
// keys and live frames. A view draws only its own part and keeps its own state; it reads its numbers from the link's
// memory image at every call (chart.link()), so loads and reads show at the next render.
//
// Every method has a harmless default, so a view overrides only what it uses.
class ChartView {
public:
    virtual ~ChartView() = default;

    // Plot views get the plot frame, the live cursor line(s) and mouse presses in plot terms;
    // table views draw their captions on the background and lay out their own grids.
    virtual bool isPlotView() const { return true; }
    // Width the control keeps beside the plot (ChartLayout::kMarginNormal or kMarginWide).
    virtual int plotMargin() const { return ChartLayout::kMarginNormal; }
    // Language text ID of the tab that shows the view (for reports and logs).
    virtual int titleTextId() const { return 0; }

    // The view becomes the current one (SetView): read requests, selection resets. The background
    // is built and rendered right after.
    virtual void selected(TGrafika& /*chart*/) {}
    // Another view (`nextView`, -1 for none) takes over, or the chart is hidden (`nextView` is then
    // TGrafika::kHidden): hide the view's own widgets.
    virtual void leave(TGrafika& /*chart*/, int /*nextView*/) {}

    // The view's part of BuildBackground: axes, ticks, labels, captions, legend, buttons. Called
    // with a painter on the background image, after the fill (and the plot frame in plot views).
    // Table views also lay out their grids here.
    virtual void buildBackground(TGrafika& /*chart*/, QPainter& /*p*/) {}
    // The view's data, drawn over the copy of the background (Render step 4).
    virtual void render(TGrafika& /*chart*/, QPainter& /*p*/) {}
    // False for a view whose render() leaves the frame untouched (it updates widgets of its own):
    // the frame is then not copied again from an unchanged background.
    virtual bool drawsOnFrame() const { return true; }

    // Every verified live frame while the chart is shown: plot views call chart.MoveCursor, table
    // views move their cell markers.
    virtual void liveData(TGrafika& /*chart*/, const LiveFrame& /*frame*/) {}

    // A mouse press anywhere on the control (the plot is usable). Plot views call
    // chart.FocusChart() first when the press is inside the plot widened by 5 pixels.
    virtual void mousePress(TGrafika& /*chart*/, QPoint /*pos*/, Qt::MouseButton /*button*/) {}
    // The item (node, point, cell) drawn under `pos`, or -1: the exact inverse of the drawing.
    virtual int hitTest(const TGrafika& /*chart*/, QPoint /*pos*/) const { return -1; }

    // Every key the main window sees while the chart is shown. Keys that need the focus check
    // chart.hasChartFocus() themselves.
    virtual void keyDown(TGrafika& /*chart*/, int /*key*/, Qt::KeyboardModifiers /*shift*/) {}
    // Whether key presses on the focus box go on to the box itself (a table header being typed);
    // otherwise the box swallows them after KeyDown has seen them.
    virtual bool focusBoxEditing(const TGrafika& /*chart*/) const { return false; }

    // The one-second refresh, before the render (the table grid's selection check).
    virtual void refreshTick(TGrafika& /*chart*/) {}
    // The main window's "Clear corrections" command in this view.
    virtual void clearCorrection(TGrafika& /*chart*/) {}
};
