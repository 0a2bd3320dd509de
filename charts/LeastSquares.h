#pragma once

// Least-squares polynomials through pixel points, for the trend lines of the map charts.
namespace LeastSquares {

// y = c[0] + c[1] x + c[2] x^2 (c[2] is 0 for a straight line).
struct Polynomial {
    double c[3] = {0, 0, 0};
    double at(double x) const { return c[0] + x * (c[1] + x * c[2]); }
};

// The polynomial of `degree` (1 or 2) that fits the n points (x[i], y[i]) best: the normal
// equations (sums of x^(i+j) and of x^i y) solved by Gaussian elimination with back substitution. A
// zero pivot is replaced by the row below with the largest magnitude in its column; a coefficient
// whose pivot stays zero stays 0 (too few distinct x for the degree).
Polynomial fit(const int* x, const int* y, int n, int degree);

// The straight line through the points by the closed form; false when all points share one x
// (no line), with slope and intercept left as they were.
bool line(const int* x, const int* y, int n, double& slope, double& intercept);

}  // namespace LeastSquares
