#include "text/converter_counts.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>

#include "text/errors.h"

namespace corvane::text {
namespace {

TEST(CountToVolts, SpansTheTenVoltRange) {
    EXPECT_EQ(CountToVolts(0), -10.0);
    EXPECT_EQ(CountToVolts(2048), 0.0);
    EXPECT_EQ(CountToVolts(4095), 9.9951171875);
    EXPECT_EQ(CountToVolts(65535), 309.9951171875);
}

// The converter's codes come from a table the compiler filled; every count,
// in the table or not, must be the extended division done at run time.
TEST(CountToVolts, EveryCountIsTheExtendedDivision) {
    volatile long double divisor = 204.8L;  // keeps the compiler from folding it
    for (int c = 0; c <= 65535; ++c) {
        const double expected = static_cast<double>(static_cast<long double>(c - 2048) / divisor);
        ASSERT_EQ(CountToVolts(static_cast<std::uint16_t>(c)), expected) << c;
    }
}

// VoltsToCount rounds with rintl, which differs from nearbyintl only in the
// inexact flag, in the rounding mode the program runs in. Checked where it
// matters: every count's volts, the exact halves between counts and the
// doubles either side of each.
TEST(VoltsToCount, RoundsAsNearbyintInTheDefaultMode) {
    ASSERT_EQ(std::fegetround(), FE_TONEAREST);
    const auto reference = [](double volts) -> long {
        const long double rounded =
            std::nearbyintl(static_cast<long double>(volts) * 204.8L + 2048);
        return rounded >= 0 && rounded <= 65535 ? static_cast<long>(rounded) : -1;
    };
    for (int c = -2; c <= 65537; ++c) {
        const double onCount = static_cast<double>((c - 2048) / 204.8L);
        const double half = static_cast<double>((c - 2048 + 0.5L) / 204.8L);
        for (const double v : {onCount, half, std::nextafter(half, -1e9), std::nextafter(half, 1e9),
                               std::nextafter(onCount, -1e9), std::nextafter(onCount, 1e9)}) {
            const long expected = reference(v);
            if (expected < 0) {
                ASSERT_THROW(VoltsToCount(v), RangeError) << v;
            } else {
                ASSERT_EQ(VoltsToCount(v), expected) << v;
            }
        }
    }
}

TEST(VoltsToCount, EveryCountSurvivesTheRoundTrip) {
    for (int c = 0; c <= 65535; ++c) {
        ASSERT_EQ(VoltsToCount(CountToVolts(static_cast<std::uint16_t>(c))), c);
    }
}

TEST(VoltsToCount, HalvesGoToEven) {
    EXPECT_EQ(VoltsToCount(0.0), 2048);
    EXPECT_EQ(VoltsToCount(-10.0), 0);
    // 0.5 / 204.8 and 1.5 / 204.8 are exact binary fractions: counts 2048.5 and 2049.5.
    EXPECT_EQ(VoltsToCount(0.00244140625), 2048);
    EXPECT_EQ(VoltsToCount(0.00732421875), 2050);
    EXPECT_EQ(VoltsToCount(-0.00244140625), 2048);  // 2047.5
}

TEST(VoltsToCount, FailsOutsideTheCountRange) {
    EXPECT_THROW(VoltsToCount(-10.01), RangeError);
    EXPECT_EQ(VoltsToCount(-10.002), 0);  // 2047.59.. below 0.5 away from 0
    EXPECT_THROW(VoltsToCount(310.0), RangeError);
    EXPECT_THROW(VoltsToCount(std::numeric_limits<double>::quiet_NaN()), RangeError);
    EXPECT_THROW(VoltsToCount(std::numeric_limits<double>::infinity()), RangeError);
    try {
        VoltsToCount(1e9);
        FAIL();
    } catch (const RangeError& e) {
        EXPECT_STREQ(e.what(), "Range check error");
    }
}

}  // namespace
}  // namespace corvane::text
