#include "shell/environment_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "display/display.h"
#include "sound/sound_state.h"
#include "support/test_game.h"
#include "text/font_state.h"

namespace rs::shell {
namespace {

using test::TempDir;
using test::TestGame;

// The file an orderly end writes with the default settings, the Mincho face and window mode.
const std::string kDefaultFile =
    "# 残念ですが、正常終了しました\r\n"
    "004...環境ファイルバージョン\r\n"
    "2...DirectX 使用フラグ\r\n"
    "1...ジョイスティック\r\n"
    "1...MIDIスイッチ\r\n"
    "0...PCM音源スイッチ\r\n"
    "1...DirectSoundスイッチ\r\n"
    "0...ウィンドウモード\r\n"
    "0...ＶＳＹＮＣに同期\r\n"
    "ＭＳ 明朝";

EnvironmentSettings withFont(const char* face) {
    EnvironmentSettings s;
    s.fontName = face;
    return s;
}

TEST(EnvironmentFile, IsWrittenByteForByte) {
    EXPECT_EQ(formatEnvironmentFile(withFont("ＭＳ 明朝"), 0), kDefaultFile);
    // DirectDraw, no DirectX, a joystick to detect, MIDI off, sound usable, full screen, no face.
    EnvironmentSettings s;
    s.useDirect3D = 0;
    s.joystickSetting = -1;
    s.midiSwitch = 0;
    s.directSoundState = 1;
    std::string text = formatEnvironmentFile(s, 1);
    EXPECT_NE(
        text.find("\r\n1...DirectX 使用フラグ\r\n0...ジョイスティック\r\n0...MIDIスイッチ\r\n"
                  "0...PCM音源スイッチ\r\n2...DirectSoundスイッチ\r\n1...ウィンドウモード\r\n"),
        std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");  // the empty face ends the file
    s.useDirectX = 0;
    s.useDirect3D = 1;
    EXPECT_NE(formatEnvironmentFile(s, -1).find("\r\n0...DirectX 使用フラグ\r\n"),
              std::string::npos);
    // A run that never made its screen writes its window state as -1.
    EXPECT_NE(formatEnvironmentFile(s, -1).find("\r\n-1...ウィンドウモード\r\n"),
              std::string::npos);
    // A face name longer than the buffer is cut.
    EXPECT_EQ(formatEnvironmentFile(withFont(std::string(300, 'x').c_str()), 0).size(),
              formatEnvironmentFile(withFont(""), 0).size() + 255);
    EXPECT_EQ(std::string(kRunningMarker), "! 実行中です（実行中で無いなら、異常終了です）\n");
}

TEST(EnvironmentFile, ReadsBackWhatItWrites) {
    for (int32_t fullScreen : {-1, 0, 1}) {
        EnvironmentSettings written;
        written.useDirect3D = 0;
        written.joystickSetting = 0;
        written.midiSwitch = 0;
        written.fontName = "IPAGothic";
        EnvironmentSettings read;
        read.fontName = "before";
        EXPECT_EQ(parseEnvironmentFile(formatEnvironmentFile(written, fullScreen), -1, read), 1);
        EXPECT_EQ(read.useDirectX, 1);
        EXPECT_EQ(read.useDirect3D, 0);
        EXPECT_EQ(read.joystickSetting, 0);
        EXPECT_EQ(read.midiSwitch, 0);
        // "-1" reads back as -1, not as '-' minus '0'.
        EXPECT_EQ(read.windowModeSetting, fullScreen);
        EXPECT_EQ(read.fontName, "IPAGothic");
    }
}

TEST(EnvironmentFile, ReadRules) {
    auto read = [](std::string text, int32_t installMode = -1) {
        EnvironmentSettings s;
        s.fontName = "old";
        int32_t state = parseEnvironmentFile(text, installMode, s);
        return std::make_pair(state, s);
    };
    auto replaceLine = [](int line, const std::string& with) {
        std::string text = kDefaultFile;
        size_t start = 0;
        for (int i = 1; i < line; ++i) start = text.find("\r\n", start) + 2;
        size_t end = text.find("\r\n", start);
        return text.replace(start, end == std::string::npos ? std::string::npos : end - start,
                            with);
    };
    // The running marker: runState 2 and nothing else read.
    auto [marked, defaults] = read(std::string(kRunningMarker) + kDefaultFile);
    EXPECT_EQ(marked, 2);
    EXPECT_EQ(defaults.fontName, "old");
    // Another version stops the reading: nothing after it applies.
    auto [v5, s5] = read(replaceLine(2, "005...環境ファイルバージョン"));
    EXPECT_EQ(v5, 0);
    EXPECT_EQ(s5.fontName, "old");
    EXPECT_EQ(read(replaceLine(2, "4")).first, 1);  // "4" is the number 4 as well
    // The DirectX line: 1 DirectDraw, 2 Direct3D, 0 none; ignored with an installer mode.
    EXPECT_EQ(read(replaceLine(3, "1")).second.useDirect3D, 0);
    EXPECT_EQ(read(replaceLine(3, "1")).second.useDirectX, 1);
    EXPECT_EQ(read(replaceLine(3, "0")).second.useDirectX, 0);
    EXPECT_EQ(read(replaceLine(3, "0")).second.useDirect3D, 1);
    EXPECT_EQ(read(replaceLine(3, "0"), 2).second.useDirectX, 1);
    EXPECT_EQ(read(replaceLine(3, "1"), 0).second.useDirect3D, 1);
    // The joystick: stored "2" (on) reads as -1 (detect), "1" off, "0" detect.
    EXPECT_EQ(read(replaceLine(4, "2")).second.joystickSetting, -1);
    EXPECT_EQ(read(replaceLine(4, "1")).second.joystickSetting, 0);
    EXPECT_EQ(read(replaceLine(4, "0")).second.joystickSetting, -1);
    EXPECT_EQ(read(replaceLine(4, "3")).second.joystickSetting, 2);
    EXPECT_EQ(read(replaceLine(5, "0")).second.midiSwitch, 0);
    EXPECT_EQ(read(replaceLine(8, "1")).second.windowModeSetting, 1);
    // An empty font line keeps the face (the font search then finds one): the file ends right
    // after the ninth line and still counts as complete.
    std::string nine = formatEnvironmentFile(withFont(""), 0);
    EXPECT_EQ(read(nine).first, 1);
    EXPECT_EQ(read(nine).second.fontName, "old");
    // Without the ninth line's end it is incomplete.
    EXPECT_EQ(read(nine.substr(0, nine.size() - 2)).first, 0);
    // Plain LF line ends read the same; a font line's own line end is not part of the name.
    std::string lf = kDefaultFile;
    for (size_t p; (p = lf.find("\r\n")) != std::string::npos;) lf.erase(p, 1);
    EXPECT_EQ(read(lf + "\r\n").second.fontName, "ＭＳ 明朝");
    EXPECT_EQ(read(lf).first, 1);
}

TEST(EnvironmentFile, BrokenFilesApplyWhatWasReadBeforeTheFault) {
    auto read = [](const std::string& text) {
        EnvironmentSettings s;
        return std::make_pair(parseEnvironmentFile(text, -1, s), s);
    };
    // Cut after the MIDI line: the lines before it apply, runState stays 0.
    size_t cut = kDefaultFile.find("0...PCM");
    std::string truncated = kDefaultFile.substr(0, cut);
    truncated.replace(truncated.find("2...DirectX"), 1, "1");
    truncated.replace(truncated.find("1...MIDI"), 1, "0");
    auto [state, s] = read(truncated);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(s.useDirect3D, 0);
    EXPECT_EQ(s.midiSwitch, 0);
    EXPECT_EQ(s.windowModeSetting, -1);
    // Every prefix of the file reads without harm.
    // (From the end of the ninth line on it is complete: an empty or a cut face name.)
    size_t nine = kDefaultFile.rfind("\r\n") + 2;
    for (size_t n = 0; n < kDefaultFile.size(); ++n)
        EXPECT_EQ(read(kDefaultFile.substr(0, n)).first, n >= nine ? 1 : 0) << n;
    // Binary garbage, a NUL in a line, a Ctrl-Z that ends the text, an overlong line.
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 7919) & 0xFF));
    EXPECT_EQ(read(garbage).first, 0);
    EXPECT_EQ(read(std::string("#\0x\n004\n", 8)).first, 0);
    EXPECT_EQ(read(kDefaultFile.substr(0, 50) + "\x1A" + kDefaultFile.substr(50)).first, 0);
    // A first line of 300 bytes continues in the next read, which is then not the version.
    EXPECT_EQ(
        read(std::string(300, '#') + "\r\n" + kDefaultFile.substr(kDefaultFile.find("004"))).first,
        0);
    // A face name longer than a line is cut to 255 bytes.
    auto [longState, longFace] =
        read(kDefaultFile.substr(0, kDefaultFile.find("ＭＳ")) + std::string(1000, 'f'));
    EXPECT_EQ(longState, 1);
    EXPECT_EQ(longFace.fontName, std::string(255, 'f'));
}

class EnvironmentGame : public ::testing::Test {
  protected:
    std::string path() { return environmentFilePath(game.engine()); }
    void put(const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(path()).parent_path());
        FILE* f = std::fopen(path().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    std::string contents() {
        std::string out;
        if (FILE* f = std::fopen(path().c_str(), "rb")) {
            char buf[4096];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
            std::fclose(f);
        }
        return out;
    }
    TestGame game;
};

TEST_F(EnvironmentGame, LivesInTheSaveFolderUnderTheGameTitle) {
    EXPECT_EQ(path(),
              game.dir().path() + "/userdata/SEIRAN-DO/yukibana/" + test::u8(u8"雪花ノ記憶.cfg"));
    game.engine().app.gameTitle = "a/b";
    EXPECT_EQ(path(), game.dir().path() + "/userdata/SEIRAN-DO/yukibana/a_b.cfg");
}

TEST_F(EnvironmentGame, TheSettingsReachTheEngineAndComeBack) {
    Engine& e = game.engine();
    put(formatEnvironmentFile(withFont("IPAGothic"), 1)
            .replace(kDefaultFile.find("1...MIDI"), 1, "0"));
    readEnvironmentFile(e);
    EXPECT_EQ(e.app.runState, 1);
    EXPECT_EQ(e.sound->midiSwitch, 0);
    EXPECT_EQ(e.app.windowModeSetting, 1);
    EXPECT_EQ(e.text->fontName, "IPAGothic");
    writeRunningMarker(e);
    EXPECT_EQ(contents(), kRunningMarker);
    e.display->mode.fullScreenState = 0;
    writeEnvironmentFile(e);
    std::string again = contents();
    EXPECT_NE(again.find("\r\n0...MIDIスイッチ\r\n"), std::string::npos);
    EXPECT_NE(again.find("\r\n0...ウィンドウモード\r\n"), std::string::npos);
    EXPECT_EQ(again.substr(again.size() - 9), "IPAGothic");
    // No temporary file stays behind.
    int files = 0;
    for (auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(path()).parent_path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(EnvironmentGame, BadFilesLeaveTheDefaultsAndAreKept) {
    Engine& e = game.engine();
    // Missing: nothing changes.
    readEnvironmentFile(e);
    EXPECT_EQ(e.app.runState, 0);
    // 10 MB of garbage: only its start is looked at, runState stays 0, the file stays.
    std::string big(10 << 20, '\xFF');
    put(big);
    readEnvironmentFile(e);
    EXPECT_EQ(e.app.runState, 0);
    EXPECT_EQ(contents().size(), big.size());
    // 10 MB that start as a good file: the face is cut, the rest ignored.
    put(kDefaultFile + std::string(10 << 20, 'z'));
    readEnvironmentFile(e);
    EXPECT_EQ(e.app.runState, 1);
    EXPECT_EQ(e.text->fontName.size(), 255u);
    // A folder in its place: nothing read, and a write fails without touching it.
    std::filesystem::remove(path());
    std::filesystem::create_directories(path() + "/inside");
    e.app.runState = 0;
    readEnvironmentFile(e);
    EXPECT_EQ(e.app.runState, 0);
    writeEnvironmentFile(e);
    EXPECT_TRUE(e.app.environmentWriteFailed);
    EXPECT_TRUE(std::filesystem::is_directory(path() + "/inside"));
    // Unreadable (root reads everything, so only as another user).
    if (getuid() != 0) {
        std::filesystem::remove_all(path());
        put(kDefaultFile);
        chmod(path().c_str(), 0);
        e.app.runState = 0;
        readEnvironmentFile(e);
        EXPECT_EQ(e.app.runState, 0);
        chmod(path().c_str(), 0600);
    }
}

}  // namespace
}  // namespace rs::shell
