#include "link/ScopeCsv.h"

#include <QtCore/QIODevice>
#include <QtCore/QLocale>
#include <QtCore/QStringEncoder>

#include <charconv>
#include <cmath>

#include "base/TextTable.h"
#include "link/OscFile.h"
#include "link/OscSave.h"
#include "link/Tsterownik.h"

namespace ScopeCsv {

namespace {

constexpr int kCsvFlags = 0x1;

void appendInt(QByteArray& out, long long n)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, n);
    out.append(buf, r.ptr - buf);
}

// Fixed decimals, rounded half away from zero; a value that rounds to zero has no minus sign.
void appendFixed(QByteArray& out, double v, int decimals, const QByteArray& point)
{
    static constexpr double kPow10[4] = {1, 10, 100, 1000};
    static constexpr long long kIntPow10[4] = {1, 10, 100, 1000};
    const double scaled = v * kPow10[decimals];
    if (!(std::fabs(scaled) < 9e17)) {  // no such reading comes from a byte or a word
        out.append("0");
        return;
    }
    const long long n = static_cast<long long>(std::floor(std::fabs(scaled) + 0.5));
    if (scaled < 0 && n != 0) out.append('-');
    appendInt(out, n / kIntPow10[decimals]);
    out.append(point);
    char digits[4];
    long long frac = n % kIntPow10[decimals];
    for (int i = decimals - 1; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + frac % 10);
        frac /= 10;
    }
    out.append(digits, decimals);
}

// The general number format: whole numbers without a fraction, others with up to 15 significant
// digits.
void appendGeneral(QByteArray& out, double v, const QByteArray& point)
{
    if (v == std::floor(v) && std::fabs(v) < 1e15) {
        appendInt(out, static_cast<long long>(v));
        return;
    }
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    for (const char* p = buf; p < r.ptr; ++p) {
        if (*p == '.') out.append(point);
        else out.append(*p);
    }
}

}  // namespace

QVector<Column> columns(const TSterownik& link)
{
    QVector<Column> result;
    const int n = link.PodajIleParamBiez(kCsvFlags);
    for (int i = 0; i < n; ++i) {
        const int c = link.PodajPozycje(kCsvFlags, i);
        if (c < 0 || c >= link.wykresy.size()) continue;
        const TWykres& w = link.wykresy[c];
        result.append(Column{ScopeDecode::channelOf(w), w.decimals, w.id});
    }
    return result;
}

QString header(const QVector<Column>& columns)
{
    QString text = QStringLiteral("sec;");
    for (const Column& c : columns) {
        if (c.id > 0) text += TextById(c.id);
        text += QLatin1Char(';');
    }
    return text + QStringLiteral("\r\n");
}

void appendRows(QByteArray& out, const QVector<Column>& columns, const uint8_t* samples, int count,
                qint64 firstIndex, const QByteArray& point)
{
    for (int s = 0; s < count; ++s) {
        const qint64 i = firstIndex + s;
        // i x 0.1 with one decimal is exactly the tenths of i.
        appendInt(out, i / 10);
        out.append(point);
        out.append(static_cast<char>('0' + i % 10));
        out.append(';');
        const uint8_t* sample = samples + static_cast<size_t>(s) * ScopeDecode::kSampleSize;
        for (const Column& c : columns) {
            if (c.decimals > 3) continue;
            const double v = ScopeDecode::value(c.channel, sample, 0) * c.channel.scale;
            if (c.decimals <= 0) appendGeneral(out, v, point);
            else appendFixed(out, v, c.decimals, point);
            out.append(';');
        }
        out.append("\r\n", 2);
    }
}

QByteArray encode(const QString& text)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

QByteArray decimalPoint() { return encode(QLocale().decimalPoint()); }

int save(const QString& path, const TSterownik& link, const uint8_t* samples, int count)
{
    const QVector<Column> cols = columns(link);
    const QByteArray point = decimalPoint();
    const bool ok = OscSave::saveAtomically(path, [&](QIODevice& file) {
        QByteArray text = encode(header(cols));
        text.reserve(static_cast<qsizetype>(count) * (cols.size() * 8 + 12) + text.size());
        appendRows(text, cols, samples, count, 0, point);
        return file.write(text) == text.size();
    });
    return ok ? 0 : OscFile::CsvFailed;
}

}  // namespace ScopeCsv
