#include "recording/cycle_tracker.h"

#include <cmath>
#include <stdexcept>

#include "analysis/crank_cycle.h"
#include "analysis/flywheel_holes.h"
#include "analysis/pressure_channel.h"
#include "daq/engine_monitor.h"
#include "performance/cycle_loop.h"
#include "performance/hole_timing.h"
#include "performance/monotone_cubic.h"
#include "text/converter_counts.h"

namespace corvane::recording {

namespace {

using analysis::kHolesPerRevolution;
using analysis::kTachThreshold;

// A tachometer held on one side of the threshold this long is not an engine
// turning: what was held is let go, so a stopped engine cannot fill memory.
constexpr double kLongestHeldSeconds = 60.0;

std::optional<int> OffsetOf(const daq::StreamFormat& format, int channel) {
    if (channel < format.lowChannel || channel > format.highChannel) return std::nullopt;
    return channel - format.lowChannel;
}

int RequiredOffset(const daq::StreamFormat& format, int channel) {
    const auto offset = OffsetOf(format, channel);
    if (!offset) {
        throw std::invalid_argument("the stream lacks channel " + std::to_string(channel) +
                                    ": cycles need pressure (0) and tachometer (1)");
    }
    return *offset;
}

// Where the trace crossed the threshold between scan n - 1 and scan n.
double Crossing(double before, double after, std::uint64_t n) {
    return performance::ThresholdCrossing(before, after, 0) + static_cast<double>(n);
}

}  // namespace

CycleTracker::CycleTracker(const daq::StreamFormat& format)
    : channels_(format.Channels()),
      rate_(static_cast<double>(format.rate)),
      pressure_(RequiredOffset(format, daq::kPressureChannel)),
      tach_(RequiredOffset(format, 1)),
      loTemp_(OffsetOf(format, daq::kLowTempChannel)),
      heater_(OffsetOf(format, daq::kResistorChannel)),
      hiTemp_(OffsetOf(format, daq::kHighTempChannel)) {
    if (format.rate <= 0) throw std::invalid_argument("the stream's rate is not positive");
}

void CycleTracker::Add(std::uint64_t firstScan, std::span<const std::uint16_t> counts,
                       std::vector<CycleRow>& completed) {
    loops_.clear();
    if (firstScan != nextScan_ && lastTach_) Gap();
    if (held_.empty()) heldFrom_ = firstScan;
    held_.insert(held_.end(), counts.begin(), counts.end());
    const std::size_t scans = counts.size() / static_cast<std::size_t>(channels_);
    for (std::size_t i = 0; i < scans; ++i) {
        const double volts =
            text::CountToVolts(counts[i * static_cast<std::size_t>(channels_) +
                                      static_cast<std::size_t>(tach_)]);
        if (lastTach_) Scan(firstScan + i, *lastTach_, volts, completed);
        lastTach_ = volts;
    }
    nextScan_ = firstScan + scans;
    Trim();
}

void CycleTracker::Gap() { Forget(); }

void CycleTracker::Forget() {
    firstHole_ += static_cast<std::int64_t>(holes_.size());
    holes_.clear();
    searchFrom_ = firstHole_;
    open_.reset();
    lastWide_.reset();
    lastTach_.reset();
    held_.clear();
    heldFrom_ = nextScan_;
}

// The analysis's holes: a falling edge through the threshold opens one, the
// next rising edge closes it.
void CycleTracker::Scan(std::uint64_t n, double beforeVolts, double tachVolts,
                        std::vector<CycleRow>& completed) {
    if (beforeVolts > kTachThreshold && tachVolts < kTachThreshold) {
        open_ = Hole{n, 0, Crossing(beforeVolts, tachVolts, n), 0.0};
    } else if (beforeVolts < kTachThreshold && tachVolts > kTachThreshold && open_) {
        open_->up = n;
        open_->centre = (open_->falling + Crossing(beforeVolts, tachVolts, n)) / 2;
        holes_.push_back(*open_);
        open_.reset();
        HoleClosed(completed);
    }
}

// Each window of 17 holes from the one after the last wide hole gives its
// widest hole (the first of equal widths), as the analysis of a grab does.
void CycleTracker::HoleClosed(std::vector<CycleRow>& completed) {
    const auto held = [this] { return firstHole_ + static_cast<std::int64_t>(holes_.size()); };
    while (held() >= searchFrom_ + kHolesPerRevolution + 1) {
        std::int64_t widest = searchFrom_;
        std::uint64_t widestWidth = 0;
        for (std::int64_t h = searchFrom_; h <= searchFrom_ + kHolesPerRevolution; ++h) {
            const Hole& hole = HoleNumber(h);
            if (hole.up - hole.down > widestWidth) {
                widest = h;
                widestWidth = hole.up - hole.down;
            }
        }
        WideHole(widest, completed);
        searchFrom_ = widest + 1;
    }
}

// A wide hole 16 holes after the last one closes a cycle. Its window of 17
// holes started after the last wide hole, so the hole after this one is
// already there: a knot of the crank angle beyond the cycle's end.
void CycleTracker::WideHole(std::int64_t number, std::vector<CycleRow>& completed) {
    if (lastWide_) {
        if (number - *lastWide_ == kHolesPerRevolution) {
            completed.push_back(Evaluate({*lastWide_, number}));
        } else {
            ++skipped_;
        }
    }
    lastWide_ = number;
}

bool CycleTracker::Holds(std::int64_t number) const {
    return number >= firstHole_ && number < firstHole_ + static_cast<std::int64_t>(holes_.size());
}

const CycleTracker::Hole& CycleTracker::HoleNumber(std::int64_t number) const {
    return holes_[static_cast<std::size_t>(number - firstHole_)];
}

std::uint16_t CycleTracker::Count(std::uint64_t scan, int offset) const {
    return held_[static_cast<std::size_t>(scan - heldFrom_) * static_cast<std::size_t>(channels_) +
                 static_cast<std::size_t>(offset)];
}

// Keeps the holes and scans a cycle still to come may need: from the hole
// before the last wide one (a knot of its crank angle) on.
void CycleTracker::Trim() {
    std::int64_t keepHole = searchFrom_;
    if (lastWide_) keepHole = std::min(keepHole, *lastWide_ - 1);
    while (!holes_.empty() && firstHole_ < keepHole) {
        holes_.pop_front();
        ++firstHole_;
    }
    std::uint64_t keepScan = nextScan_;
    if (!holes_.empty()) keepScan = holes_.front().down - 1;
    else if (open_) keepScan = open_->down - 1;
    keepScan = std::max(keepScan, heldFrom_);
    held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(
                                                   (keepScan - heldFrom_) *
                                                   static_cast<std::size_t>(channels_)));
    heldFrom_ = keepScan;
    if (static_cast<double>(nextScan_ - heldFrom_) > kLongestHeldSeconds * rate_) Forget();
}

// A monotone curve of the crank angle through the holes' centres, from the
// hole before the cycle's wide hole to the one after the next, where held.
performance::MonotoneCubic CycleTracker::Crank(const Cycle& cycle) const {
    std::vector<double> knotScans, knotDegrees;
    for (std::int64_t h = Holds(cycle.from - 1) ? cycle.from - 1 : cycle.from;
         h <= cycle.to + 1 && Holds(h); ++h) {
        knotScans.push_back(HoleNumber(h).centre);
        knotDegrees.push_back(static_cast<double>(h - cycle.from) * analysis::kDegreesPerHole);
    }
    return performance::MonotoneCubic(knotScans, knotDegrees);
}

// The channels' means over the scans from `first` up to, not including, `end`.
CycleTracker::ScanMeans CycleTracker::MeansOver(std::uint64_t first, double end) const {
    double volts = 0.0, low = 0.0, heater = 0.0, high = 0.0;
    std::size_t scans = 0;
    for (std::uint64_t n = first; static_cast<double>(n) < end; ++n, ++scans) {
        volts += text::CountToVolts(Count(n, pressure_));
        if (loTemp_) low += daq::TemperatureKelvin(Count(n, *loTemp_));
        if (heater_) heater += daq::HeaterPowerWatts(Count(n, *heater_));
        if (hiTemp_) high += daq::TemperatureKelvin(Count(n, *hiTemp_));
    }
    const double count = static_cast<double>(scans);
    ScanMeans means;
    means.scans = scans;
    means.pressureVolts = volts / count;
    if (loTemp_) means.monitor.loTempK = low / count;
    if (heater_) means.monitor.heaterPowerW = heater / count;
    if (hiTemp_) means.monitor.hiTempK = high / count;
    return means;
}

// The crank angle of every scan from the wide hole's centre up to, not
// including, the next one's, the cylinder's volume there and the pressure:
// the loop's p dV.
CycleRow CycleTracker::Evaluate(const Cycle& cycle) {
    const performance::MonotoneCubic crank = Crank(cycle);
    const double start = HoleNumber(cycle.from).centre;
    const double end = HoleNumber(cycle.to).centre;
    const auto first = static_cast<std::uint64_t>(std::ceil(start));
    const ScanMeans means = MeansOver(first, end);
    std::vector<double> volume, pressure;
    volume.reserve(means.scans);
    pressure.reserve(means.scans);
    for (std::uint64_t n = first; static_cast<double>(n) < end; ++n) {
        volume.push_back(analysis::CylinderVolumeDouble(crank(static_cast<double>(n))));
        pressure.push_back(analysis::PressureKpa(Count(n, pressure_), means.pressureVolts));
    }
    loops_.push_back(ThinnedLoop(volume, pressure));
    CycleRow row = means.monitor;
    const double seconds = (end - start) / rate_;
    row.timeS = start / rate_;
    row.rpm = 60 / seconds;
    row.workMilliJ = performance::LoopWorkMicroJ(volume, pressure) / 1000;
    row.indicatedPowerMilliW = row.workMilliJ / seconds;
    return row;
}

}  // namespace corvane::recording
