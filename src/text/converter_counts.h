#pragma once
// The one conversion between the board's 12-bit converter counts and volts
// on the +-10 V range.

#include <cstdint>

namespace corvane::text {

// (count - 2048) / 204.8, the divisor held in extended precision.
double CountToVolts(std::uint16_t count);
// volts * 204.8 + 2048 in extended precision, rounded half to even;
// throws RangeError when the count falls outside 0..65535 (or is not a number).
std::uint16_t VoltsToCount(double volts);

}  // namespace corvane::text
