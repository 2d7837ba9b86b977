#include "text/format.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane::text {
namespace {

struct Case {
    double value;
    const char* expected;
};

const NumberFormat kPoint = PointComma();
// Decimal comma and a grouping point, as in many European settings.
const NumberFormat kComma{",", "."};

TEST(FormatAdaptive, ChoosesDecimalsByMagnitude) {
    const Case cases[] = {
        {123456.7, "123,457"},
        {1234, "1,234"},
        {1000, "1,000"},
        {999.9, "1,000"},
        {999, "999"},
        {998.9996, "999"},
        {12.5, "12.5"},
        {2, "2"},
        {1, "1"},
        {0.999999, "1"},
        {0.5, "0.5"},
        {0.0012, "0.0012"},
        {0.001, "0.001"},
        {0.00012345, "0.000123"},
        {0.000012345, "0.0000123"},
        {0.00001, "0.00001"},
        {0.0000099, "9.900E-006"},
        {0.0000012346, "1.235E-006"},
        {1e-10, "1.000E-010"},
        {-0.25, "-0.25"},
        {-1234, "-1,234"},
        {0, "0"},
        {1234567.5, "1,234,568"},
        {-0.0000012346, "-1.235E-006"},
        {9.99996e-6, "1.000E-005"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatAdaptive(c.value, kPoint), c.expected) << c.value;
    }
}

TEST(FormatAdaptive, TrimsAtThePointOnly) {
    // With a decimal comma nothing is trimmed; the grouping follows the settings.
    EXPECT_EQ(FormatAdaptive(12.5, kComma), "12,500");
    EXPECT_EQ(FormatAdaptive(0.5, kComma), "0,50000");
    EXPECT_EQ(FormatAdaptive(1234, kComma), "1.234");
    EXPECT_EQ(FormatAdaptive(0.0000012346, kComma), "1,235E-006");
}

TEST(FormatOneDecimal, RoundsExactTiesAwayFromZeroOnly) {
    const Case cases[] = {
        {0.25, "0.3"},
        {-0.25, "-0.3"},
        {0.15, "0.1"},  // 0.15 is stored just below
        {0.35, "0.3"},
        {0.45, "0.5"},
        {295.25, "295.3"},
        {1234.56, "1,234.6"},
        {-0.04, "0.0"},
        {-0.05, "-0.1"},
        {-1234567.89, "-1,234,567.9"},
        {0, "0.0"},
        {-0.0, "0.0"},
        {1e21, "1,000,000,000,000,000,000,000.0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatOneDecimal(c.value, kPoint), c.expected) << c.value;
    }
    EXPECT_EQ(FormatOneDecimal(1234.56, kComma), "1.234,6");
    EXPECT_EQ(FormatOneDecimal(1234.56, PointOnly()), "1234.6");
}

TEST(FormatTwoDecimals, ExactTiesGoAwayFromZero) {
    // 0.125 and 2.5 are exact binary values; printf would round them to even.
    EXPECT_EQ(FormatTorque(0.125, kPoint), "0.13");
    EXPECT_EQ(FormatTorque(-0.125, kPoint), "-0.13");
    EXPECT_EQ(FormatTorque(2.675, kPoint), "2.67");  // stored below 2.675
    EXPECT_EQ(FormatTorque(-0.004, kPoint), "0.00");
    EXPECT_EQ(FormatTorque(-15.708, kPoint), "-15.71");
}

TEST(FormatThresholds, CompareTheSignedValue) {
    const Case resistor[] = {
        {0.0009, "0"}, {-3, "0"}, {0.001, "0.0"}, {0.04, "0.0"}, {2.96, "3.0"}};
    for (const Case& c : resistor) EXPECT_EQ(FormatResistorPower(c.value, kPoint), c.expected);
    const Case swing[] = {
        {0.099, "0"}, {0.05, "0"}, {0.1, "0.10"}, {1234.5, "1,234.50"}, {-5, "0"}};
    for (const Case& c : swing) EXPECT_EQ(FormatPressureSwing(c.value, kPoint), c.expected);
    const Case dyna[] = {{0.0009, "0"}, {0.001, "0.00"}, {1234.567, "1,234.57"}, {-20, "0"}};
    for (const Case& c : dyna) EXPECT_EQ(FormatDynaPower(c.value, kPoint), c.expected);
}

TEST(FormatVolts, TwoDecimalsWithoutGrouping) {
    const struct {
        std::uint16_t count;
        const char* expected;
    } cases[] = {{2048, "0.00"},  {0, "-10.00"},     {2560, "2.50"}, {4095, "10.00"},
                 {1946, "-0.50"}, {65535, "310.00"}, {2049, "0.00"}};
    for (const auto& c : cases) EXPECT_EQ(FormatVolts(c.count, kPoint), c.expected) << c.count;
    EXPECT_EQ(FormatVolts(1946, kComma), "-0,50");
}

TEST(FormatNonFinite, DoesNotCrash) {
    EXPECT_EQ(FormatOneDecimal(std::numeric_limits<double>::quiet_NaN(), kPoint), "NAN");
    EXPECT_EQ(FormatAdaptive(-std::numeric_limits<double>::infinity(), kPoint), "-INF");
}

}  // namespace
}  // namespace corvane::text
