#include "performance/dyna_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace corvane::performance {
namespace {

constexpr double kPi = std::numbers::pi;

// Holes of a flywheel speeding up evenly from 30 rad/s at 12 rad/s^2, its speed
// rippling within each revolution by `ripple` (radians of crank angle ahead of
// the even motion, locked to the crank angle).
struct Track {
    std::vector<double> seconds, angle;
};

Track EvenAcceleration(int holes, double ripple) {
    Track track;
    for (int j = 0; j < holes; ++j) {
        const double theta = 2 * kPi * j / 16;
        const double even = theta - ripple * std::sin(theta) - ripple / 4 * std::cos(2 * theta);
        // even = 30 t + 6 t^2
        track.seconds.push_back((-30 + std::sqrt(900 + 24 * even)) / 12);
        track.angle.push_back(theta);
    }
    return track;
}

TEST(DynaCurve, ConstantAccelerationGivesItsTorqueAtEveryHole) {
    for (const double ripple : {0.0, 0.03}) {
        const Track t = EvenAcceleration(16 * 6 + 1, ripple);
        const auto points = DynaPoints({t.seconds, t.angle}, 0.25);
        // Every hole with three quarters of a revolution either side.
        ASSERT_EQ(points.size(), t.seconds.size() - 2 * kFitLeastHoles);
        for (std::size_t i = 0; i < points.size(); ++i) {
            const double time = t.seconds[i + kFitLeastHoles];
            const double omega = 30 + 12 * time;
            EXPECT_NEAR(points[i].timeMs, 1000 * time, 1e-9);
            EXPECT_NEAR(points[i].angularAcceleration, 12, 1e-6) << ripple << " at " << time;
            EXPECT_NEAR(points[i].angularSpeed, omega, 1e-6);
            EXPECT_NEAR(points[i].rpm, omega * 60 / (2 * kPi), 1e-5);
            EXPECT_NEAR(points[i].torqueMilliNm, 3.0, 1e-6);  // 0.25 g m^2 x 12 rad/s^2
            EXPECT_NEAR(points[i].powerMilliW, 3.0 * omega, 1e-5);
        }
    }
}

// The window shrinks at the ends of a run: there it spans less than a
// revolution each side, yet still no ripple leaks into the acceleration.
TEST(DynaCurve, WindowShrinksAtTheEnds) {
    const Track t = EvenAcceleration(16 * 2 + 1, 0.03);
    for (std::size_t half : {kFitLeastHoles, kFitReachHoles}) {
        const auto m = LocalMotion({t.seconds, t.angle}, 16, half);
        ASSERT_TRUE(m) << half;
        EXPECT_NEAR(m->angularAcceleration, 12, 1e-6) << half;
    }
    EXPECT_EQ(DynaPoints({t.seconds, t.angle}, 1.0).size(), 9u);  // holes 12 .. 20
    EXPECT_FALSE(LocalMotion({t.seconds, t.angle}, 16, 2));       // 5 holes, 7 terms
}

// Seven terms need more than seven holes: with exactly seven nothing is
// fitted, with nine the motion is found.
TEST(DynaCurve, SevenTermsNeedMoreThanSevenHoles) {
    const Track t = EvenAcceleration(16 * 2 + 1, 0.0);
    EXPECT_FALSE(LocalMotion({t.seconds, t.angle}, 16, 3));
    const auto m = LocalMotion({t.seconds, t.angle}, 16, 4);
    ASSERT_TRUE(m);
    EXPECT_NEAR(m->angularAcceleration, 12, 1e-4);
}

// A revolution left out (a missed hole) makes the holes of a window uneven
// around its centre; the fit still finds the motion exactly.
TEST(DynaCurve, AHoleMissingFromTheWindowStillGivesTheMotion) {
    for (const double ripple : {0.0, 0.03}) {
        Track t = EvenAcceleration(16 * 2 + 1, ripple);
        t.seconds.erase(t.seconds.begin() + 13);
        t.angle.erase(t.angle.begin() + 13);
        const auto m = LocalMotion({t.seconds, t.angle}, 15, 8);  // hole 16, hole 13 gone
        ASSERT_TRUE(m) << ripple;
        EXPECT_NEAR(m->angularAcceleration, 12, 1e-6) << ripple;
        EXPECT_NEAR(m->angularSpeed, 30 + 12 * t.seconds[15], 1e-6) << ripple;
    }
}

}  // namespace
}  // namespace corvane::performance
