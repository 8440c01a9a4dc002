// Glyphs and metrics from the installed IPA faces.
#include <gtest/gtest.h>

#include "platform/font_source.h"

namespace rs::platform {
namespace {

bool sameGlyph(const GlyphBitmap* a, const GlyphBitmap* b) {
    if (!a || !b) return a == b;
    return a->blackBoxX == b->blackBoxX && a->blackBoxY == b->blackBoxY &&
           a->originX == b->originX && a->originY == b->originY && a->cellIncX == b->cellIncX &&
           a->cellIncY == b->cellIncY && a->pitch == b->pitch && a->bits == b->bits;
}

// A copy, since a glyph stays valid only until the next call.
std::optional<GlyphBitmap> take(const GlyphBitmap* g) {
    return g ? std::optional<GlyphBitmap>(*g) : std::nullopt;
}
const GlyphBitmap* ptr(const std::optional<GlyphBitmap>& g) { return g ? &*g : nullptr; }

TEST(FontSource, MetricsFollowTheCellHeightAndWidth) {
    auto fonts = createSystemFontSource();
    TextMetrics m;
    // IPA faces: ascender 1802 and descender 246 of 2048 units; the widest advance is one em.
    ASSERT_TRUE(fonts->metrics({"IPAGothic", 24, 12, false}, m));
    EXPECT_EQ(m.ascent, 21);
    EXPECT_EQ(m.maxCharWidth, 24);
    ASSERT_TRUE(fonts->metrics({"IPAGothic", 192, 0, false}, m));
    EXPECT_EQ(m.ascent, 169);
    EXPECT_EQ(m.maxCharWidth, 192);
    EXPECT_FALSE(fonts->metrics({"IPAGothic", 0, 12, false}, m));
    EXPECT_FALSE(fonts->metrics({"IPAGothic", 100000, 12, false}, m));
}

TEST(FontSource, GlyphsOfShiftJisCharacters) {
    auto fonts = createSystemFontSource();
    FontRequest f{"ＭＳ ゴシック", 24, 12, false};
    const GlyphBitmap* a = fonts->glyph(f, 0x82A0, false);  // あ
    ASSERT_NE(a, nullptr);
    EXPECT_GT(a->blackBoxX, 10);
    EXPECT_LE(a->blackBoxX, 24);
    EXPECT_GT(a->originY, 10);
    EXPECT_EQ(a->cellIncX, 24);
    EXPECT_EQ(a->pitch % 4, 0);
    const GlyphBitmap* latin = fonts->glyph(f, 'A', false);
    ASSERT_NE(latin, nullptr);
    EXPECT_EQ(latin->cellIncX, 12);
    const GlyphBitmap* space = fonts->glyph(f, ' ', false);
    ASSERT_NE(space, nullptr);
    for (uint8_t b : space->bits) EXPECT_EQ(b, 0);
    // 0x80 and a control character have no glyph; neither does a lead byte alone.
    EXPECT_EQ(fonts->glyph(f, 0x80, false), nullptr);
    EXPECT_EQ(fonts->glyph(f, 0x01, false), nullptr);
    EXPECT_EQ(fonts->glyph({"IPAGothic", 0, 12, false}, 'A', false), nullptr);
}

TEST(FontSource, WindowsNamesAndMissingFacesDrawWithInstalledFaces) {
    auto fonts = createSystemFontSource();
    auto same = [&](const char* a, const char* b, uint16_t code) {
        auto ga = take(fonts->glyph({a, 48, 24, false}, code, false));
        auto gb = take(fonts->glyph({b, 48, 24, false}, code, false));
        return ga && sameGlyph(ptr(ga), ptr(gb));
    };
    EXPECT_TRUE(same("ＭＳ 明朝", "IPAMincho", 0x8ABF));
    EXPECT_TRUE(same("ms pgothic", "IPAPGothic", 0x8ABF));
    EXPECT_TRUE(same("No Such Face", "IPAGothic", 0x8ABF));
    EXPECT_TRUE(same("", "IPAGothic", 0x8ABF));
    EXPECT_FALSE(same("IPAMincho", "IPAGothic", 0x8ABF));
}

TEST(FontSource, VerticalFormsStandUpright) {
    auto fonts = createSystemFontSource();
    FontRequest v{"IPAGothic", 24, 12, true};
    // "。" and "ー" have vertical forms; "あ" has none and looks the same turned or not.
    auto dot = take(fonts->glyph(v, 0x8142, false));
    auto dotTurned = take(fonts->glyph(v, 0x8142, true));
    ASSERT_TRUE(dot && dotTurned);
    EXPECT_LT(dot->originX, 12);        // lower left of the cell
    EXPECT_GT(dotTurned->originX, 12);  // upper right
    EXPECT_GT(dotTurned->originY, dot->originY);
    auto bar = take(fonts->glyph(v, 0x815B, true));
    ASSERT_TRUE(bar);
    EXPECT_GT(bar->blackBoxY, bar->blackBoxX);
    auto a = take(fonts->glyph(v, 0x82A0, false));
    const GlyphBitmap* turned = fonts->glyph(v, 0x82A0, true);
    ASSERT_TRUE(a && turned);
    EXPECT_EQ(turned->bits, a->bits);
    EXPECT_EQ(turned->originX, a->originX);
    EXPECT_EQ(turned->originY, a->originY);
}

TEST(FontSource, CachedGlyphsEqualUncachedOnes) {
    auto cached = createSystemFontSource();
    auto plain = createSystemFontSource();
    plain->setCaching(false);
    const uint16_t codes[] = {0x8ABF, 0x82A0, 'g', 0x8142, 0x815B, 0x8145, 0xB1};
    for (int round = 0; round < 2; ++round) {
        for (bool vertical : {false, true}) {
            for (uint16_t code : codes) {
                for (int32_t height : {24, 192, 200}) {
                    FontRequest f{"ＭＳ 明朝", height, height / 2 - round, vertical};
                    bool wide = code > 0xFF;
                    auto a = take(cached->glyph(f, code, vertical && wide));
                    EXPECT_TRUE(sameGlyph(ptr(a), plain->glyph(f, code, vertical && wide)))
                        << code << " " << height;
                }
            }
        }
    }
}

}  // namespace
}  // namespace rs::platform
