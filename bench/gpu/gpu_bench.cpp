// The software composer and the GPU composer in one run, each composing the 800 x 600 scene of 50
// sprites of 200 x 200 with alpha and presenting it in a window at scale 1: every sprite redrawn,
// and the turn after one small sprite moved (its frame unchanged, or redrawn too). The counter
// upload_bytes is what went to the renderer per turn: the dirty rectangle of the screen buffer
// for the software composer, changed frames' textures for the GPU composer. Each benchmark's label
// names the renderer that ran. Run under a display:
//   scripts/with-xvfb.sh build-bench/rs_bench_gpu
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "display/bench_scene.h"
#include "display/gpu_composer.h"
#include "graphics/composer.h"
#include "platform/clock.h"
#include "platform/sdl/sdl_gpu_scene.h"
#include "platform/sdl/sdl_host.h"

namespace {

using namespace rs;
using bench::kH;
using bench::kW;

// SDL's name of the renderer, and the OpenGL renderer's own where SDL draws with OpenGL.
std::string rendererDescription(SDL_Renderer* r) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(r, &info) != 0) return "unknown renderer";
    std::string name = info.name;
    if (name.rfind("opengl", 0) == 0 && SDL_GL_GetCurrentContext()) {
        using GetString = const unsigned char* (*)(unsigned int);
        auto get = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
        constexpr unsigned int kGlRenderer = 0x1F01;
        if (const unsigned char* gl = get ? get(kGlRenderer) : nullptr)
            name += std::string(" (") + reinterpret_cast<const char*>(gl) + ")";
    }
    return name;
}

// A window of the scene's size whose presenter runs the given kind.
struct Window {
    std::unique_ptr<platform::sdl::SdlHost> host;
    Window(benchmark::State& st, platform::BackEndKind kind) {
        platform::sdl::SdlHostOptions o;
        o.filter = platform::ScaleFilter::Nearest;
        std::string error;
        host = platform::sdl::SdlHost::create(std::make_unique<platform::RealClock>(), o, &error);
        if (!host) {
            st.SkipWithError(error.c_str());
            return;
        }
        if (kind == platform::BackEndKind::Direct3D && !presenter().drawsScenes()) {
            st.SkipWithError("the renderer cannot draw scenes");
            host.reset();
            return;
        }
        presenter().setKind(kind);
        host->window().placeClient({100, 100, kW, kH});
        presenter().paintBlack(kW, kH);
        st.SetLabel(rendererDescription(host->sdlWindow().renderer()));
    }
    platform::sdl::SdlPresenter& presenter() { return host->sdlPresenter(); }
};

enum class Change { Everything, SmallMove, SmallMoveAndRedraw };

void touchSmallFrame(bench::BenchScene& s) {
    graphics::Frame& f = *s.frames->at(3);
    graphics::frameChanged(*s.frames, f, 0, 0);
}

void change(bench::BenchScene& s, Change c) {
    if (c == Change::Everything) {
        s.layer.markScreen(kW, kH);
        return;
    }
    s.moveSmallSprite();
    if (c == Change::SmallMoveAndRedraw) touchSmallFrame(s);
}

void software(benchmark::State& st, Change c) {
    Window w(st, platform::BackEndKind::DirectDraw);
    if (!w.host) return;
    bench::BenchScene s;
    graphics::BlitContext blit;
    blit.mmx = true;
    blit.simd = graphics::detectSimd();
    int64_t before = w.presenter().uploadedPixels();
    for (auto _ : st) {
        change(s, c);
        s.layer.dirty.clip(kW, kH);
        graphics::Composer composer{*s.screen, s.layer, *s.frames, blit, 0};
        graphics::composeSoftware(composer, true);
        const graphics::DirtyRect& d = s.layer.dirty;
        if (!d.empty())
            w.presenter().transfer({s.screen->pixels, kW, kH}, {d.left, d.top, d.right, d.bottom});
        s.layer.dirty.reset();
    }
    st.counters["upload_bytes"] =
        benchmark::Counter(static_cast<double>((w.presenter().uploadedPixels() - before) * 4),
                           benchmark::Counter::kAvgIterations);
}

void gpu(benchmark::State& st, Change c) {
    Window w(st, platform::BackEndKind::Direct3D);
    if (!w.host) return;
    bench::BenchScene s;
    display::GpuTextures textures;
    platform::TextureLimits limits = w.presenter().textureLimits();
    auto present = [&] {
        platform::DrawList list;
        display::GpuComposer composer{s.layer, *s.frames, textures, limits, kW, kH, 0};
        display::composeDirect3D(composer, list);
        w.presenter().drawScene(std::move(list));
        s.layer.dirty.reset();
    };
    // The first scene uploads every frame.
    present();
    int64_t before = w.presenter().gpu().uploadedBytes();
    for (auto _ : st) {
        change(s, c);
        present();
    }
    st.counters["upload_bytes"] =
        benchmark::Counter(static_cast<double>(w.presenter().gpu().uploadedBytes() - before),
                           benchmark::Counter::kAvgIterations);
}

void BM_SoftwareEverySprite(benchmark::State& st) { software(st, Change::Everything); }
void BM_GpuEverySprite(benchmark::State& st) { gpu(st, Change::Everything); }
void BM_SoftwareSmallSpriteMoved(benchmark::State& st) { software(st, Change::SmallMove); }
void BM_GpuSmallSpriteMoved(benchmark::State& st) { gpu(st, Change::SmallMove); }
void BM_SoftwareSmallSpriteRedrawn(benchmark::State& st) {
    software(st, Change::SmallMoveAndRedraw);
}
void BM_GpuSmallSpriteRedrawn(benchmark::State& st) { gpu(st, Change::SmallMoveAndRedraw); }

BENCHMARK(BM_SoftwareEverySprite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GpuEverySprite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SoftwareSmallSpriteMoved)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GpuSmallSpriteMoved)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SoftwareSmallSpriteRedrawn)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GpuSmallSpriteRedrawn)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
