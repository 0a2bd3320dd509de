// The main window's side of the chart component: creation, the Map and OBD pages that show it,
// view level and keys; live frames and colours reach it as a panel.
#include <QtGui/QKeyEvent>

#include "charts/Tgrafika.h"
#include "shell/Unitmain.h"

void TForm1::createChart()
{
    Grafika1 = new TGrafika(PanelChart);
    Grafika1->Sterownik = Sterownik1;
    Grafika1->AttachToPanel(PanelChart);
    // The tune assistant's proposal goes to the controller after a backup of what it replaces.
    Grafika1->beforeProposalWrite = [this] { BackupBeforeChange(); };
    // After the readings, which were added before: the chart follows live frames and themes.
    panels.add(Grafika1);
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

void TForm1::chartKeyDown(const QKeyEvent* event)
{
    if (Grafika1) Grafika1->KeyDown(event->key(), event->modifiers());
}

void TForm1::freeChart()
{
    panels.remove(Grafika1);
    delete Grafika1;
    Grafika1 = nullptr;
}
