#pragma once
// When the engine has settled: the run is divided into windows of a fixed
// length from the recording's start; the mean speed, high temperature and
// indicated power of each window are compared with the window before. The
// run is steady once, for three consecutive windows, every one of them has
// changed by less than its allowed drift per minute. A cycle is flagged with
// what was known when it arrived, so the flag never depends on the future
// and cycles.csv can be written as the run goes.

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "recording/cycle_tracker.h"

namespace corvane::recording {

struct SteadyCriteria {
    double windowSeconds = 30.0;
    double rpmPerMinute = 2.5;           // of the bench engine's ~500 rpm
    double highTempKPerMinute = 0.5;
    double powerPercentPerMinute = 0.5;  // of the window's mean indicated power
};

class SteadyDetector {
public:
    explicit SteadyDetector(const SteadyCriteria& criteria);

    // The next cycle (in time order); true when the run is steady as of the
    // last whole window before it.
    bool Add(const CycleRow& cycle);
    // Scans went missing: the windows before say nothing about the ones after.
    void Gap();

private:
    struct Means {
        std::int64_t window = 0;
        double rpm = 0.0;
        std::optional<double> highTempK;
        double powerMilliW = 0.0;
    };
    struct Sums {
        std::int64_t window = 0;
        int cycles = 0;
        int withTemperature = 0;
        double rpm = 0.0, highTempK = 0.0, powerMilliW = 0.0;
    };

    void CloseWindow();
    bool Settled(const Means& before, const Means& after) const;
    bool Steady() const;

    SteadyCriteria criteria_;
    std::optional<Sums> open_;
    std::deque<Means> closed_;  // the last consecutive whole windows, oldest first
};

// The flag of every cycle of a finished run, as the recorder gives them.
// `gapsS` are the times gaps began, in order.
std::vector<bool> SteadyFlags(const std::vector<CycleRow>& cycles, const SteadyCriteria& criteria,
                              const std::vector<double>& gapsS = {});

}  // namespace corvane::recording
