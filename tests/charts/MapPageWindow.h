#pragma once

// The main window on the Map page with the multiplier chart (view 0) shown, its link on the
// in-memory line so that writes are requested: the common start of the chart's window tests.
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QToolButton>

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
