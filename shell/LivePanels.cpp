#include "shell/LivePanels.h"

namespace LivePanels {

namespace {

constexpr int kDetails1[8] = {0, 1802, 1803, 0, 0, 0, 0, 0};
constexpr int kDetails10[8] = {1811, 1812, 1813, 1814, 1815, 1816, 1817, 0};
constexpr int kDetails20[8] = {1821, 1822, 1823, 1824, 1825, 1826, 0, 0};

// Error text of bit k of errors-reply byte b (6..12); 0 for a bit without an error. The injector
// errors of bytes 10..12 are followed by the injector number.
int errorTextId(int b, int k)
{
    switch (b) {
        case 6: return 1901 + k;
        case 7: {
            constexpr int ids[8] = {1911, 1912, 0, 0, 1913, 1914, 1915, 0};
            return ids[k];
        }
        case 8: return 1921 + k;
        case 9: return k < 4 ? 1931 + k : 0;
        case 10: return 1940;
        case 11: return 1950;
        case 12: return 1960;
        default: return 0;
    }
}

}  // namespace

int detailTextId(int group, uint8_t bits)
{
    const int* table = group == 1 ? kDetails1 : group == 10 ? kDetails10 : group == 20 ? kDetails20 : nullptr;
    if (!table) return 0;
    int id = 0;
    for (int bit = 0; bit < 8; ++bit)
        if ((bits >> bit & 1) && table[bit]) id = table[bit];
    return id;
}

int fuelSwitchTextId(int cause)
{
    if (cause >= 1 && cause <= 17) return 2000 + cause;
    if (cause >= 32 && cause <= 35) return 2018 + cause - 32;
    return 0;
}

QStringList errorLines(const uint8_t* frame, int length, bool storedPresent, const TextLookup& text)
{
    const auto at = [&](int i) { return i < length ? frame[i] : uint8_t(0); };
    const auto errorText = [&](int b, int k) {
        const int id = errorTextId(b, k);
        if (id == 0) return QString();
        QString s = text(id);
        if (b >= 10) s += QLatin1Char(' ') + QString::number(k + 1);
        return s;
    };
    QStringList lines;
    for (int b = 6; b <= 12; ++b)
        for (int k = 0; k < 8; ++k)
            if ((at(b) >> k & 1) && errorTextId(b, k)) lines << errorText(b, k);
    if (!storedPresent) return lines;
    lines << QString() << QLatin1Char('\t') + text(1233) + QLatin1Char(':') << QString();
    for (int b = 6; b <= 12; ++b)
        for (int k = 0; k < 8; ++k) {
            const int count = at(13 + 8 * (b - 6) + k);
            if (count != 0 && errorTextId(b, k))
                lines << QString::number(count) + QStringLiteral(" x ") + errorText(b, k);
        }
    return lines;
}

QString historyLine(const QString& timeText, const QString& what)
{
    QString line = timeText + QLatin1Char('\t');
    if (line.size() <= 8) line += QLatin1Char('\t');
    return line + what;
}

QString protocolPictureName(int state)
{
    switch (state) {
        case -1: return QStringLiteral("RC_OBD_OFF");
        case 1: return QStringLiteral("RC_OBD_PWM");
        case 2: return QStringLiteral("RC_OBD_VPW");
        case 3:
        case 4:
        case 5: return QStringLiteral("RC_OBD_ISO");
        case 6:
        case 7:
        case 8:
        case 9: return QStringLiteral("RC_OBD_CAN");
        default: return QStringLiteral("RC_OBD_ON");
    }
}

}  // namespace LivePanels
