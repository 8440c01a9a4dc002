// The software presentation in a real window: what the window shows, read back from the
// renderer, is the composed picture pixel for pixel at scale 1; uploads of dirty rectangles give
// what a full upload gives; scaling keeps the aspect ratio with black borders.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "graphics/png_io.h"
#include "platform/headless_host.h"
#include "window/window_game.h"

namespace rs::test {
namespace {

using platform::Picture;
using platform::PixelRect;
using platform::ScaleFilter;
using platform::ScreenRect;

// A screen buffer as the engine keeps it: 32-bit pixels, rows bottom-up.
struct ScreenBuffer {
    int32_t width;
    int32_t height;
    std::vector<uint8_t> bytes;

    ScreenBuffer(int32_t w, int32_t h)
        : width(w), height(h), bytes(static_cast<size_t>(w) * static_cast<size_t>(h) * 4) {}
    explicit ScreenBuffer(const graphics::Image& image) : ScreenBuffer(image.width, image.height) {
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) set(x, y, image.at(x, y));
        }
    }
    void set(int32_t x, int32_t y, uint32_t p) {
        size_t at = (static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width) +
                     static_cast<size_t>(x)) *
                    4;
        std::memcpy(bytes.data() + at, &p, 4);
    }
    platform::ScreenPixels pixels() const { return {bytes.data(), width, height}; }
    ScreenRect all() const { return {0, 0, width - 1, height - 1}; }
};

// The window's client area at exactly this size, as the engine places it at scale 1.
void showAt(WindowGame& g, int32_t w, int32_t h) {
    g.window().placeClient({200, 100, w, h});
    g.settle();
    ASSERT_EQ(g.window().clientSize(), (platform::SizeInPixels{w, h}));
}

std::vector<uint32_t> opaque(std::vector<uint32_t> pixels) {
    for (uint32_t& p : pixels) p |= 0xFF000000u;
    return pixels;
}

TEST(SdlPresenter, TheWindowShowsEachGoldenSceneExactly) {
    WindowGame g;
    for (const char* name :
         {"scene_priorities", "scene_offset_groups", "scene_wrapping", "scene_scaling",
          "scene_rotation", "scene_blend_modes", "scene_masks", "scene_wave", "demo_screenshot"}) {
        SCOPED_TRACE(name);
        auto image = graphics::readPng(std::string(RS_GOLDEN_DIR) + "/" + name + ".png");
        ASSERT_TRUE(image);
        ScreenBuffer screen(*image);
        showAt(g, image->width, image->height);
        g.presenter().paintBlack(image->width, image->height);
        g.presenter().transfer(screen.pixels(), screen.all());
        Picture shown = g.presenter().readWindow();
        EXPECT_EQ(shown.width, image->width);
        EXPECT_EQ(shown.height, image->height);
        EXPECT_TRUE(shown.pixels == opaque(image->pixels));
        // The headless presenter keeps the same picture, and so does the window's own copy.
        platform::HeadlessPresenter headless;
        headless.paintBlack(image->width, image->height);
        headless.transfer(screen.pixels(), screen.all());
        EXPECT_TRUE(headless.picture().pixels == shown.pixels);
        EXPECT_TRUE(g.presenter().picture().pixels == shown.pixels);
    }
}

TEST(SdlPresenter, TheDemoInAWindowIsTheHeadlessPicture) {
    std::ifstream in(std::string(RS_DEMO_DIR) + "/obj/" + u8(u8"雪花ノ記憶.o"), std::ios::binary);
    std::vector<uint8_t> demo((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    ASSERT_FALSE(demo.empty());
    WindowGame window;
    TestGame headless;
    window.game().loadBytes(demo);
    headless.loadBytes(demo);
    for (int step = 0; step < 3; ++step) {
        window.game().run(25);
        headless.run(25);
        Picture shown = window.presenter().readWindow();
        Picture expected = headless.engine().host.presenter().picture();
        ASSERT_EQ(shown.width, 640);
        ASSERT_EQ(shown.height, 480);
        EXPECT_TRUE(shown.pixels == expected.pixels) << "after " << (step + 1) * 25 << " turns";
    }
    // Only the changed rectangles went up after the first full screen.
    EXPECT_LT(window.presenter().uploadedPixels(),
              window.presenter().uploads() * int64_t{640} * 480);
}

TEST(SdlPresenter, DirtyRectangleUploadsGiveWhatAFullUploadGives) {
    WindowGame g;
    constexpr int32_t kW = 160, kH = 120;
    showAt(g, kW, kH);
    ScreenBuffer screen(kW, kH);
    g.presenter().paintBlack(kW, kH);
    std::mt19937 rng(12);
    int64_t changed = 0;
    for (int step = 0; step < 40; ++step) {
        int32_t left = static_cast<int32_t>(rng() % kW), top = static_cast<int32_t>(rng() % kH);
        int32_t right = std::min<int32_t>(kW - 1, left + static_cast<int32_t>(rng() % 40));
        int32_t bottom = std::min<int32_t>(kH - 1, top + static_cast<int32_t>(rng() % 30));
        // Every fourth change is one pixel wide or high: it is shown too.
        if (step % 4 == 0) right = left;
        if (step % 4 == 1) bottom = top;
        uint32_t colour = 0x00FFFFFFu & static_cast<uint32_t>(rng());
        for (int32_t y = top; y <= bottom; ++y) {
            for (int32_t x = left; x <= right; ++x) screen.set(x, y, colour ^ (x * 3 + y));
        }
        g.presenter().transfer(screen.pixels(), {left, top, right, bottom});
        changed += int64_t{right - left + 1} * (bottom - top + 1);
    }
    EXPECT_EQ(g.presenter().uploadedPixels(), int64_t{kW} * kH + changed);
    Picture partial = g.presenter().readWindow();
    g.presenter().transfer(screen.pixels(), screen.all());
    Picture full = g.presenter().readWindow();
    EXPECT_TRUE(partial.pixels == full.pixels);
    // A rectangle reaching past the screen is cut to it.
    g.presenter().transfer(screen.pixels(), {kW - 4, kH - 4, kW + 50, kH + 50});
    EXPECT_TRUE(g.presenter().readWindow().pixels == full.pixels);
}

// A picture of flat 4 x 4 blocks, so that scaling leaves the blocks' middles exact.
ScreenBuffer blocks(int32_t w, int32_t h) {
    ScreenBuffer s(w, h);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            uint32_t bx = static_cast<uint32_t>(x / 4), by = static_cast<uint32_t>(y / 4);
            s.set(x, y, 0xFF000000u | (bx * 37 % 256) << 16 | (by * 53 % 256) << 8 | 0x40);
        }
    }
    return s;
}

TEST(SdlPresenter, ScalingKeepsTheAspectRatioWithBlackBorders) {
    constexpr int32_t kW = 64, kH = 48;
    ScreenBuffer screen = blocks(kW, kH);
    Picture nearest3;
    for (ScaleFilter f : {ScaleFilter::Nearest, ScaleFilter::Linear, ScaleFilter::Sharp}) {
        SCOPED_TRACE(platform::scaleFilterName(f));
        WindowGame g;
        g.presenter().setFilter(f);
        // At an integer scale every filter shows whole pixels, exactly.
        showAt(g, kW * 3, kH * 3);
        g.presenter().paintBlack(kW, kH);
        g.presenter().transfer(screen.pixels(), screen.all());
        Picture shown = g.presenter().readWindow();
        ASSERT_EQ(shown.width, kW * 3);
        for (int32_t y = 0; y < kH * 3; y += 5) {
            for (int32_t x = 0; x < kW * 3; ++x) {
                uint32_t expected = g.presenter().picture().pixels[(y / 3) * kW + x / 3];
                ASSERT_EQ(shown.pixels[y * shown.width + x], expected) << x << "," << y;
            }
        }
        // A window of another shape: the picture fits its height, centred, black on both sides.
        showAt(g, 200, 100);
        g.presenter().redraw();
        Picture wide = g.presenter().readWindow();
        const PixelRect& r = g.presenter().view().drawRect();
        EXPECT_EQ(r, (PixelRect{33, 0, 133, 100}));
        for (int32_t y = 0; y < 100; ++y) {
            ASSERT_EQ(wide.pixels[y * 200 + 0], 0xFF000000u);
            ASSERT_EQ(wide.pixels[y * 200 + r.x - 1], 0xFF000000u);
            ASSERT_EQ(wide.pixels[y * 200 + r.x + r.width], 0xFF000000u);
            ASSERT_EQ(wide.pixels[y * 200 + 199], 0xFF000000u);
        }
        // Inside a block's scaled area, away from its edges, every filter shows its colour.
        platform::PixelPoint middle = g.presenter().view().toWindow(platform::PixelPoint{34, 26});
        EXPECT_EQ(wide.pixels[(middle.y + 2) * 200 + middle.x + 2],
                  g.presenter().picture().pixels[26 * kW + 34]);
        if (f == ScaleFilter::Nearest) {
            // Nearest: every window pixel is the game pixel the view maps it to.
            for (int32_t y = 0; y < 100; ++y) {
                for (int32_t x = r.x; x < r.x + r.width; ++x) {
                    platform::PixelPoint p =
                        g.presenter().view().toGame(platform::PixelPoint{x, y});
                    ASSERT_EQ(wide.pixels[y * 200 + x],
                              g.presenter().picture().pixels[p.y * kW + p.x])
                        << x << "," << y;
                }
            }
        }
    }
}

}  // namespace
}  // namespace rs::test
