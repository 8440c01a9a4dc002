#include <gtest/gtest.h>

#include <vector>

#include "graphics/bmp_loader.h"
#include "graphics/frame.h"
#include "graphics/image_loader.h"
#include "graphics/image_test_util.h"

namespace rs::test {
namespace {

using graphics::DrawnArea;
using graphics::Frame;
using graphics::getColour;

std::unique_ptr<Frame> filled(int32_t w, int32_t h, uint32_t v, int32_t bpp = 32) {
    auto f = graphics::createFrame(w, h, bpp, 0);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) graphics::putPixel(*f, x, y, v);
    }
    return f;
}

std::vector<uint32_t> pixels(const Frame& f) {
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < f.height; ++y) {
        for (int32_t x = 0; x < f.width; ++x) {
            out.push_back(f.bpp == 8 ? *graphics::pixelAddress(f, x, y) : getColour(f, x, y));
        }
    }
    return out;
}

constexpr uint32_t kOld = 0x11223344;

TEST(BitmapLoader, TwentyFourBitSkipsPureBlueAndPadsRows) {
    // 3 x 2: rows of 9 bytes padded to 12; the top row is stored last.
    const uint32_t src[2][3] = {{0x102030, 0x0000FF, 0x0001FF}, {0xFFFFFF, 0x000000, 0xFF0000}};
    auto bmp = makeBitmap(3, 2, 24, [&](int32_t x, int32_t y) { return src[y][x]; });
    EXPECT_EQ(bmp.size(), 54u + 24u);
    auto f = filled(3, 2, kOld);
    auto area = graphics::drawBitmap(*f, 0, 0, bmp, 0, 0);
    ASSERT_TRUE(area);
    EXPECT_EQ(*area, (DrawnArea{0, 0, 2, 1}));
    EXPECT_EQ(pixels(*f), (std::vector<uint32_t>{0xFF102030, kOld, 0xFF0001FF, 0xFFFFFFFF,
                                                 0xFF000000, 0xFFFF0000}));

    // An 8-bit frame takes the low byte of each colour.
    auto p8 = filled(3, 2, 0x77, 8);
    graphics::drawBitmap(*p8, 0, 0, bmp, 0, 0);
    EXPECT_EQ(pixels(*p8), (std::vector<uint32_t>{0x30, 0x77, 0xFF, 0xFF, 0x00, 0x00}));
}

TEST(BitmapLoader, EightBitUsesThePaletteOrCopiesIndices) {
    std::vector<uint32_t> palette(256, 0);
    palette[1] = 0x00ABCDEF;
    palette[2] = 0x000000FF;  // pure blue: skipped in 32-bit frames
    palette[3] = 0x000001FF;
    auto bmp = makeBitmap(
        5, 1, 8, [](int32_t x, int32_t) { return static_cast<uint32_t>(x); }, palette);
    auto f = filled(5, 1, kOld);
    graphics::drawBitmap(*f, 0, 0, bmp, 0, 0);
    EXPECT_EQ(pixels(*f),
              (std::vector<uint32_t>{0xFF000000, 0xFFABCDEF, kOld, 0xFF0001FF, 0xFF000000}));

    auto p8 = filled(5, 1, 0x77, 8);
    p8->palette[1] = 0x123456;
    graphics::drawBitmap(*p8, 0, 0, bmp, 0, 0);
    EXPECT_EQ(pixels(*p8), (std::vector<uint32_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(p8->palette[1], 0x123456u);
}

TEST(BitmapLoader, SixteenBitChannelsAreShiftedAndNeverSkipped) {
    auto bmp = makeBitmap(3, 1, 16, [](int32_t x, int32_t) {
        return x == 0 ? 0x001Fu : x == 1 ? 0x7FFFu : 0x4210u;
    });
    auto f = filled(3, 1, kOld);
    graphics::drawBitmap(*f, 0, 0, bmp, 0, 0);
    EXPECT_EQ(pixels(*f), (std::vector<uint32_t>{0xFF0000F8, 0xFFF8F8F8, 0xFF808080}));
}

TEST(BitmapLoader, ThirtyTwoBitCopiesWhenTheAlphasAgreeAndBlendsOtherwise) {
    auto bmp =
        makeBitmap(2, 1, 32, [](int32_t x, int32_t) { return x == 0 ? 0x00FFFFFFu : 0x80FFFFFFu; });
    auto copied = filled(2, 1, 0xFF000000);
    graphics::drawBitmap(*copied, 0, 0, bmp, 0, 0);
    EXPECT_EQ(pixels(*copied), (std::vector<uint32_t>{0x00FFFFFF, 0x80FFFFFF}));
    auto copied2 = filled(2, 1, 0xFF000000);
    graphics::drawBitmap(*copied2, 0, 0, bmp, 7, 7);
    EXPECT_EQ(pixels(*copied2), pixels(*copied));
    auto blended = filled(2, 1, 0xFF000000);
    graphics::drawBitmap(*blended, 0, 0, bmp, 0, 255);
    // Alpha 0 stores the value as it is; alpha 0x80 blends white over black and keeps the alpha.
    EXPECT_EQ(pixels(*blended), (std::vector<uint32_t>{0x00FFFFFF, 0xFF808080}));
}

TEST(BitmapLoader, ClipsAtEveryEdge) {
    auto bmp = makeBitmap(
        3, 3, 24, [](int32_t x, int32_t y) { return static_cast<uint32_t>(0x10 * y + x + 1); });
    struct Case {
        int32_t x, y;
        std::optional<DrawnArea> area;
        std::vector<uint32_t> expected;  // 4 x 3 frame
    };
    const uint32_t o = kOld;
    auto px = [](uint32_t v) { return 0xFF000000u | v; };
    const std::vector<Case> cases = {
        {-1,
         -1,
         DrawnArea{0, 0, 1, 1},
         {px(0x12), px(0x13), o, o, px(0x22), px(0x23), o, o, o, o, o, o}},
        {2,
         1,
         DrawnArea{2, 1, 3, 2},
         {o, o, o, o, o, o, px(0x01), px(0x02), o, o, px(0x11), px(0x12)}},
        {-3, 0, std::nullopt, std::vector<uint32_t>(12, o)},
        {4, 0, std::nullopt, std::vector<uint32_t>(12, o)},
        {0, -5, std::nullopt, std::vector<uint32_t>(12, o)},
    };
    for (const Case& c : cases) {
        auto f = filled(4, 3, kOld);
        EXPECT_EQ(graphics::drawBitmap(*f, c.x, c.y, bmp, 0, 0), c.area) << c.x << "," << c.y;
        EXPECT_EQ(pixels(*f), c.expected) << c.x << "," << c.y;
    }
}

TEST(BitmapLoader, AbsurdHeadersDrawNothing) {
    auto good = makeBitmap(2, 2, 24, [](int32_t, int32_t) { return 0x123456u; });
    auto patch = [&](size_t at, std::vector<uint8_t> bytes) {
        auto b = good;
        for (size_t i = 0; i < bytes.size(); ++i) b[at + i] = bytes[i];
        return b;
    };
    std::vector<std::vector<uint8_t>> bad = {
        patch(18, {0, 0, 0, 0}),              // width 0
        patch(18, {0xFE, 0xFF, 0xFF, 0xFF}),  // width -2
        patch(22, {0xFF, 0xFF, 0xFF, 0x7F}),  // height beyond the file
        patch(18, {0xFF, 0xFF, 0xFF, 0x7F}),  // width beyond the file
        [&] {
            auto b = patch(18, {0xD2, 0x07, 0xBA, 0x7A, 0x16, 0xA2, 0x03, 0x70});
            b[28] = 32;
            return b;
        }(),                      // both sizes huge: their product overflows
        patch(28, {4, 0}),        // depth 4
        patch(28, {1, 0}),        // depth 1
        patch(28, {0xE0, 0xFF}),  // depth -32
        std::vector<uint8_t>(good.begin(), good.end() - 3),  // the last row cut short
        std::vector<uint8_t>(good.begin(), good.begin() + 40),
        {},
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        auto f = filled(4, 4, kOld);
        EXPECT_FALSE(graphics::drawBitmap(*f, 0, 0, bad[i], 0, 0)) << i;
        EXPECT_EQ(pixels(*f), std::vector<uint32_t>(16, kOld)) << i;
    }
    // The last row may lack its padding.
    auto f = filled(4, 4, kOld);
    EXPECT_TRUE(
        graphics::drawBitmap(*f, 0, 0, std::vector<uint8_t>(good.begin(), good.end() - 2), 0, 0));
    // Frames of other depths are left alone.
    auto p24 = graphics::createFrame(2, 2, 24, 0);
    EXPECT_FALSE(graphics::drawBitmap(*p24, 0, 0, good, 0, 0));
}

TEST(ImageLoader, SizeOfANewFrameByTheHeader) {
    struct Case {
        std::vector<uint8_t> header;
        int32_t w, h, depth;
    };
    std::vector<uint8_t> bmp(30, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    bmp[18] = 0x20;
    bmp[19] = 0x03;
    bmp[22] = 0xFF;
    bmp[23] = 0xFF;
    bmp[24] = 0xFF;
    bmp[25] = 0xFF;
    bmp[28] = 24;
    const std::vector<Case> cases = {
        {{'8', 'P', 0x10, 0x01, 0x20, 0x00}, 0x110, 0x20, 8},
        {{'F', 'D', 32, 0, 0x34, 0x12, 0x02, 0x00}, 0x1234, 2, 32},
        {{'f', 'e', 0xE8, 0, 3, 0, 4, 0}, 3, 4, -24},
        {{'F', 'c', 8, 0, 5, 0, 6, 0}, 5, 6, 8},
        {bmp, 800, -1, 24},
        {{'F', 'D', 24, 0, 9}, 9, 0, 24},  // header bytes past the end read as 0
        {{'X'}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        graphics::ImageSize s = graphics::imageSizeOf(c.header);
        EXPECT_EQ(s.width, c.w);
        EXPECT_EQ(s.height, c.h);
        EXPECT_EQ(s.depth, c.depth);
    }
}

TEST(ImageLoader, FdImagesAreCopiedOrBlendedByTheAlphaArguments) {
    SymbolWriter w(false);
    w.literal(0xFFFFFF);
    w.literal(0x000000);
    w.bits.bits(0x80, 8);
    w.number(1);
    auto fd = fdFile(false, 32, 2, 1, std::move(w.bits));
    struct Case {
        int32_t alphaA, alphaB;
        std::vector<uint32_t> expected;
    };
    // Over 0xFF000000: blending white at 0x80 gives 0x80 per channel and keeps the frame's alpha.
    const std::vector<Case> cases = {
        {0, 0, {0x80FFFFFF, 0x80000000}},
        {7, 7, {0x80FFFFFF, 0x80000000}},
        {255, 255, {0xFF808080, 0xFF000000}},
        {0, 255, {0xFF808080, 0xFF000000}},
    };
    for (const Case& c : cases) {
        auto f = filled(2, 1, 0xFF000000);
        auto area = graphics::drawImage(*f, 0, 0, fd, c.alphaA, c.alphaB);
        ASSERT_TRUE(area);
        EXPECT_EQ(*area, (DrawnArea{0, 0, 1, 0}));
        EXPECT_EQ(pixels(*f), c.expected) << c.alphaA << "," << c.alphaB;
    }
    // A 24-bit image is copied with alpha 0, whatever the alphas; 8-bit frames take the low byte.
    SymbolWriter w24(true);
    w24.literal(0x123456);
    auto fe = fdFile(true, 24, 1, 1, std::move(w24.bits));
    auto f = filled(2, 2, kOld);
    EXPECT_EQ(graphics::drawImage(*f, 1, 1, fe, 255, 255), (DrawnArea{1, 1, 1, 1}));
    EXPECT_EQ(pixels(*f), (std::vector<uint32_t>{kOld, kOld, kOld, 0x00123456}));
    auto p8 = filled(1, 1, 0, 8);
    graphics::drawImage(*p8, 0, 0, fe, 0, 0);
    EXPECT_EQ(pixels(*p8), std::vector<uint32_t>{0x56});
    // Unknown signatures and images placed outside draw nothing.
    EXPECT_FALSE(graphics::drawImage(*f, 0, 0, std::vector<uint8_t>{'8', 'P', 1, 0, 1, 0}, 0, 0));
    EXPECT_FALSE(graphics::drawImage(*f, 5, 0, fe, 0, 0));
}

TEST(ImageLoader, HugeFdHeadersDrawNothing) {
    std::vector<uint8_t> fd = {'F', 'D', 24, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0,
                               0,   0,   0,  0, 0,    0,    0,    0x00};
    auto f = filled(2, 2, kOld);
    // 65535 x 65535 pixels exceed what the loader decodes.
    EXPECT_FALSE(graphics::drawImage(*f, 0, 0, fd, 0, 0));
    EXPECT_EQ(pixels(*f), std::vector<uint32_t>(4, kOld));
}

}  // namespace
}  // namespace rs::test
