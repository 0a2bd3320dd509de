#include "scope/ScopeTraces.h"

#include <algorithm>

#include "scope/ScopeGeometry.h"

namespace ScopeTraces {

namespace {
int16_t clamped(int v) { return static_cast<int16_t>(std::clamp(v, -32767, 32767)); }
}  // namespace

const int16_t* Cache::heights(int index, const ChannelDecoder::Channel& c, int E, const uint8_t* buffer)
{
    if (index >= static_cast<int>(entries_.size())) entries_.resize(static_cast<size_t>(index) + 1);
    Entry& e = entries_[static_cast<size_t>(index)];
    const bool same = e.E == E && e.channel.type == c.type && e.channel.offset == c.offset &&
                      e.channel.gain == c.gain && e.channel.scale == c.scale;
    if (!same) {
        e.channel = c;
        e.E = E;
        e.h.resize(ChannelDecoder::kBufferSamples);
        for (int i = 0; i < ChannelDecoder::kBufferSamples; ++i)
            e.h[static_cast<size_t>(i)] = clamped(ChannelDecoder::value(c, buffer, i, E));
    }
    return e.h.data();
}

void Cache::slotChanged(int slot, const uint8_t* buffer)
{
    if (slot < 0 || slot >= ChannelDecoder::kBufferSamples) return;
    for (Entry& e : entries_)
        if (e.E >= 0) e.h[static_cast<size_t>(slot)] = clamped(ChannelDecoder::value(e.channel, buffer, slot, e.E));
}

void Cache::clear()
{
    for (Entry& e : entries_) e.E = -1;
}

void columnExtremes(const int16_t* h, int windowStart, double spp, int s, int* lo, int* hi)
{
    constexpr int n = ChannelDecoder::kBufferSamples;
    // Every time base above 1 sample per pixel is a whole number: column K then holds the samples
    // K x spp .. K x spp + spp - 1, without floating point per column.
    const int step = static_cast<int>(spp);
    const bool whole = step == spp;
    for (int K = 1; K < s; ++K) {
        int first = 0, end = 0;
        if (whole) {
            first = K * step;
            end = first + step;
        } else {
            ScopeGeometry::columnSamples(K, spp, first, end);
        }
        int a = first + windowStart, b = end + windowStart;
        // Samples outside the buffer read as 0.
        const bool outside = a < 0 || b > n;
        a = std::max(a, 0);
        b = std::min(b, n);
        int16_t mn = outside || a >= b ? 0 : h[a];
        int16_t mx = mn;
        for (int i = a; i < b; ++i) {
            mn = std::min(mn, h[i]);
            mx = std::max(mx, h[i]);
        }
        lo[K] = mn;
        hi[K] = mx;
    }
}

void joinColumns(int* y, int from, int to)
{
    const int a = y[from], span = to - from;
    const int rise = y[to] - a;
    for (int k = 1; k < span; ++k) {
        // Rounded to the nearest row, halves away from the start point's row.
        const int step = 2 * rise * k;
        y[from + k] = a + (step >= 0 ? step + span : step - span) / (2 * span);
    }
}

void strokeColumns(QImage& image, QRgb colour, const int* first, const int* second, int from, int to)
{
    const int W = image.width(), H = image.height();
    if (H <= 0 || from < 1 || to < from) return;
    const qsizetype stride = image.bytesPerLine() / 4;
    QRgb* bits = reinterpret_cast<QRgb*>(image.bits());
    // Column K's stroke joins the previous column's last point to its own two points. The 2-pixel
    // pen covers pixel columns K + 9 and K + 10 and reaches one row above; pixel column x therefore
    // shows the strokes of K = x - 10 and K = x - 9, which touch, so it is one span.
    auto span = [&](int K, int& top, int& bottom) {
        const int previous = K > 1 ? second[K - 1] : first[1];
        top = std::min({previous, first[K], second[K]}) - 1;
        bottom = std::max({previous, first[K], second[K]});
    };
    int top = 0, bottom = 0;
    span(from, top, bottom);
    for (int K = from; K <= to + 1; ++K) {
        int t = top, b = bottom;
        if (K <= to) {
            int nt = 0, nb = 0;
            span(K, nt, nb);
            if (K > from) {
                t = std::min(top, nt);
                b = std::max(bottom, nb);
            } else {
                t = nt;
                b = nb;
            }
            top = nt;
            bottom = nb;
        }
        const int x = K + 9;  // pixel column shared by strokes K - 1 and K
        if (x < 0 || x >= W) continue;
        t = std::max(t, 0);
        b = std::min(b, H - 1);
        QRgb* p = bits + t * stride + x;
        for (int y = t; y <= b; ++y, p += stride) *p = colour;
    }
}

}  // namespace ScopeTraces
