// Screenshots of a script's scene: the picture the window shows at the end of the run or at the
// first presentation from a given engine time, as a 24-bit PNG.
#include <gtest/gtest.h>

#include <string>

#include "display/scene_support.h"
#include "graphics/draw.h"
#include "graphics/png_io.h"
#include "shell/main_loop.h"
#include "shell/screenshot.h"

namespace rs::test {
namespace {

// Draws a background and a ball into frames of its own, shows them, moves the ball from x = 0 to
// 40 in steps of 8, one step every 100 ms, and at the end draws a yellow square into the shown
// background.
const char* kMovingBall = R"(
.var h 1
.var x 2
.var r 3
.var bg 4
.var ball 5
    var r
    push 64
    push 48
    push 0
    push 4
    cmd screen
    =
    ;
    var bg
    push 64
    push 48
    push 0
    push 0
    cmd frame
    =
    ;
    var bg
    push 0
    push 0
    push 64
    push 48
    push 0xFF305070
    cmd full
    ;
    var bg
    push 0
    push 30
    push 64
    push 18
    push 0xFF204030
    cmd full
    ;
    var ball
    push 16
    push 16
    push 0
    push 2
    cmd frame
    =
    ;
    var ball
    push 2
    push 2
    push 12
    push 12
    push 0xFFE04030
    cmd full
    ;
    var ball
    push 4
    push 4
    push 5
    push 5
    push 0x80FFFFFF
    cmd fulla
    ;
    var r
    cmd spget
    =
    ;
    var h
    cmd spget
    =
    ;
    push 0
    var bg
    push 0
    push 0
    push 0
    push 0
    cmd spset
    ;
    push 0
    push 0
    push 0
    push 0
    push 0
    push 0
    push 0
    pushf 0
    cmd spmove
    ;
    var h
    var ball
    push 0
    push 0
    push 0
    push 0
    cmd spset
    ;
    var h
    push 0
    push 0
    push 16
    push 0
    push 0
    push 1
    pushf 0
    cmd spmove
    ;
    var x
    push 0
    =
    ;
loop:
    var h
    var x
    push 16
    cmd spmove2
    ;
    push 100
    cmd wait
    ;
    var x
    push 8
    +=
    ;
    pushl loop
    var x
    push 40
    <=
    cmd nifgoto
    var bg
    push 50
    push 4
    push 6
    push 6
    push 0xFFFFE000
    cmd full
    ;
    cmd end
)";

// What the scene shows with the ball at x, with or without the square drawn at the end.
graphics::Image expectedAt(int32_t x, bool square = false) {
    Scene s(64, 48);
    graphics::Frame& bg = s.add(1, graphics::createFrame(64, 48, 32, 0));
    graphics::fillRect(bg, 0, 0, 64, 48, 0xFF305070);
    graphics::fillRect(bg, 0, 30, 64, 18, 0xFF204030);
    if (square) graphics::fillRect(bg, 50, 4, 6, 6, 0xFFFFE000);
    graphics::Frame& ball = s.add(2, graphics::createFrame(16, 16, 32, 2));
    graphics::fillRect(ball, 2, 2, 12, 12, 0xFFE04030);
    graphics::fillRectAlpha(ball, 4, 4, 5, 5, 0x80FFFFFF);
    s.show(0, 1, 0, 0, 0);
    s.show(1, 2, x, 16, 1);
    s.composeAll();
    graphics::Image image = s.image();
    for (uint32_t& p : image.pixels) p |= 0xFF000000u;
    return image;
}

graphics::Image runAndShoot(int64_t atMs, const TempDir& dir) {
    TestGame game;
    Engine& e = game.engine();
    game.load(kMovingBall);
    shell::Screenshot shot(e, dir.path() + "/shot.png", atMs);
    shell::runMainLoop(e, [&shot] { shot.afterTurn(); });
    std::string error;
    EXPECT_TRUE(shot.write(&error)) << error;
    EXPECT_EQ(game.boxes().size(), 0u) << (game.boxes().empty() ? "" : game.boxes().back().text);
    auto image = graphics::readPng(dir.path() + "/shot.png");
    return image ? *image : graphics::Image{};
}

TEST(Screenshot, TakesThePictureShownAtTheEnd) {
    TempDir dir;
    // The square drawn into the shown frame after the last move is shown too.
    EXPECT_TRUE(runAndShoot(-1, dir) == expectedAt(40, true));
}

TEST(Screenshot, TakesThePictureOfTheFirstPresentationFromATime) {
    TempDir dir;
    // Presentations at 0, 100, 200, ... ms: the one at 200 shows the disc at 16.
    EXPECT_TRUE(runAndShoot(150, dir) == expectedAt(16));
    EXPECT_TRUE(runAndShoot(0, dir) == expectedAt(0));
    // A time after the end gives the last picture.
    EXPECT_TRUE(runAndShoot(90000, dir) == expectedAt(40, true));
}

TEST(Screenshot, NeedsAScreen) {
    TestGame game;
    TempDir dir;
    game.load("cmd end\n");
    shell::Screenshot shot(game.engine(), dir.path() + "/shot.png", -1);
    shell::runMainLoop(game.engine(), [&shot] { shot.afterTurn(); });
    std::string error;
    EXPECT_FALSE(shot.write(&error));
    EXPECT_NE(error.find("no screen"), std::string::npos);
    EXPECT_FALSE(dir.exists("shot.png"));
}

}  // namespace
}  // namespace rs::test
