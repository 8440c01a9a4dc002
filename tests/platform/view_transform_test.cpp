// The view transform: where the picture goes in the window and how window pixels map back to
// game pixels, exactly at integer scales, with borders when the shapes differ.
#include <gtest/gtest.h>

#include "platform/view_transform.h"
#include "platform/window_icon.h"

namespace rs::platform {
namespace {

// Every game pixel maps to a window pixel that maps back to it; every window pixel inside the
// picture maps into the game, and the game pixels' areas tile the picture without gaps.
void expectRoundTrip(const ViewTransform& v) {
    const PixelRect& r = v.drawRect();
    SizeInPixels g = v.game();
    for (int32_t y = 0; y < g.height; y += std::max(1, g.height / 37)) {
        for (int32_t x = 0; x < g.width; ++x) {
            PixelPoint w = v.toWindow(PixelPoint{x, y});
            ASSERT_EQ(v.toGame(w), (PixelPoint{x, y})) << x << "," << y;
            ASSERT_GE(w.x, r.x);
            ASSERT_LT(w.x, r.x + r.width);
        }
    }
    for (int32_t wx = r.x; wx < r.x + r.width; ++wx) {
        PixelPoint p = v.toGame(PixelPoint{wx, r.y});
        ASSERT_GE(p.x, 0);
        ASSERT_LT(p.x, g.width);
    }
    EXPECT_EQ(v.toGame(PixelPoint{r.x + r.width - 1, r.y + r.height - 1}),
              (PixelPoint{g.width - 1, g.height - 1}));
}

TEST(ViewTransform, WindowModeAtIntegerScalesIsExact) {
    for (int32_t k = 1; k <= 4; ++k) {
        SCOPED_TRACE(k);
        ViewTransform v({640, 480}, {640 * k, 480 * k});
        EXPECT_EQ(v.drawRect(), (PixelRect{0, 0, 640 * k, 480 * k}));
        EXPECT_TRUE(v.integerScale());
        for (int32_t wx = 0; wx < 640 * k; ++wx)
            ASSERT_EQ(v.toGame(PixelPoint{wx, wx % (480 * k)}),
                      (PixelPoint{wx / k, (wx % (480 * k)) / k}));
        for (int32_t x = 0; x < 640; x += 7) EXPECT_EQ(v.toWindow(PixelPoint{x, x}).x, x * k);
        expectRoundTrip(v);
    }
}

TEST(ViewTransform, FullScreenIsScaledCentredWithBorders) {
    // 4:3 on 16:9: borders left and right, a scale of 2.25.
    ViewTransform v({640, 480}, {1920, 1080});
    EXPECT_EQ(v.drawRect(), (PixelRect{240, 0, 1440, 1080}));
    EXPECT_FALSE(v.integerScale());
    expectRoundTrip(v);
    // In the borders the count goes on past the picture's edges.
    EXPECT_EQ(v.toGame(PixelPoint{0, 0}).x, -107);
    EXPECT_LT(v.toGame(PixelPoint{239, 0}).x, 0);
    EXPECT_EQ(v.toGame(PixelPoint{240, 0}).x, 0);
    EXPECT_EQ(v.toGame(PixelPoint{1680, 0}).x, 640);
    EXPECT_GE(v.toGame(PixelPoint{1919, 1079}).x, 640);

    // Wide games get borders above and below.
    ViewTransform wide({800, 300}, {1920, 1080});
    EXPECT_EQ(wide.drawRect(), (PixelRect{0, 180, 1920, 720}));
    expectRoundTrip(wide);
    EXPECT_EQ(wide.toGame(PixelPoint{0, 0}).y, -75);

    // An integer fit on a larger desktop: exact, with even borders.
    for (int32_t k = 1; k <= 4; ++k) {
        SCOPED_TRACE(k);
        ViewTransform fit({480, 270}, {480 * k + 100, 270 * k});
        EXPECT_EQ(fit.drawRect(), (PixelRect{50, 0, 480 * k, 270 * k}));
        EXPECT_TRUE(fit.integerScale());
        EXPECT_EQ(fit.toGame(PixelPoint{50 + 3 * k, 5 * k}), (PixelPoint{3, 5}));
        EXPECT_EQ(fit.toGame(PixelPoint{49, 0}).x, -1);
        expectRoundTrip(fit);
    }
}

TEST(ViewTransform, OddSizesAndDegenerateOutputs) {
    // A border of odd width puts the extra pixel on the right.
    ViewTransform odd({4, 4}, {9, 4});
    EXPECT_EQ(odd.drawRect(), (PixelRect{2, 0, 4, 4}));
    // Shrunk below the game's size the mapping still stays inside the game.
    ViewTransform small({640, 480}, {320, 200});
    EXPECT_EQ(small.drawRect(), (PixelRect{26, 0, 267, 200}));
    EXPECT_EQ(small.toGame(PixelPoint{26, 0}), (PixelPoint{1, 1}));
    EXPECT_EQ(small.toGame(PixelPoint{26 + 266, 199}), (PixelPoint{638, 478}));
    // No game or no window: nothing is drawn and points stay as they are.
    for (const ViewTransform& v : {ViewTransform(), ViewTransform({0, 480}, {640, 480}),
                                   ViewTransform({640, 480}, {0, 0})}) {
        EXPECT_TRUE(v.drawRect().empty());
        EXPECT_EQ(v.toGame(PixelPoint{12, -3}), (PixelPoint{12, -3}));
    }
    // Huge coordinates do not overflow.
    ViewTransform v({1, 1}, {16384, 16384});
    EXPECT_EQ(v.toGame(PixelPoint{INT32_MAX, INT32_MIN}), (PixelPoint{131071, -131072}));
    EXPECT_EQ(v.toWindow(PixelPoint{INT32_MAX, 0}).x, INT32_MAX);
    EXPECT_EQ(v.toWindow(PixelRect{0, 0, 1, 1}), (PixelRect{0, 0, 16384, 16384}));
}

TEST(ViewTransform, SharpPrescaleIsTheWholeFactor) {
    EXPECT_EQ(ViewTransform({640, 480}, {1920, 1080}, ScaleFilter::Sharp).prescale(), 2);
    EXPECT_EQ(ViewTransform({640, 480}, {1920, 1080}, ScaleFilter::Linear).prescale(), 1);
    EXPECT_EQ(ViewTransform({640, 480}, {1280, 960}, ScaleFilter::Sharp).prescale(), 2);
    EXPECT_EQ(ViewTransform({640, 480}, {1000, 700}, ScaleFilter::Sharp).prescale(), 1);
    EXPECT_EQ(ViewTransform({640, 480}, {300, 200}, ScaleFilter::Sharp).prescale(), 1);
    // The filter never moves the picture.
    EXPECT_EQ(ViewTransform({640, 480}, {1920, 1080}, ScaleFilter::Sharp).drawRect(),
              ViewTransform({640, 480}, {1920, 1080}, ScaleFilter::Nearest).drawRect());
}

TEST(ViewTransform, DefaultScaleFillsNinetyPercentOfTheDesktop) {
    EXPECT_EQ(defaultWindowScale({640, 480}, {1920, 1080}), 2);
    EXPECT_EQ(defaultWindowScale({640, 480}, {1920, 1040}), 1);  // 936 < 960
    EXPECT_EQ(defaultWindowScale({640, 480}, {3840, 2160}), 4);
    EXPECT_EQ(defaultWindowScale({240, 120}, {1920, 1080}), 7);
    EXPECT_EQ(defaultWindowScale({2560, 1440}, {1920, 1080}), 1);
    EXPECT_EQ(defaultWindowScale({10, 10}, {1920, 1080}), kMaxWindowScale);
    EXPECT_EQ(defaultWindowScale({0, 480}, {1920, 1080}), 1);
}

TEST(ViewTransform, FilterNames) {
    for (ScaleFilter f : {ScaleFilter::Nearest, ScaleFilter::Linear, ScaleFilter::Sharp})
        EXPECT_EQ(parseScaleFilter(scaleFilterName(f)), f);
    EXPECT_FALSE(parseScaleFilter("Nearest"));
    EXPECT_FALSE(parseScaleFilter(""));
}

TEST(WindowIcon, TheTwoIconsAreTilesOfTheirOwn) {
    Picture normal = windowIconPicture(WindowIcon::Normal);
    Picture paused = windowIconPicture(WindowIcon::Paused);
    ASSERT_EQ(normal.width, 48);
    ASSERT_EQ(normal.pixels.size(), 48u * 48u);
    EXPECT_EQ(normal.pixels[0] >> 24, 0u);                // the rounded corner is transparent
    EXPECT_EQ(normal.pixels[24 * 48 + 24], 0xFFEAF2FFu);  // the flake's middle
    EXPECT_EQ(normal.pixels[24 * 48 + 4] >> 24, 0xFFu);   // the tile
    EXPECT_NE(normal.pixels, paused.pixels);
}

}  // namespace
}  // namespace rs::platform
