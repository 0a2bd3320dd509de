#pragma once

#include <QtGui/QColor>

#include <functional>

#include "ui/Panel.h"
#include "ui/StringGrid.h"
#include "ui/Theme.h"

class TSterownik;

// The oscilloscope's channel list in the left panel (the form's StringGrid1): one row per channel
// of the oscilloscope set with its colour swatch, its "drawn" tick and its name. A click on the
// name or the tick shows or hides the trace; a click on the swatch of a drawn trace picks its
// colour. Rebuilt when it comes into view, when resized, after a language change and when the
// controller's channels change.
class ChannelList : public StringGrid, public Panel {
public:
    ChannelList(TSterownik& link, QWidget* parent);

    void linkEvent(int kind, int code, int value, int length) override;
    void relabel() override;
    void applyColours(const ThemePalette& palette) override;

    // Rows for the channels of the oscilloscope set, sized to the list's height.
    void FillChannelList();

    // The colour-picking dialog: returns the chosen colour, an invalid one when cancelled.
    std::function<QColor(const QColor& initial)> pickColour;
    // Called after a trace was shown, hidden or recoloured (the oscilloscope redraws).
    std::function<void()> onChannelsChanged;

private:
    void drawChannelCell(QPainter& p, int col, int row, const QRect& rect);
    void pressed(const QPoint& pos);

    TSterownik& link_;
    ThemePalette palette_;
};
