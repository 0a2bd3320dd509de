#include "charts/CorrectionView.h"

#include <QtGui/QPainter>

#include "base/NumberLocale.h"
#include "base/TextTable.h"
#include "charts/Tgrafika.h"
#include "link/Tsterownik.h"

using namespace CorrectionCurve;

namespace {

// Numbers with the user's decimal separator and no digit grouping.
QString inputText(const Axis& a, int x)
{
    return a.pressure ? WithDecimalPoint(QString::number(x * 0.01, 'f', 2)) : QString::number(x - 128);
}

}  // namespace

CorrectionView::CorrectionView(int view) : axis_(*axisOfView(view)) {}

int CorrectionView::titleTextId() const { return 1210 + axis_.view; }

uint8_t* CorrectionView::region(const TGrafika& chart) const
{
    return chart.link() ? chart.link()->mem.block(axis_.block) : nullptr;
}

void CorrectionView::selected(TGrafika& chart)
{
    selected_ = -1;
    if (chart.link()) chart.link()->CzytajZeSterownika(axis_.mask);
}

void CorrectionView::buildBackground(TGrafika& chart, QPainter& p)
{
    const ChartLayout::Plot& pl = chart.plot();
    const ChartColours& c = chart.chartColours();
    const int step = axis_.pressure ? 25 : 10;
    const int range = axis_.range();
    // Vertical grid lines inside the plot, then the solid 0 % line.
    p.setPen(QPen(c.grid, 1, Qt::DotLine));
    for (int off = step; off < range; off += step) {
        const int x = pl.width * off / range + pl.left;
        p.drawLine(x, pl.top(), x, pl.bottom);
    }
    p.setPen(QPen(c.grid, 1));
    const int zero = ChartLayout::gridLineY(pl, 5);
    p.drawLine(pl.left, zero, pl.right(), zero);
    for (int off = 0; off <= range; off += step) {
        const QString label =
            axis_.pressure ? WithDecimalPoint(QString::number(off * 0.01 + 0.5, 'g')) : QString::number(off - 30);
        chart.drawXTick(p, pl.width * off / range + pl.left, label);
    }
    chart.drawXCaption(p, TextById(axis_.captionId));
    for (int g = 0; g <= 10; ++g) {
        const int y = pl.bottom - pl.height * g / 10;
        p.setPen(QPen(c.grid, 1));
        p.drawLine(pl.left, y, pl.left - 6, y);
        p.setPen(QPen(chart.textColour(), 1));
        TGrafika::drawTextAt(p, pl.left - 20, y - 6, QString::number(g * 10 - 50));
    }
    chart.drawYCaption(p, -2, TextById(1708));
    // The setting the curve works around: switch-over temperature, minimum gas temperature or
    // minimum gas pressure.
    if (!chart.link()) return;
    const int s = (SettingsReader(chart.link()->mem).*axis_.marker)();
    const int x = (s - axis_.xLo) * pl.width / range + pl.left;
    p.setPen(QPen(c.grid, 1, Qt::DashLine));
    p.drawLine(x, pl.bottom, x, pl.top());
    const QString label =
        axis_.pressure ? WithDecimalPoint(QString::number(s * 0.01, 'f', 2)) : QString::number(s - 128);
    TGrafika::drawTextAt(p, x + 1, pl.bottom - 16, QStringLiteral(" ") + label + QStringLiteral(" "));
}

void CorrectionView::render(TGrafika& chart, QPainter& p)
{
    uint8_t* r = region(chart);
    if (!r) return;
    if (usedCount(r) <= 1) {
        // The region holds no curve: the default one replaces it.
        clearCorrection(chart);
        return;
    }
    const ChartLayout::Plot& pl = chart.plot();
    QPoint points[kPoints];
    int used[kPoints];
    int n = 0;
    for (int k = 0; k < kPoints; ++k) {
        if (!inUse(r, k)) continue;
        points[n] = QPoint(xToPixel(pl, axis_, x(r, k)), yToPixel(pl, y(r, k)));
        used[n++] = k;
    }
    const ChartColours& c = chart.chartColours();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(c.curve, 3));
    p.drawPolyline(points, n);
    const bool focused = chart.hasChartFocus();
    p.setPen(QPen(Qt::black, 1));
    for (int i = 0; i < n; ++i) {
        const bool lit = focused && (selected_ == used[i] || selected_ < 0);
        p.setBrush(lit ? QColor(255, 255, 0) : c.curve);
        p.drawEllipse(QRect(points[i].x() - 5, points[i].y() - 5, 10, 10));
    }
    p.setBrush(Qt::NoBrush);
    if (!focused || !inUse(r, selected_)) return;
    const int px = xToPixel(pl, axis_, x(r, selected_)), py = yToPixel(pl, y(r, selected_));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(255, 255, 221));
    p.drawRect(px - 14, py + 10, 28, 26);
    p.setBrush(Qt::NoBrush);
    const int yv = y(r, selected_);
    QString correction = QString::number(int(yv * 0.78125 - 100));
    if (yv > kYZero) correction.prepend(QLatin1Char('+'));
    TGrafika::drawTextAt(p, px - 12, py + 10, inputText(axis_, x(r, selected_)));
    TGrafika::drawTextAt(p, px - 12, py + 22, correction);
}

void CorrectionView::liveData(TGrafika& chart, const LiveFrame& frame)
{
    // The curves' temperature axes hold degrees + 128 (0..255), the pressure axis 0.01 bar.
    const int reading = axis_.view == 2   ? frame.reducerTemperature() + 128
                        : axis_.view == 3 ? frame.gasTemperature() + 128
                                          : frame.gasPressure();
    chart.MoveCursor(cursorPixel(chart.plot(), axis_, reading), -1);
}

int CorrectionView::hitTest(const TGrafika& chart, QPoint pos) const
{
    const ChartLayout::Plot& pl = chart.plot();
    const uint8_t* r = region(chart);
    if (!r || !contains(pl, pos.x(), pos.y())) return -1;
    return pointNear(r, pixelToX(pl, axis_, pos.x()), pixelToY(pl, pos.y()));
}

void CorrectionView::mousePress(TGrafika& chart, QPoint pos, Qt::MouseButton button)
{
    const ChartLayout::Plot& pl = chart.plot();
    uint8_t* r = region(chart);
    if (!r || !contains(pl, pos.x(), pos.y())) return;
    chart.FocusChart();
    if (button == Qt::RightButton) {
        if (addPointAt(r, pixelToX(pl, axis_, pos.x()), selected_) == Edit::Recompute) recomputeAndWrite(chart);
        return;
    }
    selected_ = hitTest(chart, pos);
    chart.Render();
}

void CorrectionView::keyDown(TGrafika& chart, int key, Qt::KeyboardModifiers shift)
{
    uint8_t* r = region(chart);
    if (!r || !chart.hasChartFocus()) return;
    const bool ctrl = shift & Qt::ControlModifier;
    switch (key) {
        case Qt::Key_PageUp: apply(chart, nextPoint(r, selected_)); break;
        case Qt::Key_PageDown: apply(chart, previousPoint(r, selected_)); break;
        case Qt::Key_Home:
            selected_ = 0;
            chart.Render();
            break;
        case Qt::Key_End:
            selected_ = 7;
            chart.Render();
            break;
        case Qt::Key_Up: apply(chart, raise(r, selected_, 1)); break;
        case Qt::Key_Down: apply(chart, raise(r, selected_, -1)); break;
        case Qt::Key_Left: apply(chart, ctrl ? previousPoint(r, selected_) : moveLeft(r, axis_, selected_)); break;
        case Qt::Key_Right: apply(chart, ctrl ? nextPoint(r, selected_) : moveRight(r, axis_, selected_)); break;
        case Qt::Key_Insert: apply(chart, insertPoint(r, selected_)); break;
        case Qt::Key_Delete: apply(chart, deletePoint(r, selected_)); break;
        default: break;
    }
}

void CorrectionView::apply(TGrafika& chart, Edit edit)
{
    switch (edit) {
        case Edit::None: break;
        case Edit::Render: chart.Render(); break;
        case Edit::Recompute: recomputeAndWrite(chart); break;
        case Edit::Beep: chart.Beep(); break;
    }
}

void CorrectionView::recomputeAndWrite(TGrafika& chart)
{
    uint8_t* r = region(chart);
    if (!r) return;
    selected_ = recompute(r, selected_);
    r[0] = static_cast<uint8_t>(axis_.block);
    chart.link()->ZapiszDoSterownika(axis_.mask);
    chart.Render();
}

void CorrectionView::clearCorrection(TGrafika& chart)
{
    uint8_t* r = region(chart);
    if (!r) return;
    clear(r, axis_);
    chart.link()->ZapiszDoSterownika(axis_.mask);
    chart.Render();
}
