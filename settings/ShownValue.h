#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>

// A setting's value typed as the program shows it ("41" for 41 °C, "1.20" for 1.20 ms, "Turbo")
// turned back into the stored byte. Pure: what it needs to know of the setting comes in a Rule,
// which SettingsCatalogue::ShownRule makes from the catalogue, so that the command line and the
// window read a value the same way the catalogue shows it.
namespace ShownValue {

struct Rule {
    enum Kind {
        None,    // nothing to type: a heading, a byte shown without a scale
        Number,  // shown = (raw - bias) x scale + offset, with `decimals` (0: the general form)
        Choice,  // shown = choices[raw - min]
    };
    Kind kind = None;
    double scale = 0;
    int bias = 0;       // 128 for the signed settings
    double offset = 0;  // added to what is shown (the idle corrections' learned adaptation)
    int decimals = 0;
    int min = 0;  // the stored byte's limits
    int max = 0;
    int current = -1;     // the byte now stored; kept when it shows as the typed number
    QStringList choices;  // Choice: the shown text of raw min, min + 1, ... max
};

enum class Outcome {
    Taken,         // `raw` shows exactly as typed
    Rounded,       // `raw` is the nearest step to the typed number and shows differently
    OutOfLimits,   // the nearest step lies outside min..max
    NotANumber,    // a Number setting given something else
    NoSuchChoice,  // a Choice setting given a text none of its choices shows
    NotTyped,      // a Rule::None setting: only a stored byte can be given
};

struct Parsed {
    Outcome outcome = Outcome::NotTyped;
    int raw = -1;  // the stored byte for Taken and Rounded, else -1
};

// Reads `text` under `rule`. Numbers take a decimal point or comma and an optional sign; choices
// are matched whole, ignoring case and repeated spaces, "Ohm" standing for "Ω".
Parsed parse(const Rule& rule, const QString& text);

}  // namespace ShownValue
