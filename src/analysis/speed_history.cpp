#include "analysis/speed_history.h"

#include <algorithm>

#include "analysis/flywheel_holes.h"

namespace corvane::analysis {

void SpeedHistory::replace(std::vector<Point> points) {
    std::stable_sort(points.begin(), points.end(),
                     [](const Point& a, const Point& b) { return a.x < b.x; });
    points_ = std::move(points);
}

void SpeedHistory::merge(const std::vector<Point>& added) { MergeSpeedPoints(points_, added); }

}  // namespace corvane::analysis
