// The main window's live screens: the oscilloscope channel list on the left, the colours of the
// live grids and the forwarders to the right panel's readings (shell/ReadingsPanel).
#include <QtGui/QPainter>
#include <QtWidgets/QBoxLayout>
#include <QtWidgets/QColorDialog>
#include <QtWidgets/QTextEdit>

#include "link/Tsterownik.h"
#include "shell/ReadingsPanel.h"
#include "shell/Unitmain.h"
#include "ui/CellPainting.h"
#include "ui/StringGrid.h"

using CellPainting::baselineCentred;

// ---------------------------------------------------------------- building

void TForm1::buildChannelList(QBoxLayout* column)
{
    StringGrid1 = new StringGrid(PanelLeftBody);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setColCount(3);
    StringGrid1->setLineGap(0);
    StringGrid1->onDrawCell = [this](QPainter& p, int c, int r, const QRect& rect) { drawChannelCell(p, c, r, rect); };
    StringGrid1->onMouseDown = [this](Qt::MouseButton, const QPoint& pos) { channelListPressed(pos); };
    column->addWidget(StringGrid1, 1);
    // Rebuilt whenever it comes into view (Calibration and Oscilloscope tabs) and when resized.
    CellPainting::watchResize(
        StringGrid1, [this] { FillChannelList(); }, true);
}

void TForm1::colourLivePanels()
{
    for (StringGrid* g : {StringGrid1, StringGridElm, StringGridPid}) {
        if (!g) continue;
        QPalette p = g->viewport()->palette();
        p.setColor(QPalette::Window, palette.background);
        p.setColor(QPalette::WindowText, palette.text);
        g->viewport()->setPalette(p);
        g->viewport()->update();
    }
    if (RichEditDtc) {
        QPalette p = RichEditDtc->palette();
        p.setColor(QPalette::Base, palette.field);
        p.setColor(QPalette::Text, palette.text);
        RichEditDtc->setPalette(p);
    }
    LayoutRightPanel();
}

// ---------------------------------------------------------------- the right panel

void TForm1::InitGrids()
{
    readings_->InitGrids();
    colourLivePanels();
}

void TForm1::LayoutRightPanel() { readings_->LayoutRightPanel(); }

void TForm1::BtnParamIngClick() { readings_->BtnParamIngClick(); }

// ---------------------------------------------------------------- channel list

void TForm1::FillChannelList()
{
    if (!Sterownik1 || !StringGrid1) return;
    StringGrid* g = StringGrid1;
    const int n = Sterownik1->PodajIleParamBiez(1);
    g->setRowCount(n);
    const int s = n == 0 ? 18 : std::clamp(g->height() / n, 18, 22);
    g->setDefaultColWidth(s);
    g->setDefaultRowHeight(s);
    g->setColWidth(2, g->width() - 2 * s - 4);
    for (int k = 0; k < n; ++k)
        g->setCell(2, k, QLatin1Char(' ') + TextById(Sterownik1->channels()[Sterownik1->PodajPozycje(1, k)].id));
}

void TForm1::drawChannelCell(QPainter& p, int c, int r, const QRect& rect)
{
    if (!Sterownik1) return;
    const int ch = Sterownik1->PodajPozycje(1, r);
    if (ch >= Sterownik1->channels().size()) return;
    const TWykres& w = Sterownik1->channels()[ch];
    const bool drawn = w.flags & 16;
    p.fillRect(rect, palette.background);
    p.setPen(palette.text);
    if (c == 0) {
        if (drawn) {
            p.setBrush(QColor((w.colour >> 16) & 0xFF, (w.colour >> 8) & 0xFF, w.colour & 0xFF));
            p.drawRect(rect.adjusted(2, 2, -3, -3));
        }
    } else if (c == 1) {
        p.setBrush(palette.field);
        p.drawRect(rect.adjusted(2, 2, -3, -3));
        if (drawn) {
            const int right = rect.right() + 1;
            const int y = rect.top() + (StringGrid1->defaultRowHeight() - 14) / 2;
            CellPainting::drawTick(p, QPointF(right - 17, y + 6), QPointF(right - 12, y + 12),
                                   QPointF(right - 5, y - 1));
        }
    } else {
        p.setFont(StringGrid1->font());
        p.drawText(rect.left() + 1, baselineCentred(p.font(), rect), StringGrid1->cell(2, r));
    }
}

void TForm1::channelListPressed(const QPoint& pos)
{
    if (!Sterownik1) return;
    StringGrid* g = StringGrid1;
    const int c = g->columnAt(pos.x());
    const int r = g->rowAt(pos.y());
    if (c < 0 || r < 0) return;
    const int ch = Sterownik1->PodajPozycje(1, r);
    if (ch >= Sterownik1->channels().size()) return;
    const TWykres& w = Sterownik1->channels()[ch];
    if (c == 0) {
        if (!(w.flags & kChannelDrawn)) return;
        const QColor initial((w.colour >> 16) & 0xFF, (w.colour >> 8) & 0xFF, w.colour & 0xFF);
        const QColor chosen = pickColour ? pickColour(initial) : QColorDialog::getColor(initial, this);
        if (chosen.isValid()) Sterownik1->setChannelColour(ch, Rgb(chosen.red(), chosen.green(), chosen.blue()));
    } else {
        Sterownik1->toggleChannelShown(ch, kChannelDrawn);
    }
    g->viewport()->update();
    if (scopeRedraw) scopeRedraw();
}
