// Golden images of a line of mixed Japanese and ASCII text, drawn by the print commands with the
// installed IPA faces, in every renderer and in both writing directions.
#include <gtest/gtest.h>

#include "graphics/frame.h"
#include "graphics/png_io.h"
#include "support/golden.h"
#include "support/test_game.h"
#include "text/font_state.h"

namespace rs::text {
namespace {

using test::u8;

// Fills frame 0 with a mid grey so that both the text and the outline show.
graphics::Frame& greyFrame(test::TestGame& game, int32_t w, int32_t h, int32_t mode = 0) {
    graphics::Frame* f = game.engine().frames->place(0, graphics::createFrame(w, h, 32, mode));
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) graphics::putPixel(*f, x, y, 0xFF406080u);
    }
    return *f;
}

// `calls` is assembly made of print/print2 calls on frame 0.
graphics::Image drawScript(const std::string& face, int32_t w, int32_t h,
                           const std::string& calls) {
    test::TestGame game;
    game.engine().text->fontName = face;
    graphics::Frame& f = greyFrame(game, w, h);
    game.load(calls + "\n cmd end\n");
    EXPECT_TRUE(game.run(100));
    EXPECT_TRUE(game.boxes().empty());
    return graphics::imageFromFrame(f);
}

// One print call: frame 0 at (x, y), with a cell of `size` pixels.
std::string print(int32_t x, int32_t y, int32_t size, int32_t height, const std::string& colour,
                  const std::string& mode, const std::string& text) {
    return " push 0\n push " + std::to_string(x) + "\n push " + std::to_string(y) + "\n push " +
           std::to_string(size) + "\n push " + std::to_string(height) + "\n push " + colour +
           "\n push " + mode + "\n pushs \"" + text + "\"\n cmd print\n";
}

const std::string kLine = u8(u8"漢字とかな、ASCII text 123。「ー」");

TEST(TextGolden, HorizontalLinesInEachRenderer) {
    std::string calls =
        print(4, 4, 24, 24, "0xFFFFFF", "0", kLine) +           // outlined, black edge
        print(4, 36, 24, 24, "0xFFE0A0", "0x0000FF", kLine) +   // smooth over the frame
        print(4, 68, 24, 24, "0xFFFFFF", "0xFF0000", kLine) +   // smooth over black
        print(4, 100, 24, 24, "0xFFFFFF", "0x00FF00", kLine) +  // monochrome
        print(4, 132, 24, 24, "0xFFFFFF", "0xC02020", kLine);   // outlined, red edge
    test::expectMatchesGolden(drawScript("ＭＳ ゴシック", 420, 164, calls),
                              "text_horizontal_gothic");
    test::expectMatchesGolden(drawScript("ＭＳ 明朝", 420, 164, calls), "text_horizontal_mincho");
}

TEST(TextGolden, VerticalColumnsInEachRenderer) {
    std::string column = u8(u8"縦書き、ABの「テスト」。ー");
    std::string calls = print(4, 4, 24, -24, "0xFFFFFF", "0", column) +
                        print(36, 4, 24, -24, "0xFFE0A0", "0x0000FF", column) +
                        print(68, 4, 24, -24, "0xFFFFFF", "0x00FF00", column) +
                        print(100, 4, 24, -24, "0xFFFFFF", "0xC02020", column);
    test::expectMatchesGolden(drawScript("ＭＳ ゴシック", 132, 330, calls), "text_vertical_gothic");
}

TEST(TextGolden, StrokeEffectsAndSizeNormalisation) {
    // textset(key, value) before each line; the value it pushes goes to a variable.
    auto set = [](int key, int value) {
        return " var 100\n push " + std::to_string(key) + "\n push " + std::to_string(value) +
               "\n cmd textset\n =\n ;\n";
    };
    std::string line = u8(u8"線の太さ Stroke");
    std::string calls = set(0, 6) + print(4, 4, 24, 24, "0xFFFFFF", "0", line) + set(0, 0) +
                        set(1, 3) + print(4, 36, 24, 24, "0xFFFFFF", "0", line) + set(1, 0) +
                        set(2, 4) + print(4, 68, 24, 24, "0xFFFFFF", "0", line) + set(2, 0) +
                        set(3, 2) + print(4, 100, 24, 24, "0xFFFFFF", "0", line) + set(3, 0) +
                        set(4, 2) + print(4, 132, 24, 24, "0xFFFFFF", "0", line);
    test::expectMatchesGolden(drawScript("ＭＳ ゴシック", 260, 166, calls), "text_effects_gothic");
}

}  // namespace
}  // namespace rs::text
