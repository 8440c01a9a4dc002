// The font commands and the font search over the installed IPA faces.
#include <gtest/gtest.h>

#include "support/test_game.h"
#include "text/font_state.h"

namespace rs::text {
namespace {

using test::u8;

// Runs `body`, in which every `show` line is replaced by a print(-1) of the value left on the
// stack, and returns the texts shown, or the fatal error text.
std::vector<std::string> shown(test::TestGame& game, const std::string& body) {
    size_t pos = 0;
    const std::string show = " show\n";
    std::string text = body;
    while ((pos = text.find(show)) != std::string::npos) {
        text.replace(pos, show.size(), " cmd print\n");
    }
    // Each value is preceded by the print arguments frame -1 .. mode.
    game.load(text + "\n cmd end\n");
    game.run(100);
    auto fatal = game.boxTexts("ゲームシステムの致命的なエラー");
    if (!fatal.empty()) return {"FATAL: " + fatal.back()};
    return game.boxTexts("情報");
}

// The print(-1) arguments that come before the value.
const std::string kShow = " push -1\n push 0\n push 0\n push 0\n push 0\n push 0\n push 0\n";

TEST(FontCommands, AutofontselSearchesByPartOfTheName) {
    test::TestGame game;
    TextState& ts = *game.engine().text;
    auto call = [](const std::string& name) {
        return kShow + " pushs \"" + name + "\"\n cmd autofontsel\n show\n";
    };
    const std::string name = kShow + " cmd fontname\n show\n";
    std::vector<std::string> texts =
        shown(game, call(u8(u8"明朝")) + name + call(u8(u8"明朝")) + call("Gothic") + name +
                        call("IPAP") + name + call("Helvetica Neue") + name);
    std::vector<std::string> expected = {"1", "ＭＳ 明朝",  "2", "1",         "MS Gothic",
                                         "1", "IPAPGothic", "0", "IPAPGothic"};
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(ts.lastFontQuery, "Helvetica Neue");
}

TEST(FontCommands, AutofontselWantsAString) {
    test::TestGame game;
    auto texts = shown(game, kShow + " push 5\n cmd autofontsel\n show\n");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("引数が文字列になっていません"), std::string::npos);
}

TEST(FontCommands, TextSettingsAndTheDialog) {
    test::TestGame game;
    TextState& ts = *game.engine().text;
    ts.settings[3] = 5;
    auto before = ts.settings;
    auto set = [](const char* key, const char* value) {
        return kShow + " push " + key + "\n push " + value + "\n cmd textset\n show\n";
    };
    // Keys outside 0..6 change nothing, but the value is pushed all the same.
    auto texts = shown(game, set("4", "2") + set("6", "-3") + set("7", "9") + set("-1", "8"));
    EXPECT_EQ(texts, (std::vector<std::string>{"2", "-3", "9", "8"}));
    before[4] = 2;
    before[6] = -3;
    EXPECT_EQ(ts.settings, before);
}

TEST(FontCommands, TheDialogAnswersRevertWithoutAWindow) {
    test::TestGame game;
    TextState& ts = *game.engine().text;
    ts.fontName = "IPAMincho";
    game.load(" cmd fontdialog\n cmd end\n");
    game.run(100);
    EXPECT_EQ(ts.fontName, "IPAMincho");
    auto& dialogs = static_cast<platform::HeadlessHost&>(game.host()).headlessDialogs().shown();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].caption, "フォント選択");
    EXPECT_EQ(dialogs[0].result, 2);
}

TEST(FontSearch, StartUpPrefersMinchoAndKeepsAConfiguredFace) {
    TextState ts;
    ts.fonts = platform::createSystemFontSource();
    searchStartupFont(ts);
    EXPECT_EQ(ts.fontName, "ＭＳ 明朝");
    EXPECT_EQ(ts.lastFontQuery, "ＭＳ 明朝");

    TextState configured;
    configured.fonts = platform::createSystemFontSource();
    configured.fontName = "IPAGothic";
    searchStartupFont(configured);
    EXPECT_EQ(configured.fontName, "IPAGothic");
    EXPECT_TRUE(configured.lastFontQuery.empty());
}

TEST(FontSearch, ListHasNoVerticalFacesAndStaysWithinItsLimit) {
    auto fonts = platform::createSystemFontSource();
    std::vector<std::string> names = fonts->faceNames(kFontListLimit);
    for (const char* want : {"ＭＳ ゴシック", "ＭＳ Ｐゴシック", "ＭＳ 明朝", "ＭＳ Ｐ明朝",
                             "IPAGothic", "IPAゴシック", "IPAMincho", "IPA明朝"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), want), names.end()) << want;
    }
    for (const std::string& n : names) EXPECT_NE(n[0], '@');
    EXPECT_EQ(fonts->faceNames(3).size(), 3u);
}

}  // namespace
}  // namespace rs::text
