#pragma once
// When each flywheel hole's centre passed the tachometer, to a fraction of a
// sample, and the stretches of whole revolutions whose holes can be counted on.

#include <cstdint>
#include <span>
#include <vector>

#include "analysis/capture_record.h"

namespace corvane::performance {

// Where the trace crosses the tachometer threshold between sample k - 1
// (`before`) and sample k (`after`), by linear interpolation, in samples:
// k - 1 + the fraction of the step. The two must lie on either side.
double ThresholdCrossing(double before, double after, std::int32_t k);

// Centre of each hole, in samples (sample k lies at k): the mid-time of its
// falling and rising edge. trace[k] is sample k (element 0 unused); holes are
// 1-based as the analysis finds them, and so is the result (element 0 unused).
std::vector<double> HoleCentres(std::span<const double> trace,
                                std::span<const analysis::FlyHole> holes);

// Consecutive revolutions that each hold exactly 16 holes: the flywheel
// holes from firstWide to firstWide + 16 x revolutions, numbered without a gap.
struct RevolutionRun {
    std::int32_t firstWide = 0;
    int revolutions = 0;
};

struct Revolutions {
    std::vector<RevolutionRun> runs;
    int skipped = 0;  // between two wide holes, but not 16 holes apart
};

// The runs between consecutive wide holes (flywheel hole indices, time order).
Revolutions CountedRevolutions(std::span<const std::int32_t> wideHoles);

}  // namespace corvane::performance
