#include "dialogs/Unitlogo.h"

#include <QtGui/QLinearGradient>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>
#include <QtWidgets/QLabel>

TFormLogo::TFormLogo(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormLogo"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(kPictureWidth + 8, kPictureHeight + 8);
    setAutoFillBackground(true);
    Image1 = new QLabel(this);
    Image1->setGeometry(4, 4, kPictureWidth, kPictureHeight);
}

void TFormLogo::showCentredOn(QWidget* owner, const QColor& background)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, background);
    setPalette(p);
    Image1->setPixmap(QPixmap::fromImage(Picture()));
    if (owner) move(owner->frameGeometry().center() - rect().center());
    setWindowModality(Qt::ApplicationModal);
    show();
}

QImage TFormLogo::Picture()
{
    QImage img(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, kPictureHeight);
    sky.setColorAt(0, QColor(18, 40, 78));
    sky.setColorAt(1, QColor(6, 14, 30));
    p.fillRect(img.rect(), sky);

    // A stylised injector rail: four nozzles with flames of gas.
    p.setPen(QPen(QColor(150, 170, 190), 3));
    p.setBrush(QColor(60, 80, 105));
    p.drawRoundedRect(QRectF(150, 250, 400, 34), 12, 12);
    for (int i = 0; i < 4; ++i) {
        const double x = 205 + i * 97;
        p.setBrush(QColor(90, 110, 135));
        p.drawRect(QRectF(x - 12, 284, 24, 44));
        QPainterPath flame;
        flame.moveTo(x - 12, 330);
        flame.cubicTo(x - 24, 365, x - 4, 380, x, 408);
        flame.cubicTo(x + 4, 380, x + 24, 365, x + 12, 330);
        flame.closeSubpath();
        QLinearGradient g(x, 330, x, 408);
        g.setColorAt(0, QColor(120, 200, 255));
        g.setColorAt(1, QColor(20, 80, 220, 40));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawPath(flame);
        p.setPen(QPen(QColor(150, 170, 190), 3));
    }

    QFont title(QStringLiteral("Tahoma"));
    title.setPixelSize(96);
    title.setBold(true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 8);
    p.setFont(title);
    p.setPen(QColor(240, 245, 250));
    p.drawText(QRect(0, 60, kPictureWidth, 120), Qt::AlignCenter, QStringLiteral("KAVELO"));
    QFont sub(QStringLiteral("Tahoma"));
    sub.setPixelSize(22);
    p.setFont(sub);
    p.setPen(QColor(120, 200, 255));
    p.drawText(QRect(0, 175, kPictureWidth, 40), Qt::AlignCenter, QStringLiteral("LPG / CNG sequential injection"));
    p.setPen(QPen(QColor(120, 200, 255), 2));
    p.drawLine(200, 222, 500, 222);
    return img;
}
