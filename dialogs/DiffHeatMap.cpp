#include "dialogs/DiffHeatMap.h"

#include <QtGui/QPainter>

#include <algorithm>
#include <cmath>

DiffHeatMap::DiffHeatMap(QWidget* parent) : QWidget(parent) { setMinimumSize(240, 240); }

void DiffHeatMap::setData(const std::array<double, 256>& differences, int decimals, const ChartColours& colours)
{
    d_ = differences;
    decimals_ = decimals;
    colours_ = colours;
    largest_ = 0;
    for (double v : d_) largest_ = std::max(largest_, std::abs(v));
    shown_ = true;
    update();
}

void DiffHeatMap::clear()
{
    shown_ = false;
    update();
}

QColor DiffHeatMap::cellColour(double d, double largest, const QColor& zero)
{
    if (d == 0 || largest <= 0) return zero;
    // At least a faint tint for the smallest difference, full colour for the largest.
    const double share = 0.25 + 0.75 * std::min(1.0, std::abs(d) / largest);
    const QColor full = d > 0 ? QColor(230, 40, 40) : QColor(40, 80, 230);
    auto mix = [share](int a, int b) { return int(std::lround(a + (b - a) * share)); };
    return QColor(mix(zero.red(), full.red()), mix(zero.green(), full.green()), mix(zero.blue(), full.blue()));
}

void DiffHeatMap::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor background = colours_.plotBackground.isValid() ? colours_.plotBackground : QColor(Qt::white);
    p.fillRect(rect(), background);
    if (!shown_) return;
    const int cell = std::min(width(), height()) / 16;
    if (cell < 1) return;
    QFont f = font();
    f.setPixelSize(std::max(6, cell / 3));
    p.setFont(f);
    for (int r = 0; r < 16; ++r) {
        for (int c = 0; c < 16; ++c) {
            const double d = d_[static_cast<size_t>(r * 16 + c)];
            const QRect box(c * cell, r * cell, cell, cell);
            p.fillRect(box, cellColour(d, largest_, background));
            p.setPen(colours_.grid.isValid() ? colours_.grid : QColor(Qt::gray));
            p.drawRect(box.adjusted(0, 0, -1, -1));
            if (d != 0 && cell >= 18) {
                p.setPen(Qt::black);
                p.drawText(box, Qt::AlignCenter, QString::number(d, 'f', decimals_));
            }
        }
    }
    p.setPen(colours_.plotBorder.isValid() ? colours_.plotBorder : QColor(Qt::black));
    p.drawRect(0, 0, 16 * cell - 1, 16 * cell - 1);
}
