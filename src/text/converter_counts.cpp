#include "text/converter_counts.h"

#include <cmath>

#include "text/errors.h"

namespace corvane::text {

namespace {
// Extended precision matters: the board's counts must survive a round trip
// through the capture file's volts text unchanged.
constexpr long double kCountsPerVolt = 204.8L;
constexpr long double kZeroVoltCount = 2048.0L;
}  // namespace

double CountToVolts(std::uint16_t count) {
    const long double offset = static_cast<long double>(static_cast<int>(count) - 2048);
    return static_cast<double>(offset / kCountsPerVolt);
}

std::uint16_t VoltsToCount(double volts) {
    const long double scaled = static_cast<long double>(volts) * kCountsPerVolt + kZeroVoltCount;
    // nearbyintl rounds halves to even in the default rounding mode.
    const long double rounded = std::nearbyintl(scaled);
    if (!(rounded >= 0.0L && rounded <= 65535.0L)) throw RangeError();
    return static_cast<std::uint16_t>(rounded);
}

}  // namespace corvane::text
