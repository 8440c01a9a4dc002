// Hand-computed cases of the copies: copy, ccopy, gcopy, ncopy, shufull, shucopy, cnvcopy.
#include <gtest/gtest.h>

#include <array>
#include <set>

#include "graphics/blit_test_support.h"
#include "graphics/tables.h"

namespace rs::test {
namespace {

using namespace graphics;

TEST(BlitCopy, WorkedClippingExample) {
    auto src = makeFrame(100, 100, 32, false, 0x11223344);
    auto dst = makeFrame(50, 50);
    RecordingSink sink;
    auto c = plainContext(&sink);
    // sx = -10 takes 10 off the width and moves dx to 55; then 50 - 55 leaves nothing.
    copy(c, *src, -10, 0, *dst, 45, 5, 30, 60);
    EXPECT_EQ(px(*dst, 49, 10), 0u);
    ASSERT_EQ(sink.points.size(), 2u);  // reported even when nothing was drawn
    EXPECT_EQ(sink.points[0], std::make_pair(55, 5));
    EXPECT_EQ(sink.points[1], std::make_pair(50, 50));
    sink.points.clear();
    // With dx = 20: w stays 20 (dx becomes 30), h is cut to 45.
    copy(c, *src, -10, 0, *dst, 20, 5, 30, 60);
    EXPECT_EQ(px(*dst, 29, 5), 0u);
    EXPECT_EQ(px(*dst, 30, 5), 0x11223344u);
    EXPECT_EQ(px(*dst, 49, 49), 0x11223344u);
    EXPECT_EQ(sink.points[0], std::make_pair(30, 5));
    EXPECT_EQ(sink.points[1], std::make_pair(50, 50));
    // The same down the other axis, with a destination above its frame: dy = -3 takes 3 rows
    // off and moves sy to 7; sy + h is then cut at the source's bottom.
    auto numbered = makeFrame(6, 10);
    for (int32_t y = 0; y < 10; ++y) {
        for (int32_t x = 0; x < 6; ++x)
            putPixel(*numbered, x, y, static_cast<uint32_t>(16 * y + x));
    }
    auto d2 = makeFrame(6, 6, 32, false, 0xEEEEEEEE);
    copy(c, *numbered, 1, 4, *d2, 2, -3, 3, 8);
    EXPECT_EQ(px(*d2, 2, 0), 16u * 7 + 1);
    EXPECT_EQ(px(*d2, 4, 2), 16u * 9 + 3);
    EXPECT_EQ(px(*d2, 4, 3), 0xEEEEEEEEu);
}

TEST(BlitCopy, SameKindCopiesBytesOtherwiseForcesAlpha) {
    auto plain = makeFrame(2, 1, 32, false, 0x00ABCDEF);
    auto alpha = makeFrame(2, 1, 32, true, 0x7F000000);
    auto c = plainContext();
    auto dst = makeFrame(2, 1);
    copy(c, *plain, 0, 0, *dst, 0, 0, 2, 1);
    EXPECT_EQ(px(*dst, 0, 0), 0x00ABCDEFu);
    copy(c, *alpha, 0, 0, *dst, 0, 0, 2, 1);
    EXPECT_EQ(px(*dst, 1, 0), 0xFF000000u);
    auto eight = makeFrame(2, 1, 8, false, 3);
    eight->palette[3] = 0x00102030;
    copy(c, *eight, 0, 0, *dst, 0, 0, 2, 1);
    EXPECT_EQ(px(*dst, 0, 0), 0xFF102030u);
    auto eightDst = makeFrame(2, 1, 8);
    copy(c, *plain, 0, 0, *eightDst, 0, 0, 2, 1);
    EXPECT_EQ(px(*eightDst, 0, 0), 0xEFu);
}

TEST(BlitCopy, OverlappingCopyInsideOneFrameReadsTheOldPixels) {
    auto f = makeFrame(4, 4);
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 4; ++x) putPixel(*f, x, y, static_cast<uint32_t>(y * 4 + x));
    }
    copy(plainContext(), *f, 0, 0, *f, 1, 1, 3, 3);
    EXPECT_EQ(px(*f, 1, 1), 0u);
    EXPECT_EQ(px(*f, 3, 3), 10u);
    EXPECT_EQ(px(*f, 2, 3), 9u);
}

TEST(BlitCcopy, GreenKeyAndAlphaRules) {
    auto c = plainContext();
    auto src = makeFrame(3, 1);
    putPixel(*src, 0, 0, 0x1200FF00);  // green-keyed whatever the alpha byte
    putPixel(*src, 1, 0, 0x0000FF01);
    putPixel(*src, 2, 0, 0x00FF00FF);
    auto dst = makeFrame(3, 1, 32, false, 0x55555555);
    ccopy(c, *src, 0, 0, *dst, 0, 0, 3, 1);
    EXPECT_EQ(px(*dst, 0, 0), 0x55555555u);
    EXPECT_EQ(px(*dst, 1, 0), 0x0000FF01u);
    EXPECT_EQ(px(*dst, 2, 0), 0x00FF00FFu);

    // Source with alpha onto a plain frame: alpha 0 skipped, 255 opaque, otherwise faded.
    auto a = makeFrame(3, 1, 32, true);
    putPixel(*a, 0, 0, 0x00FFFFFF);
    putPixel(*a, 1, 0, 0xFF0000FF);
    putPixel(*a, 2, 0, 0x80FF0000);
    auto d2 = makeFrame(3, 1, 32, false, 0x00204060);
    ccopy(c, *a, 0, 0, *d2, 0, 0, 3, 1);
    EXPECT_EQ(px(*d2, 0, 0), 0x00204060u);
    EXPECT_EQ(px(*d2, 1, 0), 0xFF0000FFu);
    // red: 0x20 + (255 - 32) * 128 / 255 = 32 + 111; green 0x40 - 64 * 128 / 255 = 64 - 32;
    // blue 0x60 - 96 * 128 / 255 = 96 - 48.
    EXPECT_EQ(px(*d2, 2, 0), 0xFF8F2030u);

    // Onto a frame with alpha: composited; an opaque source replaces the colour.
    auto d3 = makeFrame(2, 1, 32, true, 0x80102030);
    ccopy(c, *a, 1, 0, *d3, 0, 0, 2, 1);
    EXPECT_EQ(px(*d3, 0, 0), 0xFF0000FFu);
    // A = 128, da = 128: D = 127 * 128 + 255 * 128 = 48896; alpha 191;
    // red (0x10 * 127 * 128 + 255 * 255 * 128) / 48896 = 175.
    uint32_t p = px(*d3, 1, 0);
    EXPECT_EQ(p >> 24, 191u);
    EXPECT_EQ((p >> 16) & 0xFF, (0x10u * 127 * 128 + 255u * 255 * 128) / 48896);
}

TEST(BlitGcopy, TintEdgeCases) {
    auto c = plainContext();
    auto src = makeFrame(3, 1);
    putPixel(*src, 0, 0, 0x00FFFFFF);
    putPixel(*src, 1, 0, 0x00000000);
    putPixel(*src, 2, 0, 0x00123456);
    auto dst = makeFrame(3, 1);
    gcopy(c, *src, 0, 0, *dst, 0, 0, 3, 1, 0xFFFFFFFF);
    EXPECT_EQ(px(*dst, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(px(*dst, 1, 0), 0xFF000000u);
    // K = 0 leaves the colours.
    gcopy(c, *src, 0, 0, *dst, 0, 0, 3, 1, 0x00FF0000);
    EXPECT_EQ(px(*dst, 2, 0), 0xFF123456u);
    // g = 5 * 0x12 + 6 * 0x34 + 0x56 = 488; red t = 255 * 488 / 3060 = 40, K = 128:
    // (40 * 128 + 128 * 0x12) >> 8 = 29; green t = 0: (128 * 0x34) >> 8 = 26; blue 43.
    gcopy(c, *src, 0, 0, *dst, 0, 0, 3, 1, 0x80FF0000);
    EXPECT_EQ(px(*dst, 2, 0), 0xFF1D1A2Bu);
    // Source with alpha: alpha 0 skipped, alpha kept.
    auto a = makeFrame(2, 1, 32, true);
    putPixel(*a, 0, 0, 0x0000FF00);
    putPixel(*a, 1, 0, 0x4000FF00);
    auto d2 = makeFrame(2, 1, 32, false, 0x01010101);
    gcopy(c, *a, 0, 0, *d2, 0, 0, 2, 1, 0);
    EXPECT_EQ(px(*d2, 0, 0), 0x01010101u);
    EXPECT_EQ(px(*d2, 1, 0), 0x4000FF00u);
}

TEST(BlitNcopy, InvertsSameDepthAndBlendsOthers) {
    auto c = plainContext();
    auto src = makeFrame(1, 1, 32, false, 0xFF00FF10);
    auto dst = makeFrame(1, 1);
    ncopy(c, *src, 0, 0, *dst, 0, 0, 1, 1);
    EXPECT_EQ(px(*dst, 0, 0), 0x00FF00EFu);
    auto eight = makeFrame(1, 1, 8, false, 0x0F);
    auto eightDst = makeFrame(1, 1, 8);
    ncopy(c, *eight, 0, 0, *eightDst, 0, 0, 1, 1);
    EXPECT_EQ(px(*eightDst, 0, 0), 0xF0u);
    // 8-bit into 32-bit: the inverted palette colour has alpha 0xFF and replaces the colour.
    eight->palette[0x0F] = 0x00102030;
    auto d32 = makeFrame(1, 1, 32, false, 0x44000000);
    ncopy(c, *eight, 0, 0, *d32, 0, 0, 1, 1);
    EXPECT_EQ(px(*d32, 0, 0), 0x44EFDFCFu);
}

TEST(BlitShufull, BandsOfTheDissolvePattern) {
    auto c = plainContext();
    auto f = makeFrame(16, 16);
    shufull(c, *f, 0, 0, 16, 16, 0xFFFFFFFF, 0, 256);
    for (int32_t y = 0; y < 16; ++y) {
        for (int32_t x = 0; x < 16; ++x) ASSERT_EQ(px(*f, x, y), 0xFFFFFFFFu);
    }
    auto g = makeFrame(16, 16);
    shufull(c, *g, 0, 0, 16, 16, 1, 7, 7);
    std::set<uint32_t> seen;
    for (uint32_t lo = 0; lo < 256; ++lo) {
        auto h = makeFrame(16, 16);
        shufull(c, *h, 0, 0, 16, 16, 1, static_cast<int32_t>(lo), static_cast<int32_t>(lo + 1));
        int count = 0;
        for (int32_t y = 0; y < 16; ++y) {
            for (int32_t x = 0; x < 16; ++x) count += px(*h, x, y) == 1 ? 1 : 0;
            for (int32_t x = 0; x < 16; ++x) EXPECT_EQ(px(*g, x, y), 0u);
        }
        EXPECT_EQ(count, 1) << lo;  // every value once over a 16 x 16 rectangle
    }
    // The first pixel carries shuffle[0] = 255; the tile to the right multiplies by 3.
    auto wide = makeFrame(32, 1);
    shufull(c, *wide, 0, 0, 32, 1, 9, 255, 256);
    EXPECT_EQ(px(*wide, 0, 0), 9u);
    EXPECT_EQ(px(*wide, 16, 0), 0u);  // 255 * 3 & 255 = 253
    auto wide2 = makeFrame(32, 1);
    shufull(c, *wide2, 0, 0, 32, 1, 9, 253, 254);
    EXPECT_EQ(px(*wide2, 16, 0), 9u);
}

TEST(BlitShucopy, EightBitIndex255IsNotCopied) {
    auto c = plainContext();
    auto src = makeFrame(16, 16, 8, false, 255);
    putPixel(*src, 1, 0, 4);
    auto dst = makeFrame(16, 16, 8, false, 7);
    shucopy(c, *src, 0, 0, *dst, 0, 0, 16, 16, 0, 256);
    EXPECT_EQ(px(*dst, 0, 0), 7u);
    EXPECT_EQ(px(*dst, 1, 0), 4u);
}

TEST(BlitCnvcopy, TableValuesColoursAndFrames) {
    FrameTable table;
    auto pattern = makeFrame(4, 4);
    putPixel(*pattern, 1, 0, 0x00ABCDEF);
    table.place(5, std::move(pattern));
    auto src = makeFrame(4, 1, 8);
    putPixel(*src, 0, 0, 1);
    putPixel(*src, 1, 0, 2);
    putPixel(*src, 2, 0, 3);
    putPixel(*src, 3, 0, 4);
    std::array<int32_t, 256> values{};
    values[1] = 0;
    values[2] = 5;                                 // frame 5: the pixel at the same offset
    values[3] = static_cast<int32_t>(0x80112233);  // a colour (alpha byte non-zero)
    values[4] = 6000;                              // names no frame
    auto dst = makeFrame(4, 1, 32, false, 0x99999999);
    cnvcopy(plainContext(), *src, 0, 0, *dst, 0, 0, 4, 1, values, table);
    EXPECT_EQ(px(*dst, 0, 0), 0u);
    EXPECT_EQ(px(*dst, 1, 0), 0x00ABCDEFu);
    EXPECT_EQ(px(*dst, 2, 0), 0x80112233u);
    EXPECT_EQ(px(*dst, 3, 0), 0u);
    auto d8 = makeFrame(4, 1, 8);
    cnvcopy(plainContext(), *src, 0, 0, *d8, 0, 0, 4, 1, values, table);
    EXPECT_EQ(px(*d8, 2, 0), 0x33u);
}

}  // namespace
}  // namespace rs::test
