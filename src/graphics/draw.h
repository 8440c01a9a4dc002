// Simple drawing into frames: points, lines and filled rectangles. Free functions over frames;
// the commands report the changes.
#pragma once

#include <cstdint>
#include <optional>

namespace rs::graphics {

struct Frame;

// A rectangle clipped to a frame: x, y and a width and height that are both positive.
struct ClippedRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
    bool operator==(const ClippedRect&) const = default;
};

// The rectangle cut to the frame: a negative x or y moves that edge to 0 and shortens the size by
// as much, then the size is cut at the right and bottom edges. nullopt when nothing is left.
std::optional<ClippedRect> clipRect(const Frame& f, int32_t x, int32_t y, int32_t w, int32_t h);

// point: the 32-bit pixel (as a signed value) or the 8-bit index; -1 outside the frame or for
// other depths.
int32_t pointValue(const Frame& f, int32_t x, int32_t y);

// line: the points (x1 + (n/2 + i*dx) / n, y1 + (n/2 + i*dy) / n) for i = 0..n, n = max(|dx|,
// |dy|), divisions truncating toward zero, each through blendPixel (one point when both ends are
// equal). Only the points that land in the frame are visited, so far-away ends cost nothing.
void drawLine(Frame& f, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);

// full: every pixel of the clipped rectangle gets the colour (32-bit frames the whole value,
// 8-bit frames the low byte). Returns the rectangle filled.
std::optional<ClippedRect> fillRect(Frame& f, int32_t x, int32_t y, int32_t w, int32_t h,
                                    uint32_t colour);

// fulla: with A = colour >> 24: A = 0 is fillRect with the alpha byte cleared. Otherwise 8-bit
// frames blend each pixel; 32-bit frames with valid alpha compose over the pixel's alpha da:
// D = (255 - A) * da + 255 * A, new alpha D / 255 and channels (d * (255 - A) * da + s * 255 * A)
// / D; 32-bit frames without it mix (s * A + d * (256 - A)) / 256 and clear the alpha byte.
std::optional<ClippedRect> fillRectAlpha(Frame& f, int32_t x, int32_t y, int32_t w, int32_t h,
                                         uint32_t colour);

}  // namespace rs::graphics
