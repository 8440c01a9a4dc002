// Script threads started by spawn run beside the main thread under the main loop, each paced by
// its own waits.
#include <gtest/gtest.h>

#include "support/test_game.h"

namespace rs::test {
namespace {

std::string show(const std::string& literal) {
    return "push -1\npush 0\npush 0\npush 0\npush 0\npush 0\npush 0\npushs \"" + literal +
           "\"\ncmd print\n;\n";
}

void writeScript(TestGame& game, const std::string& name, const std::string& source) {
    auto bytes = TestGame::assembleOrFail(source);
    game.dir().write("obj/" + name + ".o", std::string(bytes.begin(), bytes.end()));
}

TEST(Threads, OtherThreadsRunWhenTheMainThreadIsDue) {
    TestGame game;
    // The chain is walked only on turns where the main thread is due, so the child, although it
    // asks for 30 ms steps, runs once per 50 ms step of the main thread. It is due from the turn
    // after the one that spawned it (its wake time is the spawn time, not before it), and it has
    // not finished when the main thread ends the game.
    writeScript(game, "child",
                show("child 0") + "push 30\ncmd wait\n" + show("child 30") + "push 30\ncmd wait\n" +
                    show("child 60") + "cmd end\n");
    game.load(".var slot 1\nvar slot\npushs \"child\"\ncmd spawn\n=\n;\n" + show("main 0") +
              "push 50\ncmd wait\n" + show("main 50") + "push 50\ncmd wait\n" + show("main 100") +
              "cmd end\n");
    EXPECT_TRUE(game.run(10000));
    EXPECT_EQ(game.boxTexts("情報"),
              (std::vector<std::string>{"main 0", "main 50", "child 0", "main 100", "child 30"}));
    EXPECT_TRUE(game.boxTexts("ゲームシステムの致命的なエラー").empty());
}

TEST(Threads, AThreadThatEndsLeavesTheOthersRunning) {
    TestGame game;
    // Spawned in the order a, b: b comes first in the chain, ends on its first turn and leaves
    // the chain; a goes on to its end.
    writeScript(game, "a",
                show("a 0") + "push 20\ncmd wait\n" + show("a 20") + "push 20\ncmd wait\n" +
                    show("a 40") + "cmd end\n");
    writeScript(game, "b", show("b") + "cmd end\n");
    std::string spawn =
        "var slot\npushs \"a\"\ncmd spawn\n=\n;\nvar slot\npushs \"b\"\ncmd spawn\n=\n;\n";
    std::string waits;
    for (int i = 0; i < 6; ++i) waits += "push 20\ncmd wait\n";
    game.load(".var slot 1\n" + spawn + waits + show("main") + "cmd end\n");
    EXPECT_TRUE(game.run(10000));
    EXPECT_EQ(game.boxTexts("情報"),
              (std::vector<std::string>{"b", "a 0", "a 20", "a 40", "main"}));
}

}  // namespace
}  // namespace rs::test
