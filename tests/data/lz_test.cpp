#include <gtest/gtest.h>

#include <random>

#include "data/archive_test_util.h"
#include "data/lz.h"

namespace rs::data {
namespace {

using test::bytesOf;

struct UnpackCase {
    const char* what;
    std::vector<uint8_t> packed;
    size_t room;
    std::vector<uint8_t> expected;  // what is written before the decoder stops
    bool ok;
};

TEST(LzUnpack, DecodesAndStopsSafely) {
    const UnpackCase cases[] = {
        {"plain bytes", {0x41, 0x42}, 8, {0x41, 0x42}, true},
        {"escaped 0xFF", {0x41, 0xFF, 0xFF, 0x42}, 8, {0x41, 0xFF, 0x42}, true},
        {"3 bytes from distance 1", {0x41, 0xFF, 0x00}, 8, {0x41, 0x41, 0x41, 0x41}, true},
        {"6 bytes from distance 2 overlap", {1, 2, 0xFF, 0x07}, 8, {1, 2, 1, 2, 1, 2, 1, 2}, true},
        {"copy from distance 64",
         [] {
             std::vector<uint8_t> p;
             for (int i = 0; i < 64; ++i) p.push_back(static_cast<uint8_t>(i));
             p.push_back(0xFF);
             p.push_back(0xFE);  // 5 bytes from 64 back
             return p;
         }(),
         80,
         [] {
             std::vector<uint8_t> o;
             for (int i = 0; i < 64; ++i) o.push_back(static_cast<uint8_t>(i));
             for (int i = 0; i < 5; ++i) o.push_back(static_cast<uint8_t>(i));
             return o;
         }(),
         true},
        {"empty input", {}, 4, {}, true},
        {"lone escape at the end", {0x41, 0xFF}, 8, {0x41}, false},
        {"copy before the start", {0x41, 0xFF, 0x04}, 8, {0x41}, false},
        {"copy with no output yet", {0xFF, 0x00}, 8, {}, false},
        {"plain bytes beyond the room", {1, 2, 3, 4}, 2, {1, 2}, false},
        {"escaped 0xFF beyond the room", {1, 0xFF, 0xFF}, 1, {1}, false},
        {"copy beyond the room", {1, 0xFF, 0x03}, 4, {1}, false},
        {"exactly filling the room", {1, 0xFF, 0x03}, 7, {1, 1, 1, 1, 1, 1, 1}, true},
    };
    for (const UnpackCase& c : cases) {
        std::vector<uint8_t> out(c.room, 0xEE);
        UnpackResult r = unpackLz(c.packed, out);
        EXPECT_EQ(r.ok, c.ok) << c.what;
        ASSERT_EQ(r.produced, c.expected.size()) << c.what;
        EXPECT_TRUE(std::equal(c.expected.begin(), c.expected.end(), out.begin())) << c.what;
        for (size_t i = r.produced; i < out.size(); ++i)
            ASSERT_EQ(out[i], 0xEE) << c.what << ": wrote past the result";
    }
}

TEST(LzUnpack, ArchiveDataResults) {
    std::unique_ptr<uint8_t[]> out;
    std::vector<uint8_t> packed{0x41, 0xFF, 0x00};
    EXPECT_EQ(UnpackArchiveData(packed.data(), 3, 4, out), 4);
    ASSERT_TRUE(out);
    EXPECT_EQ(out[3], 0x41);
    // A stream that ends early gives a short result; a size far beyond what the bytes can give is
    // not allocated in full.
    EXPECT_EQ(UnpackArchiveData(packed.data(), 3, 0x7FFFFFFF, out), 4);
    // More output than the size allows, and malformed data, fail.
    EXPECT_EQ(UnpackArchiveData(packed.data(), 3, 3, out), -1);
    EXPECT_EQ(out, nullptr);
    auto lone = bytesOf("\x41\xFF");
    EXPECT_EQ(UnpackArchiveData(lone.data(), 2, 8, out), -1);
    EXPECT_EQ(UnpackArchiveData(packed.data(), -1, 8, out), -1);
    EXPECT_EQ(UnpackArchiveData(nullptr, 0, 0, out), 0);
}

std::vector<uint8_t> unpackAll(const std::vector<uint8_t>& packed, size_t size) {
    std::vector<uint8_t> out(size);
    UnpackResult r = unpackLz(packed, out);
    EXPECT_TRUE(r.ok);
    out.resize(r.produced);
    return out;
}

// The longest-match greedy parse, as a yardstick for the optimal one.
size_t greedySize(const std::vector<uint8_t>& d) {
    size_t size = 0;
    for (size_t i = 0; i < d.size();) {
        size_t best = 0;
        for (size_t dist = 1; dist <= 64 && dist <= i; ++dist) {
            size_t cap = std::min<size_t>(dist == 64 ? 5 : 6, d.size() - i);
            size_t m = 0;
            while (m < cap && d[i + m] == d[i + m - dist]) ++m;
            best = std::max(best, m);
        }
        if (best >= 3) {
            size += 2;
            i += best;
        } else {
            size += d[i] == 0xFF ? 2 : 1;
            ++i;
        }
    }
    return size;
}

TEST(LzPack, RoundTripsAndBeatsGreedy) {
    std::mt19937 rng(1234);
    std::vector<std::pair<const char*, std::vector<uint8_t>>> inputs;
    for (size_t n : {0, 1, 2, 3, 7, 64, 65, 300, 5000}) {
        std::vector<uint8_t> random(n);
        for (auto& b : random) b = static_cast<uint8_t>(rng());
        inputs.emplace_back("random", random);
        std::vector<uint8_t> small(n);  // few symbols: many short matches
        for (auto& b : small) b = static_cast<uint8_t>(rng() % 3 == 0 ? 0xFF : rng() % 4);
        inputs.emplace_back("few symbols with 0xFF", small);
    }
    inputs.emplace_back("all 0xFF", std::vector<uint8_t>(1000, 0xFF));
    std::vector<uint8_t> text;
    for (int i = 0; i < 400; ++i) {
        std::string word = "line " + std::to_string(i % 37) + " of the script\n";
        text.insert(text.end(), word.begin(), word.end());
    }
    inputs.emplace_back("text", text);
    for (const auto& [what, data] : inputs) {
        std::vector<uint8_t> packed = packLz(data);
        EXPECT_EQ(unpackAll(packed, data.size()), data) << what << " of " << data.size();
        EXPECT_LE(packed.size(), greedySize(data)) << what << " of " << data.size();
    }
}

TEST(LzPack, FindsTheSmallestParse) {
    // 7 equal bytes: one literal and a 6-byte copy.
    EXPECT_EQ(packLz(bytesOf("aaaaaaa")), bytesOf("a\xFF\x03"));
    // 0xFF bytes: an escaped literal and a copy.
    EXPECT_EQ(packLz(std::vector<uint8_t>(7, 0xFF)), bytesOf("\xFF\xFF\xFF\x03"));
    // Nine repeated bytes after "abc": two copies.
    EXPECT_EQ(packLz(bytesOf("abcabcabcabc")).size(), 3u + 2u + 2u);
    // Six bytes from 64 back cannot be one copy (that code is the escaped 0xFF): 5 + a literal.
    std::vector<uint8_t> d;
    for (int i = 0; i < 64; ++i) d.push_back(static_cast<uint8_t>(i));
    for (int i = 0; i < 6; ++i) d.push_back(static_cast<uint8_t>(i));
    std::vector<uint8_t> packed = packLz(d);
    EXPECT_EQ(packed.size(), 64u + 3u);
    EXPECT_EQ(unpackAll(packed, d.size()), d);
    for (size_t i = 0; i + 1 < packed.size(); ++i) {
        if (packed[i] == 0xFF) {
            EXPECT_NE(packed[++i], 0xFF) << "no escaped literal expected";
        }
    }
}

}  // namespace
}  // namespace rs::data
