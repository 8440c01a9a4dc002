// The runestage program as a player runs it: exit statuses, the log and the boxes on stderr.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "asm/asm.h"
#include "graphics/png_io.h"
#include "support/golden.h"
#include "support/program_run.h"
#include "support/test_game.h"

namespace rs::test {
namespace {

TEST(RunestageProgram, PlaysTheDemoAndLogsItsRun) {
    TempDir dir;
    std::string demo = std::string(RS_DEMO_DIR) + "/obj/" + u8(u8"雪花ノ記憶.o");
    std::string cmd = "mkdir -p '" + dir.path() + "/obj' '" + dir.path() + "/save' && cp '" + demo +
                      "' '" + dir.path() + "/obj/'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::string shot = dir.path() + "/shot.png";
    ProgramRun r = runestage("--headless --virtual-clock --timeout 60 --screenshot '" + shot +
                             "' '" + dir.path() + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(u8(u8"[情報] RuneStage のデモを終わります")), std::string::npos) << r.err;
    std::string log = dir.read("save/rune_error.log");
    // Start, game start, the goodbye, end: every entry ends with an empty line.
    for (const char* text :
         {"情報\r\n起動しました\r\n\r\n", "情報\r\nゲームを開始します\r\n\r\n",
          "情報\r\nRuneStage のデモを終わります\r\n\r\n", "情報\r\nゲームを終了しました\r\n\r\n"}) {
        EXPECT_NE(log.find(text), std::string::npos);
    }
    // The last picture of the scene, and an earlier one that differs from it.
    auto last = graphics::readPng(shot);
    ASSERT_TRUE(last);
    expectMatchesGolden(*last, "demo_screenshot");
    r = runestage("--headless --virtual-clock --screenshot-at 1200 --screenshot '" + shot + "' '" +
                  dir.path() + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    auto earlier = graphics::readPng(shot);
    ASSERT_TRUE(earlier);
    EXPECT_EQ(earlier->width, 640);
    EXPECT_FALSE(*earlier == *last);
}

TEST(RunestageProgram, AMissingFirstScriptIsAStartUpFailure) {
    TempDir dir;
    ProgramRun r = runestage("--headless '" + dir.path() + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(u8(u8"[起動時のエラー] 起動時に必要なファイルが読めません")),
              std::string::npos)
        << r.err;
}

TEST(RunestageProgram, AFatalScriptErrorEndsWithStatusTwo) {
    TempDir dir;
    writeGame(dir, "push 1\npush 0\n\\\ncmd end\n");
    ProgramRun r = runestage("--headless --virtual-clock '" + dir.path() + "'");
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(r.err.find(u8(u8"[ゲームシステムの致命的なエラー] 場所：０除算エラー(\\) in -1")),
              std::string::npos)
        << r.err;
}

TEST(RunestageProgram, TheWatchdogStopsARunawayScript) {
    TempDir dir;
    writeGame(dir, "loop:\njump loop\n");
    ProgramRun r = runestage("--headless --timeout 0.5 '" + dir.path() + "'");
    EXPECT_EQ(r.status, 3) << r.err;
}

TEST(RunestageProgram, BadOptionsAndFoldersFailClearly) {
    ProgramRun r = runestage("--no-such-option");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("unknown option '--no-such-option'"), std::string::npos);
    r = runestage("--headless /nonexistent/game/folder");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot open the game folder"), std::string::npos);
    EXPECT_EQ(runestage("--help").status, 0);
}

TEST(RunestageProgram, WritesTheScreenshotOfTheScreen) {
    TempDir game, here;
    writeGame(game,
              ".var r 1\nvar r\npush 40\npush 30\npush 0\npush 2\ncmd screen\n=\n;\ncmd end\n");
    here.write("out/.keep", "");
    // A relative file name counts from where the program was started, not from the game folder.
    std::string cmd = "cd '" + here.path() + "' && " + RS_RUNESTAGE +
                      " --headless --virtual-clock --screenshot out/shot.png '" + game.path() +
                      "' 2>/dev/null";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    auto image = graphics::readPng(here.path() + "/out/shot.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 40);
    EXPECT_EQ(image->height, 30);
    EXPECT_EQ(image->at(39, 29), 0xFF000000u);

    ProgramRun r = runestage("--headless --virtual-clock --screenshot /nonexistent/shot.png '" +
                             game.path() + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write the screenshot"), std::string::npos) << r.err;
    TempDir blank;
    writeGame(blank, "cmd end\n");
    r = runestage("--headless --virtual-clock --screenshot " + here.path() + "/none.png '" +
                  blank.path() + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no screen"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace rs::test
