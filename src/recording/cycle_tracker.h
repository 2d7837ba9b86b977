#pragma once
// Every engine cycle of a stream evaluated as its scans arrive: the flywheel
// holes found to a fraction of a scan, the wide hole of each revolution, the
// crank angle of every scan between two wide holes and the loop's p dV, with
// the engine monitor's channels averaged over the same scans. A cycle may
// span any number of chunks; none spans a gap.

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "daq/scan_stream.h"
#include "recording/cycle_loops.h"

namespace corvane::performance {
class MonotoneCubic;
}

namespace corvane::recording {

struct CycleRow {
    double timeS = 0.0;  // the cycle's first wide hole, seconds from scan 0
    double rpm = 0.0;
    double workMilliJ = 0.0;
    double indicatedPowerMilliW = 0.0;
    // Present when the stream carries the channel.
    std::optional<double> loTempK;
    std::optional<double> hiTempK;
    std::optional<double> heaterPowerW;
    bool steady = false;  // the run was steady when the cycle arrived (SteadyDetector)
};

class CycleTracker {
public:
    // The stream must carry channels 0 (pressure) and 1 (tachometer);
    // throws std::invalid_argument otherwise.
    explicit CycleTracker(const daq::StreamFormat& format);

    // Whole scans from firstScan on (channels interleaved). Scans that do not
    // follow the last ones count as after a gap. Cycles completed are appended.
    void Add(std::uint64_t firstScan, std::span<const std::uint16_t> counts,
             std::vector<CycleRow>& completed);
    // Scans went missing: nothing before joins a cycle after.
    void Gap();
    // The loops of the cycles the last Add completed, in the same order,
    // thinned for drawing; their numbers and times are the caller's to set.
    const std::vector<CycleLoop>& LoopsOfLastAdd() const { return loops_; }

    // Revolutions between two wide holes that were not 16 holes apart.
    int SkippedRevolutions() const { return skipped_; }

private:
    struct Hole {
        std::uint64_t down = 0;  // first scan inside
        std::uint64_t up = 0;    // first scan after
        double falling = 0.0;    // where the trace crossed the threshold, in scans
        double centre = 0.0;     // between the two edges' crossings, in scans
    };
    struct Cycle {
        std::int64_t from = 0;  // its wide hole's number
        std::int64_t to = 0;    // the next wide hole's
    };

    void Scan(std::uint64_t n, double beforeVolts, double tachVolts,
              std::vector<CycleRow>& completed);
    void HoleClosed(std::vector<CycleRow>& completed);
    void WideHole(std::int64_t number, std::vector<CycleRow>& completed);
    CycleRow Evaluate(const Cycle& cycle);
    performance::MonotoneCubic Crank(const Cycle& cycle) const;
    struct ScanMeans {
        CycleRow monitor;  // the monitor channels' means, where carried
        double pressureVolts = 0.0;
        std::size_t scans = 0;
    };
    ScanMeans MeansOver(std::uint64_t first, double end) const;
    void Forget();
    const Hole& HoleNumber(std::int64_t number) const;
    bool Holds(std::int64_t number) const;
    void Trim();
    std::uint16_t Count(std::uint64_t scan, int offset) const;

    int channels_;
    double rate_;
    int pressure_, tach_;
    std::optional<int> loTemp_, heater_, hiTemp_;

    std::uint64_t nextScan_ = 0;
    std::optional<double> lastTach_;
    std::optional<Hole> open_;
    std::deque<Hole> holes_;
    std::int64_t firstHole_ = 0;   // the number of holes_.front()
    std::int64_t searchFrom_ = 0;  // where the next window of 17 holes starts
    std::optional<std::int64_t> lastWide_;
    std::vector<std::uint16_t> held_;  // scans from heldFrom_ on, interleaved
    std::uint64_t heldFrom_ = 0;
    int skipped_ = 0;
    std::vector<CycleLoop> loops_;
};

}  // namespace corvane::recording
