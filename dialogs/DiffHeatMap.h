#pragma once

#include <QtCore/QStringList>
#include <QtWidgets/QWidget>

#include <array>

#include "ui/Theme.h"

// A 16 x 16 heat map of the cell differences of one map or correction region: the file's value
// minus the controller's, red where the file is higher, blue where it is lower, drawn in the chart
// colours of the theme, with the region's axes along the top and the left and the difference in
// each cell where it fits (and in the tooltip of every cell).
class DiffHeatMap : public QWidget {
    Q_OBJECT
public:
    // What the rows and columns stand for.
    struct Axes {
        QString columnTitle, rowTitle;
        QStringList columns;  // 16 labels, left to right
        QStringList rows;     // 16 labels, top to bottom
        QString unit;         // of the differences
        // A map's layout (cell byte = 16 x RPM cell + load cell): RPM across, the highest load at
        // the top, as the map views show it. Otherwise the bytes run row by row from the top left.
        bool mapLayout = false;
    };

    explicit DiffHeatMap(QWidget* parent = nullptr);

    void setData(const std::array<double, 256>& differences, int decimals, const ChartColours& colours,
                 const Axes& axes);
    void clear();

    const Axes& axes() const { return axes_; }
    bool shown() const { return shown_; }
    // The region byte shown in row `row` (0 top) and column `column` (0 left).
    int byteAt(int row, int column) const;
    // Where that cell is drawn now.
    QRect cellRect(int row, int column) const;
    // Pixel size of the numbers in the cells at the present size; 0 when they do not fit (too small a
    // window): the tooltips still give them.
    int numberPixelSize() const;

    // Colour of difference `d` on a scale whose largest magnitude is `largest`.
    static QColor cellColour(double d, double largest, const QColor& zero);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Geometry {
        int left = 0, top = 0, cell = 0, labelSize = 9;
    };
    Geometry geometry() const;
    QString valueText(double d) const;
    QColor background() const;

    std::array<double, 256> d_{};
    double largest_ = 0;
    int decimals_ = 0;
    bool shown_ = false;
    ChartColours colours_;
    Axes axes_;
};
