#pragma once

#include <QtGui/QColor>
#include <QtGui/QFont>
#include <QtGui/QStaticText>
#include <QtWidgets/QWidget>

#include <array>
#include <functional>

#include "charts/GridGeometry.h"

// One owner-drawn 17 x 17 grid of the table views (a header row at the top, a header column at
// the left): cell texts and colours set by the view, a rectangular selection over the body, a live
// cell marker and a selection frame mirrored from another grid. Changing a text, a colour or the
// marker repaints only the cells concerned.
class TableGrid : public QWidget {
public:
    static constexpr int kCells = GridGeometry::kCells;

    explicit TableGrid(QWidget* parent = nullptr);

    // Column pitch C and row pitch F (cells are one pixel smaller: the grid lines).
    void setPitch(int column, int row);
    int columnPitch() const { return column_; }
    int rowPitch() const { return row_; }
    // Font sizes of the body and header cells, and of the corner cell.
    void setFontSizes(int body, int corner);
    int bodyFontSize() const { return bodySize_; }
    int cornerFontSize() const { return cornerSize_; }
    // Colour of the grid lines and of the space around the cells.
    void setLineColours(QColor lines, QColor background);
    // The grid's face at `size` points.
    QFont sizedFont(int size) const;

    // Cell (column, row) text and colours. Returns whether anything changed.
    bool setCell(int column, int row, const QString& text, QRgb background, QRgb textColour);
    bool setText(int column, int row, const QString& text);
    const QString& text(int column, int row) const { return cells_[index(column, row)].text; }
    QRgb background(int column, int row) const { return cells_[index(column, row)].background; }

    // The selection over the body cells, as grid columns left..right and rows top..bottom.
    QRect selection() const { return selection_; }
    void setSelection(const QRect& cells);
    // A selection frame drawn whatever the focus (the map grid shows the table grid's); an empty
    // rectangle draws none.
    void setMirroredSelection(const QRect& cells);
    QRect mirroredSelection() const { return mirrored_; }

    // The live cell's marker, an invalid cell for none.
    void setLiveCell(GridGeometry::Cell cell);
    GridGeometry::Cell liveCell() const { return live_; }

    // Pixel rectangle of a cell inside the grid.
    QRect cellRect(int column, int row) const;
    GridGeometry::Cell cellAt(QPoint pos) const;

    // A press on a cell (invalid cell: on the margin); the grid has already moved its selection.
    std::function<void(GridGeometry::Cell, Qt::MouseButton)> onPress;
    // Every key press before the grid's own keys; true when the key was taken.
    std::function<bool(QKeyEvent*)> onKey;
    // The selection changed (mouse or keys).
    std::function<void()> onSelectionChanged;
    // The grid took or lost the keyboard focus.
    std::function<void()> onFocusChanged;

    // The tooltip of a resting mouse: what the keys do to the table (the view sets it); the general
    // selection hint while empty.
    QString keysHint;

    // Cells painted since construction (tests and benchmarks check partial repaints).
    int paintedCells = 0;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    struct CellData {
        QString text;
        QStaticText staticText;
        QRgb background = qRgb(255, 255, 255);
        QRgb textColour = qRgb(0, 0, 0);
    };
    static int index(int column, int row) { return row * kCells + column; }
    void updateCell(int column, int row);
    void updateFrame(const QRect& cells);
    void selectTo(int column, int row, bool extend);
    void paintCell(QPainter& p, int column, int row, bool showSelection);

    std::array<CellData, kCells * kCells> cells_{};
    int column_ = 20;
    int row_ = 16;
    int bodySize_ = 8;
    int cornerSize_ = 8;
    QFont bodyFont_;
    QFont cornerFont_;
    int zeroHeightBody_ = 0;
    int zeroHeightCorner_ = 0;
    QColor lines_{160, 160, 160};
    QColor fill_{240, 240, 240};
    QRect selection_{1, 1, 1, 1};
    QPoint anchor_{1, 1};
    QPoint current_{1, 1};
    QRect mirrored_;
    GridGeometry::Cell live_;
};
