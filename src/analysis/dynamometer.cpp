#include "analysis/dynamometer.h"

#include <algorithm>
#include <optional>

#include "analysis/results_table.h"
#include "text/format.h"

namespace corvane::analysis {

namespace {

constexpr long double kPi = 3.14159265358979323846L;

double Average(const std::vector<Point>& points) {
    if (points.empty()) return 0.0;
    double sum = 0.0;
    for (const Point& p : points) sum += p.y;
    return sum / static_cast<double>(points.size());
}

// The automatic axis spans the speed points' times.
std::optional<TimeRange> AxisRange(const AnalysisInputs& inputs, const std::vector<Point>& points) {
    if (inputs.speedRange) return inputs.speedRange;
    if (points.empty()) return std::nullopt;
    const auto [lo, hi] = std::minmax_element(
        points.begin(), points.end(), [](const Point& a, const Point& b) { return a.x < b.x; });
    return TimeRange{lo->x, hi->x};
}

}  // namespace

TorquePower PowerTorqueStep(double t, double tPrev, double n, double nPrev, double inertia) {
    const double dt = t - tPrev;  // ms
    if (dt == 0) return {};
    const double dOmega = static_cast<double>((static_cast<long double>(n) - nPrev) / 60 * 2 * kPi);
    const double meanOmega =
        static_cast<double>((static_cast<long double>(nPrev) + n) / 2 / 60 * 2 * kPi);
    const double alpha = dOmega / dt;  // rad/s per ms: with g*m^2 the torque is in N*m
    TorquePower out;
    out.torque = inertia * alpha;
    out.power = out.torque * meanOmega;
    return out;
}

std::vector<Point> Smoothed(const std::vector<Point>& raw) {
    std::vector<Point> out;
    const long m = static_cast<long>(raw.size());
    for (long k = kSmoothingHalfWidth; k <= m - kSmoothingHalfWidth - 1; ++k) {
        double sum = 0.0;
        for (long j = k - kSmoothingHalfWidth; j < k + kSmoothingHalfWidth; ++j) {
            sum += raw[static_cast<std::size_t>(j)].y;
        }
        out.push_back({raw[static_cast<std::size_t>(k)].x, sum / (2 * kSmoothingHalfWidth)});
    }
    return out;
}

namespace {

struct PointSpan {
    long first, last;
};

// The first and last speed points inside the range; none when no point lies
// inside (last < first when the range falls between two points) or the points
// inside span no time.
std::optional<PointSpan> SpanInRange(const std::vector<Point>& points, const TimeRange& range) {
    const long count = static_cast<long>(points.size());
    long a = 0;
    while (a < count && !(points[static_cast<std::size_t>(a)].x >= range.min)) ++a;
    long b = count - 1;
    while (b >= 0 && !(points[static_cast<std::size_t>(b)].x <= range.max)) --b;
    if (a >= count || b < 0 || b < a) return std::nullopt;
    if (points[static_cast<std::size_t>(b)].x - points[static_cast<std::size_t>(a)].x == 0) {
        return std::nullopt;
    }
    return PointSpan{a, b};
}

// One power and one torque point (mW, mNm) between each two speed points.
void AppendSteps(const std::vector<Point>& points, PointSpan span, double inertia,
                 AnalysisResult& result) {
    for (long k = span.first + 1; k <= span.last; ++k) {
        const Point& prev = points[static_cast<std::size_t>(k - 1)];
        const Point& now = points[static_cast<std::size_t>(k)];
        const TorquePower step = PowerTorqueStep(now.x, prev.x, now.y, prev.y, inertia);
        const double tMid = (prev.x + now.x) / 2;
        result.powerSeries.push_back({tMid, step.power * 1000});
        result.torqueSeries.push_back({tMid, step.torque * 1000});
    }
}

void ReportAverages(const AnalysisInputs& inputs, AnalysisResult& result) {
    result.averagePower = Average(result.smoothedPowerSeries);
    result.averageTorque = Average(result.smoothedTorqueSeries);
    const std::string powerText = text::FormatDynaPower(result.averagePower, inputs.format) + " mw";
    const std::string torqueText = text::FormatTorque(result.averageTorque, inputs.format) + " mNm";
    result.table[kRowPower] = {"Power", powerText};
    result.table[kRowTorque] = {"Torque", torqueText};
    // Both averages shown as zero: compared with zero in the user's own format,
    // so that the advice also appears where the decimal mark is not a point.
    result.dynaAdvice =
        powerText == "0 mw" && torqueText == text::FormatTorque(0.0, inputs.format) + " mNm";
}

}  // namespace

void ComputePowerTorque(const AnalysisInputs& inputs, AnalysisResult& result) {
    if (inputs.processEvents) inputs.processEvents();
    result.powerSeries.clear();
    result.smoothedPowerSeries.clear();
    result.torqueSeries.clear();
    result.smoothedTorqueSeries.clear();
    result.powerTorqueComputed = true;
    const double inertia = TotalMomentOfInertia(inputs.disks, inputs.format);

    const std::vector<Point>& points = result.rpmPoints;
    const auto range = AxisRange(inputs, points);
    if (!range) return;
    // With no span nothing is computed and nothing is reported.
    const std::optional<PointSpan> span = SpanInRange(points, *range);
    if (!span) return;
    AppendSteps(points, *span, inertia, result);
    result.smoothedPowerSeries = Smoothed(result.powerSeries);
    result.smoothedTorqueSeries = Smoothed(result.torqueSeries);
    ReportAverages(inputs, result);
}

}  // namespace corvane::analysis
