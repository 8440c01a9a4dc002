// Hand-computed cases of the scaled copies and the map copies: zcopy, hzcopy, hqcopy, mozcopy,
// modcopy, uvcopy.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/blit_test_support.h"
#include "graphics/tables.h"

namespace rs::test {
namespace {

using namespace graphics;

std::unique_ptr<Frame> rampRow(int32_t w) {
    auto f = makeFrame(w, 1);
    for (int32_t x = 0; x < w; ++x) putPixel(*f, x, 0, static_cast<uint32_t>(x + 1));
    return f;
}

TEST(BlitZcopy, MirrorDoubleAndEmpty) {
    auto src = rampRow(4);
    auto dst = makeFrame(8, 1);
    RecordingSink sink;
    auto c = plainContext(&sink);
    // dw = -sw mirrors the row into the four columns left of dx.
    zcopy(c, *src, 0, 0, 4, 1, *dst, 4, 0, -4, 1);
    for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(px(*dst, x, 0), static_cast<uint32_t>(4 - x));
    EXPECT_EQ(sink.points[0], std::make_pair(0, 0));
    EXPECT_EQ(sink.points[1], std::make_pair(4, 1));
    // dw = 2 * sw shows every column twice.
    zcopy(c, *src, 0, 0, 4, 1, *dst, 0, 0, 8, 1);
    for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(px(*dst, x, 0), static_cast<uint32_t>(x / 2 + 1));
    // dw = 0 draws nothing.
    auto before = cloneFrame(*dst);
    zcopy(c, *src, 0, 0, 4, 1, *dst, 0, 0, 0, 1);
    EXPECT_TRUE(samePixels(*before, *dst));
    // Columns mapping outside the source are clipped away.
    auto d2 = makeFrame(8, 1, 32, false, 0xEEEEEEEE);
    zcopy(c, *src, 2, 0, 4, 1, *d2, 0, 0, 4, 1);
    EXPECT_EQ(px(*d2, 1, 0), 4u);
    EXPECT_EQ(px(*d2, 2, 0), 0xEEEEEEEEu);
}

TEST(BlitZcopy, EnlargingInsideOneFrameReadsRowsAsDrawnSoFar) {
    // Source rows 0-1 (columns 1-4) doubled in height onto rows 0-3 (columns 0-3) of the same
    // frame: rows are drawn top to bottom, each from its source row as it is at that moment.
    auto f = makeFrame(5, 4);
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 5; ++x) putPixel(*f, x, y, static_cast<uint32_t>(16 * (y + 1) + x));
    }
    zcopy(plainContext(), *f, 1, 0, 4, 2, *f, 0, 0, 4, 4);
    const uint32_t expected[4][5] = {{0x11, 0x12, 0x13, 0x14, 0x14},   // row 0 moved left
                                     {0x12, 0x13, 0x14, 0x14, 0x24},   // row 0 as drawn above
                                     {0x13, 0x14, 0x14, 0x24, 0x34},   // row 1 as drawn above
                                     {0x13, 0x14, 0x14, 0x24, 0x44}};  // row 1 again
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(px(*f, x, y), expected[y][x]) << x << "," << y;
    }
}

TEST(BlitZcopy, AlphaSourceOntoPlainFrameBlendsOpaque) {
    auto src = makeFrame(2, 1, 32, true);
    putPixel(*src, 0, 0, 0x00FFFFFF);
    putPixel(*src, 1, 0, 0xFF102030);
    auto dst = makeFrame(2, 1, 32, false, 0x11223344);
    zcopy(plainContext(), *src, 0, 0, 2, 1, *dst, 0, 0, 2, 1);
    EXPECT_EQ(px(*dst, 0, 0), 0x11223344u);
    EXPECT_EQ(px(*dst, 1, 0), 0x11102030u);
}

TEST(BlitHzcopy, EnlargeOnSquaresAndReduceByArea) {
    auto src = makeFrame(2, 1);
    putPixel(*src, 0, 0, 0x00000000);
    putPixel(*src, 1, 0, 0xFFFFFFFF);
    auto dst = makeFrame(4, 1);
    hzcopy(plainContext(), *src, 0, 0, 2, 1, *dst, 0, 0, 4, 1);
    // Column 1: fx = (2 mod 4) * 256 / 4 = 128; squares: 65025 * 128 >> 8 = 32512 -> 180; alpha
    // linear 127.
    EXPECT_EQ(px(*dst, 0, 0), 0u);
    EXPECT_EQ(px(*dst, 1, 0), 0x7FB4B4B4u);
    EXPECT_EQ(px(*dst, 2, 0), 0xFFFFFFFFu);
    // The last column's right neighbour is the frame's last column again.
    EXPECT_EQ(px(*dst, 3, 0), 0xFFFFFFFFu);
    // Four equal neighbours keep the pixel.
    auto flat = makeFrame(3, 3, 32, false, 0x12345678);
    auto big = makeFrame(7, 7);
    hzcopy(plainContext(), *flat, 0, 0, 3, 3, *big, 0, 0, 7, 7);
    EXPECT_EQ(px(*big, 5, 4), 0x12345678u);
    // Reducing 3 -> 1: the root of the mean square, alpha the plain mean.
    auto three = makeFrame(3, 1);
    putPixel(*three, 0, 0, 0x00000000);
    putPixel(*three, 1, 0, 0x30000000);
    putPixel(*three, 2, 0, 0xFF0000FF);
    auto one = makeFrame(1, 1);
    hzcopy(plainContext(), *three, 0, 0, 3, 1, *one, 0, 0, 1, 1);
    EXPECT_EQ(px(*one, 0, 0), ((0x30u + 0xFF) / 3) << 24 | isqrt(65025 / 3));
    // 3 -> 2: each destination pixel covers one and a half source pixels.
    auto two = makeFrame(2, 1);
    hzcopy(plainContext(), *three, 0, 0, 3, 1, *two, 0, 0, 2, 1);
    EXPECT_EQ(px(*two, 1, 0) & 0xFF, isqrt((65025u * 2) / 3));
}

TEST(BlitHqcopy, WholePositionsAreCopyAndHalvesAverage) {
    auto src = makeFrame(3, 2);
    putPixel(*src, 0, 0, 0x000000C8);
    putPixel(*src, 1, 0, 0x00000064);
    auto a = makeFrame(2, 1);
    auto b = makeFrame(2, 1);
    hqcopy(plainContext(), *src, 1.0f, 0.0f, *a, 0, 0, 2, 1, 2.2f);
    copy(plainContext(), *src, 1, 0, *b, 0, 0, 2, 1);
    EXPECT_TRUE(samePixels(*a, *b));
    // Gamma 1, half a pixel to the right: trunc(200 / 2) + trunc(100 / 2) = 150; alpha 0.
    hqcopy(plainContext(), *src, 0.5f, 0.0f, *a, 0, 0, 1, 1, 1.0f);
    EXPECT_EQ(px(*a, 0, 0), 150u);
}

TEST(BlitMozcopy, SizeOneIsCopyAndTheModes) {
    auto src = makeFrame(8, 8);
    for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 8; ++x) putPixel(*src, x, y, static_cast<uint32_t>(y * 8 + x));
    }
    auto a = makeFrame(8, 8);
    auto b = makeFrame(8, 8);
    mozcopy(plainContext(), *src, 0, 0, *a, 0, 0, 8, 8, 1, 0);
    copy(plainContext(), *src, 0, 0, *b, 0, 0, 8, 8);
    EXPECT_TRUE(samePixels(*a, *b));
    // Mode 0, size 4: column i reads ((i / 4) + 1) * 4 - i % 4 (alpha 0 is stored as it is).
    auto m0 = makeFrame(8, 8);
    mozcopy(plainContext(), *src, 0, 0, *m0, 0, 0, 8, 8, 4, 0);
    EXPECT_EQ(px(*m0, 0, 0), 4u * 8 + 4);
    EXPECT_EQ(px(*m0, 1, 2), 2u * 8 + 3);
    EXPECT_EQ(px(*m0, 4, 0), 0xFFFFFFFFu & 0);  // (8, 4) lies outside: colour 0
    // Mode 1, size 4 on 8 x 8: blocks centred at 4: columns 0..3 and 4..7; middles 1 and 5.
    auto m1 = makeFrame(8, 8);
    mozcopy(plainContext(), *src, 0, 0, *m1, 0, 0, 8, 8, 4, 1);
    EXPECT_EQ(px(*m1, 0, 0), 1u * 8 + 1);
    EXPECT_EQ(px(*m1, 7, 7), 5u * 8 + 5);
    // Mode 3: the block average of R, G, B (values 0..63 sit in the blue byte).
    auto m3 = makeFrame(8, 8);
    mozcopy(plainContext(), *src, 0, 0, *m3, 0, 0, 8, 8, 4, 3);
    EXPECT_EQ(px(*m3, 2, 2),
              (0u + 1 + 2 + 3 + 8 + 9 + 10 + 11 + 16 + 17 + 18 + 19 + 24 + 25 + 26 + 27) / 16);
    // Mode 2, size 4: (0, 1) faces the left edge: source (0, 2); (1, 3) the bottom: (2, 4);
    // (3, 1) the right: (4, 2); (2, 0) the top: (2, 0).
    auto m2 = makeFrame(8, 8);
    mozcopy(plainContext(), *src, 0, 0, *m2, 0, 0, 8, 8, 4, 2);
    EXPECT_EQ(px(*m2, 0, 1), 2u * 8 + 0);
    EXPECT_EQ(px(*m2, 1, 3), 4u * 8 + 2);
    EXPECT_EQ(px(*m2, 3, 1), 2u * 8 + 4);
    EXPECT_EQ(px(*m2, 2, 0), 0u * 8 + 2);
    // An unknown mode draws nothing.
    auto m9 = makeFrame(8, 8, 32, false, 7);
    mozcopy(plainContext(), *src, 0, 0, *m9, 0, 0, 8, 8, 4, 9);
    EXPECT_EQ(px(*m9, 3, 3), 7u);
}

TEST(BlitModcopy, EightAndTwentyFourBitMaps) {
    auto src = makeFrame(8, 8);
    for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 8; ++x) putPixel(*src, x, y, static_cast<uint32_t>(y * 8 + x));
    }
    auto map = makeFrame(2, 1, 8);
    putPixel(*map, 0, 0, 0);     // skipped
    putPixel(*map, 1, 0, 0x9A);  // x: (10 - 8) * 16 / 16 = 2; y: (9 - 8) = 1
    auto dst = makeFrame(2, 1, 32, false, 0xAAAAAAAA);
    modcopy(plainContext(), *src, 2, 2, *map, 0, 0, *dst, 0, 0, 2, 1, 16);
    EXPECT_EQ(px(*dst, 0, 0), 0xAAAAAAAAu);
    EXPECT_EQ(px(*dst, 1, 0), 3u * 8 + 5);
    // 24-bit: x offset b0 + (b1 & 15) * 256 = 0xFFF = -1; y (b1 >> 4) + b2 * 16 = 2.
    auto m24 = makeFrame(2, 1, 24);
    uint8_t* p = pixelAddress(*m24, 0, 0);
    p[0] = 0xFF, p[1] = 0x2F, p[2] = 0x00;
    p[3] = 0xFF, p[4] = 0xFF, p[5] = 0xFF;  // skipped
    modcopy(plainContext(), *src, 2, 2, *m24, 0, 0, *dst, 0, 0, 2, 1, 0);
    EXPECT_EQ(px(*dst, 0, 0), 4u * 8 + 1);
    EXPECT_EQ(px(*dst, 1, 0), 3u * 8 + 5);
    // Displaced outside the source: 0.
    putPixel(*map, 1, 0, 0x00 | 0x01);  // x: -7, y: -8
    modcopy(plainContext(), *src, 0, 0, *map, 0, 0, *dst, 0, 0, 2, 1, 16);
    EXPECT_EQ(px(*dst, 1, 0), 0u);
}

TEST(BlitUvcopy, ThirtyTwoTwentyFourAndEightBitMaps) {
    auto src = makeFrame(8, 8, 32, false, 0x80FFFFFF);
    putPixel(*src, 3, 2, 0xFF102030);
    auto map = makeFrame(3, 1, 32);
    putPixel(*map, 0, 0, 0x00002003);  // alpha 0: skipped
    putPixel(*map, 1, 0, 0x01002003);  // u 3, v 2
    putPixel(*map, 2, 0, 0x01000001);  // u 1, v 0: white at alpha 128 over black
    auto dst = makeFrame(3, 1, 32, false, 0x00000000);
    uvcopy(plainContext(), *src, *map, 0, 0, *dst, 0, 0, 3, 1);
    EXPECT_EQ(px(*dst, 0, 0), 0u);
    EXPECT_EQ(px(*dst, 1, 0), 0xFF102030u);
    EXPECT_EQ(px(*dst, 2, 0), 0xFF808080u);
    auto m8 = makeFrame(2, 1, 8);
    putPixel(*m8, 1, 0, 5);
    putPixel(*src, 0, 0, 0x12345678);
    auto d8 = makeFrame(2, 1, 32, false, 0x01010101);
    uvcopy(plainContext(), *src, *m8, 0, 0, *d8, 0, 0, 2, 1);
    EXPECT_EQ(px(*d8, 0, 0), 0x01010101u);
    EXPECT_EQ(px(*d8, 1, 0), 0x12345678u);
    auto m24 = makeFrame(2, 1, 24);
    uint8_t* p = pixelAddress(*m24, 0, 0);
    p[0] = 0x03, p[1] = 0x20, p[2] = 0x00;  // u 3, v 2
    p[3] = p[4] = p[5] = 0xFF;              // skipped
    uvcopy(plainContext(), *src, *m24, 0, 0, *d8, 0, 0, 2, 1);
    EXPECT_EQ(px(*d8, 0, 0), 0xFF102030u);
    EXPECT_EQ(px(*d8, 1, 0), 0x12345678u);
}

}  // namespace
}  // namespace rs::test
