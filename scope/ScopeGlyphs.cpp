#include "scope/ScopeGlyphs.h"

#include <QtGui/QPainter>
#include <QtGui/QPainterPath>

namespace ScopeGlyphs {

namespace {
constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kNavy = qRgb(0, 0, 128);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kGreen = qRgb(0, 160, 0);
constexpr QRgb kGrey = qRgb(64, 64, 64);

void polygon(QPainter& p, QRgb colour, std::initializer_list<QPointF> points)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(colour));
    p.drawPolygon(points.begin(), static_cast<int>(points.size()));
}

void lines(QPainter& p, int n)
{
    p.setPen(QPen(QColor(kNavy), 2));
    const double gap = 18.0 / (n + 1);
    for (int i = 1; i <= n; ++i) p.drawLine(QPointF(3, 2 + gap * i), QPointF(19, 2 + gap * i));
}
}  // namespace

QImage picture(Glyph glyph)
{
    QImage image(22, 22, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    switch (glyph) {
        case Play: polygon(p, kBlue, {{5, 3}, {19, 11}, {5, 19}}); break;
        case Pause:
            p.fillRect(QRectF(5, 4, 4, 14), QColor(kNavy));
            p.fillRect(QRectF(13, 4, 4, 14), QColor(kNavy));
            break;
        case Stop: p.fillRect(QRectF(5, 5, 12, 12), QColor(kNavy)); break;
        case Read:
            p.fillRect(QRectF(4, 3, 14, 3), QColor(kBlue));
            polygon(p, kBlue, {{4, 9}, {18, 9}, {11, 19}});
            break;
        case Record:
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(kRed));
            p.drawEllipse(QRectF(4, 4, 14, 14));
            break;
        case Eraser: {
            p.translate(11, 11);
            p.rotate(-35);
            p.setPen(QPen(QColor(kGrey), 1));
            p.setBrush(QColor(255, 160, 170));
            p.drawRect(QRectF(-8, -4, 10, 8));
            p.setBrush(QColor(90, 130, 220));
            p.drawRect(QRectF(2, -4, 6, 8));
            break;
        }
        case Digits: {
            QFont f;
            f.setPixelSize(7);
            f.setBold(true);
            p.setFont(f);
            p.setPen(QColor(kNavy));
            const char* rows[3] = {"1 2", "3 4", "5 6"};
            for (int r = 0; r < 3; ++r)
                p.drawText(QRectF(1, 1 + r * 7, 20, 7), Qt::AlignCenter, QLatin1String(rows[r]));
            break;
        }
        case Lines1: lines(p, 1); break;
        case Lines3: lines(p, 3); break;
        case Lines6: lines(p, 6); break;
        case Plus:
            p.fillRect(QRectF(4, 9, 14, 4), QColor(kGreen));
            p.fillRect(QRectF(9, 4, 4, 14), QColor(kGreen));
            break;
        case Minus: p.fillRect(QRectF(4, 9, 14, 4), QColor(kGreen)); break;
    }
    return image;
}

Glyph buttonGlyph(int command)
{
    switch (command) {
        case 1: return Play;
        case 2: return Pause;
        case 3: return Stop;
        case 4: return Record;
        case 5: return Read;
        case 6: return Eraser;
        case 7: return Digits;
        case 10: return Lines1;
        case 11: return Lines3;
        case 12: return Lines6;
        case 20: return Plus;
        default: return Minus;
    }
}

}  // namespace ScopeGlyphs
