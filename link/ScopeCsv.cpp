#include "link/ScopeCsv.h"

#include <QtCore/QIODevice>
#include <QtCore/QLocale>
#include <QtCore/QStringEncoder>

#include <charconv>
#include <cmath>

#include "base/AtomicSave.h"
#include "base/TextTable.h"
#include "link/ChannelTable.h"
#include "link/OscFile.h"

namespace ScopeCsv {

namespace {

constexpr int kCsvFlags = 0x1;

// Writers into a buffer that the caller has made large enough for one line.
char* putInt(char* p, long long n) { return std::to_chars(p, p + 24, n).ptr; }

char* putPoint(char* p, const QByteArray& point)
{
    for (char c : point) *p++ = c;
    return p;
}

// Fixed decimals, rounded half away from zero; a value that rounds to zero has no minus sign.
char* putFixed(char* p, double v, int decimals, const QByteArray& point)
{
    static constexpr double kPow10[4] = {1, 10, 100, 1000};
    static constexpr long long kIntPow10[4] = {1, 10, 100, 1000};
    const double scaled = v * kPow10[decimals];
    if (!(std::fabs(scaled) < 9e17)) {  // no such reading comes from a byte or a word
        *p++ = '0';
        return p;
    }
    const long long n = static_cast<long long>(std::floor(std::fabs(scaled) + 0.5));
    if (scaled < 0 && n != 0) *p++ = '-';
    p = putInt(p, n / kIntPow10[decimals]);
    p = putPoint(p, point);
    long long frac = n % kIntPow10[decimals];
    for (int i = decimals - 1; i >= 0; --i) {
        p[i] = static_cast<char>('0' + frac % 10);
        frac /= 10;
    }
    return p + decimals;
}

// The general number format: whole numbers without a fraction, others with up to 15 significant
// digits.
char* putGeneral(char* p, double v, const QByteArray& point)
{
    if (v == std::floor(v) && std::fabs(v) < 1e15) return putInt(p, static_cast<long long>(v));
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    for (const char* q = buf; q < r.ptr; ++q) {
        if (*q == '.') p = putPoint(p, point);
        else *p++ = *q;
    }
    return p;
}

}  // namespace

QVector<Column> columns(const ChannelTable& table)
{
    QVector<Column> result;
    const int n = table.count(kCsvFlags);
    for (int i = 0; i < n; ++i) {
        const int c = table.position(kCsvFlags, i);
        if (c < 0 || c >= table.channels().size()) continue;
        const TWykres& w = table.channels()[c];
        result.append(Column{ChannelDecoder::channelOf(w), w.decimals, w.id});
    }
    return result;
}

QString header(const QVector<Column>& columns)
{
    QString text = QStringLiteral("sec;");
    for (const Column& c : columns) {
        if (c.id != 0) text += TextById(c.id);  // diagnostic channels have fixed names (negative IDs)
        text += QLatin1Char(';');
    }
    return text + QStringLiteral("\r\n");
}

void appendRows(QByteArray& out, const QVector<Column>& columns, const uint8_t* samples, int count, qint64 firstIndex,
                const QByteArray& point)
{
    // Room for the longest line: every field a 15-digit number with an exponent and separators.
    const qsizetype lineMax = (columns.size() + 1) * (48 + 2 * point.size()) + 4;
    for (int s = 0; s < count; ++s) {
        const qsizetype used = out.size();
        out.resize(used + lineMax);
        char* const begin = out.data() + used;
        char* p = begin;
        const qint64 i = firstIndex + s;
        // i x 0.1 with one decimal is exactly the tenths of i.
        p = putInt(p, i / 10);
        p = putPoint(p, point);
        *p++ = static_cast<char>('0' + i % 10);
        *p++ = ';';
        const uint8_t* sample = samples + static_cast<size_t>(s) * ChannelDecoder::kSampleSize;
        for (const Column& c : columns) {
            if (c.decimals > 3) continue;
            const double v = ChannelDecoder::value(c.channel, sample, 0) * c.channel.scale;
            p = c.decimals <= 0 ? putGeneral(p, v, point) : putFixed(p, v, c.decimals, point);
            *p++ = ';';
        }
        *p++ = '\r';
        *p++ = '\n';
        out.resize(used + (p - begin));
    }
}

QByteArray encode(const QString& text)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

QByteArray decimalPoint() { return encode(QLocale().decimalPoint()); }

int save(const QString& path, const ChannelTable& table, const uint8_t* samples, int count)
{
    const QVector<Column> cols = columns(table);
    const QByteArray point = decimalPoint();
    const bool ok = AtomicSave::save(path, [&](QIODevice& file) {
        QByteArray text = encode(header(cols));
        text.reserve(static_cast<qsizetype>(count) * (cols.size() * 8 + 12) + text.size());
        appendRows(text, cols, samples, count, 0, point);
        return file.write(text) == text.size();
    });
    return ok ? 0 : OscFile::CsvFailed;
}

}  // namespace ScopeCsv
