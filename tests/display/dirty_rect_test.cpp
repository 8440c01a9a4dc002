// The dirty rectangle: what each command marks, how frame changes map through sprites, what a
// presentation transfers, and that redrawing only the dirty part shows what a full redraw shows.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "display/scene_support.h"
#include "graphics/blit.h"
#include "platform/headless_host.h"

namespace rs::test {
namespace {

using graphics::DirtyRect;

DirtyRect rect(int32_t l, int32_t t, int32_t r, int32_t b) { return DirtyRect{l, t, r, b}; }

std::string show(const DirtyRect& d) {
    return std::to_string(d.left) + "," + std::to_string(d.top) + "," + std::to_string(d.right) +
           "," + std::to_string(d.bottom);
}

TEST(DirtyRect, MarksGrowEachEdgeOnItsOwnAndClipToTheScreen) {
    DirtyRect d;
    EXPECT_TRUE(d.empty());
    d.mark(5, 7);
    EXPECT_EQ(d, rect(5, 7, 5, 7));
    d.mark(1500, -3);
    EXPECT_EQ(d, rect(5, -3, 1500, 7));
    d.clip(640, 480);
    EXPECT_EQ(d, rect(5, 0, 639, 7));
    DirtyRect far;
    far.mark(1200, 1300);  // the empty rectangle's left and top stay at 1000
    EXPECT_EQ(far, rect(1000, 1000, 1200, 1300));
    far.clip(640, 480);
    EXPECT_TRUE(far.empty());
}

// A 200 x 150 screen; sprite 0 shows frame 1 (20 x 10) at (10, 20) enlarged to 30 x 40, sprite 1
// is taken but not listed.
struct MarkGame {
    TestGame game;
    Engine& e = game.engine();
    DirtyRect& dirty = e.display->sprites.dirty;
    MarkGame() {
        command(e, "screen", {200, 150, 0, 4});
        e.frames->place(1, graphics::createFrame(20, 10, 32, 0));
        command(e, "spget", {});
        command(e, "spget", {});
        command(e, "spset", {0, 1, 0, 0, 0, 0});
        command(e, "spmove", {0, 0, 10, 20, 30, 40, 1, 0.0});
        dirty.reset();
    }
};

TEST(DirtyRect, WhatEachCommandMarks) {
    struct Step {
        const char* command;  // "reset" forgets what was marked so far
        std::vector<Arg> args;
    };
    struct Row {
        const char* what;
        std::vector<Step> steps;
        DirtyRect expected;
    };
    DirtyRect none;
    DirtyRect old = rect(10, 20, 40, 60);
    const std::vector<Row> rows = {
        {"unchanged spmove", {{"spmove", {0, 0, 10, 20, 30, 40, 1, 0.0}}}, none},
        {"spmove to the source size", {{"spmove", {0, 0, 10, 20, 0, 0, 1, 0.0}}}, old},
        {"spmove priority only", {{"spmove", {0, 0, 10, 20, 30, 40, 2, 0.0}}}, old},
        {"spmove hidden", {{"spmove", {0, 0, 50, 60, 30, 40, -1, 0.0}}}, old},
        {"spmove2", {{"spmove2", {0, 50, 60}}}, rect(10, 20, 80, 100)},
        {"spmove2 of an unlisted sprite", {{"spmove2", {1, 50, 60}}}, none},
        {"spset as stored", {{"spset", {0, 1, 0, 0, 20, 10}}}, none},
        {"spset with sizes from the frame", {{"spset", {0, 1, 0, 0, 0, 0}}}, old},
        {"spset of the position", {{"spset", {0, -1, 2, 2, 0, 0}}}, old},
        {"spatr", {{"spatr", {0, 3, 0, 0, 1}}}, old},
        {"spreset", {{"spreset", {0}}}, old},
        {"splayer", {{"splayer", {2, 1, 1, 1}}}, rect(0, 0, 200, 150)},
        {"splayer unchanged", {{"splayer", {0, 0, 0, 255}}}, none},
        {"spwave", {{"spwave", {4, 0, 100, 1.0, 1.0, 1.0}}}, none},
        // Wrapped: the sprite at -10 and its copy at 190.
        {"spmove wrapping", {{"spmove", {0, 1, -10, 20, 30, 40, 1, 0.0}}}, rect(-10, 20, 220, 60)},
        // Turned by 0.5 about (25, 40): the corners (-15, -20), (15, -20), (15, 20), (-15, 20)
        // go to (-3.6, -24.7), (22.8, -10.4), (3.6, 24.7), (-22.8, 10.4), truncated and marked
        // with a margin of 2: x from 25 - 22 - 2 to 25 + 22 + 2, y from 40 - 24 - 2 to
        // 40 + 24 + 2; the old rectangle (10, 20)-(40, 60) lies inside that.
        {"spmove turned", {{"spmove", {0, 0, 10, 20, 30, 40, 1, 0.5}}}, rect(1, 14, 49, 66)},
        {"spmove offset group",
         {{"splayer", {0, 3, 4, 255}}, {"reset", {}}, {"spmove2", {0, 11, 20}}},
         rect(13, 24, 44, 64)},
    };
    for (const Row& r : rows) {
        MarkGame g;
        for (const Step& s : r.steps) {
            if (std::string(s.command) == "reset") {
                g.dirty.reset();
            } else {
                command(g.e, s.command, s.args);
            }
        }
        EXPECT_EQ(show(g.dirty), show(r.expected)) << r.what;
    }
}

TEST(DirtyRect, FrameChangesMapThroughTheListedSprites) {
    Scene s(200, 150);
    s.add(1, gradientPicture(40, 20));
    s.add(2, gradientPicture(8, 8));
    graphics::Sprite& a = s.show(0, 1, 10, 20, 1, 1 << 4);  // group 1
    a.srcX = 2, a.srcY = 3, a.srcWidth = 20, a.srcHeight = 10, a.width = 40, a.height = 20;
    s.layer.groups[0].offsetX = 5;
    s.layer.groups[1].offsetY = 7;
    struct Row {
        int32_t slot, x, y;
        DirtyRect expected;
    };
    std::vector<Row> rows = {
        // (4, 5) is (2, 2) of the source, screen pixels 4 and 5 of the enlarged picture.
        {1, 4, 5, rect(19, 31, 20, 32)},
        // Held inside the source rectangle: the last column, the first row.
        {1, 100, -5, rect(53, 27, 54, 28)},
        {2, 1, 1, DirtyRect{}},
        {-1, 1, 1, DirtyRect{}},
    };
    for (const Row& r : rows) {
        s.layer.dirty.reset();
        EXPECT_TRUE(s.layer.frameChanged(r.slot, r.x, r.y));
        EXPECT_EQ(show(s.layer.dirty), show(r.expected)) << r.slot << " " << r.x << "," << r.y;
    }
    // A turned sprite and a sprite using the frame as its mask mark their whole area; a wrapped
    // one its copies too.
    graphics::Sprite& b = s.show(1, 2, 100, 100, 2);
    b.angle = 0.25f;
    s.layer.dirty.reset();
    s.layer.frameChanged(2, 0, 0);
    EXPECT_LE(s.layer.dirty.left, 104);
    EXPECT_GE(s.layer.dirty.right, 113);
    b.angle = 0;
    b.attributes = graphics::spriteattr::kWrapX;
    b.x = 196;
    s.layer.dirty.reset();
    s.layer.frameChanged(2, 7, 7);
    // At 196 + 5: reduced to 1, and drawn again at 1 - 200.
    EXPECT_EQ(show(s.layer.dirty), show(rect(-192, 107, 208, 107)));
    a.maskFrame = 2;
    s.layer.dirty.reset();
    s.layer.frameChanged(2, 7, 7);
    EXPECT_EQ(show(s.layer.dirty), show(rect(-192, 27, 208, 107)));
}

TEST(DirtyRect, ASpriteLinkedToItselfStopsTheWalk) {
    TestGame game;
    Engine& e = game.engine();
    command(e, "screen", {32, 32, 0, 4});
    e.frames->place(1, gradientPicture(8, 8));
    for (int i = 0; i < 2; ++i) {
        command(e, "spget", {});
        command(e, "spset", {i, 1, 0, 0, 0, 0});
        command(e, "spmove", {i, 0, i * 8, 0, 0, 0, i, 0.0});
    }
    auto& sprites = e.display->sprites;
    sprites.sprites[1].next = 1;
    sprites.dirty.reset();
    graphics::TableChangeSink sink(*e.frames);
    sink.changed(*e.frames->at(1), 2, 2);
    auto& window = dynamic_cast<platform::HeadlessWindow&>(e.host.window());
    EXPECT_EQ(window.title(), "スプライトリンクがループしています");
    // The composer stops too and nothing is presented.
    window.setTitle("");
    auto& presenter = dynamic_cast<platform::HeadlessPresenter&>(e.host.presenter());
    int64_t before = presenter.transfers();
    e.sceneChanged = 1;
    display::present(e);
    EXPECT_EQ(presenter.transfers(), before);
    EXPECT_EQ(e.sceneChanged, 1);
    EXPECT_EQ(window.title(), "スプライトリンクがループしています");
}

TEST(DirtyRect, PresentationTransfersTheDirtyPartOnly) {
    TestGame game;
    Engine& e = game.engine();
    auto& presenter = dynamic_cast<platform::HeadlessPresenter&>(e.host.presenter());
    auto& dirty = e.display->sprites.dirty;
    command(e, "screen", {64, 48, 0, 4});
    e.sceneChanged = 1;
    display::present(e);
    EXPECT_EQ(presenter.transfers(), 1);
    EXPECT_EQ(show(dirty), show(DirtyRect{}));
    // A change one pixel wide is shown at once.
    dirty.mark(10, 5);
    dirty.mark(10, 9);
    e.sceneChanged = 1;
    display::present(e);
    EXPECT_EQ(presenter.transfers(), 2);
    EXPECT_EQ(presenter.lastRect().left, 10);
    EXPECT_EQ(presenter.lastRect().right, 10);
    EXPECT_EQ(presenter.lastRect().bottom, 9);
    // Without a change of scene, or while stopping, nothing is composed and the rectangle grows on.
    dirty.mark(70, 70);
    display::present(e);
    EXPECT_EQ(presenter.transfers(), 2);
    EXPECT_EQ(show(dirty), show(rect(70, 70, 63, 47)));
    dirty.mark(1, 2);
    e.sceneChanged = 1;
    e.app.quitLevel = 1;
    display::present(e);
    EXPECT_EQ(presenter.transfers(), 2);
    e.app.quitLevel = 0;
    display::present(e);
    EXPECT_EQ(presenter.transfers(), 3);
    EXPECT_EQ(show({presenter.lastRect().left, presenter.lastRect().top, presenter.lastRect().right,
                    presenter.lastRect().bottom}),
              show(rect(1, 2, 63, 47)));
    // An empty rectangle transfers nothing.
    e.sceneChanged = 1;
    display::present(e);
    EXPECT_EQ(presenter.transfers(), 3);
}

// Random scenes changed by random commands and drawing: after every presentation the window
// shows exactly what a redraw of the whole scene shows.
TEST(DirtyRect, RedrawingTheDirtyPartEqualsAFullRedraw) {
    std::mt19937 rng(8);
    auto pick = [&](int lo, int hi) {
        return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1));
    };
    for (int round = 0; round < 12; ++round) {
        TestGame game;
        Engine& e = game.engine();
        e.app.hasMmx = round % 2;  // both formulas of masked sprites
        auto& presenter = dynamic_cast<platform::HeadlessPresenter&>(e.host.presenter());
        constexpr int kW = 64, kH = 48, kSprites = 8;
        command(e, "screen", {kW, kH, 0, kSprites});
        e.frames->place(1, gradientPicture(24, 16));
        e.frames->place(2, discPicture(16, 0x30C060));
        e.frames->place(3, keyedPicture(20, 12));
        e.frames->place(4, rampMask(24, 16));
        e.frames->place(5, gradientPicture(kW, kH));
        for (int i = 0; i < kSprites; ++i) command(e, "spget", {});
        command(e, "spset", {0, 5, 0, 0, 0, 0});
        command(e, "spmove", {0, 0, 0, 0, 0, 0, 0, 0.0});
        graphics::TableChangeSink sink(*e.frames);
        graphics::BlitContext blit;
        blit.changes = &sink;
        for (int step = 0; step < 60; ++step) {
            int h = pick(1, kSprites - 1);
            switch (pick(0, 6)) {
                case 0:
                case 1: {
                    static const int modes[] = {0, 0, 0, 1, 7, 8, 3};
                    int attributes = pick(0, 3) | (pick(0, 1) ? 8 | pick(0, 255) << 8 : 0) |
                                     pick(0, 3) << 4 | modes[pick(0, 6)] << 16;
                    double angle = pick(0, 4) == 0 ? 0.3 * pick(1, 9) : 0.0;
                    command(e, "spmove",
                            {h, attributes, pick(-20, 70), pick(-20, 60), pick(0, 1) * pick(4, 40),
                             pick(0, 1) * pick(4, 40), pick(-1, 5), angle});
                    break;
                }
                case 2: command(e, "spmove2", {h, pick(-20, 70), pick(-20, 60)}); break;
                case 3:
                    command(e, "spset",
                            {h, pick(-1, 4), pick(0, 5), pick(0, 5), pick(0, 1) * pick(3, 20),
                             pick(0, 1) * pick(3, 20)});
                    break;
                case 4:
                    command(e, "spatr",
                            {h, pick(0, 2) ? -1 : 4, pick(-50, 50), pick(0, 255), pick(1, 3)});
                    break;
                case 5:
                    command(e, "splayer",
                            {pick(0, 3), pick(-10, 10), pick(-10, 10),
                             pick(0, 3) ? 255 : pick(0, 255)});
                    break;
                case 6: {
                    graphics::Frame& f = *e.frames->at(pick(1, 4));
                    graphics::shufull(blit, f, pick(-4, 20), pick(-4, 12), pick(1, 8), pick(1, 8),
                                      rng(), 0, 256);
                    break;
                }
            }
            e.sceneChanged = 1;
            display::present(e);
            ASSERT_EQ(game.boxes().size(), 0u);

            auto& layer = e.display->sprites;
            Scene full(kW, kH, 0);
            full.layer = layer;
            graphics::BlitContext same;
            same.mmx = e.app.hasMmx > 0;  // the MMX switch picks acmcopy's formula
            graphics::Composer c{*full.screen, full.layer, *e.frames, same, 0};
            full.layer.dirty = rect(0, 0, kW - 1, kH - 1);
            graphics::composeSoftware(c, true);
            platform::Picture shown = presenter.picture();
            graphics::Image expected = full.image();
            for (size_t i = 0; i < shown.pixels.size(); ++i) {
                ASSERT_EQ(shown.pixels[i], expected.pixels[i] | 0xFF000000u)
                    << "round " << round << " step " << step << " at " << i % kW << "," << i / kW;
            }
        }
    }
}

}  // namespace
}  // namespace rs::test
