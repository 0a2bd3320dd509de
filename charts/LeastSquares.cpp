#include "charts/LeastSquares.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace LeastSquares {

Polynomial fit(const int* x, const int* y, int n, int degree)
{
    Polynomial poly;
    degree = std::clamp(degree, 1, 2);
    const int m = degree + 1;
    // Sums of x^0 .. x^4 and of x^i y; around the mean of x, so that x^4 of 2000-pixel plots stays
    // well inside double precision, then shifted back.
    double mean = 0;
    for (int i = 0; i < n; ++i) mean += x[i];
    if (n > 0) mean /= n;
    double sx[5] = {0, 0, 0, 0, 0};
    double sxy[3] = {0, 0, 0};
    for (int i = 0; i < n; ++i) {
        const double d = x[i] - mean;
        double p = 1;
        for (int k = 0; k <= 2 * degree; ++k) {
            sx[k] += p;
            if (k < m) sxy[k] += p * y[i];
            p *= d;
        }
    }
    double a[3][4] = {};
    for (int r = 0; r < m; ++r) {
        for (int c = 0; c < m; ++c) a[r][c] = sx[r + c];
        a[r][m] = sxy[r];
    }
    // Forward elimination; a pivot that is (numerically) zero swaps in the largest row below.
    const double tiny = 1e-12 * (std::abs(sx[0]) + 1) * (std::abs(sx[2 * degree]) + 1);
    for (int col = 0; col < m; ++col) {
        if (std::abs(a[col][col]) <= tiny) {
            int best = col;
            for (int r = col + 1; r < m; ++r)
                if (std::abs(a[r][col]) > std::abs(a[best][col])) best = r;
            if (best != col) std::swap(a[best], a[col]);
        }
        if (std::abs(a[col][col]) <= tiny) continue;
        for (int r = col + 1; r < m; ++r) {
            const double f = a[r][col] / a[col][col];
            for (int c = col; c <= m; ++c) a[r][c] -= f * a[col][c];
        }
    }
    double b[3] = {0, 0, 0};
    for (int r = m - 1; r >= 0; --r) {
        if (std::abs(a[r][r]) <= tiny) continue;
        double s = a[r][m];
        for (int c = r + 1; c < m; ++c) s -= a[r][c] * b[c];
        b[r] = s / a[r][r];
    }
    // Back from powers of (x - mean) to powers of x.
    poly.c[0] = b[0] - b[1] * mean + b[2] * mean * mean;
    poly.c[1] = b[1] - 2 * b[2] * mean;
    poly.c[2] = b[2];
    return poly;
}

bool line(const int* x, const int* y, int n, double& slope, double& intercept)
{
    if (n < 1) return false;
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (int i = 0; i < n; ++i) {
        sx += x[i];
        sy += y[i];
        sxx += double(x[i]) * x[i];
        sxy += double(x[i]) * y[i];
    }
    const double den = n * sxx - sx * sx;
    if (den == 0) return false;
    slope = (n * sxy - sx * sy) / den;
    intercept = (sy - slope * sx) / n;
    return true;
}

}  // namespace LeastSquares
