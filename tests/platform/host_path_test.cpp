#include <gtest/gtest.h>

#include "platform/host_path.h"
#include "support/test_game.h"

namespace rs::platform {
namespace {

using test::TempDir;
using test::u8;

TEST(HostPath, SplitsWalkingShiftJis) {
    EXPECT_EQ(splitGamePath("pic\\a.bmp"), (std::vector<std::string>{"pic", "a.bmp"}));
    EXPECT_EQ(splitGamePath("\\a\\\\b/c\\"), (std::vector<std::string>{"a", "b", "c"}));
    // 0x83 0x5C is one character: its second byte is not a separator.
    EXPECT_EQ(splitGamePath("\x83\x5C\\x"), (std::vector<std::string>{"\x83\x5C", "x"}));
    EXPECT_EQ(splitGamePath("a\x83"), (std::vector<std::string>{"a\x83"}));
}

TEST(HostPath, FindsEachComponentAsGivenThenUtf8ThenWithoutCase) {
    TempDir dir;
    dir.write(u8(u8"obj/雪花ノ記憶.o"), "x");
    dir.write("raw/雪花.txt", "x");  // code page 932 bytes on disk
    dir.write(u8(u8"ソフト/Data.TXT"), "x");
    dir.write("Mixed/File.Bmp", "x");
    dir.write("\x83\x61.txt", "x");  // a katakana whose second byte is a small letter
    PathResolver r;
    struct Case {
        std::string game;
        std::optional<std::string> host;  // relative to the folder
    };
    const Case cases[] = {
        {"obj\\雪花ノ記憶.o", u8(u8"obj/雪花ノ記憶.o")},
        {"OBJ\\雪花ノ記憶.O", u8(u8"obj/雪花ノ記憶.o")},
        {"raw\\雪花.txt", std::string("raw/雪花.txt")},
        {"RAW\\雪花.TXT", std::string("raw/雪花.txt")},
        {"ソフト\\data.txt", u8(u8"ソフト/Data.TXT")},  // "ソ" ends in 0x5C
        {"mixed\\file.bmp", std::string("Mixed/File.Bmp")},
        {"mixed/FILE.BMP", std::string("Mixed/File.Bmp")},
        {"mixed\\.\\file.bmp", std::string("Mixed/File.Bmp")},
        {"\x83\x61.txt", std::string("\x83\x61.txt")},
        {"\x83\x41.txt", std::nullopt},  // letters inside a character are not folded
        {"mixed\\none.bmp", std::nullopt},
        {"none\\file.bmp", std::nullopt},
    };
    for (const Case& c : cases) {
        auto found = r.findExisting(dir.path(), c.game);
        if (c.host) {
            EXPECT_EQ(found, dir.path() + "/" + *c.host) << c.game;
        } else {
            EXPECT_EQ(found, std::nullopt) << c.game;
        }
    }
}

TEST(HostPath, ListingsAreCachedAndSorted) {
    TempDir dir;
    dir.write("b.txt", "x");
    PathResolver r;
    EXPECT_EQ(r.findExisting(dir.path(), "A.TXT"), std::nullopt);
    dir.write("a.txt", "x");
    // The exact name is looked up afresh; the case-insensitive match uses the listing read before.
    EXPECT_EQ(r.findExisting(dir.path(), "a.txt"), dir.path() + "/a.txt");
    EXPECT_EQ(r.findExisting(dir.path(), "A.TXT"), std::nullopt);
    r.forget(dir.path());
    EXPECT_EQ(r.findExisting(dir.path(), "A.TXT"), dir.path() + "/a.txt");
    // Two names that differ only in case: the first in byte order, every time.
    dir.write("C.txt", "x");
    dir.write("c.txt", "x");
    r.forgetAll();
    EXPECT_EQ(r.findExisting(dir.path(), "c.TXT"), dir.path() + "/C.txt");
}

TEST(HostPath, MapsNewFilesToUtf8) {
    TempDir dir;
    dir.write("Save/old.dat", "x");
    PathResolver r;
    EXPECT_EQ(r.mapForCreate(dir.path(), "save\\新規.dat"),
              dir.path() + "/Save/" + u8(u8"新規.dat"));
    EXPECT_EQ(r.mapForCreate(dir.path(), "save\\OLD.DAT"), dir.path() + "/Save/old.dat");
    EXPECT_EQ(r.mapForCreate(dir.path(), "new\\a\\b.dat"), dir.path() + "/new/a/b.dat");
}

}  // namespace
}  // namespace rs::platform
