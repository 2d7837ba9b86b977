#include "performance/dyna_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
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

// Holes at an even 620 rpm (about 165 a second) whose times jitter
// (seeded, 20 us): windows of different widths then give different motions.
Track JitteredTrack(int holes, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> jitter(0.0, 20e-6);
    const double omega = 620 * 2 * kPi / 60;
    Track track;
    for (int j = 0; j < holes; ++j) {
        track.angle.push_back(2 * kPi * j / 16);
        track.seconds.push_back(track.angle.back() / omega + jitter(random));
    }
    return track;
}

// Each point's window: as many holes each side as lie within a quarter of a
// second (at 620 rpm, 41), at least a revolution, and near the end of the
// run every hole up to the last.
TEST(DynaCurve, EachPointsWindowReachesAQuarterSecondOrTheEnd) {
    const Track t = JitteredTrack(16 * 12, 1);
    const HoleTrack track{t.seconds, t.angle};
    const auto points = DynaPoints(track, 1.0);
    const std::size_t last = t.seconds.size() - 1;
    const struct {
        std::size_t hole, halfWidth;
    } cases[] = {{96, 41}, {60, 41}, {last - 30, 30}, {last - 20, 20}, {30, 30}, {14, 14}};
    for (const auto& c : cases) {
        const DynaPoint& p = points[c.hole - kFitLeastHoles];
        const auto expected = LocalMotion(track, c.hole, c.halfWidth);
        ASSERT_TRUE(expected) << c.hole;
        EXPECT_EQ(p.angularAcceleration, expected->angularAcceleration) << c.hole;
        for (std::size_t other : {c.halfWidth - 1, c.halfWidth + 1}) {
            if (c.hole < other || c.hole + other > last) continue;
            EXPECT_NE(p.angularAcceleration, LocalMotion(track, c.hole, other)->angularAcceleration)
                << c.hole << " " << other;
        }
    }
}

// The acceleration's stated scatter is its real one: over 400 seeded tracks
// the accelerations scatter as much as each fit says (within 10 %).
TEST(DynaCurve, StatedScatterMatchesTheScatterOverManyTracks) {
    double sum = 0, squares = 0, stated = 0;
    constexpr int kTracks = 400;
    for (int seed = 1; seed <= kTracks; ++seed) {
        const Track t = JitteredTrack(33, static_cast<unsigned>(seed));
        const auto m = LocalMotion({t.seconds, t.angle}, 16, 16);
        ASSERT_TRUE(m);
        sum += m->angularAcceleration;
        squares += m->angularAcceleration * m->angularAcceleration;
        stated += m->accelerationSd / kTracks;
    }
    const double mean = sum / kTracks;
    const double spread = std::sqrt((squares - kTracks * mean * mean) / (kTracks - 1));
    EXPECT_NEAR(stated / spread, 1.0, 0.1) << stated << " against " << spread;
}

}  // namespace
}  // namespace corvane::performance
