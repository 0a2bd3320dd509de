#pragma once

#include <QtCore/QVector>
#include <QtGui/QImage>
#include <QtWidgets/QWidget>

#include <array>

#include "shell/ReadingsCache.h"
#include "ui/Panel.h"
#include "ui/Theme.h"

class QFontMetrics;
class QLabel;
class QPainter;
class QToolButton;
class StringGrid;
class TSterownik;

// The right panel's live part: the readings grid, the injection-time grid with the gas-injector
// switches, the switch picture with its LEDs and the OBD protocol picture. It shows every live
// frame, follows the link's injector and OBD adapter events, the language and the theme.
class ReadingsPanel : public QWidget, public Panel {
    Q_OBJECT
public:
    // `frame` is the right panel, whose height sets the row height; `injectionTitle` is the
    // window's title label over the injection-time grid.
    ReadingsPanel(TSterownik& link, QWidget* frame, QLabel* injectionTitle, QWidget* parent);

    void liveFrame(const LiveFrame& frame) override;
    void linkEvent(int kind, int code, int value, int length) override;
    void relabel() override;
    void applyColours(const ThemePalette& palette) override;

    // Fonts and the changed-since-shown values start over, then the grids' colours.
    void InitGrids();
    // Row heights, column widths and fonts for the panel's size, and the protocol picture.
    void LayoutRightPanel();
    // Collapses the injection-time grid to one row, or opens it again.
    void BtnParamIngClick();
    // The advanced view offers the collapse button; the other views show the grid whole.
    void setAdvancedView(bool advanced);

    // The controller link came or went. Without it the readings, the injection times and the LEDs
    // are emptied (they would show the last live values for good), and a line over the readings says
    // where to connect; the next live frame fills them again.
    void showLinkState(bool alive);
    bool linkShown() const { return linkShown_; }
    // Rows of the injection-time grid: none until the controller's injector count is known (it is
    // identified, or a settings file or a recording is loaded), then one per injector.
    int injectorRows() const;

    // The readings, the injection times and the switch picture's LEDs of one live frame.
    void ShowReadings(const LiveFrame& frame);
    void ShowInjectionTimes(const LiveFrame& frame);
    void ShowLeds(const LiveFrame& frame);

    // The widgets, by their form names (tests look at them).
    StringGrid* StringGridParametry = nullptr;  // readings
    StringGrid* StringGridCzasyWtr = nullptr;   // injection times and gas-injector switches
    QToolButton* BtnParamIng = nullptr;         // collapses the injection-time grid to one row
    QLabel* Image1 = nullptr;                   // switch picture
    QLabel* Image2 = nullptr;                   // OBD protocol picture
    QLabel* NoLinkHint = nullptr;               // "No connection: Connection › Connect", while there is none
    // LED bytes 13 and 14 last drawn; -1 nothing drawn.
    const std::array<int, 2>& ledsDrawn() const { return ledMemory_; }

Q_SIGNALS:
    // The switch picture was clicked: the fitter asks for a fuel change.
    void switchPictureClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void drawSwitchPicture();
    void drawLeds(const SwitchLeds& leds);
    void drawProtocolPicture();
    void colourGrids();
    void drawReadingsCell(QPainter& p, int col, int row, const QRect& rect);
    // Room for a channel's name left of its unit in a readings cell, and the whole name of a
    // readings row whose name is cut (empty when it fits).
    static int nameRoom(const QFontMetrics& fm, const QRect& rect, const QString& unit);
    QString cutNameTip(int col, int row) const;
    void drawInjectionCell(QPainter& p, int col, int row, const QRect& rect);
    void injectionGridPressed(const QPoint& pos);

    TSterownik& link_;
    QWidget* frame_;
    QLabel* injectionTitle_;
    ThemePalette palette_;
    int obdState_ = -1;
    int nameFontSize_ = 10;
    int valueFontSize_ = 10;
    int nameRepaint_ = 1;
    std::array<double, 8> shownPetrol_{};
    std::array<double, 8> shownGas_{};
    QVector<int> readingsShown_;   // channels of the readings grid, in order
    ReadingsCache readingsCache_;  // what each row of the readings grid shows
    QImage switchBitmap_;
    std::array<int, 2> ledMemory_{-1, -1};
    bool linkShown_ = true;
    bool injectorsKnown_ = false;
    int laidOutWidth_ = -1;  // the readings grid's width its columns were laid out for
};
