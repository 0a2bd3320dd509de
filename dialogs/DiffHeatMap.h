#pragma once

#include <QtWidgets/QWidget>

#include <array>

#include "ui/Theme.h"

// A 16 x 16 heat map of the cell differences of one map or correction region: the file's value
// minus the controller's, red where the file is higher, blue where it is lower, drawn in the chart
// colours of the theme.
class DiffHeatMap : public QWidget {
    Q_OBJECT
public:
    explicit DiffHeatMap(QWidget* parent = nullptr);

    void setData(const std::array<double, 256>& differences, int decimals, const ChartColours& colours);
    void clear();

    // Colour of difference `d` on a scale whose largest magnitude is `largest`.
    static QColor cellColour(double d, double largest, const QColor& zero);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<double, 256> d_{};
    double largest_ = 0;
    int decimals_ = 0;
    bool shown_ = false;
    ChartColours colours_;
};
