#pragma once

#include <QtCore/QObject>
#include <QtGui/QColor>

#include <array>

#include "ui/Panel.h"

class QToolButton;
class QVBoxLayout;
class QWidget;

// The three rows of tabs over the work area: the top tabs (`PanelTopTab1`, SpeedButton1..6), the
// map pages (`PanelTopTab2`, SpeedButton11..15, 21, 22; the second line only in admin mode) and
// the OBD pages (`PanelTopTab3`, SpeedButton31..34). It fits the captions' font to the buttons,
// colours the pressed tab and the Diagnostics tab by the controller's state, and signals clicks.
class TabRows : public QObject, public Panel {
    Q_OBJECT
public:
    static constexpr int kTopTabs = 6;
    static constexpr int kMapTabs = 7;
    static constexpr int kObdTabs = 4;
    // The top tabs, in order.
    enum Top { Settings, Calibration, Map, Diagnostics, Oscilloscope, Obd };
    // Height of one line of map pages.
    static constexpr int kMapRowHeight = 25;

    // The rows are made in `parent` and added to `layout`, the map and OBD rows hidden.
    TabRows(QWidget* parent, QVBoxLayout* layout);

    QWidget* PanelTopTab1() const { return rows_[0]; }
    QWidget* PanelTopTab2() const { return rows_[1]; }
    QWidget* PanelTopTab3() const { return rows_[2]; }
    const std::array<QToolButton*, kTopTabs>& row1() const { return row1_; }
    const std::array<QToolButton*, kMapTabs>& row2() const { return row2_; }  // by place, not page
    const std::array<QToolButton*, kObdTabs>& row3() const { return row3_; }

    // The captions' font sizes and the buttons' places for the rows' sizes.
    void fit();
    // The pressed top tab in the active colour, every other one in the window-text colour; -1 none.
    void highlightTop(int tab, const QColor& active);
    // The checked map page in the active colour, or none (`any` false).
    void highlightMap(bool any, const QColor& active);
    void highlightObd(int page, const QColor& active);
    // Admin mode shows the second line of map pages.
    void showAdminMapPages(bool shown);

    // The Diagnostics tab turns red on an error and green on a stored or pending one.
    void liveFrame(const LiveFrame& frame) override;
    void relabel() override;

Q_SIGNALS:
    void topTabClicked(int tab);
    void mapPageClicked(int page);
    void obdPageClicked(int page);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::array<QWidget*, 3> rows_{};
    std::array<QToolButton*, kTopTabs> row1_{};
    std::array<QToolButton*, kMapTabs> row2_{};
    std::array<QToolButton*, kObdTabs> row3_{};
    QColor diagnosticsNormal_;  // the Diagnostics tab's colour while the controller reports nothing
};
