#include "performance/monotone_cubic.h"

#include <algorithm>
#include <cmath>

namespace corvane::performance {

namespace {

bool SameSign(double a, double b) { return (a > 0 && b > 0) || (a < 0 && b < 0); }

// One-sided three-point slope at an end knot, kept from overshooting.
double EndSlope(double h0, double h1, double d0, double d1) {
    const double slope = ((2 * h0 + h1) * d0 - h0 * d1) / (h0 + h1);
    if (!SameSign(slope, d0)) return 0.0;
    if (!SameSign(d0, d1) && std::abs(slope) > 3 * std::abs(d0)) return 3 * d0;
    return slope;
}

}  // namespace

MonotoneCubic::MonotoneCubic(std::span<const double> x, std::span<const double> y)
    : x_(x.begin(), x.end()), y_(y.begin(), y.end()), slopes_(x.size(), 0.0) {
    const std::size_t n = x_.size();
    std::vector<double> h(n - 1), d(n - 1);
    for (std::size_t i = 0; i + 1 < n; ++i) {
        h[i] = x_[i + 1] - x_[i];
        d[i] = (y_[i + 1] - y_[i]) / h[i];
    }
    if (n == 2) {
        slopes_[0] = slopes_[1] = d[0];
        return;
    }
    // Interior knots: a weighted harmonic mean of the neighbouring secants,
    // zero where the data turn.
    for (std::size_t i = 1; i + 1 < n; ++i) {
        if (!SameSign(d[i - 1], d[i])) continue;
        const double w1 = 2 * h[i] + h[i - 1];
        const double w2 = h[i] + 2 * h[i - 1];
        slopes_[i] = (w1 + w2) / (w1 / d[i - 1] + w2 / d[i]);
    }
    slopes_[0] = EndSlope(h[0], h[1], d[0], d[1]);
    slopes_[n - 1] = EndSlope(h[n - 2], h[n - 3], d[n - 2], d[n - 3]);
}

double MonotoneCubic::operator()(double x) const {
    // The interval [x_i, x_i+1] holding x; the last one for the last knot.
    const auto upper = std::upper_bound(x_.begin() + 1, x_.end() - 1, x);
    const auto i = static_cast<std::size_t>(upper - x_.begin()) - 1;
    const double h = x_[i + 1] - x_[i];
    const double t = (x - x_[i]) / h;
    const double t2 = t * t;
    const double t3 = t2 * t;
    // Cubic Hermite basis.
    return (2 * t3 - 3 * t2 + 1) * y_[i] + (t3 - 2 * t2 + t) * h * slopes_[i] +
           (-2 * t3 + 3 * t2) * y_[i + 1] + (t3 - t2) * h * slopes_[i + 1];
}

}  // namespace corvane::performance
