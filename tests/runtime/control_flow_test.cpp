#include <gtest/gtest.h>

#include "support/test_game.h"

namespace rs::test {
namespace {

// The message and place of the one fatal error a program stopped with, or "" when it ended
// cleanly.
std::string fatalOf(const std::string& source) {
    TestGame game;
    game.load(source);
    game.run(1000);
    auto fatal = game.boxTexts("ゲームシステムの致命的なエラー");
    if (fatal.empty()) return "";
    const std::string& f = fatal[0];
    size_t placeAt = f.find("場所：") + std::string("場所：").size();
    size_t msgAt = f.find("症状：") + std::string("症状：").size();
    size_t stackAt = f.find("\nコールスタックダンプ", msgAt);
    size_t msgEnd = stackAt != std::string::npos ? stackAt : f.find("\nゲームを停止します", msgAt);
    return f.substr(placeAt, f.find(" in ", placeAt) - placeAt) + " / " +
           f.substr(msgAt, msgEnd - msgAt);
}

// What print(-1, ...) showed, in order.
std::vector<std::string> shown(const std::string& source) {
    TestGame game;
    game.load(source);
    game.run(1000);
    return game.boxTexts("情報");
}

const char* kShowValue = "push -1\npush 0\npush 0\npush 0\npush 0\npush 0\npush 0\n";

TEST(ControlFlow, GotoJumpsToALabel) {
    std::string src = std::string("jump skip\n") + kShowValue +
                      "pushs \"not here\"\ncmd print\n;\nskip:\n" + kShowValue +
                      "pushs \"here\"\ncmd print\n;\ncmd end\n";
    EXPECT_EQ(shown(src), std::vector<std::string>{"here"});
}

TEST(ControlFlow, GotoErrors) {
    EXPECT_EQ(fatalOf("push 5\ngoto\n"), "goto / パラメータが変です");
    EXPECT_EQ(fatalOf("pushl.32 9999\ngoto\n"), "goto / 未定義ラベルを関数呼び出しに使用しました");
}

TEST(ControlFlow, IfgotoJumpsOnIntegerZeroOnly) {
    // Each test pushes the target, then the condition; a taken jump skips the print of "x".
    auto taken = [&](const std::string& condition, const char* op) {
        std::string src = "pushl after\n" + condition + "\n" + op + "\n" + kShowValue +
                          "pushs \"x\"\ncmd print\n;\nafter:\ncmd end\n";
        return shown(src).empty();
    };
    EXPECT_TRUE(taken("push 0", "ifgoto"));
    EXPECT_FALSE(taken("push 1", "ifgoto"));
    EXPECT_FALSE(taken("pushf 0.0", "ifgoto"));
    EXPECT_FALSE(taken("pushs \"\"", "ifgoto"));
    EXPECT_TRUE(taken("push 7", "cmd nifgoto"));
    EXPECT_FALSE(taken("push 0", "cmd nifgoto"));
    EXPECT_FALSE(taken("pushf 1.0", "cmd nifgoto"));
}

TEST(ControlFlow, IfgotoTargetErrors) {
    EXPECT_EQ(fatalOf("push 3\npush 0\nifgoto\n"), "ifgoto / パラメータがありません");
    EXPECT_EQ(fatalOf("pushl.32 -1\npush 0\nifgoto\n"), "ifgoto / 飛び先がありません");
    EXPECT_EQ(fatalOf("pushl.32 5000\npush 1\ncmd nifgoto\n"),
              "nifgoto / 未定義ラベルを関数呼び出しに使用しました");
    // Not jumping never looks at the target.
    EXPECT_EQ(fatalOf("push 3\npush 1\nifgoto\ncmd end\n"), "");
}

TEST(ControlFlow, ReturnHandsTheCalleesCellsToTheCaller) {
    std::string src =
        std::string(kShowValue) + "call f\ncmd print\n;\ncmd end\nf:\npushs \"from f\"\nreturn\n";
    EXPECT_EQ(shown(src), std::vector<std::string>{"from f"});
}

TEST(ControlFlow, ReturnWithoutCall) {
    EXPECT_EQ(fatalOf("return\n"), "return / 呼び出しのないreturnです");
}

TEST(ControlFlow, CallPastTheImageFailsAfterPushingTheReturnOffset) {
    TestGame game;
    runtime::ScriptThread& t = game.load("call.32 10000\n");
    game.run(10);
    EXPECT_EQ(t.depth, 1);
    EXPECT_EQ(t.return_stack[0], 5);
    auto fatal = game.boxTexts("ゲームシステムの致命的なエラー");
    ASSERT_EQ(fatal.size(), 1u);
    EXPECT_EQ(
        fatal[0],
        "場所：(call) in "
        "-1\n(10000:test)\n症状：未定義ラベルを関数呼び出しに使用しました\nゲームを停止します");
}

TEST(ControlFlow, RunawayRecursionStopsWithAStackError) {
    TestGame game;
    runtime::ScriptThread& t = game.load("f:\ncall f\n");
    game.run(100000);
    auto fatal = game.boxTexts("ゲームシステムの致命的なエラー");
    ASSERT_EQ(fatal.size(), 1u);
    // Every call also pushes a frame base: the 256 frame bases run out first, at depth 255, and
    // the failing call changes nothing.
    EXPECT_NE(fatal[0].find(
                  "症状：パラメータスタックレベルを超えました\n不当な再帰呼び出しと思われます\n"),
              std::string::npos);
    EXPECT_EQ(t.depth, 255);
    EXPECT_EQ(t.frame_count, 256);
}

TEST(ControlFlow, TheReturnStackLimitIsCheckedFirst) {
    TestGame game;
    runtime::ScriptThread& t = game.load("call f\nf:\n");
    t.depth = 256;
    game.run(10);
    auto fatal = game.boxTexts("ゲームシステムの致命的なエラー");
    ASSERT_EQ(fatal.size(), 1u);
    EXPECT_NE(
        fatal[0].find("症状：リターンスタックレベルを超えました\n不当な再帰呼び出しと思われます\n"),
        std::string::npos);
    EXPECT_EQ(t.depth, 256);
    EXPECT_EQ(t.frame_count, 1);
}

TEST(Scheduling, AThreadWakesOnlyWhenItsTimeHasPassed) {
    TestGame game;
    Engine& e = game.engine();
    runtime::ScriptThread& t = game.load("cmd end\n");
    uint32_t start = e.engineTime();
    t.wake_time = start + 500;
    EXPECT_FALSE(game.run(1));
    EXPECT_EQ(t.ended, 0);
    // The loop slept until the wake time; the next turn runs the thread.
    EXPECT_GE(e.engineTime(), start + 500);
    EXPECT_TRUE(game.run(5));
}

TEST(Scheduling, WakeTimesCompareAcrossTheClockWrap) {
    EXPECT_TRUE(timeBefore(0x7FFFFFF0u, 0x00000010u));
    EXPECT_FALSE(timeBefore(0x00000010u, 0x7FFFFFF0u));
    EXPECT_TRUE(timeBefore(100u, 101u));
    EXPECT_FALSE(timeBefore(101u, 101u));
    // A wake time pushed past 2^31 by a wait still compares right with a wrapped clock.
    EXPECT_FALSE(timeBefore(0x80000054u, 0x00000050u));
    EXPECT_TRUE(timeBefore(0x80000054u, 0x00000060u));
}

}  // namespace
}  // namespace rs::test
