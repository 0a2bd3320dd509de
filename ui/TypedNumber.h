#pragma once

#include <QtCore/QString>

#include <functional>
#include <optional>

// A number typed into a value box, read back into the position it stands for. A box shows a
// position through a text (the plain number, or a setting's scaled value such as "1.20" or "-4"),
// so a typed number is matched against the texts of the positions: the one rule that shows a
// position is also the one that reads it back.
namespace TypedNumber {

// The number in `text`: an optional sign, digits and at most one decimal point or comma, spaces
// around it ignored. Nothing for an empty text or anything else.
std::optional<double> parse(const QString& text);

// What became of a typed text.
struct Outcome {
    enum Kind {
        Position,    // `position` is the position whose text is nearest to the number typed
        NotANumber,  // the text is no number
        OutOfRange,  // the number lies beyond the texts of min and max by more than half a step
        NoNumbers,   // the box shows no numbers (a yes/no), so it takes none
    } kind = NotANumber;
    int position = 0;
};

// The position in min..max whose shown text is nearest to the number typed (the first on a tie).
Outcome read(const QString& typed, int min, int max, const std::function<QString(int)>& shown);

}  // namespace TypedNumber
