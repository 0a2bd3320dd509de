// Table views and correction curves at 1920 x 1080: a full render of each table view (both grids
// painted whole, every cell holding a number) and of a correction curve, and a single-cell edit,
// which repaints only the changed cell.
#include <QtWidgets/QApplication>

#include <string>

#include <ctime>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/BenchKit.h"
#include "bench/ChartPanel.h"
#include "charts/TableGrid.h"
#include "charts/Tgrafika.h"
#include "link/Tsterownik.h"

namespace {

// Median processor time of this thread per call, in milliseconds: on a machine shared with other
// work the wall-clock figure mostly measures the wait for a core, this one the drawing itself.
template <typename Step>
double medianCpuMs(int runs, Step step)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        timespec a{}, b{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &a);
        step(i);
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &b);
        ms.push_back((b.tv_sec - a.tv_sec) * 1e3 + (b.tv_nsec - a.tv_nsec) / 1e6);
    }
    std::nth_element(ms.begin(), ms.begin() + runs / 2, ms.end());
    return ms[size_t(runs / 2)];
}

// Both figures of one step: "name" wall clock and "name_cpu" processor time.
template <typename Step>
void measure(const std::string& name, int runs, Step step)
{
    BenchKit::report(name.c_str(), BenchKit::medianMs(runs, step));
    BenchKit::report((name + "_cpu").c_str(), medianCpuMs(runs, step));
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    TSterownik link;
    link.timer()->stop();
    MemoryImage& m = link.mem;
    for (int k = 0; k < 16; ++k) m.settings[240 + k] = uint8_t(12 + 8 * k);
    for (int l = 0; l < 16; ++l) m.settings[224 + l] = uint8_t(10 + 10 * l);
    for (int i = 0; i < 256; ++i) {
        m.block(MemoryImage::RpmCorrection1)[i] = uint8_t(60 + i % 80);
        m.block(MemoryImage::GasInjectionDelay)[i] = uint8_t(i);
        m.block(MemoryImage::Enrichment)[i] = uint8_t(255 - i);
        m.maps[MemoryImage::PetrolMap][i] = uint8_t(20 + i % 200);
        m.maps[MemoryImage::GasMap][i] = uint8_t(15 + (i * 7) % 200);
        m.maps[MemoryImage::ObdPetrol1][i] = uint8_t(100 + i % 60);
        m.maps[MemoryImage::ObdGas1][i] = uint8_t(110 + i % 40);
    }
    uint8_t* curve = m.block(MemoryImage::ReducerTempCorrection);
    ReferenceTables::defaultCorrectionCurve(curve, MemoryImage::ReducerTempCorrection);
    const uint8_t points[] = {120, 150, 140, 110, 160, 170, 180, 90, 200, 140, 210, 128};
    std::memcpy(curve + 4, points, sizeof points);

    ChartPanel bench(link, 2);
    TGrafika& chart = bench.chart;
    QWidget& panel = bench.panel;

    measure("chart_view2_full_render_1920x1080", 200, [&](int) {
        chart.Render();
        QCoreApplication::processEvents();
    });

    const char* names[] = {"chart_view1_full_render_1920x1080", "chart_view5_full_render_1920x1080",
                           "chart_view6_full_render_1920x1080", "chart_view7_full_render_1920x1080"};
    const int views[] = {1, 5, 6, 7};
    for (int n = 0; n < 4; ++n) {
        chart.SetView(views[n]);
        QCoreApplication::processEvents();
        auto* map = panel.findChild<TableGrid*>(QStringLiteral("GrafikaMapGrid"));
        auto* table = panel.findChild<TableGrid*>(QStringLiteral("GrafikaTableGrid"));
        measure(names[n], 100, [&](int) {
            chart.Render();
            table->repaint();
            if (map && map->isVisible()) map->repaint();
            QCoreApplication::processEvents();
        });
    }

    chart.SetView(1);
    QCoreApplication::processEvents();
    // After a resize or a theme change: the background built again, then the render with both grids.
    measure("chart_view1_rebuild_1920x1080", 100, [&](int) {
        chart.BuildBackground();
        chart.Render();
        QCoreApplication::processEvents();
    });

    // One cell changed by the fitter: its text is replaced and only that cell is painted again.
    auto* table = panel.findChild<TableGrid*>(QStringLiteral("GrafikaTableGrid"));
    measure("chart_view1_single_cell_edit_1920x1080", 500, [&](int i) {
        m.block(MemoryImage::RpmCorrection1)[17] = uint8_t(60 + i % 80);
        chart.Render();
        QCoreApplication::processEvents();
    });
    const int before = table->paintedCells;
    m.block(MemoryImage::RpmCorrection1)[17] ^= 1;
    chart.Render();
    QCoreApplication::processEvents();
    std::fprintf(stderr, "cells painted by one edit: %d\n", table->paintedCells - before);
    return 0;
}
