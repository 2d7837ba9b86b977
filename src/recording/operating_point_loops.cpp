#include "recording/operating_point_loops.h"

#include <array>
#include <cmath>

#include "recording/grab_export.h"
#include "recording/recording_error.h"

namespace corvane::recording {

namespace {

// Pressures summed over the cycles at each whole degree.
struct LoopSum {
    std::array<double, performance::kDegreesPerCycle> pressure{};
    std::vector<performance::LoopPoint> shape;  // the volumes, from the first second with cycles
};

// Adds a second's loop, the mean of its cycles, once for each of them.
void AddSecond(const performance::PerformanceResult& second, LoopSum& sum, PointLoop& into) {
    const auto cycles = static_cast<int>(second.cycles.size());
    if (second.cycles.empty() || second.averagedLoop.size() != sum.pressure.size()) return;
    for (std::size_t d = 0; d < sum.pressure.size(); ++d)
        sum.pressure[d] += second.averagedLoop[d].pressureKpa * cycles;
    if (sum.shape.empty()) sum.shape = second.averagedLoop;
    into.cycles += cycles;
}

// Without a cycle there is no shape, and so no loop.
void Finish(LoopSum& sum, PointLoop& into) {
    into.loop = std::move(sum.shape);
    for (std::size_t d = 0; d < into.loop.size(); ++d)
        into.loop[d].pressureKpa = sum.pressure[d] / into.cycles;
}

// The samples hold the whole second from `at` (as GrabWithoutGap rounds it).
bool WhollyRecorded(const RecordingContents& contents, double at) {
    const auto rate = static_cast<double>(contents.manifest.format.rate);
    return std::round(at * rate) + rate <= static_cast<double>(contents.scans);
}

}  // namespace

std::vector<double> LoopSeconds(double startS, double lengthS, int most) {
    std::vector<double> starts;
    if (!(lengthS >= 1.0) || most < 1) return starts;
    const double room = lengthS - 1.0;  // where a whole second may start, after startS
    const int count = static_cast<int>(std::min<double>(most, std::floor(lengthS)));
    for (int i = 0; i < count; ++i)
        starts.push_back(startS + (count == 1 ? room / 2 : room * i / (count - 1)));
    return starts;
}

PointLoop AveragedLoopOf(const std::string& folder, const RecordingContents& contents,
                         double startS, double lengthS, const performance::BenchSettings& bench,
                         int most) {
    PointLoop result;
    LoopSum sum;
    for (const double at : LoopSeconds(startS, lengthS, most)) {
        const auto second = WhollyRecorded(contents, at) ? GrabWithoutGap(folder, contents, at)
                                                         : std::nullopt;
        if (!second) {
            ++result.secondsLeftOut;
            continue;
        }
        ++result.seconds;
        AddSecond(performance::AnalysePerformance(*second, {}, text::PointComma(), bench), sum,
                  result);
    }
    Finish(sum, result);
    return result;
}

std::vector<PointLoop> OperatingPointLoops(const std::string& folder,
                                           const RecordingContents& contents,
                                           const std::vector<OperatingPoint>& points,
                                           const performance::BenchSettings& bench) {
    std::vector<PointLoop> loops;
    loops.reserve(points.size());
    try {
        for (const OperatingPoint& point : points)
            loops.push_back(AveragedLoopOf(folder, contents, point.startS, point.lengthS, bench));
    } catch (const RecordingError&) {
        return {};  // the same for every second: no point has a loop
    }
    return loops;
}

}  // namespace corvane::recording
