// `runestage --check`: what a player is told about a game folder before playing it.
#include "shell/game_check.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "data/archive_file.h"
#include "data/archive_test_util.h"
#include "support/test_game.h"

namespace rs::test {
namespace {

const std::string kScriptFile = u8(u8"obj/雪花ノ記憶.o");

shell::CheckInputs inputsFor(const TempDir& game, const TempDir& user) {
    shell::CheckInputs in;
    in.gameFolder = game.path();
    in.userDataRoot = user.path();
    // One installed face: every face the games ask for falls back to it.
    in.fonts = platform::FontCatalog({{"IPAGothic", "/fonts/ipag.ttf", 0}});
    return in;
}

bool has(const shell::CheckReport& r, const std::string& text) {
    return r.text.find(text) != std::string::npos;
}

TEST(GameCheck, AGoodFolderCanStartAndSaysWhatItFound) {
    TempDir game, user;
    game.write(kScriptFile, std::string(64, '\0'));
    game.write("gamestr.txt", "Engine\r\nTitle\r\nmykey\r\ncdname\r\n");
    writeArchive(game, "pic", {{"a.bmp", bytesOf("AAAA")}, {"z.bmp", bytesOf("ZZ")}});
    game.write("cd/track02.ogg", "x");
    game.write("cd/track05.ogg", "x");
    game.write("music.sf2", "x");
    shell::CheckReport r = shell::checkGameFolder(inputsFor(game, user));
    EXPECT_TRUE(r.canStart) << r.text;
    EXPECT_TRUE(has(r, u8(u8"first script: obj/雪花ノ記憶.o (64 bytes)"))) << r.text;
    EXPECT_TRUE(has(r, "archive pic: 2 members, readable")) << r.text;
    EXPECT_TRUE(has(r, "key \"mykey\"")) << r.text;
    // The save folder follows the game key and is only announced, not made.
    EXPECT_TRUE(has(r, user.path() + "/SEIRAN-DO/mykey (made at the first start)")) << r.text;
    EXPECT_FALSE(user.exists("SEIRAN-DO"));
    EXPECT_TRUE(has(r, "IPAGothic (/fonts/ipag.ttf)")) << r.text;
    EXPECT_TRUE(has(r, "soundfont for MIDI music: " + game.path() + "/music.sf2")) << r.text;
    EXPECT_TRUE(has(r, "CD tracks: 2 found, 2 to 5 (first: " + game.path() + "/cd/track02.ogg)"))
        << r.text;
    EXPECT_TRUE(has(r, "Result: the game can start.\n")) << r.text;
}

TEST(GameCheck, TheFirstScriptMayLiveInAnArchive) {
    TempDir game, user;
    writeArchive(game, "obj", {{"雪花ノ記憶.o", bytesOf("script bytes")}});
    shell::CheckReport r = shell::checkGameFolder(inputsFor(game, user));
    EXPECT_TRUE(r.canStart) << r.text;
    EXPECT_TRUE(has(r, "(12 bytes)")) << r.text;
}

TEST(GameCheck, AnEmptyOrMissingFolderCannotStart) {
    TempDir game, user;
    shell::CheckReport r = shell::checkGameFolder(inputsFor(game, user));
    EXPECT_FALSE(r.canStart);
    EXPECT_TRUE(has(r, "the folder is empty")) << r.text;
    EXPECT_TRUE(has(r, "Result: the game cannot start.")) << r.text;

    shell::CheckInputs missing = inputsFor(game, user);
    missing.gameFolder = game.path() + "/nowhere";
    r = shell::checkGameFolder(missing);
    EXPECT_FALSE(r.canStart);
    EXPECT_TRUE(has(r, "does not exist")) << r.text;
}

// The quick answer the launcher and the start-up use: can a game start from this folder?
TEST(GameCheck, AFolderHoldsAGameWhenItsFirstScriptIsFound) {
    TempDir loose, archived, empty, data;
    loose.write(kScriptFile, "x");
    writeArchive(archived, "obj", {{"雪花ノ記憶.o", bytesOf("x")}});
    data.write(kScriptFile, "x");
    EXPECT_EQ(shell::gameFolderProblem(loose.path(), ""), "");
    EXPECT_EQ(shell::gameFolderProblem(archived.path(), ""), "");
    // The -path folder is searched too.
    EXPECT_EQ(shell::gameFolderProblem(empty.path(), data.path()), "");
    std::string problem = shell::gameFolderProblem(empty.path(), "");
    EXPECT_NE(problem.find("no game in " + empty.path()), std::string::npos) << problem;
    EXPECT_NE(problem.find(u8(u8"obj/雪花ノ記憶.o is missing")), std::string::npos) << problem;
    problem = shell::gameFolderProblem(loose.path() + "/" + kScriptFile, "");
    EXPECT_NE(problem.find("is not a folder"), std::string::npos) << problem;
}

TEST(GameCheck, ABrokenArchiveIsNamedWithWhatIsWrong) {
    TempDir game, user;
    game.write(kScriptFile, "x");
    // A directory whose member lies past the end of a short data file.
    game.write("pic.at2", rawDirectory({{0, 0, 100, 100}}));
    game.write("pic.nme", rawNames({"a.bmp"}));
    game.write("pic.det", "short");
    // A directory without its name file.
    writeArchive(game, "voice", {{"v.wav", bytesOf("RIFF")}});
    std::remove((game.path() + "/voice.nme").c_str());
    // A directory file too short to hold its trailer.
    game.write("bgm.at2", "ab");
    shell::CheckReport r = shell::checkGameFolder(inputsFor(game, user));
    EXPECT_TRUE(r.canStart) << r.text;
    EXPECT_TRUE(has(r, "PROBLEM: archive pic: 1 of its 1 members lie beyond the end of pic.det"))
        << r.text;
    EXPECT_TRUE(has(r, "PROBLEM: archive voice: its name file voice.nme is missing")) << r.text;
    EXPECT_TRUE(has(r, "PROBLEM: archive bgm: its directory file bgm.at2 cannot be read"))
        << r.text;
    EXPECT_TRUE(has(r, "Result: the game can start, but 3 problems were found")) << r.text;
}

TEST(GameCheck, AFolderOfAnotherGameIsRecognised) {
    TempDir game, user;
    game.write("obj/start.o", "x");
    game.write("obj/Other.O", "x");
    game.write("Game.exe", "MZ");
    shell::CheckReport r = shell::checkGameFolder(inputsFor(game, user));
    EXPECT_FALSE(r.canStart);
    EXPECT_TRUE(has(r, "obj/ holds other scripts (Other.O, start.o)")) << r.text;
    EXPECT_TRUE(has(r, "another engine")) << r.text;

    TempDir installer;
    installer.write("Setup.exe", "MZ");
    r = shell::checkGameFolder(inputsFor(installer, user));
    EXPECT_FALSE(r.canStart);
    EXPECT_TRUE(has(r, "Windows programs (Setup.exe)")) << r.text;
}

TEST(GameCheck, MissingFontsAndAMissingPathFolderAreProblems) {
    TempDir game, user;
    game.write(kScriptFile, "x");
    shell::CheckInputs in = inputsFor(game, user);
    in.fonts = platform::FontCatalog();
    in.dataFolderPrefix = game.path() + "/cd";
    shell::CheckReport r = shell::checkGameFolder(in);
    EXPECT_TRUE(r.canStart);
    EXPECT_TRUE(has(r, "no Japanese font is installed")) << r.text;
    EXPECT_TRUE(has(r, "soundfont for MIDI music: none found")) << r.text;
    EXPECT_TRUE(has(r, "CD tracks: none")) << r.text;
    EXPECT_TRUE(has(r, "PROBLEM: the -path folder")) << r.text;
}

TEST(GameCheck, TheProgramAnswersWithItsExitStatus) {
    TempDir empty, home;
    std::string env = "XDG_DATA_HOME='" + home.path() + "' ";
    std::string out = home.path() + "/out";
    int ok = std::system((env + RS_RUNESTAGE " --check '" RS_DEMO_DIR "' >'" + out + "'").c_str());
    ASSERT_TRUE(WIFEXITED(ok));
    EXPECT_EQ(WEXITSTATUS(ok), 0) << home.read("out");
    EXPECT_NE(home.read("out").find("Result: the game can start"), std::string::npos);
    int bad =
        std::system((env + RS_RUNESTAGE " --check '" + empty.path() + "' >'" + out + "'").c_str());
    ASSERT_TRUE(WIFEXITED(bad));
    EXPECT_EQ(WEXITSTATUS(bad), 1) << home.read("out");
}

}  // namespace
}  // namespace rs::test
