#include "ui/StringGrid.h"

#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QToolTip>

#include "ui/GridCells.h"

StringGrid::StringGrid(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::ClickFocus);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
}

void StringGrid::setColCount(int count)
{
    count = std::max(0, count);
    if (count == colCount()) return;
    QStringList cells(qsizetype(count) * rows_);
    for (int r = 0; r < rows_; ++r)
        for (int c = 0; c < std::min(count, colCount()); ++c) cells[r * count + c] = cells_[index(c, r)];
    cells_ = cells;
    widths_.resize(count, 64);
    viewport()->update();
}

void StringGrid::setRowCount(int count)
{
    count = std::max(0, count);
    if (count == rows_) return;
    rows_ = count;
    cells_.resize(qsizetype(count) * colCount());
    row = std::min(row, std::max(0, rows_ - 1));
    updateScrollRange();
    viewport()->update();
}

void StringGrid::setColWidth(int c, int width)
{
    if (c < 0 || c >= colCount() || widths_[c] == width) return;
    widths_[c] = std::max(0, width);
    viewport()->update();
}

void StringGrid::setDefaultColWidth(int width)
{
    widths_.fill(std::max(0, width));
    viewport()->update();
}

void StringGrid::setDefaultRowHeight(int height)
{
    if (height == rowHeight_) return;
    rowHeight_ = std::max(1, height);
    updateScrollRange();
    viewport()->update();
}

void StringGrid::setCellColours(const QColor& background, const QColor& text)
{
    QPalette p = viewport()->palette();
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::WindowText, text);
    viewport()->setPalette(p);
    viewport()->update();
}

void StringGrid::setLineGap(int gap)
{
    gap_ = std::max(0, gap);
    updateScrollRange();
    viewport()->update();
}

QString StringGrid::cell(int c, int r) const
{
    if (c < 0 || c >= colCount() || r < 0 || r >= rows_) return {};
    return cells_[index(c, r)];
}

void StringGrid::setCell(int c, int r, const QString& text)
{
    if (c < 0 || c >= colCount() || r < 0 || r >= rows_) return;
    cells_[index(c, r)] = text;
    repaintCell(c, r);
}

void StringGrid::clearCells()
{
    for (QString& s : cells_) s.clear();
    viewport()->update();
}

int StringGrid::topRow() const { return verticalScrollBar()->value(); }

void StringGrid::setTopRow(int r) { verticalScrollBar()->setValue(r); }

QRect StringGrid::cellRect(int c, int r) const
{
    if (c < 0 || c >= colCount()) return {};
    int x = 0;
    for (int i = 0; i < c; ++i) x += widths_[i];
    return QRect(x, (r - topRow()) * rowPitch(), widths_[c], rowHeight_);
}

int StringGrid::columnAt(int x) const { return GridCells::columnAt(widths_, 0, x); }

int StringGrid::rowAt(int y) const { return GridCells::rowAt(rowPitch(), topRow(), y, rows_); }

void StringGrid::repaintCell(int c, int r)
{
    const QRect rect = cellRect(c, r);
    if (rect.isValid() && rect.intersects(viewport()->rect())) viewport()->update(rect);
}

void StringGrid::paintEvent(QPaintEvent* event)
{
    QPainter p(viewport());
    p.fillRect(event->rect(), viewport()->palette().color(QPalette::Window));
    if (!onDrawCell) return;
    const int first = topRow();
    const int visible = viewport()->height() / rowPitch() + 2;
    for (int r = first; r < std::min(rows_, first + visible); ++r)
        for (int c = 0; c < colCount(); ++c) {
            const QRect rect = cellRect(c, r);
            if (rect.width() <= 0 || !rect.intersects(event->rect())) continue;
            p.save();
            p.setClipRect(rect);
            onDrawCell(p, c, r, rect);
            p.restore();
        }
}

void StringGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void StringGrid::updateScrollRange()
{
    const int visible = std::max(1, viewport()->height() / rowPitch());
    verticalScrollBar()->setRange(0, std::max(0, rows_ - visible));
    verticalScrollBar()->setPageStep(visible);
}

void StringGrid::scrollContentsBy(int, int) { viewport()->update(); }

void StringGrid::pressAt(const QPoint& pos)
{
    int width = 0;
    for (int w : widths_) width += w;
    const int c = columnAt(pos.x());
    const int r = rowAt(pos.y());
    hit = c >= 0 && r >= 0 && pos.x() < width;
    if (hit) {
        col = c;
        row = r;
    }
}

void StringGrid::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    pressAt(pos);
    pressed_ = hit;
    if (onMouseDown) onMouseDown(event->button(), pos);
    event->accept();
}

void StringGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (pressed_ && onClick && rect().contains(event->position().toPoint())) onClick();
    pressed_ = false;
    event->accept();
}

void StringGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a press too: a quick second click on a switch must
    // switch it back.
    const QPoint pos = event->position().toPoint();
    pressAt(pos);
    pressed_ = false;
    if (onMouseDown) onMouseDown(event->button(), pos);
    if (onDblClick) onDblClick();
    event->accept();
}

void StringGrid::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
        case Qt::Key_Up: row = std::max(0, row - 1); break;
        case Qt::Key_Down: row = std::min(std::max(0, rows_ - 1), row + 1); break;
        case Qt::Key_Left: col = std::max(0, col - 1); break;
        case Qt::Key_Right: col = std::min(std::max(0, colCount() - 1), col + 1); break;
        default: break;
    }
    if (row < topRow()) setTopRow(row);
    const int visible = std::max(1, viewport()->height() / rowPitch());
    if (row >= topRow() + visible) setTopRow(row - visible + 1);
    if (onKeyDown) onKeyDown(event->key());
    viewport()->update();
    event->accept();
}

bool StringGrid::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && onToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int c = columnAt(help->pos().x()), r = rowAt(help->pos().y());
        const QString tip = c >= 0 && r >= 0 ? onToolTip(c, r) : QString();
        if (tip.isEmpty()) QToolTip::hideText();
        else QToolTip::showText(help->globalPos(), tip, viewport(), cellRect(c, r));
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}
