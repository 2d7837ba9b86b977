// Trends thinned for drawing keep every spike, both ends and time order.

#include "recording/trend_decimation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace corvane::recording {
namespace {

TEST(TrendDecimation, ALongRunKeepsItsExtremesEndsAndOrderInFewPoints) {
    std::vector<double> t, v;
    for (int i = 0; i < 100000; ++i) {
        t.push_back(i * 0.12);
        v.push_back(std::sin(i * 0.01));
    }
    v[54321] = 9.0;   // one cycle far above the rest
    v[54322] = -9.0;  // and one far below
    const TrendPoints all = Decimate(t, v, 0, t.back(), 800);
    EXPECT_LE(all.t.size(), 4u * 800 + 8);
    EXPECT_EQ(all.t.front(), t.front());
    EXPECT_EQ(all.t.back(), t.back());
    EXPECT_TRUE(std::is_sorted(all.t.begin(), all.t.end()));
    EXPECT_EQ(*std::max_element(all.value.begin(), all.value.end()), 9.0);
    EXPECT_EQ(*std::min_element(all.value.begin(), all.value.end()), -9.0);

    // A zoomed range: the neighbours just outside it are kept too.
    const TrendPoints part = Decimate(t, v, 1200.05, 1203.05, 800);
    ASSERT_EQ(part.t.size(), 27u);  // 1200.12 .. 1203.00 is 25 points, and one each side
    EXPECT_EQ(part.t.front(), t[10000]);
    EXPECT_EQ(part.value.back(), v[10026]);
}

TEST(TrendDecimation, NothingToDrawGivesNothing) {
    const std::vector<double> t = {1, 2, 3}, v = {4, 5, 6};
    EXPECT_TRUE(Decimate({}, {}, 0, 10, 100).t.empty());
    // However few buckets are asked for, there is at least one: four points.
    std::vector<double> many(100), values(100);
    for (int i = 0; i < 100; ++i) many[static_cast<std::size_t>(i)] = i;
    EXPECT_LE(Decimate(many, values, 0, 99, 1).t.size(), 4u);
    EXPECT_LE(Decimate(many, many, 0, 99, 0).t.size(), 4u);
    EXPECT_TRUE(Decimate(t, v, 5, 4, 100).t.empty());  // an empty range
    EXPECT_EQ(Decimate(t, v, 10, 20, 100).t, std::vector<double>{3});  // the last before it
}

}  // namespace
}  // namespace corvane::recording
