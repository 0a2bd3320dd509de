#pragma once

#include <QtCore/QObject>

#include "ui/Panel.h"

class ChannelList;
class DiagnosticBoxes;
class ObdPagesPanel;
class QSplitter;
class QVBoxLayout;
class QWidget;
class SidePanel;
class TForm1;
class TGrafika;
class TNastawy;

// The main window's work area below the tab rows and what each tab and page shows in it. Above the
// bottom strip: the left panel with the oscilloscope channel list, its splitter bar and `PanelWork`
// (the settings editor, the errors box, the chart's place `PanelChart`, the oscilloscope's place
// `PanelScope`). The bottom strip `PanelNasInfoObd` spans the centre (the editor on the
// Calibration and Map tabs, the history box, the OBD pages). It shows the top tab, map page or OBD
// page asked for, gives the bottom bar the page's command buttons and does what they ask.
class WorkPages : public QObject, public Panel {
    Q_OBJECT
public:
    // The work area is made in `centre` and added to `layout`; the window's tab rows, bottom bar
    // and session are already made.
    WorkPages(TForm1& window, QWidget* centre, QVBoxLayout* layout);

    QSplitter* splitBottom() const { return splitBottom_; }  // the work area over the bottom strip
    QWidget* PanelWork() const { return work_; }
    QWidget* PanelChart() const { return chartPlace_; }
    QWidget* PanelScope() const { return scopePlace_; }
    QWidget* PanelNasInfoObd() const { return strip_; }
    SidePanel* left() const { return left_; }
    ChannelList* channelList() const { return channelList_; }
    ObdPagesPanel* obdPages() const { return obdPages_; }
    DiagnosticBoxes* diagnostics() const { return diagnostics_; }
    TNastawy* Nastawy() const { return editor_; }
    TGrafika* Grafika1() const { return chart_; }

    int topTab() const { return topTab_; }
    int mapPage() const { return mapPage_; }
    int obdPage() const { return obdPage_; }
    // The top tab shown is highlighted (not re-applied after a view or language change).
    bool topHighlighted() const { return topHighlighted_; }

    // Top tab `tab`; -1 shows the current one again without highlighting it.
    void showTop(int tab);
    void showMapPage(int page);
    void showObdPage(int page);
    // Does what command button `button` (0..3) stands for on the page shown.
    void runCommand(int button);
    // Shows view `view` of the chart (5 for the OBD page "RPM corrections").
    void showChartView(int view);
    void hideChart();
    // The chart, then the editor (it holds the session's catalogue): freed before the session.
    void freeViews();

    void applyColours(const ThemePalette& palette) override;

private:
    void showBottomStrip(int height);
    void placeEditor(QWidget* parent);

    TForm1& window_;
    QWidget* centre_;
    QSplitter* splitBottom_ = nullptr;
    QWidget* work_ = nullptr;
    QWidget* chartPlace_ = nullptr;
    QWidget* scopePlace_ = nullptr;
    QWidget* strip_ = nullptr;
    SidePanel* left_ = nullptr;
    ChannelList* channelList_ = nullptr;
    ObdPagesPanel* obdPages_ = nullptr;
    DiagnosticBoxes* diagnostics_ = nullptr;
    TNastawy* editor_ = nullptr;
    TGrafika* chart_ = nullptr;
    int topTab_ = 0;
    int mapPage_ = 0;
    int obdPage_ = 0;
    bool topHighlighted_ = false;
};
