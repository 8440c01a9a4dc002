// The blit commands from scripts: argument order, frame checks with their places, change reports
// and the SIMD switch.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "graphics/blit_test_support.h"
#include "shell/command_line.h"
#include "support/test_game.h"

namespace rs::test {
namespace {

using namespace graphics;

class Recorder final : public FrameChangeListener {
  public:
    void frameChanged(const Frame& f, int32_t x, int32_t y) override {
        points.push_back({f.slot, x, y});
    }
    struct P {
        int32_t slot, x, y;
        bool operator==(const P&) const = default;
    };
    std::vector<P> points;
};

struct BlitGame {
    TestGame game;
    Recorder recorder;
    BlitGame() { game.engine().frames->listener = &recorder; }
    Frame& add(int32_t slot, int32_t w, int32_t h, int32_t bpp = 32, bool alpha = false,
               uint32_t fill = 0) {
        return *game.engine().frames->place(slot, makeFrame(w, h, bpp, alpha, fill));
    }
    // Runs `body` (assembly ending with the command) and then ends.
    void run(const std::string& body) {
        game.load(body + "\n ;\n cmd end\n");
        game.run(100);
    }
    std::string fatal() {
        auto t = game.boxTexts("ゲームシステムの致命的なエラー");
        return t.empty() ? "" : t.back();
    }
};

std::string pushes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += " push " + std::to_string(v) + "\n";
    return s;
}

TEST(BlitCommands, CopyTakesArgumentsInScriptOrderAndReports) {
    BlitGame g;
    Frame& src = g.add(1, 4, 4, 32, false, 0x00112233);
    Frame& dst = g.add(2, 4, 4);
    g.run(pushes({1, 1, 0, 2, 0, 2, 3, 9}) + " cmd copy");
    EXPECT_EQ(g.fatal(), "");
    EXPECT_EQ(px(dst, 0, 2), 0x00112233u);
    EXPECT_EQ(px(dst, 2, 3), 0x00112233u);
    EXPECT_EQ(px(dst, 3, 3), 0u);
    EXPECT_EQ(px(dst, 0, 1), 0u);
    // Width 3 is cut to 4 - 1 = 3 by the source; height 9 to 2 by the destination.
    ASSERT_EQ(g.recorder.points.size(), 2u);
    EXPECT_EQ(g.recorder.points[0], (Recorder::P{2, 0, 2}));
    EXPECT_EQ(g.recorder.points[1], (Recorder::P{2, 3, 4}));
    EXPECT_EQ(dst.synced, 0);
    (void)src;
}

// Each command against the blit it runs, called with the same numbers: frames 1 (plain), 2 (with
// alpha), 3 (8-bit, for masks and maps), 4 (the destination) and 5 (a coordinate map) of random
// pixels, and arguments that all differ, so that any two taken in the wrong order draw something
// else.
TEST(BlitCommands, EveryCommandTakesItsArgumentsInScriptOrder) {
    using F = Frame* const*;  // indexed by slot
    struct Row {
        const char* command;
        std::vector<int> args;
        std::function<void(const BlitContext&, F)> blit;
    };
    const std::vector<Row> rows = {
        {"ccopy",
         {2, 1, 2, 4, 3, 4, 9, 7},
         [](auto& c, F f) { ccopy(c, *f[2], 1, 2, *f[4], 3, 4, 9, 7); }},
        {"blendcopy",
         {1, 1, 2, 4, 3, 4, 9, 7, 100},
         [](auto& c, F f) { blendcopy(c, *f[1], 1, 2, *f[4], 3, 4, 9, 7, 100); }},
        {"gcopy",
         {1, 1, 2, 4, 3, 4, 9, 7, 0x70C04020},
         [](auto& c, F f) { gcopy(c, *f[1], 1, 2, *f[4], 3, 4, 9, 7, 0x70C04020); }},
        {"ncopy",
         {2, 1, 2, 4, 3, 4, 9, 7},
         [](auto& c, F f) { ncopy(c, *f[2], 1, 2, *f[4], 3, 4, 9, 7); }},
        {"shucopy",
         {1, 1, 2, 4, 3, 4, 9, 7, 40, 200},
         [](auto& c, F f) { shucopy(c, *f[1], 1, 2, *f[4], 3, 4, 9, 7, 40, 200); }},
        {"shufull",
         {4, 1, 2, 9, 7, 0x123456, 40, 200},
         [](auto& c, F f) { shufull(c, *f[4], 1, 2, 9, 7, 0x123456, 40, 200); }},
        {"mozcopy",
         {1, 1, 2, 4, 3, 4, 9, 7, 3, 2},
         [](auto& c, F f) { mozcopy(c, *f[1], 1, 2, *f[4], 3, 4, 9, 7, 3, 2); }},
        {"zcopy",
         {1, 1, 2, 5, 3, 4, 3, 4, 9, 7},
         [](auto& c, F f) { zcopy(c, *f[1], 1, 2, 5, 3, *f[4], 3, 4, 9, 7); }},
        {"hzcopy",
         {1, 1, 2, 5, 3, 4, 3, 4, 9, 7},
         [](auto& c, F f) { hzcopy(c, *f[1], 1, 2, 5, 3, *f[4], 3, 4, 9, 7); }},
        {"modcopy",
         {1, 1, 2, 3, 2, 1, 4, 3, 4, 9, 7, 20},
         [](auto& c, F f) { modcopy(c, *f[1], 1, 2, *f[3], 2, 1, *f[4], 3, 4, 9, 7, 20); }},
        {"uvcopy",
         {2, 1, 2, 5, 2, 1, 4, 3, 4, 9, 7},
         [](auto& c, F f) { uvcopy(c, *f[2], *f[5], 2, 1, *f[4], 3, 4, 9, 7); }},
        {"pscopydiv",
         {1, 1, 2, 2, 2, 1, 4, 3, 4, 9, 7, 150},
         [](auto& c, F f) { pscopydiv(c, *f[1], 1, 2, *f[2], 2, 1, *f[4], 3, 4, 9, 7, 150); }},
        {"acmcopy",
         {1, 1, 2, 2, 2, 1, 3, 0, 3, 4, 3, 4, 9, 7, -30, 70, 2},
         [](auto& c, F f) {
             acmcopy(c, *f[1], 1, 2, *f[2], 2, 1, f[3], 0, 3, *f[4], 3, 4, 9, 7,
                     MaskCurve{-30, 70, 2});
         }},
    };
    for (const Row& r : rows) {
        std::mt19937 rng(11);
        BlitGame g;
        Frame* f[6] = {nullptr,
                       &g.add(1, 16, 12),
                       &g.add(2, 16, 12, 32, true),
                       &g.add(3, 16, 12, 8),
                       &g.add(4, 16, 12),
                       &g.add(5, 16, 12, 32, true)};
        for (int i = 1; i <= 4; ++i) randomise(*f[i], rng);
        for (int32_t y = 0; y < 12; ++y) {
            for (int32_t x = 0; x < 16; ++x)
                putPixel(*f[5], x, y, (rng() & 0xFF000000u) | (rng() % 12) << 12 | rng() % 16);
        }
        std::unique_ptr<Frame> copies[6];
        Frame* expected[6] = {};
        for (int i = 1; i <= 5; ++i) expected[i] = (copies[i] = cloneFrame(*f[i])).get();
        r.blit(plainContext(nullptr, g.game.engine().app.hasMmx != 0), expected);
        std::string body;
        for (int v : r.args) body += " push " + std::to_string(v) + "\n";
        g.run(body + " cmd " + r.command);
        EXPECT_EQ(g.fatal(), "") << r.command;
        EXPECT_TRUE(samePixels(*f[4], *expected[4])) << r.command;
        EXPECT_EQ(g.recorder.points.size(), 2u) << r.command;
    }
}

TEST(BlitCommands, FrameChecksNameTheirPlaces) {
    struct Row {
        std::string body;
        const char* place;
        const char* message;
    };
    std::vector<Row> rows = {
        {pushes({1, 0, 0, 9, 0, 0, 1, 1}) + " cmd copy", "copy(dist)", "破棄されたフレームです"},
        {pushes({9000, 0, 0, 2, 0, 0, 1, 1}) + " cmd ccopy", "ccopy(sour)", "無効なフレームです"},
        {pushes({7, 0, 0, 1, 0, 0, 2, 0, 0, 1, 1, 5}) + " cmd acopy", "acopy(sour2)",
         "破棄されたフレームです"},
        {pushes({1, 0, 0, 7, 0, 0, 2, 0, 0, 1, 1, 5}) + " cmd acopy", "acopy(dest)",
         "破棄されたフレームです"},
        {pushes({1, 0, 0, 2, 0, 0, 7, 0, 0, 1, 1, 5}) + " cmd acopy", "acopy(sour1)",
         "破棄されたフレームです"},
        {pushes({1, 0, 0, 2, 0, 0, 0, 0, 0, 7, 0, 0, 1, 1, 0, 0, 1}) + " cmd acmcopy",
         "acmcopy(dest)", "破棄されたフレームです"},
        {pushes({-1, 0, 0, 1, 1}) + " push 1\n push 2\n push 0\n" + " cmd shufull", "shufull",
         "無効なフレームです"},
        {" push 7\n pushf 0.5\n pushf 0\n" + pushes({2, 0, 0, 1, 1}) + " pushf 1\n cmd hqcopy",
         "hqcopy(sour)", "破棄されたフレームです"},
        {pushes({1, 0, 0, 2, 2, 2, 7, 0, 0, 1, 1}) + " cmd uvcopy", "uvcopy(dest)",
         "破棄されたフレームです"},
        {pushes({1, 0, 0, 2, 2, 7, 0, 0, 1, 1}) + " cmd zcopy", "zcopy(dest)",
         "破棄されたフレームです"},
    };
    for (const Row& r : rows) {
        BlitGame g;
        g.add(1, 4, 4);
        g.add(2, 4, 4);
        g.run(r.body);
        std::string text = g.fatal();
        EXPECT_NE(text.find(std::string("場所：") + r.place + " "), std::string::npos)
            << r.place << ": " << text;
        EXPECT_NE(text.find(r.message), std::string::npos) << r.place << ": " << text;
        EXPECT_TRUE(g.recorder.points.empty()) << r.place;
    }
}

TEST(BlitCommands, AcmcopyWithoutMaskFrameDrawsNothingButReports) {
    BlitGame g;
    g.add(1, 2, 2, 32, false, 0x00FFFFFF);
    g.add(2, 2, 2, 32, false, 0x00FFFFFF);
    Frame& dst = g.add(3, 2, 2, 32, false, 0x00000005);
    g.run(pushes({1, 0, 0, 2, 0, 0, 4000, 0, 0, 3, 0, 0, 2, 2, 0, 0, 1}) + " cmd acmcopy");
    EXPECT_EQ(g.fatal(), "");
    EXPECT_EQ(px(dst, 1, 1), 5u);
    EXPECT_EQ(g.recorder.points.size(), 2u);
}

TEST(BlitCommands, CnvcopyNeedsATableOf256) {
    BlitGame g;
    g.add(1, 2, 1, 8, false, 1);
    putPixel(*g.game.engine().frames->at(1), 0, 0, 0);
    Frame& dst = g.add(2, 2, 1);
    // var 5 becomes a 1-D array of 256 elements: element 0 the real 2^24, element 1 the string
    // "19088743" (0x01234567); both count as their numbers.
    std::string dimTable =
        " var 5\n push 256\n cmd dim\n ;\n push 0\n var 5\n pushf 16777216.0\n =\n ;\n"
        " push 1\n var 5\n pushs \"19088743\"\n =\n ;\n";
    g.run(dimTable + pushes({1, 0, 0, 2, 0, 0, 2, 1}) + " var 5\n cmd cnvcopy");
    EXPECT_EQ(g.fatal(), "");
    EXPECT_EQ(px(dst, 0, 0), 0x01000000u);
    EXPECT_EQ(px(dst, 1, 0), 0x01234567u);
    BlitGame bad;
    bad.add(1, 2, 1, 8);
    bad.add(2, 2, 1);
    bad.run(pushes({1, 0, 0, 2, 0, 0, 2, 1}) + " var 6\n cmd cnvcopy");
    EXPECT_NE(bad.fatal().find("変換テーブルの要素数が256ではありません"), std::string::npos)
        << bad.fatal();
}

TEST(BlitCommands, GeometricCommandsTakeReals) {
    BlitGame g;
    g.add(1, 4, 4, 32, false, 0x00ABCDEF);
    Frame& dst = g.add(2, 4, 4);
    g.run(" push 1\n pushf 0\n pushf 0\n pushf 4\n pushf 4\n" + pushes({2, 0, 0, 4, 4}) +
          " pushf 0\n cmd copyrot");
    EXPECT_EQ(g.fatal(), "");
    EXPECT_EQ(px(dst, 2, 2), 0x00ABCDEFu);
    BlitGame g2;
    g2.add(1, 4, 4, 32, false, 0x00ABCDEF);
    Frame& tri = g2.add(3, 4, 4);
    g2.run(
        " push 1\n pushf 0\n pushf 0\n pushf 3\n pushf 0\n pushf 0\n pushf 3\n push 3\n"
        " pushf 0\n pushf 0\n pushf 3\n pushf 0\n pushf 0\n pushf 3\n cmd copytrans");
    EXPECT_EQ(px(tri, 0, 0), 0x00ABCDEFu);
    EXPECT_EQ(g2.recorder.points.size(), 3u);
    BlitGame g3;
    g3.add(1, 4, 4, 32, false, 0x00ABCDEF);
    Frame& trap = g3.add(4, 4, 4);
    g3.run(pushes({1, 0, 0, 4, 4, 4}) +
           " pushf 0\n pushf 0\n pushf 3\n pushf 0\n pushf 0\n pushf 3\n pushf 3\n pushf 3\n cmd "
           "copytrape");
    EXPECT_EQ(px(trap, 3, 3), 0x00ABCDEFu);
    EXPECT_EQ(g3.recorder.points.size(), 4u);
    // hqcopy: src, sx, sy (reals), dst, dx, dy, w, h, gamma (real).
    BlitGame g4;
    std::mt19937 rng(4);
    randomise(g4.add(1, 6, 6), rng);
    Frame& hq = g4.add(2, 6, 6);
    auto expected = cloneFrame(hq);
    hqcopy(plainContext(), *g4.game.engine().frames->at(1), 1.5f, 0.25f, *expected, 1, 2, 4, 3,
           2.2f);
    g4.run(" push 1\n pushf 1.5\n pushf 0.25\n" + pushes({2, 1, 2, 4, 3}) +
           " pushf 2.2\n cmd hqcopy");
    EXPECT_TRUE(samePixels(hq, *expected));
}

TEST(BlitCommands, SimdSwitchFromProcessorAndCommandLine) {
    TestGame game;
    if (detectSimd() != SimdLevel::None) {
        EXPECT_EQ(game.engine().app.hasMmx, 1);
    }
    shell::LaunchOptions o = shell::parseCommandLine({"--no-simd"});
    EXPECT_TRUE(o.errors.empty());
    EXPECT_EQ(o.app.hasMmx, 0);
    EXPECT_FALSE(o.app.simdAllowed);
    EXPECT_NE(std::string(shell::usageText()).find("--no-simd"), std::string::npos);
}

TEST(BlitCommands, SwitchPicksThePackedFormula) {
    for (int mmx : {0, 1}) {
        BlitGame g;
        g.game.engine().app.hasMmx = mmx;
        g.add(1, 1, 1, 32, false, 0x40000010);
        g.add(2, 1, 1, 32, false, 0xC0FF0000);
        Frame& d = g.add(3, 1, 1);
        g.run(pushes({1, 0, 0, 2, 0, 0, 3, 0, 0, 1, 1, 64}) + " cmd acopy");
        EXPECT_EQ(px(d, 0, 0), mmx ? 0x603F000Cu : 0x003F000Cu);
    }
}

}  // namespace
}  // namespace rs::test
