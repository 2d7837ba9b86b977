#include "text/converter_counts.h"

#include <gtest/gtest.h>

#include "text/errors.h"

namespace corvane::text {
namespace {

TEST(CountToVolts, SpansTheTenVoltRange) {
    EXPECT_EQ(CountToVolts(0), -10.0);
    EXPECT_EQ(CountToVolts(2048), 0.0);
    EXPECT_EQ(CountToVolts(4095), 9.9951171875);
    EXPECT_EQ(CountToVolts(65535), 309.9951171875);
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
