// Chart component figures at 1920 x 1080: a full render of the multiplier chart with every map cell
// learned, and one move of the live cursor (which repaints only the strips under the lines).
#include <QtWidgets/QApplication>

#include <array>

#include "bench/BenchKit.h"
#include "bench/ChartPanel.h"
#include "charts/Tgrafika.h"
#include "link/Tsterownik.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    TSterownik link;
    link.timer()->stop();
    uint8_t* s = link.mem.settingsBlock();
    for (int l = 0; l < 16; ++l) s[224 + l] = uint8_t(20 + l * 10);  // load breakpoints up to 1.70 bar
    s[83] = 60;
    s[81] = 1;
    for (int r = 0; r < 16; ++r)
        for (int l = 0; l < 16; ++l) {
            link.mem.maps[MemoryImage::PetrolMap][16 * r + l] = uint8_t(15 + 10 * l + r);
            link.mem.maps[MemoryImage::GasMap][16 * r + l] = uint8_t(14 + 10 * l + r);
        }
    uint8_t* slots = s + MemoryImage::kNodesBank1;
    const int nodes[] = {0, 30, 60, 90, 120, 150};
    for (int k = 0; k < 6; ++k) slots[k] = uint8_t(nodes[k]);
    slots[25] = link.mem.timeAxisMax;
    uint8_t* table = link.mem.block(MemoryImage::Multiplier1);
    for (int i = 0; i < 256; ++i) table[i] = uint8_t(90 + (i % 40));
    link.mem.identity[66] = link.mem.identity[67] = 128;

    ChartPanel bench(link, 0);
    TGrafika& chart = bench.chart;

    BenchKit::report("chart_view0_full_render_1920x1080", BenchKit::measure(200, [&](int) {
                         chart.Render();
                         QCoreApplication::processEvents();
                     }));

    // Its two halves: composing the frame, and copying it to the screen.
    BenchKit::report("chart_view0_compose_frame_1920x1080", BenchKit::measure(200, [&](int) { chart.Render(); }));
    QCoreApplication::processEvents();
    BenchKit::report("chart_view0_screen_copy_1920x1080", BenchKit::measure(200, [&](int) {
                         chart.update();
                         QCoreApplication::processEvents();
                     }));

    std::array<uint8_t, 128> frame{};
    BenchKit::report("chart_view0_cursor_move_1920x1080", BenchKit::measure(2000, [&](int i) {
                         frame[19] = uint8_t(20 + i % 150);
                         const int p = 30 + (i * 7) % 140;
                         frame[44] = uint8_t(p & 0xFF);
                         frame[45] = uint8_t(p >> 8);
                         chart.ShowLiveData(LiveFrame(frame.data(), int(frame.size())));
                         QCoreApplication::processEvents();
                     }));
    return 0;
}
