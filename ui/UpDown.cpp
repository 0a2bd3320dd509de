#include "ui/UpDown.h"

#include <QtWidgets/QToolButton>

#include <algorithm>

UpDown::UpDown(Qt::Orientation orientation, QWidget* parent) : QWidget(parent), orientation_(orientation)
{
    up_ = new QToolButton(this);
    down_ = new QToolButton(this);
    const bool horizontal = orientation == Qt::Horizontal;
    up_->setArrowType(horizontal ? Qt::RightArrow : Qt::UpArrow);
    down_->setArrowType(horizontal ? Qt::LeftArrow : Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(up_, &QToolButton::clicked, this, [this] { step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
}

void UpDown::setRange(int min, int max)
{
    min_ = min;
    max_ = std::max(min, max);
    position_ = std::clamp(position_, min_, max_);
}

void UpDown::setPosition(int position) { position_ = std::clamp(position, min_, max_); }

void UpDown::step(int delta)
{
    position_ = std::clamp(position_ + delta, min_, max_);
    Q_EMIT ChangingEx(position_);
}

void UpDown::resizeEvent(QResizeEvent*)
{
    if (orientation_ == Qt::Horizontal) {
        const int w = width() / 2;
        down_->setGeometry(0, 0, w, height());
        up_->setGeometry(w, 0, width() - w, height());
    } else {
        const int h = height() / 2;
        up_->setGeometry(0, 0, width(), h);
        down_->setGeometry(0, h, width(), height() - h);
    }
}
