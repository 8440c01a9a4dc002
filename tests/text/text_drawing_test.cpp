// Layout, font sizing, renderer choice and change reports of print and print2, over a font source
// that hands out synthetic glyphs.
#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

#include "graphics/frame.h"
#include "support/test_game.h"
#include "text/font_state.h"
#include "text/glyph_renderer.h"
#include "text/text_drawing.h"

namespace rs::text {
namespace {

using test::u8;

// Every glyph is a solid box `boxW` x `boxH` bits whose top-left corner sits at the cell's
// top-left (originX 0, originY = ascent); the ascent is three quarters of the height.
class FakeFonts final : public platform::FontSource {
  public:
    struct Call {
        platform::FontRequest font;
        uint16_t code;
        bool quarterTurn;
    };
    int32_t boxW = 8, boxH = 8;
    bool zeroAscent = false;
    std::vector<uint16_t> missing;
    std::vector<Call> calls;

    std::vector<std::string> faceNames(size_t limit) override {
        std::vector<std::string> names = {"ＭＳ ゴシック", "ＭＳ 明朝", "IPAMincho"};
        if (names.size() > limit) names.resize(limit);
        return names;
    }
    bool metrics(const platform::FontRequest& f, platform::TextMetrics& out) override {
        out.ascent = zeroAscent ? 0 : f.height - f.height / 4;
        out.maxCharWidth = 2 * f.width;
        return true;
    }
    const platform::GlyphBitmap* glyph(const platform::FontRequest& f, uint16_t code,
                                       bool quarterTurn) override {
        calls.push_back({f, code, quarterTurn});
        for (uint16_t m : missing) {
            if (m == code) return nullptr;
        }
        glyph_ = platform::GlyphBitmap::blank(boxW, boxH);
        for (int32_t y = 0; y < boxH; ++y) {
            for (int32_t x = 0; x < boxW; ++x) glyph_.set(x, y);
        }
        platform::TextMetrics m;
        metrics(f, m);
        glyph_.originY = m.ascent;
        return &glyph_;
    }
    void setCaching(bool) override {}

  private:
    platform::GlyphBitmap glyph_;
};

class Reports final : public graphics::FrameChangeListener {
  public:
    std::vector<std::pair<int32_t, int32_t>> points;
    void frameChanged(const graphics::Frame&, int32_t x, int32_t y) override {
        points.push_back({x, y});
    }
};

struct Fixture {
    test::TestGame game;
    FakeFonts* fonts;
    Reports reports;
    graphics::Frame* frame;

    explicit Fixture(int32_t mode = 0, uint32_t fill = 0) {
        auto f = std::make_unique<FakeFonts>();
        fonts = f.get();
        game.engine().text->fonts = std::move(f);
        game.engine().text->fontName = "ＭＳ 明朝";
        game.engine().frames->listener = &reports;
        frame = game.engine().frames->place(0, graphics::createFrame(64, 48, 32, mode));
        for (int32_t y = 0; y < 48; ++y) {
            for (int32_t x = 0; x < 64; ++x) graphics::putPixel(*frame, x, y, fill);
        }
    }
    void run(const std::string& source) {
        game.load(source + "\n cmd end\n");
        EXPECT_TRUE(game.run(100));
    }
    uint32_t at(int32_t x, int32_t y) const { return graphics::getColour(*frame, x, y); }
};

std::string print(int32_t x, int32_t y, int32_t w, int32_t h, const std::string& colour,
                  const std::string& mode, const std::string& text) {
    return " push 0\n push " + std::to_string(x) + "\n push " + std::to_string(y) + "\n push " +
           std::to_string(w) + "\n push " + std::to_string(h) + "\n push " + colour + "\n push " +
           mode + "\n pushs \"" + text + "\"\n cmd print\n";
}

std::string print2(int32_t frame, int32_t h, const std::string& colour, const std::string& edge,
                   const std::string& background, const std::string& style) {
    return " push " + std::to_string(frame) + "\n push 0\n push 0\n push 24\n push " +
           std::to_string(h) + "\n push " + colour + "\n push " + edge + "\n push " + background +
           "\n push " + style + "\n pushs \"A\"\n cmd print2\n";
}

TEST(TextDrawing, LayoutAdvancesAndReportsEachCell) {
    Fixture fx;
    fx.run(print(10, 20, 24, 24, "0xFFFFFF", "0", u8(u8"あAい")));
    ASSERT_EQ(fx.fonts->calls.size(), 3u);
    EXPECT_EQ(fx.fonts->calls[0].code, 0x82A0);
    EXPECT_EQ(fx.fonts->calls[1].code, 0x41);
    EXPECT_EQ(fx.fonts->calls[2].code, 0x82A2);
    // Horizontal fonts at 8 times the size: height 24 * 8, width 24 / 2 * 8.
    EXPECT_EQ(fx.fonts->calls[0].font, (platform::FontRequest{"ＭＳ 明朝", 192, 96, false}));
    EXPECT_FALSE(fx.fonts->calls[0].quarterTurn);
    using P = std::pair<int32_t, int32_t>;
    // Cells enlarged by 4 to the right and down; the one-pixel outline left of the glyph's
    // first column and above its first row lies outside the cell and widens the report.
    EXPECT_EQ(fx.reports.points,
              (std::vector<P>{{9, 19}, {38, 48}, {33, 19}, {50, 48}, {45, 19}, {74, 48}}));
}

TEST(TextDrawing, MonochromeReportsExactlyTheCell) {
    Fixture fx;
    fx.run(print(10, 20, 24, 24, "0xFFFFFF", "0x00FF00", u8(u8"あA")));
    using P = std::pair<int32_t, int32_t>;
    EXPECT_EQ(fx.reports.points, (std::vector<P>{{10, 20}, {38, 48}, {34, 20}, {50, 48}}));
    // Monochrome fonts have the requested size.
    EXPECT_EQ(fx.fonts->calls[0].font, (platform::FontRequest{"ＭＳ 明朝", 24, 12, false}));
}

TEST(TextDrawing, StopsAtZeroAndInsideACutCharacter) {
    Fixture fx;
    fx.run(print(0, 0, 24, 24, "0xFFFFFF", "0", "A\\x82"));
    ASSERT_EQ(fx.fonts->calls.size(), 1u);
    EXPECT_EQ(fx.fonts->calls[0].code, 0x41);
}

TEST(TextDrawing, NegativePositionDrawsAndReportsNothing) {
    Fixture fx;
    fx.run(print(-1, 0, 24, 24, "0xFFFFFF", "0", "AB") +
           print(0, -1, 24, 24, "0xFFFFFF", "0", "AB"));
    EXPECT_TRUE(fx.fonts->calls.empty());
    EXPECT_TRUE(fx.reports.points.empty());
    EXPECT_EQ(fx.at(0, 0), 0u);
}

TEST(TextDrawing, VerticalWritingTurnsDoubleByteCharactersAndMovesDown) {
    Fixture fx;
    fx.run(print(4, 2, 20, -24, "0xFFFFFF", "0x00FF00", u8(u8"あA・")));
    ASSERT_EQ(fx.fonts->calls.size(), 3u);
    // The vertical face exchanges the roles: height 2 * |20 / 2|, width |-24| / 2.
    EXPECT_EQ(fx.fonts->calls[0].font, (platform::FontRequest{"ＭＳ 明朝", 20, 12, true}));
    EXPECT_TRUE(fx.fonts->calls[0].quarterTurn);
    EXPECT_FALSE(fx.fonts->calls[1].quarterTurn);
    // "・" is always drawn with the gothic face, also vertically.
    EXPECT_EQ(fx.fonts->calls[2].font.face, "ＭＳ ゴシック");
    EXPECT_TRUE(fx.fonts->calls[2].font.vertical);
    using P = std::pair<int32_t, int32_t>;
    // Double-byte cells are 20 x 24 and advance 24; the single-byte cell is 12 x 20.
    EXPECT_EQ(fx.reports.points,
              (std::vector<P>{{4, 2}, {28, 30}, {4, 26}, {20, 50}, {4, 46}, {28, 74}}));
}

TEST(TextDrawing, MissingGlyphsAreSkippedButTheePenAdvances) {
    Fixture fx;
    fx.fonts->missing = {0x41};
    fx.run(print(0, 0, 16, 16, "0xFFFFFF", "0x00FF00", "AB"));
    EXPECT_EQ(fx.at(0, 0), 0u);           // A: nothing
    EXPECT_EQ(fx.at(8, 0), 0xFFFFFFFFu);  // B at x = 8
    EXPECT_EQ(fx.reports.points.size(), 4u);
}

TEST(TextDrawing, SizeNormalisation) {
    Fixture fx;
    TextState& ts = *fx.game.engine().text;
    // Ascent 144 of height 192: height' = 192 * 192 / 144 = 256.
    ts.settings[4] = 1;
    EXPECT_EQ(fontFor(ts, 0x41, 24, 24, true),
              (platform::FontRequest{"ＭＳ 明朝", 256, 170, false}));
    // Setting 2: width' = 96 * 96 / (192 / 2).
    ts.settings[4] = 2;
    EXPECT_EQ(fontFor(ts, 0x41, 24, 24, true),
              (platform::FontRequest{"ＭＳ 明朝", 256, 96, false}));
    // The monochrome renderer is not normalised; a font without ascent keeps its size.
    EXPECT_EQ(fontFor(ts, 0x41, 24, 24, false),
              (platform::FontRequest{"ＭＳ 明朝", 24, 12, false}));
    fx.fonts->zeroAscent = true;
    EXPECT_EQ(fontFor(ts, 0x41, 24, 24, true),
              (platform::FontRequest{"ＭＳ 明朝", 192, 96, false}));
    // Sizes far beyond any font are passed on unnormalised (the source refuses them).
    fx.fonts->zeroAscent = false;
    EXPECT_EQ(fontFor(ts, 0x41, 24, INT32_MIN, true).width, INT32_MAX);
    ts.settings[4] = 0;
    EXPECT_EQ(fontFor(ts, 0x8145, -7, 24, true),
              (platform::FontRequest{"ＭＳ ゴシック", 192, 24, false}));
}

TEST(TextDrawing, PrintModesPickRendererAndColours) {
    // One full block at pixel (0, 0) for the supersampling renderers, an 8 x 8 box for the
    // monochrome one.
    struct Case {
        const char* mode;
        uint32_t centre, right, far;
    };
    const Case cases[] = {
        {"0", 0xFFFFFFFF, 0xFF000000, 0xFF102030},         // outlined, black edge
        {"0xC02020", 0xFFFFFFFF, 0xFFC02020, 0xFF102030},  // outlined, edge = mode
        {"0xFF0000", 0xFFFFFFFF, 0xFF102030, 0xFF102030},  // smooth
        {"0x00FF00", 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF},  // monochrome: the whole 8 x 8 box
    };
    for (const Case& c : cases) {
        Fixture fx(0, 0xFF102030);
        fx.run(print(0, 0, 16, 16, "0xFFFFFF", c.mode, "A"));
        EXPECT_EQ(fx.at(0, 0), c.centre) << c.mode;
        EXPECT_EQ(fx.at(1, 1), c.right) << c.mode;
        EXPECT_EQ(fx.at(7, 7), c.far) << c.mode;
    }
}

TEST(TextDrawing, SmoothBackgroundIsBlackOrTheFrame) {
    // A box of 8 x 4 bits covers half of pixel (0, 0).
    for (auto [mode, expected] :
         {std::pair{"0xFF0000", 0xFFB4B4B4u}, std::pair{"0x0000FF", 0xFFB4B4FFu}}) {
        Fixture fx(0, 0xFF0000FF);
        fx.fonts->boxH = 4;
        fx.run(print(0, 0, 16, 16, "0xFFFFFF", mode, "A"));
        EXPECT_EQ(fx.at(0, 0), expected) << mode;
    }
}

TEST(TextDrawing, Print2StylesAndTheAlphaWriter) {
    {
        // Style 0 (smooth) with background -1 on a frame with alpha: the alpha-building mix.
        Fixture fx(2, 0);
        fx.fonts->boxH = 4;
        fx.run(print2(0, 16, "0xFFFFFFFF", "0", "-1", "0"));
        EXPECT_EQ(fx.at(0, 0), 0x7FFFFFFFu);
    }
    {
        // A custom style: body only (the pixel itself), no edge.
        Fixture fx(0, 0xFF102030);
        fx.run(print2(0, 16, "0xFFFFFFFF", "0xFF00FF00", "-1", "0x400"));
        EXPECT_EQ(fx.at(0, 0), 0xFFFFFFFFu);
        EXPECT_EQ(fx.at(1, 0), 0xFF102030u);
    }
    {
        // Style -1: monochrome.
        Fixture fx(0, 0);
        fx.run(print2(0, 16, "0xFF00FF00", "0", "-1", "-1"));
        EXPECT_EQ(fx.at(7, 7), 0xFF00FF00u);
    }
}

TEST(TextDrawing, SpecialAndInvalidFrames) {
    {
        Fixture fx;
        fx.game.load(
            " push -2\n push 0\n push 0\n push 16\n push 16\n push 0\n push 0\n pushs \"title\"\n"
            " cmd print\n cmd end\n");
        fx.game.run(100);
        EXPECT_TRUE(fx.fonts->calls.empty());
        EXPECT_TRUE(fx.reports.points.empty());
    }
    struct Case {
        int32_t frame;
        const char* message;
    };
    for (Case c : {Case{8192, "無効なフレームです"}, Case{-3, "無効なフレームです"},
                   Case{5, "破棄されたフレームです"}}) {
        Fixture fx;
        fx.run(print2(c.frame, 16, "0", "0", "-1", "0"));
        auto fatal = fx.game.boxTexts("ゲームシステムの致命的なエラー");
        ASSERT_EQ(fatal.size(), 1u) << c.frame;
        EXPECT_NE(fatal[0].find(c.message), std::string::npos) << fatal[0];
        EXPECT_NE(fatal[0].find("print2"), std::string::npos) << fatal[0];
    }
}

}  // namespace
}  // namespace rs::text
