#include "shell/settings_file.h"

#include <gtest/gtest.h>

#include "shell/command_line.h"
#include "support/test_game.h"

namespace rs::shell {
namespace {

TEST(SettingsFile, ReadsEveryKey) {
    std::vector<std::string> warnings;
    EngineSettings s = parseSettingsFile(
        "# RuneStage\n"
        "[display]\n"
        "scale = 3\n"
        "Filter = Nearest\n"
        "fullscreen = yes\n"
        "vsync=1\n"
        "\n"
        "[Sound]\n"
        "volume = 40\n"
        "mute = 0\n"
        "soundfont = fonts/piano.sf2\n",
        warnings);
    EXPECT_TRUE(warnings.empty()) << warnings[0];
    EXPECT_EQ(s.scale, 3);
    EXPECT_EQ(s.filter, platform::ScaleFilter::Nearest);
    EXPECT_EQ(s.fullScreen, 1);
    EXPECT_EQ(s.vsync, true);
    EXPECT_EQ(s.volume, 40);
    EXPECT_EQ(s.mute, false);
    EXPECT_EQ(s.soundfont, "fonts/piano.sf2");
    EXPECT_EQ(parseSettingsFile("[display]\nscale = auto\n", warnings).scale, 0);
}

TEST(SettingsFile, NamesEveryLineItCannotUse) {
    std::vector<std::string> warnings;
    EngineSettings s = parseSettingsFile(
        "scale = 2\n"  // 1: before any section
        "[display]\n"
        "scale = 40\n"        // 3: out of range
        "filter = bicubic\n"  // 4
        "colour = blue\n"     // 5: unknown key
        "just words\n"        // 6
        "[network\n"          // 7: no closing bracket
        "[extras]\n"          // 8: unknown section
        "anything = 1\n"      // (covered by the section)
        "[sound]\n"
        "volume = 101\n"   // 11
        "mute = maybe\n",  // 12
        warnings);
    ASSERT_EQ(warnings.size(), 9u);
    EXPECT_EQ(warnings[0], "line 1: a key before any [section]");
    EXPECT_EQ(warnings[1],
              "line 3: display.scale needs a whole number from 1 to 16, or auto, not '40'");
    EXPECT_EQ(warnings[2].substr(0, 8), "line 4: ");
    EXPECT_EQ(warnings[3], "line 5: unknown key 'colour' in [display]");
    EXPECT_EQ(warnings[4], "line 6: not a 'key = value' line");
    EXPECT_EQ(warnings[5], "line 7: a section name needs a closing ']'");
    EXPECT_EQ(warnings[6], "line 8: unknown section [extras]");
    EXPECT_EQ(warnings[7].substr(0, 9), "line 11: ");
    EXPECT_EQ(warnings[8].substr(0, 9), "line 12: ");
    EXPECT_FALSE(s.scale || s.filter || s.volume || s.mute);
}

TEST(SettingsFile, TheCommandLineOverridesTheFileForTheRun) {
    test::TempDir dir;
    dir.write("runestage/runestage.ini",
              "[display]\nscale = 2\nfilter = linear\nfullscreen = 1\nvsync = on\n"
              "[sound]\nvolume = 30\nmute = 1\nsoundfont = sf/gm.sf2\n");
    std::string path = settingsFilePath(dir.path());
    EXPECT_EQ(path, dir.path() + "/runestage/runestage.ini");
    std::vector<std::string> warnings;
    LaunchOptions base;
    applySettings(readSettingsFile(path, warnings), path, base);
    EXPECT_TRUE(warnings.empty());
    LaunchOptions plain = parseCommandLine({}, base);
    EXPECT_EQ(plain.scale, 2);
    EXPECT_EQ(plain.app.scaleFilter, platform::ScaleFilter::Linear);
    EXPECT_EQ(plain.app.windowModeRequest, 1);
    EXPECT_TRUE(plain.vsync);
    EXPECT_EQ(plain.app.playerSound.volume, 30);
    EXPECT_TRUE(plain.app.playerSound.mute);
    EXPECT_EQ(plain.app.soundfontPath, dir.path() + "/runestage/sf/gm.sf2");
    LaunchOptions over =
        parseCommandLine({"--scale", "4", "--filter", "sharp", "--window", "--volume", "90"}, base);
    EXPECT_TRUE(over.errors.empty());
    EXPECT_EQ(over.scale, 4);
    EXPECT_EQ(over.app.scaleFilter, platform::ScaleFilter::Sharp);
    EXPECT_EQ(over.app.windowModeRequest, 0);
    EXPECT_EQ(over.app.playerSound.volume, 90);
    // A missing file sets nothing and says nothing; an unreadable one is named.
    warnings.clear();
    EngineSettings none = readSettingsFile(dir.path() + "/none.ini", warnings);
    EXPECT_TRUE(warnings.empty());
    EXPECT_FALSE(none.scale);
    dir.write("folder.ini/x", "");
    readSettingsFile(dir.path() + "/folder.ini", warnings);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("folder.ini"), std::string::npos);
}

}  // namespace
}  // namespace rs::shell
