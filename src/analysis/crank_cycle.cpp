#include "analysis/crank_cycle.h"

#include <cmath>

namespace corvane::analysis {

namespace {

constexpr long double kPi = 3.14159265358979323846264338327950288L;
constexpr long double kBoreMm = 15.9L;
constexpr long double kStrokeMm = 18.5L;

// The geometry is evaluated in extended precision and rounded once.
constexpr double kVolumeAmplitude =
    static_cast<double>(kPi * (kBoreMm / 2) * (kBoreMm / 2) * (kStrokeMm / 2));

}  // namespace

double VolumeAmplitude() { return kVolumeAmplitude; }

double CylinderVolumeAt(double angleDegrees) {
    const long double theta = static_cast<long double>(angleDegrees) / 360 * (2 * kPi);
    return static_cast<double>(std::sin(theta + kPi / 2) * kVolumeAmplitude + kMeanVolume);
}

double CylinderVolumeDouble(double angleDegrees) {
    constexpr double kRadiansPerDegree = static_cast<double>(kPi / 180);
    return kMeanVolume + kVolumeAmplitude * std::cos(angleDegrees * kRadiansPerDegree);
}

void AssignCrankAngles(CaptureRecord& record, AnalysisRun& run, std::vector<std::string>* log) {
    double holeAngle = 0.0;
    for (std::int32_t h = run.FirstWide; h <= run.SecondWide; ++h) {
        HoleAt(record, h).HoleAngle = holeAngle;
        holeAngle += kDegreesPerHole;
    }
    if (log) log->emplace_back("Angles: ");

    // Holes are in time order, so the hole after sample i only moves forwards.
    std::int32_t next = run.FirstWide;
    for (std::int32_t i = run.CycleStart; i <= run.CycleEnd; ++i) {
        double& angle = TraceAt(record.Angle, i);
        angle = 0;
        bool atHole = false;
        for (std::int32_t h = run.FirstWide; h <= run.SecondWide; ++h) {
            const FlyHole& hole = HoleAt(record, h);
            if (hole.Mid == i) {
                angle = hole.HoleAngle;
                atHole = true;
                break;
            }
        }
        if (!atHole && i > run.CycleStart && angle == 0) {
            while (next <= run.SecondWide && HoleAt(record, next).Mid <= i) ++next;
            // Checks passed: a later hole of this cycle always exists.
            const FlyHole& after = HoleAt(record, next);
            const FlyHole& before = HoleAt(record, next - 1);
            // The sample's distance past the hole as a number, times 22.5, over
            // the whole-sample spacing, plus the hole's angle, in extended precision.
            angle = static_cast<double>(static_cast<long double>(i - before.Mid) * kDegreesPerHole /
                                            (after.Mid - before.Mid) +
                                        before.HoleAngle);
        }
        if (log) log->push_back(std::to_string(static_cast<long long>(std::nearbyint(angle))));
    }
    run.Rpm = 60 / run.CyclePeriod;
}

std::vector<Point> PvPoints(CaptureRecord& record, const AnalysisRun& run) {
    std::vector<Point> points;
    points.reserve(static_cast<std::size_t>(std::max(0, run.CycleEnd - run.CycleStart)));
    for (std::int32_t i = run.CycleStart; i < run.CycleEnd; ++i) {
        points.push_back({CylinderVolumeAt(TraceAt(record.Angle, i)), TraceAt(record.Pressure, i)});
    }
    return points;
}

}  // namespace corvane::analysis
