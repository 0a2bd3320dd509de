#include "shell/SwitchPicture.h"

#include <QtGui/QPainter>
#include <QtGui/QPainterPath>

namespace SwitchPicture {

void draw(QPainter& p)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // Body: a rounded dark plate with a lighter face.
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(QColor(70, 70, 74));
    p.drawRoundedRect(QRectF(2.5, 2.5, 86, 86), 10, 10);
    p.setBrush(QColor(96, 96, 102));
    p.drawRoundedRect(QRectF(6.5, 6.5, 78, 78), 8, 8);
    // LED wells of the level column and of the fuel LED.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 30));
    for (int top : {14, 29, 44, 59, 74}) p.drawRoundedRect(QRectF(10, top - 2, 12, 9), 2, 2);
    p.drawRoundedRect(QRectF(69, 12, 11, 9), 2, 2);
    // Push button in the middle, with a fuel-pump glyph.
    QRadialGradient g(QPointF(50, 50), 22, QPointF(44, 42));
    g.setColorAt(0, QColor(200, 200, 205));
    g.setColorAt(1, QColor(120, 120, 128));
    p.setBrush(g);
    p.setPen(QPen(QColor(35, 35, 35), 1.5));
    p.drawEllipse(QPointF(50, 52), 20, 20);
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(43, 44, 10, 16));
    p.drawLine(QPointF(45, 48), QPointF(51, 48));
    QPainterPath hose;
    hose.moveTo(53, 47);
    hose.lineTo(57, 50);
    hose.lineTo(57, 58);
    p.drawPath(hose);
    // Level scale marks beside the LED column.
    p.setPen(QPen(QColor(210, 210, 210), 1));
    for (int i = 0; i < 5; ++i) p.drawLine(QPointF(25, 16.5 + 15 * i), QPointF(25 + 6 - i, 16.5 + 15 * i));
    p.restore();
}

QList<Led> leds(const SwitchLeds& on)
{
    const QColor green(0, 160, 0), red(200, 0, 0), black(0, 0, 0);
    const auto twoColour = [&](SwitchLeds::Colour c) {
        return c == SwitchLeds::Green ? green : c == SwitchLeds::Red ? red : black;
    };
    const auto level = [&](int i) { return on.level[size_t(i)] ? green : black; };
    // Rectangles as left, top, right, bottom with right and bottom exclusive.
    const auto r = [](int l, int t, int rr, int bb) { return QRect(l, t, rr - l, bb - t); };
    return {
        {r(12, 14, 20, 19), level(0)},
        {r(12, 29, 20, 34), level(1)},
        {r(12, 44, 20, 49), level(2)},
        {r(12, 59, 20, 64), level(3)},
        {r(12, 74, 20, 79), twoColour(on.reserve)},
        {r(71, 14, 78, 19), twoColour(on.fuel)},
    };
}

}  // namespace SwitchPicture
