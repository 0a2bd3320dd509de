#pragma once

#include <QtGui/QImage>

// The oscilloscope's 22 x 22 pictures, drawn in code on a transparent ground: the state symbols
// shown on the view and the glyphs of the oscilloscope buttons.
namespace ScopeGlyphs {

enum Glyph {
    Play,    // blue triangle pointing right
    Pause,   // two navy bars
    Stop,    // navy square
    Read,    // blue bar above a blue triangle pointing down
    Record,  // red disc
    Eraser,
    Digits,  // columns of digits: the CSV export
    Lines1,  // one, three and six horizontal lines: the layouts
    Lines3,
    Lines6,
    Plus,  // green plus and minus: the time base
    Minus,
};

QImage picture(Glyph glyph);
// Glyph on the oscilloscope button with this command number (1..7, 10..12, 20, 21).
Glyph buttonGlyph(int command);

}  // namespace ScopeGlyphs
