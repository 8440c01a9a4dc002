// The runestage program as a player runs it: exit statuses, the log and the boxes on stderr.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "asm/asm.h"
#include "graphics/png_io.h"
#include "support/golden.h"
#include "support/test_game.h"

namespace rs::test {
namespace {

struct ProgramRun {
    int status = -1;
    std::string err;  // standard error (UTF-8)
};

ProgramRun runestage(const std::string& args) {
    std::string cmd = std::string(RS_RUNESTAGE) + " " + args + " 2>&1 >/dev/null";
    ProgramRun r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.err.append(buf, n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

// A game folder holding the first script under its UTF-8 file name.
void writeGame(const TempDir& dir, const std::string& source) {
    tools::AsmResult r = tools::assemble(source);
    ASSERT_TRUE(r.ok());
    dir.write(u8(u8"obj/雪花ノ記憶.o"), std::string(r.bytes.begin(), r.bytes.end()));
    dir.write("save/.keep", "");
}

// A copy of the demo game in its own folder (with a save folder for the log).
void copyDemo(const TempDir& dir) {
    std::string demo = std::string(RS_DEMO_DIR) + "/obj/" + u8(u8"雪花ノ記憶.o");
    std::string cmd = "mkdir -p '" + dir.path() + "/obj' '" + dir.path() + "/save' && cp '" + demo +
                      "' '" + dir.path() + "/obj/'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
}

TEST(RunestageProgram, PlaysTheDemoUntilItsPlannedEndAndLogsItsRun) {
    TempDir dir;
    copyDemo(dir);
    std::string shot = dir.path() + "/shot.png";
    ProgramRun r = runestage("--headless --virtual-clock --timeout 60 --exit-at 3200 --screenshot '" +
                             shot + "' '" + dir.path() + "'");
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
}

// Starts runestage with these arguments (no shell) and returns its process id.
pid_t spawnRunestage(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::string program = RS_RUNESTAGE;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Waits (at most `seconds`) until the game's log holds the text.
bool waitForLog(const TempDir& dir, const std::string& text, double seconds) {
    for (int i = 0; i < seconds * 100; ++i) {
        if (dir.read("save/rune_error.log").find(text) != std::string::npos) return true;
        usleep(10000);
    }
    return false;
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
            int status = 0;
            ASSERT_EQ(waitpid(pid, &status, 0), pid);
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 0);
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
