// Copies: copy, ccopy, gcopy, ncopy, the dissolve pair shufull / shucopy, and cnvcopy.
#include <cstring>

#include "graphics/blit.h"
#include "graphics/blit_clip.h"
#include "graphics/blit_tables.h"
#include "graphics/simd/row_kernels.h"
#include "graphics/tables.h"

namespace rs::graphics {

using detail::channel;
using detail::clipRects;
using detail::pos;
using detail::row32;

namespace {

bool both32(const Frame& a, const Frame& b) { return a.bpp == 32 && b.bpp == 32; }

// The rows of a rectangle in an order that reads every source row before a same-frame copy
// overwrites it.
template <class RowFn>
void forRowsSafe(const Frame& src, int32_t sy, const Frame& dst, int32_t dy, int32_t h, RowFn fn) {
    if (&src == &dst && dy > sy) {
        for (int32_t j = h - 1; j >= 0; --j) fn(j);
    } else {
        for (int32_t j = 0; j < h; ++j) fn(j);
    }
}

}  // namespace

void copy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, Frame& dst, int32_t dx,
          int32_t dy, int32_t w, int32_t h) {
    if (clipRects(w, h, {pos(sx, sy, src), pos(dx, dy, dst)})) {
        if (src.bpp == dst.bpp && src.alphaValid == dst.alphaValid) {
            // Rows byte for byte; a copy inside one frame behaves as if from a snapshot.
            size_t bytes = static_cast<size_t>(w) * static_cast<size_t>(src.bpp / 8);
            size_t sOff = static_cast<size_t>(sx) * static_cast<size_t>(src.bpp / 8);
            size_t dOff = static_cast<size_t>(dx) * static_cast<size_t>(dst.bpp / 8);
            size_t streamFrom =
                c.streamBytes != 0 ? c.streamBytes : streamingCopyBytes(lastLevelCacheBytes());
            if (&src != &dst && bytes * static_cast<size_t>(h) >= streamFrom) {
                const auto& k = simd::kernels(c.simd);
                for (int32_t j = 0; j < h; ++j)
                    k.bigCopy(dst.row(dy + j) + dOff, src.row(sy + j) + sOff, bytes);
                k.finish();
            } else {
                forRowsSafe(src, sy, dst, dy, h, [&](int32_t j) {
                    std::memmove(dst.row(dy + j) + dOff, src.row(sy + j) + sOff, bytes);
                });
            }
        } else if (both32(src, dst)) {
            const auto& k = simd::kernels(c.simd);
            forRowsSafe(src, sy, dst, dy, h, [&](int32_t j) {
                uint32_t* d = row32(dst, dy + j) + dx;
                const uint32_t* s = row32(src, sy + j) + sx;
                if (&src == &dst && d > s && d < s + w) {
                    for (int32_t i = w - 1; i >= 0; --i) d[i] = s[i] | 0xFF000000u;
                } else {
                    k.opaqueCopy(d, s, w);
                }
            });
        } else {
            for (int32_t j = 0; j < h; ++j) {
                for (int32_t i = 0; i < w; ++i) {
                    putPixel(dst, dx + i, dy + j, getColour(src, sx + i, sy + j) | 0xFF000000u);
                }
            }
        }
    }
    c.reportRect(dst, dx, dy, w, h);
}

void ccopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, Frame& dst, int32_t dx,
           int32_t dy, int32_t w, int32_t h) {
    if (clipRects(w, h, {pos(sx, sy, src), pos(dx, dy, dst)})) {
        bool overlap = detail::overlapSameFrame(src, sx, sy, dst, dx, dy, w, h);
        const auto& k = simd::kernels(overlap ? SimdLevel::None : c.simd);
        if (!src.alphaValid) {
            for (int32_t j = 0; j < h; ++j) {
                if (both32(src, dst)) {
                    k.greenKeyCopy(row32(dst, dy + j) + dx, row32(src, sy + j) + sx, w);
                    continue;
                }
                for (int32_t i = 0; i < w; ++i) {
                    uint32_t p = getColour(src, sx + i, sy + j);
                    if (!detail::greenKeyed(p)) putPixel(dst, dx + i, dy + j, p);
                }
            }
        } else if (&src == &dst) {
            for (int32_t j = 0; j < h; ++j) {
                for (int32_t i = 0; i < w; ++i) {
                    uint32_t p = getColour(src, sx + i, sy + j);
                    if ((p >> 24) != 0) blendPixel(dst, dx + i, dy + j, p);
                }
            }
        } else if (dst.alphaValid) {
            for (int32_t j = 0; j < h; ++j)
                k.compositeOnto(row32(dst, dy + j) + dx, row32(src, sy + j) + sx, w, 256);
        } else if (dst.bpp == 32) {
            for (int32_t j = 0; j < h; ++j)
                k.fadeOver(row32(dst, dy + j) + dx, row32(src, sy + j) + sx, w);
        }
        // A source with alpha into an 8-bit frame draws nothing.
    }
    c.reportRect(dst, dx, dy, w, h);
}

void gcopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, Frame& dst, int32_t dx,
           int32_t dy, int32_t w, int32_t h, uint32_t colour) {
    if (clipRects(w, h, {pos(sx, sy, src), pos(dx, dy, dst)})) {
        uint32_t k = colour >> 24;
        for (int32_t j = 0; j < h; ++j) {
            for (int32_t i = 0; i < w; ++i) {
                uint32_t p = getColour(src, sx + i, sy + j);
                uint32_t alpha;
                if (src.alphaValid) {
                    if ((p >> 24) == 0) continue;
                    alpha = p & 0xFF000000u;
                } else {
                    if (detail::greenKeyed(p)) continue;
                    alpha = 0xFF000000u;
                }
                // Grey level 0..3060 tints the colour, then mixes with the source by K / 256.
                uint32_t g = 5 * channel(p, 2) + 6 * channel(p, 1) + channel(p, 0);
                uint32_t out = alpha;
                for (int ch = 0; ch < 3; ++ch) {
                    uint32_t t = channel(colour, ch) * g / 3060;
                    out |= ((t * k + (256 - k) * channel(p, ch)) >> 8) << (8 * ch);
                }
                putPixel(dst, dx + i, dy + j, out);
            }
        }
    }
    c.reportRect(dst, dx, dy, w, h);
}

void ncopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, Frame& dst, int32_t dx,
           int32_t dy, int32_t w, int32_t h) {
    if (clipRects(w, h, {pos(sx, sy, src), pos(dx, dy, dst)})) {
        bool overlap = detail::overlapSameFrame(src, sx, sy, dst, dx, dy, w, h);
        if (src.bpp == dst.bpp) {
            int32_t bpp = src.bpp / 8;
            for (int32_t j = 0; j < h; ++j) {
                if (src.bpp == 32) {
                    simd::kernels(overlap ? SimdLevel::None : c.simd)
                        .invert(row32(dst, dy + j) + dx, row32(src, sy + j) + sx, w);
                    continue;
                }
                uint8_t* d = dst.row(dy + j) + dx * bpp;
                const uint8_t* s = src.row(sy + j) + sx * bpp;
                for (int32_t b = 0; b < w * bpp; ++b) d[b] = static_cast<uint8_t>(~s[b]);
            }
        } else {
            for (int32_t j = 0; j < h; ++j) {
                for (int32_t i = 0; i < w; ++i)
                    blendPixel(dst, dx + i, dy + j, ~getColour(src, sx + i, sy + j));
            }
        }
    }
    c.reportRect(dst, dx, dy, w, h);
}

namespace {

// The dissolve value of column c, row r of a rectangle: the shuffle pattern of its 16 x 16 tile,
// multiplied by an odd factor that differs from tile to tile.
uint32_t dissolveValue(int32_t c, int32_t r) {
    const auto& shuffle = shuffleTable();
    uint32_t v = shuffle[static_cast<size_t>((r & 15) * 16 + (c & 15))];
    uint32_t factor = static_cast<uint32_t>(2 * ((c >> 4) + 2 * (r >> 4)) + 1);
    return (v * factor) & 0xFF;
}

bool inBand(uint32_t v, int32_t lo, int32_t hi) {
    return static_cast<int64_t>(v) >= lo && static_cast<int64_t>(v) < hi;
}

}  // namespace

void shufull(const BlitContext& c, Frame& dst, int32_t x, int32_t y, int32_t w, int32_t h,
             uint32_t colour, int32_t lo, int32_t hi) {
    if (clipRects(w, h, {pos(x, y, dst)})) {
        for (int32_t r = 0; r < h; ++r) {
            for (int32_t col = 0; col < w; ++col) {
                if (inBand(dissolveValue(col, r), lo, hi)) putPixel(dst, x + col, y + r, colour);
            }
        }
    }
    c.reportRect(dst, x, y, w, h);
}

// Frames of different depths store the source colour.
void shucopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, Frame& dst, int32_t dx,
             int32_t dy, int32_t w, int32_t h, int32_t lo, int32_t hi) {
    if (clipRects(w, h, {pos(sx, sy, src), pos(dx, dy, dst)})) {
        for (int32_t r = 0; r < h; ++r) {
            for (int32_t col = 0; col < w; ++col) {
                if (!inBand(dissolveValue(col, r), lo, hi)) continue;
                if (src.bpp == 32 && dst.bpp == 32) {
                    row32(dst, dy + r)[dx + col] = row32(src, sy + r)[sx + col];
                } else if (src.bpp == 8 && dst.bpp == 8) {
                    uint8_t index = src.row(sy + r)[sx + col];
                    if (index != 255) dst.row(dy + r)[dx + col] = index;
                } else {
                    putPixel(dst, dx + col, dy + r, getColour(src, sx + col, sy + r));
                }
            }
        }
    }
    c.reportRect(dst, dx, dy, w, h);
}

// The source is read as one index byte per pixel. Table values name a frame when they are below
// 0x01000000 taken as unsigned (so every colour with a non-zero alpha byte is a colour); a number
// that names no frame, or a free slot, gives 0.
void cnvcopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, Frame& dst, int32_t dx,
             int32_t dy, int32_t w, int32_t h, std::span<const int32_t, 256> table,
             const FrameTable& frames) {
    if (clipRects(w, h, {pos(sx, sy, src), pos(dx, dy, dst)})) {
        for (int32_t r = 0; r < h; ++r) {
            for (int32_t col = 0; col < w; ++col) {
                auto v = static_cast<uint32_t>(table[detail::indexByte(src, sx + col, sy + r)]);
                if (dst.bpp == 8) {
                    putPixel(dst, dx + col, dy + r, v);
                } else if (dst.bpp == 32) {
                    uint32_t out = v;
                    if (v != 0 && v < 0x01000000u) {
                        const Frame* f = frames.at(static_cast<int32_t>(v));
                        out = f ? getColour(*f, col, r) : 0;
                    }
                    putPixel(dst, dx + col, dy + r, out);
                }
            }
        }
    }
    c.reportRect(dst, dx, dy, w, h);
}

}  // namespace rs::graphics
