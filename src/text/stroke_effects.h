// Stroke effects on a glyph's sub-pixel grid: thicken, thin, and two filters that keep only the
// sub-pixels lying on a straight stroke. Each reads the current grid and writes a new one; grid
// positions outside the glyph's blocks are never written.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "text/glyph_renderer.h"

namespace rs::text {

// One byte (0 or 1) per sub-pixel, row-major.
struct SubpixelGrid {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> cells;

    bool inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    uint8_t at(int32_t x, int32_t y) const {
        return cells[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
    uint8_t& at(int32_t x, int32_t y) {
        return cells[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
};

SubpixelGrid toSubpixels(const BlockGrid& grid);
void fromSubpixels(const SubpixelGrid& sub, BlockGrid& grid);

// The largest strength each effect takes (larger settings act as these): the thicken and thin
// discs need r * r inside the square-root table's range; the stroke filters' sample offsets are
// held in 32 bits.
constexpr int32_t kMaxDiscRadius = 255;
constexpr int32_t kMaxStrokeRadius = 4095;

// Thicken by r: for dy = -r, -r + 2, ... <= r with w = isqrt(r * r - dy * dy), and dx = -w,
// -w + 2, ... <= w, every set sub-pixel (x, y) also sets (x + dx, y + dy).
SubpixelGrid thicken(const SubpixelGrid& in, int32_t r);

// Thin by r: a set sub-pixel stays set only when every sample of its disc (offsets in steps of
// 2, starting at the grid's edge where the disc reaches past it) is set.
SubpixelGrid thin(const SubpixelGrid& in, int32_t r);

// Keep strokes: a set sub-pixel stays set when, for at least one of 32 directions d * pi / 32,
// every sample t = -L, -L + 2, ... <= L along it is set (samples outside the grid count as set).
// `weighted` uses the half-lengths L = weight(d) * r, skipping directions of weight 0; otherwise
// L = r for every direction.
SubpixelGrid keepStrokes(const SubpixelGrid& in, int32_t r, bool weighted);

// The directions' cosine and sine in 16.16 fixed point (truncated).
const std::array<std::array<int32_t, 2>, 32>& strokeDirections();

// Applies the enabled effects (strengths 0..3 of `settings`; 0 or less is off) in order.
void applyStrokeEffects(BlockGrid& grid, const int32_t* settings);

}  // namespace rs::text
