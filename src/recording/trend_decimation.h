#pragma once
// Few enough points to draw a long run's trend quickly and still show every
// spike: the visible time range is cut into buckets (about one per pixel)
// and each bucket keeps its first, lowest, highest and last value in time
// order. The data themselves keep every cycle.

#include <vector>

namespace corvane::recording {

struct TrendPoints {
    std::vector<double> t, value;
};

// `t` ascending, the same length as `value`. Points in [fromT, toT] plus the
// nearest one outside at each end (so the line runs to the edges). With
// 4 x buckets points or fewer in range they are all kept.
TrendPoints Decimate(const std::vector<double>& t, const std::vector<double>& value, double fromT,
                     double toT, int buckets);

}  // namespace corvane::recording
