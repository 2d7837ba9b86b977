#include "performance/uncertainty_text.h"

#include <gtest/gtest.h>

#include <iterator>

namespace corvane::performance {
namespace {

TEST(UncertaintyText, TwoSignificantDigitsAndTheValueToTheSamePlace) {
    const text::NumberFormat comma{",", "."};
    const struct {
        double value, expanded;
        int usual;
        text::NumberFormat format;
        const char* text;
    } cases[] = {
        {249.196, 2.626, 2, text::PointComma(), "249.2 \u00b1 2.6 mW (k = 2)"},
        {249.196, 2.626, 2, comma, "249,2 \u00b1 2,6 mW (k = 2)"},
        {1234.7, 12.3, 2, text::PointComma(), "1,235 \u00b1 12 mW (k = 2)"},
        {4.4449, 0.0351, 2, text::PointComma(), "4.445 \u00b1 0.035 mW (k = 2)"},
        {50.04, 9.96, 2, text::PointComma(), "50 \u00b1 10 mW (k = 2)"},  // 9.96 rounds to 10
        {50.04, 0.99, 2, text::PointComma(), "50.04 \u00b1 0.99 mW (k = 2)"},
        {500.04, 0.0, 1, text::PointComma(), "500.0 \u00b1 0.0 mW (k = 2)"},  // no spread
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UncertainText({c.value, c.expanded, {}}, "mW", c.usual, c.format), c.text)
            << c.value << " " << c.expanded;
    }
}

TEST(UncertaintyText, OnlyTheFiguresThatHaveOne) {
    PerformanceUncertainty u;
    EXPECT_TRUE(UncertainFigures(u).empty());
    u.carnotPercent = UncertainFigure{25, 0.6, {}};
    u.indicatedPowerMilliW = UncertainFigure{249, 2.6, {}};
    const auto named = UncertainFigures(u);
    ASSERT_EQ(named.size(), 2u);
    EXPECT_EQ(named[0].name, "Cycle-resolved indicated power");
    EXPECT_EQ(named[0].figure, &*u.indicatedPowerMilliW);
    EXPECT_EQ(named[1].name, "Carnot limit");
    EXPECT_EQ(named[1].unit, "%");
}

// Every figure in the window's order, with its unit and the digits its value
// keeps when it has no spread (speed to 0.1 rpm, the rest to 0.01).
TEST(UncertaintyText, EveryFigureWithItsUnitAndDigits) {
    const UncertainFigure none{1, 0, {}};
    PerformanceUncertainty u;
    for (auto* figure :
         {&u.indicatedPowerMilliW, &u.workMilliJ, &u.rpm, &u.indicatedEfficiencyPercent,
          &u.carnotPercent, &u.percentOfCarnot, &u.maxPowerMilliW, &u.torqueAtMaxPowerMilliNm,
          &u.frictionTorqueMilliNm, &u.frictionPowerMilliW, &u.shaftPowerMilliW,
          &u.mechanicalEfficiencyPercent, &u.shaftEfficiencyPercent})
        *figure = none;
    const struct {
        const char* name;
        const char* unit;
        int usualDecimals;
    } expected[] = {
        {"Cycle-resolved indicated power", "mW", 2},
        {"Work per cycle", "mJ", 2},
        {"Speed", "rpm", 1},
        {"Indicated efficiency", "%", 2},
        {"Carnot limit", "%", 2},
        {"Share of the Carnot limit", "%", 2},
        {"Maximum power", "mW", 2},
        {"Torque at maximum power", "mNm", 2},
        {"Friction torque", "mNm", 2},
        {"Friction power", "mW", 2},
        {"Shaft power", "mW", 2},
        {"Mechanical efficiency", "%", 2},
        {"Shaft efficiency", "%", 2},
    };
    const auto named = UncertainFigures(u);
    ASSERT_EQ(named.size(), std::size(expected));
    for (std::size_t i = 0; i < named.size(); ++i) {
        EXPECT_EQ(named[i].name, expected[i].name);
        EXPECT_EQ(named[i].unit, expected[i].unit) << expected[i].name;
        EXPECT_EQ(named[i].usualDecimals, expected[i].usualDecimals) << expected[i].name;
    }
}

}  // namespace
}  // namespace corvane::performance
