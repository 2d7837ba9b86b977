#include "performance/loop_closure.h"

#include <algorithm>
#include <cmath>

#include "performance/performance.h"

namespace corvane::performance {

namespace {

// The trace at a fractional sample, linear between samples.
double At(std::span<const double> trace, double x) {
    const auto k = static_cast<std::size_t>(x);
    if (k + 1 >= trace.size()) return trace[k];
    return trace[k] + (x - static_cast<double>(k)) * (trace[k + 1] - trace[k]);
}

// The integral of the trace from a to b (samples), trapezoids between samples.
double Integral(std::span<const double> trace, double a, double b) {
    double sum = 0.0;
    for (double x = a; x < b;) {
        const double next = std::min(b, std::floor(x) + 1);
        sum += (next - x) * (At(trace, x) + At(trace, next)) / 2;
        x = next;
    }
    return sum;
}

}  // namespace

std::optional<double> LoopClosurePercent(std::span<const double> pressure, double start,
                                         double revolution, double swingKpa) {
    const double last = static_cast<double>(pressure.size()) - 1;
    if (!(swingKpa > 0) || !(revolution > 0) || !(start >= 1) || !(start + 2 * revolution <= last))
        return std::nullopt;
    const double now = Integral(pressure, start, start + revolution);
    const double later = Integral(pressure, start + revolution, start + 2 * revolution);
    return 100 * (later - now) / revolution / swingKpa;
}

bool IsLoopOpen(std::optional<double> closurePercent, double limitPercent) {
    return closurePercent && std::abs(*closurePercent) > limitPercent;
}

int OpenLoops(const PerformanceResult& result) {
    return static_cast<int>(std::count_if(
        result.cycles.begin(), result.cycles.end(), [&](const CycleFigures& c) {
            return IsLoopOpen(c.loopClosurePercent, result.loopClosureLimitPercent);
        }));
}

}  // namespace corvane::performance
