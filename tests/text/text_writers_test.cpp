// Exact pixel values of the text writers for every frame depth.
#include <gtest/gtest.h>

#include <cstring>

#include "graphics/frame.h"
#include "text/text_writers.h"

namespace rs::text {
namespace {

struct MixCase {
    const char* what;
    uint32_t pixel;
    int32_t c1, c2;
    TextColours colours;
    uint32_t expected;
};

TEST(TextWriters, OpaqueMixOnSquaredChannels) {
    const MixCase cases[] = {
        {"no coverage leaves the pixel", 0x12345678, 0, 0, {0xFFFFFFFF, 0xFF000000, 0}, 0x12345678},
        {"full body with opaque text is the text colour",
         0x12345678,
         64,
         0,
         {0xFF102030, 0, 0},
         0xFF102030},
        {"alpha 0 counts as opaque", 0x12345678, 64, 0, {0x00FFFFFF, 0, 0}, 0xFFFFFFFF},
        {"half white over fixed black", 0x12345678, 32, 0, {0xFFFFFFFF, 0, 0}, 0xFFB4B4B4},
        {"text alpha scales the weight", 0, 64, 0, {0x80FFFFFF, 0, 0}, 0xFFB4B4B4},
        // R: 65025 + (-65025 * 16 >> 6) rounds toward minus infinity: 48768 -> 220.
        {"own pixel as background", 0x00FF0000, 16, 0, {0xFF0000FF, 0, -1}, 0xFFDC007F},
        {"edge alone in black (alpha 0)",
         0x12345678,
         0,
         64,
         {0xFFFFFFFF, 0x00000000, 0xFFFFFF},
         0xFF000000},
        {"body and edge over grey", 0, 40, 24, {0xFFFFFFFF, 0xFF000000, 0x808080}, 0xFFC9C9C9},
    };
    for (const MixCase& c : cases) {
        EXPECT_EQ(mixPixel32(c.pixel, c.c1, c.c2, c.colours), c.expected) << c.what;
    }
}

TEST(TextWriters, AlphaBuildingMix) {
    const MixCase cases[] = {
        {"full body, opaque text", 0x11223344, 64, 0, {0xFF102030, 0, -1}, 0xFF102030},
        {"text alpha 0 draws nothing here", 0x11223344, 64, 0, {0x00FFFFFF, 0, -1}, 0x11223344},
        {"empty pixel takes the colour, alpha by coverage",
         0,
         32,
         0,
         {0xFFFFFFFF, 0, -1},
         0x7FFFFFFF},
        {"over opaque black like the opaque mix",
         0xFF000000,
         32,
         0,
         {0xFFFFFFFF, 0, -1},
         0xFFB4B4B4},
        {"body and edge over a half-transparent pixel",
         0x80204060,
         24,
         16,
         {0xC0FF8000, 0x800000FF, -1},
         0xB3A25A7C},
        {"no coverage", 0x80204060, 0, 0, {0xFFFFFFFF, 0xFFFFFFFF, -1}, 0x80204060},
    };
    for (const MixCase& c : cases) {
        EXPECT_EQ(mixPixelAlpha32(c.pixel, c.c1, c.c2, c.colours), c.expected) << c.what;
    }
}

TEST(TextWriters, PalettedAndSixteenBitPixels) {
    TextColours c{0xFF000078, 0xFF0000AB, -1};
    EXPECT_EQ(mixPixel8(7, 32, 0, c), 0x78);   // half covered: the text's index
    EXPECT_EQ(mixPixel8(7, 31, 0, c), 7);      // less than half: unchanged
    EXPECT_EQ(mixPixel8(7, 10, 30, c), 0xAB);  // the edge weighs more
    EXPECT_EQ(mixPixel8(7, 20, 20, c), 0x78);

    EXPECT_EQ(rgbFrom555(0x7C00), 0xFF0000u);
    EXPECT_EQ(rgbFrom555(0x0010), 0x000084u);
    EXPECT_EQ(rgbTo555(0xFFFFFF), 0x7FFF);
    EXPECT_EQ(mixPixelRgb(0xFFFFFF, 32, 0, {0xFF000000, 0, -1}), 0xB4B4B4u);
    EXPECT_EQ(mixPixelRgb(0x123456, 64, 0, {0xFFABCDEF, 0, -1}), 0xABCDEFu);
}

uint32_t pixel32(const graphics::Frame& f, int32_t x, int32_t y) {
    return graphics::getColour(f, x, y);
}

TEST(TextWriters, CoverageGoesToTheFrameByDepth) {
    CoverageMap map;
    map.width = 2;
    map.height = 1;
    map.body = {32, 0};
    map.edge = {0, 0};
    TextColours black{0xFF000000, 0, -1};

    auto f32 = graphics::createFrame(4, 2, 32, 0);
    graphics::putPixel(*f32, 1, 1, 0xFFFFFFFF);
    writeCoverage(*f32, 1, 1, map, black);
    EXPECT_EQ(pixel32(*f32, 1, 1), 0xFFB4B4B4u);
    EXPECT_EQ(pixel32(*f32, 2, 1), 0u);  // no coverage: untouched

    // With alphaValid and a negative background the alpha-building mix is used; a fixed
    // background keeps the opaque mix.
    auto fa = graphics::createFrame(2, 1, 32, 2);
    writeCoverage(*fa, 0, 0, map, {0xFFFFFFFF, 0, -1});
    EXPECT_EQ(pixel32(*fa, 0, 0), 0x7FFFFFFFu);
    auto fb = graphics::createFrame(2, 1, 32, 2);
    writeCoverage(*fb, 0, 0, map, {0xFFFFFFFF, 0, 0});
    EXPECT_EQ(pixel32(*fb, 0, 0), 0xFFB4B4B4u);

    auto f24 = graphics::createFrame(2, 1, 24, 0);
    std::memset(graphics::pixelAddress(*f24, 0, 0), 0xFF, 3);
    writeCoverage(*f24, 0, 0, map, black);
    const uint8_t* p24 = graphics::pixelAddress(*f24, 0, 0);
    EXPECT_EQ(p24[0], 0xB4);
    EXPECT_EQ(p24[1], 0xB4);
    EXPECT_EQ(p24[2], 0xB4);

    auto f16 = graphics::createFrame(2, 1, 16, 0);
    uint16_t white = 0xFFFF;  // the top bit is kept
    std::memcpy(graphics::pixelAddress(*f16, 0, 0), &white, 2);
    writeCoverage(*f16, 0, 0, map, black);
    uint16_t v16;
    std::memcpy(&v16, graphics::pixelAddress(*f16, 0, 0), 2);
    EXPECT_EQ(v16, 0xDAD6);  // 180 >> 3 = 22 in each channel

    auto f8 = graphics::createFrame(2, 1, 8, 0);
    writeCoverage(*f8, 0, 0, map, {0xFF000042, 0, -1});
    EXPECT_EQ(*graphics::pixelAddress(*f8, 0, 0), 0x42);

    // Other depths are left alone; pixels outside the frame are skipped.
    auto f4 = graphics::createFrame(8, 1, 4, 0);
    writeCoverage(*f4, 0, 0, map, black);
    EXPECT_EQ(f4->pixels[0], 0);
    writeCoverage(*f32, -1, -1, map, black);
    writeCoverage(*f32, 3, 0, map, black);
    EXPECT_EQ(pixel32(*f32, 3, 0), 0xFF000000u);
}

TEST(TextWriters, SolidPixelsForTheMonochromeRenderer) {
    auto f = graphics::createFrame(2, 1, 32, 0);
    writeSolid(*f, 0, 0, 0x00123456);
    writeSolid(*f, 1, 0, 0x80123456);
    EXPECT_EQ(pixel32(*f, 0, 0), 0xFF123456u);
    EXPECT_EQ(pixel32(*f, 1, 0), 0x80123456u);
    writeSolid(*f, 2, 0, 0xFFFFFFFF);  // outside: nothing

    auto f16 = graphics::createFrame(1, 1, 16, 0);
    writeSolid(*f16, 0, 0, 0xFF0000);
    uint16_t v;
    std::memcpy(&v, graphics::pixelAddress(*f16, 0, 0), 2);
    EXPECT_EQ(v, 0x7C00);
    auto f8 = graphics::createFrame(1, 1, 8, 0);
    writeSolid(*f8, 0, 0, 0x1234);
    EXPECT_EQ(*graphics::pixelAddress(*f8, 0, 0), 0x34);
}

}  // namespace
}  // namespace rs::text
