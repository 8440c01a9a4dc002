// Shared pieces of the blits: rectangle clipping, row access and the colour helpers.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>

#include "graphics/frame.h"

namespace rs::graphics::detail {

// One rectangle position taking part in a clip, with the size of its frame.
struct ClipPos {
    int32_t* x;
    int32_t* y;
    int32_t frameW;
    int32_t frameH;
};

inline int32_t clampToInt(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// The clipping every blit shares. All rectangles have the size (w, h) and move together: a
// negative position is added to the size and subtracted from every other position of that axis,
// then the size is cut so that each rectangle ends inside its frame. True when something is left
// to draw.
inline bool clipRects(int32_t& w, int32_t& h, std::initializer_list<ClipPos> rects) {
    int64_t w64 = w;
    int64_t h64 = h;
    int64_t xs[4];
    int64_t ys[4];
    size_t n = 0;
    for (const ClipPos& r : rects) {
        xs[n] = *r.x;
        ys[n] = *r.y;
        ++n;
    }
    for (size_t i = 0; i < n; ++i) {
        if (xs[i] < 0) {
            int64_t v = xs[i];
            w64 += v;
            for (size_t j = 0; j < n; ++j) xs[j] -= (j == i) ? 0 : v;
            xs[i] = 0;
        }
        if (ys[i] < 0) {
            int64_t v = ys[i];
            h64 += v;
            for (size_t j = 0; j < n; ++j) ys[j] -= (j == i) ? 0 : v;
            ys[i] = 0;
        }
    }
    size_t i = 0;
    for (const ClipPos& r : rects) {
        if (xs[i] + w64 > r.frameW) w64 = r.frameW - xs[i];
        if (ys[i] + h64 > r.frameH) h64 = r.frameH - ys[i];
        *r.x = clampToInt(xs[i]);
        *r.y = clampToInt(ys[i]);
        ++i;
    }
    w = clampToInt(w64);
    h = clampToInt(h64);
    return w > 0 && h > 0;
}

inline ClipPos pos(int32_t& x, int32_t& y, const Frame& f) {
    return ClipPos{&x, &y, f.width, f.height};
}

// Row y of a 32-bit frame as pixels (x from 0).
inline uint32_t* row32(const Frame& f, int32_t y) { return reinterpret_cast<uint32_t*>(f.row(y)); }

// Colour bytes of a pixel: c = 0 blue, 1 green, 2 red, 3 alpha.
constexpr uint32_t channel(uint32_t p, int c) { return (p >> (8 * c)) & 0xFF; }

// Low 24 bits keys.
constexpr bool greenKeyed(uint32_t p) { return (p & 0x00FFFFFF) == 0x0000FF00; }
constexpr bool blueKeyed(uint32_t p) { return (p & 0x00FFFFFF) == 0x000000FF; }

// True when two rectangles of the same frame overlap: the order of the pixel walk then matters
// and the plain code, which walks rows top to bottom and pixels left to right, must run.
inline bool overlapSameFrame(const Frame& a, int32_t ax, int32_t ay, const Frame& b, int32_t bx,
                             int32_t by, int32_t w, int32_t h) {
    if (&a != &b) return false;
    return ax < bx + w && bx < ax + w && ay < by + h && by < ay + h;
}

// The byte a blit reads from frames used as one byte per pixel (masks, index sources): the first
// byte of the pixel in memory (the index of an 8-bit pixel, the blue byte of a 32-bit one); 0 for
// depths below 8 bits and outside the frame.
inline uint32_t indexByte(const Frame& f, int32_t x, int32_t y) {
    if (f.bpp < 8) return 0;
    const uint8_t* p = pixelAddress(f, x, y);
    return p ? *p : 0;
}

}  // namespace rs::graphics::detail
