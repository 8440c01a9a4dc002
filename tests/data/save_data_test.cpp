#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/atomic_file.h"
#include "data/file_buffer.h"
#include "data/game_data.h"
#include "data/save_data.h"
#include "support/test_game.h"

namespace rs::data {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::TestGame;

std::span<const uint8_t> spanOf(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

FileBuffer bufferOf(const std::string& s) {
    FileBuffer b;
    EXPECT_TRUE(writeAtPosition(b, spanOf(s)));
    return b;
}

// Names in a folder other than the ones listed: what a save left behind.
std::vector<std::string> strayFiles(const std::string& dir,
                                    std::initializer_list<std::string> expected) {
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::string name = entry.path().filename().string();
        if (std::find(expected.begin(), expected.end(), name) == expected.end())
            out.push_back(name);
    }
    return out;
}

// Limits the size of files this process writes, so that a save fails in the middle as on a full
// disk. Writes past the limit fail with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        old_ = ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit r = saved_;
        r.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &r);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, old_);
    }

  private:
    rlimit saved_{};
    sighandler_t old_;
};

// Whether permissions stop this process from writing (they do not for root).
bool permissionsApply(const TempDir& dir) {
    std::string probe = dir.path() + "/ro-probe";
    fs::create_directories(probe);
    fs::permissions(probe, fs::perms::owner_read | fs::perms::owner_exec);
    bool blocked = ::access(probe.c_str(), W_OK) != 0;
    fs::permissions(probe, fs::perms::owner_all);
    fs::remove(probe);
    return blocked;
}

TEST(ReplaceFile, CreatesAndReplacesWithoutLeavingTemporaryFiles) {
    TempDir dir;
    std::string path = dir.path() + "/a.dat";
    EXPECT_EQ(replaceFile(path, spanOf("first")), WriteOutcome::Ok);
    EXPECT_EQ(dir.read("a.dat"), "first");
    ::chmod(path.c_str(), 0640);
    EXPECT_EQ(replaceFile(path, spanOf("second, longer")), WriteOutcome::Ok);
    EXPECT_EQ(dir.read("a.dat"), "second, longer");
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);  // the replacement keeps the file's permissions
    EXPECT_EQ(replaceFile(path, {}), WriteOutcome::Ok);
    EXPECT_EQ(dir.read("a.dat"), "");
    EXPECT_TRUE(strayFiles(dir.path(), {"a.dat"}).empty());
}

TEST(ReplaceFile, FailuresLeaveTheOldFile) {
    TempDir dir;
    dir.write("plain", "x");
    // A folder path through a regular file cannot be created.
    EXPECT_EQ(replaceFile(dir.path() + "/plain/a.dat", spanOf("data")), WriteOutcome::CreateFailed);
    // A folder is not replaced by a file.
    fs::create_directories(dir.path() + "/folder");
    EXPECT_EQ(replaceFile(dir.path() + "/folder", spanOf("data")), WriteOutcome::CreateFailed);
    EXPECT_TRUE(fs::is_directory(dir.path() + "/folder"));

    // A write that fails half way (the file size limit stands in for a full disk).
    std::string old(50000, 'o');
    dir.write("save.dat", old);
    {
        FileSizeLimit limit(20000);
        EXPECT_EQ(replaceFile(dir.path() + "/save.dat", spanOf(std::string(100000, 'n'))),
                  WriteOutcome::WriteFailed);
    }
    EXPECT_EQ(dir.read("save.dat"), old);
    EXPECT_TRUE(strayFiles(dir.path(), {"save.dat", "plain", "folder"}).empty());
}

constexpr const char* kCreateText =
    "のセーブに失敗しました\n\t１）ファイルが書き込み禁止属性になっている\n";
constexpr const char* kWriteText =
    "のセーブに失敗しました\n\t１）ドライブの空き容量が不足している\n";

TEST(SaveData, PlainAndGameDataFilesRoundTrip) {
    TestGame game;
    Engine& e = game.engine();
    const std::string dir = game.dir().path();
    for (const std::string& payload :
         {std::string("x"), std::string(300, '\0'), std::string(1 << 20, 'q') + "end"}) {
        FileBuffer out = bufferOf(payload);
        ASSERT_TRUE(savePlainFile(e, out, dir + "/plain.dat"));
        ASSERT_TRUE(saveGameData(e, out, dir + "/game.dat"));
        FileBuffer in;
        ASSERT_TRUE(loadPlainFile(in, dir + "/plain.dat"));
        EXPECT_EQ(std::string(reinterpret_cast<char*>(in.data.get()), in.size), payload);
        ASSERT_TRUE(loadGameData(e, in, dir + "/game.dat"));
        EXPECT_EQ(std::string(reinterpret_cast<char*>(in.data.get()), in.size), payload);
        EXPECT_EQ(in.position, 0);
    }
    // An empty buffer: an empty plain file (which loads as empty) and a game-data file that
    // does not load, silently.
    FileBuffer empty;
    ASSERT_TRUE(savePlainFile(e, empty, dir + "/plain.dat"));
    ASSERT_TRUE(saveGameData(e, empty, dir + "/game.dat"));
    EXPECT_EQ(game.dir().read("game.dat"), std::string(261, '\0'));
    FileBuffer in;
    EXPECT_TRUE(loadPlainFile(in, dir + "/plain.dat"));
    EXPECT_EQ(in.size, 0);
    EXPECT_FALSE(loadGameData(e, in, dir + "/game.dat"));
    EXPECT_FALSE(loadPlainFile(in, dir + "/missing.dat"));
    EXPECT_FALSE(loadGameData(e, in, dir + "/missing.dat"));
    EXPECT_TRUE(game.boxes().empty());
}

TEST(SaveData, AGarbledFileIsReported) {
    TestGame game;
    std::string file("\x01\x00\x00\x00", 4);  // N = 1, K = 0
    file += std::string("\x05", 1);           // list 0: position 4 of a 1-byte payload
    file += std::string(256, '\0');
    FileBuffer in;
    game.dir().write("bad.dat", file);
    EXPECT_FALSE(loadGameData(game.engine(), in, game.dir().path() + "/bad.dat"));
    EXPECT_EQ(game.boxTexts("ゲームデータの読み込み"),
              std::vector<std::string>{"データが化けています"});
    EXPECT_NE(game.log().find("ゲームデータの読み込み\r\nデータが化けています\r\n"),
              std::string::npos);
}

TEST(SaveData, GameDataSaveFailuresAreShownOncePerRun) {
    TestGame game;
    Engine& e = game.engine();
    game.dir().write("blocker", "a file where a folder should be");
    std::string path = game.dir().path() + "/blocker/save.dat";
    FileBuffer b = bufferOf("data");
    EXPECT_FALSE(saveGameData(e, b, path));
    EXPECT_FALSE(saveGameData(e, b, path));
    auto texts = game.boxTexts("セーブデータの保存");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].rfind("ファイル『", 0), 0u);
    EXPECT_NE(texts[0].find(std::string("blocker/save.dat』") + kCreateText), std::string::npos)
        << texts[0];
    EXPECT_NE(texts[0].find("といった原因が考えられます"), std::string::npos);
    EXPECT_NE(game.log().find("セーブデータの保存\r\nファイル『"), std::string::npos);
}

TEST(SaveData, AShortWriteKeepsTheOldFileAndNamesTheFullDisk) {
    TestGame game;
    Engine& e = game.engine();
    std::string path = game.dir().path() + "/save.dat";
    FileBuffer old = bufferOf("old save");
    ASSERT_TRUE(saveGameData(e, old, path));
    std::string before = game.dir().read("save.dat");
    FileBuffer big = bufferOf(std::string(200000, 'z'));
    {
        FileSizeLimit limit(50000);
        EXPECT_FALSE(saveGameData(e, big, path));
    }
    EXPECT_EQ(game.dir().read("save.dat"), before);
    auto texts = game.boxTexts("セーブデータの保存");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find(kWriteText), std::string::npos) << texts[0];
    FileBuffer in;
    ASSERT_TRUE(loadGameData(e, in, path));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(in.data.get()), in.size), "old save");
}

TEST(SaveData, PlainSaveFailuresAreShownEveryTime) {
    TestGame game;
    game.dir().write("blocker", "");
    FileBuffer b = bufferOf("data");
    std::string path = game.dir().path() + "/blocker/x.dat";
    EXPECT_FALSE(savePlainFile(game.engine(), b, path));
    EXPECT_FALSE(savePlainFile(game.engine(), b, path));
    auto texts = game.boxTexts("error on writefile");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "ファイル『" + path + "』のセーブに失敗しました");
    // This box is not logged.
    EXPECT_EQ(game.log().find("error on writefile"), std::string::npos);
}

TEST(SaveData, AReadOnlyFolderOrFileFailsTheSave) {
    TestGame game;
    if (!permissionsApply(game.dir()))
        GTEST_SKIP() << "running as root: permissions do not stop writes";
    std::string folder = game.dir().path() + "/ro";
    fs::create_directories(folder);
    ::chmod(folder.c_str(), 0555);
    FileBuffer b = bufferOf("data");
    EXPECT_FALSE(saveGameData(game.engine(), b, folder + "/a.dat"));
    EXPECT_FALSE(saveGameData(game.engine(), b, folder + "/b.dat"));
    EXPECT_EQ(game.boxTexts("セーブデータの保存").size(), 1u);
    // A read-only file in a writable folder is not replaced either, as writing it in place would
    // fail.
    game.dir().write("ro.dat", "old");
    ::chmod((game.dir().path() + "/ro.dat").c_str(), 0444);
    EXPECT_EQ(replaceFile(game.dir().path() + "/ro.dat", spanOf("new")),
              WriteOutcome::CreateFailed);
    EXPECT_EQ(game.dir().read("ro.dat"), "old");
}

}  // namespace
}  // namespace rs::data
