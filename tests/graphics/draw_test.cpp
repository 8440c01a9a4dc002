#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "graphics/draw.h"
#include "graphics/frame.h"
#include "graphics/png_io.h"

namespace rs::graphics {
namespace {

std::unique_ptr<Frame> frame32(int32_t w, int32_t h, uint32_t fill = 0) {
    auto f = createFrame(w, h, 32, 0);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) putPixel(*f, x, y, fill);
    }
    return f;
}

// The row y of a frame as pixel values.
std::vector<uint32_t> row(const Frame& f, int32_t y) {
    std::vector<uint32_t> r;
    for (int32_t x = 0; x < f.width; ++x) r.push_back(getColour(f, x, y));
    return r;
}

TEST(DrawLine, PointsTruncateTowardZero) {
    auto f = frame32(12, 1, 0xFF000000);
    drawLine(*f, 0, 0, 3, 0, 0xFFFFFFFF);
    EXPECT_EQ(row(*f, 0),
              (std::vector<uint32_t>{~0u, ~0u, ~0u, ~0u, 0xFF000000, 0xFF000000, 0xFF000000,
                                     0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000}));

    // Leftwards: x = 10, 10, 9, 8, 7; the end point 6 is not drawn and 10 is blended twice.
    auto g = frame32(12, 1, 0xFF000000);
    drawLine(*g, 10, 0, 6, 0, 0x80FFFFFF);
    std::vector<uint32_t> r = row(*g, 0);
    EXPECT_EQ(r[6], 0xFF000000u);
    EXPECT_EQ(r[7], 0xFF808080u);
    EXPECT_EQ(r[9], 0xFF808080u);
    EXPECT_EQ(r[10], 0xFFBFBFBFu);
    EXPECT_EQ(r[11], 0xFF000000u);

    auto dot = frame32(3, 3);
    drawLine(*dot, 1, 1, 1, 1, 0x00ABCDEF);
    EXPECT_EQ(getColour(*dot, 1, 1), 0x00ABCDEFu);
    EXPECT_EQ(getColour(*dot, 0, 0), 0u);
}

TEST(DrawLine, MatchesEveryPointOfTheFormulaWhenClipped) {
    // The reference visits every i; drawLine only those inside. Blending with alpha shows points
    // drawn twice, so the frames must agree byte for byte.
    auto reference = [](Frame& f, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t c) {
        int64_t dx = x2 - x1, dy = y2 - y1;
        if (dx == 0 && dy == 0) {
            blendPixel(f, x1, y1, c);
            return;
        }
        int64_t n = std::max(std::llabs(dx), std::llabs(dy));
        for (int64_t i = 0; i <= n; ++i) {
            blendPixel(f, static_cast<int32_t>(x1 + (n / 2 + i * dx) / n),
                       static_cast<int32_t>(y1 + (n / 2 + i * dy) / n), c);
        }
    };
    uint32_t seed = 12345;
    auto next = [&](int32_t lo, int32_t hi) {
        seed = seed * 1103515245u + 12345u;
        return lo + static_cast<int32_t>((seed >> 8) % static_cast<uint32_t>(hi - lo + 1));
    };
    for (int n = 0; n < 400; ++n) {
        int32_t x1 = next(-30, 50), y1 = next(-30, 50), x2 = next(-30, 50), y2 = next(-30, 50);
        auto a = frame32(20, 15, 0xFF000000);
        auto b = frame32(20, 15, 0xFF000000);
        drawLine(*a, x1, y1, x2, y2, 0x60FF8040);
        reference(*b, x1, y1, x2, y2, 0x60FF8040);
        ASSERT_EQ(imageFromFrame(*a), imageFromFrame(*b))
            << x1 << "," << y1 << " " << x2 << "," << y2;
    }
}

TEST(DrawLine, FarAwayEndsOnlyCostThePointsInside) {
    auto f = frame32(10, 10);
    drawLine(*f, -1000000000, 5, 1000000000, 5, 0xFF0000FF);
    for (int32_t x = 0; x < 10; ++x) EXPECT_EQ(getColour(*f, x, 5), 0x000000FFu) << x;
    EXPECT_EQ(getColour(*f, 3, 4), 0u);
    // The longest diagonal passes through (i, i) for every i.
    auto g = frame32(10, 10);
    drawLine(*g, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0xFF00FF00);
    for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(getColour(*g, i, i), 0x0000FF00u) << i;
    EXPECT_EQ(getColour(*g, 1, 0), 0u);
}

TEST(FillRect, ClipsAndStoresTheWholeValue) {
    auto f = frame32(5, 4);
    auto r = fillRect(*f, -2, 1, 4, 10, 0x12345678);
    ASSERT_TRUE(r);
    EXPECT_EQ(*r, (ClippedRect{0, 1, 2, 3}));
    EXPECT_EQ(getColour(*f, 1, 3), 0x12345678u);
    EXPECT_EQ(getColour(*f, 2, 3), 0u);
    EXPECT_EQ(getColour(*f, 0, 0), 0u);
    EXPECT_FALSE(fillRect(*f, 5, 0, 3, 3, 1));
    EXPECT_FALSE(fillRect(*f, -3, 0, 3, 3, 1));
    EXPECT_FALSE(fillRect(*f, 0, 0, 0, 3, 1));
    EXPECT_FALSE(fillRect(*f, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, 1));
    EXPECT_FALSE(fillRect(*f, INT32_MIN, 0, INT32_MAX, 3, 7));
    EXPECT_EQ(*fillRect(*f, -1, 0, INT32_MAX, 1, 7), (ClippedRect{0, 0, 5, 1}));

    auto p8 = createFrame(3, 3, 8, 0);
    fillRect(*p8, 1, 1, 5, 5, 0xFFFFFF2A);
    EXPECT_EQ(*pixelAddress(*p8, 2, 2), 0x2A);
    EXPECT_EQ(*pixelAddress(*p8, 0, 0), 0);
}

TEST(FillRectAlpha, ThreeFormulas) {
    // Alpha 0: full with the alpha byte cleared.
    auto f = frame32(2, 1, 0xFF101010);
    fillRectAlpha(*f, 0, 0, 1, 1, 0x00ABCDEF);
    EXPECT_EQ(getColour(*f, 0, 0), 0x00ABCDEFu);

    // Without valid alpha: (s * A + d * (256 - A)) / 256, alpha cleared.
    auto plain = frame32(1, 1, 0xFF204060);
    fillRectAlpha(*plain, 0, 0, 1, 1, 0x40FF0080);
    uint32_t a = 0x40;
    uint32_t expected = (((0xFF * a + 0x20 * (256 - a)) / 256) << 16) |
                        (((0x00 * a + 0x40 * (256 - a)) / 256) << 8) |
                        ((0x80 * a + 0x60 * (256 - a)) / 256);
    EXPECT_EQ(getColour(*plain, 0, 0), expected);

    // With valid alpha: composed over the pixel's own alpha.
    auto alpha = createFrame(3, 1, 32, 2);
    putPixel(*alpha, 0, 0, 0x00000000);  // transparent: the colour and its alpha
    putPixel(*alpha, 1, 0, 0xFF000000);  // opaque black
    putPixel(*alpha, 2, 0, 0x80FF6040);
    fillRectAlpha(*alpha, 0, 0, 3, 1, 0x80000000);
    EXPECT_EQ(getColour(*alpha, 0, 0), 0x80000000u);
    EXPECT_EQ(getColour(*alpha, 1, 0), 0xFF000000u);  // D = 127 * 255 + 255 * 128 = 255 * 255
    // D = 127 * 128 + 255 * 128; each channel c * 127 * 128 / D, alpha D / 255.
    uint32_t d2 = 127 * 128 + 255 * 128;
    auto mix = [&](uint32_t c) { return (c * 127 * 128) / d2; };
    EXPECT_EQ(getColour(*alpha, 2, 0),
              (d2 / 255) << 24 | mix(0xFF) << 16 | mix(0x60) << 8 | mix(0x40));

    auto p8 = createFrame(2, 2, 8, 0);
    fillRectAlpha(*p8, 0, 0, 2, 2, 0x80000011);
    EXPECT_EQ(*pixelAddress(*p8, 1, 0), 0x11);
    EXPECT_EQ(*pixelAddress(*p8, 0, 1), 0x11);
}

TEST(PointValue, PixelIndexOrMinusOne) {
    auto f = frame32(2, 2);
    putPixel(*f, 1, 1, 0xFFFFFFFE);
    EXPECT_EQ(pointValue(*f, 1, 1), -2);
    EXPECT_EQ(pointValue(*f, 2, 1), -1);
    EXPECT_EQ(pointValue(*f, -1, 0), -1);
    auto p8 = createFrame(2, 2, 8, 0);
    putPixel(*p8, 0, 1, 200);
    EXPECT_EQ(pointValue(*p8, 0, 1), 200);
    auto p24 = createFrame(2, 2, 24, 0);
    EXPECT_EQ(pointValue(*p24, 0, 0), -1);
}

}  // namespace
}  // namespace rs::graphics
