#pragma once

#include <QtWidgets/QWidget>

class QToolButton;

// A pair of arrow buttons that steps a position within min..max, as the dialogs pair with a
// read-only value box. Every click reports the new position through ChangingEx, also at a limit
// (the position then stays), so that a handler sees each press.
class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(Qt::Orientation orientation, QWidget* parent = nullptr);

    void setRange(int min, int max);
    int minimum() const { return min_; }
    int maximum() const { return max_; }
    // Sets the position without reporting it.
    void setPosition(int position);
    int position() const { return position_; }
    // Setting index (or row) the up-down edits.
    int tag = 0;

    // The up (right) and down (left) buttons, for tests that click them.
    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

Q_SIGNALS:
    void ChangingEx(int newPosition);

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    void step(int delta);

    Qt::Orientation orientation_;
    QToolButton* up_;
    QToolButton* down_;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
};
