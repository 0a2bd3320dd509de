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
