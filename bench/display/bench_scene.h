// The 800 x 600 scene of the composer benchmarks: a full-screen background, 50 sprites of
// 200 x 200 with alpha, and a small sprite of 24 x 24 that moves.
#pragma once

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>

#include "graphics/frame.h"
#include "graphics/sprite_layer.h"

namespace rs::bench {

constexpr int32_t kW = 800;
constexpr int32_t kH = 600;
constexpr int32_t kSprites = 50;

inline std::unique_ptr<graphics::Frame> background() {
    auto f = graphics::createFrame(kW, kH, 32, 0);
    for (int32_t y = 0; y < kH; ++y) {
        for (int32_t x = 0; x < kW; ++x)
            graphics::putPixel(*f, x, y,
                               0xFF000000u | (x * 255 / kW) << 16 | (y * 255 / kH) << 8 | 0x40);
    }
    return f;
}

// A soft-edged disc filling the frame, with alpha.
inline std::unique_ptr<graphics::Frame> disc(int32_t size, uint32_t colour) {
    auto f = graphics::createFrame(size, size, 32, 2);
    double c = (size - 1) / 2.0;
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) {
            double d = std::hypot(x - c, y - c) / (size / 2.0);
            auto a = static_cast<uint32_t>(std::clamp((1.0 - d) * 4.0, 0.0, 1.0) * 255);
            graphics::putPixel(*f, x, y, a << 24 | colour);
        }
    }
    return f;
}

struct BenchScene {
    std::unique_ptr<graphics::FrameTable> frames = std::make_unique<graphics::FrameTable>();
    graphics::SpriteLayer layer;
    std::unique_ptr<graphics::Frame> screen = graphics::createFrame(kW, kH, 32, 0);
    // The small sprite; it shows frame 3.
    int32_t mover = kSprites + 1;
    int32_t step = 1;

    BenchScene() {
        frames->place(1, background());
        frames->place(2, disc(200, 0x3070E0));
        frames->place(3, disc(24, 0xE04020));
        layer.sprites.resize(kSprites + 2);
        layer.screenWidth = kW;
        layer.screenHeight = kH;
        std::mt19937 rng(5);
        show(0, 1, 0, 0, kW, kH, 0);
        for (int32_t i = 1; i <= kSprites; ++i) {
            show(i, 2, static_cast<int32_t>(rng() % (kW - 100)) - 50,
                 static_cast<int32_t>(rng() % (kH - 100)) - 50, 200, 200, 1);
        }
        show(mover, 3, 300, 300, 24, 24, 2);
    }
    void show(int32_t i, int32_t slot, int32_t x, int32_t y, int32_t w, int32_t h,
              int32_t priority) {
        graphics::Sprite& s = layer.sprites[static_cast<size_t>(i)];
        s.used = 1;
        s.frame = slot;
        s.srcWidth = s.width = w;
        s.srcHeight = s.height = h;
        s.x = x;
        s.y = y;
        s.priority = priority;
        layer.insert(i);
    }
    // The small sprite one pixel further, back and forth; its old and new areas marked.
    void moveSmallSprite() {
        graphics::Sprite& m = layer.sprites[static_cast<size_t>(mover)];
        layer.markArea(m);
        m.x += step;
        if (m.x > 600 || m.x < 200) step = -step;
        layer.markArea(m);
    }
};

}  // namespace rs::bench
