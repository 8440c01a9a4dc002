// Start-up as the program lives it across runs: the environment file a killed run leaves, the
// notice and the settings dialog of the next start, the watchdog's orderly end, and the settings
// file's values over the command line's.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/program_run.h"

namespace rs::test {
namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

const std::string kMarker = "! 実行中です（実行中で無いなら、異常終了です）\n";
const std::string kSettingsLine = u8(u8"[ゲーム設定] ゲーム開始\n");
const std::string kNoticeStart = u8(u8"[起動時の情報] 前回正常終了しませんでした\n");

// The script of a game that runs until it is stopped.
const char kEndless[] = "loop:\n push 10\n cmd wait\n ;\n jump loop\n";

TEST(StartUpProgram, AKilledRunLeavesTheMarkerAndTheNextStartShowsTheNotice) {
    TempDir game;
    writeGame(game, kEndless);
    UserFolders user;
    pid_t pid = spawnRunestage({"--headless", "--timeout", "30", game.path()}, &user);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(waitForLog(game, "ゲームを開始します", 20));
    // While the game runs the file holds the running marker, as it is on the disk.
    EXPECT_EQ(readFile(user.environmentFile()), kMarker);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(readFile(user.environmentFile()), kMarker);

    // The next start: the notice, the dialog (answered), the defaults; its orderly end writes
    // the whole file back.
    ProgramRun r =
        runestage("--headless --virtual-clock --exit-at 100 '" + game.path() + "'", &user);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.find(kNoticeStart), 0u) << r.err;
    EXPECT_NE(r.err.find(kSettingsLine), std::string::npos) << r.err;
    std::string written = readFile(user.environmentFile());
    EXPECT_EQ(written.substr(0, written.find("\r\n")), "# 残念ですが、正常終了しました");
    EXPECT_NE(written.find("\r\n004...環境ファイルバージョン\r\n2...DirectX 使用フラグ\r\n"),
              std::string::npos);

    // And the start after that asks nothing.
    r = runestage("--headless --virtual-clock --exit-at 100 '" + game.path() + "'", &user);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    // --settings asks anyway; --no-settings never asks, not even after a crash.
    r = runestage("--headless --virtual-clock --exit-at 100 --settings '" + game.path() + "'",
                  &user);
    EXPECT_EQ(r.err, kSettingsLine);
    std::ofstream(user.environmentFile(), std::ios::binary) << kMarker;
    r = runestage("--headless --virtual-clock --exit-at 100 --no-settings '" + game.path() + "'",
                  &user);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err.find(kNoticeStart), 0u);
    EXPECT_EQ(r.err.find(kSettingsLine), std::string::npos);
}

TEST(StartUpProgram, TheWatchdogEndsInOrderAndTheFileIsWritten) {
    TempDir game;
    writeGame(game, kEndless);
    UserFolders user;
    ProgramRun r = runestage("--headless --timeout 0.5 '" + game.path() + "'", &user);
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_NE(r.err.find("stopped by --timeout"), std::string::npos);
    EXPECT_EQ(r.err.find("did not end in order"), std::string::npos);
    EXPECT_EQ(readFile(user.environmentFile()).substr(0, 1), "#");
    EXPECT_NE(readFile(game.path() + "/save/rune_error.log").find("ゲームを終了しました"),
              std::string::npos);
}

TEST(StartUpProgram, BadEnvironmentFilesAreReadAsFarAsTheyGoAndNothingElseIsLost) {
    TempDir game;
    writeGame(game, " cmd end\n");
    UserFolders user;
    std::filesystem::create_directories(user.saveFolder());
    // Binary garbage: the dialog opens, the defaults apply, the end writes a good file.
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
    std::ofstream(user.environmentFile(), std::ios::binary) << garbage;
    ProgramRun r = runestage("--headless --virtual-clock '" + game.path() + "'", &user);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, kSettingsLine);
    EXPECT_EQ(readFile(user.environmentFile()).substr(0, 1), "#");
    // A save next to it is never touched.
    std::ofstream(user.saveFolder() + "/save01.dat", std::ios::binary) << "keep me";
    // A folder in its place: the game still runs, the folder stays, the failure is named once.
    std::filesystem::remove(user.environmentFile());
    std::filesystem::create_directories(user.environmentFile() + "/x");
    r = runestage("--headless --virtual-clock '" + game.path() + "'", &user);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("cannot write the settings file"), std::string::npos) << r.err;
    EXPECT_TRUE(std::filesystem::is_directory(user.environmentFile() + "/x"));
    EXPECT_EQ(readFile(user.saveFolder() + "/save01.dat"), "keep me");
}

TEST(StartUpProgram, TheEnginesSettingsFileAndTheCommandLine) {
    TempDir game;
    writeGame(game, " cmd end\n");
    UserFolders user;
    std::filesystem::create_directories(user.config() + "/runestage");
    std::ofstream(user.config() + "/runestage/runestage.ini")
        << "# mine\n[display]\nscale = 3\nfilter = blurry\n[sound]\nvolume = 40\n";
    ProgramRun r =
        runestage("--headless --virtual-clock --no-settings '" + game.path() + "'", &user);
    EXPECT_EQ(r.status, 0) << r.err;
    // A value it cannot use is named with its line and otherwise ignored.
    EXPECT_NE(r.err.find("runestage.ini: line 4: "), std::string::npos) << r.err;
    // A bad option on the command line still fails the start.
    r = runestage("--headless --settings --no-settings '" + game.path() + "'", &user);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("--settings and --no-settings cannot both be given"), std::string::npos);
}

}  // namespace
}  // namespace rs::test
