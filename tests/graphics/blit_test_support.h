// Frames for the blit tests: small frames filled by hand or from a seeded generator, and a change
// sink that records the reported points.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "graphics/blit.h"
#include "graphics/frame.h"

namespace rs::test {

inline std::unique_ptr<graphics::Frame> makeFrame(int32_t w, int32_t h, int32_t bpp = 32,
                                                  bool alpha = false, uint32_t fill = 0) {
    auto f = graphics::createFrame(w, h, bpp, alpha ? 2 : 0);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) graphics::putPixel(*f, x, y, fill);
    }
    return f;
}

inline uint32_t px(const graphics::Frame& f, int32_t x, int32_t y) {
    if (f.bpp == 8) return *graphics::pixelAddress(f, x, y);
    return graphics::getColour(f, x, y);
}

// Every byte of the frame's pixels from a seeded generator.
inline void randomise(graphics::Frame& f, std::mt19937& rng) {
    size_t n = static_cast<size_t>(f.rowBytes()) * static_cast<size_t>(f.height);
    for (size_t i = 0; i < n; ++i) f.pixels[i] = static_cast<uint8_t>(rng());
}

// Random pixels whose values favour the special cases: keyed colours, alpha 0 and 255.
inline void randomiseSpecial(graphics::Frame& f, std::mt19937& rng) {
    randomise(f, rng);
    if (f.bpp != 32) return;
    for (int32_t y = 0; y < f.height; ++y) {
        for (int32_t x = 0; x < f.width; ++x) {
            uint32_t p = graphics::getColour(f, x, y);
            switch (rng() % 8) {
                case 0: p = (p & 0xFF000000u) | 0x0000FF00u; break;
                case 1: p = (p & 0xFF000000u) | 0x000000FFu; break;
                case 2: p &= 0x00FFFFFFu; break;
                case 3: p |= 0xFF000000u; break;
                default: break;
            }
            graphics::putPixel(f, x, y, p);
        }
    }
}

inline std::unique_ptr<graphics::Frame> cloneFrame(const graphics::Frame& f) {
    auto c = graphics::createFrame(f.width, f.height, f.bpp, f.alphaValid ? 2 : 0);
    c->palette = f.palette;
    size_t n = static_cast<size_t>(f.rowBytes()) * static_cast<size_t>(f.height);
    std::copy(f.pixels, f.pixels + n, c->pixels);
    return c;
}

inline bool samePixels(const graphics::Frame& a, const graphics::Frame& b) {
    size_t n = static_cast<size_t>(a.rowBytes()) * static_cast<size_t>(a.height);
    return a.width == b.width && a.height == b.height &&
           std::equal(a.pixels, a.pixels + n, b.pixels);
}

class RecordingSink final : public graphics::ChangeSink {
  public:
    void changed(graphics::Frame&, int32_t x, int32_t y) override { points.emplace_back(x, y); }
    std::vector<std::pair<int32_t, int32_t>> points;
};

inline graphics::BlitContext plainContext(graphics::ChangeSink* sink = nullptr, bool mmx = false) {
    graphics::BlitContext c;
    c.mmx = mmx;
    c.simd = graphics::SimdLevel::None;
    c.changes = sink;
    return c;
}

}  // namespace rs::test
