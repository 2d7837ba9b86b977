#include "performance/hole_timing.h"

#include "analysis/flywheel_holes.h"

namespace corvane::performance {

double ThresholdCrossing(double before, double after, std::int32_t k) {
    return (k - 1) + (before - analysis::kTachThreshold) / (before - after);
}

std::vector<double> HoleCentres(std::span<const double> trace,
                                std::span<const analysis::FlyHole> holes) {
    std::vector<double> centres(holes.size(), 0.0);
    for (std::size_t h = 1; h < holes.size(); ++h) {
        const auto down = static_cast<std::size_t>(holes[h].Down);
        const auto up = static_cast<std::size_t>(holes[h].Up);
        // The analysis opened the hole at `down` and closed it at `up`, so the
        // samples before each lie on the other side of the threshold.
        const double falling = ThresholdCrossing(trace[down - 1], trace[down], holes[h].Down);
        const double rising = ThresholdCrossing(trace[up - 1], trace[up], holes[h].Up);
        centres[h] = (falling + rising) / 2;
    }
    return centres;
}

Revolutions CountedRevolutions(std::span<const std::int32_t> wideHoles) {
    Revolutions out;
    for (std::size_t w = 1; w < wideHoles.size(); ++w) {
        if (wideHoles[w] - wideHoles[w - 1] != analysis::kHolesPerRevolution) {
            ++out.skipped;
            continue;
        }
        if (out.runs.empty() || out.runs.back().firstWide + analysis::kHolesPerRevolution *
                                                                out.runs.back().revolutions !=
                                    wideHoles[w - 1]) {
            out.runs.push_back({wideHoles[w - 1], 0});
        }
        ++out.runs.back().revolutions;
    }
    return out;
}

}  // namespace corvane::performance
