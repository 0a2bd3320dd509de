#pragma once

#include <QtWidgets/QWidget>

#include <array>

#include "ui/Panel.h"

class Prompt;
class QAction;
class QMenu;
class QToolButton;
class TScope;
class TSterownik;

// The oscilloscope in the main window: the button bar of the Oscilloscope tab (`PanelOsc`, this
// widget), the view it commands in its place in the work area, and the recording items of the
// Device menu. Every live frame goes to the view as a sample.
class ScopeBar : public QWidget, public Panel {
    Q_OBJECT
public:
    // The bar is a child of `parent`, hidden until the window shows it; the view fills
    // `viewPlace`; the recording items go into `fileMenu` right after the item `after` and the
    // separator in front of them. `prompt` is the window's prompt, read each time a command asks
    // the fitter something (tests replace it after the window is made).
    ScopeBar(TSterownik& link, Prompt* const& prompt, QWidget* viewPlace, QMenu* fileMenu, QAction* after,
             QWidget* parent);

    TScope* view() const { return view_; }
    // The bar's button that hands `code` to the view (1..7, 10..12, 20, 21), or null.
    QToolButton* button(int code) const;
    QAction* MenuFile5() const { return MenuFile5_; }  // read a recording
    QAction* MenuFile6() const { return MenuFile6_; }  // start or stop a recording
    QAction* MenuFile7() const { return MenuFile7_; }  // CSV export

    // A button of the bar: hands its number to the view.
    void BitBtnOsc01Click(int code);
    // Reads a recording, then asks the window for the Oscilloscope tab (`recordingRead`).
    void MenuFile5Click();
    void MenuFile6Click();
    void MenuFile7Click();
    // The Calibration tab watches the calibration live: the view is put in Play without a redraw.
    void play();

    // Panel: samples, the menu items' captions, the view's colours and font.
    void liveFrame(const LiveFrame& frame) override;
    void relabel() override;
    void applyColours(const ThemePalette& palette) override;

Q_SIGNALS:
    // A recording was asked for from the Device menu: the window shows the Oscilloscope tab.
    void recordingRead();

private:
    Prompt* const& prompt_;
    TScope* view_ = nullptr;
    std::array<QToolButton*, 12> oscButtons_{};  // BitBtnOsc01..07, 10..12, 20, 21
    QAction* MenuFile5_ = nullptr;
    QAction* MenuFile6_ = nullptr;
    QAction* MenuFile7_ = nullptr;
};
