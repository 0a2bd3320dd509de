#include "base/Plural.h"

#include <QtCore/QStringList>

#include <cstdlib>

#include "base/OwnTexts.h"

namespace Plural {

Form form(long long n, int language)
{
    const long long a = std::llabs(n);
    const long long last = a % 10;
    const long long lastTwo = a % 100;
    const bool few = last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14);
    switch (language) {
        case TextTable::Polish: return a == 1 ? One : few ? Few : Many;
        case TextTable::Russian: return last == 1 && lastTwo != 11 ? One : few ? Few : Many;
        default: return a == 1 ? One : Many;
    }
}

QString count(long long n, int nounId, int language)
{
    if (language < 0) language = programLanguage();
    const QStringList forms = ownTexts().text(nounId, language).split(QLatin1Char('|'));
    const QString noun = forms.value(form(n, language), forms.last());
    return QString::number(n) + QLatin1Char(' ') + noun;
}

}  // namespace Plural
