#include "text/glyph_renderer.h"

#include <array>
#include <bit>

#include "graphics/frame.h"
#include "text/text_writers.h"

namespace rs::text {

namespace {

// Floor division by 8 and the matching remainder, for negative positions too.
int32_t blockOf(int32_t v) { return v >> 3; }
int32_t phaseOf(int32_t v) { return v & 7; }

}  // namespace

BlockGrid buildBlocks(const platform::GlyphBitmap& glyph, int32_t ascent) {
    BlockGrid grid;
    int32_t ox = glyph.originX;
    int32_t oy = ascent - glyph.originY;
    grid.originX = blockOf(ox);
    grid.originY = blockOf(oy);
    if (glyph.blackBoxX <= 0 || glyph.blackBoxY <= 0) return grid;
    int32_t sx = phaseOf(ox);
    int32_t sy = phaseOf(oy);
    grid.width = (sx + glyph.blackBoxX + 7) >> 3;
    grid.height = (sy + glyph.blackBoxY + 7) >> 3;
    grid.blocks.assign(static_cast<size_t>(grid.width) * static_cast<size_t>(grid.height), 0);
    // Each block row of a glyph row is the 8 bits starting at 8 * bx - sx, leftmost pixel first;
    // within a block the leftmost sub-sample is the lowest bit, hence the reversal.
    static const auto reversed = [] {
        std::array<uint8_t, 256> t{};
        for (int v = 0; v < 256; ++v) {
            int r = 0;
            for (int b = 0; b < 8; ++b) r |= ((v >> b) & 1) << (7 - b);
            t[static_cast<size_t>(v)] = static_cast<uint8_t>(r);
        }
        return t;
    }();
    int32_t pitch = glyph.pitch;
    for (int32_t y = 0; y < glyph.blackBoxY; ++y) {
        int32_t gy = sy + y;
        uint64_t* row =
            grid.blocks.data() + static_cast<size_t>(gy >> 3) * static_cast<size_t>(grid.width);
        int shift = (gy & 7) * 8;
        const uint8_t* bits =
            glyph.bits.data() + static_cast<size_t>(y) * static_cast<size_t>(pitch);
        for (int32_t bx = 0; bx < grid.width; ++bx) {
            int32_t start = 8 * bx - sx;
            int32_t index = start >> 3;
            uint32_t hi = index >= 0 && index < pitch ? bits[index] : 0;
            uint32_t lo = index + 1 >= 0 && index + 1 < pitch ? bits[index + 1] : 0;
            auto v = static_cast<uint8_t>((((hi << 8) | lo) << (start & 7)) >> 8);
            row[bx] |= uint64_t{reversed[v]} << shift;
        }
    }
    return grid;
}

CoverageMap outlinedCoverage(const BlockGrid& grid, uint32_t style) {
    CoverageMap map;
    map.x = grid.originX - 1;
    map.y = grid.originY - 1;
    if (grid.width == 0 || grid.height == 0) return map;
    map.width = grid.width + 3;
    map.height = grid.height + 3;
    size_t n = static_cast<size_t>(map.width) * static_cast<size_t>(map.height);
    map.body.assign(n, 0);
    map.edge.assign(n, 0);

    // The neighbourhood offsets each mask takes.
    struct Offset {
        int32_t dx, dy;
    };
    Offset bodyOffsets[16], edgeOffsets[16];
    int bodyCount = 0, edgeCount = 0;
    for (int32_t dy = -2; dy <= 1; ++dy) {
        for (int32_t dx = -2; dx <= 1; ++dx) {
            int bit = 4 * (dy + 2) + (dx + 2);
            if ((style >> bit) & 1) bodyOffsets[bodyCount++] = {dx, dy};
            if ((style >> (16 + bit)) & 1) edgeOffsets[edgeCount++] = {dx, dy};
        }
    }

    // The blocks with a margin of three empty blocks on every side (the pixels reach from block
    // -3 to block width + 2): no bounds checks below.
    int32_t pw = grid.width + 6;
    std::vector<uint64_t> padded(static_cast<size_t>(pw) * static_cast<size_t>(grid.height + 6), 0);
    for (int32_t by = 0; by < grid.height; ++by) {
        for (int32_t bx = 0; bx < grid.width; ++bx) {
            padded[static_cast<size_t>((by + 3) * pw + bx + 3)] =
                grid.blocks[static_cast<size_t>(by * grid.width + bx)];
        }
    }
    ptrdiff_t bodyDelta[16], edgeDelta[16];
    for (int k = 0; k < bodyCount; ++k) bodyDelta[k] = bodyOffsets[k].dy * pw + bodyOffsets[k].dx;
    for (int k = 0; k < edgeCount; ++k) edgeDelta[k] = edgeOffsets[k].dy * pw + edgeOffsets[k].dx;

    size_t i = 0;
    for (int32_t py = -1; py <= grid.height + 1; ++py) {
        const uint64_t* centre = padded.data() + static_cast<ptrdiff_t>((py + 3) * pw + 2);
        for (int32_t px = -1; px <= grid.width + 1; ++px, ++i, ++centre) {
            uint64_t body = 0, edge = 0;
            for (int k = 0; k < bodyCount; ++k) body |= centre[bodyDelta[k]];
            for (int k = 0; k < edgeCount; ++k) edge |= centre[edgeDelta[k]];
            map.body[i] = static_cast<uint8_t>(std::popcount(body));
            map.edge[i] = static_cast<uint8_t>(std::popcount(edge & ~body));
        }
    }
    return map;
}

CoverageMap smoothCoverage(const BlockGrid& grid) {
    CoverageMap map;
    map.x = grid.originX;
    map.y = grid.originY;
    map.width = grid.width;
    map.height = grid.height;
    map.body.resize(grid.blocks.size());
    map.edge.assign(grid.blocks.size(), 0);
    for (size_t i = 0; i < grid.blocks.size(); ++i)
        map.body[i] = static_cast<uint8_t>(std::popcount(grid.blocks[i]));
    return map;
}

CellArea monochromeArea(const platform::GlyphBitmap& glyph, int32_t ascent) {
    return {glyph.originX, ascent - glyph.originY, glyph.blackBoxX, glyph.blackBoxY};
}

void drawMonochrome(graphics::Frame& frame, const platform::GlyphBitmap& glyph, int32_t penX,
                    int32_t penY, int32_t ascent, uint32_t colour) {
    CellArea area = monochromeArea(glyph, ascent);
    for (int32_t y = 0; y < glyph.blackBoxY; ++y) {
        for (int32_t x = 0; x < glyph.blackBoxX; ++x) {
            if (glyph.bit(x, y)) writeSolid(frame, penX + area.x + x, penY + area.y + y, colour);
        }
    }
}

}  // namespace rs::text
