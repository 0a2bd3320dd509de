#include "ui/PanelSplitter.h"

#include <QtGui/QMouseEvent>

#include <algorithm>

PanelSplitter::PanelSplitter(QWidget* panel, QWidget* neighbour, bool panelOnLeft, QWidget* parent)
    : QWidget(parent), panel_(panel), neighbour_(neighbour), panelOnLeft_(panelOnLeft)
{
    setFixedWidth(3);
    setCursor(Qt::SplitHCursor);
    setAutoFillBackground(true);
}

void PanelSplitter::mousePressEvent(QMouseEvent* event)
{
    if (locked_ || event->button() != Qt::LeftButton) return;
    dragging_ = true;
    // Global coordinates: the bar itself moves while it is dragged.
    pressX_ = event->globalPosition().toPoint().x();
    startWidth_ = panel_->width();
    neighbourWidth_ = neighbour_->width();
}

void PanelSplitter::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_ || locked_) return;
    const int dx = event->globalPosition().toPoint().x() - pressX_;
    panel_->setFixedWidth(draggedPanelWidth(startWidth_, panelOnLeft_ ? dx : -dx, neighbourWidth_, kMinSize));
}

void PanelSplitter::mouseReleaseEvent(QMouseEvent* event)
{
    mouseMoveEvent(event);
    dragging_ = false;
}

int PanelSplitter::draggedPanelWidth(int startWidth, int delta, int neighbourWidth, int minSize)
{
    const int widest = startWidth + neighbourWidth - minSize;
    if (widest < minSize) return startWidth;
    return std::clamp(startWidth + delta, minSize, widest);
}
