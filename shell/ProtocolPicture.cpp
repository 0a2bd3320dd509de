#include "shell/ProtocolPicture.h"

#include <QtGui/QPainter>
#include <QtGui/QPainterPath>

namespace ProtocolPicture {

QImage picture(const QString& name)
{
    QImage img(kWidth, kHeight, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const bool off = name == QLatin1String("RC_OBD_OFF");
    const bool on = !off && name == QLatin1String("RC_OBD_ON");
    QString label = name.mid(7);
    if (on) label = QStringLiteral("OBD");
    const QColor body = off ? QColor(150, 150, 150) : on ? QColor(230, 140, 30) : QColor(0, 150, 0);

    // The 16-pin socket: a trapezoid with two rows of pins.
    QPainterPath socket;
    socket.moveTo(4, 8);
    socket.lineTo(64, 8);
    socket.lineTo(58, 40);
    socket.lineTo(10, 40);
    socket.closeSubpath();
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.setBrush(QColor(60, 60, 60));
    p.drawPath(socket);
    p.setPen(Qt::NoPen);
    p.setBrush(off ? QColor(120, 120, 120) : QColor(230, 200, 60));
    for (int i = 0; i < 8; ++i) {
        p.drawRect(QRectF(10 + 6.2 * i, 14, 3, 6));
        p.drawRect(QRectF(13 + 5.4 * i, 27, 3, 6));
    }
    // The protocol family beside it.
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(20);
    f.setBold(true);
    p.setFont(f);
    p.setPen(body);
    p.drawText(QRect(68, 0, kWidth - 68, kHeight), Qt::AlignCenter, label);
    if (off) {
        p.setPen(QPen(QColor(200, 0, 0), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14, 6), QPointF(54, 42));
        p.drawLine(QPointF(54, 6), QPointF(14, 42));
    }
    return img;
}

QImage canvas(const QString& name, int panelWidth, const QColor& fill)
{
    const int w = std::max(1, panelWidth - 90);
    QImage c(w, kHeight, QImage::Format_RGB32);
    c.fill(fill);
    QPainter p(&c);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QImage pic = picture(name);
    if (w < 136) {
        const int top = kHeight - (w - 4) * kHeight / kWidth;
        p.drawImage(QRect(0, top, std::max(0, w - 4), kHeight - top), pic);
    } else {
        p.drawImage((w - kWidth) / 2, 0, pic);
    }
    return c;
}

}  // namespace ProtocolPicture
