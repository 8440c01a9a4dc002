// Screenshots of a script's scene: the picture the window shows at the end of the run or at the
// first presentation from a given engine time, as a 24-bit PNG.
#include <gtest/gtest.h>

#include <string>

#include "display/scene_support.h"
#include "graphics/png_io.h"
#include "shell/main_loop.h"
#include "shell/screenshot.h"

namespace rs::test {
namespace {

// Shows frame 1 as the background and moves the disc of frame 2 from x = 0 to 40 in steps of 8,
// one step every 100 ms.
const char* kMovingDisc = R"(
.var h 1
.var x 2
.var r 3
    var r
    push 64
    push 48
    push 0
    push 4
    cmd screen
    =
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
    push 1
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
    push 2
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
    cmd end
)";

// What the scene shows with the disc at x.
graphics::Image expectedAt(int32_t x) {
    Scene s(64, 48);
    s.add(1, gradientPicture(64, 48));
    s.add(2, discPicture(16, 0xE04030));
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
    e.frames->place(1, gradientPicture(64, 48));
    e.frames->place(2, discPicture(16, 0xE04030));
    game.load(kMovingDisc);
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
    graphics::Image shot = runAndShoot(-1, dir);
    EXPECT_TRUE(shot == expectedAt(40));
}

TEST(Screenshot, TakesThePictureOfTheFirstPresentationFromATime) {
    TempDir dir;
    // Presentations at 0, 100, 200, ... ms: the one at 200 shows the disc at 16.
    EXPECT_TRUE(runAndShoot(150, dir) == expectedAt(16));
    EXPECT_TRUE(runAndShoot(0, dir) == expectedAt(0));
    // A time after the end gives the last picture.
    EXPECT_TRUE(runAndShoot(90000, dir) == expectedAt(40));
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
