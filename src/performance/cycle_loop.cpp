#include "performance/cycle_loop.h"

namespace corvane::performance {

double LoopWorkMicroJ(std::span<const double> volume, std::span<const double> pressure) {
    const std::size_t n = volume.size();
    double work = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t next = i + 1 == n ? 0 : i + 1;
        work += (pressure[i] + pressure[next]) / 2 * (volume[next] - volume[i]);
    }
    return work;
}

std::array<double, kDegreesPerCycle> PressureAtWholeDegrees(std::span<const double> angle,
                                                            std::span<const double> pressure) {
    const std::size_t n = angle.size();
    // Sample j of the loop read round the circle: j = -1 is the last sample a
    // turn earlier, j = n the first a turn later.
    const auto angleAt = [&](long j) {
        if (j < 0) return angle[n - 1] - kDegreesPerCycle;
        if (j >= static_cast<long>(n)) return angle[0] + kDegreesPerCycle;
        return angle[static_cast<std::size_t>(j)];
    };
    const auto pressureAt = [&](long j) {
        if (j < 0) return pressure[n - 1];
        if (j >= static_cast<long>(n)) return pressure[0];
        return pressure[static_cast<std::size_t>(j)];
    };
    std::array<double, kDegreesPerCycle> out{};
    long j = -1;  // angleAt(j) <= degree < angleAt(j + 1)
    for (int degree = 0; degree < kDegreesPerCycle; ++degree) {
        while (j + 1 <= static_cast<long>(n) && angleAt(j + 1) <= degree) ++j;
        const double a0 = angleAt(j), a1 = angleAt(j + 1);
        const double p0 = pressureAt(j), p1 = pressureAt(j + 1);
        out[static_cast<std::size_t>(degree)] =
            a1 > a0 ? p0 + (p1 - p0) * (degree - a0) / (a1 - a0) : p0;
    }
    return out;
}

}  // namespace corvane::performance
