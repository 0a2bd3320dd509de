#include "shell/PanelSplitter.h"

#include <QtGui/QMouseEvent>

#include "shell/FrameLayout.h"

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
    panel_->setFixedWidth(
        FrameLayout::draggedPanelWidth(startWidth_, panelOnLeft_ ? dx : -dx, neighbourWidth_, kMinSize));
}

void PanelSplitter::mouseReleaseEvent(QMouseEvent* event)
{
    mouseMoveEvent(event);
    dragging_ = false;
}
