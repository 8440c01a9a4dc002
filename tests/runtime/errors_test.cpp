#include <gtest/gtest.h>

#include "runtime/errors.h"
#include "support/test_game.h"

namespace rs::test {
namespace {

std::string entry(const std::string& title, const std::string& text) {
    std::string crlfText;
    for (char c : text) {
        if (c == '\n') crlfText += '\r';
        crlfText += c;
    }
    return std::string(TestGame::kStamp) + title + "\r\n" + crlfText + "\r\n\r\n";
}

TEST(ErrorLog, EachEntryIsStampTitleTextAndAnEmptyLine) {
    TestGame game;
    runtime::appendErrorLog(game.engine(), "題", "一行目\n二行目 %d %s");
    EXPECT_EQ(game.log(), entry("題", "一行目\n二行目 %d %s"));
    runtime::showAndLog(game.engine(), "本文", "表題");
    EXPECT_EQ(game.log(), entry("題", "一行目\n二行目 %d %s") + entry("表題", "本文"));
    ASSERT_EQ(game.boxes().size(), 1u);
    EXPECT_EQ(game.boxes()[0].icon, platform::BoxIcon::Exclamation);
    runtime::showInfoAndLog(game.engine(), "情報の本文", "情報");
    EXPECT_EQ(game.boxes()[1].icon, platform::BoxIcon::Information);
}

TEST(ErrorLog, WithoutASaveFolderNothingIsWrittenAndNothingFails) {
    TestGame game(32768, /*withSaveFolder=*/false);
    runtime::showAndLog(game.engine(), "本文", "表題");
    EXPECT_EQ(game.boxes().size(), 1u);
    EXPECT_FALSE(game.dir().exists("save"));
}

TEST(ScriptErrors, FatalReportAtTopLevelHasNoCallStack) {
    TestGame game;
    // "push 1; push 0; \" fails at the operator, the byte after offset 3.
    game.load("push 1\npush 0\n\\\ncmd end\n");
    EXPECT_TRUE(game.run(100));
    std::string text =
        "場所：０除算エラー(\\) in -1\n(3:test)\n症状：除数が０です\nゲームを停止します";
    EXPECT_EQ(game.boxTexts("ゲームシステムの致命的なエラー"), std::vector<std::string>{text});
    EXPECT_EQ(game.log(), entry("ゲームシステムの致命的なエラー", text));
    EXPECT_TRUE(game.engine().app.fatalErrorReported);
    EXPECT_FALSE(game.engine().app.mainWindow);
    ASSERT_NE(game.engine().threads.at(0), nullptr);
    EXPECT_EQ(game.engine().threads.at(0)->ended, 1);
}

TEST(ScriptErrors, CallStackIsDumpedFromTwoNestedCallsOn) {
    // One active call: no dump. Two: both return offsets, most recent first.
    for (int depth : {1, 2}) {
        TestGame game;
        std::string src =
            depth == 1 ? "call f\ncmd end\nf:\npush 1\npush 0\n\\\nreturn\n"
                       : "call f\ncmd end\nf:\ncall g\nreturn\ng:\npush 1\npush 0\n\\\nreturn\n";
        game.load(src);
        game.run(100);
        auto fatal = game.boxTexts("ゲームシステムの致命的なエラー");
        ASSERT_EQ(fatal.size(), 1u) << depth;
        if (depth == 1) {
            EXPECT_EQ(fatal[0].find("コールスタックダンプ"), std::string::npos);
        } else {
            // call f is at 0 (returns to 5), call g at 7 (returns to 12).
            EXPECT_NE(fatal[0].find("\nコールスタックダンプ\n12\n5\nゲームを停止します"),
                      std::string::npos)
                << fatal[0];
        }
    }
}

TEST(ScriptErrors, LineMarkerAndNameAppearInTheReport) {
    TestGame game;
    // push 42 (2 bytes), cmd lineno (2), push 1, push 0, % at offset 6.
    game.load("push 42\ncmd lineno\npush 1\npush 0\n%\n");
    game.run(100);
    auto fatal = game.boxTexts("ゲームシステムの致命的なエラー");
    ASSERT_EQ(fatal.size(), 1u);
    EXPECT_EQ(fatal[0].rfind("場所：演算(%)エラー in 42\n(7:test)\n", 0), 0u) << fatal[0];
}

TEST(ScriptErrors, OnlyTheFirstFatalErrorIsShown) {
    TestGame game;
    game.load("push 1\nop 50\nop 51\ncmd end\n");
    game.run(100);
    EXPECT_EQ(game.boxTexts("ゲームシステムの致命的なエラー").size(), 1u);
}

TEST(ScriptErrors, PoolExhaustionWarnsThenStopsTheThread) {
    TestGame game(/*poolSize=*/3);
    game.load("push 1\npush 2\npush 3\npush 4\ncmd end\n");
    EXPECT_TRUE(game.run(100));
    ASSERT_GE(game.boxes().size(), 2u);
    EXPECT_EQ(game.boxes()[0].caption, "システムの警告");
    EXPECT_EQ(game.boxes()[0].text, "変数使用数が最大値を超えました");
    auto fatal = game.boxTexts("ゲームシステムの致命的なエラー");
    ASSERT_EQ(fatal.size(), 1u);
    EXPECT_NE(fatal[0].find("症状：変数使用数が最大値を超えました\n"), std::string::npos);
    // The pool notice itself is not logged; the fatal error is.
    EXPECT_EQ(game.log().find("システムの警告"), std::string::npos);
}

}  // namespace
}  // namespace rs::test
