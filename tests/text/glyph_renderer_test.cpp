// Block building, coverage and monochrome placement on synthetic one-bit glyphs.
#include <gtest/gtest.h>

#include <bit>

#include "graphics/frame.h"
#include "text/glyph_renderer.h"

namespace rs::text {
namespace {

using platform::GlyphBitmap;

GlyphBitmap solid(int32_t w, int32_t h, int32_t originX, int32_t originY) {
    GlyphBitmap g = GlyphBitmap::blank(w, h);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) g.set(x, y);
    }
    g.originX = originX;
    g.originY = originY;
    return g;
}

// A grid of one block holding `mask` (and optionally more blocks to the right).
BlockGrid gridOf(std::vector<uint64_t> row) {
    BlockGrid g;
    g.width = static_cast<int32_t>(row.size());
    g.height = 1;
    g.blocks = std::move(row);
    return g;
}

TEST(GlyphRenderer, BlocksKeepTheSubPixelPhase) {
    // Two bits at sub-pixel x 7 and 8, row 9 - 0 = 9: they straddle two blocks of block row 1.
    BlockGrid g = buildBlocks(solid(2, 1, 7, 0), 9);
    EXPECT_EQ(g.originX, 0);
    EXPECT_EQ(g.originY, 1);
    ASSERT_EQ(g.width, 2);
    ASSERT_EQ(g.height, 1);
    EXPECT_EQ(g.at(0, 0), uint64_t{1} << (1 * 8 + 7));
    EXPECT_EQ(g.at(1, 0), uint64_t{1} << (1 * 8 + 0));

    // Negative positions round down: origin -3 is block -1, phase 5; ascent - originY = -2 is
    // block -1, phase 6.
    BlockGrid n = buildBlocks(solid(1, 1, -3, 12), 10);
    EXPECT_EQ(n.originX, -1);
    EXPECT_EQ(n.originY, -1);
    EXPECT_EQ(n.at(0, 0), uint64_t{1} << (6 * 8 + 5));

    // An empty glyph has no blocks.
    BlockGrid e = buildBlocks(GlyphBitmap::blank(0, 0), 10);
    EXPECT_EQ(e.width, 0);
    EXPECT_TRUE(outlinedCoverage(e, kOutlineStyle).body.empty());
}

// Random glyphs: the word-wise block building and the padded neighbourhood lookups give what
// placing every bit and merging every block one by one gives.
TEST(GlyphRenderer, FastPathsMatchBitByBitWork) {
    uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 16;
    };
    for (int round = 0; round < 200; ++round) {
        GlyphBitmap g = GlyphBitmap::blank(static_cast<int32_t>(next() % 70),
                                           static_cast<int32_t>(next() % 40));
        for (int32_t y = 0; y < g.blackBoxY; ++y) {
            for (int32_t x = 0; x < g.blackBoxX; ++x) {
                if (next() % 3 == 0) g.set(x, y);
            }
        }
        g.originX = static_cast<int32_t>(next() % 40) - 20;
        g.originY = static_cast<int32_t>(next() % 40) - 20;
        int32_t ascent = static_cast<int32_t>(next() % 30);
        BlockGrid grid = buildBlocks(g, ascent);

        int32_t ox = g.originX, oy = ascent - g.originY;
        for (int32_t y = 0; y < g.blackBoxY; ++y) {
            for (int32_t x = 0; x < g.blackBoxX; ++x) {
                int32_t gx = ox + x - grid.originX * 8, gy = oy + y - grid.originY * 8;
                uint64_t bit = (grid.at(gx / 8, gy / 8) >> ((gy % 8) * 8 + gx % 8)) & 1;
                ASSERT_EQ(bit, g.bit(x, y) ? 1u : 0u) << round << ": " << x << "," << y;
            }
        }
        uint32_t style = next() << 16 | next();
        CoverageMap m = outlinedCoverage(grid, style);
        for (int32_t py = 0; py < m.height; ++py) {
            for (int32_t px = 0; px < m.width; ++px) {
                uint64_t body = 0, edge = 0;
                for (int32_t dy = -2; dy <= 1; ++dy) {
                    for (int32_t dx = -2; dx <= 1; ++dx) {
                        int bit = 4 * (dy + 2) + (dx + 2);
                        uint64_t b = grid.at(px - 1 + dx, py - 1 + dy);
                        if ((style >> bit) & 1) body |= b;
                        if ((style >> (16 + bit)) & 1) edge |= b;
                    }
                }
                size_t i = static_cast<size_t>(py * m.width + px);
                ASSERT_EQ(m.body[i], std::popcount(body));
                ASSERT_EQ(m.edge[i], std::popcount(edge & ~body));
            }
        }
    }
}

TEST(GlyphRenderer, OneFullBlockWithTheOutlineStyle) {
    CoverageMap m = outlinedCoverage(gridOf({~uint64_t{0}}), kOutlineStyle);
    EXPECT_EQ(m.x, -1);
    EXPECT_EQ(m.y, -1);
    ASSERT_EQ(m.width, 4);
    ASSERT_EQ(m.height, 4);
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 4; ++x) {
            size_t i = static_cast<size_t>(y * 4 + x);
            bool centre = x == 1 && y == 1;
            bool ring = x <= 2 && y <= 2 && !centre;
            EXPECT_EQ(m.body[i], centre ? 64 : 0) << x << "," << y;
            EXPECT_EQ(m.edge[i], ring ? 64 : 0) << x << "," << y;
        }
    }
}

TEST(GlyphRenderer, EdgeCountsOnlyBitsOutsideTheBody) {
    // Block 0 holds the lower half of its sub-samples, block 1 all of them.
    CoverageMap m = outlinedCoverage(gridOf({0x00000000FFFFFFFFull, ~uint64_t{0}}), kOutlineStyle);
    auto at = [&](int32_t px, int32_t py) {
        return static_cast<size_t>((py + 1) * m.width + (px + 1));
    };
    EXPECT_EQ(m.body[at(0, 0)], 32);
    EXPECT_EQ(m.edge[at(0, 0)], 32);
    EXPECT_EQ(m.body[at(1, 0)], 64);
    EXPECT_EQ(m.edge[at(1, 0)], 0);
}

TEST(GlyphRenderer, StyleBitsSelectTheNeighbourhood) {
    // Body: the pixel itself; edge: the block two up and two left, a shadow two pixels down-right,
    // which the border of two pixels on the right and bottom leaves room for.
    uint32_t shadow = (1u << 10) | (1u << 16);
    CoverageMap m = outlinedCoverage(gridOf({0xFF}), shadow);
    ASSERT_EQ(m.width, 4);
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 4; ++x) {
            size_t i = static_cast<size_t>(y * 4 + x);
            EXPECT_EQ(m.body[i], x == 1 && y == 1 ? 8 : 0);
            EXPECT_EQ(m.edge[i], x == 3 && y == 3 ? 8 : 0);
        }
    }
    // A style with the pixel in both masks has no edge there.
    CoverageMap both = outlinedCoverage(gridOf({0xFF}), (1u << 10) | (1u << 26));
    EXPECT_EQ(both.body[5], 8);
    EXPECT_EQ(both.edge[5], 0);
}

TEST(GlyphRenderer, SmoothCoverageCountsEachBlock) {
    CoverageMap m = smoothCoverage(gridOf({0x0F, ~uint64_t{0}, 0}));
    EXPECT_EQ(m.x, 0);
    EXPECT_EQ(m.width, 3);
    EXPECT_EQ(m.body, (std::vector<uint8_t>{4, 64, 0}));
    EXPECT_EQ(m.edge, (std::vector<uint8_t>{0, 0, 0}));
}

TEST(GlyphRenderer, MonochromePlacesTheBlackBoxBelowTheAscent) {
    GlyphBitmap g = GlyphBitmap::blank(2, 2);
    g.set(0, 0);
    g.set(1, 1);
    g.originX = 1;
    g.originY = 3;
    auto f = graphics::createFrame(8, 8, 32, 0);
    drawMonochrome(*f, g, 2, 1, 5, 0x00FF0000);  // top-left at (2 + 1, 1 + 5 - 3)
    EXPECT_EQ(graphics::getColour(*f, 3, 3), 0xFFFF0000u);
    EXPECT_EQ(graphics::getColour(*f, 4, 4), 0xFFFF0000u);
    EXPECT_EQ(graphics::getColour(*f, 4, 3), 0u);
    EXPECT_EQ(graphics::getColour(*f, 3, 4), 0u);
    CellArea a = monochromeArea(g, 5);
    EXPECT_EQ(a.x, 1);
    EXPECT_EQ(a.y, 2);
}

}  // namespace
}  // namespace rs::text
