#include "base/NumberLocale.h"

const QLocale& NumberLocale()
{
    static const QLocale locale = [] {
        QLocale l;
        l.setNumberOptions(QLocale::OmitGroupSeparator);
        return l;
    }();
    return locale;
}

QString WithDecimalPoint(QString text)
{
    const QString point = QLocale().decimalPoint();
    if (point != QLatin1String(".")) text.replace(QLatin1Char('.'), point);
    return text;
}
