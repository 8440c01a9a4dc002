// The sprite commands as scripts call them: the screen, handles and their errors, the display
// list, offset groups, screen-mode queries and hit tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/scene_support.h"
#include "display/sprite_commands.h"
#include "platform/headless_host.h"

namespace rs::test {
namespace {

using graphics::Sprite;

struct SpriteGame {
    TestGame game;
    Engine& e = game.engine();
    graphics::SpriteLayer& layer = e.display->sprites;

    int32_t run(const char* name, const std::vector<Arg>& args) { return command(e, name, args); }
    Sprite& sprite(int32_t h) { return layer.sprites[static_cast<size_t>(h)]; }
    graphics::Frame& frame(int32_t slot, int32_t w, int32_t h, bool alpha = false,
                           uint32_t fill = 0xFF102030u) {
        auto f = graphics::createFrame(w, h, 32, alpha ? 2 : 0);
        for (int32_t y = 0; y < h; ++y) {
            for (int32_t x = 0; x < w; ++x) graphics::putPixel(*f, x, y, fill);
        }
        return *e.frames->place(slot, std::move(f));
    }
    std::string last(const char* caption) {
        auto t = game.boxTexts(caption);
        return t.empty() ? "" : t.back();
    }
    std::string fatal() { return last("ゲームシステムの致命的なエラー"); }
    std::string warning() { return last("ゲームシステムのエラー"); }
    // The display list's handles from the head.
    std::vector<int32_t> list() {
        std::vector<int32_t> out;
        for (int32_t i = layer.head; i >= 0; i = sprite(i).next) out.push_back(i);
        return out;
    }
    auto& window() { return dynamic_cast<platform::HeadlessWindow&>(e.host.window()); }
    auto& presenter() { return dynamic_cast<platform::HeadlessPresenter&>(e.host.presenter()); }
};

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(SpriteCommands, ScreenCreatesThenResizesTheDisplay) {
    SpriteGame g;
    EXPECT_EQ(g.run("screen", {64, 48, 0, 8}), 0);  // the software back-end
    ASSERT_TRUE(g.e.display->display);
    const graphics::Frame& screen = *g.e.display->display->screen;
    EXPECT_EQ(screen.width, 64);
    EXPECT_EQ(screen.bpp, 32);
    EXPECT_EQ(screen.placement, 0);
    EXPECT_EQ(g.presenter().picture().width, 64);
    EXPECT_EQ(g.window().clientSize().height, 48);
    EXPECT_EQ(display::spriteStatistic(g.e, 0), 8);
    // A second screen keeps the sprite table; its count is ignored.
    EXPECT_EQ(g.run("screen", {32, 24, 16, 99}), 0);
    EXPECT_EQ(g.e.display->display->screen->width, 32);
    EXPECT_EQ(display::spriteStatistic(g.e, 0), 8);
    EXPECT_EQ(g.run("screenmode", {-8}), 16);
    // A screen buffer that cannot be made keeps the old one.
    EXPECT_EQ(g.run("screen", {-5, 24, 0, 8}), -2);
    EXPECT_EQ(g.e.display->display->screen->width, 32);
    for (const auto& bad : std::vector<std::vector<int>>{
             {-1, 10, 0, 4}, {10, 10, 0, -1}, {10, 10, 0, display::kMaxSpriteCount + 1}}) {
        SpriteGame fresh;
        EXPECT_EQ(fresh.run("screen", {bad[0], bad[1], bad[2], bad[3]}), -1);
        EXPECT_FALSE(fresh.e.display->display);
    }
}

TEST(SpriteCommands, ScreenModeQueries) {
    SpriteGame g;
    struct Row {
        int n, before, after;
    };
    // A headless run has a 1920 x 1080 desktop and stays in window mode.
    std::vector<Row> rows = {{-2, 1920, 1920}, {-3, 1080, 1080}, {-4, 1920, 1920}, {-5, 1080, 1080},
                             {-6, 240, 320},   {-7, 120, 200},   {-8, 32, 32},     {-9, 240, 320},
                             {-10, 120, 200},  {0, 0, 0},        {1, 0, 0},        {5, 0, 0}};
    for (const Row& r : rows) EXPECT_EQ(g.run("screenmode", {r.n}), r.before) << r.n;
    g.run("screen", {320, 200, 0, 4});
    for (const Row& r : rows) EXPECT_EQ(g.run("screenmode", {r.n}), r.after) << r.n;
    EXPECT_EQ(g.fatal(), "");
}

TEST(SpriteCommands, SpriteTableCommandsBeforeTheScreenStopTheScript) {
    struct Row {
        const char* name;
        std::vector<Arg> args;
    };
    std::vector<Row> rows = {
        {"spget", {}},          {"spset", {0, 0, 0, 0, 0, 0}}, {"spreset", {0}},
        {"spmove2", {0, 0, 0}}, {"spatr", {0, 0, 0, 0, 1}},    {"sphit", {-1, 0, 0}}};
    for (const Row& r : rows) {
        SpriteGame g;
        command(g.e, r.name, r.args);
        EXPECT_TRUE(has(g.fatal(), std::string("場所：") + r.name + " ")) << r.name << g.fatal();
        EXPECT_TRUE(has(g.fatal(), "スクリーンが作成されていません")) << r.name;
    }
    // Offset groups, the wave and the screen queries exist before the screen.
    SpriteGame g;
    g.run("splayer", {2, 5, 6, 128});
    g.run("spwave", {3, 0, 100, 1.0, 2.0, 0.5});
    EXPECT_EQ(g.run("screenmode", {-6}), 240);
    EXPECT_EQ(g.game.boxes().size(), 0u);
    EXPECT_EQ(g.layer.groups[2].groupAlpha, 128);
    EXPECT_EQ(g.layer.wave.amplitude, 3);
    EXPECT_FLOAT_EQ(g.layer.wave.paramC, 0.5f);
}

TEST(SpriteCommands, SpgetTakesTheLowestFreeSlotAndResetsIt) {
    SpriteGame g;
    g.run("screen", {64, 48, 0, 3});
    EXPECT_EQ(g.run("spget", {}), 0);
    EXPECT_EQ(g.run("spget", {}), 1);
    EXPECT_EQ(g.run("spget", {}), 2);
    g.run("spatr", {1, 4, 7, 8, 9});
    g.run("spset", {1, 3, 0, 0, 5, 5});
    g.run("spreset", {1});
    EXPECT_EQ(display::spriteStatistic(g.e, 1), 2);
    EXPECT_EQ(g.run("spget", {}), 1);
    const Sprite& s = g.sprite(1);
    EXPECT_EQ(s.frame, -1);
    EXPECT_EQ(s.priority, -1);
    EXPECT_EQ(s.maskFrame, -1);
    EXPECT_EQ(s.maskParam1, 0);
    EXPECT_EQ(s.maskParam3, 1);
    EXPECT_EQ(g.fatal(), "");
    g.run("spget", {});
    EXPECT_TRUE(has(g.fatal(), "場所：spget ")) << g.fatal();
    EXPECT_TRUE(has(g.fatal(), "スプライトが足りません"));
}

TEST(SpriteCommands, BadHandlesAreReportedAndSkipped) {
    struct Row {
        const char* name;
        std::vector<Arg> rest;
    };
    std::vector<Row> rows = {{"spset", {1, 0, 0, 4, 4}},
                             {"spmove", {0, 5, 5, 4, 4, 1, 0.0}},
                             {"spmove2", {7, 7}},
                             {"spatr", {1, 0, 0, 1}}};
    struct Handle {
        int h;
        const char* message;
    };
    for (const Row& r : rows) {
        for (Handle h :
             {Handle{-1, "ハンドルが負数です"}, Handle{4, "ハンドルが範囲を超えています"},
              Handle{2, "使用していないスプライト番号です"}}) {
            SpriteGame g;
            g.run("screen", {64, 48, 0, 4});
            g.run("spget", {});
            std::vector<Arg> args = {h.h};
            args.insert(args.end(), r.rest.begin(), r.rest.end());
            command(g.e, r.name, args);
            runtime::ScriptThread* t = g.e.threads.at(0);
            EXPECT_TRUE(has(g.warning(), h.message)) << r.name << " " << h.h;
            EXPECT_TRUE(has(g.warning(), std::string("場所：") + r.name + " ")) << r.name;
            EXPECT_EQ(g.fatal(), "");
            EXPECT_FALSE(t->failed);
            EXPECT_EQ(t->psp, 0);
        }
    }
}

TEST(SpriteCommands, SpresetErrorsAreFatal) {
    struct Row {
        int handle;
        const char* message;
    };
    for (Row r :
         {Row{-3, "無効なスプライト番号「-3」です"}, Row{9, "無効なスプライト番号「9」です"},
          Row{1, "1は使用していないスプライト番号です"}}) {
        SpriteGame g;
        g.run("screen", {64, 48, 0, 4});
        g.run("spget", {});
        g.run("spreset", {r.handle});
        EXPECT_TRUE(has(g.fatal(), r.message)) << g.fatal();
        EXPECT_TRUE(has(g.fatal(), "場所：spreset "));
    }
}

TEST(SpriteCommands, SpsetTakesSizesFromTheFrame) {
    SpriteGame g;
    g.run("screen", {64, 48, 0, 4});
    g.frame(5, 20, 10);
    int h = g.run("spget", {});
    Sprite& s = g.sprite(h);
    g.run("spset", {h, 5, 2, 3, 0, 0});
    EXPECT_EQ(std::vector<int>({s.frame, s.srcX, s.srcY, s.srcWidth, s.srcHeight}),
              std::vector<int>({5, 2, 3, 20, 10}));
    g.run("spset", {h, 5, 2, 3, 7, -1});
    EXPECT_EQ(std::vector<int>({s.srcWidth, s.srcHeight}), std::vector<int>({7, 10}));
    // Frame -1 moves the source rectangle only.
    g.run("spset", {h, -1, 4, 6, 99, 99});
    EXPECT_EQ(std::vector<int>({s.frame, s.srcX, s.srcY, s.srcWidth, s.srcHeight}),
              std::vector<int>({5, 4, 6, 7, 10}));
    // An empty slot keeps the sizes as given; a number past the table shows nothing.
    g.run("spset", {h, 6, 0, 0, 0, -2});
    EXPECT_EQ(std::vector<int>({s.frame, s.srcWidth, s.srcHeight}), std::vector<int>({6, 0, -2}));
    g.run("spset", {h, 9000, 0, 0, 8, 8});
    g.run("spmove", {h, 0, 0, 0, 0, 0, 1, 0.0});
    g.e.sceneChanged = 1;
    display::present(g.e);
    EXPECT_EQ(g.presenter().picture().pixels[0], 0xFF000000u);
    EXPECT_EQ(g.fatal(), "");
}

TEST(SpriteCommands, TheDisplayListOrdersByPriority) {
    SpriteGame g;
    g.run("screen", {64, 48, 0, 6});
    g.frame(1, 16, 8);
    for (int i = 0; i < 4; ++i) {
        g.run("spget", {});
        g.run("spset", {i, 1, 0, 0, 0, 0});
    }
    g.run("spmove", {0, 0, 0, 0, 0, 0, 5, 0.0});
    g.run("spmove", {1, 0, 0, 0, 0, 0, 5, 0.0});
    g.run("spmove", {2, 0, 0, 0, 0, 0, 3, 0.0});
    EXPECT_EQ(g.list(), std::vector<int>({2, 0, 1}));
    // Width and height 0 show the source size.
    EXPECT_EQ(g.sprite(2).width, 16);
    EXPECT_EQ(g.sprite(2).height, 8);
    g.run("spmove", {3, 0, 0, 0, 0, 0, 5, 0.0});
    g.run("spmove", {2, 0, 0, 0, 0, 0, 9, 0.0});
    EXPECT_EQ(g.list(), std::vector<int>({0, 1, 3, 2}));
    g.run("spmove", {0, 0, 0, 0, 0, 0, -1, 0.0});
    g.run("spreset", {3});
    EXPECT_EQ(g.list(), std::vector<int>({1, 2}));
    EXPECT_EQ(g.sprite(1).prev, -1);
    EXPECT_EQ(g.sprite(2).prev, 1);
    EXPECT_EQ(display::spriteStatistic(g.e, 1), 3);
    EXPECT_EQ(display::spriteStatistic(g.e, 2), 3);
    EXPECT_EQ(display::spriteStatistic(g.e, 7), -1);
}

TEST(SpriteCommands, SplayerSetsGroupsAndTheWindowOpacity) {
    SpriteGame g;
    g.run("splayer", {-1, 0, 0, 128});
    EXPECT_EQ(g.window().opacity(), 128);
    g.run("splayer", {-1, 0, 0, 300});
    EXPECT_EQ(g.window().opacity(), 255);
    g.run("splayer", {3, -4, 5, 77});
    EXPECT_EQ(g.layer.groups[3].offsetX, -4);
    EXPECT_EQ(g.layer.groups[3].groupAlpha, 77);
    // Only the sixteen groups exist.
    g.run("splayer", {16, 1, 1, 1});
    g.run("splayer", {-2, 1, 1, 1});
    EXPECT_EQ(g.layer.groups[0].groupAlpha, 255);
    EXPECT_EQ(g.game.boxes().size(), 0u);
}

TEST(SpriteCommands, HitTests) {
    SpriteGame g;
    g.run("screen", {64, 48, 0, 6});
    graphics::Frame& alpha = g.frame(1, 10, 10, true, 0xFF00FF00u);
    graphics::putPixel(alpha, 7, 7, 0x00FFFFFFu);  // a transparent pixel
    g.frame(2, 10, 10, false, 0);                  // black, without alpha
    for (int i = 0; i < 4; ++i) g.run("spget", {});
    g.run("spset", {0, 1, 0, 0, 0, 0});
    g.run("spmove", {0, 0, 10, 10, 0, 0, 4, 0.0});
    g.run("spset", {1, 2, 0, 0, 0, 0});
    g.run("spmove", {1, 0, 15, 15, 20, 20, 2, 0.0});  // scaled twice
    g.run("spset", {2, 2, 0, 0, 0, 0});
    g.run("spmove", {2, 0, 15, 15, 0, 0, 4, 0.0});  // same priority as 0, higher slot
    g.run("spset", {3, 1, 0, 0, 0, 0});             // not listed
    g.run("spmove", {3, 0, 0, 0, 0, 0, -1, 0.0});
    struct Row {
        int handle, x, y, expected;
    };
    std::vector<Row> rows = {
        {0, 12, 12, 4},  {0, 17, 17, -1}, {0, 20, 12, -1}, {1, 34, 34, 2},  {1, 35, 34, -1},
        {3, 2, 2, -1},   {5, 0, 0, -1},   {9, 0, 0, -1},   {-1, 12, 12, 0}, {-1, 16, 16, 0},
        {-1, 17, 17, 2}, {-1, 30, 30, 1}, {-1, 60, 5, -1},
    };
    for (const Row& r : rows)
        EXPECT_EQ(display::spriteHit(g.e, r.handle, r.x, r.y), r.expected)
            << r.handle << "," << r.x << "," << r.y;
    // Offsets move what the point hits.
    g.run("splayer", {0, 10, 0, 255});
    EXPECT_EQ(display::spriteHit(g.e, 0, 22, 12), 4);
    EXPECT_EQ(g.run("sphit", {0, 22, 12}), 4);
}

TEST(SpriteCommands, ReservedAndUnassignedIds) {
    SpriteGame g;
    EXPECT_EQ(g.run("sp775", {9}), 0);
    EXPECT_EQ(g.run("sp773", {1, 2}), -12345);
    EXPECT_EQ(g.run("sp779", {1}), -12345);
    EXPECT_EQ(g.e.threads.at(0)->psp, 0);
    EXPECT_EQ(g.e.commands.find(780), nullptr);
    EXPECT_EQ(g.e.commands.find(781), nullptr);
}

}  // namespace
}  // namespace rs::test
