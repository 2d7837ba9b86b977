#include "performance/pressure_calibration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace corvane::performance {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The line through two readings, in either order; none where it says nothing.
TEST(PressureCalibration, TwoPointsGiveScaleAndZero) {
    const struct {
        CalibrationPoint a, b;
        bool usable;
        double scale, zeroVolts;
    } cases[] = {
        {{0, 0}, {10, 4}, true, 1.0, 0.0},         // the nominal transducer
        {{0, 0.1}, {10, 4.5}, true, 1.1, 0.1},     // 0.44 V per kPa, 0.1 V at atmosphere
        {{10, 4.5}, {0, 0.1}, true, 1.1, 0.1},     // the same two readings swapped
        {{5, 2.3}, {15, 6.7}, true, 1.1, 0.1},     // neither at atmosphere
        {{-20, -7.2}, {0, 0.8}, true, 1.0, 0.8},   // below atmosphere
        {{5, 2}, {5, 3}, false, 0, 0},             // one pressure twice
        {{0, 4}, {10, 0}, false, 0, 0},            // falling with pressure
        {{0, 1}, {10, 1}, false, 0, 0},            // no sensitivity
        {{0, kNan}, {10, 4}, false, 0, 0},
        {{0, 0}, {kInf, 4}, false, 0, 0},
    };
    for (const auto& c : cases) {
        const auto calibration = TwoPointCalibration(c.a, c.b);
        ASSERT_EQ(calibration.has_value(), c.usable) << c.a.gaugeKpa << " " << c.b.gaugeKpa;
        if (!c.usable) continue;
        EXPECT_NEAR(calibration->scale, c.scale, 1e-12) << c.a.volts;
        EXPECT_NEAR(calibration->zeroVolts, c.zeroVolts, 1e-12) << c.a.volts;
        // Each reading reads back as the pressure it was taken at.
        EXPECT_NEAR(GaugeKpa(*calibration, c.a.volts), c.a.gaugeKpa, 1e-9);
        EXPECT_NEAR(GaugeKpa(*calibration, c.b.volts), c.b.gaugeKpa, 1e-9);
    }
    EXPECT_EQ(GaugeKpa(PressureCalibration{}, 2.0), 5.0);
}

TEST(PressureCalibration, OnlyAFinitePositiveScaleAndFiniteZeroAreUsable) {
    const struct {
        double scale, zero;
        bool usable;
    } cases[] = {
        {1, 0, true},    {0.5, -2, true}, {0, 0, false},     {-1, 0, false},
        {kNan, 0, false}, {kInf, 0, false}, {1, kNan, false}, {1, -kInf, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsUsable(PressureCalibration{c.scale, c.zero}), c.usable) << c.scale << " " << c.zero;
    }
}

}  // namespace
}  // namespace corvane::performance
