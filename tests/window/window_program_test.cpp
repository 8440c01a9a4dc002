// The runestage program with a window, as a player starts it: the demo shows what a headless run
// shows, on the software back-ends exactly and on the GPU composer as the reference GPU does;
// screenshots are the game picture in every mode, boxes still reach standard error, and every
// start that cannot have a window ends with one clear line.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "graphics/png_io.h"
#include "snd/movie_files.h"
#include "support/golden.h"
#include "support/picture_compare.h"
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
          std::string("--fullscreen --filter sharp"), std::string("--back-end software")}) {
        SCOPED_TRACE(mode);
        ProgramRun r =
            runestage("--virtual-clock --timeout 120 --exit-at 3200 --back-end directdraw " + mode +
                      " --screenshot '" + shot + "' '" + dir.path() + "'");
        EXPECT_EQ(r.status, 0) << r.err;
        auto image = graphics::readPng(shot);
        ASSERT_TRUE(image);
        // The game picture at the game's size, whatever the window's size and filter.
        expectMatchesGolden(*image, "demo_screenshot");
    }
}

// The picture of the demo at 3.2 s under these options.
std::optional<graphics::Image> demoShot(const TempDir& dir, const std::string& options) {
    std::string shot = dir.path() + "/shot.png";
    std::remove(shot.c_str());
    ProgramRun r = runestage("--virtual-clock --timeout 120 --exit-at 3200 " + options +
                             " --screenshot '" + shot + "' '" + dir.path() + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    return graphics::readPng(shot);
}

TEST(WindowProgram, TheDemoOnTheGpuShowsWhatTheReferenceGpuShows) {
    TempDir dir;
    copyDemo(dir);
    // The default configuration asks for Direct3D: the GPU composer runs.
    auto gpu = demoShot(dir, "");
    auto reference = demoShot(dir, "--headless --back-end direct3d");
    ASSERT_TRUE(gpu && reference);
    PictureDifference d = pictureDifference(*gpu, *reference);
    EXPECT_LE(d.maxChannel, 3) << describe(d);
    EXPECT_LE(d.meanChannel, 0.1) << describe(d);
    // Against the software composer: its scaled, turned and added sprites filtered linearly.
    auto software = graphics::readPng(std::string(RS_GOLDEN_DIR) + "/demo_screenshot.png");
    ASSERT_TRUE(software);
    PictureDifference s = neighbourhoodDifference(*gpu, *software);
    EXPECT_LE(s.meanChannel, 0.3) << describe(s);
    std::printf(
        "demo on the GPU: against the reference GPU %s; against the software composer "
        "%s\n",
        describe(d).c_str(), describe(s).c_str());
    // The picture is taken from the game-size target whatever the window shows.
    for (const std::string& mode :
         {std::string("--scale 3 --filter linear"), std::string("--fullscreen --filter sharp")}) {
        auto scaled = demoShot(dir, mode);
        ASSERT_TRUE(scaled);
        EXPECT_TRUE(*scaled == *gpu) << mode;
    }
    EXPECT_EQ(dir.read("save/rune_error.log").find("DirectDrawを使用します"), std::string::npos);
}

TEST(WindowProgram, KindTwoNeedsARendererWithCustomBlends) {
    TempDir dir;
    writeGame(dir,
              ".var r 1\n var r\n push 64\n push 48\n push 0\n push 4\n cmd screen\n =\n ;\n"
              " push -1\n push 0\n push 0\n push 0\n push 0\n push 0\n push 0\n"
              " pushs \"\\{r}\"\n cmd print\n ;\n cmd end\n");
    auto kind = [&](const std::string& options) {
        ProgramRun r = runestage("--virtual-clock --no-settings --timeout 60 " + options + " '" +
                                 dir.path() + "'");
        EXPECT_EQ(r.status, 0) << r.err;
        return r.err;
    };
    EXPECT_EQ(kind(""), u8(u8"[情報] 2\n"));
    EXPECT_EQ(kind("--back-end directdraw"), u8(u8"[情報] 1\n"));
    EXPECT_EQ(dir.read("save/rune_error.log").find("DirectDrawを使用します"), std::string::npos);
    // SDL's software renderer has none: kind 1, and the log says so.
    setenv("SDL_RENDER_DRIVER", "software", 1);
    EXPECT_EQ(kind(""), u8(u8"[情報] 1\n"));
    EXPECT_EQ(kind("--back-end direct3d"), u8(u8"[情報] 1\n"));
    unsetenv("SDL_RENDER_DRIVER");
    EXPECT_NE(dir.read("save/rune_error.log")
                  .find("初期化中の警告(0)\r\nDirect3Dに相当する描画機能がありません\r\n"
                        "DirectDrawを使用します\r\n"),
              std::string::npos);
}

TEST(WindowProgram, BoxesInAWindowRunReachStandardError) {
    TempDir dir;
    writeGame(dir, u8(u8" push -1\n push 0\n push 0\n push 0\n push 0\n push 0\n push 0\n"
                      u8" pushs \"こんにちは\"\n cmd print\n ;\n cmd end\n"));
    ProgramRun r = runestage("--virtual-clock --timeout 60 '" + dir.path() + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    // The first start of the game asks for its settings (answered by the test hook), then the box.
    EXPECT_EQ(r.err, u8(u8"[ゲーム設定] ゲーム開始\n[情報] こんにちは\n"));
}

// Started from the desktop's menu: no game folder and no game in the current folder.
TEST(WindowProgram, WithoutAGameTheLauncherOffersTheGamesPlayedBefore) {
    TempDir game, elsewhere;
    writeGame(game, " cmd end\n");
    UserFolders user;
    char here[4096];
    ASSERT_TRUE(getcwd(here, sizeof here));
    ASSERT_EQ(chdir(elsewhere.path().c_str()), 0);
    // Nothing played yet: the launcher (answered by the test hook) has nothing to play.
    ProgramRun none = runestage("--virtual-clock --no-settings --timeout 60", &user);
    EXPECT_EQ(none.status, 0) << none.err;
    EXPECT_EQ(none.err,
              "[RuneStage] Quit\nrunestage: no game chosen (runestage GAME_DIR plays a game "
              "folder)\n");
    // A game played in a window is listed; the launcher then plays it again.
    ProgramRun first =
        runestage("--virtual-clock --no-settings --timeout 60 '" + game.path() + "'", &user);
    EXPECT_EQ(first.status, 0) << first.err;
    ProgramRun again = runestage("--virtual-clock --no-settings --timeout 60", &user);
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.err, "[RuneStage] Play\n");
    // Headless runs and named folders never show it: the missing game is reported as before.
    ProgramRun headless = runestage("--headless --virtual-clock --no-settings --timeout 60", &user);
    EXPECT_NE(headless.status, 0);
    EXPECT_EQ(headless.err.find("[RuneStage]"), std::string::npos) << headless.err;
    ASSERT_EQ(chdir(here), 0);
    char real[4096];
    ASSERT_TRUE(realpath(game.path().c_str(), real));
    std::ifstream list(user.data() + "/runestage/recent-games");
    std::string line, rest;
    std::getline(list, line);
    EXPECT_EQ(line, real);
    EXPECT_FALSE(std::getline(list, rest));
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

TEST(WindowProgram, TwoStartsGiveOneGameUnlessMinusW) {
    TempDir dir;
    writeGame(dir, "loop:\n push 16\n cmd wait\n ;\n jump loop\n");
    TempDir logs;
    std::string firstErr = logs.path() + "/first.txt";
    UserFolders user;
    pid_t first = spawnRunestage({"--timeout", "60", dir.path()}, &user, firstErr);
    ASSERT_GT(first, 0);
    ASSERT_TRUE(waitForLog(dir, "ゲームを開始します", 30));
    // A second start: it ends at once with status 0, and the first hears of it.
    ProgramRun second = runestage("--timeout 30 '" + dir.path() + "'", &user);
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_NE(second.err.find("the game is already running; its window was brought to the front"),
              std::string::npos)
        << second.err;
    bool heard = false;
    for (int i = 0; i < 300 && !heard; ++i) {
        heard = logs.read("first.txt").find("another start of the game asked for this window") !=
                std::string::npos;
        if (!heard) usleep(10000);
    }
    EXPECT_TRUE(heard) << logs.read("first.txt");
    // With -w a second copy runs beside the first.
    ProgramRun beside =
        runestage("-w --virtual-clock --timeout 30 --exit-at 100 '" + dir.path() + "'", &user);
    EXPECT_EQ(beside.status, 0) << beside.err;
    EXPECT_EQ(beside.err.find("already running"), std::string::npos) << beside.err;
    kill(first, SIGTERM);
    EXPECT_EQ(waitForExit(first), 0);
    // The first is gone: the next start is the game again, not a second copy.
    ProgramRun after =
        runestage("--virtual-clock --timeout 30 --exit-at 100 '" + dir.path() + "'", &user);
    EXPECT_EQ(after.status, 0) << after.err;
    EXPECT_EQ(after.err.find("already running"), std::string::npos) << after.err;
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
