#include <gtest/gtest.h>

#include "support/test_game.h"

namespace rs::test {
namespace {

const char* kArgs = "push 0\npush 0\npush 0\npush 0\npush 0\npush 0\n";

TEST(PrintSpecialFrames, PrintToMinusOneShowsAnInformationBoxAndLogsIt) {
    TestGame game;
    game.load(std::string("push -1\n") + kArgs + "pushf 1.25\ncmd print\n;\ncmd end\n");
    game.run(10);
    ASSERT_EQ(game.boxes().size(), 1u);
    EXPECT_EQ(game.boxes()[0].caption, "情報");
    EXPECT_EQ(game.boxes()[0].text, "1.250000");
    EXPECT_EQ(game.boxes()[0].icon, platform::BoxIcon::Information);
    EXPECT_EQ(game.log(), std::string(TestGame::kStamp) + "情報\r\n1.250000\r\n\r\n");
}

TEST(PrintSpecialFrames, Print2ToMinusOneIsANonFatalReport) {
    TestGame game;
    game.load(std::string("push -1\n") + kArgs +
              "push 0\npush 0\npushs \"hello\"\ncmd print2\n;\ncmd end\n");
    game.run(10);
    auto reports = game.boxTexts("ゲームシステムのエラー");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "場所：情報 in -1\n(21:test)\n症状：hello\n");
    EXPECT_FALSE(game.engine().app.fatalErrorReported);
}

TEST(PrintSpecialFrames, MinusTwoSetsTheWindowTitle) {
    TestGame game;
    auto* window = dynamic_cast<platform::HeadlessWindow*>(&game.engine().host.window());
    ASSERT_NE(window, nullptr);
    game.load(std::string("push -2\n") + kArgs + "pushs \"" + std::string(1500, 'w') +
              "\"\ncmd print\n;\ncmd end\n");
    game.run(10);
    EXPECT_EQ(window->title(), std::string(1023, 'w'));
    EXPECT_TRUE(game.boxes().empty());
}

TEST(PrintSpecialFrames, OtherFramesAreCheckedAtThePrintPlace) {
    std::string shown =
        evalText("push 1", std::string("push 9000\n") + kArgs + "pushs \"x\"\ncmd print\n;\n");
    EXPECT_NE(shown.find("場所：print in -1"), std::string::npos) << shown;
    EXPECT_NE(shown.find("症状：無効なフレームです\n"), std::string::npos);
}

}  // namespace
}  // namespace rs::test
