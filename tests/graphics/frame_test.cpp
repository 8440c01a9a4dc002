#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "graphics/frame.h"
#include "graphics/tables.h"

namespace rs::graphics {
namespace {

uint32_t raw32(const Frame& f, int32_t x, int32_t y) {
    uint32_t v;
    std::memcpy(&v, f.pixels + (static_cast<ptrdiff_t>(f.height - 1 - y) * f.width + x) * 4, 4);
    return v;
}

TEST(Frame, CreationAlignsZeroesAndSetsTheFlags) {
    struct Case {
        int32_t bpp, mode;
        int32_t bppAfter, alphaValid;
    };
    for (const Case& c : {Case{0, 0, 32, 0}, Case{32, 1, 32, 0}, Case{32, 2, 32, 1},
                          Case{0, 3, 32, 1}, Case{8, 2, 8, 0}, Case{24, 0, 24, 0}}) {
        auto f = createFrame(7, 5, c.bpp, c.mode);
        ASSERT_TRUE(f);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(f->pixels) % 16, 0u);
        EXPECT_EQ(f->bpp, c.bppAfter);
        EXPECT_EQ(f->alphaValid, c.alphaValid);
        EXPECT_EQ(f->dirty, 1);
        EXPECT_EQ(f->busy.load(), 0);
        EXPECT_EQ(f->placement, 0);
        EXPECT_EQ(f->redMask, 0x00FF0000u);
        if (c.mode != 3) {
            for (int32_t i = 0; i < f->rowBytes() * f->height; ++i) ASSERT_EQ(f->pixels[i], 0) << i;
        }
    }
    auto empty = createFrame(0, 0, 0, 0);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->width, 0);
    EXPECT_EQ(empty->bpp, 32);
    EXPECT_EQ(pixelAddress(*empty, 0, 0), nullptr);
}

TEST(Frame, SizesAndDepthsThatCannotBeHeldAreRefused) {
    EXPECT_FALSE(createFrame(-1, 5, 32, 0));
    EXPECT_FALSE(createFrame(5, -1, 32, 0));
    EXPECT_FALSE(createFrame(5, 5, -8, 0));
    EXPECT_FALSE(createFrame(5, 5, 65, 0));
    EXPECT_FALSE(createFrame(40000, 40000, 32, 0));  // 6.4 GB
    EXPECT_FALSE(createFrame(1 << 30, 0, 32, 0));    // a row too long to address
    EXPECT_TRUE(createFrame(1 << 20, 0, 32, 0));     // nothing to allocate, a row that fits
    EXPECT_TRUE(createFrame(3, 3, 64, 0));           // stored, not drawn
}

TEST(Frame, RowsAreStoredBottomUp) {
    auto f = createFrame(3, 2, 32, 0);
    putPixel(*f, 0, 0, 0x11111111);
    putPixel(*f, 2, 1, 0x22222222);
    EXPECT_EQ(pixelAddress(*f, 0, 0), f->pixels + 3 * 4);
    EXPECT_EQ(pixelAddress(*f, 2, 1), f->pixels + 2 * 4);
    EXPECT_EQ(raw32(*f, 0, 0), 0x11111111u);
    EXPECT_EQ(getColour(*f, 2, 1), 0x22222222u);
    EXPECT_EQ(pixelAddress(*f, 3, 0), nullptr);
    EXPECT_EQ(pixelAddress(*f, -1, 0), nullptr);
    EXPECT_EQ(getColour(*f, 0, 2), 0u);

    auto p8 = createFrame(4, 2, 8, 0);
    p8->palette[7] = 0x00ABCDEF;
    putPixel(*p8, 1, 0, 0xFFFFFF07);
    EXPECT_EQ(*pixelAddress(*p8, 1, 0), 7);
    EXPECT_EQ(pixelAddress(*p8, 1, 0), p8->pixels + 4 + 1);
    EXPECT_EQ(getColour(*p8, 1, 0), 0x00ABCDEFu);

    auto p24 = createFrame(2, 2, 24, 0);
    putPixel(*p24, 0, 0, 0xFFFFFFFF);
    blendPixel(*p24, 0, 0, 0x80FFFFFF);
    EXPECT_EQ(p24->pixels[0] | p24->pixels[3] | p24->pixels[6], 0);
}

TEST(Frame, BlendPixelFormula) {
    struct Case {
        uint32_t dst, colour, expected;
    };
    const Case cases[] = {
        {0xAA102030, 0x00405060, 0x00405060},  // alpha 0: stored as it is
        {0x7F102030, 0xFF405060, 0x7F405060},  // alpha 255: colour replaced, alpha kept
        {0x00000000, 0x80FFFFFF, 0x00808080},  // white at 128 over black
        {0xFF0A141E, 0x40C8B4A0, 0xFF393C3E},  // (d * 191 + s * 64) / 255 per channel
        {0x12FFFFFF, 0x01000000, 0x12FEFEFE},
    };
    for (const Case& c : cases) {
        auto f = createFrame(1, 1, 32, 0);
        putPixel(*f, 0, 0, c.dst);
        blendPixel(*f, 0, 0, c.colour);
        EXPECT_EQ(getColour(*f, 0, 0), c.expected) << std::hex << c.dst << " " << c.colour;
        putPixel(*f, 0, 0, c.dst);
        blendPixelOpaque(*f, 0, 0, c.colour);
        uint32_t opaque = (c.colour >> 24) == 0 ? c.dst : c.expected;
        EXPECT_EQ(getColour(*f, 0, 0), opaque) << std::hex << c.dst << " " << c.colour;
    }
    // Every channel and alpha against the formula.
    for (uint32_t a = 1; a < 256; a += 37) {
        for (uint32_t d = 0; d < 256; d += 51) {
            auto f = createFrame(1, 1, 32, 0);
            putPixel(*f, 0, 0, 0x55000000 | d << 16 | d << 8 | d);
            blendPixel(*f, 0, 0, a << 24 | 0x00C81E64);
            uint32_t v = getColour(*f, 0, 0);
            EXPECT_EQ(v >> 16 & 0xFF, (d * (255 - a) + 0xC8 * a) / 255);
            EXPECT_EQ(v >> 8 & 0xFF, (d * (255 - a) + 0x1E * a) / 255);
            EXPECT_EQ(v & 0xFF, (d * (255 - a) + 0x64 * a) / 255);
            EXPECT_EQ(v >> 24, 0x55u);
        }
    }
    auto f8 = createFrame(1, 1, 8, 0);
    blendPixel(*f8, 0, 0, 0x00000042);
    EXPECT_EQ(f8->pixels[0], 0x42);
    blendPixelOpaque(*f8, 0, 0, 0x80000043);
    EXPECT_EQ(f8->pixels[0], 0x43);
}

class CountingSurface : public DeviceSurface {
  public:
    explicit CountingSurface(int& released) : released_(released) {}
    ~CountingSurface() override { ++released_; }

  private:
    int& released_;
};

class RecordingListener : public FrameChangeListener {
  public:
    void frameChanged(const Frame& f, int32_t x, int32_t y) override {
        points.push_back({f.slot, x, y});
    }
    int32_t spriteStatistic(int32_t which) const override { return which * 10; }
    struct Point {
        int32_t slot, x, y;
        bool operator==(const Point&) const = default;
    };
    std::vector<Point> points;
};

TEST(FrameTable, SlotsStatisticsSurfacesAndChangeReports) {
    FrameTable table;
    EXPECT_EQ(table.firstFree(), 0);
    table.place(0, createFrame(2, 2, 32, 0));
    table.place(2, createFrame(2, 2, 32, 0));
    EXPECT_EQ(table.firstFree(), 1);
    EXPECT_EQ(table.usedCount(), 2);

    int released = 0;
    table.at(2)->surface = std::make_unique<CountingSurface>(released);
    table.at(2)->dirty = 0;
    table.at(0)->dirty = 0;
    releaseAllSurfaces(table);
    EXPECT_EQ(released, 1);
    EXPECT_FALSE(table.at(2)->surface);
    EXPECT_EQ(table.at(2)->dirty, 1);
    EXPECT_EQ(table.at(0)->dirty, 0);

    table.at(2)->surface = std::make_unique<CountingSurface>(released);
    table.destroy(2);
    EXPECT_EQ(released, 2);
    EXPECT_EQ(table.at(2), nullptr);
    EXPECT_EQ(table.usedCount(), 1);

    RecordingListener listener;
    table.listener = &listener;
    Frame& f = *table.at(0);
    f.synced = 1;
    frameChanged(table, f, 1, 2);
    EXPECT_EQ(f.dirty, 1);
    EXPECT_EQ(f.synced, 0);
    EXPECT_EQ(listener.points, (std::vector<RecordingListener::Point>{{0, 1, 2}}));
}

TEST(FrameTable, PlacementNeedsBothBackEndSettings) {
    SurfacePolicy none;
    SurfacePolicy both{true, true};
    SurfacePolicy half{true, false};
    EXPECT_EQ(framePlacement(none, 0, 32), 0);
    EXPECT_EQ(framePlacement(half, 0, 32), 0);
    EXPECT_EQ(framePlacement(both, 0, 8), 2);
    EXPECT_EQ(framePlacement(both, 1, 32), 2);
    EXPECT_EQ(framePlacement(both, 2, 32), 2);
    EXPECT_EQ(framePlacement(both, 3, 24), 2);
    EXPECT_EQ(framePlacement(both, 2, 8), 0);
    EXPECT_EQ(framePlacement(both, 3, 16), 0);
}

TEST(Tables, ShuffleIsThePermutationOfTheStartUpDraws) {
    const auto& s = shuffleTable();
    const uint32_t first[] = {255, 21,  78,  87,  119, 124, 198, 207,
                              46,  104, 132, 134, 231, 242, 74,  95};
    for (size_t i = 0; i < 16; ++i) EXPECT_EQ(s[i], first[i]) << i;
    EXPECT_EQ(s[255], 88u);
    std::vector<bool> seen(256, false);
    for (uint32_t v : s) seen[v] = true;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 256);
}

TEST(Tables, IsqrtIsTheFloorOfTheSquareRoot) {
    const auto& t = sqrtTable();
    EXPECT_EQ(t[0], 0);
    EXPECT_EQ(t[1], 8);
    EXPECT_EQ(t[1023], 255);
    for (uint32_t i = 0; i < 1024; ++i)
        ASSERT_EQ(t[i], static_cast<uint8_t>(std::floor(std::sqrt(64.0 * i)))) << i;
    for (uint32_t n = 0; n < 65536; ++n) {
        auto r = static_cast<uint32_t>(std::sqrt(static_cast<double>(n)));
        ASSERT_EQ(isqrt(n), r) << n;
    }
}

}  // namespace
}  // namespace rs::graphics
