#include "performance/friction_fit.h"

#include <algorithm>
#include <cmath>

#include "performance/dyna_curve.h"

namespace corvane::performance {

namespace {

// Fewer points than this say nothing about a line through a run of speeds.
constexpr std::size_t kLeastPoints = 8;
// A speed range narrower than this (rpm) leaves the slope undetermined.
constexpr double kLeastRangeRpm = 1.0;
// The method's own share of a and b (standard, % of each), which no scatter
// shows: on simulated coast-downs of known friction the fit stays within 0.6 %.
constexpr double kMethodSharePercent = 0.3;

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

// Holes in the fit window of a point at this speed: a quarter second each
// side, never less than a revolution (the window of the curve's points).
double WindowHoles(double rpm) {
    const double reach = kFitReachSeconds * 16 * std::abs(rpm) / 60;
    return 2 * std::max(static_cast<double>(kFitReachHoles), std::floor(reach)) + 1;
}

// Neighbouring points share most of their window's holes, so their torques
// err together: the curve holds about one independent point per window.
double IndependentPoints(const std::vector<DynaPoint>& points) {
    double independent = 0.0;
    for (const DynaPoint& p : points) independent += 1 / WindowHoles(p.rpm);
    return independent;
}

// The standard uncertainties of a and b: the weighted residuals' own scatter
// (so that the points' weights need only be right relative to each other),
// widened by how many points one independent point counts for, and the
// method's own share.
void AddUncertainties(const std::vector<DynaPoint>& points, const Sums& s, FrictionModel& model) {
    double squares = 0.0;
    for (const DynaPoint& p : points) {
        const double residual = -p.torqueMilliNm - model.TorqueMilliNm(p.rpm);
        squares += WeightOf(p) * residual * residual;
    }
    const double count = static_cast<double>(points.size());
    const double perPoint = squares / (count - 2);
    const double overlap = count / std::min(count, std::max(IndependentPoints(points), 3.0));
    const double spread = s.n * s.xx - s.x * s.x;
    const double method = kMethodSharePercent / 100;
    model.aUMilliNm =
        std::hypot(std::sqrt(perPoint * overlap * s.xx / spread), method * model.aMilliNm);
    model.bUMilliNmPerKrpm =
        std::hypot(std::sqrt(perPoint * overlap * s.n / spread), method * model.bMilliNmPerKrpm);
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
    AddUncertainties(points, s, fit.model);
    fit.rpmFrom = points.front().rpm;
    fit.rpmTo = points.back().rpm;
    fit.points = static_cast<int>(points.size());
    return {FrictionFitStatus::Fitted, fit};
}

}  // namespace corvane::performance
