// The runestage program as a player runs it: exit statuses, the log and the boxes on stderr.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>

#include "graphics/png_io.h"
#include "support/golden.h"
#include "support/program_run.h"

namespace rs::test {
namespace {

TEST(RunestageProgram, PlaysTheDemoUntilItsPlannedEndAndLogsItsRun) {
    TempDir dir;
    copyDemo(dir);
    std::string shot = dir.path() + "/shot.png";
    ProgramRun r =
        runestage("--headless --virtual-clock --timeout 60 --exit-at 3200 --screenshot '" + shot +
                  "' '" + dir.path() + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    std::string log = dir.read("save/rune_error.log");
    // Start, game start, end: every entry ends with an empty line.
    for (const char* text : {"情報\r\n起動しました\r\n\r\n", "情報\r\nゲームを開始します\r\n\r\n",
                             "情報\r\nゲームを終了しました\r\n\r\n"}) {
        EXPECT_NE(log.find(text), std::string::npos);
    }
    auto at3200 = graphics::readPng(shot);
    ASSERT_TRUE(at3200);
    expectMatchesGolden(*at3200, "demo_screenshot");
    // An earlier picture differs; one loop (6.4 s) later the scene is the same again.
    r = runestage("--headless --virtual-clock --exit-at 3200 --screenshot-at 1200 --screenshot '" +
                  shot + "' '" + dir.path() + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    auto earlier = graphics::readPng(shot);
    ASSERT_TRUE(earlier);
    EXPECT_EQ(earlier->width, 640);
    EXPECT_FALSE(*earlier == *at3200);
    r = runestage("--headless --virtual-clock --exit-at 9600 --screenshot '" + shot + "' '" +
                  dir.path() + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    auto looped = graphics::readPng(shot);
    ASSERT_TRUE(looped);
    EXPECT_TRUE(*looped == *at3200);
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
    // Ignored original options keep working, with a word about them.
    TempDir empty;
    r = runestage("--headless -h -x '" + empty.path() + "'");
    EXPECT_NE(r.err.find("warning: ignoring the unknown option '-h' (for help, use --help)"),
              std::string::npos)
        << r.err;
    // A folder without the first script: the box, and a line naming what was looked for.
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(u8(u8"[起動時のエラー] 起動時に必要なファイルが読めません")),
              std::string::npos);
    EXPECT_NE(r.err.find(u8(u8"cannot load the first script 'obj/雪花ノ記憶.o' (looked in '")),
              std::string::npos)
        << r.err;
}

TEST(RunestageProgram, SigintAndSigtermEndTheRunInOrder) {
    for (int sig : {SIGINT, SIGTERM}) {
        for (bool scriptHasTheCloseBox : {false, true}) {
            SCOPED_TRACE(std::to_string(sig) + (scriptHasTheCloseBox ? " closereq" : ""));
            TempDir dir;
            std::string intercept = ".var r 1\n var r\n push 2\n cmd closereq\n =\n ;\n";
            writeGame(dir, (scriptHasTheCloseBox ? intercept : "") +
                               "loop:\n push 10\n cmd wait\n ;\n jump loop\n");
            pid_t pid = spawnRunestage({"--headless", "--timeout", "30", dir.path()});
            ASSERT_GT(pid, 0);
            EXPECT_TRUE(waitForLog(dir, "ゲームを開始します", 20));
            kill(pid, sig);
            EXPECT_EQ(waitForExit(pid), 0);
            EXPECT_NE(dir.read("save/rune_error.log").find("ゲームを終了しました"),
                      std::string::npos);
        }
    }
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
