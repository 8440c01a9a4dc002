#include "text/text_writers.h"

#include <cstring>

#include "graphics/frame.h"
#include "graphics/tables.h"

namespace rs::text {

namespace {

uint32_t channel(uint32_t c, int shift) { return (c >> shift) & 0xFF; }
// An alpha byte of 0 counts as fully opaque.
uint32_t opaqueAlpha(uint32_t c) {
    uint32_t a = c >> 24;
    return a == 0 ? 255 : a;
}

// Mixes background b with text and edge colours by weights w1 and w2 (out of 64) on squared
// channels; the arithmetic shift rounds toward minus infinity. Returns 0x00RRGGBB.
uint32_t mixRgb(uint32_t b, int32_t w1, int32_t w2, uint32_t text, uint32_t edge) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        int32_t bc = static_cast<int32_t>(channel(b, shift));
        int32_t tc = static_cast<int32_t>(channel(text, shift));
        int32_t ec = static_cast<int32_t>(channel(edge, shift));
        int32_t b2 = bc * bc;
        int32_t v = b2 + (((tc * tc - b2) * w1 + (ec * ec - b2) * w2) >> 6);
        out |= graphics::isqrt(static_cast<uint32_t>(v)) << shift;
    }
    return out;
}

uint32_t loadPixel(const uint8_t* p, int32_t bytes) {
    uint32_t v = 0;
    std::memcpy(&v, p, static_cast<size_t>(bytes));
    return v;
}

void storePixel(uint8_t* p, uint32_t v, int32_t bytes) {
    std::memcpy(p, &v, static_cast<size_t>(bytes));
}

}  // namespace

uint32_t mixPixel32(uint32_t pixel, int32_t c1, int32_t c2, const TextColours& colours) {
    if (c1 == 0 && c2 == 0) return pixel;
    if (c1 == 64 && (colours.text >> 24) == 0xFF) return colours.text;
    int32_t w1 = static_cast<int32_t>(static_cast<uint32_t>(c1) * opaqueAlpha(colours.text) / 255);
    int32_t w2 = static_cast<int32_t>(static_cast<uint32_t>(c2) * opaqueAlpha(colours.edge) / 255);
    uint32_t b = colours.background == -1 ? pixel : static_cast<uint32_t>(colours.background);
    return 0xFF000000u | mixRgb(b, w1, w2, colours.text, colours.edge);
}

uint32_t mixPixelRgb(uint32_t pixel, int32_t c1, int32_t c2, const TextColours& colours) {
    if (c1 == 0 && c2 == 0) return pixel;
    if (c1 == 64 && (colours.text >> 24) == 0xFF) return colours.text & 0xFFFFFF;
    int32_t w1 = static_cast<int32_t>(static_cast<uint32_t>(c1) * opaqueAlpha(colours.text) / 255);
    int32_t w2 = static_cast<int32_t>(static_cast<uint32_t>(c2) * opaqueAlpha(colours.edge) / 255);
    uint32_t b = colours.background == -1 ? pixel : static_cast<uint32_t>(colours.background);
    return mixRgb(b, w1, w2, colours.text, colours.edge);
}

uint32_t mixPixelAlpha32(uint32_t pixel, int32_t c1, int32_t c2, const TextColours& colours) {
    uint32_t text = colours.text;
    uint32_t edge = colours.edge;
    if (c1 == 64 && c2 == 0 && (text >> 24) == 0xFF) return text;
    uint64_t wT = static_cast<uint64_t>(c1) * (text >> 24) / 255;
    uint64_t wE = static_cast<uint64_t>(c2) * (edge >> 24) / 255;
    uint64_t w = wT + wE;
    if (w == 0) return pixel;
    uint64_t da = pixel >> 24;
    uint64_t a = 4 * w;
    uint64_t n = (255 - da) * (a - 1) + da * 255;
    uint64_t k = 1020 - 255 / w;
    uint32_t out = static_cast<uint32_t>(n / 255) << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        uint64_t tc = channel(text, shift), ec = channel(edge, shift), dc = channel(pixel, shift);
        uint64_t v = ((wE * ec * ec + wT * tc * tc) * k + (256 - a) * da * dc * dc) / n;
        out |= graphics::isqrt(static_cast<uint32_t>(v)) << shift;
    }
    return out;
}

uint8_t mixPixel8(uint8_t pixel, int32_t c1, int32_t c2, const TextColours& colours) {
    uint32_t w1 = static_cast<uint32_t>(c1) * opaqueAlpha(colours.text) / 255;
    uint32_t w2 = static_cast<uint32_t>(c2) * opaqueAlpha(colours.edge) / 255;
    if (w1 + w2 < 32) return pixel;
    return static_cast<uint8_t>(w1 >= w2 ? colours.text : colours.edge);
}

uint32_t rgbFrom555(uint16_t p) {
    uint32_t r = (p >> 10) & 31, g = (p >> 5) & 31, b = p & 31;
    r = (r << 3) | (r >> 2);
    g = (g << 3) | (g >> 2);
    b = (b << 3) | (b >> 2);
    return (r << 16) | (g << 8) | b;
}

uint16_t rgbTo555(uint32_t rgb) {
    return static_cast<uint16_t>(((channel(rgb, 16) >> 3) << 10) | ((channel(rgb, 8) >> 3) << 5) |
                                 (channel(rgb, 0) >> 3));
}

void writeCoverage(graphics::Frame& frame, int32_t left, int32_t top, const CoverageMap& map,
                   const TextColours& colours) {
    int32_t bpp = frame.bpp;
    if (bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return;
    bool withAlpha = bpp == 32 && frame.alphaValid && colours.background < 0;
    for (int32_t my = 0; my < map.height; ++my) {
        int32_t y = top + my;
        if (y < 0 || y >= frame.height) continue;
        for (int32_t mx = 0; mx < map.width; ++mx) {
            size_t i =
                static_cast<size_t>(my) * static_cast<size_t>(map.width) + static_cast<size_t>(mx);
            int32_t c1 = map.body[i], c2 = map.edge[i];
            if (c1 == 0 && c2 == 0) continue;
            uint8_t* p = graphics::pixelAddress(frame, left + mx, y);
            if (!p) continue;
            switch (bpp) {
                case 32: {
                    uint32_t v = loadPixel(p, 4);
                    storePixel(p,
                               withAlpha ? mixPixelAlpha32(v, c1, c2, colours)
                                         : mixPixel32(v, c1, c2, colours),
                               4);
                    break;
                }
                case 24: storePixel(p, mixPixelRgb(loadPixel(p, 3), c1, c2, colours), 3); break;
                case 16: {
                    auto v = static_cast<uint16_t>(loadPixel(p, 2));
                    storePixel(
                        p, rgbTo555(mixPixelRgb(rgbFrom555(v), c1, c2, colours)) | (v & 0x8000u),
                        2);
                    break;
                }
                default: *p = mixPixel8(*p, c1, c2, colours); break;
            }
        }
    }
}

void writeSolid(graphics::Frame& frame, int32_t x, int32_t y, uint32_t colour) {
    uint8_t* p = graphics::pixelAddress(frame, x, y);
    if (!p) return;
    switch (frame.bpp) {
        case 32: storePixel(p, (colour >> 24) == 0 ? colour | 0xFF000000u : colour, 4); break;
        case 24: storePixel(p, colour & 0xFFFFFF, 3); break;
        case 16: storePixel(p, rgbTo555(colour) | (loadPixel(p, 2) & 0x8000u), 2); break;
        case 8: *p = static_cast<uint8_t>(colour); break;
        default: break;
    }
}

}  // namespace rs::text
