// Lookup tables of the blits, built once on first use and never changed afterwards.
#pragma once

#include <cstdint>

#include "graphics/blit_clip.h"

namespace rs::graphics::detail {

// fadeTable: entry [a][k] = ((k - 256) * a) / 255 (truncating), a = 0..255, k = 0..511: the
// change of a channel fading by a / 255 towards a value k - 256 above it.
const int32_t* fadeTable();
inline int32_t fade(uint32_t a, int32_t diff) { return fadeTable()[a * 512 + static_cast<uint32_t>(diff + 256)]; }

// reciprocal: entry d = 65536 / d for d = 1..256, entry 0 = 65536.
const uint32_t* reciprocalTable();
// divideBy(x, d) = (x * 65536 / d) >> 16 in unsigned 32-bit arithmetic.
inline uint32_t divideBy(uint32_t x, uint32_t d) { return (x * reciprocalTable()[d]) >> 16; }

// Composites colour s with alpha A (0..255) onto pixel d, whose own alpha counts: with
// D = (255 - A) * da + 255 * A the new alpha is D / 255 and each colour channel
// (dc * (255 - A) * da + sc * 255 * A) / D. D = 0 leaves the pixel.
inline uint32_t compositeOver(uint32_t d, uint32_t s, uint32_t a) {
    uint32_t da = d >> 24;
    uint32_t wd = (255 - a) * da;
    uint32_t ws = 255 * a;
    uint32_t D = wd + ws;
    if (D == 0) return d;
    uint32_t out = (D / 255) << 24;
    for (int c = 0; c < 3; ++c) out |= ((channel(d, c) * wd + channel(s, c) * ws) / D) << (8 * c);
    return out;
}

// The blend of blendPixel on 32-bit pixels: (dc * (255 - A) + sc * A) / 255, alpha kept.
inline uint32_t blendOpaqueChannels(uint32_t d, uint32_t s, uint32_t a) {
    uint32_t out = d & 0xFF000000u;
    for (int c = 0; c < 3; ++c) out |= ((channel(d, c) * (255 - a) + channel(s, c) * a) / 255) << (8 * c);
    return out;
}

// blendPixel on a 32-bit pixel value.
inline uint32_t blendPixelValue(uint32_t d, uint32_t colour) {
    uint32_t a = colour >> 24;
    return a == 0 ? colour : blendOpaqueChannels(d, colour, a);
}

}  // namespace rs::graphics::detail
