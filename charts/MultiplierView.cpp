#include "charts/MultiplierView.h"

#include <QtCore/QLocale>
#include <QtGui/QFontMetrics>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>

#include <algorithm>

#include "base/OwnTexts.h"
#include "base/Plural.h"
#include "base/TextTable.h"
#include "charts/LeastSquares.h"
#include "charts/MultiplierGeometry.h"
#include "charts/Tgrafika.h"
#include "link/Tsterownik.h"
#include "settings/NamedSettings.h"
#include "tune/MultiplierChangeFile.h"
#include "tune/MultiplierEvidence.h"
#include "tune/TuneApply.h"

using namespace MultiplierGeometry;
using MultiplierNodes::Outcome;

namespace {

static_assert(MultiplierNodes::kSlots == SettingsReader::kMultiplierNodeSlots);

// The legend's texts: the curve, petrol, gas and (from the full view on) the deviation.
constexpr int kLegendIds[4] = {1709, 1700, 1701, 1702};

bool wideScale(const TSterownik& link) { return SettingsReader(link.mem).wideMultiplierScale(); }

// One edit of the curve's nodes: `edit` works on a copy of bank 1's node slots, which goes back
// into the settings before the view acts on the outcome (a recompute reads them again).
template <class Edit>
Outcome editNodes(TSterownik& link, int& selected, Edit edit)
{
    NamedSettings named(link);
    SettingsReader::MultiplierNodeSlots slots = named.multiplierNodes();
    MultiplierNodes::Nodes nodes{slots.data(), link.mem.block(MemoryImage::Multiplier1), selected,
                                 link.mem.timeAxisMax};
    const Outcome outcome = edit(nodes);
    named.setMultiplierNodes(slots);
    return outcome;
}

// Numbers in the user's locale: the general format, or a fixed number of decimals.
QString general(double v) { return QLocale().toString(v, 'g', 15); }
QString fixed(double v, int decimals) { return QLocale().toString(v, 'f', decimals); }

int adaptationOffset(const TSterownik& link) { return link.mem.identity[67] - 128; }

void drawArrow(QPainter& p, int left, int top, bool up)
{
    // 22 x 22 picture: a 14-pixel-wide triangle on a 4-pixel shaft, 16 pixels tall in all.
    const int tipY = up ? top + 3 : top + 18;
    const int baseY = up ? top + 10 : top + 11;
    const QPoint tri[3] = {QPoint(left + 11, tipY), QPoint(left + 4, baseY), QPoint(left + 18, baseY)};
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 255));
    p.drawPolygon(tri, 3);
    p.fillRect(up ? QRect(left + 9, top + 10, 4, 9) : QRect(left + 9, top + 3, 4, 9), QColor(0, 0, 255));
}

// A trend line `width` pixels thick, drawn as one-pixel polylines side by side (into `shifted`, kept
// from render to render): the trend has a point in every pixel column, and a wide pen's stroker
// would cost more than the whole rest of the render.
void drawThick(QPainter& p, const QPolygon& line, QPolygon& shifted, int width, const QColor& colour)
{
    if (line.isEmpty()) return;
    p.setPen(QPen(colour, 1));
    const auto draw = [&](const QPolygon& l) {
        if (l.size() == 1) p.drawPoint(l[0]);
        else p.drawPolyline(l);
    };
    draw(line);
    shifted.resize(line.size());
    for (int d = -(width / 2); d < width - width / 2; ++d) {
        if (d == 0) continue;
        for (const QPoint shift : {QPoint(0, d), QPoint(d, 0)}) {
            for (qsizetype i = 0; i < line.size(); ++i) shifted[i] = line[i] + shift;
            draw(shifted);
        }
    }
}

}  // namespace

MultiplierView::MultiplierView()
{
    line_.reserve(4096);
    shifted_.reserve(4096);
}

QRect MultiplierView::raiseButton(int w, int h)
{
    const int mid = (h - 14) / 2;
    return QRect(QPoint(w - 32, mid - 32), QPoint(w - 3, mid - 3));
}

QRect MultiplierView::lowerButton(int w, int h)
{
    const int mid = (h - 14) / 2;
    return QRect(QPoint(w - 32, mid + 2), QPoint(w - 3, mid + 31));
}

// ---------------------------------------------------------------- background

void MultiplierView::buildBackground(TGrafika& chart, QPainter& p)
{
    if (!chart.link()) return;
    const TSterownik& link = *chart.link();
    const SettingsReader settings(link.mem);
    const ChartLayout::Plot& pl = chart.plot();
    const ChartColours& c = chart.chartColours();
    const int max = link.mem.timeAxisMax;
    const bool wide = settings.wideMultiplierScale();
    const bool voltage = settings.loadIsVoltage();
    const int scale = settings.pressureScale();
    const QColor difference = QColor::fromRgb(kDifference);
    const QColor text = chart.textColour();

    // Dotted vertical grid lines, and the solid line at 1.00.
    p.setPen(QPen(c.grid, 1, Qt::DotLine));
    for (int k = 1; k <= 9; ++k) {
        const int x = ChartLayout::gridLineX(pl, k);
        p.drawLine(x, pl.top(), x, pl.bottom);
    }
    p.setPen(QPen(c.grid, 1));
    const int one = ChartLayout::gridLineY(pl, wide ? 4 : 5);
    p.drawLine(pl.left, one, pl.right(), one);

    // Time axis.
    for (int t = 0; t <= max; t += 20) chart.drawXTick(p, timeX(pl, t, max), QString::number(t / 10));
    chart.drawXCaption(p, TextById(1703));

    // Pressure (or voltage) axis on the right.
    for (int g = 0; g <= 100; g += 10) {
        const int y = pl.bottom - pl.height * g / 100;
        p.setPen(QPen(c.grid, 1));
        p.drawLine(pl.right(), y, pl.right() + 6, y);
        p.setPen(text);
        TGrafika::drawTextAt(p, pl.right() + 8, y - 6, general(g * scale * 0.0001 * (voltage ? 2 : 1)));
    }
    chart.drawYCaption(p, pl.right() + 27, TextById(voltage ? 1719 : 1707));

    // Difference scale, with whose pen the multiplier ticks are then drawn.
    QPen tickPen(c.grid, 1);
    if (chart.viewLevel() > 0) {
        int y0 = 0;
        p.setPen(difference);
        for (int h = -1; h <= 1; ++h) {
            const int y = static_cast<int>(pl.bottom - 0.2 * pl.height - (pl.height * h) / 10);
            if (h == 0) y0 = y;
            const QString label = h > 0 ? QStringLiteral("+%1").arg(2 * h) : QString::number(2 * h);
            TGrafika::drawTextRightAt(p, pl.right() - 2, y - 6, label);
        }
        tickPen = QPen(difference, 1, Qt::DotLine);
        p.setPen(tickPen);
        p.drawLine(pl.left, y0, pl.right(), y0);
    }

    // Multiplier axis on the left.
    const int steps = wide ? 5 : 10;
    for (int i = 0; i <= steps; ++i) {
        const int g = wide ? 5 * i : i;
        const int y = pl.bottom - pl.height * g / (wide ? 25 : 10);
        p.setPen(tickPen);
        p.drawLine(pl.left, y, pl.left - 6, y);
        p.setPen(text);
        TGrafika::drawTextRightAt(p, pl.left - 6, y - 6, fixed(g * 0.1 + (wide ? 0 : 0.5), 1));
    }
    chart.drawYCaption(p, -2, TextById(1709));

    // Petrol-time marker.
    if (const int m = settings.petrolTime()) {
        const int x = static_cast<int>(m * 0.05 * pl.width * 10 / 200 + pl.left);
        p.setPen(QPen(c.grid, 1, Qt::DashLine));
        p.drawLine(x, pl.bottom, x, pl.top());
        p.setPen(c.grid);
        TGrafika::drawTextAt(p, x + 1, pl.bottom - 16, QLatin1Char(' ') + fixed(m * 0.05, 2) + QLatin1Char(' '));
    }

    // Legend, on the plot's own background.
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(c.plotBackground);
    const QColor colours[4] = {c.curve, QColor::fromRgb(kPetrol), QColor::fromRgb(kGas), difference};
    const int rows = chart.viewLevel() > 0 ? 4 : 3;
    for (int i = 0; i < rows; ++i) {
        p.setPen(colours[i]);
        TGrafika::drawTextAt(p, pl.left + 20, pl.top() + 20 * (i + 1),
                             QStringLiteral("----") + TextById(kLegendIds[i]));
    }
    p.setBackgroundMode(Qt::TransparentMode);

    // The shift buttons at the right edge.
    p.setPen(QPen(c.buttonBorder, 1));
    p.setBrush(c.buttonFill);
    for (const QRect& r : {raiseButton(chart.width(), chart.height()), lowerButton(chart.width(), chart.height())})
        p.drawRoundedRect(r, 2.5, 2.5);
    const int mid = (chart.height() - 14) / 2;
    drawArrow(p, chart.width() - 28, mid - 28, true);
    drawArrow(p, chart.width() - 28, mid + 6, false);
    p.setBrush(Qt::NoBrush);
}

// ---------------------------------------------------------------- data

void MultiplierView::render(TGrafika& chart, QPainter& p)
{
    if (!chart.link()) return;
    TSterownik& link = *chart.link();
    if (SettingsReader(link.mem).adaptationOn()) {
        const QString caption = TextById(3810) + QStringLiteral("   ") + general((link.mem.identity[66] - 128) * 0.02) +
                                QStringLiteral(" , ") + general((link.mem.identity[67] - 128) * 0.02) +
                                QStringLiteral("   ");
        p.setPen(chart.textColour());
        TGrafika::drawTextAt(p, (chart.width() - p.fontMetrics().horizontalAdvance(caption)) / 2, 2, caption);
    }
    drawMap(chart, p, link.mem.maps[MemoryImage::PetrolMap].data(), QColor::fromRgb(kPetrol));
    drawMap(chart, p, link.mem.maps[MemoryImage::GasMap].data(), QColor::fromRgb(kGas));
    if (chart.viewLevel() > 0) drawDifference(chart, p);
    drawCurve(chart, p);
    drawDeviation(chart, p);
    drawProposal(chart, p);
}

// ---------------------------------------------------------------- tune assistant

void MultiplierView::drawDeviation(TGrafika& chart, QPainter& p)
{
    // Under the legend: how far apart the maps lie now, and the assistant's keys.
    const MemoryImage& mem = chart.link()->mem;
    const auto& m = mem.maps;
    const MultiplierEvidence::Evidence e =
        MultiplierEvidence::fromMaps(m[MemoryImage::PetrolMap].data(), m[MemoryImage::GasMap].data(), nullptr, nullptr,
                                     mem.block(MemoryImage::Multiplier1));
    const ChartLayout::Plot& pl = chart.plot();
    const int rows = chart.viewLevel() > 0 ? 4 : 3;
    // Where the legend's texts and these two lines lie, kept clear of the node table.
    const QFontMetrics fm = p.fontMetrics();
    const auto lineRect = [&](int row, const QString& text) {
        return QRect(pl.left + 20, pl.top() + 20 * row, fm.horizontalAdvance(text), fm.height());
    };
    legendRect_ = QRect();
    for (int i = 0; i < rows; ++i) legendRect_ |= lineRect(i + 1, QStringLiteral("----") + TextById(kLegendIds[i]));
    if (e.cells.empty()) return;
    const QString deviation = TextById(OwnText::TuneDeviationNow).arg(fixed(e.deviation(), 1));
    const QString keys = TextById(OwnText::TuneKeys);
    legendRect_ |= lineRect(rows + 1, deviation) | lineRect(rows + 2, keys);
    p.setPen(chart.plotTextColour());
    TGrafika::drawTextAt(p, pl.left + 20, pl.top() + 20 * (rows + 1), deviation);
    TGrafika::drawTextAt(p, pl.left + 20, pl.top() + 20 * (rows + 2), keys);
}

void MultiplierView::drawProposal(TGrafika& chart, QPainter& p)
{
    tableRect_ = QRect();
    if (!proposal_) return;
    const TSterownik& link = *chart.link();
    const ChartLayout::Plot& pl = chart.plot();
    const bool wide = wideScale(link);
    const int max = link.mem.timeAxisMax;
    const int offset = adaptationOffset(link);

    // The proposed curve, dashed over the present one, its nodes as open squares.
    QPolygon curve;
    for (const auto& n : proposal_->nodes)
        if (n.position <= max) curve << QPoint(nodeX(pl, n.position, max), nodeY(pl, n.proposed + offset, wide));
    const QColor colour = chart.chartColours().curve;
    p.setPen(QPen(colour, 2, Qt::DashLine));
    p.drawPolyline(curve);
    p.setPen(QPen(colour, 1));
    for (const QPoint& at : curve) p.drawRect(at.x() - 3, at.y() - 3, 6, 6);

    // The node table in the plot's upper right corner, or where it leaves the legend clear, on the
    // plot's own background.
    QStringList lines = TuneAssistant::nodeTable(*proposal_);
    lines << (proposal_->enough
                  ? (proposal_->changed > 0 ? TextById(OwnText::TuneDeviationCount)
                                                  .arg(fixed(proposal_->before, 1))
                                                  .arg(fixed(proposal_->after, 1))
                                                  .arg(Plural::count(proposal_->changed, OwnText::NounNode))
                                            : TextById(OwnText::TuneNoChange))
                  : TuneAssistant::missingText(*proposal_));
    const QFontMetrics fm = p.fontMetrics();
    const int columns = 5;
    std::array<int, columns> width{};
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QStringList cells = lines[i].split(QLatin1Char('\t'));
        for (int c = 0; c < columns && c < cells.size(); ++c)
            width[size_t(c)] = std::max(width[size_t(c)], fm.horizontalAdvance(cells[c]) + 8);
    }
    int total = 0;
    for (int w : width) total += w;
    total = std::max(total, fm.horizontalAdvance(lines.back()) + 8);
    const int rowHeight = fm.height() + 1;
    tableRect_ = nodeTableRect(pl, QSize(total + 4, rowHeight * int(lines.size()) + 4), legendRect_, chart.width());
    // Seen through: on a small window the table covers much of the plot, and the fitter still sees
    // both curves under it.
    QColor shade = chart.chartColours().plotBackground;
    shade.setAlpha(150);
    p.setPen(QPen(chart.chartColours().grid, 1));
    p.setBrush(shade);
    p.drawRect(tableRect_);
    p.setBrush(Qt::NoBrush);
    p.setPen(chart.plotTextColour());
    int y = tableRect_.top() + 2;
    for (qsizetype i = 0; i < lines.size(); ++i, y += rowHeight) {
        if (i + 1 == lines.size()) {
            TGrafika::drawTextAt(p, tableRect_.left() + 4, y, lines[i]);
            break;
        }
        int x = tableRect_.left() + 4;
        const QStringList cells = lines[i].split(QLatin1Char('\t'));
        for (int c = 0; c < columns && c < cells.size(); ++c) {
            TGrafika::drawTextAt(p, x, y, cells[c]);
            x += width[size_t(c)];
        }
    }
}

void MultiplierView::Propose(TGrafika& chart)
{
    if (!chart.link()) return;
    // Only cells learned under the multiplier in force count; while they relearn after a change the
    // table's last line says how many are back.
    bool recordKept = true;
    proposal_ = TuneAssistant::forController(
        chart.link()->mem, MultiplierChangeFile::rootFolder(chart.link()->documentsFolder), recordKept);
    chart.Render();
}

bool MultiplierView::ApplyProposal(TGrafika& chart)
{
    if (!chart.link() || !proposal_ || !proposal_->enough || proposal_->changed == 0 || !chart.link()->alive())
        return false;
    // The configuration as it was goes to the backups first, so the compare window can take it back.
    if (chart.beforeProposalWrite) chart.beforeProposalWrite();
    TSterownik& link = *chart.link();
    std::array<uint8_t, 256> before{};
    std::copy_n(link.mem.block(MemoryImage::Multiplier1), before.size(), before.begin());
    if (!TuneAssistant::apply(link, *proposal_)) return false;
    // The maps relearn from here before the next proposal.
    TuneAssistant::recordChange(MultiplierChangeFile::rootFolder(link.documentsFolder), link.mem, before);
    proposal_.reset();
    chart.Render();
    return true;
}

void MultiplierView::DiscardProposal(TGrafika& chart)
{
    proposal_.reset();
    chart.Render();
}

void MultiplierView::drawFit(TGrafika& chart, QPainter& p, int n, int degree, int width, const QColor& colour)
{
    const ChartLayout::Plot& pl = chart.plot();
    const LeastSquares::Polynomial poly = LeastSquares::fit(xs_.data(), ys_.data(), n, degree);
    const int from = *std::min_element(xs_.begin(), xs_.begin() + n);
    const int to = *std::max_element(xs_.begin(), xs_.begin() + n);
    line_.resize(0);
    for (int x = from; x <= to; ++x) {
        const double y = poly.at(x);
        if (x > pl.right() || y > pl.bottom) continue;
        if (y < pl.top() + 1) break;
        line_.append(QPoint(x, static_cast<int>(y)));
    }
    drawThick(p, line_, shifted_, width, colour);
}

void MultiplierView::drawMap(TGrafika& chart, QPainter& p, const uint8_t* map, QColor colour)
{
    const TSterownik& link = *chart.link();
    const SettingsReader settings(link.mem);
    const ChartLayout::Plot& pl = chart.plot();
    const int max = link.mem.timeAxisMax;
    const int scale = settings.pressureScale();
    const bool anyEngine = settings.anyEngineType();
    // No pressure scale, no place for a point.
    if (scale == 0) return;
    int n = 0;
    for (int l = 0; l < 16; ++l)
        for (int r = 0; r < 16; ++r) {
            const int v = map[16 * r + l];
            int x, y;
            if (!mapPoint(pl, v, settings.loadBreakpoint(l), scale, r, max, x, y)) continue;
            p.fillRect(x - 1, y - 1, 2, 2, colour);
            if (trendCandidate(r, l, v, anyEngine, max)) {
                xs_[size_t(n)] = x;
                ys_[size_t(n)] = y;
                ++n;
            }
        }
    if (n < 3) return;
    drawFit(chart, p, n, n < 9 ? 1 : 2, 4, colour);
}

void MultiplierView::drawDifference(TGrafika& chart, QPainter& p)
{
    const TSterownik& link = *chart.link();
    const ChartLayout::Plot& pl = chart.plot();
    const int max = link.mem.timeAxisMax;
    const uint8_t* petrol = link.mem.maps[MemoryImage::PetrolMap].data();
    const uint8_t* gas = link.mem.maps[MemoryImage::GasMap].data();
    int n = 0;
    for (int r = 0; r <= 12; ++r)
        for (int l = 0; l < 16; ++l) {
            const int pv = petrol[16 * r + l], gv = gas[16 * r + l];
            if (pv == 0 || gv == 0 || pv > 180 || gv > 180) continue;
            xs_[size_t(n)] = timeX(pl, pv, max);
            ys_[size_t(n)] = differenceY(pl, pv, gv);
            ++n;
        }
    if (n < 3) return;
    drawFit(chart, p, n, 1, 3, QColor::fromRgb(kDifference));
    double slope = 0, intercept = 0;
    if (!LeastSquares::line(xs_.data(), ys_.data(), n, slope, intercept)) return;
    const int xa = std::max(*std::min_element(xs_.begin(), xs_.begin() + n), pl.left);
    const int xb = std::min(*std::max_element(xs_.begin(), xs_.begin() + n), pl.right());
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(xa, static_cast<int>(slope * xa + intercept), xb, static_cast<int>(slope * xb + intercept));
}

bool MultiplierView::nodePosition(const TGrafika& chart, int slot, QPoint& at) const
{
    if (!chart.link() || slot < 0 || slot >= MultiplierNodes::kSlots) return false;
    const TSterownik& link = *chart.link();
    const SettingsReader settings(link.mem);
    const int pos = settings.multiplierNode(slot);
    if ((slot != 0 && pos == 0) || pos > link.mem.timeAxisMax) return false;
    const int v = link.mem.block(MemoryImage::Multiplier1)[pos] + adaptationOffset(link);
    at = QPoint(nodeX(chart.plot(), pos, link.mem.timeAxisMax), nodeY(chart.plot(), v, settings.wideMultiplierScale()));
    return true;
}

void MultiplierView::drawCurve(TGrafika& chart, QPainter& p)
{
    const TSterownik& link = *chart.link();
    const ChartColours& c = chart.chartColours();
    QPoint at[MultiplierNodes::kSlots];
    int slotOf[MultiplierNodes::kSlots];
    int n = 0;
    for (int k = 0; k < MultiplierNodes::kSlots; ++k)
        if (nodePosition(chart, k, at[n])) slotOf[n++] = k;
    p.setPen(QPen(c.curve, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(at, n);

    const bool focused = chart.hasChartFocus();
    p.setPen(QPen(Qt::black, 1));
    int boxAt = -1;
    for (int i = 0; i < n; ++i) {
        const bool lit = focused && (slotOf[i] == selected_ || selected_ < 0);
        p.setBrush(lit ? QColor(255, 255, 0) : c.curve);
        p.drawEllipse(at[i].x() - 5, at[i].y() - 5, 9, 9);
        if (slotOf[i] == selected_) boxAt = i;
    }
    p.setBrush(Qt::NoBrush);
    if (!focused || boxAt < 0) return;
    const int x = at[boxAt].x(), y = at[boxAt].y();
    const int pos = SettingsReader(link.mem).multiplierNode(selected_);
    const int v = link.mem.block(MemoryImage::Multiplier1)[pos] + adaptationOffset(link);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(255, 255, 221));
    p.drawRect(x - 14, y + 10, 27, 25);
    p.setBrush(Qt::NoBrush);
    TGrafika::drawTextAt(p, x - 12, y + 10, fixed(pos * 0.1, 1));
    TGrafika::drawTextAt(p, x - 12, y + 22, fixed(v * 0.01, 2));
}

// ---------------------------------------------------------------- live cursor

void MultiplierView::liveData(TGrafika& chart, const LiveFrame& frame)
{
    if (!chart.link()) return;
    const TSterownik& link = *chart.link();
    const Cursor c = liveCursor(chart.plot(), frame, SettingsReader(link.mem), link.mem.timeAxisMax);
    chart.MoveCursor(c.x, c.y);
}

// ---------------------------------------------------------------- editing

void MultiplierView::Recompute(TGrafika& chart)
{
    TSterownik& link = *chart.link();
    editNodes(link, selected_, [](MultiplierNodes::Nodes& nodes) {
        MultiplierNodes::Normalise(nodes);
        return Outcome::Nothing;
    });
    const bool wide = wideScale(link);
    link.WyliczMnoznik(1, MultiplierNodes::lowerLimit(wide), MultiplierNodes::upperLimit(wide));
    link.ZapiszDoSterownika(3);
    chart.Render();
}

void MultiplierView::act(TGrafika& chart, Outcome outcome)
{
    switch (outcome) {
        case Outcome::Beep: chart.Beep(); break;
        case Outcome::Render: chart.Render(); break;
        case Outcome::Recompute: Recompute(chart); break;
        case Outcome::Nothing: break;
    }
}

int MultiplierView::hitTest(const TGrafika& chart, QPoint pos) const
{
    if (!chart.link()) return -1;
    TSterownik& link = *chart.link();
    SettingsReader::MultiplierNodeSlots slots = SettingsReader(link.mem).multiplierNodes();
    int none = -1;
    const MultiplierNodes::Nodes nodes{slots.data(), link.mem.block(MemoryImage::Multiplier1), none,
                                       link.mem.timeAxisMax};
    const int t = pointerTime(chart.plot(), pos.x(), link.mem.timeAxisMax);
    const int v = pointerValue(chart.plot(), pos.y(), wideScale(link));
    return MultiplierNodes::Pick(nodes, t, v, adaptationOffset(link));
}

void MultiplierView::mousePress(TGrafika& chart, QPoint pos, Qt::MouseButton button)
{
    if (!chart.link()) return;
    TSterownik& link = *chart.link();
    const ChartLayout::Plot& pl = chart.plot();
    const QRect widened(QPoint(pl.left - 5, pl.top() - 5), QPoint(pl.right() + 5, pl.bottom + 5));
    if (widened.contains(pos)) {
        chart.FocusChart();
        if (button == Qt::RightButton) {
            const int t = pointerTime(pl, pos.x(), link.mem.timeAxisMax);
            act(chart,
                editNodes(link, selected_, [t](MultiplierNodes::Nodes& n) { return MultiplierNodes::AddAt(n, t); }));
        } else {
            selected_ = hitTest(chart, pos);
            chart.Render();
        }
        return;
    }
    // The shift buttons move the whole curve, with or without the focus.
    const int mid = (chart.height() - 14) / 2;
    if (pos.x() <= chart.width() - 32) return;
    const int delta = pos.y() > mid - 32 && pos.y() < mid - 2 ? +1 : pos.y() > mid + 2 && pos.y() < mid + 32 ? -1 : 0;
    if (delta == 0) return;
    const bool wide = wideScale(link);
    int all = -1;
    act(chart,
        editNodes(link, all, [&](MultiplierNodes::Nodes& n) { return MultiplierNodes::ChangeValue(n, delta, wide); }));
}

void MultiplierView::keyDown(TGrafika& chart, int key, Qt::KeyboardModifiers shift)
{
    if (!chart.link()) return;
    // The assistant's keys work whenever the chart is shown, as the table views' F8 and +/- do: the
    // fitter reads them on the chart and should not have to click the plot first.
    switch (key) {
        case kProposeKey: Propose(chart); return;
        case kApplyKey:
            if (proposal_ && !ApplyProposal(chart)) chart.Beep();
            return;
        case Qt::Key_Escape:
            if (proposal_) DiscardProposal(chart);
            return;
        default: break;
    }
    if (!chart.hasChartFocus()) return;
    TSterownik& link = *chart.link();
    const bool ctrl = shift & Qt::ControlModifier;
    const bool wide = wideScale(link);
    act(chart, editNodes(link, selected_, [&](MultiplierNodes::Nodes& nodes) {
            using namespace MultiplierNodes;
            switch (key) {
                case Qt::Key_PageUp: return Next(nodes);
                case Qt::Key_PageDown: return Previous(nodes);
                case Qt::Key_Home: return First(nodes);
                case Qt::Key_End: return Last(nodes);
                case Qt::Key_Up: return ChangeValue(nodes, +1, wide);
                case Qt::Key_Down: return ChangeValue(nodes, -1, wide);
                case Qt::Key_Left: return ctrl ? Previous(nodes) : Left(nodes);
                case Qt::Key_Right: return ctrl ? Next(nodes) : Right(nodes);
                case Qt::Key_Insert: return Insert(nodes);
                case Qt::Key_Delete: return Delete(nodes);
                default: return Outcome::Nothing;
            }
        }));
}
