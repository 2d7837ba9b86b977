#pragma once
// The names of the two indicated powers. The results table's Ind Pwr measures
// one cycle's loop picture; the engine-performance evaluation integrates p dV
// over every cycle. Wherever the second is shown it carries its own name and
// a line saying how it is found, so that nobody takes one for the other.

namespace corvane::performance {

inline constexpr const char* kCycleResolvedPowerLabel = "Cycle-resolved indicated power";
inline constexpr const char* kCycleResolvedPowerNote =
    "Cycle-resolved: each cycle's p dV integral over its own duration, averaged; "
    "Ind Pwr (results table) is one cycle's loop picture. Manual: Two indicated powers.";

}  // namespace corvane::performance
