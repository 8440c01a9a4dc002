#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "data/file_buffer.h"
#include "data/game_data.h"

namespace rs::data {
namespace {

using Bytes = std::vector<uint8_t>;

// The format written the slow, obvious way: the payload scanned once per byte value.
Bytes referenceEncode(const Bytes& payload) {
    auto n = static_cast<uint32_t>(payload.size());
    auto k = static_cast<uint8_t>(n & 0xFF);
    Bytes out;
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(n >> (8 * i)) ^ k);
    for (int v = 0; v < 256; ++v) {
        int64_t last = -1;
        for (uint32_t p = 0; p < n; ++p) {
            if (payload[p] != v) continue;
            int64_t gap = p - last;
            last = p;
            int64_t e = gap <= 254 ? 0 : (gap - 255) / 254 + 1;
            for (int64_t j = 0; j < e; ++j) out.push_back(0xFF ^ k);
            out.push_back(static_cast<uint8_t>(gap - 254 * e) ^ k);
        }
        out.push_back(k);
    }
    out.push_back(k);
    return out;
}

Bytes encode(const Bytes& payload) {
    Bytes out;
    EXPECT_TRUE(encodeGameData(payload, out));
    return out;
}

Bytes decoded(const FileBuffer& b) { return Bytes(b.data.get(), b.data.get() + b.size); }

Bytes randomPayload(size_t n, uint32_t seed, int alphabet = 256) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto& b : out) b = static_cast<uint8_t>(rng() % static_cast<uint32_t>(alphabet));
    return out;
}

TEST(GameData, TheAbcExampleIsExact) {
    Bytes expected = {0x00, 0x03, 0x03, 0x03};
    expected.insert(expected.end(), 97, 0x03);  // values 0..0x60: empty lists
    for (uint8_t b : {0x02, 0x03, 0x01, 0x03, 0x00, 0x03}) expected.push_back(b);
    expected.insert(expected.end(), 156, 0x03);  // values 0x64..0xFF
    expected.push_back(0x03);
    ASSERT_EQ(expected.size(), 264u);
    Bytes abc = {'a', 'b', 'c'};
    EXPECT_EQ(encode(abc), expected);

    FileBuffer b;
    ASSERT_EQ(decodeGameData(expected, b), GameDataResult::Ok);
    EXPECT_EQ(decoded(b), abc);
    EXPECT_EQ(b.position, 0);
}

TEST(GameData, ThreeHundredEqualBytesAreGapsOfOne) {
    Bytes payload(300, 0x41);
    const uint8_t k = 300 & 0xFF;  // 0x2C
    Bytes expected = {0x2C ^ k, 0x01 ^ k, k, k};
    expected.insert(expected.end(), 0x41, k);
    expected.insert(expected.end(), 300, 1 ^ k);
    expected.push_back(k);
    expected.insert(expected.end(), 0xFF - 0x41, k);
    expected.push_back(k);
    EXPECT_EQ(encode(payload), expected);
}

TEST(GameData, AGapOf601IsTwoExtensionBytesAnd93) {
    Bytes payload(601, 0);
    payload[600] = 0x42;
    Bytes file = encode(payload);
    const uint8_t k = 601 & 0xFF;
    // List 0 holds 600 gaps of one; lists 1..0x41 are empty; then list 0x42.
    size_t at = 4 + 600 + 1 + 0x41;
    ASSERT_GT(file.size(), at + 4);
    EXPECT_EQ(file[at] ^ k, 0xFF);
    EXPECT_EQ(file[at + 1] ^ k, 0xFF);
    EXPECT_EQ(file[at + 2] ^ k, 0x5D);
    EXPECT_EQ(file[at + 3] ^ k, 0x00);
    EXPECT_EQ(file.size(), 4 + 601 + 2 + 256 + 1u);
}

TEST(GameData, GapsAroundTheExtensionSteps) {
    struct Case {
        int64_t gap;
        Bytes bytes;  // before masking
    };
    const Case cases[] = {
        {1, {1}},
        {254, {254}},
        {255, {0xFF, 1}},
        {508, {0xFF, 254}},
        {509, {0xFF, 0xFF, 1}},
        {762, {0xFF, 0xFF, 254}},
        {763, {0xFF, 0xFF, 0xFF, 1}},
    };
    for (const Case& c : cases) {
        // The only 7 stands at position gap - 1; every other byte is 9.
        Bytes payload(static_cast<size_t>(c.gap), 9);
        payload.back() = 7;
        Bytes file = encode(payload);
        auto k = static_cast<uint8_t>(payload.size() & 0xFF);
        Bytes list;
        for (size_t i = 4 + 7; file[i] != k; ++i) list.push_back(file[i] ^ k);
        EXPECT_EQ(list, c.bytes) << "gap " << c.gap;
        FileBuffer b;
        ASSERT_EQ(decodeGameData(file, b), GameDataResult::Ok) << c.gap;
        EXPECT_EQ(decoded(b), payload) << c.gap;
    }
}

TEST(GameData, AnEmptyPayloadIs261ZeroBytesAndDoesNotLoad) {
    Bytes file = encode({});
    EXPECT_EQ(file, Bytes(261, 0));
    FileBuffer b;
    EXPECT_EQ(decodeGameData(file, b), GameDataResult::Empty);
    EXPECT_EQ(b.size, 0);
}

TEST(GameData, RoundTripsMatchTheSlowEncoder) {
    struct Case {
        const char* what;
        Bytes payload;
    };
    Bytes sparse(70000, 0);
    for (size_t i = 0; i < sparse.size(); i += 997) sparse[i] = static_cast<uint8_t>(i % 251 + 1);
    const Case cases[] = {
        {"one byte", {0xFF}},
        {"one zero byte", {0x00}},
        {"300 random bytes", randomPayload(300, 1)},
        {"long gaps", sparse},
        {"a megabyte of random bytes", randomPayload(1 << 20, 2)},
        {"a megabyte of four values", randomPayload(1 << 20, 3, 4)},
    };
    for (const Case& c : cases) {
        Bytes file = encode(c.payload);
        EXPECT_EQ(file, referenceEncode(c.payload)) << c.what;
        FileBuffer b;
        ASSERT_EQ(decodeGameData(file, b), GameDataResult::Ok) << c.what;
        EXPECT_EQ(decoded(b), c.payload) << c.what;
        EXPECT_EQ(b.capacity, b.size) << c.what;
    }
}

TEST(GameData, GarbledFilesAreRecognised) {
    Bytes payload = randomPayload(300, 4, 16);
    Bytes good = encode(payload);
    const uint8_t k = good[3];
    FileBuffer b;

    // A first gap that puts a position at N.
    Bytes past = good;
    past[4] = static_cast<uint8_t>(0xFF ^ k);                       // list 0 begins with 254 ...
    past.insert(past.begin() + 5, static_cast<uint8_t>(0xFF ^ k));  // ... 508 ...
    EXPECT_EQ(decodeGameData(past, b), GameDataResult::Garbled);

    // Raising every first gap of list 1 by one moves its last position to N when it was N - 1.
    Bytes last(300, 1);
    Bytes lastFile = encode(last);
    lastFile[4 + 1 + 299] = static_cast<uint8_t>(2 ^ lastFile[3]);
    EXPECT_EQ(decodeGameData(lastFile, b), GameDataResult::Garbled);

    // A header that claims more than the file can hold.
    Bytes big = good;
    big[1] = static_cast<uint8_t>(0x40 ^ k);
    EXPECT_EQ(decodeGameData(big, b), GameDataResult::Garbled);
    EXPECT_EQ(b.size, 0);
}

TEST(GameData, TruncatedFilesAreGarbledButTheFinalByteIsNotNeeded) {
    Bytes payload = randomPayload(40, 5, 8);
    Bytes file = encode(payload);
    FileBuffer b;
    for (size_t cut = 0; cut + 1 < file.size(); ++cut) {
        Bytes part(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_EQ(decodeGameData(part, b), GameDataResult::Garbled) << "cut at " << cut;
    }
    // The last byte is never read: a file without it still loads.
    Bytes noFinal(file.begin(), file.end() - 1);
    ASSERT_EQ(decodeGameData(noFinal, b), GameDataResult::Ok);
    EXPECT_EQ(decoded(b), payload);
}

TEST(GameData, PayloadsBeyondSixteenMegabytesAreRefused) {
    Bytes huge(static_cast<size_t>(kMaxGameDataPayload) + 1, 1);
    Bytes out{1, 2, 3};
    EXPECT_FALSE(encodeGameData(huge, out));
    EXPECT_TRUE(out.empty());
}

TEST(FileBuffer, GrowthRule) {
    struct Step {
        int32_t request;
        int32_t capacity;
        int32_t size;
    };
    const Step steps[] = {
        {10, 10, 10},                          // an empty buffer gets exactly what it asks for
        {11, 4096, 11},                        // then capacities are multiples of 4096
        {4096, 4096, 4096},                    // same capacity: no new block
        {4097, 8192, 4097}, {100, 4096, 100},  // shrinking rounds too
        {0, 0, 0},                             // 0 frees
        {5000, 5000, 5000},                    // empty again: exact
        {-3, 0, 0},
    };
    FileBuffer b;
    for (const Step& s : steps) {
        ASSERT_TRUE(resizeBuffer(b, s.request)) << s.request;
        EXPECT_EQ(b.capacity, s.capacity) << s.request;
        EXPECT_EQ(b.size, s.size) << s.request;
        EXPECT_EQ(b.data != nullptr, s.capacity > 0) << s.request;
    }
}

TEST(FileBuffer, ContentsSurviveGrowthAndShrinking) {
    FileBuffer b;
    Bytes text = {'s', 'a', 'v', 'e'};
    ASSERT_TRUE(writeAtPosition(b, text));
    EXPECT_EQ(b.capacity, 4);
    Bytes big = randomPayload(9000, 6);
    ASSERT_TRUE(writeAtPosition(b, big));
    EXPECT_EQ(b.size, 9004);
    EXPECT_EQ(b.capacity, 12288);
    EXPECT_TRUE(std::equal(text.begin(), text.end(), b.data.get()));
    EXPECT_TRUE(std::equal(big.begin(), big.end(), b.data.get() + 4));

    ASSERT_TRUE(resizeBuffer(b, 2));
    ASSERT_TRUE(resizeBuffer(b, 4));  // the bytes given up read as zero again
    EXPECT_EQ(b.data[0], 's');
    EXPECT_EQ(b.data[2], 0);

    b.position = 1;
    auto got = readAtPosition(b, 10);
    EXPECT_EQ(got.size(), 3u);
    EXPECT_EQ(b.position, 4);
    EXPECT_TRUE(readAtPosition(b, 1).empty());
    b.position = 0;
    EXPECT_TRUE(readAtPosition(b, -5).empty());
    EXPECT_EQ(b.position, 0);
}

}  // namespace
}  // namespace rs::data
