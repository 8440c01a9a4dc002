#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "graphics/bit_reader.h"
#include "graphics/fd_decoder.h"
#include "graphics/image_test_util.h"

namespace rs::test {
namespace {

using graphics::BitReader;
using tools::BitWriter;

// The bits written so far as a string of 0 and 1 (without the final padding).
std::string bitString(BitWriter w) {
    uint64_t n = w.bitCount();
    std::vector<uint8_t> bytes = w.finish();
    std::string s;
    for (uint64_t i = 0; i < n; ++i) s += (bytes[i / 8] >> (7 - i % 8)) & 1 ? '1' : '0';
    return s;
}

TEST(FdBitStream, UniversalCodeOfSmallNumbers) {
    struct Case {
        uint64_t v;
        const char* bits;
    };
    for (const Case& c : {Case{0, "00"}, Case{1, "01"}, Case{2, "1000"}, Case{5, "1011"},
                          Case{6, "110000"}, Case{13, "110111"}, Case{14, "11100000"}}) {
        BitWriter w;
        w.number(c.v);
        EXPECT_EQ(bitString(w), c.bits) << c.v;
        std::vector<uint8_t> bytes = w.finish();
        BitReader r(bytes.data(), bytes.size());
        EXPECT_EQ(graphics::ReadNumber(r), c.v);
        EXPECT_FALSE(r.failed());
    }
    BitWriter bits;
    bits.bits(0xA5, 8);
    EXPECT_EQ(bitString(bits), "10100101");
}

TEST(FdBitStream, NumbersOfEveryLengthAndBitsRoundTrip) {
    std::vector<uint64_t> values;
    for (int shift = 0; shift < 38; ++shift) {
        values.push_back((uint64_t{1} << shift) - 2 + (shift > 1 ? 0 : 2));
        values.push_back((uint64_t{1} << shift) + 3);
    }
    BitWriter w;
    for (uint64_t v : values) {
        w.number(v);
        w.bits(static_cast<uint32_t>(v * 2654435761u) & 0xFFFFFF, 24);
        w.bits(1, 1);
    }
    std::vector<uint8_t> bytes = w.finish();
    BitReader r(bytes.data(), bytes.size());
    for (uint64_t v : values) {
        EXPECT_EQ(graphics::ReadNumber(r), v);
        EXPECT_EQ(graphics::ReadBits24(r), static_cast<uint32_t>(v * 2654435761u) & 0xFFFFFF);
        EXPECT_EQ(r.bits(1), 1u);
    }
    EXPECT_FALSE(r.failed());
}

TEST(FdBitStream, ReadingPastTheEndOrAnEndlessPrefixFails) {
    const uint8_t one[] = {0x5A};
    BitReader r(one, 1);
    EXPECT_EQ(graphics::ReadBits8(r), 0x5Au);
    EXPECT_FALSE(r.failed());
    EXPECT_EQ(r.bits(1), 0u);
    EXPECT_TRUE(r.failed());

    std::vector<uint8_t> ones(16, 0xFF);
    BitReader endless(ones.data(), ones.size());
    EXPECT_EQ(graphics::ReadNumber(endless), 0u);
    EXPECT_TRUE(endless.failed());

    const uint8_t cut[] = {0xF0};  // prefix 11110 asks for 5 payload bits; 3 are left
    BitReader truncated(cut, 1);
    graphics::ReadNumber(truncated);
    EXPECT_TRUE(truncated.failed());
}

TEST(FdBitStream, ZigzagMapsToAlternatingSigns) {
    EXPECT_EQ(graphics::zigzagDifference(0), 0u);
    EXPECT_EQ(graphics::zigzagDifference(1), 0xFFFFFFFFu);
    EXPECT_EQ(graphics::zigzagDifference(2), 1u);
    EXPECT_EQ(graphics::zigzagDifference(3), 0xFFFFFFFEu);
    EXPECT_EQ(graphics::zigzagDifference(4), 2u);
}

// 81 literals (a 9 x 9 image) except the last pixel, which is predicted from neighbour k.
TEST(FdDecoder, EveryNeighbourPredictsWithDifferences) {
    for (int k = 0; k < 18; ++k) {
        SymbolWriter w(false);
        const int width = 9;
        auto lit = [](int i) { return static_cast<uint32_t>(i) * 0x030507u + 0x102030u; };
        for (int i = 0; i < 80; ++i) w.literal(lit(i));
        w.predict(2 + k, 1, -2, 3);
        bool ok = false;
        std::vector<uint32_t> px = decodeFile(fdFile(false, 24, width, 9, std::move(w.bits)), &ok);
        ASSERT_TRUE(ok) << k;
        const auto n = graphics::kFdNeighbours[k];
        int ref = 80 + n.dy * width + n.dx;
        EXPECT_EQ(px[80], (lit(ref) + 0x10000u - 0x200u + 3u) & 0xFFFFFFu) << "neighbour " << k;
        EXPECT_EQ(px[79], lit(79));
    }
}

TEST(FdDecoder, DifferencesCarryAcrossBytesAndAlphaStaysZeroWithoutAnAlphaPlane) {
    SymbolWriter w(false);
    w.literal(0x00FF);
    w.predict(2, 0, 0, 1);  // 0x0000FF + 1 carries into green
    w.literal(0xFFFFFF);
    w.predict(2, 0, 0, 1);   // carries into the top byte, which is not kept
    w.predict(2, 0, 0, -1);  // the next pixel still sees the carried value: 0x1000000 - 1
    std::vector<uint32_t> px = decodeFile(fdFile(false, 24, 5, 1, std::move(w.bits)));
    EXPECT_EQ(px, (std::vector<uint32_t>{0x0000FF, 0x000100, 0xFFFFFF, 0x000000, 0xFFFFFF}));
}

TEST(FdDecoder, RunsCopyFromEarlierPlacesAndRepeatOverlaps) {
    SymbolWriter w(false);
    w.literal(0xA);
    w.literal(0xB);
    w.symbol(38);  // a = 0, b = 1: two to the left, overlapping the pixels being written
    w.number(0);
    w.number(1);
    w.number(4);   // 5 pixels
    w.symbol(38);  // a = 0, b = 0: the pixel just left, n times
    w.number(0);
    w.number(0);
    w.number(2);
    w.symbol(38);  // a = 1, b = 0: one row up (width 5)
    w.number(1);
    w.number(0);
    w.number(4);
    w.symbol(38);  // a = 3, b = 1: two rows up, one to the right
    w.number(3);
    w.number(1);
    w.number(4);
    bool ok = false;
    std::vector<uint32_t> px = decodeFile(fdFile(false, 24, 5, 4, std::move(w.bits)), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(px, (std::vector<uint32_t>{0xA, 0xB, 0xA, 0xB, 0xA,  //
                                         0xB, 0xA, 0xA, 0xA, 0xA,  //
                                         0xB, 0xA, 0xA, 0xA, 0xA,  //
                                         0xA, 0xA, 0xA, 0xA, 0xB}));
}

TEST(FdDecoder, ShapedRunsCarryTheSourcesShape) {
    SymbolWriter w(false);
    w.literal(10);
    w.literal(20);
    w.symbol(20);  // shaped by the left neighbour, source just left: a linear ramp
    w.number(0);
    w.number(0);
    w.number(2);
    // Second row: shaped by the upper neighbour, source one up: the row above plus a constant.
    w.literal(110);
    w.symbol(21);
    w.number(0);  // source: the pixel just left (110), shaped by the pixel above
    w.number(0);
    w.number(3);
    bool ok = false;
    std::vector<uint32_t> px = decodeFile(fdFile(false, 24, 5, 2, std::move(w.bits)), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(px, (std::vector<uint32_t>{10, 20, 30, 40, 50, 110, 120, 130, 140, 150}));
}

TEST(FdDecoder, AlphaPassRunsSetTheTopByte) {
    SymbolWriter w(false);
    w.literal(0x112233);
    w.symbol(38);
    w.number(0);
    w.number(0);
    w.number(2);
    w.bits.bits(0x80, 8);
    w.number(1);  // two pixels of 0x80
    w.bits.bits(0xFF, 8);
    w.number(5);  // more than remain: cut at the last pixel
    bool ok = false;
    std::vector<uint32_t> px = decodeFile(fdFile(false, 32, 4, 1, std::move(w.bits)), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(px, (std::vector<uint32_t>{0x80112233, 0x80112233, 0xFF112233, 0xFF112233}));
}

TEST(FdDecoder, BadInputStopsAndLeavesTheRestZero) {
    {  // The first pixel cannot be predicted: nothing before it.
        SymbolWriter w(false);
        w.predict(2, 0, 0, 0);
        w.literal(5);
        bool ok = true;
        EXPECT_EQ(decodeFile(fdFile(false, 24, 2, 1, std::move(w.bits)), &ok),
                  (std::vector<uint32_t>{0, 0}));
        EXPECT_FALSE(ok);
    }
    {  // A code that names no symbol.
        SymbolWriter w(false);
        w.literal(7);
        w.number(38);
        w.literal(8);
        bool ok = true;
        EXPECT_EQ(decodeFile(fdFile(false, 24, 3, 1, std::move(w.bits)), &ok),
                  (std::vector<uint32_t>{7, 0, 0}));
        EXPECT_FALSE(ok);
    }
    {  // A run whose source lies before the first pixel.
        SymbolWriter w(false);
        w.literal(7);
        w.symbol(38);
        w.number(1);  // one row up from the first row
        w.number(0);
        w.number(0);
        bool ok = true;
        EXPECT_EQ(decodeFile(fdFile(false, 24, 3, 2, std::move(w.bits)), &ok),
                  (std::vector<uint32_t>{7, 0, 0, 0, 0, 0}));
        EXPECT_FALSE(ok);
    }
    {  // The data ends early; the alpha pass of a 32-bit image never starts.
        SymbolWriter w(false);
        w.literal(0x123456);
        bool ok = true;
        EXPECT_EQ(decodeFile(fdFile(false, 32, 3, 1, std::move(w.bits)), &ok),
                  (std::vector<uint32_t>{0x123456, 0, 0}));
        EXPECT_FALSE(ok);
    }
    {  // A run longer than the image ends with the image.
        SymbolWriter w(false);
        w.literal(9);
        w.symbol(38);
        w.number(0);
        w.number(0);
        w.number(1000000);
        bool ok = false;
        EXPECT_EQ(decodeFile(fdFile(false, 24, 3, 1, std::move(w.bits)), &ok),
                  (std::vector<uint32_t>{9, 9, 9}));
        EXPECT_TRUE(ok);
    }
    {  // A file shorter than its header, and an output buffer too small: nothing is written.
        std::vector<uint8_t> header = {'F', 'D', 24, 0, 2, 0, 1, 0};
        std::vector<uint32_t> out(2, 0xDEAD);
        EXPECT_FALSE(graphics::DecodeFD(2, 1, 24, header, out));
        EXPECT_EQ(out, (std::vector<uint32_t>{0, 0}));
        std::vector<uint32_t> small(1, 0xDEAD);
        EXPECT_FALSE(graphics::DecodeFD(2, 1, 24, header, small));
        EXPECT_EQ(small[0], 0xDEADu);
    }
}

TEST(FeDecoder, InitialOrderAndItsUpdates) {
    graphics::FeOrder o = graphics::initialFeOrder();
    const std::vector<std::pair<int, int>> placed = {{0, 0},     {1, 1},     {2, 2},    {3, 43},
                                                     {42, 82},   {43, 83},   {44, 123}, {45, 84},
                                                     {121, 122}, {122, 162}, {123, 3},  {162, 42}};
    for (auto [pos, sym] : placed) EXPECT_EQ(static_cast<int>(o.symbols[pos]), sym) << pos;
    std::vector<bool> seen(163, false);
    for (uint8_t s : o.symbols) seen[s] = true;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 163);

    auto at = [&](int pos) { return static_cast<int>(o.symbols[pos]); };
    EXPECT_EQ(graphics::takeFeSymbol(o, 0), 0);
    EXPECT_EQ(at(0), 0);
    EXPECT_EQ(graphics::takeFeSymbol(o, 1), 1);  // swaps the first two
    EXPECT_EQ(at(0), 1);
    EXPECT_EQ(at(1), 0);
    EXPECT_EQ(graphics::takeFeSymbol(o, 5), 45);  // moves two places up, the two passed move down
    EXPECT_EQ(at(3), 45);
    EXPECT_EQ(at(4), 43);
    EXPECT_EQ(at(5), 44);
    EXPECT_EQ(graphics::takeFeSymbol(o, 2), 2);
    EXPECT_EQ(at(0), 2);
    EXPECT_EQ(at(1), 1);
    EXPECT_EQ(at(2), 0);
}

TEST(FeDecoder, SymbolPositionsFollowTheAdaptiveOrder) {
    // Written by position; each use moves the symbol forward, so the same symbol gets shorter
    // codes.
    SymbolWriter w(true);
    w.literal(0x000010);
    EXPECT_EQ(w.codeOf(43), 3);
    w.predict(43, 0, 0, 1);  // left neighbour, position 3
    EXPECT_EQ(w.codeOf(43), 1);
    w.predict(43, 0, 1, 0);  // position 1: swapped to the front
    EXPECT_EQ(w.codeOf(43), 0);
    EXPECT_EQ(w.codeOf(0), 1);
    w.literal(0x777777);  // the literal now sits at position 1
    bool ok = false;
    std::vector<uint32_t> px = decodeFile(fdFile(true, 24, 4, 1, std::move(w.bits)), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(px, (std::vector<uint32_t>{0x10, 0x11, 0x111, 0x777777}));
}

TEST(FeDecoder, PlainRunsSingleCopiesAndGradientPredictions) {
    SymbolWriter w(true);
    w.literal(1);
    w.literal(2);
    w.symbol(1);  // plain run, at least two pixels: source two to the left
    w.number(0);
    w.number(1);
    w.number(1);  // 1 + 2 = 3 pixels
    // Second row (width 5): a single copy from (2, 0), then gradients.
    w.symbol(2);
    w.number(1);
    w.number(2);
    w.predict(83 + 1, 0, 0, 0);   // left gradient with the upper neighbour: left - upleft + up
    w.predict(123 + 0, 0, 0, 5);  // upper gradient with the left neighbour: up - upleft + left, + 5
    w.predict(43 + 0, 0, 0, 0);
    w.predict(43 + 1, -1, 0, 0);
    bool ok = false;
    std::vector<uint32_t> px = decodeFile(fdFile(true, 24, 5, 2, std::move(w.bits)), &ok);
    EXPECT_TRUE(ok);
    // Row 0: 1 2 1 2 1.  Row 1: copy of (2,0)=1; left-gradient: px[5] - px[0] + px[1] = 1 - 1 + 2 =
    // 2; upper-gradient at 7: px[2] - px[1] + px[6] + 5 = 1 - 2 + 2 + 5 = 6; then 6; then the pixel
    // above (1) with red - 1, which borrows into the top byte (dropped).
    EXPECT_EQ(px, (std::vector<uint32_t>{1, 2, 1, 2, 1, 1, 2, 6, 6, (1u - 0x10000u) & 0xFFFFFFu}));
}

TEST(FeDecoder, ShortGradientCopiesOneOrTwoPixelsWithSeparateCarries) {
    SymbolWriter w(true);
    // Row 0 (width 3): S = 0x000001 at (0,0), x = 0x100000 at (1,0), (2,0) = 0x000203.
    w.literal(0x000001);
    w.literal(0x100000);
    w.literal(0x000203);
    // Row 1: T (left neighbour of (1,1)) = 0x000000 at (0,1).
    w.literal(0x000000);
    // Gradient copy at (1,1) from (1,0), shaped by the left neighbour: T - S + x per part.
    w.symbol(3 + 0);
    w.number(1);  // one row up, same column
    w.number(0);
    w.bits.bits(1, 1);  // and a second pixel from (2,0)
    bool ok = false;
    std::vector<uint32_t> px = decodeFile(fdFile(true, 24, 3, 2, std::move(w.bits)), &ok);
    EXPECT_TRUE(ok);
    // Blue 0 - 1 + 0 borrows through the cleared green byte into red: 0x10 - 1 = 0x0F, blue 0xFF.
    uint32_t first = 0x0F00FF;
    EXPECT_EQ(px[4], first);
    // Second: T = first, S = (1,0) = 0x100000, x = (2,0) = 0x000203.
    uint32_t g = ((first & 0xFFFFFF00u) - 0x0000u + 0x000200u) & 0xFF00u;
    uint32_t rb = ((first & 0xFFFF00FFu) - 0x100000u + 0x000003u) & 0x00FF00FFu;
    EXPECT_EQ(px[5], g + rb);
}

TEST(FeDecoder, SymbolsOutsideTheOrderAndBadGradientsStop) {
    {
        SymbolWriter w(true);
        w.literal(3);
        w.number(163);
        bool ok = true;
        EXPECT_EQ(decodeFile(fdFile(true, 24, 2, 1, std::move(w.bits)), &ok),
                  (std::vector<uint32_t>{3, 0}));
        EXPECT_FALSE(ok);
    }
    {  // An upper gradient on the first row reaches before the first pixel.
        SymbolWriter w(true);
        w.literal(3);
        w.predict(123, 0, 0, 0);
        bool ok = true;
        EXPECT_EQ(decodeFile(fdFile(true, 24, 2, 1, std::move(w.bits)), &ok),
                  (std::vector<uint32_t>{3, 0}));
        EXPECT_FALSE(ok);
    }
    {  // A neighbour to the right of a one-pixel-wide image lies past the last pixel.
        SymbolWriter w(true);
        w.literal(3);
        w.predict(43 + 39, 0, 0, 0);  // (4, -1)
        bool ok = true;
        EXPECT_EQ(decodeFile(fdFile(true, 24, 1, 2, std::move(w.bits)), &ok),
                  (std::vector<uint32_t>{3, 0}));
        EXPECT_FALSE(ok);
    }
}

}  // namespace
}  // namespace rs::test
