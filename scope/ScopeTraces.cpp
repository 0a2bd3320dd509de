#include "scope/ScopeTraces.h"

#include <algorithm>

#include "scope/ScopeGeometry.h"

namespace ScopeTraces {

const int* Cache::heights(int index, const ScopeDecode::Channel& c, int E, const uint8_t* buffer)
{
    if (index >= static_cast<int>(entries_.size())) entries_.resize(static_cast<size_t>(index) + 1);
    Entry& e = entries_[static_cast<size_t>(index)];
    const bool same = e.E == E && e.channel.type == c.type && e.channel.offset == c.offset &&
                      e.channel.gain == c.gain && e.channel.scale == c.scale;
    if (!same) {
        e.channel = c;
        e.E = E;
        e.h.resize(ScopeDecode::kBufferSamples);
        for (int i = 0; i < ScopeDecode::kBufferSamples; ++i) e.h[static_cast<size_t>(i)] = ScopeDecode::value(c, buffer, i, E);
    }
    return e.h.data();
}

void Cache::slotChanged(int slot, const uint8_t* buffer)
{
    if (slot < 0 || slot >= ScopeDecode::kBufferSamples) return;
    for (Entry& e : entries_)
        if (e.E >= 0) e.h[static_cast<size_t>(slot)] = ScopeDecode::value(e.channel, buffer, slot, e.E);
}

void Cache::clear()
{
    for (Entry& e : entries_) e.E = -1;
}

void columnExtremes(const int* h, int windowStart, double spp, int s, int* lo, int* hi)
{
    for (int K = 1; K < s; ++K) {
        int first = 0, end = 0;
        ScopeGeometry::columnSamples(K, spp, first, end);
        int a = first + windowStart, b = end + windowStart;
        int mn = 0, mx = 0;
        bool any = false;
        if (a < 0 || b > ScopeDecode::kBufferSamples) any = true;  // samples outside read as 0
        a = std::max(a, 0);
        b = std::min(b, ScopeDecode::kBufferSamples);
        if (a < b) {
            int m1 = h[a], m2 = h[a];
            for (int i = a + 1; i < b; ++i) {
                m1 = std::min(m1, h[i]);
                m2 = std::max(m2, h[i]);
            }
            if (any) {
                mn = std::min(m1, 0);
                mx = std::max(m2, 0);
            } else {
                mn = m1;
                mx = m2;
            }
        }
        lo[K] = mn;
        hi[K] = mx;
    }
}

void strokeColumns(QImage& image, QRgb colour, const int* first, const int* second, int s)
{
    const int W = image.width(), H = image.height();
    if (H <= 0 || s < 2) return;
    const qsizetype stride = image.bytesPerLine() / 4;
    QRgb* bits = reinterpret_cast<QRgb*>(image.bits());
    int previous = first[1];
    for (int K = 1; K < s; ++K) {
        int top = std::min({previous, first[K], second[K]});
        int bottom = std::max({previous, first[K], second[K]});
        previous = second[K];
        top = std::max(top - 1, 0);  // the 2-pixel pen reaches one row above and one column left
        bottom = std::min(bottom, H - 1);
        const int x = K + 10;
        const int x0 = std::max(x - 1, 0), x1 = std::min(x, W - 1);
        if (x0 > x1) continue;
        QRgb* p = bits + top * stride;
        for (int y = top; y <= bottom; ++y, p += stride)
            for (int xx = x0; xx <= x1; ++xx) p[xx] = colour;
    }
}

}  // namespace ScopeTraces
