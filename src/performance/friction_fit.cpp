#include "performance/friction_fit.h"

#include <algorithm>
#include <cmath>

namespace corvane::performance {

namespace {

// Fewer points than this say nothing about a line through a run of speeds.
constexpr std::size_t kLeastPoints = 8;
// A speed range narrower than this (rpm) leaves the slope undetermined.
constexpr double kLeastRangeRpm = 1.0;

struct Sums {
    double n = 0, x = 0, y = 0, xx = 0, xy = 0;
};

// Each point weighs by its own torque's scatter: the fast end of a coast-down,
// where the holes pass in few samples, is the less sure. A point with no
// scatter (noise-free holes) weighs as one a millionth of its torque off.
double WeightOf(const DynaPoint& p) {
    const double sd = std::max(p.torqueSdMilliNm, 1e-6 * std::abs(p.torqueMilliNm) + 1e-12);
    return 1 / (sd * sd);
}

Sums SumsOf(const std::vector<DynaPoint>& points) {
    Sums s;
    for (const DynaPoint& p : points) {
        const double w = WeightOf(p);
        const double krpm = p.rpm / 1000;
        const double retarding = -p.torqueMilliNm;
        s.n += w;
        s.x += w * krpm;
        s.y += w * retarding;
        s.xx += w * krpm * krpm;
        s.xy += w * krpm * retarding;
    }
    return s;
}

}  // namespace

std::string_view FrictionFitStatusText(FrictionFitStatus status) {
    switch (status) {
        case FrictionFitStatus::Fitted:
            return "Fitted";
        case FrictionFitStatus::NotADyna:
            return "a grab: a coast-down is a dyna capture";
        case FrictionFitStatus::NotEvaluated:
            return "no power curve in this capture";
        case FrictionFitStatus::NotSlowing:
            return "the engine did not slow down: not a coast-down";
        case FrictionFitStatus::NoSpeedRange:
            return "too narrow a range of speeds for a fit";
    }
    return "";
}

FrictionFitResult FitFriction(const PerformanceResult& coastDown) {
    if (!coastDown.isDyna) return {FrictionFitStatus::NotADyna, {}};
    const std::vector<DynaPoint>& points = coastDown.dynaPoints;
    if (coastDown.status != Status::Evaluated || points.empty()) return {};
    const Sums s = SumsOf(points);
    if (!(s.y > 0)) return {FrictionFitStatus::NotSlowing, {}};
    const auto [slowest, fastest] = std::minmax_element(
        points.begin(), points.end(),
        [](const DynaPoint& a, const DynaPoint& b) { return a.rpm < b.rpm; });
    const double spread = s.n * s.xx - s.x * s.x;
    if (points.size() < kLeastPoints || !(fastest->rpm - slowest->rpm >= kLeastRangeRpm) || !(spread > 0)) {
        return {FrictionFitStatus::NoSpeedRange, {}};
    }
    FrictionFit fit;
    fit.model.bMilliNmPerKrpm = (s.n * s.xy - s.x * s.y) / spread;
    fit.model.aMilliNm = (s.y - fit.model.bMilliNmPerKrpm * s.x) / s.n;
    fit.rpmFrom = points.front().rpm;
    fit.rpmTo = points.back().rpm;
    fit.points = static_cast<int>(points.size());
    return {FrictionFitStatus::Fitted, fit};
}

}  // namespace corvane::performance
