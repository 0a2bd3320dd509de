#include "dialogs/SeqGrid.h"

#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>

SeqGrid::SeqGrid(QWidget* parent) : QWidget(parent) {}

void SeqGrid::setSize(int columns, int rows)
{
    columns_ = std::max(columns, 1);
    rows_ = std::max(rows, 1);
    setFixedSize(columns_ * kPitch, rows_ * kPitch);
    update();
}

QRect SeqGrid::cellRect(int column, int row) const { return QRect(column * kPitch, row * kPitch, kCell, kCell); }

void SeqGrid::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), lineColour);
    for (int r = 0; r < rows_; ++r)
        for (int c = 0; c < columns_; ++c) {
            const QRect cell = cellRect(c, r);
            p.save();
            p.setClipRect(cell);
            if (OnDrawCell) OnDrawCell(p, cell, c, r);
            p.restore();
        }
}

void SeqGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    const QPoint pos = event->position().toPoint();
    const int c = pos.x() / kPitch, r = pos.y() / kPitch;
    if (c < 0 || c >= columns_ || r < 0 || r >= rows_) return;
    if (OnSelectCell) OnSelectCell(c, r);
}
