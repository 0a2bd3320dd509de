#include "ui/TypedNumber.h"

#include <QtCore/QRegularExpression>

#include <cmath>
#include <limits>

namespace TypedNumber {

std::optional<double> parse(const QString& text)
{
    QString t = text.trimmed();
    t.remove(QChar(0x00A0));
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    if (!number.match(t).hasMatch()) return std::nullopt;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

Outcome read(const QString& typed, int min, int max, const std::function<QString(int)>& shown)
{
    Outcome out;
    const auto value = [&](int p) { return shown ? parse(shown(p)) : std::optional<double>(p); };
    if (!value(min) && !value(max)) {
        out.kind = Outcome::NoNumbers;
        return out;
    }
    const std::optional<double> t = parse(typed);
    if (!t) return out;
    double best = std::numeric_limits<double>::infinity();
    int at = min;
    for (int p = min; p <= max; ++p) {
        const std::optional<double> v = value(p);
        if (v && std::abs(*v - *t) < best) {
            best = std::abs(*v - *t);
            at = p;
        }
    }
    // Half the step to a neighbour's text is still this position's (a rounded value typed); a
    // number farther off lies beyond the limits.
    double step = 0;
    for (int n : {at - 1, at + 1})
        if (n >= min && n <= max)
            if (const auto a = value(at), b = value(n); a && b) step = std::max(step, std::abs(*a - *b));
    if (step == 0) step = 1;
    if (best > step / 2 + 1e-9) {
        out.kind = Outcome::OutOfRange;
        return out;
    }
    out.kind = Outcome::Position;
    out.position = at;
    return out;
}

}  // namespace TypedNumber
