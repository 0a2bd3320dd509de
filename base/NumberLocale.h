#pragma once

#include <QtCore/QLocale>

// The user's locale for the decimal separator, without thousands grouping: 1726.25, not 1,726.25.
// Built once, on first use.
const QLocale& NumberLocale();

// A number formatted with '.' given the decimal point of the user's locale as it is now.
QString WithDecimalPoint(QString text);
