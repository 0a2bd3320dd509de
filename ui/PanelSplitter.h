#pragma once

#include <QtWidgets/QWidget>

// A 3-pixel vertical bar between a side panel and the area beside it; dragging it changes the
// panel's width. The panel keeps a fixed width, so the window's resize handler can still set it.
class PanelSplitter : public QWidget {
    Q_OBJECT
public:
    // Neither the panel nor its neighbour is dragged narrower than this.
    static constexpr int kMinSize = 30;

    // `panelOnLeft`: the panel lies left of the bar (dragging right widens it), else right of it.
    PanelSplitter(QWidget* panel, QWidget* neighbour, bool panelOnLeft, QWidget* parent);

    // A locked bar ignores drags (the panel is collapsed to its handle).
    void setLocked(bool locked) { locked_ = locked; }
    bool isLocked() const { return locked_; }

    // Width of a side panel whose bar was dragged `delta` pixels towards the area beside it
    // (`neighbourWidth` wide when the drag began): neither gets narrower than `minSize`.
    static int draggedPanelWidth(int startWidth, int delta, int neighbourWidth, int minSize);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QWidget* panel_;
    QWidget* neighbour_;
    bool panelOnLeft_;
    bool locked_ = false;
    bool dragging_ = false;
    int pressX_ = 0;
    int startWidth_ = 0;
    int neighbourWidth_ = 0;
};
