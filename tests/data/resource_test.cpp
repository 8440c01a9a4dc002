#include <gtest/gtest.h>

#include <sys/stat.h>

#include <thread>

#include "data/archive_test_util.h"
#include "data/lz.h"
#include "data/resource.h"

namespace rs::data {
namespace {

using test::bytesOf;
using test::LookupFixture;
using test::rawDirectory;
using test::RawEntry;
using test::rawNames;

// Where each copy of "pic\a.bmp" lies, and which one a lookup must return.
struct PlacementCase {
    const char* what;
    bool looseInGame, looseInData, archiveInGame, archiveInData;
    const char* expected;  // null: not found
};

TEST(LoadResource, LooseFilesWinAndTheGameFolderComesFirst) {
    const PlacementCase cases[] = {
        {"loose in the game folder beats everything", true, true, true, true, "loose-game"},
        {"loose under -path beats an archive in the game folder", false, true, true, true,
         "loose-data"},
        {"archive in the game folder beats one under -path", false, false, true, true,
         "archive-game"},
        {"archive under -path alone", false, false, false, true, "archive-data"},
        {"nothing anywhere", false, false, false, false, nullptr},
    };
    for (const PlacementCase& c : cases) {
        LookupFixture f;
        if (c.looseInGame) f.game.write("pic/a.bmp", "loose-game");
        if (c.looseInData) f.data.write("pic/a.bmp", "loose-data");
        if (c.archiveInGame)
            test::writeArchive(f.game, "pic", {{"a.bmp", bytesOf("archive-game")}});
        if (c.archiveInData)
            test::writeArchive(f.data, "pic", {{"a.bmp", bytesOf("archive-data")}});
        auto [n, text] = f.load("pic\\a.bmp");
        if (c.expected) {
            EXPECT_EQ(text, c.expected) << c.what;
            EXPECT_EQ(n, static_cast<int32_t>(text.size())) << c.what;
        } else {
            EXPECT_EQ(n, -1) << c.what;
        }
        EXPECT_EQ(ResourceExists(f.context(), "pic\\a.bmp"), c.expected != nullptr) << c.what;
        EXPECT_TRUE(f.logTexts().empty()) << c.what;
    }
}

TEST(LoadResource, ArchiveFilesComeFromOneFolder) {
    LookupFixture f;
    // The directory in the game folder wins; its name file must be beside it.
    test::writeArchive(f.data, "pic", {{"a.bmp", bytesOf("data")}});
    f.game.write("pic.at2", f.data.read("pic.at2"));
    EXPECT_EQ(f.load("pic\\a.bmp").first, -1);
    // Without -path only the game folder is searched.
    LookupFixture g;
    test::writeArchive(g.data, "pic", {{"a.bmp", bytesOf("data")}});
    EXPECT_EQ(g.load("pic\\a.bmp", false).first, -1);
    EXPECT_EQ(g.load("pic\\a.bmp", true).second, "data");
}

TEST(LoadResource, MemberNames) {
    LookupFixture f;
    std::vector<ArchiveMember> members = {
        {"a.bmp", bytesOf("A")},
        {"sub\\a.bmp", bytesOf("SUB")},
        {"Zoo.bmp", bytesOf("ZOO")},  // Z sorts as z, after s
        {"\x83\x41.bmp", bytesOf("KANA")},
        {"\x83\x5C\\x.txt", bytesOf("TRAIL")},  // a member in a folder whose name ends in 0x5C
    };
    test::writeArchive(f.game, "Pic", members);
    struct Case {
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"Pic\\a.bmp", "A"},
        {"Pic\\A.BMP", "A"},         // members compare without ASCII case
        {"pic\\a.bmp", "A"},         // the archive's host file matches without case
        {"Pic\\sub\\a.bmp", "SUB"},  // the rest of the name, backslashes and all
        {"Pic\\SUB\\A.bmp", "SUB"},
        {"Pic\\zoo.bmp", "ZOO"},
        {"Pic\\ZOO.BMP", "ZOO"},
        {"Pic\\\x83\x61.bmp", "KANA"},  // the second byte of a character folds too
        {"Pic\\\x83\x5C\\x.txt", "TRAIL"},
        {"Pic\\b.bmp", nullptr},
        {"Pic\\", nullptr},
        {"a.bmp", nullptr},  // no backslash: only a loose file could match
        {"Nope\\a.bmp", nullptr},
    };
    for (const Case& c : cases) {
        auto [n, text] = f.load(c.name);
        if (c.expected) {
            EXPECT_EQ(text, c.expected) << c.name;
        } else {
            EXPECT_EQ(n, -1) << c.name;
        }
    }
    // A 0x5C that is the second byte of a character does not split the archive name.
    f.game.write(test::u8(u8"ソ.at2"), f.game.read("Pic.at2"));
    f.game.write(test::u8(u8"ソ.nme"), f.game.read("Pic.nme"));
    f.game.write(test::u8(u8"ソ.det"), f.game.read("Pic.det"));
    EXPECT_EQ(f.load("\x83\x5C\\a.bmp").second, "A");
    EXPECT_EQ(FindArchiveEntry(f.context(), "Pic\\A.bmp"), 0);
    EXPECT_EQ(FindArchiveEntry(f.context(), "Pic\\sub\\a.bmp"), 1);  // after "a.bmp"
    EXPECT_EQ(FindArchiveEntry(f.context(), "Pic\\zOO.bmp"), 2);     // before 0x83
}

TEST(LoadResource, LooseFiles) {
    LookupFixture f;
    f.game.write("empty.txt", "");
    f.game.write(test::u8(u8"obj/雪花ノ記憶.o"), "utf8 on disk");
    f.game.write("DATA/Setting.TXT", "any case");
    f.data.write("only-data.txt", "from -path");
    ::mkdir((f.game.path() + "/folder").c_str(), 0755);

    EXPECT_EQ(f.load("empty.txt").first, 0);
    EXPECT_EQ(f.load("obj\\雪花ノ記憶.o").second, "utf8 on disk");
    EXPECT_EQ(f.load("data\\setting.txt").second, "any case");
    EXPECT_EQ(f.load("only-data.txt").second, "from -path");
    EXPECT_EQ(f.load("only-data.txt", false).first, -1);
    EXPECT_EQ(f.load("missing.txt").first, -1);
    // A folder exists but does not load.
    EXPECT_TRUE(LooseFileExists(f.context(), "folder"));
    EXPECT_EQ(f.load("folder").first, -1);
    EXPECT_FALSE(OpenLooseFile(f.context(), "folder").isOpen());
    // Names are held in 2048-byte buffers.
    EXPECT_EQ(f.load(std::string(2048, 'a')).first, -1);
    // A relative -path folder starts at the game folder.
    f.game.write("extra/x.txt", "relative");
    data::ResourceContext ctx = f.context();
    ctx.dataFolder = "extra";
    std::unique_ptr<uint8_t[]> out;
    EXPECT_EQ(LoadResource(ctx, "x.txt", out), 8);
}

TEST(LoadResource, TruncatedTablesAreLoggedAndFail) {
    const std::string title = kFileErrorTitle;
    {
        LookupFixture f;
        test::writeArchive(f.game, "pic", {{"a.bmp", bytesOf("A")}});
        f.game.write("pic.at2", "ab");  // shorter than its trailer
        EXPECT_EQ(f.load("pic\\a.bmp").first, -1);
        auto log = f.logTexts();
        ASSERT_EQ(log.size(), 4u) << "the directory is read four times";
        for (const std::string& entry : log) {
            EXPECT_EQ(entry, title + "|ファイル「" + f.game.path() + "/pic.at2」、エラーカウント0");
        }
        EXPECT_FALSE(ResourceExists(f.context(), "pic\\a.bmp"));
    }
    {
        LookupFixture f;
        test::writeArchive(f.game, "pic", {{"a.bmp", bytesOf("A")}});
        f.game.write("pic.nme", "abc");
        EXPECT_EQ(f.load("pic\\a.bmp").first, -1);
        auto log = f.logTexts();
        ASSERT_EQ(log.size(), 4u);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(log[static_cast<size_t>(i)], title + "|ファイル「" + f.game.path() +
                                                       "/pic.nme」、エラーカウント" +
                                                       std::to_string(i));
        }
        EXPECT_EQ(FindArchiveEntry(f.context(), "pic\\a.bmp"), -1);
    }
    {
        // Exactly the trailer: no records, nothing found, nothing logged.
        LookupFixture f;
        test::writeArchive(f.game, "pic", {{"a.bmp", bytesOf("A")}});
        f.game.write("pic.at2", "TRLR");
        EXPECT_EQ(f.load("pic\\a.bmp").first, -1);
        EXPECT_FALSE(ResourceExists(f.context(), "pic\\a.bmp"));
        EXPECT_TRUE(f.logTexts().empty());
    }
}

TEST(LoadResource, BrokenArchivesFailWithoutReadingOutside) {
    std::vector<uint32_t> offsets;
    std::string names = rawNames({"a.bmp", "b.bmp", "c.bmp"}, &offsets);
    std::vector<uint8_t> packedA = packLz(bytesOf("AAAAAAAA"));
    std::string det = test::textOf(packedA) + "\x41\xFF" + "\x41\xFF\x04";
    auto sizeA = static_cast<uint32_t>(packedA.size());
    struct Case {
        const char* what;
        std::vector<RawEntry> entries;
        int32_t expected;
    };
    const Case cases[] = {
        {"sound", {{offsets[0], 0, sizeA, 8}}, 8},
        {"short output is the bytes produced", {{offsets[0], 0, sizeA, 100}}, 8},
        {"output longer than the size", {{offsets[0], 0, sizeA, 7}}, -1},
        {"data beyond the data file", {{offsets[0], 0, 1000, 8}}, -1},
        {"offset beyond the data file", {{offsets[0], 0xFFFFFFF0u, 0x20, 8}}, -1},
        {"lone escape at the end", {{offsets[0], sizeA, 2, 8}}, -1},
        {"copy before the start", {{offsets[0], sizeA + 2, 3, 8}}, -1},
        {"name beyond the name file", {{0x7FFFFFFF, 0, sizeA, 8}}, -1},
        {"huge unpacked size", {{offsets[0], 0, sizeA, 0xFFFFFFFF}}, -1},
        {"empty member", {{offsets[0], 0, 0, 0}}, 0},
    };
    for (const Case& c : cases) {
        LookupFixture f;
        f.game.write("pic.at2", rawDirectory(c.entries));
        f.game.write("pic.nme", names);
        f.game.write("pic.det", det);
        auto [n, text] = f.load("pic\\a.bmp");
        EXPECT_EQ(n, c.expected) << c.what;
        if (n > 0) {
            EXPECT_EQ(text, std::string(static_cast<size_t>(n), 'A')) << c.what;
        }
    }
    // A missing data file fails the load.
    LookupFixture f;
    f.game.write("pic.at2", rawDirectory({{offsets[0], 0, sizeA, 8}}));
    f.game.write("pic.nme", names);
    EXPECT_EQ(f.load("pic\\a.bmp").first, -1);
    EXPECT_TRUE(ResourceExists(f.context(), "pic\\a.bmp"));
}

TEST(LoadResource, UnsortedDirectoryExistsButMayNotLoad) {
    LookupFixture f;
    std::vector<uint32_t> offsets;
    f.game.write("pic.nme", rawNames({"m", "x", "a"}, &offsets));
    f.game.write(
        "pic.at2",
        rawDirectory({{offsets[0], 0, 1, 1}, {offsets[1], 0, 1, 1}, {offsets[2], 0, 1, 1}}));
    f.game.write("pic.det", "Z");
    EXPECT_TRUE(ResourceExists(f.context(), "pic\\a"));
    EXPECT_EQ(FindArchiveEntry(f.context(), "pic\\a"), 2);
    EXPECT_EQ(f.load("pic\\a").first, -1);
    EXPECT_EQ(f.load("pic\\x").second, "Z");
}

TEST(LoadResource, TwoThreadsAtOnce) {
    LookupFixture f;
    std::vector<ArchiveMember> members;
    for (int i = 0; i < 40; ++i) {
        members.push_back(
            {"m" + std::to_string(i),
             bytesOf(std::string(static_cast<size_t>(100 + i), static_cast<char>('a' + i % 26)))});
    }
    test::writeArchive(f.game, "arc", members);
    f.data.write("Loose/File.txt", "loose");
    ResourceContext ctx = f.context();
    auto worker = [&ctx](int seed, int* failures) {
        for (int k = 0; k < 200; ++k) {
            int i = (k * 7 + seed) % 40;
            std::unique_ptr<uint8_t[]> out;
            int32_t n = LoadResource(ctx, "arc\\m" + std::to_string(i), out);
            if (n != 100 + i || out[static_cast<size_t>(n) - 1] != 'a' + i % 26) ++*failures;
            if (LoadResource(ctx, "loose\\file.txt", out) != 5) ++*failures;
        }
    };
    int failuresA = 0;
    int failuresB = 0;
    std::thread a(worker, 1, &failuresA);
    std::thread b(worker, 2, &failuresB);
    a.join();
    b.join();
    EXPECT_EQ(failuresA + failuresB, 0);
}

}  // namespace
}  // namespace rs::data
