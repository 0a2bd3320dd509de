#include "shell/WindowParts.h"

#include <QtWidgets/QApplication>
#include <QtWidgets/QLabel>

namespace WindowParts {

QLabel* makeTitle(QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setAutoFillBackground(true);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

void setColours(QWidget* w, QPalette::ColorRole back, const QColor& background, QPalette::ColorRole fore,
                const QColor& text)
{
    QPalette p = w->palette();
    p.setColor(back, background);
    p.setColor(fore, text);
    w->setPalette(p);
}

QColor systemWindowText() { return QApplication::palette().color(QPalette::Active, QPalette::WindowText); }

void setButtonTextColour(QWidget* button, const QColor& colour)
{
    QPalette p = button->palette();
    p.setColor(QPalette::ButtonText, colour);
    button->setPalette(p);
}

}  // namespace WindowParts
