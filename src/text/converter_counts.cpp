#include "text/converter_counts.h"

#include <array>
#include <cmath>

#include "text/errors.h"

namespace corvane::text {

namespace {
// Extended precision matters: the board's counts must survive a round trip
// through the capture file's volts text unchanged.
constexpr long double kCountsPerVolt = 204.8L;
constexpr long double kZeroVoltCount = 2048.0L;
constexpr int kConverterCounts = 4096;  // what a 12-bit converter gives

constexpr double Volts(int count) {
    return static_cast<double>(static_cast<long double>(count - 2048) / kCountsPerVolt);
}

// The 12-bit codes every capture consists of, converted once by the compiler:
// the same extended division, rounded the same way, as at run time (a test
// compares all of them), without a division per sample.
constexpr std::array<double, kConverterCounts> kConverterVolts = [] {
    std::array<double, kConverterCounts> volts{};
    for (int c = 0; c < kConverterCounts; ++c) volts[static_cast<std::size_t>(c)] = Volts(c);
    return volts;
}();

}  // namespace

double CountToVolts(std::uint16_t count) {
    if (count < kConverterCounts) return kConverterVolts[count];
    return Volts(count);
}

std::uint16_t VoltsToCount(double volts) {
    // The volts of a 12-bit code, as every capture file holds them, are that
    // code's count: the conversion below gives it back for every one of them
    // (a test checks all), so they are looked up instead.
    if (volts >= Volts(0) && volts <= Volts(kConverterCounts - 1)) {
        const auto nearest = static_cast<long>(volts * 204.8 + 2048.5);  // at least 0
        if (kConverterVolts[static_cast<std::size_t>(nearest)] == volts) {
            return static_cast<std::uint16_t>(nearest);
        }
    }
    const long double scaled = static_cast<long double>(volts) * kCountsPerVolt + kZeroVoltCount;
    // Halves to even: the program never leaves the default rounding mode, in
    // which rintl rounds exactly as nearbyintl does; it only may raise the
    // inexact flag, which nothing reads, and saves the cost of keeping it clear.
    const long double rounded = std::rintl(scaled);
    if (!(rounded >= 0.0L && rounded <= 65535.0L)) throw RangeError();
    return static_cast<std::uint16_t>(rounded);
}

}  // namespace corvane::text
