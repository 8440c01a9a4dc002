// The engine's own cursors: twelve 32 x 32 pictures whose hot spots are where they point, kept
// as a golden picture (tests/golden/cursors.png shows all twelve in shape order).
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/cursor_pictures.h"
#include "support/golden.h"

namespace rs::test {
namespace {

using platform::CursorPicture;
using platform::PixelPoint;

uint32_t alphaAt(const CursorPicture& c, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= c.picture.width || y >= c.picture.height) return 0;
    return c.picture.pixels[static_cast<size_t>(y * c.picture.width + x)] >> 24;
}

struct Box {
    int32_t left = 99, top = 99, right = -1, bottom = -1;
};

// The box of the pixels that are at least half opaque.
Box shapeBox(const CursorPicture& c) {
    Box b;
    for (int32_t y = 0; y < c.picture.height; ++y) {
        for (int32_t x = 0; x < c.picture.width; ++x) {
            if (alphaAt(c, x, y) < 128) continue;
            b.left = std::min(b.left, x);
            b.top = std::min(b.top, y);
            b.right = std::max(b.right, x);
            b.bottom = std::max(b.bottom, y);
        }
    }
    return b;
}

TEST(CursorPictures, TwelveShapesWithTheirHotSpotsWhereTheyPoint) {
    graphics::Image sheet;
    sheet.width = 12 * 32;
    sheet.height = 32;
    sheet.pixels.assign(static_cast<size_t>(sheet.width) * sheet.height, 0);
    for (int32_t shape = 2; shape <= 13; ++shape) {
        SCOPED_TRACE(shape);
        CursorPicture c = platform::cursorPicture(shape);
        ASSERT_EQ(c.picture.width, 32);
        ASSERT_EQ(c.picture.height, 32);
        EXPECT_STRNE(c.name, "");
        PixelPoint h = c.hotSpot;
        EXPECT_TRUE(h.x >= 0 && h.x < 32 && h.y >= 0 && h.y < 32);
        Box b = shapeBox(c);
        std::string name = c.name;
        if (name == "hand" || name == "up") {
            EXPECT_LE(h.y - b.top, 1);
            EXPECT_GE(alphaAt(c, h.x, h.y + 1), 128u);
        } else if (name == "left") {
            EXPECT_LE(h.x - b.left, 1);
            EXPECT_GE(alphaAt(c, h.x, h.y), 128u);
        } else if (name == "right") {
            EXPECT_LE(b.right - h.x, 1);
            EXPECT_GE(alphaAt(c, h.x, h.y), 128u);
        } else if (name == "down") {
            EXPECT_LE(b.bottom - h.y, 1);
            EXPECT_GE(alphaAt(c, h.x, h.y), 128u);
        } else if (name == "pen") {
            // The nib: the lowest and leftmost point.
            EXPECT_LE(b.bottom - h.y, 2);
            EXPECT_LE(h.x - b.left, 2);
            EXPECT_GE(alphaAt(c, h.x, h.y), 64u);
        } else if (name == "magnifier") {
            // Inside the lens, which surrounds it.
            EXPECT_EQ(alphaAt(c, h.x, h.y), 0u);
            for (PixelPoint d :
                 {PixelPoint{9, 0}, PixelPoint{-9, 0}, PixelPoint{0, 9}, PixelPoint{0, -9}}) {
                EXPECT_GE(alphaAt(c, h.x + d.x, h.y + d.y), 128u);
            }
        } else if (name == "grab") {
            EXPECT_GE(alphaAt(c, h.x, h.y), 255u);  // on the palm
        } else {
            // crosshair, text, forbidden, move: the middle of the shape.
            EXPECT_LE(std::abs((b.left + b.right) / 2 - h.x), 1) << name;
            EXPECT_LE(std::abs((b.top + b.bottom) / 2 - h.y), 1) << name;
        }
        for (int32_t y = 0; y < 32; ++y) {
            std::copy_n(&c.picture.pixels[static_cast<size_t>(y) * 32], 32,
                        &sheet.pixels[static_cast<size_t>(y) * sheet.width + (shape - 2) * 32]);
        }
    }
    expectMatchesGolden(sheet, "cursors");
    for (int32_t shape : {-1, 0, 1, 14})
        EXPECT_TRUE(platform::cursorPicture(shape).picture.pixels.empty());
}

}  // namespace
}  // namespace rs::test
