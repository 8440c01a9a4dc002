// Start-up as a game meets it: the environment file with its running marker, the notice after an
// abnormal end, the settings dialog and the keys held at start, over the headless host.
#include "shell/startup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "display/display.h"
#include "shell/environment_file.h"
#include "support/test_game.h"
#include "text/font_state.h"

namespace rs::shell {
namespace {

using test::TestGame;

const char kNoticeCaption[] = "起動時の情報";
const char kSettingsCaption[] = "ゲーム設定";

// A game whose first script ends at once (or runs what setScript gives).
struct StartGame {
    StartGame() { setScript(" cmd end\n"); }
    void setScript(const std::string& body) {
        std::vector<uint8_t> bytes = TestGame::assembleOrFail(body);
        game.dir().write(test::u8(u8"obj/雪花ノ記憶.o"), std::string(bytes.begin(), bytes.end()));
    }
    Engine& e() { return game.engine(); }
    platform::HeadlessHost& host() { return static_cast<platform::HeadlessHost&>(game.host()); }
    const std::vector<platform::HeadlessDialogs::Shown>& dialogs() {
        return host().headlessDialogs().shown();
    }
    std::string cfgPath() { return environmentFilePath(e()); }
    std::string cfg() {
        std::string rel = cfgPath().substr(game.dir().path().size() + 1);
        return game.dir().read(rel);
    }
    void putCfg(const std::string& bytes) {
        game.dir().write(cfgPath().substr(game.dir().path().size() + 1), bytes);
    }
    int run(const std::function<void()>& afterTurn = {}) { return runGame(e(), afterTurn); }

    TestGame game;
};

class GameStart : public ::testing::Test, protected StartGame {};

TEST_F(GameStart, TheFirstStartAsksAndTheEndRemembers) {
    // The save folder does not exist yet: start-up makes it for the marker.
    EXPECT_FALSE(std::filesystem::exists(game.dir().path() + "/userdata"));
    setScript(" push 20\n cmd wait\n cmd end\n");
    std::string during;
    EXPECT_EQ(run([&] {
                  if (during.empty()) during = cfg();
              }),
              0);
    ASSERT_EQ(dialogs().size(), 1u);
    EXPECT_EQ(dialogs()[0].caption, kSettingsCaption);
    EXPECT_EQ(dialogs()[0].result, 1);
    EXPECT_TRUE(game.boxTexts(kNoticeCaption).empty());
    EXPECT_EQ(during, kRunningMarker);
    // The orderly end wrote the whole file: the next start asks nothing.
    std::string after = cfg();
    EXPECT_EQ(after.substr(0, after.find("\r\n")), "# 残念ですが、正常終了しました");
    EXPECT_NE(after.find("\r\nＭＳ 明朝"), std::string::npos);
    // The log: start, game start, end.
    std::string log = game.log();
    size_t started = log.find("起動しました"), playing = log.find("ゲームを開始します"),
           ended = log.find("ゲームを終了しました");
    EXPECT_TRUE(started < playing && playing < ended && ended != std::string::npos);
}

TEST_F(GameStart, ACleanLastEndAsksNothing) {
    putCfg(
        formatEnvironmentFile(EnvironmentSettings{.useDirect3D = 0, .fontName = "IPAGothic"}, 0));
    EXPECT_EQ(run(), 0);
    EXPECT_TRUE(dialogs().empty());
    EXPECT_EQ(e().app.runState, 1);
    EXPECT_EQ(e().app.useDirect3D, 0);
    EXPECT_EQ(e().text->fontName, "IPAGothic");
    EXPECT_NE(cfg().find("\r\n1...DirectX 使用フラグ\r\n"), std::string::npos);
}

TEST_F(GameStart, AfterACrashTheNoticeTheDialogAndTheDefaults) {
    putCfg(kRunningMarker);
    EXPECT_EQ(run(), 0);
    ASSERT_EQ(game.boxTexts(kNoticeCaption).size(), 1u);
    EXPECT_EQ(game.boxTexts(kNoticeCaption)[0].substr(0, 27), "前回正常終了しませんでした\n");
    ASSERT_EQ(dialogs().size(), 1u);
    EXPECT_EQ(e().text->fontName, "ＭＳ 明朝");
    EXPECT_EQ(e().app.useDirectX, 1);
    EXPECT_EQ(e().app.useDirect3D, 1);
    EXPECT_EQ(cfg().substr(0, 1), "#");
}

TEST_F(GameStart, WithoutSingleInstanceChecksTheNoticeIsLeftOut) {
    putCfg(kRunningMarker);
    e().app.singleInstanceChecks = 0;
    EXPECT_EQ(run(), 0);
    EXPECT_TRUE(game.boxTexts(kNoticeCaption).empty());
    EXPECT_EQ(dialogs().size(), 1u);
}

TEST_F(GameStart, KeysHeldAtStart) {
    putCfg(formatEnvironmentFile(EnvironmentSettings{}, 0));
    host().headlessWindow().setHeldModifiers({.shift = true, .ctrl = false});
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(game.boxTexts(kNoticeCaption).size(), 1u);
    EXPECT_TRUE(dialogs().empty());

    StartGame ctrl;
    ctrl.putCfg(formatEnvironmentFile(EnvironmentSettings{}, 0));
    ctrl.host().headlessWindow().setHeldModifiers({.shift = false, .ctrl = true});
    EXPECT_EQ(ctrl.run(), 0);
    EXPECT_TRUE(ctrl.game.boxTexts(kNoticeCaption).empty());
    EXPECT_EQ(ctrl.dialogs().size(), 1u);
}

TEST_F(GameStart, SettingsOptions) {
    // --settings asks even after a clean end; --no-settings never asks and takes the choices.
    putCfg(formatEnvironmentFile(EnvironmentSettings{}, 0));
    e().app.settingsDialogRequest = 1;
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(dialogs().size(), 1u);

    StartGame never;
    never.e().app.settingsDialogRequest = -1;
    EXPECT_EQ(never.run(), 0);
    EXPECT_TRUE(never.dialogs().empty());
    EXPECT_EQ(never.cfg().substr(0, 1), "#");
}

TEST_F(GameStart, QuittingInTheDialogEndsAtOnce) {
    host().headlessDialogs().answerWith(2);
    EXPECT_EQ(run(), 0);
    EXPECT_TRUE(e().app.startCancelled);
    EXPECT_FALSE(std::filesystem::exists(cfgPath()));
    EXPECT_NE(game.log().find("起動しました"), std::string::npos);
    EXPECT_EQ(game.log().find("ゲームを開始します"), std::string::npos);
    EXPECT_EQ(game.log().find("ゲームを終了しました"), std::string::npos);
}

TEST_F(GameStart, AFatalScriptErrorKeepsTheMarker) {
    setScript(" push 1\n push 0\n \\\n cmd end\n");
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(cfg(), kRunningMarker);
    // The next start: the notice, the dialog, the defaults; an orderly end puts the file back.
    StartGame next;
    next.putCfg(cfg());
    EXPECT_EQ(next.run(), 0);
    EXPECT_EQ(next.game.boxTexts(kNoticeCaption).size(), 1u);
    EXPECT_EQ(next.dialogs().size(), 1u);
    EXPECT_EQ(next.cfg().substr(0, 1), "#");
}

TEST_F(GameStart, TheCommandLinesModeOverridesTheFile) {
    putCfg(formatEnvironmentFile(EnvironmentSettings{}, 1));
    e().app.windowModeRequest = 0;
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(e().app.windowModeSetting, 0);
}

TEST_F(GameStart, TheSettingsDialogIsDrawnInAWindowPlacedForIt) {
    run();
    // The window was placed for the dialog first (550 x 424 at scale 1), then for the screen.
    EXPECT_EQ(host().headlessWindow().title(), "雪花ノ記憶");
    EXPECT_GE(host().headlessPresenter().backgrounds(), 2);
}

TEST_F(GameStart, AClosedWindowWritesTheFile) {
    // The close box, answered OK: the file is written before the window goes.
    setScript(" push 100000\n cmd wait\n cmd end\n");
    bool posted = false;
    run([&] {
        if (!posted) host().headlessEvents().post(platform::WindowEvent::Close);
        posted = true;
    });
    EXPECT_EQ(cfg().substr(0, 1), "#");
}

}  // namespace
}  // namespace rs::shell
