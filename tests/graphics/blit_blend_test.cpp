// Hand-computed cases of the blends: blendcopy, acopy, acmcopy and its scaled form, pscopydiv.
#include <gtest/gtest.h>

#include "graphics/blit_test_support.h"

namespace rs::test {
namespace {

using namespace graphics;

TEST(BlitBlend, PlainFramesAlphaZeroClearsAlphaExceptBlueKeyed) {
    auto src = makeFrame(2, 1, 32, false, 0x00FFFFFF);
    putPixel(*src, 1, 0, 0x000000FF);
    auto dst = makeFrame(2, 1, 32, false, 0xAA102030);
    blendcopy(plainContext(), *src, 0, 0, *dst, 0, 0, 2, 1, 0);
    EXPECT_EQ(px(*dst, 0, 0), 0x00102030u);
    EXPECT_EQ(px(*dst, 1, 0), 0xAA102030u);
    auto black = makeFrame(1, 1);
    blendcopy(plainContext(), *black, 0, 0, *dst, 0, 0, 1, 1, -5);
    EXPECT_EQ(px(*dst, 0, 0), 0x00102030u);
    // Alpha 256 (and anything above, clamped) takes the source colours.
    blendcopy(plainContext(), *src, 0, 0, *dst, 0, 0, 2, 1, 999);
    EXPECT_EQ(px(*dst, 0, 0), 0x00FFFFFFu);
    // 128: (d * 128 + s * 128) >> 8.
    auto d2 = makeFrame(1, 1, 32, false, 0x00000010);
    blendcopy(plainContext(), *src, 0, 0, *d2, 0, 0, 1, 1, 128);
    EXPECT_EQ(px(*d2, 0, 0), 0x007F7F87u);
}

TEST(BlitBlend, AlphaSourcesOntoPlainAndAlphaFrames) {
    auto src = makeFrame(3, 1, 32, true);
    putPixel(*src, 0, 0, 0xFF0000FF);  // blue-keyed: skipped
    putPixel(*src, 1, 0, 0x02FFFFFF);  // 2 * 100 / 255 = 0: skipped
    putPixel(*src, 2, 0, 0xFFFFFFFF);
    auto plain = makeFrame(3, 1, 32, false, 0x33000000);
    blendcopy(plainContext(), *src, 0, 0, *plain, 0, 0, 3, 1, 100);
    EXPECT_EQ(px(*plain, 0, 0), 0x33000000u);
    EXPECT_EQ(px(*plain, 1, 0), 0x33000000u);
    // alpha 255 * 100 / 255 = 100: 255 * 100 / 255 = 100 per channel, destination alpha kept.
    EXPECT_EQ(px(*plain, 2, 0), 0x33646464u);

    // Both with alpha at 256: an opaque source pixel stays opaque and exact (its scaled alpha is
    // held at 255).
    auto withAlpha = makeFrame(1, 1, 32, true, 0x00000000);
    blendcopy(plainContext(), *src, 2, 0, *withAlpha, 0, 0, 1, 1, 256);
    EXPECT_EQ(px(*withAlpha, 0, 0), 0xFFFFFFFFu);

    // A plain source onto a frame with alpha: stored opaque, blue-keyed skipped.
    auto plainSrc = makeFrame(2, 1, 32, false, 0x00123456);
    putPixel(*plainSrc, 1, 0, 0x770000FF);
    auto d3 = makeFrame(2, 1, 32, true, 0x01010101);
    blendcopy(plainContext(), *plainSrc, 0, 0, *d3, 0, 0, 2, 1, 7);
    EXPECT_EQ(px(*d3, 0, 0), 0xFF123456u);
    EXPECT_EQ(px(*d3, 1, 0), 0x01010101u);
}

TEST(BlitBlend, ThreeFramesPlainAndPacked) {
    auto s1 = makeFrame(1, 1, 32, false, 0x40000010);
    auto s2 = makeFrame(1, 1, 32, false, 0xC0FF0000);
    auto d = makeFrame(1, 1);
    acopy(plainContext(), *s1, 0, 0, *s2, 0, 0, *d, 0, 0, 1, 1, 64);
    // red 0 + (255 * 64 >> 8) = 63; blue 16 + (-16 * 64 >> 8) = 12; alpha 0.
    EXPECT_EQ(px(*d, 0, 0), 0x003F000Cu);
    acopy(plainContext(nullptr, true), *s1, 0, 0, *s2, 0, 0, *d, 0, 0, 1, 1, 64);
    // every byte (c2 * 64 + c1 * 192) >> 8: alpha (192 * 64 + 64 * 192) >> 8 = 96.
    EXPECT_EQ(px(*d, 0, 0), 0x603F000Cu);
    // An 8-bit first source goes through its palette, with the plain formula.
    auto s8 = makeFrame(1, 1, 8, false, 3);
    s8->palette[3] = 0x00000010;
    acopy(plainContext(nullptr, true), *s8, 0, 0, *s2, 0, 0, *d, 0, 0, 1, 1, 64);
    EXPECT_EQ(px(*d, 0, 0), 0x003F000Cu);
}

TEST(BlitBlend, DestinationAsSecondSourceSwapsTheWeights) {
    auto a = makeFrame(1, 1, 32, false, 0x00C81E64);
    auto b = makeFrame(1, 1, 32, false, 0x00142850);
    auto viaSwap = cloneFrame(*b);
    acopy(plainContext(), *a, 0, 0, *viaSwap, 0, 0, *viaSwap, 0, 0, 1, 1, 96);
    auto direct = cloneFrame(*b);
    acopy(plainContext(), *direct, 0, 0, *a, 0, 0, *direct, 0, 0, 1, 1, 256 - 96);
    EXPECT_TRUE(samePixels(*viaSwap, *direct));
}

TEST(BlitBlend, ThreeFramesWithAlphaUseCoverage) {
    auto s1 = makeFrame(2, 1, 32, true, 0xFF000000);
    auto s2 = makeFrame(1, 1, 32, true, 0x80FFFFFF);
    auto d = makeFrame(3, 1, 32, true, 0x12345678);
    acopy(plainContext(), *s1, 0, 0, *s2, 0, 0, *d, 0, 0, 3, 1, 128);
    // Both cover pixel 0: w1 = 255 * 127, w2 = 128 * 128, W = 48769; k = 2^24 / W = 344;
    // f2 = 344 * 16384 >> 16 = 86; colour 255 * 86 >> 8 = 85; alpha W / 255 = 191.
    EXPECT_EQ(px(*d, 0, 0), 0xBF555555u);
    // Only the first covers pixel 1: alpha 255 * 127 / 255 = 127.
    EXPECT_EQ(px(*d, 1, 0), 0x7F000000u);
    // Neither covers pixel 2.
    EXPECT_EQ(px(*d, 2, 0), 0u);
}

TEST(BlitAcmcopy, MaskCurveAndBothFormulas) {
    auto s1 = makeFrame(3, 1, 32, false, 0x00FF8040);
    auto s2 = makeFrame(3, 1, 32, false, 0x00204080);
    auto mask = makeFrame(3, 1, 8);
    putPixel(*mask, 0, 0, 0);
    putPixel(*mask, 1, 0, 100);
    putPixel(*mask, 2, 0, 255);
    auto d = makeFrame(3, 1);
    // M[i] = clamp((i + 0) + 0) * 1: the mask byte itself.
    acmcopy(plainContext(), *s1, 0, 0, *s2, 0, 0, mask.get(), 0, 0, *d, 0, 0, 3, 1,
            MaskCurve{0, 0, 1});
    EXPECT_EQ(px(*d, 0, 0), 0x00204080u);
    // m = 100: red (223 * 100 >> 8) + 32 = 119; green (64 * 100 >> 8) + 64 = 89;
    // blue: 64 - 128 borrows in 32-bit arithmetic: ((0xFFC0 ... ) see below.
    uint32_t rb = ((((0x00FF0040u) - (0x00200080u)) * 100u >> 8) + 0x00200080u) & 0x00FF00FFu;
    uint32_t g = ((((0x00008000u) - (0x00004000u)) * 100u >> 8) + 0x00004000u) & 0x0000FF00u;
    EXPECT_EQ(px(*d, 1, 0), rb + g);
    EXPECT_EQ(px(*d, 1, 0) & 0x0000FF00u, 0x5900u);
    EXPECT_EQ(px(*d, 2, 0), 0x00FE7F40u);  // m = 255 keeps 255/256 of src1, rounded by the borrows
    acmcopy(plainContext(nullptr, true), *s1, 0, 0, *s2, 0, 0, mask.get(), 0, 0, *d, 0, 0, 3, 1,
            MaskCurve{0, 0, 1});
    // packed: (s2 * 155 + s1 * 100) >> 8 per byte: blue (128 * 155 + 64 * 100) >> 8 = 102.
    EXPECT_EQ(px(*d, 1, 0) & 0xFF, 102u);
    EXPECT_EQ(px(*d, 2, 0), 0x00FE7F3Fu);
    // bias, offset and gain: M[i] = clamp((((10 + i) & 255) - 20) * 3).
    acmcopy(plainContext(), *s1, 0, 0, *s2, 0, 0, mask.get(), 0, 0, *d, 0, 0, 3, 1,
            MaskCurve{-20, 10, 3});
    EXPECT_EQ(px(*d, 0, 0), 0x00204080u);  // (10 - 20) * 3 < 0 -> 0
    // A missing mask draws nothing.
    auto before = cloneFrame(*d);
    acmcopy(plainContext(), *s1, 0, 0, *s2, 0, 0, nullptr, 0, 0, *d, 0, 0, 3, 1, MaskCurve{});
    EXPECT_TRUE(samePixels(*before, *d));
}

TEST(BlitAcmcopy, ScaledFormUnclamped) {
    auto s1 = makeFrame(1, 1, 32, false, 0xFFFFFFFF);
    auto s2 = makeFrame(2, 2, 32, false, 0x00000000);
    auto mask = makeFrame(1, 1, 8, false, 51);
    auto d = makeFrame(4, 4);
    // m = 51 * 2 - 0 = 102: (0 * 153 + 255 * 102) / 255 = 102 in every byte.
    acmcopyScaled(plainContext(), FrameRect{s1.get(), 0, 0, 1, 1}, FrameRect{s2.get(), 0, 0, 2, 2},
                  FrameRect{mask.get(), 0, 0, 1, 1}, *d, 0, 0, 4, 4, MaskCurve{0, 0, 2});
    EXPECT_EQ(px(*d, 3, 3), 0x66666666u);
    acmcopyScaled(plainContext(), FrameRect{s1.get(), 0, 0, 1, 1}, FrameRect{s2.get(), 0, 0, 2, 2},
                  FrameRect{mask.get(), 0, 0, 1, 1}, *d, 0, 0, 4, 4, MaskCurve{0, 0, 9});
    EXPECT_EQ(px(*d, 0, 0), 0xFFFFFFFFu);  // m >= 255: src1 as it is
}

TEST(BlitPscopydiv, DodgeWithAndWithoutLayerAlpha) {
    auto base = makeFrame(1, 1, 32, false, 0x00804020);
    auto layer = makeFrame(1, 1, 32, true, 0x00FFFFFF);
    auto d = makeFrame(1, 1, 32, false, 0x00FFFFFF);
    // Layer alpha 0, opacity 255: the base colours.
    pscopydiv(plainContext(), *base, 0, 0, *layer, 0, 0, *d, 0, 0, 1, 1, 255);
    EXPECT_EQ(px(*d, 0, 0), 0xFF804020u);
    // Layer 0x80 in every channel at alpha 255: t = divideBy(c * 256, 256 - 128) = 2c, opacity
    // 128 mixes with the destination (0): 2c * 128 / 255.
    putPixel(*layer, 0, 0, 0xFF808080);
    auto d2 = makeFrame(1, 1);
    pscopydiv(plainContext(), *base, 0, 0, *layer, 0, 0, *d2, 0, 0, 1, 1, 128);
    EXPECT_EQ(px(*d2, 0, 0), 0xFF000000u | ((256u * 128 / 255) << 16) | ((128u * 128 / 255) << 8) |
                                 (64u * 128 / 255));
    // Plain layer: c * 65536 / (65536 - 128 * 255), alpha = opacity.
    auto plainLayer = makeFrame(1, 1, 32, false, 0xFF808080);
    pscopydiv(plainContext(), *base, 0, 0, *plainLayer, 0, 0, *d2, 0, 0, 1, 1, 77);
    uint32_t r = std::min<uint32_t>(0x80u * 65536 / (65536 - 128 * 255), 255);
    uint32_t g = 0x40u * 65536 / (65536 - 128 * 255);
    EXPECT_EQ(px(*d2, 0, 0),
              (77u << 24) | (r << 16) | (g << 8) | (0x20u * 65536 / (65536 - 128 * 255)));
}

}  // namespace
}  // namespace rs::test
