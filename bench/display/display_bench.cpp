// The software composer on an 800 x 600 screen: one full-screen background and 50 sprites of
// 200 x 200 with alpha. Each benchmark's time is one composition (and, where named, the transfer
// of the dirty rectangle to a headless window).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>

#include "graphics/composer.h"
#include "graphics/frame.h"
#include "graphics/sprite_layer.h"
#include "platform/headless_host.h"

namespace {

using namespace rs::graphics;

constexpr int32_t kW = 800;
constexpr int32_t kH = 600;
constexpr int32_t kSprites = 50;

std::unique_ptr<Frame> background() {
    auto f = createFrame(kW, kH, 32, 0);
    for (int32_t y = 0; y < kH; ++y) {
        for (int32_t x = 0; x < kW; ++x)
            putPixel(*f, x, y, 0xFF000000u | (x * 255 / kW) << 16 | (y * 255 / kH) << 8 | 0x40);
    }
    return f;
}

// A soft-edged disc filling the frame, with alpha.
std::unique_ptr<Frame> disc(int32_t size, uint32_t colour) {
    auto f = createFrame(size, size, 32, 2);
    double c = (size - 1) / 2.0;
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) {
            double d = std::hypot(x - c, y - c) / (size / 2.0);
            auto a = static_cast<uint32_t>(std::clamp((1.0 - d) * 4.0, 0.0, 1.0) * 255);
            putPixel(*f, x, y, a << 24 | colour);
        }
    }
    return f;
}

struct BenchScene {
    std::unique_ptr<FrameTable> frames = std::make_unique<FrameTable>();
    SpriteLayer layer;
    std::unique_ptr<Frame> screen = createFrame(kW, kH, 32, 0);
    rs::platform::HeadlessPresenter presenter;
    int32_t mover = kSprites + 1;

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
        presenter.paintBlack(kW, kH);
    }
    void show(int32_t i, int32_t slot, int32_t x, int32_t y, int32_t w, int32_t h,
              int32_t priority) {
        Sprite& s = layer.sprites[static_cast<size_t>(i)];
        s.used = 1;
        s.frame = slot;
        s.srcWidth = s.width = w;
        s.srcHeight = s.height = h;
        s.x = x;
        s.y = y;
        s.priority = priority;
        layer.insert(i);
    }
    void compose(bool transfer) {
        layer.dirty.clip(kW, kH);
        BlitContext blit;
        blit.mmx = true;
        blit.simd = detectSimd();
        Composer c{*screen, layer, *frames, blit, 0};
        composeSoftware(c, true);
        if (transfer && !layer.dirty.empty()) {
            presenter.transfer({screen->pixels, kW, kH}, {layer.dirty.left, layer.dirty.top,
                                                          layer.dirty.right, layer.dirty.bottom});
        }
        layer.dirty.reset();
    }
};

void fullRedraw(benchmark::State& st, bool transfer) {
    BenchScene s;
    for (auto _ : st) {
        s.layer.markScreen(kW, kH);
        s.compose(transfer);
        benchmark::DoNotOptimize(s.screen->pixels);
    }
}

void smallMove(benchmark::State& st, bool transfer) {
    BenchScene s;
    int32_t step = 1;
    for (auto _ : st) {
        Sprite& m = s.layer.sprites[static_cast<size_t>(s.mover)];
        s.layer.markArea(m);
        m.x += step;
        if (m.x > 600 || m.x < 200) step = -step;
        s.layer.markArea(m);
        s.compose(transfer);
        benchmark::DoNotOptimize(s.screen->pixels);
    }
}

void BM_FullRedraw(benchmark::State& st) { fullRedraw(st, false); }
void BM_FullRedrawAndTransfer(benchmark::State& st) { fullRedraw(st, true); }
void BM_SmallSpriteMoved(benchmark::State& st) { smallMove(st, false); }
void BM_SmallSpriteMovedAndTransfer(benchmark::State& st) { smallMove(st, true); }

BENCHMARK(BM_FullRedraw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullRedrawAndTransfer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SmallSpriteMoved)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SmallSpriteMovedAndTransfer)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
