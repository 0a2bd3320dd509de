#pragma once

#include <QtWidgets/QWidget>

#include <functional>

class QLineEdit;
class QToolButton;

// A pair of arrow buttons that steps a position within min..max, as the dialogs pair with a
// value box. Every click reports the new position through ChangingEx, also at a limit (the
// position then stays), so that a handler sees each press. The box, once made the up-down's buddy,
// also takes a typed number.
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

    // Makes `box` the up-down's typed field: a click focuses it (and selects its text), a number
    // typed and Enter, or leaving the box, makes the position whose text is nearest to it the new
    // one (reported through ChangingEx), Up and Down step as the arrows do, Escape takes back what
    // was typed. `shown` is the text the box shows for a position (the plain number when unset), so
    // a box showing a scaled value takes that value. A number beyond the limits, or digits typed
    // into a box that shows no numbers, leave the position as it was and show a hint by the box.
    void setBuddy(QLineEdit* box, std::function<QString(int)> shown = {});
    QLineEdit* buddy() const { return box_; }
    // The last hint shown by the box (empty until one is).
    QString lastHint() const { return lastHint_; }

    // The up (right) and down (left) buttons, for tests that click them.
    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

Q_SIGNALS:
    void ChangingEx(int newPosition);

protected:
    void resizeEvent(QResizeEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void step(int delta);
    QString shownText(int position) const;
    // Takes what was typed into the box; false when it was refused (with a hint).
    bool commitTyped();
    void showHint(const QString& text);

    Qt::Orientation orientation_;
    QToolButton* up_;
    QToolButton* down_;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    QLineEdit* box_ = nullptr;
    std::function<QString(int)> shown_;
    bool selectOnRelease_ = false;
    QString lastHint_;
};
