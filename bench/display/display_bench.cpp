// The software composer on an 800 x 600 screen: one full-screen background and 50 sprites of
// 200 x 200 with alpha. Each benchmark's time is one composition (and, where named, the transfer
// of the dirty rectangle to a headless window).
#include <benchmark/benchmark.h>

#include "display/bench_scene.h"
#include "graphics/composer.h"
#include "platform/headless_host.h"

namespace {

using namespace rs::graphics;
using rs::bench::kH;
using rs::bench::kW;

// The scene with a headless window to transfer to.
struct SoftwareScene : rs::bench::BenchScene {
    rs::platform::HeadlessPresenter presenter;

    SoftwareScene() { presenter.paintBlack(kW, kH); }
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
    SoftwareScene s;
    for (auto _ : st) {
        s.layer.markScreen(kW, kH);
        s.compose(transfer);
        benchmark::DoNotOptimize(s.screen->pixels);
    }
}

void smallMove(benchmark::State& st, bool transfer) {
    SoftwareScene s;
    for (auto _ : st) {
        s.moveSmallSprite();
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
