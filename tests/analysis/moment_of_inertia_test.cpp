#include "analysis/moment_of_inertia.h"

#include <gtest/gtest.h>

namespace corvane::analysis {
namespace {

TEST(DiskMomentOfInertia, FromMassAndDiameterOrTheThirdCell) {
    const struct {
        const char* name;
        DiskRow row;
        double expected;
    } cases[] = {
        {"solid disk", {"200", "100", ""}, 0.25},
        {"third cell ignored with mass and diameter", {"200", "100", "99"}, 0.25},
        {"known moment", {"", "100", "1.5"}, 1.5},
        {"known moment, blanks and line ends count as blank", {"  ", "\r\n", " 2.5 "}, 2.5},
        {"mass of letters", {"abc", "100", "7"}, 0.0},
        {"diameter of letters", {"200", "abc", "7"}, 0.0},
        {"a tab is not blank and does not convert", {"\t", "100", "7"}, 0.0},
        {"bad known moment", {"", "", "x"}, 0.0},
        {"all blank", {"", "", ""}, 0.0},
        {"negative diameter squares away", {"200", "-100", ""}, 0.25},
        {"negative mass", {"-200", "100", ""}, -0.25},
        {"exponent form", {"2E2", "1e2", ""}, 0.25},
    };
    for (const auto& c : cases) {
        const DiskTable table{c.row};
        EXPECT_NEAR(DiskMomentOfInertia(table, 0, text::PointComma()), c.expected, 1e-15) << c.name;
    }
}

TEST(DiskMomentOfInertia, FollowsTheDecimalMark) {
    const DiskTable table{{"200,5", "100", ""}, {"200.5", "100", ""}};
    const text::NumberFormat comma{",", "."};
    EXPECT_NEAR(DiskMomentOfInertia(table, 0, comma), 0.250625, 1e-15);
    EXPECT_EQ(DiskMomentOfInertia(table, 1, comma), 0.0);
}

TEST(TotalMomentOfInertia, SumsEveryRow) {
    const DiskTable table{{"200", "100", ""}, {"", "", ""}, {"200", "100", ""}, {"", "", "0.5"}};
    EXPECT_NEAR(TotalMomentOfInertia(table, text::PointComma()), 1.0, 1e-15);
    EXPECT_EQ(TotalMomentOfInertia({}, text::PointComma()), 0.0);
    EXPECT_EQ(DiskMomentOfInertia(table, 7, text::PointComma()), 0.0);  // no such row
}

}  // namespace
}  // namespace corvane::analysis
