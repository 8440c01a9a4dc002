// Hand-computed cases of the geometric blits and the triangle fillers.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/blit_test_support.h"

namespace rs::test {
namespace {

using namespace graphics;

std::unique_ptr<Frame> numbered(int32_t w, int32_t h, bool alpha = false) {
    auto f = makeFrame(w, h, 32, alpha);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x)
            putPixel(*f, x, y, static_cast<uint32_t>(((y * w + x) * 7) & 0xFFFFFF));
    }
    return f;
}

TEST(BlitCopyrot, AngleZeroReproducesAndPiTurns) {
    auto src = numbered(6, 4);
    auto dst = makeFrame(6, 4, 32, false, 0xFFFFFFFF);
    RecordingSink sink;
    copyrot(plainContext(&sink), *src, 0, 0, 6, 4, *dst, 0, 0, 6, 4, 0.0f);
    EXPECT_TRUE(samePixels(*src, *dst));
    ASSERT_EQ(sink.points.size(), 2u);
    EXPECT_EQ(sink.points[1], std::make_pair(6, 4));
    // Pi turns the picture upside down about the centre. cos(pi) * 2048 truncates to -2047, so
    // the samples fall a little off the pixel centres: on a linear ramp (red 20 per column,
    // green 30 per row) the result stays within one step of the turned ramp.
    auto ramp = makeFrame(6, 4);
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 6; ++x)
            putPixel(*ramp, x, y, static_cast<uint32_t>((x * 20) << 16 | (y * 30) << 8));
    }
    auto turned = makeFrame(6, 4);
    copyrot(plainContext(), *ramp, 0, 0, 6, 4, *turned, 0, 0, 6, 4, static_cast<float>(M_PI));
    for (int32_t y = 1; y < 4; ++y) {
        for (int32_t x = 1; x < 6; ++x) {
            uint32_t p = px(*turned, x, y);
            EXPECT_NEAR(static_cast<int>((p >> 16) & 0xFF), 20 * (6 - x), 2) << x << "," << y;
            EXPECT_NEAR(static_cast<int>((p >> 8) & 0xFF), 30 * (4 - y), 2) << x << "," << y;
        }
    }
}

TEST(BlitCopyrot, BilinearWeightsAndOtherDepths) {
    auto src = makeFrame(2, 1);
    putPixel(*src, 0, 0, 0x00000000);
    putPixel(*src, 1, 0, 0x00000080);
    auto dst = makeFrame(4, 1);
    // Scale 2 horizontally: C stays 2048 * sh / h = 2048, S = 0; u steps 2048 per pixel from
    // cu - cx = 2048 - 4096... use the arithmetic: with sw = 2, w = 4: cu = 2048, cx = 4096,
    // u = 2048 + (2048 * (c * 2048 - 4096)) / 2048 = c * 2048 - 2048.
    copyrot(plainContext(), *src, 0, 0, 2, 1, *dst, 0, 0, 4, 1, 0.0f);
    EXPECT_EQ(px(*dst, 1, 0), 0u);
    EXPECT_EQ(px(*dst, 2, 0), 0x80u);
    // 8-bit source: the low bytes interpolated with 11-bit weights, drawn with blendPixel.
    auto s8 = makeFrame(2, 1, 8);
    putPixel(*s8, 0, 0, 10);
    putPixel(*s8, 1, 0, 30);
    auto d8 = makeFrame(2, 1, 8);
    copyrot(plainContext(), *s8, 0, 0, 2, 1, *d8, 0, 0, 2, 1, 0.0f);
    EXPECT_EQ(px(*d8, 0, 0), 10u);
    EXPECT_EQ(px(*d8, 1, 0), 30u);
}

TEST(BlitCopytrans, SameTriangleCopiesIt) {
    auto src = numbered(8, 8);
    auto dst = makeFrame(8, 8, 32, false, 0xABABABAB);
    TexVertex v[3] = {{0, 0, 0, 0}, {7, 0, 7, 0}, {0, 7, 0, 7}};
    RecordingSink sink;
    copytrans(plainContext(&sink), *src, v, *dst);
    // Inside the triangle every pixel is the source's; on its long edge a pixel may or may not
    // be drawn (the edge is computed in reals); outside nothing is.
    for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 8; ++x) {
            uint32_t got = px(*dst, x, y);
            if (x + y < 7) {
                EXPECT_EQ(got, px(*src, x, y)) << x << "," << y;
            }
            if (x + y == 7) {
                EXPECT_TRUE(got == px(*src, x, y) || got == 0xABABABABu) << x << "," << y;
            }
            if (x + y > 7) {
                EXPECT_EQ(got, 0xABABABABu) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(sink.points.size(), 3u);
    // Reaching past the left edge: the visible part keeps its source positions, whichever source
    // axis runs along the rows.
    auto left = makeFrame(8, 8), turned = makeFrame(8, 8);
    TexVertex shifted[3] = {{-3, 0, 0, 0}, {4, 0, 7, 0}, {-3, 7, 0, 7}};
    TexVertex transposed[3] = {{-3, 0, 0, 0}, {4, 0, 0, 7}, {-3, 7, 7, 0}};
    copytrans(plainContext(), *src, shifted, *left);
    copytrans(plainContext(), *src, transposed, *turned);
    EXPECT_EQ(px(*left, 1, 2), px(*src, 4, 2));
    EXPECT_EQ(px(*turned, 1, 2), px(*src, 2, 4));
    // All vertices on one row: nothing.
    auto flat = makeFrame(8, 8);
    TexVertex line[3] = {{0, 3, 0, 0}, {5, 3, 5, 0}, {7, 3, 7, 0}};
    copytrans(plainContext(), *src, line, *flat);
    EXPECT_EQ(px(*flat, 3, 3), 0u);
}

TEST(BlitTriangles, AdditiveFiller) {
    auto src = makeFrame(4, 4, 32, false, 0x00808080);
    auto dst = makeFrame(4, 4, 32, false, 0x77F01010);
    TexVertex v[3] = {{0, 0, 0, 0}, {3, 0, 3, 0}, {0, 3, 0, 3}};
    fillTriangleAdditive(*src, v, *dst, 128);
    // d + s * a / 256: 0xF0 + 64 saturates; 0x10 + 64 = 0x50; alpha kept.
    EXPECT_EQ(px(*dst, 0, 0), 0x77FF5050u);
    EXPECT_EQ(px(*dst, 3, 3), 0x77F01010u);
    auto alphaSrc = makeFrame(4, 4, 32, true, 0x80FF0000);
    auto d2 = makeFrame(4, 4, 32, false, 0x00000000);
    fillTriangleAdditive(*alphaSrc, v, *d2, 255);
    // r = 0 + 255 * 128 / 255 = 128, then (128 * 255 + 0) / 255; alpha 255.
    EXPECT_EQ(px(*d2, 1, 1), 0xFF800000u);
}

TEST(BlitCopytrape, RectangleEqualsNearestScaleAndOtherShapesDrawNothing) {
    auto src = numbered(4, 4);
    auto dst = makeFrame(8, 8);
    QuadPoints q;
    float xs[4] = {0, 7, 0, 7}, ys[4] = {0, 0, 7, 7};
    for (int i = 0; i < 4; ++i) q.x[i] = xs[i], q.y[i] = ys[i];
    RecordingSink sink;
    copytrape(plainContext(&sink), *src, 0, 0, 4, 4, *dst, q);
    EXPECT_EQ(sink.points.size(), 4u);
    // Row t reads (t * 4) / 8; the span 0..7 starts at 0 and steps 4 * 65536 / 7.
    for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 8; ++x) {
            int32_t u = static_cast<int32_t>((int64_t{x} * ((4 * 65536) / 7)) >> 16);
            EXPECT_EQ(px(*dst, x, y), px(*src, u, y * 4 / 8)) << x << "," << y;
        }
    }
    auto none = makeFrame(8, 8);
    QuadPoints bad = q;
    bad.y[3] = 6;  // y0 = y1 but y2 != y3, and x0 == x2 but x1 != x3 would be needed
    bad.x[3] = 6;
    copytrape(plainContext(), *src, 0, 0, 4, 4, *none, bad);
    EXPECT_EQ(px(*none, 2, 2), 0u);
    // A vertical-sided trapezoid: columns run between the parallel sides.
    auto vert = makeFrame(8, 8);
    QuadPoints vq;
    float vx[4] = {0, 7, 0, 7}, vy[4] = {0, 2, 7, 5};
    for (int i = 0; i < 4; ++i) vq.x[i] = vx[i], vq.y[i] = vy[i];
    copytrape(plainContext(), *src, 0, 0, 4, 4, *vert, vq);
    EXPECT_EQ(px(*vert, 0, 0), px(*src, 0, 0));
    EXPECT_EQ(px(*vert, 7, 0), 0u);  // above the top edge at the right
    EXPECT_NE(px(*vert, 7, 3), 0u);
    // A source rectangle away from the origin draws what the same pixels at the origin draw.
    auto crop = makeFrame(2, 3);
    copy(plainContext(), *src, 1, 1, *crop, 0, 0, 2, 3);
    for (const QuadPoints& shape : {q, vq}) {
        auto fromPart = makeFrame(8, 8), fromCrop = makeFrame(8, 8);
        copytrape(plainContext(), *src, 1, 1, 3, 4, *fromPart, shape);
        copytrape(plainContext(), *crop, 0, 0, 2, 3, *fromCrop, shape);
        EXPECT_TRUE(samePixels(*fromPart, *fromCrop));
    }
}

TEST(BlitCopytrape, OnePixelSpansShowTheFirstColumn) {
    auto src = numbered(4, 4);
    auto dst = makeFrame(8, 8);
    QuadPoints q;
    float xs[4] = {3, 3, 3, 3}, ys[4] = {0, 0, 3, 3};
    for (int i = 0; i < 4; ++i) q.x[i] = xs[i], q.y[i] = ys[i];
    copytrape(plainContext(), *src, 1, 0, 3, 4, *dst, q);
    EXPECT_EQ(px(*dst, 3, 0), px(*src, 1, 0));
    EXPECT_EQ(px(*dst, 3, 3), px(*src, 1, 3));
}

}  // namespace
}  // namespace rs::test
