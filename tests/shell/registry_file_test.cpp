#include "shell/registry_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "runtime/errors.h"
#include "support/test_game.h"

namespace rs::shell {
namespace {

using test::TestGame;

TEST(RegistryFile, ReadsTheThreeValuesWithoutRegardToCase) {
    RegistryValues v = parseRegistryFile(
        "# installed by the game's installer\r\n"
        "[ignored section line]\r\n"
        "instmode=1\r\n"
        "  INSTPATH = /opt/game data  \r\n"
        "Mv_Mode=2\r\n"
        "Unknown=7\r\n"
        "no equals sign here\r\n"
        "=value without a name\r\n");
    EXPECT_EQ(v.instMode, "1");
    EXPECT_EQ(v.instPath, "/opt/game data");
    EXPECT_EQ(v.mvMode, "2");
    // Nothing: nothing set. A later line with the same name wins.
    RegistryValues none = parseRegistryFile("");
    EXPECT_FALSE(none.instMode || none.instPath || none.mvMode);
    EXPECT_EQ(parseRegistryFile("MV_Mode=1\nMV_Mode=3\n").mvMode, "3");
    EXPECT_EQ(parseRegistryFile("InstMode=").instMode, "");
}

TEST(RegistryFile, ValuesAreCodePage932) {
    // A UTF-8 file (with or without its byte-order mark) is converted; a code page 932 file is
    // taken as it is.
    EXPECT_EQ(parseRegistryFile(test::u8(u8"InstPath=/ゲーム\n")).instPath, "/ゲーム");
    EXPECT_EQ(parseRegistryFile("\xEF\xBB\xBF" + test::u8(u8"InstPath=/ゲーム")).instPath,
              "/ゲーム");
    EXPECT_EQ(parseRegistryFile("InstPath=/ゲーム\n").instPath, "/ゲーム");
    // Garbage bytes do no harm.
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage.push_back(static_cast<char>((i * 131) & 0xFF));
    parseRegistryFile(garbage);
}

TEST(RegistryFile, ACutFileDropsItsCutLine) {
    RegistryValues v = parseRegistryFile("InstMode=2\nMV_Mode=1", false);
    EXPECT_EQ(v.instMode, "2");
    EXPECT_FALSE(v.mvMode);
}

class RegistryGame : public ::testing::Test {
  protected:
    std::string path() {
        return registryFilePath(game.engine().app.configFolder, game.engine().app.engineName);
    }
    void put(const std::string& text) {
        game.dir().write("config/SEIRAN-DO/Rune Stage/registry.ini", text);
    }
    TestGame game;
};

TEST_F(RegistryGame, ValuesReachTheEngine) {
    EXPECT_EQ(path(), game.dir().path() + "/config/SEIRAN-DO/Rune Stage/registry.ini");
    Engine& e = game.engine();
    readRegistry(e);
    EXPECT_EQ(e.app.installMode, -1);
    EXPECT_EQ(e.app.installPath, e.app.programFolder);
    EXPECT_EQ(e.app.movieMode, 0);

    put("InstMode=3\nMV_Mode=1\nInstPath=elsewhere\n");
    readRegistry(e);
    EXPECT_EQ(e.app.installMode, 3);
    EXPECT_EQ(e.app.movieMode, 1);
    // A relative install folder counts from the game folder.
    EXPECT_EQ(e.app.installPath, e.app.programFolder + "/elsewhere");
    // Values as the registry's string data reads them: the first byte minus '0'.
    put("InstMode=\nMV_Mode=x\n");
    readRegistry(e);
    EXPECT_EQ(e.app.installMode, -48);
    EXPECT_EQ(e.app.movieMode, 'x' - '0');
    EXPECT_EQ(e.app.installPath, e.app.programFolder);
}

TEST_F(RegistryGame, TheInstallFolderTakesTheErrorLog) {
    Engine& e = game.engine();
    std::string other = game.dir().path() + "/installed";
    std::filesystem::create_directories(other + "/save");
    put("InstPath=" + other + "\n");
    readRegistry(e);
    runtime::appendErrorLog(e, "情報", "ここ");
    EXPECT_NE(game.dir().read("installed/save/rune_error.log").find("ここ"), std::string::npos);
    EXPECT_EQ(game.log(), "");
}

TEST_F(RegistryGame, AHugeFileIsReadOnlyAsFarAsTheLimit) {
    std::string text = "MV_Mode=2\n";
    while (text.size() < 3 * kRegistryReadLimit) text += "Padding=" + std::string(100, 'p') + "\n";
    text += "InstMode=5\n";
    put(text);
    readRegistry(game.engine());
    EXPECT_EQ(game.engine().app.movieMode, 2);
    EXPECT_EQ(game.engine().app.installMode, -1);
    // A folder in the file's place is no file.
    std::filesystem::remove(path());
    std::filesystem::create_directories(path());
    readRegistry(game.engine());
    EXPECT_EQ(game.engine().app.installMode, -1);
}

}  // namespace
}  // namespace rs::shell
