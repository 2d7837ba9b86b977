#include "performance/efficiency.h"

#include <gtest/gtest.h>

#include <limits>

namespace corvane::performance {
namespace {

TEST(Efficiency, AgainstTheCarnotLimitOfTheTwoTemperatures) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    using O = std::optional<double>;
    const struct {
        const char* name;
        double heaterW, lowK, highK;
        O powerMilliW;
        O heater, efficiency, carnot, ofCarnot;
    } cases[] = {
        // 250 mW from 4 W is 6.25 %; 1 - 300/400 = 25 %; 6.25 of 25 is 25 %.
        {"worked figures", 4, 300, 400, 250, 4, 6.25, 25, 25},
        {"a dyna has no indicated power", 4, 300, 400, {}, 4, {}, 25, {}},
        {"zero heater power", 0, 300, 400, 250, {}, {}, 25, {}},
        {"heater power not a number", nan, 300, 400, 250, {}, {}, 25, {}},
        {"no temperature difference", 4, 300, 300, 250, 4, 6.25, {}, {}},
        {"hot side colder", 4, 350, 300, 250, 4, 6.25, {}, {}},
        {"no low temperature", 4, 0, 400, 250, 4, 6.25, {}, {}},
        {"an engine taking in work", 2, 300, 400, -50, 2, -2.5, 25, -10},
        {"a heater too small to divide by", 1e-310, 300, 400, 250, 1e-310, {}, 25, {}},
    };
    for (const auto& c : cases) {
        const Efficiency e = EfficiencyOf(c.heaterW, c.lowK, c.highK, c.powerMilliW);
        EXPECT_EQ(e.heaterPowerW, c.heater) << c.name;
        EXPECT_EQ(e.indicatedEfficiencyPercent.has_value(), c.efficiency.has_value()) << c.name;
        EXPECT_EQ(e.carnotPercent.has_value(), c.carnot.has_value()) << c.name;
        EXPECT_EQ(e.percentOfCarnot.has_value(), c.ofCarnot.has_value()) << c.name;
        if (c.efficiency && e.indicatedEfficiencyPercent) {
            EXPECT_NEAR(*e.indicatedEfficiencyPercent, *c.efficiency, 1e-12) << c.name;
        }
        if (c.carnot && e.carnotPercent) {
            EXPECT_NEAR(*e.carnotPercent, *c.carnot, 1e-12) << c.name;
        }
        if (c.ofCarnot && e.percentOfCarnot) {
            EXPECT_NEAR(*e.percentOfCarnot, *c.ofCarnot, 1e-12) << c.name;
        }
    }
}

// A dyna's shaft power at its maximum over the heater power.
TEST(Efficiency, ShaftPowerOverHeaterPower) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        double heaterW, shaftMilliW;
        std::optional<double> percent;
    } cases[] = {
        {"worked figure: 120 mW from 4 W", 4, 120, 3.0},
        {"no heater power", 0, 120, {}},
        {"a heater too small to divide by", 1e-310, 120, {}},
        {"a shaft power beyond any number", 4, inf, {}},
        {"a braked engine", 2, -50, -2.5},
    };
    for (const auto& c : cases) {
        const std::optional<double> percent =
            ShaftEfficiencyPercent(EfficiencyOf(c.heaterW, 300, 400, {}), c.shaftMilliW);
        ASSERT_EQ(percent.has_value(), c.percent.has_value()) << c.name;
        if (percent) {
            EXPECT_NEAR(*percent, *c.percent, 1e-12) << c.name;
        }
    }
}

}  // namespace
}  // namespace corvane::performance
