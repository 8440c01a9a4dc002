// The software composer pixel by pixel: how each sprite is drawn by manner, opacity and blend
// mode, wrapping, groups, masks, the dirty rectangle and the wave.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "display/scene_support.h"
#include "graphics/blit.h"
#include "graphics/blit_test_support.h"
#include "platform/headless_host.h"

namespace rs::test {
namespace {

using namespace graphics;

std::unique_ptr<Frame> solid(int32_t w, int32_t h, uint32_t colour, bool alpha) {
    auto f = createFrame(w, h, 32, alpha ? 2 : 0);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) putPixel(*f, x, y, colour);
    }
    return f;
}

uint32_t at(const Scene& s, int32_t x, int32_t y) { return getColour(*s.screen, x, y); }

TEST(Composer, BlendModesOnOnePixel) {
    struct Row {
        uint32_t d, s;
        bool alpha;
        int32_t mode, opacity;
        uint32_t expected;
    };
    // Channels of the destination 100 (0x64) under a source of 200 (0xC8), alpha 128 where given.
    std::vector<Row> rows = {
        {0x00646464, 0x80C8C8C8, false, 0, 100, 0x008B8B8B},  // (100 * 156 + 200 * 100) >> 8
        {0x00646464, 0x80C8C8C8, true, 0, 100, 0x00777777},   // blended at 128 * 100 / 255
        {0x00646464, 0x80C8C8C8, true, 1, 255, 0xFFC8C8C8},   // 100 + 200 * 128 / 255
        {0x00646464, 0x80C8C8C8, true, 1, 128, 0xFF969696},   // (200 * 128 + 100 * 127) / 255
        {0x00646464, 0x80C8C8C8, false, 1, 128, 0x00C8C8C8},  // 100 + 200 * 128 / 256
        {0x00646464, 0x80C8C8C8, false, 1, 255, 0x00FFFFFF},  // held at 255
        {0x00C8C8C8, 0xFF000000, true, 7, 255, 0xFF000000},   // black multiplies
        {0x00C8C8C8, 0xFFFFFFFF, false, 7, 255, 0xFFFFFFFF},  // white screens
        {0x00C8C8C8, 0xFF808080, false, 7, 255, 0xFFC7C7C7},  // middle grey keeps (nearly)
        {0x00000000, 0xFF808080, false, 7, 255, 0xFF000000},  // held at 0, not -1
        {0x00C8C8C8, 0xFF000000, false, 7, 128, 0xFF636363},  // mixed by the opacity
        {0x00646464, 0x80C8C8C8, false, 8, 255, 0xFFA4A4A4},  // 100 * 65536 / (65536 - 200 * 128)
        {0x00646464, 0x80C8C8C8, true, 8, 100, 0xFF7D7D7D},   // dodge 164 mixed at 100
    };
    for (int32_t mode : {2, 3, 4, 5, 6, 9, 12, 15})
        rows.push_back({0x00646464, 0xFFC8C8C8, false, mode, 255, 0x00646464});
    for (const Row& r : rows) {
        Scene s(1, 1);
        s.add(1, solid(1, 1, r.d, false));
        s.add(2, solid(1, 1, r.s, r.alpha));
        s.show(0, 1, 0, 0, 0);
        s.show(1, 2, 0, 0, 1, spriteattr::kHasOpacity | r.opacity << 8 | r.mode << 16);
        s.composeAll();
        EXPECT_EQ(at(s, 0, 0), r.expected) << std::hex << r.d << " " << r.s << " mode " << std::dec
                                           << r.mode << " a " << r.opacity;
    }
}

TEST(Composer, TheFirstSpriteIsCopiedLaterOnesAreKeyed) {
    Scene s(32, 16);
    s.add(1, keyedPicture(16, 16));
    s.show(0, 1, 0, 0, 0);
    s.show(1, 1, 16, 0, 0);
    s.composeAll();
    EXPECT_EQ(at(s, 0, 0), 0x0000FF00u);   // the key colour copied over the cleared buffer
    EXPECT_EQ(at(s, 16, 0), 0u);           // keyed
    EXPECT_EQ(at(s, 5, 5), at(s, 21, 5));  // the middle alike
    EXPECT_NE(at(s, 21, 5), 0u);
}

TEST(Composer, EqualsTheBlitsItIsMadeOf) {
    // Opacity below 255 is blendcopy, blend mode 8 is pscopydiv, a mask is acmcopy with the mask
    // aligned to the source rectangle.
    auto background = gradientPicture(40, 30);
    auto disc = discPicture(16, 0x2060E0);
    auto plain = gradientPicture(16, 16);
    auto mask = rampMask(24, 20);
    BlitContext c;
    struct Row {
        const char* what;
        const Frame* source;
        int32_t attributes;
        bool masked;
        std::function<void(Frame&)> reference;
    };
    std::vector<Row> rows = {
        {"blendcopy", plain.get(), spriteattr::kHasOpacity | 90 << 8, false,
         [&](Frame& d) { blendcopy(c, *plain, 0, 0, d, 7, 5, 16, 16, 90); }},
        {"blendcopy alpha", disc.get(), spriteattr::kHasOpacity | 200 << 8, false,
         [&](Frame& d) { blendcopy(c, *disc, 0, 0, d, 7, 5, 16, 16, 200); }},
        {"pscopydiv", disc.get(), spriteattr::kHasOpacity | 150 << 8 | 8 << 16, false,
         [&](Frame& d) { pscopydiv(c, d, 7, 5, *disc, 0, 0, d, 7, 5, 16, 16, 150); }},
        {"acmcopy", plain.get(), 1 << 16, true,
         [&](Frame& d) {
             acmcopy(c, *plain, 2, 1, d, 7, 5, mask.get(), 2, 1, d, 7, 5, 12, 10,
                     MaskCurve{-20, 5, 2});
         }},
    };
    for (const Row& r : rows) {
        Scene s(40, 30);
        s.add(1, cloneFrame(*background));
        s.add(2, cloneFrame(*r.source));
        s.add(3, cloneFrame(*mask));
        s.show(0, 1, 0, 0, 0);
        Sprite& sp = s.show(1, 2, 7, 5, 1, r.attributes);
        if (r.masked) {
            sp.srcX = 2, sp.srcY = 1, sp.srcWidth = sp.width = 12, sp.srcHeight = sp.height = 10;
            sp.maskFrame = 3, sp.maskParam1 = -20, sp.maskParam2 = 5, sp.maskParam3 = 2;
        }
        s.composeAll();
        auto expected = createFrame(40, 30, 32, 0);
        copy(c, *background, 0, 0, *expected, 0, 0, 40, 30);
        r.reference(*expected);
        EXPECT_TRUE(samePixels(*s.screen, *expected)) << r.what;
    }
}

TEST(Composer, WrappingOffsetsAndGroupAlpha) {
    Scene s(640, 8);
    s.add(1, solid(16, 4, 0x00FF0000, false));
    s.show(0, 1, -10, 0, 0, spriteattr::kWrapX);
    Sprite& grouped = s.show(1, 1, 100, 4, 1, 3 << 4);
    s.composeAll();
    // Drawn at 630 and at -10.
    EXPECT_EQ(at(s, 629, 0), 0u);
    EXPECT_EQ(at(s, 630, 0), 0x00FF0000u);
    EXPECT_EQ(at(s, 639, 0), 0x00FF0000u);
    EXPECT_EQ(at(s, 5, 0), 0x00FF0000u);
    EXPECT_EQ(at(s, 6, 0), 0u);
    // Group 3 shows nothing until its alpha is set; its offsets add to group 0's.
    EXPECT_EQ(at(s, 100, 4), 0u);
    s.layer.groups[3] = {2, 1, 255};
    s.layer.groups[0].offsetX = 10;
    s.composeAll();
    EXPECT_EQ(at(s, 111, 5), 0u);
    EXPECT_EQ(at(s, 112, 5), 0x00FF0000u);
    EXPECT_EQ(at(s, 639, 0), 0u);  // the wrapped sprite moved to 640 -> 0
    EXPECT_EQ(at(s, 0, 0), 0x00FF0000u);
    s.layer.groups[3].groupAlpha = 128;
    s.composeAll();
    EXPECT_EQ(at(s, 112, 5), 0x007F0000u);  // (255 * 128) >> 8, alpha byte 0
    (void)grouped;
}

// The MMX switch (the settings, --no-simd) picks the formula of masked sprites in what the window
// shows.
TEST(Composer, TheMmxSwitchPicksTheMaskFormula) {
    for (int mmx : {0, 1}) {
        TestGame game;
        Engine& e = game.engine();
        e.app.hasMmx = mmx;
        command(e, "screen", {16, 8, 0, 2});
        Scene s(16, 8);
        for (Frame* f :
             {e.frames->place(1, solid(16, 8, 0xFF3080C0, false)),
              e.frames->place(2, gradientPicture(16, 8)), e.frames->place(3, rampMask(16, 8))})
            s.add(f->slot, cloneFrame(*f));
        for (int i = 0; i < 2; ++i) {
            command(e, "spget", {});
            command(e, "spset", {i, i + 1, 0, 0, 0, 0});
            command(e, "spmove", {i, 0, 0, 0, 0, 0, i, 0.0});
        }
        command(e, "spatr", {1, 3, -20, 10, 2});
        e.sceneChanged = 1;
        display::present(e);
        s.show(0, 1, 0, 0, 0);
        Sprite& masked = s.show(1, 2, 0, 0, 1);
        masked.maskFrame = 3, masked.maskParam1 = -20, masked.maskParam2 = 10,
        masked.maskParam3 = 2;
        s.layer.dirty = DirtyRect{0, 0, 15, 7};
        Composer c{*s.screen, s.layer, *s.frames, BlitContext{mmx != 0, SimdLevel::None, nullptr},
                   0};
        composeSoftware(c, true);
        platform::Picture shown =
            dynamic_cast<platform::HeadlessPresenter&>(e.host.presenter()).picture();
        Image expected = s.image();
        for (size_t i = 0; i < shown.pixels.size(); ++i)
            ASSERT_EQ(shown.pixels[i], expected.pixels[i] | 0xFF000000u) << mmx << " at " << i;
    }
}

TEST(Composer, ASpriteShowsWhateverFrameItsSlotHolds) {
    Scene s(8, 8);
    s.add(2, solid(4, 4, 0xFF112233, false));
    s.show(0, 2, 0, 0, 0);
    s.frames->destroy(2);
    s.composeAll();
    EXPECT_EQ(at(s, 1, 1), 0u);  // an empty slot is skipped
    s.add(2, solid(4, 4, 0xFF445566, false));
    s.composeAll();
    EXPECT_EQ(at(s, 1, 1), 0xFF445566u);
}

TEST(Composer, UnscaledSpritesAreClippedToTheDirtyRectangle) {
    Scene s(32, 16);
    s.add(1, solid(32, 16, 0xFF405060, false));
    s.add(2, solid(4, 4, 0xFF0000FF, false));
    s.show(0, 1, 0, 0, 0);
    Sprite& big = s.show(1, 2, 20, 2, 1);
    big.width = 8;  // scaled: drawn whole
    s.layer.dirty = DirtyRect{2, 3, 9, 6};
    s.compose();
    EXPECT_EQ(at(s, 1, 3), 0u);
    EXPECT_EQ(at(s, 2, 3), 0xFF405060u);
    EXPECT_EQ(at(s, 9, 6), 0xFF405060u);
    EXPECT_EQ(at(s, 10, 6), 0u);
    EXPECT_EQ(at(s, 27, 2), 0xFF0000FFu);
}

TEST(Composer, TheWave) {
    WaveParams w;
    w.amplitude = 10;
    w.top = 2;
    w.bottom = 6;
    w.paramB = 0.25f;
    w.paramC = 0;
    EXPECT_EQ(waveShift(w, 1, 1.0f), 0);
    EXPECT_EQ(waveShift(w, 6, 1.0f), 0);
    EXPECT_EQ(waveShift(w, 2, 1.0f), 2);  // 10 * sin(0.25) = 2.47
    w.amplitude = -10;
    EXPECT_EQ(waveShift(w, 5, 1.0f), -2);  // truncated toward zero
    // The first sprite's rows move; the dirty rectangle spans the screen's width over the rows.
    Scene s(16, 8);
    s.add(1, gradientPicture(16, 8));
    s.show(0, 1, 0, 0, 0);
    s.layer.wave = {3, 2, 5, 2.0f, 1.5707964f, 0.0f};
    s.layer.dirty = DirtyRect{4, 4, 6, 4};
    s.compose(1.0f);
    EXPECT_EQ(s.layer.dirty, (DirtyRect{0, 2, 15, 5}));
    auto picture = gradientPicture(16, 8);
    EXPECT_EQ(at(s, 3, 2), getColour(*picture, 0, 2));
    EXPECT_EQ(at(s, 2, 2), 0u);
    EXPECT_EQ(at(s, 0, 1), 0u);  // outside the dirty rectangle

    EXPECT_EQ(at(s, 0, 5), getColour(*picture, 0, 5));
}

}  // namespace
}  // namespace rs::test
