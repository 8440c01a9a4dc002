// The four stroke effects on small sub-pixel grids.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "text/stroke_effects.h"

namespace rs::text {
namespace {

using Points = std::set<std::pair<int32_t, int32_t>>;

SubpixelGrid grid(int32_t w, int32_t h, const Points& set) {
    SubpixelGrid g;
    g.width = w;
    g.height = h;
    g.cells.assign(static_cast<size_t>(w * h), 0);
    for (auto [x, y] : set) g.at(x, y) = 1;
    return g;
}

Points pointsOf(const SubpixelGrid& g) {
    Points out;
    for (int32_t y = 0; y < g.height; ++y) {
        for (int32_t x = 0; x < g.width; ++x) {
            if (g.at(x, y)) out.insert({x, y});
        }
    }
    return out;
}

TEST(StrokeEffects, DirectionsInFixedPoint) {
    const auto& d = strokeDirections();
    EXPECT_EQ(d[0][0], 65536);
    EXPECT_EQ(d[0][1], 0);
    EXPECT_EQ(d[1][0], 65220);
    EXPECT_EQ(d[1][1], 6423);
    EXPECT_EQ(d[8][0], 46340);
    EXPECT_EQ(d[16][0], 0);
    EXPECT_EQ(d[16][1], 65536);
    EXPECT_EQ(d[24][0], -46340);
}

TEST(StrokeEffects, ThickenStepsByTwo) {
    // r = 1: dy = -1 and 1 with w = 0, so only the points above and below (and the point itself).
    EXPECT_EQ(pointsOf(thicken(grid(9, 9, {{4, 4}}), 1)), (Points{{4, 3}, {4, 4}, {4, 5}}));
    // r = 2: dy = -2, 0, 2; w = 0, 2, 0.
    EXPECT_EQ(pointsOf(thicken(grid(9, 9, {{4, 4}}), 2)),
              (Points{{4, 2}, {2, 4}, {4, 4}, {6, 4}, {4, 6}}));
    // Positions outside the grid are not written.
    EXPECT_EQ(pointsOf(thicken(grid(3, 3, {{0, 0}}), 2)), (Points{{0, 0}, {2, 0}, {0, 2}}));
    // Strengths past the square-root table act as its largest radius.
    SubpixelGrid big = grid(16, 16, {{8, 8}});
    EXPECT_EQ(pointsOf(thicken(big, 100000)), pointsOf(thicken(big, kMaxDiscRadius)));
}

TEST(StrokeEffects, ThinSamplesFromTheGridEdge) {
    // A bar three high: the middle keeps both samples (above and below); the top row starts its
    // samples at dy = 0 with w = 1 and finds the sides clear; the bottom misses the point below.
    SubpixelGrid bar = grid(8, 8, {{3, 0}, {3, 1}, {3, 2}});
    EXPECT_EQ(pointsOf(thin(bar, 1)), (Points{{3, 1}}));
    // A solid grid stays solid: samples never leave it.
    Points all;
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 4; ++x) all.insert({x, y});
    }
    EXPECT_EQ(pointsOf(thin(grid(4, 4, all), 3)), all);
}

TEST(StrokeEffects, KeepStrokesRemovesWhatIsNotOnALine) {
    Points line;
    for (int32_t x = 0; x < 8; ++x) line.insert({x, 4});
    Points input = line;
    input.insert({12, 12});  // an isolated point
    Points kept = pointsOf(keepStrokes(grid(16, 16, input), 2, false));
    EXPECT_FALSE(kept.count({12, 12}));
    EXPECT_TRUE(kept.count({0, 4}));   // samples left of the grid count as set
    EXPECT_TRUE(kept.count({6, 4}));   // direction 1 truncates its samples onto the line
    EXPECT_FALSE(kept.count({7, 4}));  // the end of the line
}

TEST(StrokeEffects, WeightedStrokesSkipTheSecondQuadrant) {
    // A line rising to the right lies at direction 24, which only the unweighted test has.
    Points diagonal;
    for (int32_t i = 0; i < 16; ++i) diagonal.insert({i, 15 - i});
    SubpixelGrid g = grid(16, 16, diagonal);
    EXPECT_TRUE(pointsOf(keepStrokes(g, 2, false)).count({8, 7}));
    EXPECT_FALSE(pointsOf(keepStrokes(g, 2, true)).count({8, 7}));
    // A vertical line passes direction 15 of the weighted test.
    Points vertical;
    for (int32_t y = 0; y < 16; ++y) vertical.insert({5, y});
    EXPECT_EQ(pointsOf(keepStrokes(grid(16, 16, vertical), 2, true)), vertical);
}

TEST(StrokeEffects, AppliedInOrderOnTheBlocks) {
    // Thicken by 2 then thin by 2 gives the single sub-pixel back; thinning first would lose it.
    BlockGrid blocks;
    blocks.width = 2;
    blocks.height = 2;
    blocks.blocks = {0, 0, 0, uint64_t{1} << (1 * 8 + 1)};  // sub-pixel (9, 9)
    int32_t settings[5] = {2, 2, 0, 0, 0};
    applyStrokeEffects(blocks, settings);
    EXPECT_EQ(blocks.blocks, (std::vector<uint64_t>{0, 0, 0, uint64_t{1} << (1 * 8 + 1)}));

    int32_t thickenOnly[5] = {2, 0, 0, 0, 0};
    applyStrokeEffects(blocks, thickenOnly);
    SubpixelGrid sub = toSubpixels(blocks);
    EXPECT_EQ(pointsOf(sub), (Points{{9, 7}, {7, 9}, {9, 9}, {11, 9}, {9, 11}}));
}

}  // namespace
}  // namespace rs::text
