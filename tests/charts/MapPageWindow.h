#pragma once

// The main window on the Map page with the multiplier chart (view 0) shown, its link on the
// in-memory line so that writes are requested: the common start of the chart's window tests.
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QToolButton>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

#include "charts/MultiplierView.h"
#include "charts/Tgrafika.h"
#include "link/LoopbackBackend.h"
#include "link/Tsterownik.h"
#include "shell/TabRows.h"
#include "shell/Unitmain.h"
#include "shell/WorkPages.h"
#include "tests/WindowRig.h"

// An installation whose gas map lies 10 % right of its petrol map (135 cells learned on both fuels):
// the multiplier is 10 % short.
inline void seedShortMultiplier(TSterownik& link)
{
    uint8_t* s = link.mem.settingsBlock();
    for (int l = 0; l < 16; ++l) s[224 + l] = uint8_t(10 + 6 * l);
    s[239] = 100;
    s[80] = 0;
    s[81] = 0;
    std::fill(s + MemoryImage::kNodesBank1, s + MemoryImage::kNodesBank1 + 26, 0);
    s[MemoryImage::kNodesBank1 + 25] = 200;
    std::fill(link.mem.block(MemoryImage::Multiplier1), link.mem.block(MemoryImage::Multiplier1) + 256, 100);
    link.mem.identity[66] = link.mem.identity[67] = 128;
    for (int r = 2; r <= 10; ++r)
        for (int l = 0; l <= 14; ++l) {
            const int p = 18 + 9 * l + (r - 2);
            link.mem.maps[MemoryImage::PetrolMap][size_t(16 * r + l)] = uint8_t(p);
            link.mem.maps[MemoryImage::GasMap][size_t(16 * r + l)] = uint8_t(std::lround(p * 1.10));
        }
}

struct MapPageWindow : WindowRig {
    // `seed` fills the memory image before the Map page is opened.
    explicit MapPageWindow(const std::function<void(TSterownik&)>& seed)
    {
        TSterownik& l = link();
        l.timer()->stop();
        l.setBackend(std::make_unique<LoopbackBackend>());
        form.FormCreate();
        QVERIFY(l.PortOpen(1));
        l.timer()->stop();
        form.resize(1000, 700);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        seed(l);
        chart().refreshTimer()->stop();
        QTest::mouseClick(form.tabs()->row1()[2], Qt::LeftButton);
        QVERIFY(chart().isVisible());
    }
    TGrafika& chart() { return *form.pages()->Grafika1(); }
    MultiplierView& view() { return *static_cast<MultiplierView*>(chart().viewAt(0)); }
    uint8_t* table() { return link().mem.block(MemoryImage::Multiplier1); }
    void key(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &form;
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }
};
