#include "analysis/flywheel_holes.h"

#include <algorithm>

namespace corvane::analysis {

namespace {

std::string JoinInts(std::initializer_list<long> values) {
    std::string line;
    for (const long v : values) {
        if (!line.empty()) line += ", ";
        line += std::to_string(v);
    }
    return line;
}

}  // namespace

void DetectHoles(CaptureRecord& record, int channelLength, std::vector<std::string>& log,
                 std::vector<Point>& marks) {
    record.FlyHoleCount = 0;
    for (long k = 2; k <= channelLength; ++k) {
        const double before = TraceAt(record.Tach, k - 1);
        const double now = TraceAt(record.Tach, k);
        if (before > kTachThreshold && now < kTachThreshold) {
            ++record.FlyHoleCount;
            const auto index = static_cast<std::size_t>(record.FlyHoleCount);
            if (record.FlyHoles.size() <= index) record.FlyHoles.resize(index + 1);
            FlyHole& hole = record.FlyHoles[index];
            hole = FlyHole{};
            hole.Down = static_cast<std::int32_t>(k);
        } else if (before < kTachThreshold && now > kTachThreshold && record.FlyHoleCount > 0) {
            FlyHole& hole = HoleAt(record, record.FlyHoleCount);
            hole.Up = static_cast<std::int32_t>(k);
            hole.Mid = (hole.Down + hole.Up) / 2 - 1;
            hole.Width = hole.Up - hole.Down;
            log.push_back(
                JoinInts({record.FlyHoleCount, hole.Down, hole.Up, hole.Mid, hole.Width}));
            marks.push_back({static_cast<double>(hole.Mid), kMarkHeight});
        }
    }
    if (record.FlyHoleCount > 0 && HoleAt(record, record.FlyHoleCount).Mid == 0) {
        --record.FlyHoleCount;
    }
}

void FindWideHoles(CaptureRecord& record, AnalysisRun& run, std::vector<std::string>& log) {
    run.WideCount = 0;
    run.WideHoles.assign(1, 0);
    std::int32_t start = 1;
    while (record.FlyHoleCount >= start) {
        const std::int32_t stop = std::min(start + kHolesPerRevolution, record.FlyHoleCount);
        if (stop - start < kHolesPerRevolution) break;
        log.push_back("FOR: " + std::to_string(start) + " TO " + std::to_string(stop));

        std::int32_t widest = 0;
        std::int32_t widestWidth = 0;
        for (std::int32_t i = start; i <= stop; ++i) {
            const std::int32_t width = HoleAt(record, i).Width;
            if (width > widestWidth) {  // the first of equal widths wins
                widest = i;
                widestWidth = width;
            }
        }
        if (widestWidth == 0) break;

        ++run.WideCount;
        run.WideHoles.push_back(widest);
        const std::int32_t mid = HoleAt(record, widest).Mid;
        log.push_back("Wide at: " + std::to_string(widest) + " (" + std::to_string(mid) + ")");
        if (run.WideCount == 1) {
            run.FirstWide = widest;
            run.CycleStart = mid;
        } else if (run.WideCount == 2) {
            run.SecondWide = widest;
            run.CycleEnd = mid;
        }
        start = widest + 1;
    }
}

std::vector<Point> WideHoleSpikes(CaptureRecord& record, const AnalysisRun& run, double lastX) {
    std::vector<Point> spikes;
    spikes.reserve(static_cast<std::size_t>(run.WideCount) * 3 + 2);
    spikes.push_back({0.0, 0.0});
    for (std::int32_t k = 1; k <= run.WideCount; ++k) {
        const double m = HoleAt(record, run.WideHoles[static_cast<std::size_t>(k)]).Mid;
        spikes.push_back({m - 1, 0.0});
        spikes.push_back({m, kMarkHeight});
        spikes.push_back({m + 1, 0.0});
    }
    spikes.push_back({lastX, 0.0});
    return spikes;
}

bool WideHoleSpacingOk(const AnalysisRun& run, std::vector<std::string>& log) {
    bool ok = true;
    for (std::int32_t k = 2; k <= run.WideCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (run.WideHoles[i] - run.WideHoles[i - 1] != kHolesPerRevolution) {
            log.push_back("Time = " + std::to_string(k) +
                          ", Wide #: " + std::to_string(run.WideCount) + ", Small #: 0");
            ok = false;
        }
    }
    return ok;
}

void AppendSpeedPoints(CaptureRecord& record, const AnalysisRun& run, double samplePeriod,
                       std::vector<Point>& points) {
    for (std::int32_t k = 2; k <= run.WideCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const std::int32_t a = HoleAt(record, run.WideHoles[i - 1]).Mid;
        const std::int32_t b = HoleAt(record, run.WideHoles[i]).Mid;
        const double p = (b - a) * samplePeriod;
        if (p > 0) {
            // Degrees per second, then revolutions per minute, rounded once:
            // the same 60 / p as the cycle's RPM.
            const long double rate = 360 / static_cast<long double>(p);
            const auto speed = static_cast<double>(rate * 60 / 360);
            // True milliseconds: exactly the sample position at the 1 ms period.
            const double x = ((a + b) / 2) * (samplePeriod * 1000);
            // The speed graph keeps its points in time order: points of earlier
            // grabs interleave, and a rerun puts each point beside its twin.
            const auto at = std::upper_bound(points.begin(), points.end(), x,
                                             [](double t, const Point& p) { return t < p.x; });
            points.insert(at, {x, speed});
        }
    }
}

}  // namespace corvane::analysis
