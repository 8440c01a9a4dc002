#include <gtest/gtest.h>

#include "data/archive_format.h"
#include "data/archive_test_util.h"

namespace rs::data {
namespace {

using test::bytesOf;
using test::rawDirectory;
using test::RawEntry;
using test::rawNames;

TEST(ArchiveNames, CompareFoldsAsciiCapitalsEverywhere) {
    struct Case {
        std::string a, b;
        int sign;
    };
    const Case cases[] = {
        {"a.bmp", "a.bmp", 0},
        {"A.BMP", "a.bmp", 0},
        {"title.bmp", "Title.BMP", 0},
        {"a", "ab", -1},
        {"ab", "a", 1},
        {"", "", 0},
        {"a", "b", -1},
        {"_", "a", -1},  // 0x5F < 0x61: capitals sort as small letters, after '_'
        {"_", "A", -1},
        {"z", "\x81\x40", -1},  // bytes compare unsigned
        // The second byte of a double-byte character folds too: 0x83 0x41 equals 0x83 0x61.
        {"\x83\x41.bmp", "\x83\x61.bmp", 0},
        {"[", "a", -1},  // 0x5B is not a letter
        {"@", "`", -1},
    };
    for (const Case& c : cases) {
        int r = compareArchiveNames(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
        int back = compareArchiveNames(c.b, c.a);
        EXPECT_EQ((back > 0) - (back < 0), -c.sign) << c.b << " vs " << c.a;
    }
}

TEST(ArchiveNames, NamesStayInsideTheNameFile) {
    auto names = bytesOf(std::string("a.bmp\0b", 7));
    EXPECT_EQ(archiveNameAt(names, 0), "a.bmp");
    EXPECT_EQ(archiveNameAt(names, 2), "bmp");
    EXPECT_EQ(archiveNameAt(names, 6), "b");  // no NUL before the end: cut there
    EXPECT_EQ(archiveNameAt(names, 7), std::nullopt);
    EXPECT_EQ(archiveNameAt(names, 0xFFFFFFFF), std::nullopt);
}

// A directory over the names in the given order, and its name table without trailer.
struct Tables {
    std::vector<uint8_t> dir, names;
    explicit Tables(const std::vector<std::string>& list, uint32_t badOffsetAt = UINT32_MAX) {
        std::vector<uint32_t> offsets;
        std::string n = rawNames(list, &offsets);
        std::vector<RawEntry> entries;
        for (size_t i = 0; i < list.size(); ++i) {
            entries.push_back({i == badOffsetAt ? 0x10000u : offsets[i], 0, 0, 0});
        }
        std::string d = rawDirectory(entries);
        dir = bytesOf(d.substr(0, d.size() - 4));
        names = bytesOf(n.substr(0, n.size() - 4));
    }
};

TEST(ArchiveSearch, BinaryAndLinear) {
    std::vector<std::string> sorted;
    for (int i = 0; i < 50; ++i) sorted.push_back("m" + std::to_string(100 + i) + ".bmp");
    Tables t(sorted);
    ArchiveDirectory dir(t.dir);
    ASSERT_EQ(dir.count(), 50u);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(searchArchiveSorted(dir, t.names, sorted[static_cast<size_t>(i)]), i);
        EXPECT_EQ(searchArchiveLinear(dir, t.names, sorted[static_cast<size_t>(i)]), i);
    }
    EXPECT_EQ(searchArchiveSorted(dir, t.names, "M120.BMP"), 20);
    for (const char* missing : {"a", "m1", "m099.bmp", "m125.bm", "m150.bmp", "z"}) {
        EXPECT_EQ(searchArchiveSorted(dir, t.names, missing), -1) << missing;
        EXPECT_EQ(searchArchiveLinear(dir, t.names, missing), -1) << missing;
    }
    // Every size of directory finds every member (the midpoint rounds toward zero).
    for (size_t n = 0; n <= 9; ++n) {
        std::vector<std::string> part(sorted.begin(), sorted.begin() + static_cast<long>(n));
        Tables p(part);
        for (size_t i = 0; i < n; ++i)
            EXPECT_EQ(searchArchiveSorted(ArchiveDirectory(p.dir), p.names, part[i]),
                      static_cast<int32_t>(i));
        EXPECT_EQ(searchArchiveSorted(ArchiveDirectory(p.dir), p.names, "zzz"), -1);
    }
}

TEST(ArchiveSearch, BrokenDirectoriesEndTheSearch) {
    // Unsorted: the linear scan finds "a"; the binary search sees "x" in the middle and then
    // looks only to its left.
    Tables unsorted({"m", "x", "a"});
    EXPECT_EQ(searchArchiveLinear(ArchiveDirectory(unsorted.dir), unsorted.names, "a"), 2);
    EXPECT_EQ(searchArchiveSorted(ArchiveDirectory(unsorted.dir), unsorted.names, "a"), -1);
    // A name offset outside the name file: the linear scan skips it, the search stops there.
    Tables bad({"a", "b", "c"}, 1);
    EXPECT_EQ(searchArchiveSorted(ArchiveDirectory(bad.dir), bad.names, "c"), -1);
    EXPECT_EQ(searchArchiveLinear(ArchiveDirectory(bad.dir), bad.names, "c"), 2);
    EXPECT_EQ(searchArchiveLinear(ArchiveDirectory(bad.dir), bad.names, "b"), -1);
    // A partial record at the end is ignored.
    std::vector<uint8_t> partial = Tables({"a"}).dir;
    partial.resize(partial.size() + 19, 0);
    EXPECT_EQ(ArchiveDirectory(partial).count(), 1u);
    EXPECT_EQ(ArchiveDirectory(std::span<const uint8_t>()).count(), 0u);
}

TEST(ArchiveFiles, BuildSortsAndRefusesClashingNames) {
    std::string error;
    auto files = buildArchive(
        {{"b.txt", bytesOf("B")}, {"A.txt", bytesOf("A")}, {"_.txt", bytesOf("_")}}, error);
    ASSERT_TRUE(files) << error;
    ArchiveReader r;
    r.assign(*files);
    ASSERT_EQ(r.count(), 3u);
    EXPECT_EQ(r.name(0), "_.txt");
    EXPECT_EQ(r.name(1), "A.txt");
    EXPECT_EQ(r.name(2), "b.txt");
    std::vector<uint8_t> out;
    ASSERT_TRUE(r.extract(1, out, error)) << error;
    EXPECT_EQ(out, bytesOf("A"));

    EXPECT_FALSE(buildArchive({{"a.txt", {}}, {"A.TXT", {}}}, error));
    EXPECT_FALSE(buildArchive({{"", {}}}, error));
    EXPECT_FALSE(buildArchive({{std::string("a\0b", 3), {}}}, error));
    EXPECT_FALSE(buildArchive({{std::string(2048, 'a'), {}}}, error));
}

}  // namespace
}  // namespace rs::data
