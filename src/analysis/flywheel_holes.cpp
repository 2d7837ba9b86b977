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

std::vector<FlyHole> FindHoles(std::span<const double> trace, const HoleClosed& closed) {
    std::vector<FlyHole> holes(1);
    for (std::size_t k = 2; k < trace.size(); ++k) {
        const double before = trace[k - 1];
        const double now = trace[k];
        if (before > kTachThreshold && now < kTachThreshold) {
            FlyHole& hole = holes.emplace_back();
            hole.Down = static_cast<std::int32_t>(k);
        } else if (before < kTachThreshold && now > kTachThreshold && holes.size() > 1) {
            FlyHole& hole = holes.back();
            hole.Up = static_cast<std::int32_t>(k);
            hole.Mid = (hole.Down + hole.Up) / 2 - 1;
            hole.Width = hole.Up - hole.Down;
            if (closed) closed(static_cast<std::int32_t>(holes.size() - 1), hole);
        }
    }
    if (holes.size() > 1 && holes.back().Mid == 0) holes.pop_back();
    return holes;
}

void DetectHoles(CaptureRecord& record, int channelLength, std::vector<std::string>* log,
                 std::vector<Point>& marks) {
    // Tach holds samples 1..4000: a longer trace is scanned as far as it goes,
    // then ends the analysis with a range error.
    const int inBounds = std::clamp(channelLength, 0, kChannelCapacity);
    const std::vector<FlyHole> holes = FindHoles(
        std::span<const double>(record.Tach.data(), static_cast<std::size_t>(inBounds) + 1),
        [&](std::int32_t number, const FlyHole& hole) {
            if (log) log->push_back(JoinInts({number, hole.Down, hole.Up, hole.Mid, hole.Width}));
            marks.push_back({static_cast<double>(hole.Mid), kMarkHeight});
        });
    if (record.FlyHoles.size() < holes.size()) record.FlyHoles.resize(holes.size());
    std::copy(holes.begin() + 1, holes.end(), record.FlyHoles.begin() + 1);
    record.FlyHoleCount = static_cast<std::int32_t>(holes.size() - 1);
    if (channelLength > kChannelCapacity) throw RangeError();
}

std::vector<std::int32_t> FindWideHoleIndices(std::span<const FlyHole> holes, std::int32_t count,
                                              std::vector<std::string>* log) {
    if (count > 0 && static_cast<std::size_t>(count) >= holes.size()) throw RangeError();
    std::vector<std::int32_t> wide;
    std::int32_t start = 1;
    while (count >= start) {
        const std::int32_t stop = std::min(start + kHolesPerRevolution, count);
        if (stop - start < kHolesPerRevolution) break;
        if (log) log->push_back("FOR: " + std::to_string(start) + " TO " + std::to_string(stop));

        std::int32_t widest = 0;
        std::int32_t widestWidth = 0;
        for (std::int32_t i = start; i <= stop; ++i) {
            const std::int32_t width = holes[static_cast<std::size_t>(i)].Width;
            if (width > widestWidth) {  // the first of equal widths wins
                widest = i;
                widestWidth = width;
            }
        }
        if (widestWidth == 0) break;

        wide.push_back(widest);
        if (log) {
            log->push_back("Wide at: " + std::to_string(widest) + " (" +
                           std::to_string(holes[static_cast<std::size_t>(widest)].Mid) + ")");
        }
        start = widest + 1;
    }
    return wide;
}

void FindWideHoles(CaptureRecord& record, AnalysisRun& run, std::vector<std::string>* log) {
    const std::vector<std::int32_t> wide =
        FindWideHoleIndices(record.FlyHoles, record.FlyHoleCount, log);
    run.WideCount = static_cast<std::int32_t>(wide.size());
    run.WideHoles.assign(1, 0);
    run.WideHoles.insert(run.WideHoles.end(), wide.begin(), wide.end());
    if (run.WideCount >= 1) {
        run.FirstWide = wide[0];
        run.CycleStart = HoleAt(record, wide[0]).Mid;
    }
    if (run.WideCount >= 2) {
        run.SecondWide = wide[1];
        run.CycleEnd = HoleAt(record, wide[1]).Mid;
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

bool WideHoleSpacingOk(const AnalysisRun& run, std::vector<std::string>* log) {
    bool ok = true;
    for (std::int32_t k = 2; k <= run.WideCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (run.WideHoles[i] - run.WideHoles[i - 1] != kHolesPerRevolution) {
            if (log) {
                log->push_back("Time = " + std::to_string(k) +
                               ", Wide #: " + std::to_string(run.WideCount) + ", Small #: 0");
            }
            ok = false;
        }
    }
    return ok;
}

std::vector<Point> SpeedPoints(CaptureRecord& record, const AnalysisRun& run, double samplePeriod) {
    std::vector<Point> points;
    points.reserve(static_cast<std::size_t>(std::max(0, run.WideCount - 1)));
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
            points.push_back({x, speed});
        }
    }
    return points;
}

void MergeSpeedPoints(std::vector<Point>& graph, const std::vector<Point>& added) {
    if (added.empty()) return;
    const auto earlier = static_cast<std::ptrdiff_t>(graph.size());
    graph.insert(graph.end(), added.begin(), added.end());
    // Stable: of two points at the same time, the graph's comes first.
    std::inplace_merge(graph.begin(), graph.begin() + earlier, graph.end(),
                       [](const Point& a, const Point& b) { return a.x < b.x; });
}

void AppendSpeedPoints(CaptureRecord& record, const AnalysisRun& run, double samplePeriod,
                       std::vector<Point>& points) {
    MergeSpeedPoints(points, SpeedPoints(record, run, samplePeriod));
}

}  // namespace corvane::analysis
