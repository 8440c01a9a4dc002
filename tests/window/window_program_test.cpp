// The runestage program with a window, as a player starts it: the demo shows what a headless run
// shows, screenshots are the game picture in every mode, boxes still reach standard error, and
// every start that cannot have a window ends with one clear line.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>

#include "graphics/png_io.h"
#include "snd/movie_files.h"
#include "support/golden.h"
#include "support/program_run.h"

namespace rs::test {
namespace {

size_t lineCount(const std::string& text) {
    size_t n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

TEST(WindowProgram, TheDemoInAWindowShowsWhatAHeadlessRunShows) {
    TempDir dir;
    copyDemo(dir);
    std::string shot = dir.path() + "/shot.png";
    for (const std::string& mode :
         {std::string(""), std::string("--scale 3 --filter linear"),
          std::string("--fullscreen --filter sharp"), std::string("--back-end direct3d")}) {
        SCOPED_TRACE(mode);
        ProgramRun r = runestage("--virtual-clock --timeout 120 --exit-at 3200 " + mode +
                                 " --screenshot '" + shot + "' '" + dir.path() + "'");
        EXPECT_EQ(r.status, 0) << r.err;
        auto image = graphics::readPng(shot);
        ASSERT_TRUE(image);
        // The game picture at the game's size, whatever the window's size and filter.
        expectMatchesGolden(*image, "demo_screenshot");
    }
    // Kind 2 ran as kind 1 and the log says so.
    EXPECT_NE(dir.read("save/rune_error.log").find("DirectDrawを使用します"), std::string::npos);
}

TEST(WindowProgram, BoxesInAWindowRunReachStandardError) {
    TempDir dir;
    writeGame(dir, u8(u8" push -1\n push 0\n push 0\n push 0\n push 0\n push 0\n push 0\n"
                      u8" pushs \"こんにちは\"\n cmd print\n ;\n cmd end\n"));
    ProgramRun r = runestage("--virtual-clock --timeout 60 '" + dir.path() + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, u8(u8"[情報] こんにちは\n"));
}

TEST(WindowProgram, StartsWithoutAWindowEndWithOneClearLine) {
    TempDir dir;
    copyDemo(dir);
    struct Case {
        std::string environment;
        std::string cause;
    };
    for (const Case& c :
         {Case{"env -u DISPLAY -u WAYLAND_DISPLAY", "no display"},
          Case{"env RUNESTAGE_TEST_FAIL=window", "could not create the window"},
          Case{"env RUNESTAGE_TEST_FAIL=renderer", "could not create a renderer"}}) {
        SCOPED_TRACE(c.environment);
        std::string cmd = c.environment + " " + RS_RUNESTAGE + " --timeout 30 '" + dir.path() +
                          "' 2>&1 >/dev/null";
        std::string err;
        FILE* p = popen(cmd.c_str(), "r");
        ASSERT_TRUE(p);
        char buf[1024];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) err.append(buf, n);
        int status = pclose(p);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << err;
        EXPECT_EQ(lineCount(err), 1u) << err;
        EXPECT_NE(err.find("runestage: cannot open a window"), std::string::npos) << err;
        EXPECT_NE(err.find(c.cause), std::string::npos) << err;
        EXPECT_NE(err.find("--headless"), std::string::npos) << err;
    }
    // Absurd scales are refused before any window opens.
    for (const char* scale : {"0", "-1", "100", "two"}) {
        ProgramRun r = runestage(std::string("--scale ") + scale + " '" + dir.path() + "'");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("--scale needs a whole number from 1 to 16"), std::string::npos)
            << r.err;
    }
}

TEST(WindowProgram, SigtermEndsAWindowRunInOrder) {
    TempDir dir;
    writeGame(dir, "loop:\n push 16\n cmd wait\n ;\n jump loop\n");
    pid_t pid = spawnRunestage({"--timeout", "60", dir.path()});
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(waitForLog(dir, "ゲームを開始します", 30));
    kill(pid, SIGTERM);
    EXPECT_EQ(waitForExit(pid), 0);
    EXPECT_NE(dir.read("save/rune_error.log").find("ゲームを終了しました"), std::string::npos);
}

TEST(WindowProgram, AMovieIsPartOfTheGamePictureInEveryMode) {
    TempDir dir;
    // 320 x 240, a red movie scaled into (100, 50, 128, 96), then waiting.
    writeGame(dir,
              " push 320\n push 240\n push 0\n push 4\n cmd screen\n ;\n"
              " pushs \"op.mpg\"\n push 100\n push 50\n push 128\n push 96\n push 0\n"
              " cmd movie\n ;\nforever:\n push 10\n cmd wait\n ;\n jump forever\n");
    tools::MovieSpec spec;
    spec.colours.assign(25, 0xFF0000);
    spec.soundMs = 1000;
    std::string error;
    ASSERT_TRUE(tools::writeMovie(dir.path() + "/op.mpg", spec, &error)) << error;
    std::string shot = dir.path() + "/shot.png";
    for (const std::string& mode : {std::string(""), std::string("--scale 3 --filter linear"),
                                    std::string("--fullscreen --filter sharp")}) {
        SCOPED_TRACE(mode);
        ProgramRun r = runestage("--virtual-clock --timeout 120 --exit-at 500 " + mode +
                                 " --screenshot '" + shot + "' '" + dir.path() + "'");
        EXPECT_EQ(r.status, 0) << r.err;
        auto image = graphics::readPng(shot);
        ASSERT_TRUE(image);
        ASSERT_EQ(image->width, 320);
        auto at = [&](int x, int y) { return image->pixels[static_cast<size_t>(y) * 320 + x]; };
        uint32_t inside = at(110, 60);
        EXPECT_GE((inside >> 16) & 0xFF, 0xE0u) << std::hex << inside;
        EXPECT_LE(inside & 0xFFFF, 0x2020u) << std::hex << inside;
        EXPECT_EQ(at(99, 60) & 0xFFFFFF, 0u);
        EXPECT_EQ(at(228, 146) & 0xFFFFFF, 0u);
    }
}

}  // namespace
}  // namespace rs::test
