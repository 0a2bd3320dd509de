#include "charts/TableGrid.h"

#include <QtGui/QFontMetrics>
#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtWidgets/QToolTip>

#include <algorithm>

#include "base/OwnTexts.h"
#include "base/TextTable.h"

namespace {

constexpr QRgb kMagenta = qRgb(255, 0, 255);

}  // namespace

TableGrid::TableGrid(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setFontSizes(8, 8);
}

void TableGrid::setPitch(int column, int row)
{
    if (column == column_ && row == row_) return;
    column_ = column;
    row_ = row;
    update();
}

void TableGrid::setFontSizes(int body, int corner)
{
    bodySize_ = body;
    cornerSize_ = corner;
    bodyFont_ = sizedFont(body);
    cornerFont_ = sizedFont(corner);
    zeroHeightBody_ = QFontMetrics(bodyFont_).height();
    zeroHeightCorner_ = QFontMetrics(cornerFont_).height();
    for (CellData& c : cells_) c.staticText = QStaticText();
    update();
}

QFont TableGrid::sizedFont(int size) const
{
    QFont f = font();
    f.setPointSize(std::max(1, size));
    return f;
}

void TableGrid::setLineColours(QColor lines, QColor background)
{
    lines_ = lines;
    fill_ = background;
    update();
}

bool TableGrid::setCell(int column, int row, const QString& text, QRgb background, QRgb textColour)
{
    CellData& c = cells_[index(column, row)];
    if (c.text == text && c.background == background && c.textColour == textColour) return false;
    if (c.text != text) {
        c.text = text;
        c.staticText = QStaticText();
    }
    c.background = background;
    c.textColour = textColour;
    updateCell(column, row);
    return true;
}

bool TableGrid::setText(int column, int row, const QString& text)
{
    const CellData& c = cells_[index(column, row)];
    return setCell(column, row, text, c.background, c.textColour);
}

void TableGrid::setSelection(const QRect& cells)
{
    const QRect clipped = cells.normalized().intersected(QRect(1, 1, 16, 16));
    if (clipped.isEmpty() || clipped == selection_) return;
    updateFrame(selection_);
    selection_ = clipped;
    anchor_ = clipped.topLeft();
    current_ = clipped.bottomRight();
    updateFrame(selection_);
    if (onSelectionChanged) onSelectionChanged();
}

void TableGrid::setMirroredSelection(const QRect& cells)
{
    if (cells == mirrored_) return;
    updateFrame(mirrored_);
    mirrored_ = cells;
    updateFrame(mirrored_);
}

void TableGrid::setLiveCell(GridGeometry::Cell cell)
{
    if (cell == live_) return;
    if (live_.valid()) updateCell(live_.column, live_.row);
    live_ = cell;
    if (live_.valid()) updateCell(live_.column, live_.row);
}

QRect TableGrid::cellRect(int column, int row) const
{
    return QRect(column * column_, row * row_, column_ - 1, row_ - 1);
}

GridGeometry::Cell TableGrid::cellAt(QPoint pos) const
{
    GridGeometry::Layout g;
    g.column = column_;
    g.row = row_;
    return GridGeometry::hit(g, pos.x(), pos.y());
}

void TableGrid::updateCell(int column, int row) { update(cellRect(column, row)); }

void TableGrid::updateFrame(const QRect& cells)
{
    if (cells.isEmpty()) return;
    update(cellRect(cells.left(), cells.top()).united(cellRect(cells.right(), cells.bottom())));
}

void TableGrid::selectTo(int column, int row, bool extend)
{
    column = std::clamp(column, 1, 16);
    row = std::clamp(row, 1, 16);
    const QPoint anchor = extend ? anchor_ : QPoint(column, row);
    const QRect next = QRect(anchor, QPoint(column, row)).normalized();
    if (next != selection_) {
        updateFrame(selection_);
        selection_ = next;
        updateFrame(selection_);
        if (onSelectionChanged) onSelectionChanged();
    }
    anchor_ = anchor;
    current_ = QPoint(column, row);
}

void TableGrid::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QRect dirty = event->rect();
    p.fillRect(dirty, fill_);
    const GridGeometry::Layout g{column_, row_, 0, 0, 0};
    if (!g.usable()) return;
    // Grid lines: one pixel right of and below every cell.
    p.setPen(lines_);
    for (int k = 0; k < kCells; ++k) {
        const int x = k * column_ + column_ - 1, y = k * row_ + row_ - 1;
        if (x >= dirty.left() && x <= dirty.right()) p.drawLine(x, 0, x, kCells * row_ - 1);
        if (y >= dirty.top() && y <= dirty.bottom()) p.drawLine(0, y, kCells * column_ - 1, y);
    }
    const QRect frame = hasFocus() ? selection_ : mirrored_;
    const int c0 = std::max(0, dirty.left() / column_), c1 = std::min(kCells - 1, dirty.right() / column_);
    const int r0 = std::max(0, dirty.top() / row_), r1 = std::min(kCells - 1, dirty.bottom() / row_);
    for (int r = r0; r <= r1; ++r)
        for (int k = c0; k <= c1; ++k) paintCell(p, k, r, frame.contains(k, r));
}

void TableGrid::paintCell(QPainter& p, int column, int row, bool selected)
{
    ++paintedCells;
    CellData& c = cells_[index(column, row)];
    const QRect r = cellRect(column, row);
    if (selected) {
        p.fillRect(r, QColor(kMagenta));
        const QRect& s = hasFocus() ? selection_ : mirrored_;
        const QRect inner = r.adjusted(column == s.left() ? 2 : 0, row == s.top() ? 2 : 0, column == s.right() ? -2 : 0,
                                       row == s.bottom() ? -2 : 0);
        p.fillRect(inner, QColor(c.background));
    } else {
        p.fillRect(r, QColor(c.background));
    }
    const bool corner = column == 0 && row == 0;
    if (corner) {
        p.setPen(Qt::red);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    if (live_.valid() && live_.column == column && live_.row == row) {
        p.setPen(Qt::black);
        p.setBrush(QColor(kMagenta));
        // The outline is drawn on the rectangle's edges, one pixel beyond its size: the circle is
        // one pixel smaller than the cell, so it never touches the grid line below, which a move
        // of the marker (repainting the cell alone) would leave behind.
        p.drawEllipse(QRect(r.left(), r.top(), r.height() - 1, r.height() - 1));
        p.setBrush(Qt::NoBrush);
    }
    if (c.text.isEmpty()) return;
    const QFont& font = corner ? cornerFont_ : bodyFont_;
    p.setFont(font);
    if (c.staticText.text().isEmpty()) {
        c.staticText.setText(c.text);
        c.staticText.setTextFormat(Qt::PlainText);
        c.staticText.prepare(QTransform(), font);
    }
    const QSizeF size = c.staticText.size();
    const int y = r.top() + (r.height() - (corner ? zeroHeightCorner_ : zeroHeightBody_)) / 2;
    // Body cells are right-aligned one pixel from the right edge, headers and the corner centred.
    const bool body = column > 0 && row > 0;
    const int x = body ? r.right() - 1 - int(size.width()) : r.left() + (r.width() - int(size.width())) / 2;
    p.setPen(QColor(c.textColour));
    p.drawStaticText(x, y, c.staticText);
}

void TableGrid::mousePressEvent(QMouseEvent* event)
{
    const GridGeometry::Cell cell = cellAt(event->position().toPoint());
    if (cell.valid() && cell.column > 0 && cell.row > 0 && event->button() == Qt::LeftButton)
        selectTo(cell.column, cell.row, event->modifiers() & Qt::ShiftModifier);
    if (onPress) onPress(cell, event->button());
}

void TableGrid::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton)) return;
    const GridGeometry::Cell cell = cellAt(event->position().toPoint());
    if (cell.valid() && cell.column > 0 && cell.row > 0) selectTo(cell.column, cell.row, true);
}

void TableGrid::keyPressEvent(QKeyEvent* event)
{
    if (onKey && onKey(event)) return;
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    QPoint to = current_;
    switch (event->key()) {
        case Qt::Key_Left: to.rx() -= 1; break;
        case Qt::Key_Right: to.rx() += 1; break;
        case Qt::Key_Up: to.ry() -= 1; break;
        case Qt::Key_Down: to.ry() += 1; break;
        case Qt::Key_Home: to.rx() = 1; break;
        case Qt::Key_End: to.rx() = 16; break;
        default: QWidget::keyPressEvent(event); return;
    }
    selectTo(to.x(), to.y(), extend);
}

void TableGrid::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    updateFrame(selection_.united(mirrored_));
    if (onFocusChanged) onFocusChanged();
}

void TableGrid::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    updateFrame(selection_.united(mirrored_));
    if (onFocusChanged) onFocusChanged();
}

// A resting mouse shows how cells are selected and changed.
bool TableGrid::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                           keysHint.isEmpty() ? TextById(OwnText::MapHint) : keysHint, this);
        return true;
    }
    return QWidget::event(event);
}
