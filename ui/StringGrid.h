#pragma once

#include <QtCore/QStringList>
#include <QtCore/QVector>
#include <QtWidgets/QAbstractScrollArea>

#include <functional>

// An owner-drawn grid of text cells: the owner paints every cell and reacts to the mouse and keys
// through the handlers, as the main window does for its readings, injection times, channel list
// and OBD panels. Rows follow each other at the default row height plus the line gap; the vertical
// scroll bar moves by whole rows.
class StringGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit StringGrid(QWidget* parent = nullptr);

    void setColCount(int count);
    // Background and text colours of the cells' area (a theme change), repainted.
    void setCellColours(const QColor& background, const QColor& text);
    int colCount() const { return int(widths_.size()); }
    void setRowCount(int count);
    int rowCount() const { return rows_; }
    void setColWidth(int col, int width);
    int colWidth(int col) const { return col >= 0 && col < colCount() ? widths_[col] : 0; }
    // Every column gets `width`.
    void setDefaultColWidth(int width);
    void setDefaultRowHeight(int height);
    int defaultRowHeight() const { return rowHeight_; }
    // Pixels between rows (the grid line's width, drawn or not).
    void setLineGap(int gap);
    int lineGap() const { return gap_; }
    int rowPitch() const { return rowHeight_ + gap_; }

    QString cell(int col, int row) const;
    // Stores the text and repaints that cell.
    void setCell(int col, int row, const QString& text);
    // Empties every cell.
    void clearCells();

    int topRow() const;
    void setTopRow(int row);
    // The cell's rectangle in the viewport's coordinates.
    QRect cellRect(int col, int row) const;
    // Cell under a viewport point, -1 where there is none.
    int columnAt(int x) const;
    int rowAt(int y) const;
    void repaintCell(int col, int row);

    // Current cell, moved by a mouse press on a cell and the arrow keys.
    int col = 0;
    int row = 0;
    // The last press (or double click) landed on a cell; a click counts only then.
    bool hit = false;

    std::function<void(QPainter& painter, int col, int row, const QRect& rect)> onDrawCell;
    std::function<void(Qt::MouseButton button, const QPoint& pos)> onMouseDown;
    std::function<void()> onClick;
    std::function<void()> onDblClick;
    std::function<void(int key)> onKeyDown;
    // The tooltip of a cell when the mouse rests on it (empty: none), such as a text the cell had
    // to cut.
    std::function<QString(int col, int row)> onToolTip;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;

private:
    void updateScrollRange();
    void pressAt(const QPoint& pos);
    int index(int c, int r) const { return r * colCount() + c; }

    QVector<int> widths_;
    QStringList cells_;
    int rows_ = 0;
    int rowHeight_ = 18;
    int gap_ = 1;
    bool pressed_ = false;
};
