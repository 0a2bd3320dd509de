#pragma once

#include <QtCore/QPointer>
#include <QtCore/QTimer>
#include <QtGui/QImage>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QWidget>

#include <cstdint>
#include <functional>

#include "charts/ChartLayout.h"
#include "charts/ChartViewRegistry.h"
#include "ui/Panel.h"
#include "ui/Theme.h"

class QPainter;
class TSterownik;

// The chart component: one owner-drawn control that shows and edits the controller's maps and
// correction data in eight views (ChartView), drawn into a background image (axes, labels; rebuilt
// by BuildBackground) and a frame image (background plus data, copied to the screen). The live
// cursor of the plot views is drawn over the frame at paint time, so moving it repaints only the
// strips under the old and the new line.
class TGrafika : public QWidget, public Panel {
    Q_OBJECT
public:
    // `leave` argument when the chart is hidden rather than switched to another view.
    static constexpr int kHidden = -2;

    explicit TGrafika(QWidget* owner = nullptr);
    ~TGrafika() override;

    // Makes `panel` the parent (the chart fills it) and creates the focus box on it once.
    void AttachToPanel(QWidget* panel);
    // The controller link, set once by the main window; not owned.
    TSterownik* Sterownik = nullptr;
    TSterownik* link() const { return Sterownik; }
    // Called before the chart writes a change the fitter made in one go rather than node by node
    // (the tune assistant's proposal): the main window takes a backup of the configuration there.
    std::function<void()> beforeProposalWrite;

    // Selects view -1 (background only) or 0..7 and draws it.
    void SetView(int view);
    // Hides the control and the views' widgets and parks the focus box.
    void HideChart();
    void SetViewLevel(int level);
    // BuildBackground, then Render.
    void Rebuild();
    // Lays out the plot and draws the static picture of the current view.
    void BuildBackground();
    // Copies the background, draws the data and shows the result; nothing while hidden or while a
    // render is running.
    void Render();
    // A verified live frame (128 bytes): moves the cursor or the cell markers.
    void ShowLiveData(const LiveFrame& frame);
    // Every key press the main window sees.
    void KeyDown(int key, Qt::KeyboardModifiers shift);
    void ClearCorrection();
    // The refresh timer's step (1000 ms; tests call it directly).
    void RefreshTick();
    // The next refresh comes after 100 ms instead of a second.
    void ShortenNextRefresh();
    // Colours of the current theme, taken at the next rebuild.
    void setThemePalette(const ThemePalette& palette);

    // As a panel of the main window: each live frame moves the cursor, a new theme redraws.
    void liveFrame(const LiveFrame& frame) override { ShowLiveData(frame); }
    void applyColours(const ThemePalette& palette) override;

    // --- for the views
    // Gives the focus box the keyboard focus (ignored when it cannot take it).
    void FocusChart();
    // Whether the chart has the keyboard focus: whether the focus box has it.
    bool hasChartFocus() const;
    // The system's exclamation sound; nothing else changes.
    void Beep();
    // Moves the live cursor line(s): the vertical line at x over the plot and, when y >= 0, the
    // horizontal line at y; x < 0 takes the cursor away. Only the strips under the old and the
    // new lines are repainted, and nothing at all when the position is unchanged.
    void MoveCursor(int x, int y);

    int view() const { return view_; }
    int viewLevel() const { return viewLevel_; }
    const ChartLayout::Plot& plot() const { return plot_; }
    const ChartColours& chartColours() const { return palette_.chart; }
    // The main window's background and text colours, read at every rebuild.
    QColor backgroundColour() const { return palette_.background; }
    QColor textColour() const { return palette_.text; }
    // Text drawn over the plot: readable on the plot's own background, dark in some themes.
    QColor plotTextColour() const
    {
        return palette_.chart.plotBackground.lightness() < 128 ? QColor(230, 230, 230) : QColor(Qt::black);
    }
    QLineEdit* focusBox() const { return focusBox_; }
    // True while a view types into the focus box (a table header being edited): keys belong to it.
    bool editingInPlace() const;
    QWidget* panel() const { return parentWidget(); }
    ChartView* currentView() const;
    ChartView* viewAt(int view) const;
    QTimer* refreshTimer() const { return timer_; }
    const QImage& backgroundImage() const { return background_; }
    const QImage& frameImage() const { return frame_; }
    int cursorX() const { return cursorX_; }
    int cursorY() const { return cursorY_; }
    int beepCount = 0;
    // Renders so far (tests check that a live cursor move renders nothing).
    int renderCount = 0;

    // --- drawing helpers shared by the plot views (size 8, transparent, the text colour)
    QFont chartFont() const;
    // Text with its top-left corner at (x, y).
    static void drawTextAt(QPainter& p, int x, int y, const QString& text);
    // Text whose right end is at x.
    static void drawTextRightAt(QPainter& p, int x, int y, const QString& text);
    // An x-axis tick at x: 6 pixels below the plot bottom, the label at (x - 4, bottom + 6).
    void drawXTick(QPainter& p, int x, const QString& label) const;
    // The x-axis caption centred on the control's width at bottom + 20.
    void drawXCaption(QPainter& p, const QString& caption) const;
    // An axis caption rotated to read upward, at x, centred on the plot's height.
    void drawYCaption(QPainter& p, int x, const QString& caption) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void parkFocusBox();
    void drawPlotFrame(QPainter& p);
    QRegion cursorRegion(int x, int y) const;
    void paintColumn(QPainter& p, int x, int top, int bottom, QRgb xorMask, int keepY);

    ChartViews::Set views_;
    QImage background_;
    QImage frame_;
    QImage hStrip_;  // the horizontal cursor line's pixels, inverted
    QTimer* timer_ = nullptr;
    QPointer<QLineEdit> focusBox_;
    ThemePalette palette_;
    ChartLayout::Plot plot_;
    int view_ = 1;
    int viewLevel_ = 1;
    int cursorX_ = -1;
    int cursorY_ = -1;
    bool busy_ = false;
    bool frameHoldsBackground_ = false;  // the frame is a plain copy of the current background
};

// The chart component, reachable program-wide.
extern TGrafika* Grafika;
