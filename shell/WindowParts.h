#pragma once

#include <QtGui/QColor>
#include <QtGui/QPalette>

class QLabel;
class QWidget;

// Small pieces the main window's parts share.
namespace WindowParts {

// A bold caption over a box or grid, drawn on its own background.
QLabel* makeTitle(QWidget* parent);
// Sets two roles of `w`'s palette: the background role and the text role drawn on it.
void setColours(QWidget* w, QPalette::ColorRole back, const QColor& background, QPalette::ColorRole fore,
                const QColor& text);
// The platform's window-text colour: tabs and command buttons that are not highlighted.
QColor systemWindowText();
// The caption colour of a button (a tab or a command button).
void setButtonTextColour(QWidget* button, const QColor& colour);

}  // namespace WindowParts
