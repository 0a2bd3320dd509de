#include "dialogs/DiffHeatMap.h"

#include <QtGui/QHelpEvent>
#include <QtGui/QPainter>
#include <QtWidgets/QToolTip>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kCells = 16;
constexpr int kGap = 4;

// Black or white, whichever reads better on `fill`.
QColor textOn(const QColor& fill) { return fill.lightnessF() > 0.55 ? QColor(Qt::black) : QColor(Qt::white); }

QFont pixelFont(QFont f, int size, bool bold = false)
{
    f.setPixelSize(size);
    f.setBold(bold);
    return f;
}

}  // namespace

DiffHeatMap::DiffHeatMap(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(360, 320);
    setMouseTracking(true);
}

void DiffHeatMap::setData(const std::array<double, 256>& differences, int decimals, const ChartColours& colours,
                          const Axes& axes)
{
    d_ = differences;
    decimals_ = decimals;
    colours_ = colours;
    axes_ = axes;
    largest_ = 0;
    for (double v : d_) largest_ = std::max(largest_, std::abs(v));
    shown_ = true;
    update();
}

void DiffHeatMap::clear()
{
    shown_ = false;
    axes_ = {};
    update();
}

int DiffHeatMap::byteAt(int row, int column) const
{
    if (row < 0 || row >= kCells || column < 0 || column >= kCells) return -1;
    return axes_.mapLayout ? kCells * column + (kCells - 1 - row) : kCells * row + column;
}

QColor DiffHeatMap::background() const
{
    return colours_.plotBackground.isValid() ? colours_.plotBackground : QColor(Qt::white);
}

// The labels take a line of their own above and a column of their own on the left (with the row
// axis's title turned upright); the cells fill the square that is left.
DiffHeatMap::Geometry DiffHeatMap::geometry() const
{
    Geometry g;
    const int rough = std::min(width(), height()) / (kCells + 3);
    g.labelSize = std::clamp(rough * 2 / 5, 9, 13);
    const QFontMetrics fm(pixelFont(font(), g.labelSize));
    int widest = 0;
    for (const QString& s : axes_.rows) widest = std::max(widest, fm.horizontalAdvance(s));
    g.left = fm.height() + kGap + widest + kGap;
    g.top = 2 * fm.height() + kGap;
    g.cell = std::max(0, std::min((width() - g.left - 1) / kCells, (height() - g.top - 1) / kCells));
    return g;
}

QRect DiffHeatMap::cellRect(int row, int column) const
{
    const Geometry g = geometry();
    return {g.left + column * g.cell, g.top + row * g.cell, g.cell, g.cell};
}

QString DiffHeatMap::valueText(double d) const { return QString::number(d, 'f', decimals_); }

int DiffHeatMap::numberPixelSize() const
{
    const int cell = geometry().cell;
    QString widest;
    for (double v : d_)
        if (v != 0 && valueText(v).size() > widest.size()) widest = valueText(v);
    if (widest.isEmpty()) widest = valueText(0);
    for (int size = std::min(15, cell / 2); size >= 9; --size)
        if (QFontMetrics(pixelFont(font(), size, true)).horizontalAdvance(widest) + 4 <= cell) return size;
    return 0;
}

void DiffHeatMap::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor back = background();
    p.fillRect(rect(), back);
    if (!shown_) return;
    const Geometry g = geometry();
    if (g.cell < 1) return;
    const QColor ink = textOn(back);
    const QFont labels = pixelFont(font(), g.labelSize);
    const QFontMetrics fm(labels);
    p.setFont(labels);
    p.setPen(ink);

    // The column axis: its title over its labels.
    const int gridWidth = kCells * g.cell;
    p.drawText(QRect(g.left, 0, gridWidth, fm.height()), Qt::AlignCenter, axes_.columnTitle);
    // Labels wider than a cell stand over every other column, so that neighbours never run together.
    int widestColumn = 0;
    for (const QString& label : axes_.columns) widestColumn = std::max(widestColumn, fm.horizontalAdvance(label));
    const int every = widestColumn + 6 > g.cell ? 2 : 1;
    for (int c = 0; c < kCells && c < axes_.columns.size(); c += every) {
        const QRect box(g.left + c * g.cell - g.cell / 2, fm.height() + kGap / 2, 2 * g.cell, fm.height());
        p.drawText(box, Qt::AlignCenter, fm.elidedText(axes_.columns[c], Qt::ElideRight, 2 * g.cell));
    }
    // The row axis: its title upright along the left edge, the labels right-aligned beside the rows.
    p.save();
    p.translate(0, g.top + kCells * g.cell / 2);
    p.rotate(-90);
    p.drawText(QRect(-kCells * g.cell / 2, 0, kCells * g.cell, fm.height()), Qt::AlignCenter, axes_.rowTitle);
    p.restore();
    for (int r = 0; r < kCells && r < axes_.rows.size(); ++r)
        p.drawText(QRect(0, g.top + r * g.cell, g.left - kGap, g.cell), Qt::AlignRight | Qt::AlignVCenter,
                   axes_.rows[r]);

    const int numbers = numberPixelSize();
    p.setFont(pixelFont(font(), std::max(numbers, 9), true));
    for (int r = 0; r < kCells; ++r) {
        for (int c = 0; c < kCells; ++c) {
            const double d = d_[static_cast<size_t>(byteAt(r, c))];
            const QRect box = cellRect(r, c);
            const QColor fill = cellColour(d, largest_, back);
            p.fillRect(box, fill);
            p.setPen(colours_.grid.isValid() ? colours_.grid : QColor(Qt::gray));
            p.drawRect(box.adjusted(0, 0, -1, -1));
            if (d != 0 && numbers > 0) {
                p.setPen(textOn(fill));
                p.drawText(box, Qt::AlignCenter, valueText(d));
            }
        }
    }
    p.setPen(colours_.plotBorder.isValid() ? colours_.plotBorder : ink);
    p.drawRect(g.left, g.top, gridWidth - 1, kCells * g.cell - 1);
}

bool DiffHeatMap::event(QEvent* e)
{
    if (e->type() != QEvent::ToolTip) return QWidget::event(e);
    auto* help = static_cast<QHelpEvent*>(e);
    const Geometry g = geometry();
    const QPoint at = help->pos() - QPoint(g.left, g.top);
    const int c = g.cell > 0 && at.x() >= 0 ? at.x() / g.cell : -1;
    const int r = g.cell > 0 && at.y() >= 0 ? at.y() / g.cell : -1;
    if (!shown_ || byteAt(r, c) < 0) {
        QToolTip::hideText();
        e->ignore();
        return true;
    }
    const double d = d_[static_cast<size_t>(byteAt(r, c))];
    QString text = axes_.rowTitle + QLatin1Char(' ') + axes_.rows.value(r) + QStringLiteral(", ") + axes_.columnTitle +
                   QLatin1Char(' ') + axes_.columns.value(c) + QStringLiteral(": ") +
                   (d > 0 ? QStringLiteral("+") : QString()) + valueText(d);
    if (!axes_.unit.isEmpty()) text += QLatin1Char(' ') + axes_.unit;
    QToolTip::showText(help->globalPos(), text, this);
    return true;
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
