#pragma once
// Monotone piecewise-cubic interpolation (Fritsch and Carlson's PCHIP): a
// cubic between each pair of knots, with slopes chosen so that the curve never
// overshoots its data. It follows the crank's speed changing within a
// revolution without ever turning the crank backwards.

#include <span>
#include <vector>

namespace corvane::performance {

class MonotoneCubic {
public:
    // Knots with strictly increasing x; at least two.
    MonotoneCubic(std::span<const double> x, std::span<const double> y);

    // The curve at x between the first and the last knot.
    double operator()(double x) const;

    // The slope at each knot.
    const std::vector<double>& Slopes() const { return slopes_; }

private:
    std::vector<double> x_, y_, slopes_;
};

}  // namespace corvane::performance
