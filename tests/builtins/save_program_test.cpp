// Saves made by one run of the program and read back by the next, as a player's game does.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "asm/asm.h"
#include "data/game_data.h"
#include "support/test_game.h"

namespace rs::builtins {
namespace {

using test::TempDir;
using test::u8;

// Runs the program on `game` with its per-user data in `userData`; returns standard error.
std::string runGame(const TempDir& game, const TempDir& userData, const std::string& source) {
    tools::AsmResult r = tools::assemble(source);
    EXPECT_TRUE(r.ok());
    game.write(u8(u8"obj/雪花ノ記憶.o"), std::string(r.bytes.begin(), r.bytes.end()));
    std::string cmd = "XDG_DATA_HOME='" + userData.path() + "' " + RS_RUNESTAGE +
                      " --headless --virtual-clock --timeout 20 '" + game.path() +
                      "' 2>&1 >/dev/null";
    std::string err;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return err;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) err.append(buf, n);
    int status = pclose(p);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << err;
    return err;
}

// print(-1, ...) of an expression: an information box on standard error.
std::string show(const std::string& expr) {
    return "push -1\npush 0\npush 0\npush 0\npush 0\npush 0\npush 0\n" + expr + "\ncmd print\n;\n";
}

TEST(SaveProgram, SavesInEveryModeReadBackInTheNextRun) {
    TempDir game;
    TempDir userData;
    game.write("save/.keep", "");
    const char* names[] = {"p.dat", "g.dat", "sub\\\\p.dat", "sub\\\\g.dat"};
    const int writeModes[] = {1, 3, 5, 7};

    std::string first =
        "var 1\npushs \"abc\"\n=\n;\n"
        "var 2\npush 2\ncmd dim\n;\n"
        "push 0\nvar 2\npush 7\n=\n;\n"
        "push 1\nvar 2\npushs \"x\\x00y\"\n=\n;\n";
    for (int i = 0; i < 4; ++i) {
        first += "var 0\npushs \"" + std::string(names[i]) + "\"\npush " +
                 std::to_string(writeModes[i]) +
                 "\ncmd fopen\n=\n;\nvar 0\nvar 1\npush 3\ncmd fwrite\n;\n";
        if (i == 3) first += "var 0\nvar 2\ncmd fsave\n;\n";
        first += "var 0\ncmd fclose\n;\n";
    }
    runGame(game, userData, first + "cmd end\n");

    // On disk: the plain bytes, and the game-data encoding of exactly those bytes.
    std::string saves = "SEIRAN-DO/yukibana/";
    EXPECT_EQ(game.read("p.dat"), "abc");
    EXPECT_EQ(userData.read(saves + "sub/p.dat"), "abc");
    std::vector<uint8_t> encoded;
    ASSERT_TRUE(data::encodeGameData(std::vector<uint8_t>{'a', 'b', 'c'}, encoded));
    EXPECT_EQ(game.read("g.dat"), std::string(encoded.begin(), encoded.end()));
    std::string withVariable("abc", 3);
    for (int32_t w : {2, 1, 7, 3, 4}) withVariable.append(reinterpret_cast<const char*>(&w), 4);
    withVariable.append("x\0y\0", 4);
    ASSERT_TRUE(data::encodeGameData(std::vector<uint8_t>(withVariable.begin(), withVariable.end()),
                                     encoded));
    EXPECT_EQ(userData.read(saves + "sub/g.dat"), std::string(encoded.begin(), encoded.end()));

    std::string second;
    for (int i = 0; i < 4; ++i) {
        second += "var 0\npushs \"" + std::string(names[i]) + "\"\npush " +
                  std::to_string(writeModes[i] - 1) +
                  "\ncmd fopen\n=\n;\nvar 0\nvar 1\npush 3\ncmd fread\n;\n" +
                  show("pushs \"[\\{1}]\"");
        if (i == 3) {
            second += "var 0\nvar 3\ncmd fload\n;\n" + show("push 0\nvar 3") +
                      show("push 1\nvar 3\npush 1\ncmd asc") +
                      show("push 1\nvar 3\npush 2\ncmd asc");
        }
        second += "var 0\ncmd fclose\n;\n";
    }
    std::string err = runGame(game, userData, second + "cmd end\n");
    std::string expected;
    for (const char* line : {"[abc]", "[abc]", "[abc]", "[abc]", "7", "0", "121"}) {
        expected += u8(u8"[情報] ") + line + "\n";
    }
    EXPECT_EQ(err, expected);
}

}  // namespace
}  // namespace rs::builtins
