#pragma once

#include <QtWidgets/QWidget>

#include <functional>

// A small owner-drawn grid of 28 x 28 cells with one-pixel lines, as the injector assignment uses:
// its owner draws each cell and is told which cell was clicked.
class SeqGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCell = 28;
    static constexpr int kPitch = kCell + 1;

    explicit SeqGrid(QWidget* parent = nullptr);

    // Column and row count; the widget takes count x 29 pixels in each direction.
    void setSize(int columns, int rows);
    int columns() const { return columns_; }
    int rows() const { return rows_; }
    // Inner rectangle of a cell (without the line).
    QRect cellRect(int column, int row) const;
    QColor lineColour = Qt::black;

    std::function<void(QPainter& p, const QRect& r, int column, int row)> OnDrawCell;
    std::function<void(int column, int row)> OnSelectCell;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int columns_ = 1;
    int rows_ = 1;
};
