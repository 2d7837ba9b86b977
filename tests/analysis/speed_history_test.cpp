#include "analysis/speed_history.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane::analysis {
namespace {

using Points = std::vector<Point>;

struct MergeCase {
    const char* name;
    Points history;
    Points added;
    Points expected;
};

class SpeedHistoryMerge : public ::testing::TestWithParam<MergeCase> {};

TEST_P(SpeedHistoryMerge, AddedPointsGoAfterTheirEquals) {
    SpeedHistory history;
    history.replace(GetParam().history);
    history.merge(GetParam().added);
    EXPECT_EQ(history.points(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpeedHistoryMerge,
    ::testing::Values(MergeCase{"IntoNothing", {}, {{1, 1}, {2, 2}}, {{1, 1}, {2, 2}}},
                      MergeCase{"Interleaved",
                                {{200, 2}, {200, 3}, {400, 4}},
                                {{100, 5}, {200, 9}, {500, 6}},
                                {{100, 5}, {200, 2}, {200, 3}, {200, 9}, {400, 4}, {500, 6}}},
                      MergeCase{"AllBefore",
                                {{100, 1}, {200, 2}},
                                {{50, 7}, {100, 8}},
                                {{50, 7}, {100, 1}, {100, 8}, {200, 2}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SpeedHistory, ReplaceSortsByTimeKeepingEqualsInOrder) {
    SpeedHistory history;
    history.merge({{1, 1}});
    history.replace({{300, 1}, {100, 2}, {300, 3}, {100, 4}, {200, 5}});
    EXPECT_EQ(history.points(), (Points{{100, 2}, {100, 4}, {200, 5}, {300, 1}, {300, 3}}));
    history.clear();
    EXPECT_TRUE(history.points().empty());
}

}  // namespace
}  // namespace corvane::analysis
