#pragma once

#include <QtCore/QPointF>
#include <QtCore/QRect>
#include <QtGui/QColor>
#include <QtGui/QFont>

#include <functional>

class QPainter;
class QString;
class QWidget;

// Drawing helpers for the owner-drawn cells of the live grids and the channel list.
namespace CellPainting {

// `f` at point size `size` (at least 1), bold or not.
QFont sized(QFont f, int size, bool bold);
// Baseline of a line of text centred vertically in the cell by the font's text height.
int baselineCentred(const QFont& f, const QRect& r);
// Text drawn right-aligned `right` pixels inside the cell, centred vertically.
void drawRight(QPainter& p, const QRect& r, const QString& text, int right);
// A tick mark through three points, 3 pixels wide, in the ticks' green.
void drawTick(QPainter& p, QPointF a, QPointF b, QPointF c);
// Runs `action` whenever `w` is resized, and with `onShow` also whenever it is shown.
void watchResize(QWidget* w, std::function<void()> action, bool onShow = false);

}  // namespace CellPainting
