// Turning a one-bit glyph into pixel coverage. The supersampling renderers take a glyph drawn at
// eight times the target size and cut it into 8 x 8 blocks, one per target pixel, each held as a
// 64-bit mask of its sub-samples; coverage is the number of set sub-samples (0..64).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/font_source.h"

namespace rs::graphics {
struct Frame;
}

namespace rs::text {

// The glyph's blocks. Block (bx, by) lies at target pixel (originX + bx, originY + by) relative to
// the pen (the top-left corner of the character cell). Within a block, sub-sample (sx, sy) is
// bit sy * 8 + sx.
struct BlockGrid {
    int32_t originX = 0;
    int32_t originY = 0;
    int32_t width = 0;   // in blocks
    int32_t height = 0;  // in blocks
    std::vector<uint64_t> blocks;

    // A block; blocks outside the grid are empty.
    uint64_t at(int32_t bx, int32_t by) const {
        if (bx < 0 || by < 0 || bx >= width || by >= height) return 0;
        return blocks[static_cast<size_t>(by) * static_cast<size_t>(width) +
                      static_cast<size_t>(bx)];
    }
};

// Cuts a glyph drawn at 8 times the size into blocks. The black box's top-left corner lies at
// sub-pixel (originX, ascent - originY) from the pen; its sub-pixel phase within the blocks is
// kept (negative positions round down).
BlockGrid buildBlocks(const platform::GlyphBitmap& glyph, int32_t ascent);

// Coverage of an area of target pixels. (x, y) is the top-left pixel relative to the pen; `body`
// and `edge` hold one count (0..64) per pixel, row by row.
struct CoverageMap {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> body;
    std::vector<uint8_t> edge;
};

// The style of the outlined renderer that draws the body and a one-pixel outline.
constexpr uint32_t kOutlineStyle = 0xEAE00400u;

// Outlined coverage: for every pixel of the grid plus one pixel on the left and top and two on
// the right and bottom, the blocks of its 4 x 4 neighbourhood (offsets -2..+1) are merged into a
// body mask (style bit 4 * (dy + 2) + (dx + 2)) and an edge mask (style bit 16 + that). The body
// count is the body mask's set bits; the edge count the edge mask's bits not in the body mask.
CoverageMap outlinedCoverage(const BlockGrid& grid, uint32_t style);

// Smooth coverage: each block's set bits, no edge.
CoverageMap smoothCoverage(const BlockGrid& grid);

// Monochrome drawing of a glyph at the target size: set bits become `colour` (an alpha byte of
// 0 counts as opaque), clear bits leave the frame. The black box's top-left corner lies at
// (penX + originX, penY + ascent - originY).
void drawMonochrome(graphics::Frame& frame, const platform::GlyphBitmap& glyph, int32_t penX,
                    int32_t penY, int32_t ascent, uint32_t colour);

// The area drawMonochrome touches, relative to the pen: x, y, width, height.
struct CellArea {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};
CellArea monochromeArea(const platform::GlyphBitmap& glyph, int32_t ascent);

}  // namespace rs::text
