#include "recording/steady_state.h"

#include <cmath>

namespace corvane::recording {

namespace {

// A window holding fewer cycles is a stalled or barely turning engine.
constexpr int kFewestCycles = 3;
constexpr std::size_t kSettledWindows = 3;

bool Within(double before, double after, double allowedPerMinute, double minutes) {
    return std::abs(after - before) / minutes < allowedPerMinute;
}

}  // namespace

SteadyDetector::SteadyDetector(const SteadyCriteria& criteria) : criteria_(criteria) {}

bool SteadyDetector::Add(const CycleRow& cycle) {
    const auto window =
        static_cast<std::int64_t>(std::floor(cycle.timeS / criteria_.windowSeconds));
    if (open_ && open_->window != window) {
        const bool skipped = window > open_->window + 1;
        CloseWindow();
        // Whole windows without a cycle: a stall or a gap lies between.
        if (skipped) closed_.clear();
    }
    if (!open_) open_ = Sums{window};
    ++open_->cycles;
    open_->rpm += cycle.rpm;
    open_->powerMilliW += cycle.indicatedPowerMilliW;
    if (cycle.hiTempK) {
        ++open_->withTemperature;
        open_->highTempK += *cycle.hiTempK;
    }
    return Steady();
}

void SteadyDetector::Gap() {
    open_.reset();
    closed_.clear();
}

void SteadyDetector::CloseWindow() {
    const Sums sums = *open_;
    open_.reset();
    // A window without enough cycles, or one missing between, breaks the chain.
    if (sums.cycles < kFewestCycles ||
        (!closed_.empty() && closed_.back().window + 1 != sums.window)) {
        closed_.clear();
        if (sums.cycles < kFewestCycles) return;
    }
    Means means{sums.window, sums.rpm / sums.cycles, std::nullopt, sums.powerMilliW / sums.cycles};
    if (sums.withTemperature == sums.cycles) means.highTempK = sums.highTempK / sums.cycles;
    closed_.push_back(means);
    if (closed_.size() > kSettledWindows) closed_.pop_front();
}

bool SteadyDetector::Settled(const Means& before, const Means& after) const {
    const double minutes = criteria_.windowSeconds / 60.0;
    const double power = std::abs(after.powerMilliW);
    if (!Within(before.rpm, after.rpm, criteria_.rpmPerMinute, minutes)) return false;
    if (!Within(before.powerMilliW, after.powerMilliW,
                criteria_.powerPercentPerMinute / 100.0 * power, minutes)) {
        return false;
    }
    // A stream without the temperature channel is judged on the other two.
    if (before.highTempK.has_value() != after.highTempK.has_value()) return false;
    return !after.highTempK ||
           Within(*before.highTempK, *after.highTempK, criteria_.highTempKPerMinute, minutes);
}

bool SteadyDetector::Steady() const {
    if (closed_.size() < kSettledWindows) return false;
    for (std::size_t i = 1; i < closed_.size(); ++i) {
        if (!Settled(closed_[i - 1], closed_[i])) return false;
    }
    return true;
}

std::vector<bool> SteadyFlags(const std::vector<CycleRow>& cycles, const SteadyCriteria& criteria,
                              const std::vector<double>& gapsS) {
    SteadyDetector detector(criteria);
    std::vector<bool> flags;
    flags.reserve(cycles.size());
    std::size_t gap = 0;
    for (const CycleRow& cycle : cycles) {
        for (; gap < gapsS.size() && gapsS[gap] <= cycle.timeS; ++gap) detector.Gap();
        flags.push_back(detector.Add(cycle));
    }
    return flags;
}

}  // namespace corvane::recording
