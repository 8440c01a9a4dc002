#include <gtest/gtest.h>

#include <filesystem>

#include "data/save_folder.h"
#include "platform/host_path.h"
#include "support/test_game.h"

namespace rs::data {
namespace {

TEST(SaveFolder, RootComesFromTheEnvironment) {
    EXPECT_EQ(userDataRoot("/x/data", "/home/p"), "/x/data");
    EXPECT_EQ(userDataRoot(nullptr, "/home/p"), "/home/p/.local/share");
    // A relative or empty XDG_DATA_HOME is ignored.
    EXPECT_EQ(userDataRoot("rel/data", "/home/p"), "/home/p/.local/share");
    EXPECT_EQ(userDataRoot("", "/home/p/"), "/home/p/.local/share");
    // Without HOME the account's home folder is used (whatever it is, it is absolute).
    std::string fallback = userDataRoot(nullptr, nullptr);
    EXPECT_TRUE(fallback.empty() || fallback[0] == '/') << fallback;
}

TEST(SaveFolder, PathAndItsScriptText) {
    EXPECT_EQ(saveFolderPath("/d", "yukibana"), "/d/SEIRAN-DO/yukibana");
    // A game key in code page 932 becomes UTF-8 on the host; scripts see code page 932 again.
    std::string key = "雪花";
    std::string host = saveFolderPath("/d", key);
    EXPECT_EQ(host, test::u8(u8"/d/SEIRAN-DO/雪花"));
    EXPECT_EQ(scriptTextOfHostPath(host), "/d/SEIRAN-DO/" + key);
}

TEST(SaveFolder, NamesMustStayInsideTheirFolder) {
    struct Case {
        const char* name;
        bool inside;
    };
    const Case cases[] = {
        {"a.dat", true},
        {"sub\\a.dat", true},
        {"sub\\..\\a.dat", true},
        {".\\a.dat", true},
        {"sub/../../a.dat", false},
        {"..\\a.dat", false},
        {"sub\\..\\..\\a.dat", false},
        {"\\etc\\passwd", false},
        {"/etc/passwd", false},
        {"C:\\save.dat", false},
        {"c:save.dat", false},
        {"1:\\x", true},  // not a drive
        // 0x5C as the second byte of a double-byte character is no separator.
        {"\x95\x5C..\\a.dat", true},
        {"", true},
    };
    for (const Case& c : cases) EXPECT_EQ(staysInFolder(c.name), c.inside) << c.name;
}

TEST(SaveFolder, FoldersOnTheWayAreCreated) {
    test::TempDir dir;
    platform::PathResolver paths;
    // The resolver has seen the folder empty before.
    EXPECT_FALSE(paths.findExisting(dir.path(), "a").has_value());
    std::string file = dir.path() + "/a/b/c/x.dat";
    EXPECT_TRUE(createFoldersFor(file, paths));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "/a/b/c"));
    EXPECT_FALSE(dir.exists("a/b/c/x.dat"));
    // The new folders are found, also by a name in another letter case.
    EXPECT_EQ(paths.findExisting(dir.path(), "A\\B").value_or(""), dir.path() + "/a/b");
    EXPECT_TRUE(createFoldersFor(file, paths));  // again: nothing to do
    dir.write("plain", "");
    EXPECT_FALSE(createFoldersFor(dir.path() + "/plain/sub/x.dat", paths));
}

}  // namespace
}  // namespace rs::data
