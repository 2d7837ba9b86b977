#include "analysis/pv_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

namespace corvane::analysis {
namespace {

using Pixels = std::set<std::pair<int, int>>;

Pixels Black(const PvPicture& picture) {
    Pixels out;
    for (int y = 0; y < PvPicture::kSize; ++y) {
        for (int x = 0; x < PvPicture::kSize; ++x) {
            if (!picture.at(x, y)) out.insert({x, y});
        }
    }
    return out;
}

Pixels Line(int xA, int yA, int xB, int yB) {
    PvPicture picture;
    DrawLine(picture, xA, yA, xB, yB);
    return Black(picture);
}

TEST(DrawLine, LightsTheStartNeverTheEndAndTiesTakeTheSmaller) {
    const struct {
        int xA, yA, xB, yB;
        Pixels lit;
    } cases[] = {
        {0, 0, 4, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},  // ties at x = 1 and 3 go up
        {4, 2, 0, 0, {{4, 2}, {3, 1}, {2, 1}, {1, 0}}},  // the reverse
        {0, 0, 2, 4, {{0, 0}, {0, 1}, {1, 2}, {1, 3}}},  // rows: ties take the smaller x
        {3, 3, 0, 0, {{3, 3}, {2, 2}, {1, 1}}},          // |dx| = |dy| steps by rows
        {10, 10, 10, 10, {}},                            // zero length
        {5, 7, 9, 7, {{5, 7}, {6, 7}, {7, 7}, {8, 7}}},
        {0, 5, 3, 4, {{0, 5}, {1, 5}, {2, 4}}},
        {-2, 0, 2, 0, {{0, 0}, {1, 0}}},  // outside pixels are skipped
        {498, 5, 503, 5, {{498, 5}, {499, 5}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Line(c.xA, c.yA, c.xB, c.yB), c.lit)
            << c.xA << "," << c.yA << " -> " << c.xB << "," << c.yB;
    }
}

TEST(DrawLine, ALineAndItsReverseDifferOnlyAtTheirEnds) {
    const int ends[][4] = {{10, 20, 37, 31}, {100, 100, 93, 160}, {0, 0, 7, 3}, {3, 9, 50, 9}};
    for (const auto& e : ends) {
        Pixels forward = Line(e[0], e[1], e[2], e[3]);
        Pixels backward = Line(e[2], e[3], e[0], e[1]);
        forward.insert({e[2], e[3]});
        backward.insert({e[0], e[1]});
        EXPECT_EQ(forward, backward);
    }
}

TEST(DrawLine, FarOffCoordinatesDoNotFreeze) {
    PvPicture picture;
    DrawLine(picture, -1'000'000'000, 0, 1'000'000'000, 0);
    EXPECT_EQ(Black(picture).size(), 500u);
}

TEST(FloodFill, StopsAtTheOutlineAndIsFourConnected) {
    PvPicture picture;
    // A diagonal wall: 4-connected fill cannot slip through its corners.
    for (int i = 0; i < 500; ++i) picture.white[static_cast<std::size_t>(i) * 500 + (499 - i)] = 0;
    FloodFillBlack(picture, 499, 499);
    EXPECT_EQ(CountWhite(picture), 499 * 500 / 2);
    EXPECT_TRUE(picture.at(0, 0));
    EXPECT_FALSE(picture.at(499, 1));
}

std::vector<Point> Loop(std::initializer_list<Point> points) { return points; }

TEST(MeasureLoop, AxisAlignedRectangle) {
    // Widened bounds: -0.1 .. 1.11 on both axes, so the corners fall on pixels
    // 41 and 455 (x) and 459 and 45 (y); the inside is 413 x 413 pixels.
    PvPicture picture;
    const auto area = MeasureLoop(Loop({{0, 0}, {1, 0}, {1, 1}, {0, 1}}), picture);
    EXPECT_EQ(area.whiteCount, 413 * 413);
    EXPECT_NEAR(area.workMicroJ, 1.21 * 413 * 413 * 1.21 / 250000, 1e-12);
    EXPECT_FALSE(picture.at(41, 45));   // outline
    EXPECT_TRUE(picture.at(42, 46));    // inside
    EXPECT_FALSE(picture.at(40, 200));  // outside, filled
    EXPECT_FALSE(picture.at(499, 0));
}

TEST(MeasureLoop, FigureOfEightCountsBothLobesInEitherDirection) {
    // Two squares meeting at one corner: x pixels 41, 248, 455; y pixels 459, 252, 45.
    const auto eight = Loop({{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}, {1, 2}, {1, 1}, {0, 1}});
    auto reversed = eight;
    std::reverse(reversed.begin(), reversed.end());
    for (const auto& loop : {eight, reversed}) {
        PvPicture picture;
        EXPECT_EQ(MeasureLoop(loop, picture).whiteCount, 2 * 206 * 206);
    }
}

TEST(MeasureLoop, PixelPositionsRoundTheExactValue) {
    // Pressures of counts 1739, 2251 and 2075 around a capture's mean: the
    // vertex lies 0.65625 of the way up, at row 187.49999999999999, a hair short
    // of the half. It belongs to row 187 like a vertex at 187.3; plain double
    // arithmetic lands on 187.5 and rounds to row 188.
    const double lo = -0x1.f29d6e9b9cb1bp+1, hi = 0x1.2d629164634e5p+1;
    const double vertex = 0x1.a629164634e5p-3;
    const double wMin = lo - (hi - lo) / 10;
    const double wMax = hi + (hi - wMin) / 10;
    const auto atRow = [&](double row) { return wMin + (500 - row) * (wMax - wMin) / 500; };
    const auto count = [&](double y) {
        PvPicture picture;
        return MeasureLoop(Loop({{0, lo}, {1, lo}, {1, hi}, {0, y}}), picture).whiteCount;
    };
    EXPECT_EQ(count(vertex), count(atRow(187.3)));
    EXPECT_NE(count(atRow(187.3)), count(atRow(187.7)));
}

TEST(LoopWork, WorkedFigure) {
    // Widened ranges of 4000 mm^3 and 20 kPa with 25000 white pixels: 8000 uJ,
    // which at 300 rpm is 40000 uW.
    EXPECT_EQ(LoopWork(4000, 25000, 20), 8000);
    EXPECT_EQ(LoopWork(4000, 25000, 20) * 300 / 60, 40000);
}

TEST(MeasureLoop, NoExtentOrNoInsideGivesZero) {
    PvPicture picture;
    const auto flat = MeasureLoop(Loop({{0, 5}, {1, 5}, {2, 5}}), picture);
    EXPECT_EQ(flat.workMicroJ, 0);
    EXPECT_EQ(CountWhite(picture), 500 * 500);  // left all white

    const auto line = MeasureLoop(Loop({{0, 0}, {1, 1}, {2, 2}}), picture);
    EXPECT_EQ(line.whiteCount, 0);
    EXPECT_EQ(line.workMicroJ, 0);

    EXPECT_EQ(MeasureLoop({}, picture).workMicroJ, 0);
}

}  // namespace
}  // namespace corvane::analysis
