#include "ui/UpDown.h"

#include <QtGui/QFocusEvent>
#include <QtGui/QKeyEvent>
#include <QtGui/QRegularExpressionValidator>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QToolButton>
#include <QtWidgets/QToolTip>

#include <algorithm>

#include "base/OwnTexts.h"
#include "ui/TypedNumber.h"

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

// ---------------------------------------------------------------- the typed field

void UpDown::setBuddy(QLineEdit* box, std::function<QString(int)> shown)
{
    box_ = box;
    shown_ = std::move(shown);
    box->setReadOnly(false);
    box->setFocusPolicy(Qt::StrongFocus);
    // Only what a number is made of; letters are not taken at all.
    box->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[+-]?[0-9]*[.,]?[0-9]*")), box));
    box->installEventFilter(this);
}

QString UpDown::shownText(int position) const { return shown_ ? shown_(position) : QString::number(position); }

void UpDown::showHint(const QString& text)
{
    lastHint_ = text;
    QApplication::beep();
    QToolTip::showText(box_->mapToGlobal(QPoint(0, box_->height())), text, box_);
}

bool UpDown::commitTyped()
{
    const QString typed = box_->text();
    if (typed == shownText(position_)) return true;
    const TypedNumber::Outcome o = TypedNumber::read(typed, min_, max_, shown_);
    if (o.kind == TypedNumber::Outcome::Position) {
        if (o.position != position_) {
            position_ = o.position;
            Q_EMIT ChangingEx(position_);
        } else {
            box_->setText(shownText(position_));
        }
        return true;
    }
    // Whatever was refused, the box shows the value again: nothing typed half-way stays behind.
    box_->setText(shownText(position_));
    switch (o.kind) {
        case TypedNumber::Outcome::OutOfRange:
            showHint(TextById(OwnText::TypedOutOfRange).arg(shownText(min_), shownText(max_)));
            break;
        case TypedNumber::Outcome::NoNumbers: showHint(TextById(OwnText::TypedNoDigits)); break;
        default:
            // An emptied box simply takes its value back.
            if (!typed.trimmed().isEmpty())
                showHint(TextById(OwnText::TypedOutOfRange).arg(shownText(min_), shownText(max_)));
            break;
    }
    return false;
}

bool UpDown::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != box_ || !box_) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::FocusIn: {
            // Digits typed into a box just entered replace its value. A click leaves the cursor
            // where it landed, so the value is selected once the button is up; the box taking the
            // focus as its dialog opens selects it at once (the Tab key's focus does by itself).
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            selectOnRelease_ = reason == Qt::MouseFocusReason;
            if (reason == Qt::ActiveWindowFocusReason || reason == Qt::OtherFocusReason) box_->selectAll();
            break;
        }
        case QEvent::MouseButtonRelease:
            if (selectOnRelease_) {
                selectOnRelease_ = false;
                box_->selectAll();
                return true;
            }
            break;
        case QEvent::FocusOut:
            // The focus taken away to nowhere by the program (the box or its dialog being destroyed)
            // is not the fitter leaving the box: nothing typed is taken then, and no handler of a
            // dialog half destroyed is called.
            if (static_cast<QFocusEvent*>(event)->reason() == Qt::OtherFocusReason && !QApplication::focusWidget())
                break;
            commitTyped();
            break;
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            switch (key->key()) {
                case Qt::Key_Return:
                case Qt::Key_Enter:
                    // Enter takes the number; it does not also press the dialog's OK button.
                    commitTyped();
                    box_->selectAll();
                    return true;
                case Qt::Key_Escape:
                    if (box_->text() == shownText(position_)) break;  // the dialog's own Escape
                    box_->setText(shownText(position_));
                    box_->selectAll();
                    return true;
                case Qt::Key_Up:
                case Qt::Key_Down:
                    if (commitTyped()) step(key->key() == Qt::Key_Up ? 1 : -1);
                    box_->selectAll();
                    return true;
                default: break;
            }
            const QString text = key->text();
            if (!text.isEmpty() && text.at(0).isDigit() &&
                TypedNumber::read(QString(), min_, max_, shown_).kind == TypedNumber::Outcome::NoNumbers) {
                showHint(TextById(OwnText::TypedNoDigits));
                return true;
            }
            break;
        }
        default: break;
    }
    return QWidget::eventFilter(watched, event);
}
