#pragma once

#include <QtGui/QColor>

class QPalette;

// Adds `amount` (may be negative) to each of red, green and blue, each kept within 0..255.
QColor ShadeColor(const QColor& colour, int amount);

// The platform colours a theme may follow, resolved to RGB when the palette is computed.
struct SystemColours {
    QColor buttonFace, buttonText, window, windowText, windowFrame, menuHighlight, highlightText;
    static SystemColours fromPalette(const QPalette& palette);
};

// Colours handed to the chart component.
struct ChartColours {
    QColor cursor, plotBackground, plotBorder, grid, curve, buttonFill, buttonBorder;
};

// Colours handed to the oscilloscope view.
struct ScopeColours {
    QColor cursor, plotBackground, frame, grid;
};

// The named colour roles of one colour theme, read by every view when it paints.
struct ThemePalette {
    QColor background, bar, lightShade, text, title, active, darkShade, brightShade, field;
    QColor selectionBackground, selectionText, disabledBackground, disabledText, warningBackground;
    QColor dialogText;
    QColor valueBackground;
    // The settings editor's own three colours.
    QColor editorBackground, editorGridLines, editorValueText;
    ChartColours chart;
    ScopeColours scope;
};

// Palette of theme 0..5: window scheme theme / 2 (Windows, Grey, Black), plot variant light for an
// even theme and dark for an odd one.
ThemePalette ComputePalette(int theme, const SystemColours& system);
