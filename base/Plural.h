#pragma once

#include <QtCore/QString>

// A count with its noun in the form the language asks for: "1 cell", "2 cells"; "1 komórka",
// "2 komórki", "5 komórek", "22 komórki"; "1 ячейка", "3 ячейки", "11 ячеек", "21 ячейка";
// "1 celda", "0 celdas". The one rule wherever the program shows a count with a noun.
namespace Plural {

enum Form {
    One,   // 1 (Russian: 21, 31, ... as well)
    Few,   // Polish and Russian: 2..4, 22..24, ... but not 12..14
    Many,  // everything else
};

// The form of `n` in `language` (TextTable::Language).
Form form(long long n, int language);

// "N noun": the noun is an own text whose cells hold its forms "one|few|many" (English and Spanish
// give few as many). In the program's language when `language` is -1.
QString count(long long n, int nounId, int language = -1);

}  // namespace Plural
