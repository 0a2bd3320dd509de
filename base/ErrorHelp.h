#pragma once

#include <QtCore/QList>
#include <QtCore/QString>

// What each "Error code N" box of the program means and what the fitter does about it. The box keeps
// its number; the explanation is one line below it, in the window's language, from the table of the
// program's own texts. The command line prints the same line.
namespace ErrorHelp {

// Every number an error box can show: 1 (no controller link), 121..123 (settings files), 131..135
// (recordings and CSV exports), 141..144 (firmware files).
const QList<int>& codes();
// "Error code N", the box's own text.
QString boxText(int code);
// ID of the explanation in the own-text table; 0 for a number the program never shows.
int textId(int code);
// The explanation in the current language, or in `language` (TextTable::Language); empty for a
// number the program never shows.
QString explanation(int code);
QString explanation(int code, int language);

}  // namespace ErrorHelp
