#pragma once
// Operating points: a stretch of the run (steady, or chosen by the user)
// summed up as the mean and spread of every quantity a lab report asks for,
// and the table's text for the clipboard and for a CSV file.

#include <optional>
#include <string>
#include <vector>

#include "recording/cycle_tracker.h"

namespace corvane::recording {

// Cycles first .. first + count - 1 of a run.
struct Stretch {
    std::size_t first = 0;
    std::size_t count = 0;
    friend bool operator==(const Stretch&, const Stretch&) = default;
};

// Mean and sample standard deviation of the cycles that have the quantity;
// nothing when none has it. A single value has no spread (sd 0).
struct Spread {
    double mean = 0.0;
    double sd = 0.0;
};

struct OperatingPoint {
    bool chosen = false;  // the user chose it; otherwise a steady stretch
    double startS = 0.0;
    double lengthS = 0.0;  // from its first cycle's start to its last cycle's end
    std::size_t cycles = 0;
    std::optional<Spread> rpm, indicatedPowerMilliW, loTempK, hiTempK, heaterPowerW;
    std::optional<Spread> indicatedEfficiencyPercent, carnotPercent;  // per cycle
};

// Every run of consecutive steady cycles.
std::vector<Stretch> SteadyStretches(const std::vector<bool>& steady);
// The same from the cycles' flags, without the cycles of the window whose
// end cleared the flag: they were flagged before the change within their
// window was known (a stretch the run's end cuts off keeps all its cycles).
std::vector<Stretch> SteadyStretches(const std::vector<CycleRow>& cycles, double windowSeconds);
// The cycles that start in [fromS, toS).
Stretch StretchBetween(const std::vector<CycleRow>& cycles, double fromS, double toS);

OperatingPoint OperatingPointOf(const std::vector<CycleRow>& cycles, Stretch stretch, bool chosen);

// Header line and one line per point, fields separated by `separator`,
// point decimal, LF; an absent figure is an empty field.
std::string OperatingPointTable(const std::vector<OperatingPoint>& points, char separator);

}  // namespace corvane::recording
