#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <sstream>

#include "arc/arc_tool.h"
#include "data/archive_test_util.h"
#include "data/resource.h"

namespace rs::tools {
namespace {

using test::TempDir;
using test::u8;

TEST(ArcTool, NameConversions) {
    EXPECT_EQ(memberNameFromHostPath("a.bmp"), "a.bmp");
    EXPECT_EQ(memberNameFromHostPath(u8(u8"sub/雪花.txt")), "sub\\雪花.txt");
    EXPECT_EQ(memberNameFromHostPath("raw/雪花.txt"), "raw\\雪花.txt");  // already code page 932
    EXPECT_EQ(memberNameFromHostPath("emoji\xF0\x9F\x98\x80.txt"), std::nullopt);
    EXPECT_EQ(memberNameFromHostPath(""), std::nullopt);

    EXPECT_EQ(hostPathFromMemberName("sub\\雪花.txt"), u8(u8"sub/雪花.txt"));
    EXPECT_EQ(hostPathFromMemberName("\x83\x5C\\x"), u8(u8"ソ/x"));
    EXPECT_EQ(hostPathFromMemberName("\xFF\xFF"), "\xFF\xFF");  // kept as bytes
    EXPECT_EQ(hostPathFromMemberName("..\\evil"), std::nullopt);
    EXPECT_EQ(hostPathFromMemberName("a\\..\\..\\evil"), std::nullopt);
    EXPECT_EQ(hostPathFromMemberName("\\"), std::nullopt);
}

// A folder of files that exercise the packing: random, repetitive, 0xFF runs, Japanese names.
void fillFolder(const TempDir& dir) {
    std::mt19937 rng(7);
    std::string random(20000, '\0');
    for (char& c : random) c = static_cast<char>(rng());
    dir.write("random.bin", random);
    dir.write("ff.bin", std::string(3000, '\xFF') + "x" + std::string(70, '\xFF'));
    std::string text;
    for (int i = 0; i < 500; ++i) text += "line " + std::to_string(i % 13) + "\n";
    dir.write(u8(u8"シナリオ/第1章.txt"), text);
    dir.write("Sub/B.txt", "b");
    dir.write("sub2/a.txt", "");
}

TEST(ArcTool, CreatedArchivesReadBackByteForByte) {
    TempDir src;
    TempDir game;
    fillFolder(src);
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(arcCreate(src.path(), game.path() + "/pack", out, err), 0) << err.str();

    test::LookupFixture f;
    data::ResourceContext ctx = f.context(false);
    ctx.programFolder = game.path();
    struct Case {
        const char* name;
        std::string hostFile;
    };
    const Case cases[] = {
        {"pack\\random.bin", "random.bin"},
        {"pack\\ff.bin", "ff.bin"},
        {"pack\\シナリオ\\第1章.txt", u8(u8"シナリオ/第1章.txt")},
        {"pack\\sub\\b.txt", "Sub/B.txt"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<uint8_t[]> bytes;
        int32_t n = data::LoadResource(ctx, c.name, bytes);
        std::string expected = src.read(c.hostFile);
        ASSERT_EQ(n, static_cast<int32_t>(expected.size())) << c.name;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.get()), static_cast<size_t>(n)),
                  expected)
            << c.name;
    }
    std::unique_ptr<uint8_t[]> bytes;
    EXPECT_EQ(data::LoadResource(ctx, "pack\\sub2\\a.txt", bytes), 0)
        << "an empty member loads nothing";

    // Extracting gives the files back under UTF-8 names.
    TempDir back;
    ASSERT_EQ(arcExtract(game.path() + "/pack", {}, back.path(), out, err), 0) << err.str();
    EXPECT_EQ(back.read(u8(u8"シナリオ/第1章.txt")), src.read(u8(u8"シナリオ/第1章.txt")));
    EXPECT_EQ(back.read("Sub/B.txt"), "b");
    EXPECT_EQ(back.read("random.bin"), src.read("random.bin"));
    TempDir one;
    ASSERT_EQ(arcExtract(game.path() + "/pack", {u8(u8"シナリオ/第1章.txt")}, one.path(), out, err),
              0)
        << err.str();
    EXPECT_TRUE(one.exists(u8(u8"シナリオ/第1章.txt")));
    EXPECT_FALSE(one.exists("random.bin"));
    EXPECT_EQ(arcExtract(game.path() + "/pack", {"nope.txt"}, one.path(), out, err), 1);

    std::ostringstream listing;
    ASSERT_EQ(arcList(game.path() + "/pack", listing, err), 0);
    EXPECT_NE(listing.str().find(u8(u8"シナリオ\\第1章.txt")), std::string::npos) << listing.str();
    EXPECT_NE(listing.str().find("5 members"), std::string::npos) << listing.str();
}

TEST(ArcTool, RefusesClashesAndBadArchives) {
    TempDir src;
    src.write("a.txt", "1");
    src.write("A.TXT", "2");
    TempDir game;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(arcCreate(src.path(), game.path() + "/x", out, err), 1);
    EXPECT_FALSE(game.exists("x.at2"));
    EXPECT_EQ(arcList(game.path() + "/missing", out, err), 1);
    game.write("bad.at2", test::rawDirectory({{0, 0, 100, 10}}));
    game.write("bad.nme", test::rawNames({"m"}));
    game.write("bad.det", "short");
    EXPECT_EQ(arcExtract(game.path() + "/bad", {}, game.path(), out, err), 1);
    EXPECT_EQ(arcMain({}, out, err), 2);
    EXPECT_EQ(arcMain({"extract", "base"}, out, err), 2);
}

TEST(ArcTool, CommandLineRoundTrip) {
    TempDir src;
    fillFolder(src);
    TempDir work;
    std::string tool = RS_ARC_PATH;
    std::string create =
        "'" + tool + "' create '" + src.path() + "' '" + work.path() + "/data' > /dev/null";
    ASSERT_EQ(std::system(create.c_str()), 0);
    std::string extract = "'" + tool + "' extract '" + work.path() + "/data' -C '" + work.path() +
                          "/out' > /dev/null";
    ASSERT_EQ(std::system(extract.c_str()), 0);
    std::string compare = "diff -r '" + src.path() + "' '" + work.path() + "/out'";
    EXPECT_EQ(std::system(compare.c_str()), 0);
}

}  // namespace
}  // namespace rs::tools
