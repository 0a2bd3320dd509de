#pragma once

#include <QtCore/QString>
#include <QtCore/QVector>

// What each row of the readings grid shows, so that a reading that has not changed since it was
// shown is not set again: live frames come ten times a second and mostly repeat.
class ReadingsCache {
public:
    // A new set of rows: every row shows its next reading.
    void reset(int rows) { shown_ = QVector<QString>(rows > 0 ? rows : 0); }
    // True when `text` is new in `row` (it is then remembered as shown); an empty text is never shown.
    bool changed(int row, const QString& text)
    {
        if (text.isEmpty() || row < 0) return false;
        if (row >= shown_.size()) shown_.resize(row + 1);
        if (shown_[row] == text) return false;
        shown_[row] = text;
        return true;
    }

    const QString& text(int row) const { return shown_[row]; }

private:
    QVector<QString> shown_;
};
