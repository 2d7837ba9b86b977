#pragma once
// The engine speed over the captures of a session (RPMDataSeries): what the
// speed graph draws and what the next dyna's power and torque are computed
// from. It is kept here, not read back out of the graph.

#include <vector>

#include "analysis/analyse_capture.h"

namespace corvane::analysis {

class SpeedHistory {
public:
    // The history becomes these points, in ascending time; points at the same
    // time keep their order (a dyna brings the whole history back).
    void replace(std::vector<Point> points);
    // Adds a grab's own points, given in ascending time: each goes after every
    // point of the history at the same time or before.
    void merge(const std::vector<Point>& added);
    // A new dyna starts from no history.
    void clear() { points_.clear(); }

    // In ascending time.
    const std::vector<Point>& points() const { return points_; }

private:
    std::vector<Point> points_;
};

}  // namespace corvane::analysis
