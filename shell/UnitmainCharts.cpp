// The main window's side of the chart component: creation, the Map and OBD pages that show it,
// colours, view level, keys and live frames.
#include <QtGui/QKeyEvent>

#include "charts/Tgrafika.h"
#include "shell/Unitmain.h"

void TForm1::createChart()
{
    Grafika1 = new TGrafika(PanelChart);
    Grafika1->Sterownik = Sterownik1;
    Grafika1->AttachToPanel(PanelChart);
    // After the status panel and the grids, which were added before.
    liveFanOut.add([this](const LiveFrame& frame) {
        if (Grafika1) Grafika1->ShowLiveData(frame.data());
    });
}

void TForm1::showChartView(int view)
{
    if (!Grafika1) return;
    PanelChart->show();
    Grafika1->show();
    Grafika1->SetView(view);
}

void TForm1::hideChart()
{
    if (Grafika1) Grafika1->HideChart();
}

void TForm1::applyChartColours()
{
    if (!Grafika1) return;
    Grafika1->setThemePalette(palette);
    if (Grafika1->isVisible()) Grafika1->Rebuild();
}

void TForm1::chartKeyDown(const QKeyEvent* event)
{
    if (Grafika1) Grafika1->KeyDown(event->key(), event->modifiers());
}

void TForm1::freeChart()
{
    delete Grafika1;
    Grafika1 = nullptr;
}
