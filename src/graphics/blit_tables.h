// Lookup tables of the blits, built once on first use and never changed afterwards.
#pragma once

#include <cstdint>

#include "graphics/blit_clip.h"

namespace rs::graphics::detail {

// fadeTable: entry [a][k] = ((k - 256) * a) / 255 (truncating), a = 0..255, k = 0..511: the
// change of a channel fading by a / 255 towards a value k - 256 above it.
const int32_t* fadeTable();
inline int32_t fade(uint32_t a, int32_t diff) {
    return fadeTable()[a * 512 + static_cast<uint32_t>(diff + 256)];
}

// reciprocal: entry d = 65536 / d for d = 1..256, entry 0 = 65536.
const uint32_t* reciprocalTable();
// divideBy(x, d) = (x * 65536 / d) >> 16 in unsigned 32-bit arithmetic.
inline uint32_t divideBy(uint32_t x, uint32_t d) { return (x * reciprocalTable()[d]) >> 16; }

// blendFractionTable: entry [A][da] = floor(ws * 2^24 / D) with ws = 255 * A and
// D = (255 - A) * da + ws (0 where D = 0): the share of the source colour in compositeOver, as a
// 24-bit fraction.
const uint32_t* blendFractionTable();

// One channel of compositeOver, (dc * wd + sc * ws) / D with wd = D - ws, from the fraction g of
// the table, without a division. The sum is dc * D + (sc - dc) * ws, so the channel is the
// smaller of dc and sc plus the distance between them times the other one's share, rounded down.
// With sc >= dc the share is ws / D, taken as (g + 1) / 2^24: at most 2^-24 too large, which for
// a distance below 256 and D below 2^24 / 255 never reaches the next whole number. With sc < dc
// the share is wd / D = 1 - ws / D, taken as (2^24 - g) / 2^24, off by less than 2^-24 the same
// way. Every product stays below 2^32. The tests compare this with the division for every pair
// of alphas and every distance.
inline uint32_t compositeChannel(uint32_t dc, uint32_t sc, uint32_t g) {
    if (sc >= dc) return dc + (((sc - dc) * (g + 1)) >> 24);
    return sc + (((dc - sc) * ((1u << 24) - g)) >> 24);
}

// Composites colour s with alpha A (0..255) onto pixel d, whose own alpha counts: with
// D = (255 - A) * da + 255 * A the new alpha is D / 255 and each colour channel
// (dc * (255 - A) * da + sc * 255 * A) / D. D = 0 leaves the pixel.
inline uint32_t compositeOver(uint32_t d, uint32_t s, uint32_t a) {
    uint32_t da = d >> 24;
    uint32_t D = (255 - a) * da + 255 * a;
    uint32_t g = blendFractionTable()[a << 8 | da];
    // D / 255 for D below 2^16.
    uint32_t out = ((D * 0x8081u) >> 23) << 24;
    for (int c = 0; c < 3; ++c) out |= compositeChannel(channel(d, c), channel(s, c), g) << (8 * c);
    return out;
}

// The blend of blendPixel on 32-bit pixels: (dc * (255 - A) + sc * A) / 255, alpha kept.
inline uint32_t blendOpaqueChannels(uint32_t d, uint32_t s, uint32_t a) {
    uint32_t out = d & 0xFF000000u;
    for (int c = 0; c < 3; ++c)
        out |= ((channel(d, c) * (255 - a) + channel(s, c) * a) / 255) << (8 * c);
    return out;
}

// blendPixel on a 32-bit pixel value.
inline uint32_t blendPixelValue(uint32_t d, uint32_t colour) {
    uint32_t a = colour >> 24;
    return a == 0 ? colour : blendOpaqueChannels(d, colour, a);
}

// The source alpha of an in-place blend, scaled by a (0..256). An opaque pixel at a = 256 would
// give 256, which no alpha byte holds: it is kept at 255.
inline uint32_t scaledAlpha(uint32_t p, uint32_t a) {
    return std::min<uint32_t>(((p >> 24) * a) / 255, 255);
}

// One pixel of the in-place blend (blendcopy's rules) of colour p, read from `src`, onto (x, y) of
// `dst` (inside it); a in 0..256.
void blendPixelInPlace(Frame& dst, int32_t x, int32_t y, const Frame& src, uint32_t p, uint32_t a);

// Additive drawing of source s onto d at opacity a (0..255). A source with alpha sa: each channel
// r = dc + sc * sa / 255, then (r * a + dc * (255 - a)) / 255 held at 255, alpha 0xFF. A source
// without alpha: each channel dc + sc * a / 256 held at 255, the destination's alpha kept.
inline uint32_t additive(uint32_t d, uint32_t s, uint32_t a, bool sourceAlpha) {
    if (sourceAlpha) {
        uint32_t sa = s >> 24;
        uint32_t out = 0xFF000000u;
        for (int ch = 0; ch < 3; ++ch) {
            uint32_t dc = channel(d, ch);
            uint32_t r = dc + channel(s, ch) * sa / 255;
            out |= std::min<uint32_t>((r * a + dc * (255 - a)) / 255, 255) << (8 * ch);
        }
        return out;
    }
    uint32_t out = d & 0xFF000000u;
    for (int ch = 0; ch < 3; ++ch)
        out |= std::min<uint32_t>(channel(d, ch) + channel(s, ch) * a / 256, 255) << (8 * ch);
    return out;
}

// The colour dodge of pscopydiv for one pixel: base b, layer l (with its alpha), destination d.
// `full` (32-bit frames with a layer that has alpha): each channel
// min(255, (dc * (255 - op) + divideBy(bc * 256, 256 - lc * la / 255) * op) / 255), alpha 0xFF;
// otherwise min(255, bc * 65536 / (65536 - lc * la)) with the opacity as the alpha byte.
inline uint32_t colourDodge(uint32_t b, uint32_t l, uint32_t d, bool full, uint32_t op) {
    uint32_t la = l >> 24;
    if (full) {
        uint32_t out = 0xFF000000u;
        for (int ch = 0; ch < 3; ++ch) {
            uint32_t t = divideBy(channel(b, ch) * 256, 256 - (channel(l, ch) * la) / 255);
            uint32_t v = (channel(d, ch) * (255 - op) + t * op) / 255;
            out |= std::min<uint32_t>(v, 255) << (8 * ch);
        }
        return out;
    }
    uint32_t out = op << 24;
    for (int ch = 0; ch < 3; ++ch) {
        uint32_t v = (channel(b, ch) * 65536) / (65536 - channel(l, ch) * la);
        out |= std::min<uint32_t>(v, 255) << (8 * ch);
    }
    return out;
}

}  // namespace rs::graphics::detail
