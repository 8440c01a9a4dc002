#include <gtest/gtest.h>

#include "runtime/interpreter.h"
#include "support/test_game.h"

namespace rs::test {
namespace {

TEST(CoreCommands, ThreadSlotLineAndName) {
    EXPECT_EQ(evalText("cmd threadid"), "0");
    EXPECT_EQ(evalText("push -1\ncmd lineno", "push 77\ncmd lineno\n"), "77");
    EXPECT_EQ(evalText("push -1\ncmd lineno"), "-1");
    EXPECT_EQ(evalText("void\ncmd scriptname"), "test");
    EXPECT_EQ(evalText("void\ncmd scriptname", "pushs \"renamed\"\ncmd scriptname\n"), "renamed");
    EXPECT_EQ(evalText("void\ncmd tag"), "-1");
    EXPECT_EQ(evalText("void\ncmd tag", "pushs \"mark\"\ncmd tag\n"), "mark");
}

TEST(CoreCommands, WindowTitleKeepsAtMost256Bytes) {
    TestGame game;
    game.load("pushs \"" + std::string(300, 't') + "\"\ncmd title\ncmd end\n");
    game.run(10);
    EXPECT_EQ(game.engine().app.windowTitle, std::string(256, 't'));
}

TEST(CoreCommands, TypeOfAndToInteger) {
    EXPECT_EQ(evalText("pushf 2.5\ncmd typeof"), "2");
    EXPECT_EQ(evalText("pushs \"\"\ncmd typeof"), "3");
    EXPECT_EQ(evalText("void\ncmd typeof"), "0");
    EXPECT_EQ(evalText("pushl here\ncmd typeof\ncmd print\n;\ncmd end\nhere:"), "6");
    EXPECT_EQ(evalText("pushs \"12abc\"\ncmd int"), "12");
    EXPECT_EQ(evalText("pushs \"  -7\"\ncmd int"), "-7");
    EXPECT_EQ(evalText("pushs \"abc\"\ncmd int"), "0");
    EXPECT_EQ(evalText("pushf -2.7\ncmd int"), "-2");
    EXPECT_EQ(evalText("pushs \"99999999999\"\ncmd int"), "2147483647");
    std::string fatal = evalText("pushl here\ncmd int\ncmd print\n;\ncmd end\nhere:");
    EXPECT_NE(fatal.find("場所：ngetint in -1\n"), std::string::npos) << fatal;
    EXPECT_NE(fatal.find("症状：数値化できないパラメータです(ラベルオフセット)\n"),
              std::string::npos);
    EXPECT_NE(evalText("void\ncmd int").find("症状：パラメータがありません\n"), std::string::npos);
}

TEST(CoreCommands, DimensionAndArraySize) {
    std::string prelude = "var 0\npush 5\ncmd dim\n;\n";
    EXPECT_EQ(evalText("var 0\npush 0\ncmd dimsize", prelude), "5");
    EXPECT_EQ(evalText("var 0\npush 1\ncmd dimsize", prelude), "0");
    EXPECT_EQ(evalText("var 0\npush 2\ncmd dimsize", prelude), "-1");
    std::string twoD = "var 0\npush 3\npush -4\ncmd dim\n;\n";
    EXPECT_EQ(evalText("var 0\npush 0\ncmd dimsize", twoD), "4");
    EXPECT_EQ(evalText("var 0\npush 1\ncmd dimsize", twoD), "3");
    EXPECT_EQ(evalText("var 0\npush 0\ncmd dimsize", "var 0\npush 0\ncmd dim\n;\n"), "1");
    std::string bad = evalText("push 1", "var 0\npush 0\npush -4\ncmd dim\n;\n");
    EXPECT_NE(bad.find("症状：配列の大きさが異常です(-4,0)\n"), std::string::npos) << bad;
}

TEST(CoreCommands, ArgumentsByValueAndByReference) {
    // f(a, b): a by value, b by reference; f adds a to b and sets a local copy.
    std::string prelude =
        ".var total 0\n.var a 10\n.var b 11\n"
        "var total\npush 5\n=\n;\n"
        "push 3\nvar total\ncall f\n;\n"
        "jump done\n"
        "f:\nvar b\ncmd argref\nvar a\ncmd argval\n"
        "var b\nvar a\n+=\n;\nvar a\npush 100\n=\n;\nvar b\ncmd unref\nreturn\n"
        "done:\n";
    EXPECT_EQ(evalText("var total", prelude), "8");
    // After unref, b no longer aliases total.
    EXPECT_EQ(evalText("var b\ncmd typeof", prelude), "0");
    EXPECT_NE(evalText("var 3000\nglobal").find("症状：変数番号が範囲外です(#bb8[hex])"),
              std::string::npos);
}

TEST(CoreCommands, ArgumentCountAndReturnOffset) {
    TestGame game;
    runtime::ScriptThread& t = game.load(
        "push 7\npush 8\npush 9\ncall f\ncmd end\nf:\ncmd argcount\ncmd retaddr\nreturn\n");
    // Each run goes up to the next call: the pushes and the call, argcount, retaddr, return.
    for (int i = 0; i < 4; ++i) runtime::run(game.engine(), t);
    ASSERT_EQ(t.psp, 5);
    EXPECT_EQ(t.param_stack[3]->u.i, 3);
    EXPECT_EQ(t.param_stack[4]->type, runtime::kLabel);
    EXPECT_EQ(t.param_stack[4]->u.i, 11);  // just after "call f" (5 bytes at offset 6)
    EXPECT_EQ(evalText("cmd retaddr"), "0");
    EXPECT_EQ(evalText("cmd argcount"), "0");
}

TEST(CoreCommands, DiscardFrameDropsTheCallWithoutJumping) {
    TestGame game;
    runtime::ScriptThread& t =
        game.load("push 1\ncall f\ncmd end\nf:\npush 2\npush 3\ncmd dropframe\ncmd end\n");
    runtime::run(game.engine(), t);
    runtime::run(game.engine(), t);
    EXPECT_EQ(t.depth, 0);
    EXPECT_EQ(t.frame_count, 1);
    EXPECT_EQ(t.psp, 0);  // everything above the caller's frame base went
}

TEST(CoreCommands, GlobalsAreSharedAndLocalsAreNot) {
    TestGame game;
    Engine& e = game.engine();
    game.load("var 1\nglobal\nvar 1\npush 41\n=\n;\nvar 2\npush 5\n=\n;\ncmd end\n");
    runtime::ScriptThread* other = e.threads.create(1);
    auto bytes = TestGame::assembleOrFail("var 1\n++\n;\nvar 2\n++\n;\ncmd end\n");
    other->code.setOwned(bytes.data(), static_cast<int32_t>(bytes.size()));
    other->ended = 0;
    other->wake_time = e.engineTime();
    e.threads.at(0)->next_index = 1;
    game.run(10);
    ASSERT_NE(e.globals.find(1), nullptr);
    EXPECT_EQ(e.globals.find(1)->elements[0]->u.i, 42);
}

TEST(CoreCommands, PoolQueriesAndRebuild) {
    EXPECT_EQ(evalText("push -1\ncmd pool"), "32768");
    // Used cells: the stacked print arguments, the argument of the query and cells freed
    // before; a rebuild starts from nothing.
    std::string used = evalText("push -2\ncmd pool");
    EXPECT_GT(std::stoi(used), 7);
    EXPECT_EQ(evalText("push -1\ncmd pool", "push 100\ncmd pool\n"), "100");
    // A pool larger than the engine ever builds is refused as a failed allocation, and the old
    // pool stays.
    std::string refused = evalText("push -1\ncmd pool", "push 2000000000\ncmd pool\n");
    EXPECT_EQ(refused.rfind("FATAL: 場所：pool in", 0), 0u) << refused;
    EXPECT_NE(refused.find("症状：メモリ確保が出来ません"), std::string::npos);
}

TEST(CoreCommands, EndStopsTheThread) {
    TestGame game;
    game.load("cmd end\npush 1\n");
    EXPECT_TRUE(game.run(10));
    EXPECT_EQ(game.engine().threads.at(0), nullptr);
    EXPECT_TRUE(game.boxes().empty());
}

}  // namespace
}  // namespace rs::test
