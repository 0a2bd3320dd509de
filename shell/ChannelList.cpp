#include "shell/ChannelList.h"

#include <QtGui/QPainter>
#include <QtWidgets/QColorDialog>

#include "base/TextTable.h"
#include "link/Tsterownik.h"
#include "ui/CellPainting.h"

ChannelList::ChannelList(TSterownik& link, QWidget* parent) : StringGrid(parent), link_(link)
{
    setObjectName(QStringLiteral("StringGrid1"));
    setColCount(3);
    setLineGap(0);
    onDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) { drawChannelCell(p, c, r, rect); };
    onMouseDown = [this](Qt::MouseButton, const QPoint& pos) { pressed(pos); };
    // Rebuilt whenever it comes into view (Calibration and Oscilloscope tabs) and when resized.
    CellPainting::watchResize(
        this, [this] { FillChannelList(); }, true);
}

void ChannelList::linkEvent(int kind, int code, int, int)
{
    // A loaded recording or settings file, an injector switch or a new assignment: other channels.
    if (kind == kEventFileLoaded || (kind == kEventFrameReceived && (code == 0x86 || code == 0xE8))) FillChannelList();
}

void ChannelList::relabel() { FillChannelList(); }

void ChannelList::applyColours(const ThemePalette& palette)
{
    palette_ = palette;
    setCellColours(palette.background, palette.text);
}

void ChannelList::FillChannelList()
{
    const int n = link_.PodajIleParamBiez(kChannelScope);
    setRowCount(n);
    const int s = n == 0 ? 18 : std::clamp(height() / n, 18, 22);
    setDefaultColWidth(s);
    setDefaultRowHeight(s);
    setColWidth(2, width() - 2 * s - 4);
    for (int k = 0; k < n; ++k)
        setCell(2, k, QLatin1Char(' ') + TextById(link_.channels()[link_.PodajPozycje(kChannelScope, k)].id));
}

void ChannelList::drawChannelCell(QPainter& p, int c, int r, const QRect& rect)
{
    const int ch = link_.PodajPozycje(kChannelScope, r);
    if (ch >= link_.channels().size()) return;
    const TWykres& w = link_.channels()[ch];
    const bool drawn = w.flags & kChannelDrawn;
    p.fillRect(rect, palette_.background);
    p.setPen(palette_.text);
    if (c == 0) {
        if (drawn) {
            p.setBrush(QColor((w.colour >> 16) & 0xFF, (w.colour >> 8) & 0xFF, w.colour & 0xFF));
            p.drawRect(rect.adjusted(2, 2, -3, -3));
        }
    } else if (c == 1) {
        p.setBrush(palette_.field);
        p.drawRect(rect.adjusted(2, 2, -3, -3));
        if (drawn) {
            const int right = rect.right() + 1;
            const int y = rect.top() + (defaultRowHeight() - 14) / 2;
            CellPainting::drawTick(p, QPointF(right - 17, y + 6), QPointF(right - 12, y + 12),
                                   QPointF(right - 5, y - 1));
        }
    } else {
        p.setFont(font());
        p.drawText(rect.left() + 1, CellPainting::baselineCentred(p.font(), rect), cell(2, r));
    }
}

void ChannelList::pressed(const QPoint& pos)
{
    const int c = columnAt(pos.x());
    const int r = rowAt(pos.y());
    if (c < 0 || r < 0) return;
    const int ch = link_.PodajPozycje(kChannelScope, r);
    if (ch >= link_.channels().size()) return;
    const TWykres& w = link_.channels()[ch];
    if (c == 0) {
        if (!(w.flags & kChannelDrawn)) return;
        const QColor initial((w.colour >> 16) & 0xFF, (w.colour >> 8) & 0xFF, w.colour & 0xFF);
        const QColor chosen = pickColour ? pickColour(initial) : QColorDialog::getColor(initial, this);
        if (chosen.isValid()) link_.setChannelColour(ch, Rgb(chosen.red(), chosen.green(), chosen.blue()));
    } else {
        link_.toggleChannelShown(ch, kChannelDrawn);
    }
    viewport()->update();
    if (onChannelsChanged) onChannelsChanged();
}
