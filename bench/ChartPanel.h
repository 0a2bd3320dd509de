#pragma once

// The chart component on a full HD panel, on the given link and view, its own refresh stopped so
// that each figure times only the step it measures.
#include <QtCore/QCoreApplication>
#include <QtCore/QTimer>
#include <QtWidgets/QWidget>

#include "charts/Tgrafika.h"
#include "link/Tsterownik.h"

struct ChartPanel {
    QWidget panel;
    TGrafika chart;

    ChartPanel(TSterownik& link, int view)
    {
        panel.setFixedSize(1920, 1080);
        chart.Sterownik = &link;
        chart.AttachToPanel(&panel);
        chart.refreshTimer()->stop();
        panel.show();
        chart.show();
        chart.SetView(view);
        QCoreApplication::processEvents();
    }
};
