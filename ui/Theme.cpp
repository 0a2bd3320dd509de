#include "ui/Theme.h"

#include <QtGui/QPalette>

#include <algorithm>

QColor ShadeColor(const QColor& colour, int amount)
{
    const auto shade = [amount](int c) { return std::clamp(c + amount, 0, 255); };
    return QColor(shade(colour.red()), shade(colour.green()), shade(colour.blue()));
}

SystemColours SystemColours::fromPalette(const QPalette& p)
{
    SystemColours s;
    s.buttonFace = p.color(QPalette::Active, QPalette::Button);
    s.buttonText = p.color(QPalette::Active, QPalette::ButtonText);
    s.window = p.color(QPalette::Active, QPalette::Base);
    s.windowText = p.color(QPalette::Active, QPalette::Text);
    s.windowFrame = p.color(QPalette::Active, QPalette::Shadow);
    s.menuHighlight = p.color(QPalette::Active, QPalette::Highlight);
    s.highlightText = p.color(QPalette::Active, QPalette::HighlightedText);
    return s;
}

ThemePalette ComputePalette(int theme, const SystemColours& sys)
{
    ThemePalette t;
    const int scheme = std::clamp(theme, 0, 5) / 2;
    const bool dark = theme % 2 == 1;
    const QColor disabledBg(235, 235, 235), disabledText(170, 170, 170);
    t.warningBackground = QColor(250, 200, 200);
    switch (scheme) {
        case 0:
            t.background = sys.buttonFace;
            t.bar = ShadeColor(t.background, -20);
            t.lightShade = ShadeColor(t.background, 10);
            t.text = sys.buttonText;
            t.title = QColor(0, 0, 180);
            t.active = QColor(0, 0, 160);
            t.darkShade = ShadeColor(t.background, -50);
            t.brightShade = ShadeColor(t.background, 30);
            t.field = sys.window;
            t.selectionBackground = sys.menuHighlight;
            t.selectionText = sys.highlightText;
            t.disabledBackground = disabledBg;
            t.disabledText = disabledText;
            t.dialogText = sys.buttonText;
            t.editorGridLines = sys.windowFrame;
            t.editorValueText = sys.windowText;
            break;
        case 1:
            t.background = QColor(210, 210, 210);
            t.bar = QColor(190, 190, 190);
            t.lightShade = QColor(230, 230, 230);
            t.text = QColor(0, 0, 0);
            t.title = QColor(0, 0, 180);
            t.active = QColor(0, 0, 160);
            t.darkShade = ShadeColor(t.background, -50);
            t.brightShade = ShadeColor(t.background, 30);
            t.field = QColor(255, 255, 255);
            t.selectionBackground = QColor(50, 100, 190);
            t.selectionText = QColor(255, 255, 255);
            t.disabledBackground = disabledBg;
            t.disabledText = disabledText;
            t.dialogText = QColor(0, 0, 0);
            t.editorGridLines = QColor(0, 0, 0);
            t.editorValueText = QColor(0, 0, 0);
            break;
        default:
            t.background = QColor(0, 0, 0);
            t.bar = QColor(128, 128, 128);
            t.lightShade = QColor(0, 0, 0);
            t.text = QColor(192, 192, 192);
            t.title = QColor(36, 154, 251);
            t.active = QColor(0, 0, 128);
            t.darkShade = ShadeColor(t.background, 30);
            t.brightShade = ShadeColor(t.background, 50);
            t.field = QColor(50, 50, 50);
            t.selectionBackground = QColor(128, 0, 0);
            t.selectionText = QColor(0, 210, 0);
            t.disabledBackground = QColor(40, 40, 40);
            t.disabledText = QColor(60, 60, 60);
            t.dialogText = QColor(150, 150, 150);
            t.editorGridLines = QColor(80, 80, 80);
            t.editorValueText = QColor(0, 190, 0);
            break;
    }
    t.valueBackground = dark ? t.lightShade : t.field;
    t.editorBackground = dark ? t.background : ShadeColor(t.background, 30);
    t.chart.cursor = dark ? QColor(255, 255, 255) : QColor(255, 255, 0);
    t.chart.plotBackground = dark ? QColor(50, 50, 50) : QColor(240, 240, 240);
    t.chart.plotBorder = QColor(128, 128, 128);
    t.chart.grid = dark ? QColor(128, 128, 128) : QColor(192, 192, 192);
    t.chart.curve = dark ? QColor(209, 1, 254) : QColor(128, 0, 128);
    t.chart.buttonFill = t.editorBackground;
    t.chart.buttonBorder = t.editorGridLines;
    t.scope.cursor = t.chart.cursor;
    t.scope.plotBackground = t.chart.plotBackground;
    t.scope.frame = QColor(128, 128, 128);
    t.scope.grid = t.chart.grid;
    return t;
}
