#include <gtest/gtest.h>

#include "shell/command_line.h"
#include "shell/startup.h"

namespace rs::shell {
namespace {

TEST(CommandLine, OriginalOptionsAreSingleTokens) {
    LaunchOptions o = parseCommandLine({"-path/srv/data/", "-v65536", "-wait", "-x", "games/one"});
    EXPECT_TRUE(o.errors.empty());
    EXPECT_EQ(o.app.dataFolderPrefix, "/srv/data/");
    EXPECT_EQ(o.app.variablePoolSize, 65536);
    EXPECT_EQ(o.app.singleInstanceChecks, 0);
    EXPECT_EQ(o.app.programFolder, "games/one");
    EXPECT_TRUE(o.folderGiven);
    // Without a folder the current one is meant (or, in a window without a game there, the
    // launcher asks).
    LaunchOptions none = parseCommandLine({"-w", "--settings"});
    EXPECT_FALSE(none.folderGiven);
    EXPECT_EQ(none.app.programFolder, ".");
    // The ignored token is kept as before, but named.
    ASSERT_EQ(o.warnings.size(), 1u);
    EXPECT_NE(o.warnings[0].find("'-x'"), std::string::npos);
}

TEST(CommandLine, IgnoredAndReplacedTokensAreNamed) {
    LaunchOptions o = parseCommandLine({"-h", "first", "second", "-help"});
    EXPECT_TRUE(o.errors.empty());
    EXPECT_EQ(o.app.programFolder, "second");
    ASSERT_EQ(o.warnings.size(), 3u);
    EXPECT_NE(o.warnings[0].find("--help"), std::string::npos);
    EXPECT_NE(o.warnings[1].find("'second' replaces 'first'"), std::string::npos);
    EXPECT_NE(o.warnings[2].find("--help"), std::string::npos);
    EXPECT_TRUE(parseCommandLine({"-wait", "-v100", "-pathx", "game"}).warnings.empty());
}

TEST(CommandLine, EngineOptions) {
    LaunchOptions o = parseCommandLine({"--headless", "--virtual-clock", "--timeout", "2.5"});
    EXPECT_TRUE(o.errors.empty());
    EXPECT_TRUE(o.headless);
    EXPECT_TRUE(o.virtualClock);
    EXPECT_DOUBLE_EQ(o.timeoutSeconds, 2.5);
    EXPECT_EQ(o.app.programFolder, ".");
}

TEST(CommandLine, BadOptionsAreReported) {
    EXPECT_EQ(parseCommandLine({"--frobnicate"}).errors.size(), 1u);
    EXPECT_EQ(parseCommandLine({"--timeout"}).errors.size(), 1u);
    EXPECT_EQ(parseCommandLine({"--timeout", "soon"}).errors.size(), 1u);
    EXPECT_EQ(parseCommandLine({"-v"}).errors.size(), 1u);
    EXPECT_EQ(parseCommandLine({"-v0"}).errors.size(), 1u);
    EXPECT_EQ(parseCommandLine({"-v999999999999"}).errors.size(), 1u);
}

TEST(CommandLine, ScreenshotOptions) {
    LaunchOptions o = parseCommandLine({"--screenshot", "out.png", "--screenshot-at", "1500"});
    EXPECT_TRUE(o.errors.empty());
    EXPECT_EQ(o.screenshotPath, "out.png");
    EXPECT_EQ(o.screenshotAtMs, 1500);
    EXPECT_EQ(parseCommandLine({"--screenshot", "a.png"}).screenshotAtMs, -1);
    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"--screenshot"},
             {"--screenshot", "a.png", "--screenshot-at"},
             {"--screenshot", "a.png", "--screenshot-at", "-5"},
             {"--screenshot", "a.png", "--screenshot-at", "12ms"},
             {"--screenshot", "a.png", "--screenshot-at", "3000000000"},
             {"--screenshot-at", "10"},  // a time without a file
         }) {
        EXPECT_EQ(parseCommandLine(bad).errors.size(), 1u) << bad.back();
    }
}

TEST(CommandLine, WindowOptions) {
    LaunchOptions o = parseCommandLine({"--scale", "3", "--filter", "linear", "--fullscreen",
                                        "--vsync", "--back-end", "direct3d", "--exit-at", "900"});
    EXPECT_TRUE(o.errors.empty());
    EXPECT_EQ(o.scale, 3);
    EXPECT_EQ(o.app.scaleFilter, platform::ScaleFilter::Linear);
    EXPECT_EQ(o.app.windowModeRequest, 1);
    EXPECT_TRUE(o.vsync);
    EXPECT_EQ(o.app.backEndRequest, 2);
    EXPECT_EQ(o.exitAtMs, 900);
    // Without options: the automatic scale, the sharp filter, the configured mode and back-end.
    LaunchOptions d = parseCommandLine({});
    EXPECT_EQ(d.scale, 0);
    EXPECT_EQ(d.app.scaleFilter, platform::ScaleFilter::Sharp);
    EXPECT_EQ(d.app.windowModeRequest, -1);
    EXPECT_EQ(d.app.settingsDialogRequest, 0);
    EXPECT_EQ(d.app.backEndRequest, -1);
    EXPECT_EQ(d.exitAtMs, -1);
    EXPECT_EQ(parseCommandLine({"--window"}).app.windowModeRequest, 0);
    EXPECT_EQ(parseCommandLine({"--settings"}).app.settingsDialogRequest, 1);
    EXPECT_EQ(parseCommandLine({"--no-settings"}).app.settingsDialogRequest, -1);
    EXPECT_EQ(parseCommandLine({"--back-end", "software"}).app.backEndRequest, 0);
    EXPECT_EQ(parseCommandLine({"--back-end", "directdraw"}).app.backEndRequest, 1);
    EXPECT_EQ(parseCommandLine({"--filter", "nearest"}).app.scaleFilter,
              platform::ScaleFilter::Nearest);
    // Absurd values are refused with a message that says what would do.
    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"--scale"},
             {"--scale", "0"},
             {"--scale", "-2"},
             {"--scale", "17"},
             {"--scale", "2.5"},
             {"--scale", "99999999999999999999"},
             {"--filter", "bicubic"},
             {"--filter"},
             {"--back-end", "opengl"},
             {"--fullscreen", "--window"},
             {"--settings", "--no-settings"},
             {"--exit-at", "-1"},
             {"--exit-at"},
         }) {
        LaunchOptions r = parseCommandLine(bad);
        ASSERT_EQ(r.errors.size(), 1u) << bad[0];
    }
    EXPECT_EQ(parseCommandLine({"--scale", "0"}).errors[0],
              "--scale needs a whole number from 1 to 16, not '0'");
}

TEST(GameStrings, LinesAreCutAtTheirFirstControlOrSpace) {
    AppState app;
    parseGameStrings(app, "Engine Name\r\nタイトル\tx\r\nkey\n");
    EXPECT_EQ(app.engineName, "Engine");
    EXPECT_EQ(app.gameTitle, "タイトル");
    EXPECT_EQ(app.gameKey, "key");
    EXPECT_EQ(app.cdFolderName, "yukibana");  // missing line: the default stays
    AppState empty;
    parseGameStrings(empty, "");
    EXPECT_EQ(empty.gameTitle, "雪花ノ記憶");
}

}  // namespace
}  // namespace rs::shell
