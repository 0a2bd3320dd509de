#pragma once

#include <QtCore/QSize>
#include <QtCore/QStringList>

#include <array>
#include <functional>

// Sizing arithmetic of the main window's frame: side panels, bars, tab rows and command buttons.
namespace FrameLayout {

// Width of the status panel and of the expanded right panel: 20 x (client width / 100), at least 180.
int sidePanelWidth(int clientWidth);
// Height of row 1 of tabs, the bottom bar and its buttons: 28 up to a client height of 550, else 32.
int barHeight(int clientHeight);
// Point size of the command buttons' font.
int commandFontSize(int clientHeight);

// Smallest size of the main window below its frame: the outer window is at least 640 x 480, where
// `frameExtra` is what the platform's frame adds to the window. A frame thinner than the one the
// design was made for never makes the minimum exceed the design client area (`designClient`, below
// a menu bar `menuBarHeight` high).
QSize minimumWindowSize(QSize frameExtra, QSize designClient, int menuBarHeight);

// Width of `text` in pixels at point size `size`.
using TextWidth = std::function<int(const QString& text, int size)>;

// Largest size from `from` down to `to` at which every caption is at most `available` pixels wide;
// 6 when none fits.
int fitFontSize(const QStringList& captions, int available, int from, int to, const TextWidth& width);

struct CommandButtons {
    std::array<int, 4> left{};
    std::array<int, 4> width{};
    int progressWidth = -1;  // set when the main button stands alone
};

// Places the four command buttons; `shown` and `captionWidth` are indexed Btn51..Btn54;
// `statusLeft` is the left edge of the status panel.
CommandButtons layoutCommandButtons(const std::array<bool, 4>& shown, const std::array<int, 4>& captionWidth,
                                    int statusLeft);

}  // namespace FrameLayout
